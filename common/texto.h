#pragma once
// Text conversions shared by every layer: Qt text to and from UTF-8 std::string
// (the JSON layer), and the Windows-1252 character set that the maker's files
// (dictionaries, SQL scripts) and the device's file names use.
#include <QByteArray>
#include <QString>
#include <optional>
#include <string>

namespace tovra {

inline std::string ToStd(const QString& s) { return s.toStdString(); }
inline QString ToQ(const std::string& s) { return QString::fromStdString(s); }

// Windows-1252 bytes to text. The five bytes that the code page leaves undefined
// (81, 8D, 8F, 90, 9D) come out as the control characters of the same value.
QString DecodeWin1252(const QByteArray& bytes);

// Text to Windows-1252 bytes; nothing when a character has no single byte there.
std::optional<QByteArray> EncodeWin1252(const QString& text);

// The first character of the text that Windows-1252 cannot hold, or -1.
int FirstNonWin1252(const QString& text);

// Text files made by the maker's tools on Windows: UTF-8 with a byte-order mark,
// valid UTF-8 without one, or else Windows-1252.
QString DecodeTextFile(const QByteArray& bytes);

// True when the bytes are valid UTF-8.
bool IsValidUtf8(const QByteArray& bytes);

}  // namespace tovra
