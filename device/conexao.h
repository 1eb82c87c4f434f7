#pragma once
// The link base: the one link object the device object sees. It owns a serial
// transport and a Bluetooth link, remembers which one is in use and forwards
// connect, disconnect, send, poll and the link events to it.
//
// Both sub-links can be given to the constructor (the simulator's in-process
// loopback takes the serial link's place in tests); by default they are the
// QSerialPort link and the Bluetooth link of this build.
#include <QStringList>
#include <memory>

#include "device/bluetooth.h"
#include "device/transporte.h"

namespace tovra {

enum class TTypeConexao { tcUSB = 0, tcBluetooth = 1 };

class TClass_Conexao {
 public:
  explicit TClass_Conexao(std::unique_ptr<ITransporteVexlin> _Serial = nullptr,
                          std::unique_ptr<TClass_BluetoothLib> _Bluetooth = nullptr);
  virtual ~TClass_Conexao();
  TClass_Conexao(const TClass_Conexao&) = delete;
  TClass_Conexao& operator=(const TClass_Conexao&) = delete;

  void Conectar(const QString& _Value, TTypeConexao _Tipo);
  void Desconectar();
  void EnviaFrame(const HexaString& _Frame);  // throws "Não conectado"
  void LerFrame(QString& _Erro);

  TTypeConexao TipoConexao() const { return FTipoConexao; }
  bool Conectado() const;
  QString NomeDispositivo() const;
  QString MacAddress() const;
  bool BTEnabled() const { return FBlue->BTEnabled(); }
  bool DeviceIsOnline(const QString& _DeviceName);
  QStringList GetUsbPortList() { return FUsb->GetPortList(); }

  ITransporteVexlin& Serial() { return *FUsb; }
  TClass_BluetoothLib& Bluetooth() { return *FBlue; }
  // Puts another Bluetooth link (for example over the simulated backend) in place
  // of the current one, wired the same way.
  void TrocaBluetooth(std::unique_ptr<TClass_BluetoothLib> _Bluetooth);

  TNotifyEvent Event_Conectado;
  TOnReturnHexaString Event_BytesEnviados;
  TOnReturnHexaString Event_BytesRecebidos;
  TOnReturnBytes Event_BytesRecebidosBytes;  // the same chunk as raw bytes
  TNotifyEvent Event_Desconectado;
  TEvent_RetornaStr Event_DebugStatus;

 protected:
  // The Bluetooth discovery ended (the device list builds itself here).
  virtual void AoFimDescoberta() {}

 private:
  void Liga(ITransporteVexlin& t);
  void LigaBluetooth();
  ITransporteVexlin& Atual() const;
  TTypeConexao FTipoConexao = TTypeConexao::tcBluetooth;
  std::unique_ptr<ITransporteVexlin> FUsb;
  std::unique_ptr<TClass_BluetoothLib> FBlue;
};

// One device offered to the user over Bluetooth.
struct TClass_BTVexlin {
  QString Name;
  bool Pareado = false;
};

// The device object's link: the link base plus the Bluetooth device list.
class TClass_VexlinConexao : public TClass_Conexao {
 public:
  using TClass_Conexao::TClass_Conexao;
  const QList<TClass_BTVexlin>& BTVexlinList() const { return FBTVexlinList; }
  void LimpaBTVexlinList() { FBTVexlinList.clear(); }
  // Empties the list and starts a discovery of 6 s; the list arrives through Event_ListaLida.
  void LocalizarBTVexlin();

  TNotifyEvent Event_ListaLida;

 protected:
  // The list builder: paired "BT-" devices first, then the discovered ones, each once.
  void AoFimDescoberta() override;

 private:
  QList<TClass_BTVexlin> FBTVexlinList;
};

}  // namespace tovra
