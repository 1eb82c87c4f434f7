#pragma once
// The connection manager: the one object the screens ask for a working device.
// It creates the diagnostic session (which owns the device object), tries the
// remembered serial port, every serial port or Bluetooth, lets the user pick a
// Bluetooth device when needed, checks that the device answers and is a supported
// model, remembers the working link in the settings and reports the outcome of
// every attempt exactly once through EventConnectionFinished.
#include <QList>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

#include "device/conexao.h"
#include "device/eventos.h"

namespace tovra {

class TClassDiagVexlin;

enum class TTipoEventoTimer { etNone, etDeviceSelected, etReloadBT, etResult };

// What the manager hands the Bluetooth device list when it creates it.
struct TEventosListaBT {
  TNotifyEvent FEventClose;                          // back icon
  TNotifyEvent FEventReload;                         // reload icon
  std::function<void(const QString&)> FEventSelected;  // a row chosen: the bare name
};

// The Bluetooth device list as the manager sees it; the screens implement it.
class IListaDispositivosBT {
 public:
  virtual ~IListaDispositivosBT() = default;
  virtual void ListarPortas(const QList<TClass_BTVexlin>& _Lista) = 0;
  virtual void Mostra() = 0;
  virtual void Fecha() = 0;
};
using TFabricaListaBT = std::function<std::unique_ptr<IListaDispositivosBT>(const TEventosListaBT&)>;

// Builds the session object (the logs folder is given); tests inject one over the simulator.
using TFabricaDiag = std::function<std::unique_ptr<TClassDiagVexlin>(const QString& _Path)>;

// What the last successful link read from the device; the online services use it.
struct TInfoEquipamento {
  quint32 NrSerie = 0;
  int ServicePack = 0;
  QString Firmware;
};
const TInfoEquipamento& InfoEquipamento();

// Models the program works with: VexlinV3, Quadrel2, VexlinPad, VexlinV4,
// VexlinPad2, VexlinV5 and VexlinPad3.
bool EquipamentoSuportado(int _Tipo);

class TClassTovraConexao {
 public:
  static TClassTovraConexao& GetInstance();

  TClassTovraConexao();
  ~TClassTovraConexao();
  TClassTovraConexao(const TClassTovraConexao&) = delete;
  TClassTovraConexao& operator=(const TClassTovraConexao&) = delete;

  // Starts an attempt; the outcome arrives through EventConnectionFinished only.
  void Conecta();
  void StartSeachBT();

  TEvent_ReturnBool EventConnectionFinished;
  bool ResultadoConexao() const { return FResultadoConexao; }
  QString LastError() const { return FLastError; }
  QString DeviceSelected() const { return FDeviceSelected; }
  bool EmTentativa() const { return FEmTentativa; }
  TClassDiagVexlin* Diag() const { return FDiag.get(); }

  // Seams: how the session and the device list are built, and the wait before a
  // reconnection (the event loop keeps running during it).
  void DefineFabricaDiag(TFabricaDiag _Fabrica) { FFabricaDiag = std::move(_Fabrica); }
  void DefineFabricaListaBT(TFabricaListaBT _Fabrica) { FFabricaListaBT = std::move(_Fabrica); }
  std::function<void(int)> AguardaMs;
  int IntervaloTimerMs() const { return FTimer.interval(); }

  // Device-list handlers.
  void OnDeviceSelected(const QString& _Name);
  void OnReloadBT();
  void OnCloseListaBT();

  // Frees the session object; false when freeing it failed (FLastError set).
  bool DestroyDiag();

 private:
  void TentaConexaoBluetooth();
  void RespostaBluetooth(int _Resultado);
  void OnListasLidas();
  void EscolherDevices();
  void ListarDispositivos();
  void CriarFrmListaBT();
  void FechaListaBT();
  void OnTimer();
  void ConectarBT(const QString& _Name);
  void OnConectado();
  bool SalvaInfoConfLocal();
  bool AtualizaDebugInfoEquip();
  void OnFatalError();
  void CallResult(bool _Value);
  void ReturnResult();
  bool CriaDiag();
  void IniciaTimer(TTipoEventoTimer _Evento);

  bool FResultadoConexao = false;
  QString FLastError;
  QString FDeviceSelected;
  TTipoEventoTimer FEventoTimer = TTipoEventoTimer::etNone;
  QTimer FTimer;
  // One attempt at a time; its result is called once.
  bool FEmTentativa = false;
  bool FResultadoChamado = false;
  std::unique_ptr<TClassDiagVexlin> FDiag;
  std::unique_ptr<IListaDispositivosBT> FListaBT;
  TFabricaDiag FFabricaDiag;
  TFabricaListaBT FFabricaListaBT;
};

}  // namespace tovra
