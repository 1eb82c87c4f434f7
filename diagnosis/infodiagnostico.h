#pragma once
// The catalogue entry of a diagnosable system (automatic search lists, reports)
// and the lists of them.
#include <QDateTime>
#include <QString>
#include <cstdint>

#include "common/jsonobj.h"
#include "diagnosis/falhas.h"

namespace tovra {

// A JSON object carried as it is (the report service's customer and vehicle
// records belong to the online services).
struct TObjetoJson {
  Json valor = Json::object();
};
template <>
inline Json ParaJson<TObjetoJson>(const TObjetoJson& v) {
  return v.valor;
}
template <>
inline void DeJson<TObjetoJson>(const Json& j, TObjetoJson& v) {
  v.valor = j;
}

class TClassDiagnostico {
 public:
  // Every field empty.
  TClassDiagnostico() = default;
  // A new entry of a device: DiagID is the creation time "YYMMDDHHNNSS", the serial
  // number and the index with at least four digits; date and time of creation.
  TClassDiagnostico(uint32_t nrSerie, const QString& firmware, uint32_t sp, int indice,
                    const QDateTime& agora = QDateTime::currentDateTime());

  uint64_t FPk_Value = 0;
  QString FDiagID;
  QString FRelatorioID;
  uint32_t FEmpresaID = 0;
  uint32_t FUsuarioID = 0;
  std::unique_ptr<TObjetoJson> FCliente;
  std::unique_ptr<TObjetoJson> FVeiculo;
  uint32_t FNrSerieDiag = 0;
  uint32_t FSP = 0;
  QString FFirmware;
  bool FComunicou = false;
  QString FMontadoraDesc;
  QString FAdaptadorDesc;
  QString FAdaptadorImg;
  QString FSiglaID;
  QString FSistemaSimplesDesc;
  QString FSistemaDesc;
  QString FAdaptadorProg;
  QString FModeloDesc;
  int32_t FGrupoID = 0;
  int32_t FModeloFlx = 0;
  int32_t FModeloCF = 0;
  QString FSiglaDesc;
  int32_t FMontadoraID = 0;
  int32_t FAdaptadorID = 0;
  QString FGrupoDesc;
  int32_t FSistemaID = 0;
  int32_t FModeloID = 0;
  QString FAte;
  QString FDe;
  QString FStatus;
  QString FData;
  QString FDataSQL;
  QString FHora;
  TListaFalhasDTB FListaFalhas;

  // True when folder + the system id with five digits + ".v4" exists, or for system 700.
  bool SistemaNativo(const QString& pasta) const;

  TOVRA_JSON_CAMPOS(TClassDiagnostico, TOVRA_CAMPO(FPk_Value), TOVRA_CAMPO(FDiagID), TOVRA_CAMPO(FRelatorioID),
                    TOVRA_CAMPO(FEmpresaID), TOVRA_CAMPO(FUsuarioID), TOVRA_CAMPO(FCliente), TOVRA_CAMPO(FVeiculo),
                    TOVRA_CAMPO(FNrSerieDiag), TOVRA_CAMPO(FSP), TOVRA_CAMPO(FFirmware), TOVRA_CAMPO(FComunicou),
                    TOVRA_CAMPO(FMontadoraDesc), TOVRA_CAMPO(FAdaptadorDesc), TOVRA_CAMPO(FAdaptadorImg),
                    TOVRA_CAMPO(FSiglaID), TOVRA_CAMPO(FSistemaSimplesDesc), TOVRA_CAMPO(FSistemaDesc),
                    TOVRA_CAMPO(FAdaptadorProg), TOVRA_CAMPO(FModeloDesc), TOVRA_CAMPO(FGrupoID),
                    TOVRA_CAMPO(FModeloFlx), TOVRA_CAMPO(FModeloCF), TOVRA_CAMPO(FSiglaDesc),
                    TOVRA_CAMPO(FMontadoraID), TOVRA_CAMPO(FAdaptadorID), TOVRA_CAMPO(FGrupoDesc),
                    TOVRA_CAMPO(FSistemaID), TOVRA_CAMPO(FModeloID), TOVRA_CAMPO(FAte), TOVRA_CAMPO(FDe),
                    TOVRA_CAMPO(FStatus), TOVRA_CAMPO(FData), TOVRA_CAMPO(FDataSQL), TOVRA_CAMPO(FHora),
                    TOVRA_CAMPO(FListaFalhas))
};

enum class TTipoListaDiagnostico { ldBuscaAutomaticaCategoria, ldBuscaAutomaticaSistema, ldUltimosSistemas };

}  // namespace tovra

TOVRA_ENUM_NOMES(tovra::TTipoListaDiagnostico, "ldBuscaAutomaticaCategoria", "ldBuscaAutomaticaSistema",
                 "ldUltimosSistemas")

namespace tovra {

// An owning list with a cursor and a kind. Its JSON form is the list form with the
// members "index" and "tipo" added.
class TListaDiagnosticos {
 public:
  explicit TListaDiagnosticos(TTipoListaDiagnostico tipo = TTipoListaDiagnostico::ldBuscaAutomaticaSistema)
      : FTipo(tipo) {}

  TObjectList<TClassDiagnostico> FItens;
  uint16_t FIndex = 0;
  TTipoListaDiagnostico FTipo;

  int Count() const { return FItens.Count(); }
  TClassDiagnostico& Add(std::unique_ptr<TClassDiagnostico> d) { return FItens.Add(std::move(d)); }
  TClassDiagnostico& operator[](int i) { return FItens[i]; }
  void Clear() { FItens.Clear(); FIndex = 0; }

  TClassDiagnostico* Primeiro();
  TClassDiagnostico* Proximo();  // none on the last entry
  bool Ultimo() const;
  TClassDiagnostico* Atual();
  void LimpaComunicou();
  int QtdSistemasOk() const;
  int QtdSistemasComAdaptadorOBD() const;
};

template <>
Json ParaJson<TListaDiagnosticos>(const TListaDiagnosticos& v);
template <>
void DeJson<TListaDiagnosticos>(const Json& j, TListaDiagnosticos& v);

}  // namespace tovra
