// The Bluetooth device list: discovery through the link, and the list builder
// that runs when the discovery ends.
#include "common/debug.h"
#include "device/vexlin.h"

namespace tovra {

void TClass_VexlinConexao::LocalizarBTVexlin() {
  FBTVexlinList.clear();
  Bluetooth().LocalizarDevices(bluetooth::kTimeoutDescobertaMs);
}

void TClass_VexlinConexao::AoFimDescoberta() {
  auto jaListado = [this](const QString& nome) {
    for (const auto& d : FBTVexlinList)
      if (d.Name == nome) return true;
    return false;
  };
  for (const auto& d : Bluetooth().PairedList())
    if (NomeVexlinBT(d.Nome) && !jaListado(d.Nome)) FBTVexlinList.append({d.Nome, true});
  for (const auto& d : Bluetooth().DeviceList())
    if (NomeVexlinBT(d.Nome) && !jaListado(d.Nome)) FBTVexlinList.append({d.Nome, false});
  Dispara(Event_ListaLida);
}

bool TClass_Vexlin::LocalizarBTVexlin() {
  FConexao->Event_ListaLida = [this] { Dispara(Event_ListaLida); };
  FConexao->LocalizarBTVexlin();
  return true;
}

bool TClass_Vexlin::LimpaListaDevices() {
  FConexao->LimpaBTVexlinList();
  return true;
}

}  // namespace tovra
