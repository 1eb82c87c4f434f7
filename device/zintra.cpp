#include "device/zintra.h"

namespace tovra {

namespace {
// d[i], or -1 when the data is shorter.
int Byte(const HexaString& d, int i) { return i < QtdBytes(d) ? ByteToInt(ByteEm(d, i)) : -1; }
int Inteiro(const HexaString& d, int i, int n) {
  if (i + n > QtdBytes(d)) return 0;
  int v = 0;
  for (int k = 0; k < n; ++k) v = v * 256 + Byte(d, i + k);
  return v;
}
QString Texto(const HexaString& d, int i) {
  const int n = QtdBytes(d);
  return i < n ? ToTexto(SubBytes(d, i, n - 1)) : QString();
}
}  // namespace

double SingleBE(const HexaString& d, int i) {
  if (i + 4 > QtdBytes(d)) return 0;
  return ToSingleLE(Inverte(SubBytes(d, i, i + 3)));
}

V1_SolutionDtc_ZintraClass::V1_SolutionDtc_ZintraClass(const HexaString& d) {
  FCurrentDtcIndex = std::max(0, Byte(d, 2));
  FTotal = std::max(0, Byte(d, 3));
  FCurrentIndex = std::max(0, Byte(d, 4));
  FDetail = Texto(d, 5);
}

V1_Dtc_ZintraClass::V1_Dtc_ZintraClass(const HexaString& d) {
  FTotal = std::max(0, Byte(d, 2));
  FCurrentIndex = std::max(0, Byte(d, 3));
  FOcurrence = SingleBE(d, 4);
  const QString t = Texto(d, 8);
  const qsizetype p = t.indexOf(QLatin1Char(':'));
  if (p >= 0) {
    FCodeDtc = t.left(p);
    FDetail = t.mid(p + 2);
  }
}

V1_ReportZintraClass::V1_ReportZintraClass(const HexaString& d) {
  FTotal = Inteiro(d, 2, 2);
  FCurrentIndex = Inteiro(d, 4, 2);
  FParamId = Inteiro(d, 6, 2);
  FClassification = quint8(std::max(0, Byte(d, 8)));
  FMinValue = SingleBE(d, 9);
  FMaxValue = SingleBE(d, 13);
}

}  // namespace tovra
