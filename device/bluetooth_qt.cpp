// The Bluetooth backend on QtBluetooth (BlueZ). Everything runs on the thread of
// the event loop: discovery, pairing and the socket report through Qt signals,
// which the link's waits let through by processing events.
//
// Without an adapter (or without BlueZ) the local device is invalid and the
// adapter reads as off, so the link reports that Bluetooth is not active.
#include <QBluetoothDeviceDiscoveryAgent>
#include <QBluetoothLocalDevice>
#include <QBluetoothServiceDiscoveryAgent>
#include <QBluetoothSocket>
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHash>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <stdexcept>

#include "common/debug.h"
#include "device/bluetooth_backend.h"

namespace tovra {

namespace {

constexpr int kLimiteServicosMs = 15000;  // one service discovery on the remote device

std::runtime_error Erro(const QString& texto) { return std::runtime_error(texto.toStdString()); }

// The paired devices BlueZ keeps (its object tree: org.bluez.Device1 objects with
// Paired set). Empty when there is no system bus or no BlueZ.
TListaDispositivosBT PareadosBlueZ() {
  TListaDispositivosBT r;
  QDBusConnection bus = QDBusConnection::systemBus();
  if (!bus.isConnected()) return r;
  const QDBusMessage pedido = QDBusMessage::createMethodCall("org.bluez", "/", "org.freedesktop.DBus.ObjectManager",
                                                            "GetManagedObjects");
  const QDBusMessage resposta = bus.call(pedido, QDBus::Block, 5000);
  if (resposta.type() != QDBusMessage::ReplyMessage || resposta.arguments().isEmpty()) return r;
  const QDBusArgument arg = resposta.arguments().first().value<QDBusArgument>();
  if (arg.currentType() != QDBusArgument::MapType) return r;
  arg.beginMap();  // a{oa{sa{sv}}}
  while (!arg.atEnd()) {
    QDBusObjectPath caminho;
    arg.beginMapEntry();
    arg >> caminho;
    arg.beginMap();
    while (!arg.atEnd()) {
      QString interface;
      QVariantMap props;
      arg.beginMapEntry();
      arg >> interface >> props;
      arg.endMapEntry();
      if (interface != "org.bluez.Device1" || !props.value("Paired").toBool()) continue;
      const QString nome = props.contains("Name") ? props.value("Name").toString() : props.value("Alias").toString();
      r.append({nome, props.value("Address").toString()});
    }
    arg.endMap();
    arg.endMapEntry();
  }
  arg.endMap();
  return r;
}

class TSocketQt : public ISocketRfcomm {
 public:
  TSocketQt(const QBluetoothAddress& endereco, const QBluetoothUuid& uuid)
      : FEndereco(endereco), FUuid(uuid), FSocket(new QBluetoothSocket(QBluetoothServiceInfo::RfcommProtocol)) {
    FSocket->setPreferredSecurityFlags(QBluetooth::Security::NoSecurity);
  }
  ~TSocketQt() override { Fecha(); }

  void Conecta() override { FSocket->connectToService(FEndereco, FUuid, QIODevice::ReadWrite); }
  bool Conectado() override {
    return FSocket && FSocket->state() == QBluetoothSocket::SocketState::ConnectedState;
  }
  void Envia(const QByteArray& bytes) override {
    if (!Conectado()) throw Erro(FSocket ? FSocket->errorString() : QString("socket closed"));
    qint64 escrito = FSocket->write(bytes);
    if (escrito != bytes.size()) throw Erro(FSocket->errorString());
    // The socket writes from the event loop; let it go out now.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  QByteArray Recebe(int timeoutMs) override {
    QElapsedTimer t;
    t.start();
    for (;;) {
      QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
      if (!FSocket) return {};
      if (FSocket->bytesAvailable() > 0) return FSocket->readAll();
      if (FSocket->state() != QBluetoothSocket::SocketState::ConnectedState) return {};
      if (t.elapsed() >= timeoutMs) return {};
      QThread::msleep(2);
    }
  }
  void Fecha() override {
    if (!FSocket) return;
    FSocket->abort();
    delete FSocket.data();
    FSocket.clear();
  }

