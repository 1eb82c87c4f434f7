// The Bluetooth link over its backend: lists, discovery, pairing, the service
// rule, the RFCOMM socket and its connect wait, sends and 100 ms reads.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include "common/debug.h"
#include "device/hexa.h"
#include "device/bluetooth.h"

namespace tovra {

namespace {

// Sleeps ms in short steps, letting the event loop run meanwhile.
void EsperaProcessando(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) {
    if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(5);
  }
}

std::optional<TBluetoothDispositivo> Procura(const TListaDispositivosBT& lista, const QString& nome) {
  for (const auto& d : lista)
    if (d.Nome == nome) return d;
  return std::nullopt;
}

QString U(const char* s) { return QString::fromUtf8(s); }

}  // namespace

namespace {
TFabricaBackendBluetooth& Fabrica() {
  static TFabricaBackendBluetooth f;
  return f;
}
}  // namespace

void DefineFabricaBackendBluetooth(TFabricaBackendBluetooth _Fabrica) { Fabrica() = std::move(_Fabrica); }

std::unique_ptr<IBluetoothBackend> CriaBackendBluetooth() {
  if (Fabrica()) {
    if (auto b = Fabrica()()) return b;
  }
  return CriaBackendBluetoothQt();
}

bool ServicoCompativel(const QString& _Nome) {
  const QString n = _Nome.toUpper();
  return n == "SERIALPORT" || n == "RNI-SPP" || n.contains("SCANNERV4");
}

bool NomeVexlinBT(const QString& _Nome) { return _Nome.startsWith("BT-", Qt::CaseSensitive); }

TClass_BluetoothLib::TClass_BluetoothLib(std::unique_ptr<IBluetoothBackend> _Backend)
    : Relogio(&RelogioMonotonico), Espera(&EsperaProcessando), FBackend(std::move(_Backend)) {}

TClass_BluetoothLib::~TClass_BluetoothLib() {
  TDebug::Linha("TClass_BluetoothLib.Destroy - Desconectar");
  // The owner is going away: closing raises no events.
  Event_Desconectado = nullptr;
  Event_DebugStatus = nullptr;
  Desconectar();
}

IBluetoothBackend& TClass_BluetoothLib::Backend() const {
  if (!FBackend) FBackend = CriaBackendBluetooth();
  return *FBackend;
}

// ---------------------------------------------------------------- lists

std::optional<TBluetoothDispositivo> TClass_BluetoothLib::GetDeviceByName(const QString& _Name) const {
  if (auto d = Procura(FPairedList, _Name)) return d;
  return Procura(FDeviceList, _Name);
}

bool TClass_BluetoothLib::Pareado(const QString& _Name) const { return Procura(FPairedList, _Name).has_value(); }

bool TClass_BluetoothLib::BTEnabled() const { return Backend().AdaptadorLigado(); }

void TClass_BluetoothLib::GetPairedList() {
  TDebug::Linha("TClass_BluetoothLib.GetPairedList");
  FPairedList = Backend().Pareados();
}

QString TClass_BluetoothLib::GetAddress() const {
  if (auto d = GetDeviceByName(FDeviceName)) return d->Endereco;
  return {};
}

void TClass_BluetoothLib::LocalizarDevices(int _Timeout) {
  TDebug::Linha("TClass_BluetoothLib.LocalizarDevices");
  if (!BTEnabled()) {
    TDebug::Linha("BT inativo");
    throw EVexlin(U("O Bluetooth do seu dispositivo não está ativo. Verifique!"));
  }
  TDebug::Linha("BT Ativo");
  if (Conectado()) {
    TDebug::Linha("TClass_BluetoothLib.LocalizarDevices - Desconectar");
    Desconectar();
  } else {
    TDebug::Linha("Desconectado");
  }
  TDebug::Linha("Obtendo lista de devices pareados");
  GetPairedList();
  TDebug::Linha("Iniciando Discovery");
  // The backend belongs to this link and drops a pending callback when it is freed.
  Backend().IniciaDescoberta(_Timeout, [this](const TListaDispositivosBT& l) { OnGetDeviceList(l); });
}

void TClass_BluetoothLib::OnGetDeviceList(const TListaDispositivosBT& _Lista) {
  TDebug::Linha("TClass_BluetoothLib.OnGetDeviceList - Fim Discovery");
  FDeviceList = _Lista;
  // Pairings made while the discovery ran are known now too.
  try {
    GetPairedList();
  } catch (const std::exception& e) {
    TDebug::Linha("TClass_BluetoothLib.GetPairedList: " + TextoDe(e));
  }
  Dispara(Event_ListaLida);
}

