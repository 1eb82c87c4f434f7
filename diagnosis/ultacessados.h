#pragma once
// The record of a recently diagnosed vehicle, as the device's file of recent
// systems carries it (explicit JSON member names).
#include <QString>
#include <cstdint>
#include <vector>

#include "common/jsonobj.h"

namespace tovra {

struct TClassJsonDtc {
  QString Codigo, Descricao, Status;
  TOVRA_JSON_CAMPOS(TClassJsonDtc, TOVRA_CAMPO_NOMEADO("codigo", Codigo), TOVRA_CAMPO_NOMEADO("descricao", Descricao),
                    TOVRA_CAMPO_NOMEADO("status", Status))
};

struct TClassJsonListaPids {
  int Pid = 0;
  double Valor_min = 0;
  double Valor_max = 0;
  int Formatacao = 0;
  uint8_t Classificacao = 0;
  TOVRA_JSON_CAMPOS(TClassJsonListaPids, TOVRA_CAMPO_NOMEADO("pid", Pid), TOVRA_CAMPO_NOMEADO("valor_min", Valor_min),
                    TOVRA_CAMPO_NOMEADO("valor_max", Valor_max), TOVRA_CAMPO_NOMEADO("formatacao", Formatacao),
                    TOVRA_CAMPO_NOMEADO("classificacao", Classificacao))
};

struct TClassJsonZintra {
  std::vector<TClassJsonListaPids> ListaPids;
  TOVRA_JSON_CAMPOS(TClassJsonZintra, TOVRA_CAMPO_NOMEADO("lista_pids", ListaPids))
};

struct TClassJsonUltAcessado {
  QString StrData, StrMontadora, StrGrupoModelo, StrModelo, StrSistema, StrAno;
  int SistemaId = 0;
  int ModeloId = 0;
  int Categoria = 0;
  std::vector<TClassJsonDtc> ListaDtc;
  TClassJsonZintra Zintra;  // always present

  TOVRA_JSON_CAMPOS(TClassJsonUltAcessado, TOVRA_CAMPO_NOMEADO("str_data", StrData),
                    TOVRA_CAMPO_NOMEADO("str_montadora", StrMontadora),
                    TOVRA_CAMPO_NOMEADO("str_grupo_modelo", StrGrupoModelo),
                    TOVRA_CAMPO_NOMEADO("str_modelo", StrModelo), TOVRA_CAMPO_NOMEADO("str_sistema", StrSistema),
                    TOVRA_CAMPO_NOMEADO("str_ano", StrAno), TOVRA_CAMPO_NOMEADO("sistema_id", SistemaId),
                    TOVRA_CAMPO_NOMEADO("modelo_id", ModeloId), TOVRA_CAMPO_NOMEADO("categoria", Categoria),
                    TOVRA_CAMPO_NOMEADO("lista_dtc", ListaDtc), TOVRA_CAMPO_NOMEADO("zintra", Zintra))
};

}  // namespace tovra
