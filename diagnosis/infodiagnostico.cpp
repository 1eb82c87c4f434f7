#include "diagnosis/infodiagnostico.h"

#include <QFile>

namespace tovra {

TClassDiagnostico::TClassDiagnostico(uint32_t nrSerie, const QString& firmware, uint32_t sp, int indice,
                                     const QDateTime& agora)
    : FNrSerieDiag(nrSerie), FSP(sp), FFirmware(firmware) {
  FDiagID = agora.toString("yyMMddHHmmss") + QString::number(nrSerie) +
            QString::number(indice).rightJustified(4, '0');
  FData = agora.toString("dd/MM/yyyy");
  FDataSQL = agora.toString("yyyy-MM-dd");
  FHora = agora.toString("HH:mm:ss");
}

bool TClassDiagnostico::SistemaNativo(const QString& pasta) const {
  if (FSistemaID == 700) return true;
  QString p = pasta;
  if (!p.isEmpty() && !p.endsWith('/')) p += '/';
  return QFile::exists(p + QString("%1.v4").arg(FSistemaID, 5, 10, QChar('0')));
}

TClassDiagnostico* TListaDiagnosticos::Primeiro() {
  FIndex = 0;
  return FItens.IsEmpty() ? nullptr : &FItens[0];
}

bool TListaDiagnosticos::Ultimo() const { return FItens.IsEmpty() || FIndex >= FItens.Count() - 1; }

TClassDiagnostico* TListaDiagnosticos::Proximo() {
  if (Ultimo()) return nullptr;
  ++FIndex;
  return &FItens[FIndex];
}

TClassDiagnostico* TListaDiagnosticos::Atual() { return FIndex < FItens.Count() ? &FItens[FIndex] : nullptr; }

void TListaDiagnosticos::LimpaComunicou() {
  for (TClassDiagnostico& d : FItens) d.FComunicou = false;
}

int TListaDiagnosticos::QtdSistemasOk() const {
  int n = 0;
  for (const TClassDiagnostico& d : FItens) n += d.FComunicou ? 1 : 0;
  return n;
}

int TListaDiagnosticos::QtdSistemasComAdaptadorOBD() const {
  int n = 0;
  for (const TClassDiagnostico& d : FItens) n += d.FAdaptadorProg.isEmpty() ? 0 : 1;
  return n;
}

template <>
Json ParaJson<TListaDiagnosticos>(const TListaDiagnosticos& v) {
  Json j = ListaParaJson(v.FItens);
  j["index"] = v.FIndex;
  j["tipo"] = EnumNome(v.FTipo).toStdString();
  return j;
}

template <>
void DeJson<TListaDiagnosticos>(const Json& j, TListaDiagnosticos& v) {
  ListaDeJson(j, v.FItens);
  if (!j.is_object()) return;
  if (auto it = j.find("index"); it != j.end()) DeJson(*it, v.FIndex);
  if (auto it = j.find("tipo"); it != j.end()) DeJson(*it, v.FTipo);
  if (v.FIndex >= v.FItens.Count()) v.FIndex = 0;
}

}  // namespace tovra
