#pragma once
// The automatic-diagnosis ("Zintra") records, each built from the data bytes d of
// one 0x66 frame (d[0], d[1] are the sub-command bytes). Integers are big-endian,
// singles are IEEE-754 with the most significant byte first, texts end before the
// first 00 byte. A field whose bytes are missing stays 0 or empty.
#include <QString>
#include <memory>
#include <vector>

#include "device/hexa.h"

namespace tovra {

// One repair tip of a fault (frame 66 01 01).
class V1_SolutionDtc_ZintraClass {
 public:
  V1_SolutionDtc_ZintraClass() = default;
  explicit V1_SolutionDtc_ZintraClass(const HexaString& _Dados);
  int FCurrentDtcIndex = 0;  // d[2]: the fault it belongs to
  int FTotal = 0;            // d[3]
  int FCurrentIndex = 0;     // d[4]
  QString FDetail;           // text of d[5..]
};

// One fault of the statistics (frame 66 01 00).
class V1_Dtc_ZintraClass {
 public:
  V1_Dtc_ZintraClass() = default;
  explicit V1_Dtc_ZintraClass(const HexaString& _Dados);
  int FTotal = 0;          // d[2]
  int FCurrentIndex = 0;   // d[3]: the fault's number, solutions attach to it
  double FOcurrence = 0;   // single at d[4..7]: share of diagnoses with this fault, %
  QString FCodeDtc;        // text of d[8..] up to the first ":"
  QString FDetail;         // the text after ": "
  std::vector<std::unique_ptr<V1_SolutionDtc_ZintraClass>> FSolutionList;
};

// One analysed parameter (frame 66 03 00).
class V1_ReportZintraClass {
 public:
  V1_ReportZintraClass() = default;
  explicit V1_ReportZintraClass(const HexaString& _Dados);
  int FTotal = 0;              // d[2..3]
  int FCurrentIndex = 0;       // d[4..5]
  int FParamId = 0;            // d[6..7]: the parameter's catalogue id
  quint8 FClassification = 0;  // d[8]: 0 typical, 1 near the limits, 2 outside, 3 far outside, else too few data
  double FMinValue = 0;        // single at d[9..12]
  double FMaxValue = 0;        // single at d[13..16]
  QString FTitulo;             // filled from the catalogue parameter
  QString FUnidade;
};

using TListaDtcZintra = std::vector<std::unique_ptr<V1_Dtc_ZintraClass>>;
using TListaReportZintra = std::vector<std::unique_ptr<V1_ReportZintraClass>>;

// The single whose four bytes start at d[i], most significant first (0 when short).
double SingleBE(const HexaString& _Dados, int i);

}  // namespace tovra
