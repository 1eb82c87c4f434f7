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
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

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

// An RFCOMM client socket of the kernel, used when the service record gives the
// channel: reads and writes poll the descriptor, so no event processing (and no
// timer or user action) runs inside a command wait. Default security: insecure.
constexpr int kAfBluetooth = 31;    // AF_BLUETOOTH
constexpr int kBtProtoRfcomm = 3;   // BTPROTO_RFCOMM
struct TEnderecoRfcomm {            // struct sockaddr_rc
  sa_family_t familia;
  quint8 endereco[6];               // bdaddr_t, least significant byte first
  quint8 canal;
};

QString TextoErrno(int e) { return QString::fromLocal8Bit(std::strerror(e)); }

class TSocketRfcommPosix : public ISocketRfcomm {
 public:
  TSocketRfcommPosix(const QBluetoothAddress& endereco, int canal) : FEndereco(endereco), FCanal(canal) {
    FFd = ::socket(kAfBluetooth, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, kBtProtoRfcomm);
    if (FFd < 0) throw Erro(TextoErrno(errno));
  }
  ~TSocketRfcommPosix() override { Fecha(); }

  void Conecta() override {
    TEnderecoRfcomm a{};
    a.familia = kAfBluetooth;
    const quint64 v = FEndereco.toUInt64();
    for (int i = 0; i < 6; ++i) a.endereco[i] = quint8(v >> (8 * i));
    a.canal = quint8(FCanal);
    if (::connect(FFd, reinterpret_cast<const sockaddr*>(&a), sizeof a) < 0 && errno != EINPROGRESS)
      throw Erro(TextoErrno(errno));
    FConectando = true;
  }
  bool Conectado() override {
    if (FAberto) return !FFechadoRemoto;
    if (FFd < 0 || !FConectando) return false;
    pollfd p{FFd, POLLOUT, 0};
    if (::poll(&p, 1, 0) <= 0) return false;
    int erro = 0;
    socklen_t l = sizeof erro;
    ::getsockopt(FFd, SOL_SOCKET, SO_ERROR, &erro, &l);
    if (erro != 0) {
      FConectando = false;
      throw Erro(TextoErrno(erro));
    }
    FAberto = true;
    return true;
  }
  void Envia(const QByteArray& bytes) override {
    qsizetype feito = 0;
    QElapsedTimer t;
    t.start();
    while (feito < bytes.size()) {
      const ssize_t n = ::send(FFd, bytes.constData() + feito, size_t(bytes.size() - feito), MSG_NOSIGNAL);
      if (n > 0) {
        feito += n;
        continue;
      }
      if (n < 0 && errno != EAGAIN && errno != EINTR) throw Erro(TextoErrno(errno));
      if (t.elapsed() > 2000) throw Erro("write timed out");
      pollfd p{FFd, POLLOUT, 0};
      ::poll(&p, 1, 10);
    }
  }
  QByteArray Recebe(int timeoutMs) override {
    if (FFd < 0 || FFechadoRemoto) return {};
    pollfd p{FFd, POLLIN, 0};
    const int r = ::poll(&p, 1, timeoutMs);
    if (r <= 0) return {};
    QByteArray b(16384, Qt::Uninitialized);
    const ssize_t n = ::recv(FFd, b.data(), size_t(b.size()), 0);
    if (n > 0) {
      b.resize(n);
      return b;
    }
    if (n == 0 || (errno != EAGAIN && errno != EINTR)) FFechadoRemoto = true;  // the far end went away
    return {};
  }
  void Fecha() override {
    if (FFd >= 0) ::close(FFd);
    FFd = -1;
  }

 private:
  QBluetoothAddress FEndereco;
  int FCanal = 0;
  int FFd = -1;
  bool FConectando = false;
  bool FAberto = false;
  bool FFechadoRemoto = false;
};

// Without a channel: QtBluetooth's socket, which needs the event loop to move data.
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
      r.append({s.serviceName(), uuid.toString(), s.serverChannel()});
    }
    return r;
  }

  std::unique_ptr<ISocketRfcomm> CriaSocket(const TBluetoothDispositivo& d, const TBluetoothServico& s) override {
    if (s.Canal > 0 && s.Canal <= 30) return std::make_unique<TSocketRfcommPosix>(QBluetoothAddress(d.Endereco), s.Canal);
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
