#pragma once
// The Bluetooth link: an RFCOMM serial-port service on a paired device. It keeps
// the paired list and the list of the last discovery, pairs, picks the device's
// compatible service, opens an insecure client socket and reads in 100 ms polls.
// The platform is behind IBluetoothBackend (QtBluetooth by default, created on
// first use; the simulated backend in tests and the demo).
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "device/bluetooth_backend.h"
#include "device/transporte.h"

namespace tovra {

namespace bluetooth {
inline constexpr int kTimeoutLeituraMs = 100;     // one receive poll
inline constexpr int kPassoConexaoMs = 500;       // connect wait: step
inline constexpr int kLimiteConexaoMs = 10000;    // connect wait: limit
inline constexpr int kTimeoutDescobertaMs = 6000; // discovery of the device list
inline constexpr int kPassoPareamentoMs = 500;    // pairing wait: step
inline constexpr int kLimitePareamentoMs = 60000; // pairing wait: limit
}  // namespace bluetooth

// The service rule: the name, upper-cased, is "SERIALPORT" or "RNI-SPP" or contains "SCANNERV4".
bool ServicoCompativel(const QString& _Nome);
// The device list takes names that start with "BT-" (case-sensitive).
bool NomeVexlinBT(const QString& _Nome);

class TClass_BluetoothLib : public ITransporteVexlin {
 public:
  // Without a backend the installed one (CriaBackendBluetooth: QtBluetooth unless
  // the demo installed the simulated adapter) is created when first needed.
  explicit TClass_BluetoothLib(std::unique_ptr<IBluetoothBackend> _Backend = nullptr);
  ~TClass_BluetoothLib() override;
  TClass_BluetoothLib(const TClass_BluetoothLib&) = delete;
  TClass_BluetoothLib& operator=(const TClass_BluetoothLib&) = delete;

  // --- the byte transport
  void Conectar(const QString& _DeviceName) override;
  void Desconectar() override;
  bool Conectado() const override;
  QString NomeDispositivo() const override { return FDeviceName; }
  void EnviaFrame(const HexaString& _Frame) override;
  bool LerFrame(QString& _Erro) override;

  // --- adapter, lists and discovery
  bool BTEnabled() const;
  std::optional<TBluetoothDispositivo> GetDeviceByName(const QString& _Name) const;
  bool ExisteDispositivo(const QString& _Name) const { return GetDeviceByName(_Name).has_value(); }
  bool Pareado(const QString& _Name) const;
  void LocalizarDevices(int _Timeout);
  void Parear(const QString& _DeviceName);
  bool DeviceIsOnline(const QString& _DeviceName);
  TBluetoothServico GetServiceByDeviceName(const QString& _DeviceName);
  QString GetAddress() const;
  QString DeviceName() const { return FDeviceName; }
  const TListaDispositivosBT& PairedList() const { return FPairedList; }
  const TListaDispositivosBT& DeviceList() const { return FDeviceList; }
  void GetPairedList();

  // --- waits: the pairing bound (tests shorten it), the clock and the step wait.
  // The step wait keeps the user interface responsive (processes its events).
  int LimitePareamentoMs = bluetooth::kLimitePareamentoMs;
  std::function<qint64()> Relogio;
  std::function<void(int)> Espera;

  IBluetoothBackend& Backend() const;

  TNotifyEvent Event_ListaLida;
  TNotifyEvent Event_Conectado;
  TNotifyEvent Event_Pareado;
  TEvent_RetornaStr Event_DebugStatus;

 private:
  void Status(const QString& _Texto) { Dispara(Event_DebugStatus, _Texto); }
  void OnGetDeviceList(const TListaDispositivosBT& _Lista);
  // The first compatible service of a paired device, with the progress reports;
  // nullopt when the device is not paired.
  std::optional<TBluetoothServico> ServicoCompativelDoPareado(const QString& _DeviceName, bool& _Achou);
  void FechaSocket();

  QString FDeviceName;
  mutable std::unique_ptr<IBluetoothBackend> FBackend;
  std::unique_ptr<ISocketRfcomm> FSocket;
  // The socket came up; a far end that went away is noticed by the next poll or send.
  bool FAberto = false;
  TListaDispositivosBT FPairedList;
  TListaDispositivosBT FDeviceList;
  int FTimeoutLeitura = bluetooth::kTimeoutLeituraMs;
};

}  // namespace tovra
