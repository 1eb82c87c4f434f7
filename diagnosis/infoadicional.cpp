#include "diagnosis/infoadicional.h"

#include <stdexcept>

namespace tovra {

namespace {
QString Hex2(int v) { return QString::number(static_cast<unsigned>(v), 16).toUpper().rightJustified(2, '0'); }
}  // namespace

QString TClassInfoAdicional::GetBtn1CodHex() const { return Hex2(FBtn1Cod); }
QString TClassInfoAdicional::GetBtn2CodHex() const { return Hex2(FBtn2Cod); }

QString CodigoRespostaInfo(int codigo) {
  switch (codigo) {
    case 1: return "40";
    case 2: return "41";
    case 3: return "42";
    case 4: return "44";
    case 5: return "45";
    case 6: return "46";
    case 7: return "47";
    case 8: return "3E";
    case 99: return "43";
    default: throw std::invalid_argument("Código de Info inválido");
  }
}

}  // namespace tovra
