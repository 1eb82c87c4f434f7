#pragma once
// Actuator tests and adjustments: one class for both.
#include <QString>
#include <cstdint>

#include "diagnosis/parametros.h"

namespace tovra {

class TClassAtuadorAjuste {
 public:
  int32_t FID = -1;
  QString FTitulo;
  uint8_t FIniciaExecutando = 0;
  uint8_t FEsperaCmdSaida = 0;
  uint8_t FEntradaDados = 0;
  uint32_t FComandoID = 0;
  QString FComandoOn, FComandoOff, FComandoAdd;  // empty: no such button
  bool FIniciado = false;
  TListaParametros FListaParam;

  TClassParametro* GetParamByID(uint32_t id) { return FListaParam.GetParamByID(id); }
  bool TemParam() const { return !FListaParam.IsEmpty(); }
};

class TListaAtuadoresAjustes : public TObjectList<TClassAtuadorAjuste> {
 public:
  TClassAtuadorAjuste* GetByID(int32_t id) {
    for (TClassAtuadorAjuste& a : *this)
      if (a.FID == id) return &a;
    return nullptr;
  }
};

}  // namespace tovra
