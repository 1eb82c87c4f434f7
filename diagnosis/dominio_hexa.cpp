#include "diagnosis/dominio_hexa.h"

#include <cstring>
#include <stdexcept>

namespace tovra::dominio {

namespace {
[[noreturn]] void NaoHexa(const QString& t) {
  throw std::invalid_argument(("'" + t + "' não é um valor hexadecimal válido").toStdString());
}
int Digito(QChar c) {
  const ushort u = c.unicode();
  if (u >= '0' && u <= '9') return u - '0';
  if (u >= 'A' && u <= 'F') return u - 'A' + 10;
  if (u >= 'a' && u <= 'f') return u - 'a' + 10;
  return -1;
}
}  // namespace

QString SemEspacos(const QString& texto) {
  QString r = texto;
  r.remove(' ');
  return r;
}

QString SemZerosAEsquerda(const QString& texto) {
  qsizetype i = 0;
  while (i < texto.size() && texto[i] == '0') ++i;
  return texto.mid(i);
}

QByteArray BytesDeHexa(const QString& hexa) {
  const QString s = SemEspacos(hexa);
  if (s.size() % 2 != 0) NaoHexa(hexa);
  QByteArray r;
  r.reserve(s.size() / 2);
  for (qsizetype i = 0; i < s.size(); i += 2) {
    const int a = Digito(s[i]), b = Digito(s[i + 1]);
    if (a < 0 || b < 0) NaoHexa(hexa);
    r.append(static_cast<char>(a * 16 + b));
  }
  return r;
}

QString HexaDeBytes(const QByteArray& bytes) {
  QString r;
  r.reserve(bytes.size() * 3);
  static const char* d = "0123456789ABCDEF";
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    if (i) r += ' ';
    const auto b = static_cast<unsigned char>(bytes[i]);
    r += QChar(d[b >> 4]);
    r += QChar(d[b & 15]);
  }
  return r;
}

uint64_t ValorHexa(const QString& hexa) {
  const QString s = SemEspacos(hexa);
  if (s.isEmpty() || s.size() > 16) NaoHexa(hexa);
  uint64_t v = 0;
  for (QChar c : s) {
    const int d = Digito(c);
    if (d < 0) NaoHexa(hexa);
    v = v * 16 + static_cast<uint64_t>(d);
  }
  return v;
}

int QtdBytesHexa(const QString& hexa) { return static_cast<int>(BytesDeHexa(hexa).size()); }

int ByteHexa(const QString& hexa, int i) {
  const QByteArray b = BytesDeHexa(hexa);
  if (i < 0 || i >= b.size()) NaoHexa(hexa);
  return static_cast<unsigned char>(b[i]);
}

float SingleLE(const QString& hexa) {
  const QByteArray b = BytesDeHexa(hexa);
  if (b.size() < 4) NaoHexa(hexa);
  uint32_t u = 0;
  for (int i = 3; i >= 0; --i) u = (u << 8) | static_cast<unsigned char>(b[i]);
  float f;
  std::memcpy(&f, &u, sizeof f);
  return f;
}

}  // namespace tovra::dominio
