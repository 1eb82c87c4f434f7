#include "common/texto.h"

#include <array>

namespace tovra {

namespace {
// Windows-1252 bytes 80..9F; the rest of the code page equals Latin-1.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::optional<char> EncodeOne(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (size_t i = 0; i < kCp1252High.size(); ++i)
    if (kCp1252High[i] == c) return static_cast<char>(0x80 + i);
  return std::nullopt;
}
}  // namespace

QString DecodeWin1252(const QByteArray& bytes) {
  QString out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    auto b = static_cast<unsigned char>(ch);
    if (b >= 0x80 && b < 0xA0)
      out.append(QChar(kCp1252High[b - 0x80]));
    else
      out.append(QChar(b));
  }
  return out;
}

std::optional<QByteArray> EncodeWin1252(const QString& text) {
  QByteArray out;
  out.reserve(text.size());
  for (QChar c : text) {
    auto b = EncodeOne(c.unicode());
    if (!b) return std::nullopt;
    out.append(*b);
  }
  return out;
}

int FirstNonWin1252(const QString& text) {
  for (int i = 0; i < text.size(); ++i)
    if (!EncodeOne(text[i].unicode())) return i;
  return -1;
}

bool IsValidUtf8(const QByteArray& bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
  const qsizetype n = bytes.size();
  qsizetype i = 0;
  while (i < n) {
    unsigned char c = p[i];
    int extra;
    uint32_t cp;
    if (c < 0x80) { ++i; continue; }
    if ((c & 0xE0) == 0xC0) { extra = 1; cp = c & 0x1F; }
    else if ((c & 0xF0) == 0xE0) { extra = 2; cp = c & 0x0F; }
    else if ((c & 0xF8) == 0xF0) { extra = 3; cp = c & 0x07; }
    else return false;
    if (i + extra >= n) return false;
    for (int k = 1; k <= extra; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) ||
        (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
      return false;
    i += extra + 1;
  }
  return true;
}

QString DecodeTextFile(const QByteArray& bytes) {
  if (bytes.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(bytes.mid(3));
  if (IsValidUtf8(bytes)) return QString::fromUtf8(bytes);
  return DecodeWin1252(bytes);
}

}  // namespace tovra