 private:
  QBluetoothAddress FEndereco;
  QBluetoothUuid FUuid;
  QPointer<QBluetoothSocket> FSocket;
};

class TBackendBluetoothQt : public IBluetoothBackend {
 public:
  TBackendBluetoothQt() : FLocal(std::make_unique<QBluetoothLocalDevice>()) {
    QObject::connect(FLocal.get(), &QBluetoothLocalDevice::pairingFinished, FLocal.get(),
                     [this](const QBluetoothAddress& a, QBluetoothLocalDevice::Pairing p) {
                       FPareamento[a.toString()] = p == QBluetoothLocalDevice::Unpaired
                                                       ? TEstadoPareamento::Recusado
                                                       : TEstadoPareamento::Pareado;
                     });
    QObject::connect(FLocal.get(), &QBluetoothLocalDevice::errorOccurred, FLocal.get(),
                     [this](QBluetoothLocalDevice::Error e) {
                       if (e != QBluetoothLocalDevice::PairingError) return;
                       for (auto it = FPareamento.begin(); it != FPareamento.end(); ++it)
                         if (it.value() == TEstadoPareamento::Pendente) it.value() = TEstadoPareamento::Recusado;
                     });
    FTimer.setSingleShot(true);
    QObject::connect(&FTimer, &QTimer::timeout, &FTimer, [this] {
      if (FAgente && FAgente->isActive()) FAgente->stop();
      TerminaDescoberta();
    });
  }
  ~TBackendBluetoothQt() override {
    FFim = nullptr;
    FTimer.stop();
    if (FAgente && FAgente->isActive()) FAgente->stop();
  }

  bool AdaptadorLigado() override {
    return FLocal->isValid() && FLocal->hostMode() != QBluetoothLocalDevice::HostPoweredOff;
  }

  TListaDispositivosBT Pareados() override {
    // Qt has no paired-device list: BlueZ's own, then every device seen in a
    // discovery of this run that reports itself paired.
    TListaDispositivosBT r;
    if (!AdaptadorLigado()) return r;
    r = PareadosBlueZ();
    auto listado = [&r](const QString& endereco) {
      for (const auto& d : r)
        if (d.Endereco.compare(endereco, Qt::CaseInsensitive) == 0) return true;
      return false;
    };
    for (const auto& info : std::as_const(FConhecidos))
      if (!listado(info.address().toString()) &&
          FLocal->pairingStatus(info.address()) != QBluetoothLocalDevice::Unpaired)
        r.append({info.name(), info.address().toString()});
    return r;
  }

  void IniciaDescoberta(int timeoutMs, std::function<void(const TListaDispositivosBT&)> fim) override {
    FTimer.stop();
    if (FAgente && FAgente->isActive()) FAgente->stop();
    FFim = std::move(fim);
    // The old agent may be the one whose signal is running now: freed later.
    if (FAgente) {
      FAgente->disconnect();
      FAgente.release()->deleteLater();
    }
    FAgente = std::make_unique<QBluetoothDeviceDiscoveryAgent>(FLocal->address());
    auto* ag = FAgente.get();
    QObject::connect(ag, &QBluetoothDeviceDiscoveryAgent::finished, ag, [this] { TerminaDescoberta(); });
    QObject::connect(ag, &QBluetoothDeviceDiscoveryAgent::canceled, ag, [this] { TerminaDescoberta(); });
    QObject::connect(ag, &QBluetoothDeviceDiscoveryAgent::errorOccurred, ag,
                     [this, ag](QBluetoothDeviceDiscoveryAgent::Error) {
                       TDebug::Linha("Discovery: " + ag->errorString());
                       // ends from the event loop, never inside the caller's stack
                       QTimer::singleShot(0, &FTimer, [this] { TerminaDescoberta(); });
                     });
    FTimer.start(timeoutMs);
    ag->start(QBluetoothDeviceDiscoveryAgent::ClassicMethod);
  }

