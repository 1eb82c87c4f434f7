#pragma once
// A question with two answers that a model and system need before diagnosis.
#include <QString>

namespace tovra {

class TClassInfoAdicional {
 public:
  int FCodigo = 0;
  QString FTexto;
  int FBtn1Cod = 0, FBtn2Cod = 0;
  QString FBtn1Texto, FBtn2Texto;

  // The option id as at least two upper-case hex digits.
  QString GetBtn1CodHex() const;
  QString GetBtn2CodHex() const;
};

// The command byte the device expects for a question code; raises
// std::invalid_argument("Código de Info inválido") for any other code.
QString CodigoRespostaInfo(int codigo);

}  // namespace tovra
