#pragma once
// Format patterns of the dictionary texts, in the maker's style: "%s", "%d", "%u",
// "%x", "%f", "%.2f", "%5d", "%-5s", "%0:s" (argument index), "%%". Arguments are
// texts; numeric directives read them as numbers.
#include <QString>
#include <QStringList>
#include <stdexcept>

namespace tovra {

// Raises std::invalid_argument when an argument is missing, a numeric directive gets
// a text that is no number, or the pattern is malformed.
QString FormataTexto(const QString& padrao, const QStringList& args);

}  // namespace tovra
