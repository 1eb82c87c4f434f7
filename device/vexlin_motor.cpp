// The device object's life cycle, exchanges and waits, state commands and errors.
#include <QElapsedTimer>

#include "common/debug.h"
#include "device/hexa.h"
#include "device/vexlin.h"

namespace tovra {

TClass_Vexlin::TClass_Vexlin(const QString& _Path, std::unique_ptr<ITransporteVexlin> _Transporte)
    : Relogio(&RelogioMonotonico), FPath(_Path) {
  FListaFrames.Event_TrataFrame = [this] { TrataFrameEmLista(); };
  FReceptor.Event_FramesNaLista = [this] { ProcessaListaFrames(); };
  FConexao = std::make_unique<TClass_VexlinConexao>(std::move(_Transporte));
  FConexao->Event_BytesEnviados = [this](const HexaString& f) {
    const QString t = "> " + f;
    TDebug::Linha(t);
    Dispara(Event_BytesEnviados, t);
  };
  FConexao->Event_BytesRecebidosBytes = [this](const QByteArray& b) { RecebeBytes(b); };
  FConexao->Event_Conectado = [this] { TrataConectado(); };
  FConexao->Event_Desconectado = [this] { TrataDesconectado(); };
  FConexao->Event_DebugStatus = [this](const QString& s) { Dispara(Event_DebugStatus, s); };
  FNowUltComando = Agora();
}

TClass_Vexlin::~TClass_Vexlin() {
  TDebug::Linha("TClass_Vexlin.Destroy");
  // The owner is freeing the object: the closing hard reset and disconnection
  // raise no client events (their handlers may already be gone).
  Event_BytesEnviados = nullptr;
  Event_BytesRecebidos = nullptr;
  Event_Conectado = nullptr;
  Event_Desconectado = nullptr;
  Event_DebugStatus = nullptr;
  if (FConexao) {
    try {
      HardReset();
      TDebug::Linha("TClass_Vexlin.Destroy - Desconectar");
      Desconectar();
    } catch (const std::exception& e) {
      TDebug::Linha("TClass_Vexlin.Destroy: " + TextoDe(e));
    }
    FConexao.reset();
  }
}

void TClass_Vexlin::Conectar(const QString& _Value, TTypeConexao _Tipo) { FConexao->Conectar(_Value, _Tipo); }

void TClass_Vexlin::Desconectar() {
  TDebug::Linha("TClass_Vexlin.Desconectar");
  FConexao->Desconectar();
}

void TClass_Vexlin::TrataConectado() {
  FReceptor.EmContinuo = false;
  FEmAjuste = false;
  FEmAtuador = false;
  FDados72.clear();
  FModeloFLX.clear();
  FFrameConfirmado.clear();
  FReceptor.Limpa();
  FListaFrames.Limpa();
  Dispara(Event_Conectado);
}

void TClass_Vexlin::TrataDesconectado() {
  // Only wired for a client that listens for the disconnection.
  if (!Event_Desconectado) return;
  FReceptor.Limpa();
  FListaFrames.Limpa();
  Event_Desconectado();
}

// ---------------------------------------------------------------- exchanges

bool TClass_Vexlin::EnviaComando(const HexaString& _ComandoEnvia, const HexaString& _DadosEnvia) {
  if (!Conectado()) return false;
  try {
    FConexao->EnviaFrame(MontaFrame(_ComandoEnvia, _DadosEnvia));
    return true;
  } catch (const std::exception& e) {
    TDebug::Linha("EnviaComando " + _ComandoEnvia + ": " + TextoDe(e));
    return false;
  }
}

bool TClass_Vexlin::EnviaAguarda(const HexaString& _ComandoEnvia, const HexaString& _DadosEnvia,
                                 const QString& _ComandoAguarda, int _TimeoutLeitura, QString& _Erro) {
  _Erro.clear();
  if (!Conectado()) return false;
  try {
    if (!EnviaComando(_ComandoEnvia, _DadosEnvia)) return false;
    return AguardaComando(_ComandoAguarda, quint16(_TimeoutLeitura), _Erro);
  } catch (const std::exception& e) {
    TDebug::Linha("EnviaAguarda " + _ComandoEnvia + ": " + TextoDe(e));
    return false;
  }
}

bool TClass_Vexlin::AguardaComando(const QString& _ComandoEsperado, quint16 _Timeout, QString& _Erro) {
  _Erro.clear();
  FFrameRespondido = false;
  FComandoAguardado = _ComandoEsperado;
  FDateTimeStartTimeout = Agora();
  FAborta = false;

  ProcessaListaFrames();  // frames that arrived earlier are matched or dispatched first
  if (FFrameRespondido) {
    FComandoAguardado.clear();
    return true;
  }
  for (;;) {
    QString erro;
    try {
      FConexao->LerFrame(erro);
    } catch (const std::exception& e) {
      TDebug::Linha("AguardaComando - leitura: " + TextoDe(e));  // counts as a pass without an answer
    }
    if (FFrameRespondido) {
      FComandoAguardado.clear();
      return true;
    }
    if (!erro.isEmpty()) {
      _Erro = erro;
      return false;
    }
    if (FAborta) return false;
    // FDateTimeStartTimeout is read each pass: some device frames restart the limit.
    if (Agora() - FDateTimeStartTimeout > _Timeout) return false;
  }
}

void TClass_Vexlin::RespondeAck(const HexaString& _Comando) { EnviaComando(opcodes::kAck, _Comando); }

bool TClass_Vexlin::AguardaCC() {
  QString erro;
  const bool ok = AguardaComando("CC", tempos::kAguardaCCMs, erro);
  if (!erro.isEmpty()) TDebug::Linha("AguardaCC: " + erro);
  return ok;
}

bool TClass_Vexlin::AguardaAckComando() {
  TDebug::Linha("AguardaAckComando");
  const qint64 inicio = Agora();
  while (!FAckComandoRecebido) {
    AguardaMs(tempos::kAguardaAckPassoMs);
    QString erro;
    try {
      FConexao->LerFrame(erro);
    } catch (const std::exception& e) {
      TDebug::Linha("AguardaAckComando: " + TextoDe(e));
    }
    if (FAckComandoRecebido) break;
    if (Agora() - inicio > tempos::kAguardaAckLimiteMs) {
      TDebug::Linha("Timeout AguardaAckComando");
      break;
    }
  }
  TDebug::Linha("Fim do AguardaAckComando");
  return FAckComandoRecebido;
}

// ---------------------------------------------------------------- liveness and polling

bool TClass_Vexlin::ConexaoAtiva() {
  if (!Conectado()) return false;
  QString erro;
  bool ok = false;
  try {
    const int t = TipoConexao() == TTypeConexao::tcUSB ? tempos::kProbeUsbMs : tempos::kProbeBluetoothMs;
    ok = EnviaAguarda(opcodes::kProbe, "", "55 80", t, erro);
  } catch (const std::exception&) {
    ok = false;
  }
  if (!erro.isEmpty()) TDebug::Linha("ConexaoAtiva: " + erro);
  return ok;
}

bool TClass_Vexlin::DiagnosticoAtivo() {
  QString erro;
  const bool ok = EnviaAguarda(opcodes::kDiagnosticoAtivo, "", "55 DA", tempos::kDiagnosticoAtivoMs, erro);
  if (!erro.isEmpty()) TDebug::Linha("DiagnosticoAtivo: " + erro);
  return ok;
}

void TClass_Vexlin::FazerLeitura(QString& _Erro) {
  _Erro.clear();
  try {
    FConexao->LerFrame(_Erro);
    if (!_Erro.isEmpty()) TDebug::Linha("FazerLeitura - Erro: " + _Erro);
  } catch (const std::exception&) {
    RegistraErro("FazerLeitura");
  }
}

quint16 TClass_Vexlin::TempoUltComando() const {
  const qint64 s = (Agora() - FNowUltComando) / 1000;
  return quint16(std::clamp<qint64>(s, 0, 65535));
}

void TClass_Vexlin::ResetTempoUltimoComando() { FNowUltComando = Agora(); }

// ---------------------------------------------------------------- state commands

void TClass_Vexlin::LimpaEstado() {
  FReceptor.EmContinuo = false;
  FEmAjuste = false;
  FEmAtuador = false;
  FProtocoloAtivo = TTypeStatusProtocolo::protNone;
  FListaFrames.Limpa();
  FDados72.clear();
  FFrameConfirmado.clear();
  FReceptor.Limpa();
  FUltimaMensagem.clear();
  FDadosUCE.clear();
  FNowUltComando = Agora();
}

bool TClass_Vexlin::Reset() {
  QString erro;
  const bool ok = EnviaAguarda(opcodes::kReset, "", opcodes::kAckReset, tempos::kResetMs, erro);
  LimpaEstado();
  if (!ok || !erro.isEmpty()) TDebug::Linha("Erro Reset: " + (erro.isEmpty() ? QString("sem resposta") : erro));
  return ok;
}

void TClass_Vexlin::HardReset() {
  FReceptor.EmContinuo = false;
  FEmAjuste = false;
  FEmAtuador = false;
  EnviaComando(opcodes::kHardReset, "");
}

void TClass_Vexlin::LimpaListaFrames() {
  TDebug::Linha("Limpa Lista Frames");
  LimpaEstado();
}

QString TClass_Vexlin::NomeLog(const char* prefixo) const {
  return QString::fromLatin1(prefixo) + QString("%1").arg(FSistemaID, 5, 10, QChar('0'));
}

void TClass_Vexlin::FinalizaDiagnostico() {
  FReceptor.EmContinuo = false;
  FEmAjuste = false;
  FEmAtuador = false;
  Reset();
  try {
    TDebug::SalvaDump(NomeLog("OK_"));
  } catch (const std::exception& e) {
    TDebug::Linha("FinalizaDiagnostico: " + TextoDe(e));
  }
}

void TClass_Vexlin::RegistraErro(const QString& _Texto) {
  TDebug::Linha(_Texto);
  try {
    TDebug::SalvaDump(NomeLog("Erro_"));
  } catch (const std::exception& e) {
    TDebug::Linha("RegistraErro: " + TextoDe(e));
  }
  Dispara(Event_PerdaComunicacao);
}

}  // namespace tovra