// ---------------------------------------------------------------- pairing

void TClass_BluetoothLib::Parear(const QString& _DeviceName) {
  FDeviceName = _DeviceName;
  const auto disp = Procura(FDeviceList, _DeviceName);
  if (!disp) throw EVexlin(U("Dispositivo não encontrado na lista de devices."));
  TDebug::Linha("TClass_BluetoothLib.Parear: " + _DeviceName);
  Backend().IniciaPareamento(*disp);
  // The platform may never answer (a dialog nobody confirms): the wait is bounded.
  const qint64 inicio = Relogio();
  for (;;) {
    const TEstadoPareamento e = Backend().EstadoPareamento(*disp);
    if (e == TEstadoPareamento::Pareado) break;
    if (e == TEstadoPareamento::Recusado) {
      TDebug::Linha("Pareamento recusado: " + _DeviceName);
      throw EVexlin(U("O pareamento com o device %1 foi recusado.").arg(_DeviceName));
    }
    if (Relogio() - inicio >= LimitePareamentoMs) {
      TDebug::Linha(U("Pareamento sem resposta: ") + _DeviceName);
      throw EVexlin(U("O pareamento com o device %1 não foi concluído em %2 s. Confirme o pareamento e tente de novo.")
                        .arg(_DeviceName)
                        .arg((LimitePareamentoMs + 999) / 1000));
    }
    Espera(bluetooth::kPassoPareamentoMs);
  }
  TDebug::Linha("Pareado: " + _DeviceName);
  GetPairedList();
  Dispara(Event_Pareado);
}

// ---------------------------------------------------------------- services

std::optional<TBluetoothServico> TClass_BluetoothLib::ServicoCompativelDoPareado(const QString& _DeviceName,
                                                                                  bool& _Achou) {
  _Achou = false;
  if (FPairedList.isEmpty()) return std::nullopt;
  const auto disp = Procura(FPairedList, _DeviceName);
  if (!disp) return std::nullopt;
  _Achou = true;
  Status(_DeviceName + " encontrado na pairedlist");
  const QList<TBluetoothServico> servicos = Backend().Servicos(*disp);
  Status(QString("qtd services: %1").arg(servicos.size()));
  for (int i = 0; i < servicos.size(); ++i) {
    Status(QString("Service %1 : %2").arg(i).arg(servicos[i].Nome));
    if (ServicoCompativel(servicos[i].Nome)) return servicos[i];
  }
  return std::nullopt;
}

bool TClass_BluetoothLib::DeviceIsOnline(const QString& _DeviceName) {
  Status("Verificando Online " + _DeviceName);
  try {
    bool achou = false;
    return ServicoCompativelDoPareado(_DeviceName, achou).has_value();
  } catch (const std::exception&) {
    return false;
  }
}

TBluetoothServico TClass_BluetoothLib::GetServiceByDeviceName(const QString& _DeviceName) {
  try {
    bool achou = false;
    if (auto s = ServicoCompativelDoPareado(_DeviceName, achou)) return *s;
  } catch (const std::exception& e) {
    TDebug::Linha("TClass_BluetoothLib.GetServiceByDeviceName: " + TextoDe(e));
  }
  return {};
}

// ---------------------------------------------------------------- the socket

