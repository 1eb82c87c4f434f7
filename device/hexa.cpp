#include "device/hexa.h"

#include <QElapsedTimer>
#include <QThread>
#include <cstring>
#include <stdexcept>

namespace tovra {

namespace {
constexpr char kDigitos[] = "0123456789ABCDEF";

int ValorDigito(QChar c) {
  const ushort u = c.unicode();
  if (u >= '0' && u <= '9') return u - '0';
  if (u >= 'A' && u <= 'F') return u - 'A' + 10;
  if (u >= 'a' && u <= 'f') return u - 'a' + 10;
  return -1;
}

// Value of the two characters at position p, or -1 when they are not hex digits.
int ValorPar(const HexaString& h, qsizetype p) {
  if (p + 1 >= h.size()) return -1;
  const int a = ValorDigito(h[p]);
  const int b = ValorDigito(h[p + 1]);
  return (a < 0 || b < 0) ? -1 : a * 16 + b;
}
}  // namespace

int QtdBytes(const HexaString& h) { return int((h.size() + 1) / 3); }

HexaString ByteEm(const HexaString& h, int i) {
  if (i < 0 || i >= QtdBytes(h)) return {};
  return h.mid(qsizetype(3) * i, 2);
}

void Adiciona(HexaString& h, const HexaString& x) {
  if (QtdBytes(h) == 0) {
    h = x;
    return;
  }
  qsizetype fim = h.size();
  while (fim > 0 && h[fim - 1] == QLatin1Char(' ')) --fim;
  h.truncate(fim);
  h += QLatin1Char(' ');
  h += x;
}

HexaString SubBytes(const HexaString& h, int a, int b) {
  if (a < 0) a = 0;
  const qsizetype n = qsizetype(3) * (b - a) + 2;
  if (n <= 0) return {};
  return h.mid(qsizetype(3) * a, n);
}

void ApagaByte(HexaString& h, int i) {
  const int n = QtdBytes(h);
  if (h.isEmpty() || i < 0 || i >= n) return;
  if (i == 0) {
    h = h.mid(3);
  } else if (i == n - 1) {
    h.truncate(qsizetype(3) * i - 1);  // no trailing blank: the text stays well formed
  } else {
    h.remove(qsizetype(3) * i, 3);
  }
}

HexaString Inverte(const HexaString& h) {
  const int n = QtdBytes(h);
  HexaString r;
  r.reserve(h.size());
  for (int i = n - 1; i >= 0; --i) {
    if (!r.isEmpty()) r += QLatin1Char(' ');
    r += h.mid(qsizetype(3) * i, 2);
  }
  return r;
}

qint32 ToInt(const HexaString& h) {
  const QString d = SemEspacos(h);
  bool ok = false;
  const quint64 v = d.toULongLong(&ok, 16);
  if (!ok || d.size() > 8 || d.isEmpty() || d.startsWith('+') || d.startsWith('-'))
    throw std::invalid_argument(("'" + h + "' is not a valid integer value").toStdString());
  return qint32(quint32(v));
}

qint32 ToIntLE(const HexaString& h) { return qint32(quint32(quint64(ToInt64LE(h)))); }

qint64 ToInt64LE(const HexaString& h) {
  const int n = QtdBytes(h);
  quint64 v = 0;
  for (int i = 0; i < n && i < 8; ++i) {
    const int b = ValorPar(h, qsizetype(3) * i);
    v |= quint64(b < 0 ? 0 : b) << (8 * i);
  }
  return qint64(v);
}

double ToSingleLE(const HexaString& h) {
  unsigned char m[4] = {0, 0, 0, 0};
  for (int i = 0; i < 4 && i < QtdBytes(h); ++i) {
    const int b = ValorPar(h, qsizetype(3) * i);
    m[i] = static_cast<unsigned char>(b < 0 ? 0 : b);
  }
  const quint32 bits = quint32(m[0]) | quint32(m[1]) << 8 | quint32(m[2]) << 16 | quint32(m[3]) << 24;
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return double(f);
}

QByteArray ToBytes(const HexaString& h) {
  const int n = QtdBytes(h);
  QByteArray r(n, Qt::Uninitialized);
  for (int i = 0; i < n; ++i) {
    const int b = ValorPar(h, qsizetype(3) * i);
    r[i] = char(b < 0 ? 0 : b);
  }
  return r;
}

HexaString FromBytes(const char* dados, qsizetype tamanho) {
  if (tamanho <= 0) return {};
  QString r(tamanho * 3 - 1, Qt::Uninitialized);
  QChar* o = r.data();
  for (qsizetype i = 0; i < tamanho; ++i) {
    const auto b = static_cast<unsigned char>(dados[i]);
    if (i) *o++ = QLatin1Char(' ');
    *o++ = QLatin1Char(kDigitos[b >> 4]);
    *o++ = QLatin1Char(kDigitos[b & 15]);
  }
  return r;
}

HexaString FromBytes(const QByteArray& bytes) { return FromBytes(bytes.constData(), bytes.size()); }

QString ToBinario(const HexaString& h) {
  QString r;
  const int n = QtdBytes(h);
  r.reserve(n * 8);
  for (int i = 0; i < n; ++i) {
    const int b = ValorPar(h, qsizetype(3) * i);
    for (int bit = 7; bit >= 0; --bit) r += ((b >> bit) & 1) ? QLatin1Char('1') : QLatin1Char('0');
  }
  return r;
}

QString ToTexto(const HexaString& h) {
  QString r;
  const int n = QtdBytes(h);
  for (int i = 0; i < n; ++i) {
    const int b = ValorPar(h, qsizetype(3) * i);
    if (b == 0) break;
    r += QChar(b < 0 ? 0 : b);
  }
  return r;
}

QString SemEspacos(const HexaString& h) {
  QString r = h;
  r.remove(QLatin1Char(' '));
  return r;
}

QString SemZerosEsquerda(const HexaString& h) {
  QString r = SemEspacos(h);
  qsizetype i = 0;
  while (i < r.size() && r[i] == QLatin1Char('0')) ++i;
  return r.mid(i);
}

int ByteToInt(const QString& t) {
  if (t.size() != 2) return 0;
  const int v = ValorPar(t, 0);
  return v < 0 ? 0 : v;
}

HexaString IntToHexa(qint64 v, int d) {
  const quint64 u = v < 0 ? quint64(quint32(qint32(v))) : quint64(v);
  QString digitos = QString::number(u, 16).toUpper();
  if (digitos.size() < d) digitos = QString(d - digitos.size(), QLatin1Char('0')) + digitos;
  QString r;
  qsizetype primeiro = digitos.size() % 2;
  if (primeiro) r = digitos.left(1);
  for (qsizetype p = primeiro; p < digitos.size(); p += 2) {
    if (!r.isEmpty()) r += QLatin1Char(' ');
    r += digitos.mid(p, 2);
  }
  return r;
}

HexaString Word16(qint64 v) {
  auto dois = [](qint64 x) {
    QString s = QString::number(x, 16).toUpper();
    return s.size() < 2 ? QString(2 - s.size(), QLatin1Char('0')) + s : s;
  };
  return dois(v / 256) + QLatin1Char(' ') + dois(v % 256);
}

HexaString TextoToHexa(const QString& s) {
  HexaString r;
  for (QChar c : s) Adiciona(r, IntToHexa(c.unicode(), 2));
  return r;
}

qint64 RelogioMonotonico() {
  static QElapsedTimer t = [] {
    QElapsedTimer e;
    e.start();
    return e;
  }();
  return t.elapsed();
}

void AguardaMs(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QThread::msleep(1);
}

}  // namespace tovra
