#include "diagnosis/tovraconexao.h"

#include <QSysInfo>

#include "common/debug.h"
#include "common/dialogos.h"
#include "common/jsonini.h"
#include "common/pastas.h"
#include "device/equipamento.h"
#include "device/hexa.h"
#include "device/vexlin.h"
#include "diagnosis/diagvexlin.h"

namespace tovra {

namespace {

QString U(const char* s) { return QString::fromUtf8(s); }
void Linha(const QString& s) { TDebug::Linha(s); }
// A dump that cannot be written must not turn a handled failure into another one.
void Dump(const QString& label) {
  try {
    TDebug::SalvaDump(label);
  } catch (const std::exception& e) {
    TDebug::Linha("SalvaDump " + label + ": " + QString::fromUtf8(e.what()));
  }
}

TInfoEquipamento& Info() {
  static TInfoEquipamento i;
  return i;
}

QString NomeTipoConexao(TTypeConexao t) { return t == TTypeConexao::tcUSB ? "tcUSB" : "tcBluetooth"; }

constexpr int kIntervaloTimerMs = 25;
constexpr int kEsperaReconexaoMs = 6000;

}  // namespace

const TInfoEquipamento& InfoEquipamento() { return Info(); }

bool EquipamentoSuportado(int _Tipo) {
  switch (TType_Equipamento(_Tipo)) {
    case TType_Equipamento::VexlinV3:
    case TType_Equipamento::Quadrel2:
    case TType_Equipamento::VexlinPad:
    case TType_Equipamento::VexlinV4:
    case TType_Equipamento::VexlinPad2:
    case TType_Equipamento::VexlinV5:
    case TType_Equipamento::VexlinPad3:
      return true;
    default:
      return false;
  }
}

TClassTovraConexao& TClassTovraConexao::GetInstance() {
  static TClassTovraConexao instancia;
  return instancia;
}

TClassTovraConexao::TClassTovraConexao() {
  Linha("TClassTovraConexao.Create");
  FTimer.setSingleShot(true);
  FTimer.setInterval(kIntervaloTimerMs);
  QObject::connect(&FTimer, &QTimer::timeout, [this] { OnTimer(); });
  AguardaMs = [](int ms) { ::tovra::AguardaMs(ms); };
}

TClassTovraConexao::~TClassTovraConexao() {
  FTimer.stop();
  FListaBT.reset();
  if (FDiag) {
    if (DiagVexlin() == FDiag.get()) DefineDiagVexlin(nullptr);
    try {
      FDiag.reset();
    } catch (...) {
    }
  }
}

// ------------------------------------------------------------------ the attempt

void TClassTovraConexao::Conecta() {
  Linha("TClassTovraConexao.Conecta");
  if (FEmTentativa) {
    // The running attempt reports to the same handler.
    Linha(U("TClassTovraConexao.Conecta - tentativa em andamento"));
    return;
  }
  FEmTentativa = true;
  FResultadoChamado = false;
  FLastError.clear();

  if (FDiag && FDiag->Vexlin().Conectado()) {
    bool responde = false;
    try {
      responde = FDiag->Vexlin().ConexaoAtiva() && FDiag->Vexlin().Reset();
    } catch (const std::exception& e) {
      Linha("TClassTovraConexao.Conecta: " + TextoDe(e));
    }
    if (responde) {
      Linha(U("Equipamento já conectado"));
      CallResult(true);
      return;
    }
    Linha(U("Equipamento não respondeu"));
    TDialogos::StatusShow("Reconectando. Aguarde...");
    if (!DestroyDiag()) {
      CallResult(false);
      return;
    }
    AguardaMs(kEsperaReconexaoMs);
  } else if (FDiag) {
    Linha(U("gDiag existe, mas não está conectado"));
  } else {
    Linha("gDiag nulo");
  }

  TDialogos::StatusShow("LocalizandoEquipamento");
  if (!CriaDiag()) return;  // CriaDiag ended the attempt

  const QString tipo = LeConfString(conf::kEquipamento, conf::kTipoConexao);
  const QString porta = LeConfString(conf::kEquipamento, conf::kPortaUsb);
  TClass_Vexlin& v = FDiag->Vexlin();
  auto perguntaBluetooth = [this] {
    TDialogos::PerguntaShow("Confirmacao", "TentarBluetooth", [this](int r) { RespostaBluetooth(r); });
  };
  try {
    if (tipo.isEmpty() || porta.isEmpty()) {
      if (tipo == "BLUETOOTH") {
        TentaConexaoBluetooth();
        return;
      }
      if (!v.LocalizarVexlinEmTodasPortasUSB() && !FResultadoChamado) perguntaBluetooth();
    } else if (tipo == "BLUETOOTH") {
      TentaConexaoBluetooth();
    } else if (tipo == "USB") {
      if (!v.LocalizarVexlinNaUSB(porta) && !FResultadoChamado && !v.LocalizarVexlinEmTodasPortasUSB() &&
          !FResultadoChamado)
        perguntaBluetooth();
    } else {
      // A value this program never writes: the remembered link is unusable, so the
      // attempt ends (and forgets it) instead of leaving the caller waiting.
      FLastError = U("Tipo de conexão desconhecido: ") + tipo;
      Linha(FLastError);
      CallResult(false);
    }
  } catch (const std::exception& e) {
    FLastError = "Ex - Conecta: " + TextoDe(e);
    Linha(FLastError);
    Dump("TClassTovraConexao_Conecta");
    CallResult(false);
  }
}

void TClassTovraConexao::TentaConexaoBluetooth() {
  Linha("TClassTovraConexao.TentaConexaoBluetooth");
  if (!FDiag) {
    FLastError = "Ex - Ao criar objeto de conexão: sem sessão";
    CallResult(false);
    return;
  }
  TClass_Vexlin& v = FDiag->Vexlin();
  bool ligado = false;
  try {
    ligado = v.BTEnabled();
  } catch (const std::exception& e) {
    Linha("TClassTovraConexao.TentaConexaoBluetooth: " + TextoDe(e));
  }
  if (!ligado) {
    Linha("Bluetooth desligado");
    TDialogos::MensagemShow("BTDesligado", "AtiveBluetooth", [this](int) { CallResult(false); });
    return;
  }
  Linha("localizar BT");
  TDialogos::StatusShow("LocalizandoListaBT");
  v.Event_ListaLida = [this] { OnListasLidas(); };
  try {
    v.LocalizarBTVexlin();
  } catch (const std::exception& e) {
    FLastError = "Ex - Ao localizar BT: " + TextoDe(e);
    Linha(FLastError);
    Dump("TClassTovraConexao_TentaConexaoBluetooth");
    CallResult(false);
  }
}

void TClassTovraConexao::RespostaBluetooth(int _Resultado) {
  if (_Resultado == kResultadoOk) {
    TentaConexaoBluetooth();
    return;
  }
  FLastError = U("Conexão cancelada");
  CallResult(false);
}

void TClassTovraConexao::StartSeachBT() {
  Linha("TClassTovraConexao.StartSeachBT");
  TDialogos::StatusShow("LocalizandoEquipamento");
  if (!FDiag) {
    FLastError = "Ex - Ao localizar BT: sem sessão";
    CallResult(false);
    return;
  }
  TClass_Vexlin& v = FDiag->Vexlin();
  v.Event_ListaLida = [this] { OnListasLidas(); };
  try {
    v.LimpaListaDevices();
    v.LocalizarBTVexlin();
  } catch (const std::exception& e) {
    FLastError = "Ex - Ao localizar BT: " + TextoDe(e);
    Linha(FLastError);
    Dump("TClassTovraConexao_StartSeachBT");
    CallResult(false);
  }
}

void TClassTovraConexao::OnListasLidas() {
  Linha("TClassTovraConexao.OnListasLidas");
  if (!FEmTentativa || FResultadoChamado || !FDiag) return;  // a discovery outside an attempt
  if (FDiag->Vexlin().BTVexlinList().isEmpty()) {
    TDialogos::MensagemShow("Atencao", "NenhumDispositivo", [this](int) { CallResult(false); });
    return;
  }
  EscolherDevices();
}

void TClassTovraConexao::EscolherDevices() {
  Linha("TClassTovraConexao.EscolherDevices");
  const QString nome = LeConfString(conf::kEquipamento, conf::kDeviceName);
  const QList<TClass_BTVexlin>& lista = FDiag->Vexlin().BTVexlinList();
  if (nome.isEmpty()) {
    ListarDispositivos();
    return;
  }
  int indice = -1;
  for (int i = 0; i < lista.size(); ++i)
    if (lista[i].Name == nome) {
      indice = i;
      break;
    }
  if (indice >= 0) {
    Linha(QString("Encontrou dispositivo. Indice: %1").arg(indice));
    Linha(QString("Indice %1: %2").arg(nome).arg(indice));
    Linha(U("Tentanto conexão com últ testado: ") + nome);
    ConectarBT(nome);
    return;
  }
  if (lista.size() == 1) {
    const QString unico = lista.first().Name;
    Linha(U("Conectar com o único dispositivo disponível: ") + unico);
    ConectarBT(unico);
    return;
  }
  ListarDispositivos();
}

void TClassTovraConexao::ListarDispositivos() {
  Linha("TClassTovraConexao.ListarDispositivos");
  TDialogos::StatusHide();
  CriarFrmListaBT();
  if (!FListaBT) {
    // Nobody can choose: the attempt ends instead of waiting for ever.
    FLastError = U("Lista de dispositivos indisponível");
    Linha(FLastError);
    CallResult(false);
    return;
  }
  FListaBT->ListarPortas(FDiag->Vexlin().BTVexlinList());
  FListaBT->Mostra();
}

void TClassTovraConexao::CriarFrmListaBT() {
  if (FListaBT || !FFabricaListaBT) return;
  TEventosListaBT ev;
  ev.FEventClose = [this] { OnCloseListaBT(); };
  ev.FEventReload = [this] { OnReloadBT(); };
  ev.FEventSelected = [this](const QString& n) { OnDeviceSelected(n); };
  FListaBT = FFabricaListaBT(ev);
}

void TClassTovraConexao::FechaListaBT() {
  if (FListaBT) FListaBT->Fecha();
}

void TClassTovraConexao::OnDeviceSelected(const QString& _Name) {
  Linha("TClassTovraConexao.OnDeviceSelected: " + _Name);
  FDeviceSelected = _Name;
  FechaListaBT();
  IniciaTimer(TTipoEventoTimer::etDeviceSelected);
}

void TClassTovraConexao::OnReloadBT() { IniciaTimer(TTipoEventoTimer::etReloadBT); }

void TClassTovraConexao::OnCloseListaBT() {
  FechaListaBT();
  FLastError = U("Operação cancelada");
  CallResult(false);
}

void TClassTovraConexao::IniciaTimer(TTipoEventoTimer _Evento) {
  FEventoTimer = _Evento;
  FTimer.start();
}

void TClassTovraConexao::OnTimer() {
  FTimer.stop();
  Linha("TClassTovraConexao.OnTimer");
  const TTipoEventoTimer ev = FEventoTimer;
  FEventoTimer = TTipoEventoTimer::etNone;
  switch (ev) {
    case TTipoEventoTimer::etDeviceSelected:
      ConectarBT(FDeviceSelected);
      break;
    case TTipoEventoTimer::etReloadBT:
      StartSeachBT();
      break;
    case TTipoEventoTimer::etResult:
      ReturnResult();
      break;
    case TTipoEventoTimer::etNone:
      break;
  }
}

void TClassTovraConexao::ConectarBT(const QString& _Name) {
  Linha("TClassTovraConexao.ConectarBT: " + _Name);
  if (!FEmTentativa || FResultadoChamado || !FDiag) return;
  TDialogos::StatusShow(U("Tentando conexão com : ") + _Name);
  try {
    FDiag->Vexlin().Conectar(_Name, TTypeConexao::tcBluetooth);
  } catch (const std::exception& e) {
    if (FResultadoChamado) return;  // the checks after the link already answered
    FLastError = "Ex - Ao conectar BT: " + TextoDe(e);
    Linha(FLastError);
    Dump("TClassTovraConexao_ConectarBT");
    CallResult(false);
    return;
  }
  // A link that comes up continues at OnConectado (inside Conectar); one that
  // returned quietly without a socket must still end the attempt.
  if (!FResultadoChamado && !(FDiag && FDiag->Vexlin().Conectado())) {
    FLastError = U("Ex - Ao conectar BT: não foi possível conectar com ") + _Name;
    Linha(FLastError);
    Dump("TClassTovraConexao_ConectarBT");
    CallResult(false);
  }
}

void TClassTovraConexao::OnConectado() {
  Linha("TClassTovraConexao.OnConectado");
  if (!FEmTentativa || FResultadoChamado) return;  // a reconnection outside an attempt
  TDialogos::StatusShow("VerificandoInfo");
  if (!SalvaInfoConfLocal()) {
    CallResult(false);
    return;
  }
  if (FResultadoChamado) return;
  try {
    Linha("Verificando Tipo Equipamento");
    const int tipo = FDiag->Vexlin().TipoEquipamento();
    if (EquipamentoSuportado(tipo)) {
      CallResult(true);
      return;
    }
    Linha(U("Tipo incompatível: ") + NomeEquipamento(tipo));
    FLastError = U("Tipo incompatível: ") + NomeEquipamento(tipo);
    TDialogos::MensagemShow("ScannerIncompativel", "TipoIncompativel", [this](int) { CallResult(false); });
  } catch (const std::exception& e) {
    FLastError = "Ex - Ao obter tipo equipamento: " + TextoDe(e);
    Linha(FLastError);
    Dump("ClassTovraConexao_OnConectado");
    CallResult(false);
  }
}

bool TClassTovraConexao::SalvaInfoConfLocal() {
  Linha("TClassTovraConexao.SalvaInfoConfLocal");
  try {
    TClass_Vexlin& v = FDiag->Vexlin();
    if (v.TipoConexao() == TTypeConexao::tcBluetooth) {
      EscreveConfString(conf::kEquipamento, conf::kDeviceName, v.NomeConexao());
      EscreveConfString(conf::kEquipamento, conf::kTipoConexao, "BLUETOOTH");
      Linha("Aguardando CC");
      v.AguardaCC();
      Linha("Saiu do AguardaCC");
    } else {
      EscreveConfString(conf::kEquipamento, conf::kPortaUsb, v.PortaConectada());
      EscreveConfString(conf::kEquipamento, conf::kTipoConexao, "USB");
    }
    Linha("Solicitando NrSerie");
    const quint32 nr = v.NrSerie();
    Info().NrSerie = nr;
    if (nr == 0) {
      FLastError = U("Não foi possível obter número de série do equipamento.");
      Linha("NrSerie Zerado");
      Dump("SalvaInfoConfLocal_NrSerie");
      return false;
    }
    EscreveConfString(conf::kEquipamento, conf::kNrSerie, QString::number(nr));
    Info().ServicePack = v.VersaoServicePack();
    Info().Firmware = v.VersaoFirmware();
    // A failure here has ended the attempt already.
    AtualizaDebugInfoEquip();
    return true;
  } catch (const std::exception& e) {
    FLastError = "Ex - SalvaInfoConfLocal: " + TextoDe(e);
    Linha(FLastError);
    Dump("SalvaInfoConfLocal");
    return false;
  }
}

bool TClassTovraConexao::AtualizaDebugInfoEquip() {
  Linha("TClassTovraConexao.AtualizaDebugInfoEquip");
  try {
    TClass_Vexlin& v = FDiag->Vexlin();
    const int tipo = v.TipoEquipamento();
#ifdef NDEBUG
    const QString compilacao = "Release";
#else
    const QString compilacao = "Debug";
#endif
    TDebug::LimpaInfo();
    TDebug::AddInfo(QString("NrSerie: %1").arg(Info().NrSerie));
    TDebug::AddInfo(QString("SP: %1").arg(Info().ServicePack));
    TDebug::AddInfo("Firmware: " + Info().Firmware);
    TDebug::AddInfo(QString("Tovra: ") + TOVRA_VERSION_TEXT);
    TDebug::AddInfo("Tipo Equip: " + NomeEquipamento(tipo));
    TDebug::AddInfo(U("Tipo Conexão: ") + NomeTipoConexao(v.TipoConexao()));
    TDebug::AddInfo("SO: " + QSysInfo::kernelType().toUpper());
    TDebug::AddInfo(U("Compilação: ") + compilacao);
    TDebug::AddInfo(Pastas::ModoTeste() ? U("Rodando: Em Homologação") : U("Rodando: Versão Produção"));
    return true;
  } catch (const std::exception& e) {
    FLastError = "Ex - Ao adicionar info debug: " + TextoDe(e);
    Linha(FLastError);
    Dump("TClassTovraConexao_AtualizaDebugInfoEquip");
    CallResult(false);
    return false;
  }
}

void TClassTovraConexao::OnFatalError() {
  Linha("TClassTovraConexao.OnFatalError");
  // Outside an attempt the link loss belongs to the screen that owns the device.
  if (!FEmTentativa || FResultadoChamado) return;
  FLastError = "Falha desconhecida";
  Dump("ClassTovraConexao_OnFatalError");
  CallResult(false);
}

void TClassTovraConexao::CallResult(bool _Value) {
  Linha("TClassTovraConexao.CallResult");
  if (FResultadoChamado) {
    Linha(U("TClassTovraConexao.CallResult - resultado já informado"));
    return;
  }
  FResultadoChamado = true;
  FResultadoConexao = _Value;
  IniciaTimer(TTipoEventoTimer::etResult);
}

void TClassTovraConexao::ReturnResult() {
  Linha(FResultadoConexao ? "TClassTovraConexao.ReturnResult: true" : "TClassTovraConexao.ReturnResult: false");
  TDialogos::StatusHide();
  TDialogos::HideMensagens();
  if (!FResultadoConexao) {
    EscreveConfString(conf::kEquipamento, conf::kDeviceName, "");
    EscreveConfString(conf::kEquipamento, conf::kTipoConexao, "");
    EscreveConfString(conf::kEquipamento, conf::kPortaUsb, "");
    EscreveConfString(conf::kEquipamento, conf::kNrSerie, "");
    DestroyDiag();
  }
  FEmTentativa = false;
  const bool r = FResultadoConexao;
  if (EventConnectionFinished) EventConnectionFinished(r);
}

// ------------------------------------------------------------------ the session

bool TClassTovraConexao::CriaDiag() {
  Linha("TClassTovraConexao.CriaDiag");
  if (FDiag) return true;
  try {
    FDiag = FFabricaDiag ? FFabricaDiag(Pastas::Logs()) : std::make_unique<TClassDiagVexlin>(Pastas::Logs());
    if (!FDiag) throw std::runtime_error("sessão não criada");
    DefineDiagVexlin(FDiag.get());
    TClass_Vexlin& v = FDiag->Vexlin();
    v.Event_ListaLida = [this] { OnListasLidas(); };
    v.Event_PerdaComunicacao = [this] { OnFatalError(); };
    FDiag->SetEvent_DebugStatus([](const QString& s) { TDebug::Linha(s); });
    v.Event_Conectado = [this] { OnConectado(); };
    return true;
  } catch (const std::exception& e) {
    FDiag.reset();
    FLastError = "Ex - Ao criar objeto de conexão: " + TextoDe(e);
    Linha(FLastError);
    Dump("TClassTovraConexao_CriaDiag");
    CallResult(false);
    return false;
  }
}

bool TClassTovraConexao::DestroyDiag() {
  Linha("TClassTovraConexao.DestroyDiag");
  if (!FDiag) return true;
  if (DiagVexlin() == FDiag.get()) DefineDiagVexlin(nullptr);
  try {
    FDiag.reset();
    return true;
  } catch (const std::exception& e) {
    FLastError = "Ex - Ao destruir objeto de conexão: " + TextoDe(e);
    Linha(FLastError);
    Dump("TClassTovraConexao_DestroyDiag");
    return false;
  }
}

}  // namespace tovra
