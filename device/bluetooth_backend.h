#pragma once
// The platform side of the Bluetooth link: adapter state, paired devices,
// discovery, pairing, service lists and RFCOMM client sockets. The link
// (TClass_BluetoothLib) holds every rule and text; a backend only answers.
//
// Two implementations: QtBluetooth on a real adapter (bluetooth_qt.cpp) and the
// simulated one in sim/ whose sockets lead to the device simulator.
#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

namespace tovra {

struct TBluetoothServico {
  QString Nome;
  QString Uuid;  // "{00001101-0000-1000-8000-00805f9b34fb}"
  int Canal = -1;  // RFCOMM channel when the service record gave one
  bool Vazio() const { return Nome.isEmpty() && Uuid.isEmpty(); }
};

struct TBluetoothDispositivo {
  QString Nome;
  QString Endereco;  // "00:11:22:33:44:55"
};

using TListaDispositivosBT = QList<TBluetoothDispositivo>;

enum class TEstadoPareamento { Pendente, Pareado, Recusado };

// An RFCOMM client socket. Failures throw std::exception with the platform's text.
class ISocketRfcomm {
 public:
  virtual ~ISocketRfcomm() = default;
  virtual void Conecta() = 0;  // starts connecting; Conectado() tells when it is done
  virtual bool Conectado() = 0;
  virtual void Envia(const QByteArray& _Bytes) = 0;
  // Whatever arrives within _TimeoutMs (it may return as soon as some bytes came).
  virtual QByteArray Recebe(int _TimeoutMs) = 0;
  virtual void Fecha() = 0;
};

class IBluetoothBackend {
 public:
  virtual ~IBluetoothBackend() = default;
  virtual bool AdaptadorLigado() = 0;
  virtual TListaDispositivosBT Pareados() = 0;
  // Starts a discovery of _TimeoutMs; _Fim is called once, from the event loop,
  // with the devices found. A discovery already running is stopped first.
  virtual void IniciaDescoberta(int _TimeoutMs, std::function<void(const TListaDispositivosBT&)> _Fim) = 0;
  // Asks the adapter to pair; EstadoPareamento tells how it went.
  virtual void IniciaPareamento(const TBluetoothDispositivo& _Disp) = 0;
  virtual TEstadoPareamento EstadoPareamento(const TBluetoothDispositivo& _Disp) = 0;
  // The device's service list; throws when it cannot be read.
  virtual QList<TBluetoothServico> Servicos(const TBluetoothDispositivo& _Disp) = 0;
  // An insecure client socket for the service; throws when it cannot be created.
  virtual std::unique_ptr<ISocketRfcomm> CriaSocket(const TBluetoothDispositivo& _Disp,
                                                    const TBluetoothServico& _Servico) = 0;
};

// The QtBluetooth backend (BlueZ); without an adapter it reports the adapter off.
std::unique_ptr<IBluetoothBackend> CriaBackendBluetoothQt();

// The backend a link created without one gets: the installed factory's, else
// QtBluetooth. The demo installs the simulated adapter here; an empty factory
// restores QtBluetooth.
using TFabricaBackendBluetooth = std::function<std::unique_ptr<IBluetoothBackend>()>;
void DefineFabricaBackendBluetooth(TFabricaBackendBluetooth _Fabrica);
std::unique_ptr<IBluetoothBackend> CriaBackendBluetooth();

}  // namespace tovra