  void IniciaPareamento(const TBluetoothDispositivo& d) override {
    const QBluetoothAddress a(d.Endereco);
    FPareamento[a.toString()] = TEstadoPareamento::Pendente;
    FLocal->requestPairing(a, QBluetoothLocalDevice::Paired);
  }

  TEstadoPareamento EstadoPareamento(const TBluetoothDispositivo& d) override {
    const QBluetoothAddress a(d.Endereco);
    const TEstadoPareamento e = FPareamento.value(a.toString(), TEstadoPareamento::Pendente);
    if (e != TEstadoPareamento::Pendente) return e;
    return FLocal->pairingStatus(a) == QBluetoothLocalDevice::Unpaired ? TEstadoPareamento::Pendente
                                                                        : TEstadoPareamento::Pareado;
  }

  QList<TBluetoothServico> Servicos(const TBluetoothDispositivo& d) override {
    if (!AdaptadorLigado()) throw Erro("no Bluetooth adapter");
    QBluetoothServiceDiscoveryAgent ag(FLocal->address());
    ag.setRemoteAddress(QBluetoothAddress(d.Endereco));
    QEventLoop laco;
    bool falhou = false;
    QObject::connect(&ag, &QBluetoothServiceDiscoveryAgent::finished, &laco, &QEventLoop::quit);
    QObject::connect(&ag, &QBluetoothServiceDiscoveryAgent::canceled, &laco, &QEventLoop::quit);
    QObject::connect(&ag, &QBluetoothServiceDiscoveryAgent::errorOccurred, &laco,
                     [&](QBluetoothServiceDiscoveryAgent::Error) {
                       falhou = true;
                       laco.quit();
                     });
    QTimer::singleShot(kLimiteServicosMs, &laco, [&] {
      ag.stop();
      laco.quit();
    });
    ag.start(QBluetoothServiceDiscoveryAgent::FullDiscovery);
    if (ag.isActive()) laco.exec();
    if (falhou) throw Erro(ag.errorString());
    QList<TBluetoothServico> r;
    for (const QBluetoothServiceInfo& s : ag.discoveredServices()) {
      QBluetoothUuid uuid = s.serviceUuid();
      if (uuid.isNull() && !s.serviceClassUuids().isEmpty()) uuid = s.serviceClassUuids().first();
      r.append({s.serviceName(), uuid.toString()});
    }
    return r;
  }

  std::unique_ptr<ISocketRfcomm> CriaSocket(const TBluetoothDispositivo& d, const TBluetoothServico& s) override {
    const QBluetoothUuid uuid(s.Uuid);
    if (uuid.isNull()) throw Erro("invalid service UUID " + s.Uuid);
    return std::make_unique<TSocketQt>(QBluetoothAddress(d.Endereco), uuid);
  }

 private:
  void TerminaDescoberta() {
    FTimer.stop();
    if (!FFim) return;
    auto fim = std::move(FFim);
    FFim = nullptr;
    TListaDispositivosBT r;
    if (FAgente) {
      for (const QBluetoothDeviceInfo& info : FAgente->discoveredDevices()) {
        if (!(info.coreConfigurations() & QBluetoothDeviceInfo::BaseRateCoreConfiguration)) continue;
        FConhecidos[info.address().toString()] = info;
        r.append({info.name(), info.address().toString()});
      }
    }
    fim(r);
  }

  std::unique_ptr<QBluetoothLocalDevice> FLocal;
  std::unique_ptr<QBluetoothDeviceDiscoveryAgent> FAgente;
  QTimer FTimer;
  std::function<void(const TListaDispositivosBT&)> FFim;
  QHash<QString, QBluetoothDeviceInfo> FConhecidos;
  QHash<QString, TEstadoPareamento> FPareamento;
};

}  // namespace

std::unique_ptr<IBluetoothBackend> CriaBackendBluetoothQt() { return std::make_unique<TBackendBluetoothQt>(); }

}  // namespace tovra
