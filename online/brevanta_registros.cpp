#include "online/brevanta_registros.h"

namespace tovra {

void ExigeObjeto(const Json& j) {
  if (!j.is_object()) throw std::runtime_error("The input value is not a valid Object");
}

QString TClassBrevantaTelefone::TelefoneFormatado() const {
  const QString& t = FTelefone;
  if (t.size() == 8) return t.left(4) + "-" + t.mid(4);
  if (t.size() == 9) return t.left(5) + "-" + t.mid(5);
  return t;
}

QString TClassBrevantaEmpresa::CNPJFormatado() const {
  const QString& d = FCNPJ;
  if (d.size() == 14)
    return d.left(2) + "." + d.mid(2, 3) + "." + d.mid(5, 3) + "/" + d.mid(8, 4) + "-" + d.mid(12, 2);
  if (d.size() == 11) return d.left(3) + "." + d.mid(3, 3) + "." + d.mid(6, 3) + "-" + d.mid(9, 2);
  return d;
}

bool TListaBrevantaScanners::NrSerieNaLista(int nrSerie) const {
  for (const auto& s : FLista)
    if (s.FSerieReduzido == nrSerie) return true;
  return false;
}

const TClassBrevantaVeiculo* TClassBrevantaCliente::VeiculoSelecionado() const {
  for (const auto& v : FListaVeiculos)
    if (v.FSelecionado) return &v;
  return nullptr;
}

}  // namespace tovra