void TClass_BluetoothLib::Conectar(const QString& _DeviceName) {
  FDeviceName = _DeviceName;
  const auto disp = GetDeviceByName(_DeviceName);
  if (!disp) throw EVexlin(U("Dispositivo não encontrado na lista de pareados."));

  QList<TBluetoothServico> servicos;
  try {
    servicos = Backend().Servicos(*disp);
    if (servicos.isEmpty()) servicos = Backend().Servicos(*disp);
  } catch (const std::exception& e) {
    // A failed service read ends the attempt without an error; the caller sees no link.
    TDebug::Linha(U("TClass_BluetoothLib.Conectar - falha ao ler os serviços: ") + TextoDe(e));
    return;
  }
  if (servicos.isEmpty()) throw EVexlin(U("Nenhum serviço encontrado no device: ") + _DeviceName);

  std::optional<TBluetoothServico> servico;
  QString ultimo;
  for (const auto& s : servicos) {
    ultimo = s.Nome;
    if (ServicoCompativel(s.Nome)) {
      servico = s;
      break;
    }
  }
  if (!servico) throw EVexlin(U("Nenhum serviço compatível encontrado no device: ") + ultimo);
  TDebug::Linha("Service Encontrado: " + servico->Nome);

  FechaSocket();  // a previous connection is replaced
  TDebug::Linha("Criando Socket com: " + servico->Nome);
  std::unique_ptr<ISocketRfcomm> socket;
  try {
    socket = Backend().CriaSocket(*disp, *servico);
  } catch (const std::exception& e) {
    TDebug::Linha("Falha ao criar socket");
    throw EVexlin(U("Falha ao criar client socket para o device ") + _DeviceName + "\r" + TextoDe(e));
  }
  if (!socket) {
    Status("Socket nil");
    return;
  }

  FSocket = std::move(socket);
  ISocketRfcomm* const s = FSocket.get();
  bool conectou = false;
  try {
    Status("Socket com service " + servico->Uuid + U(" criado com sucesso. Tentando conexão!"));
    s->Conecta();
    const qint64 inicio = Relogio();
    while (!s->Conectado() && Relogio() - inicio < bluetooth::kLimiteConexaoMs) {
      Espera(bluetooth::kPassoConexaoMs);
      // The user interface ran meanwhile: somebody may have closed the link.
      if (FSocket.get() != s) return;
    }
    conectou = s->Conectado();
  } catch (const std::exception&) {
    FechaSocket();
    throw EVexlin(U("Falha ao conectar com o device ") + _DeviceName + " (" + servico->Nome + ")");
  }
  if (!conectou) {
    TDebug::Linha(U("Socket não conectado: ") + servico->Nome);
    // A socket left connecting would come up later without anybody knowing.
    FechaSocket();
    return;
  }
  FAberto = true;
  Status("Socket com service " + servico->Uuid + " conectado com sucesso!");
  Dispara(Event_Conectado);
}

void TClass_BluetoothLib::FechaSocket() {
  FAberto = false;
  if (!FSocket) return;
  try {
    FSocket->Fecha();
  } catch (const std::exception&) {
  }
  FSocket.reset();
}

void TClass_BluetoothLib::Desconectar() {
  TDebug::Linha("TClass_BluetoothLib.Desconectar");
  const bool havia = bool(FSocket);
  FechaSocket();
  if (havia) Dispara(Event_Desconectado);
}

bool TClass_BluetoothLib::Conectado() const { return FSocket && FAberto; }

void TClass_BluetoothLib::EnviaFrame(const HexaString& _Frame) {
  if (_Frame.isEmpty()) {
    TDebug::Linha("TClass_BluetoothLib.EnviaFrame - frame vazio");
    return;
  }
  if (Conectado() && !FSocket->Conectado()) Desconectar();  // the far end went away
  if (!Conectado()) throw EVexlin(U("Dispositivo não conectado"));
  try {
    FSocket->Envia(ToBytes(_Frame));
  } catch (const std::exception&) {
    TDebug::Linha("TClass_BluetoothLib.EnviaFrame " + _Frame + " - Desconectar");
    Desconectar();
    throw EVexlin("Falha ao enviar dados");
  }
  Dispara(Event_BytesEnviados, _Frame);
}

bool TClass_BluetoothLib::LerFrame(QString& _Erro) {
  // The socket lives on the main thread: a read from another thread runs there.
  QCoreApplication* app = QCoreApplication::instance();
  if (app && QThread::currentThread() != app->thread()) {
    bool r = false;
    QMetaObject::invokeMethod(app, [&] { r = LerFrame(_Erro); }, Qt::BlockingQueuedConnection);
    return r;
  }
  _Erro.clear();
  if (!Conectado()) {
    _Erro = "Dispositivo desconectado";
    return false;
  }
  try {
    const QByteArray bytes = FSocket->Recebe(FTimeoutLeitura);
    if (bytes.isEmpty()) {
      if (!FSocket->Conectado()) Desconectar();  // the far end went away
      return false;
    }
    const HexaString texto = FromBytes(bytes);
    if (QtdBytes(texto) != bytes.size())
      throw EVexlin(U("Erro conversão array to hexstring, Qtd. Array: %1 - Qtd Hex: %2")
                        .arg(bytes.size())
                        .arg(QtdBytes(texto)));
    EntregaBytes(bytes);
    return true;
  } catch (const std::exception& e) {
    _Erro = TextoDe(e);
    return false;
  }
}

}  // namespace tovra
