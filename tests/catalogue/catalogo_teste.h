#pragma once
// Helpers for the catalogue tests: table descriptions written on the fly and the
// demo catalogue built from data/demo.
#include <QString>
#include <QStringList>
#include <memory>

#include "catalogue/dmtovra.h"

namespace tovra::test {

struct TColunaTeste {
  QString nome;
  QString tipo;  // "ftString", "ftInteger", "ftFloat", ...
  int size = 0;
  bool pk = false;
};
struct TTabelaTeste {
  QString nome;
  std::vector<TColunaTeste> colunas;
};

// The JSON text of a table description.
QByteArray ConfJson(const std::vector<TTabelaTeste>& tabelas);

// Builds the demo catalogue (data/demo) into folder + "Tovra.s3db" with its
// "conf.json", once per test program, and copies it into the given folder.
void CopiaCatalogoDemo(const QString& pasta);
// The source tree (TOVRA_SOURCE_DIR, or the one this test was built from).
QString FonteDados();

}  // namespace tovra::test

#include <ostream>
// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
