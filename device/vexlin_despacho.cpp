// The dispatcher of frames the device sends on its own: one row per opcode.
// Each row updates the device object's state, acknowledges where the device
// expects it and raises its event.
#include "common/debug.h"
#include "device/vexlin.h"

namespace tovra {

namespace {
// d[i] and the big-endian d[i..i+1] of a frame's data.
int D(const HexaString& dados, int i) { return ByteToInt(ByteEm(dados, i)); }
int D16(const HexaString& dados, int i) { return D(dados, i) * 256 + D(dados, i + 1); }
}  // namespace

const std::array<TClass_Vexlin::TLinhaDespacho, 256>& TClass_Vexlin::TabelaDespacho() {
  static const std::array<TLinhaDespacho, 256> tabela = [] {
    std::array<TLinhaDespacho, 256> t{};
    auto linha = [&t](std::initializer_list<int> ops, TLinhaDespacho f) {
      for (int op : ops) t[size_t(op)] = f;
    };
    linha({0x04, 0x42, 0x44, 0xB1, 0xBB, 0xCC, 0xF3, 0xF8}, &TClass_Vexlin::DespConsome);
    linha({0x00}, &TClass_Vexlin::DespCargaConcluida);
    linha({0x14, 0x15}, &TClass_Vexlin::DespIdentificacaoUCE);
    linha({0x16, 0x17, 0x32, 0x34, 0x36}, &TClass_Vexlin::DespFalha);
    linha({0x1E}, &TClass_Vexlin::DespParamDisp);
    linha({0x35}, &TClass_Vexlin::DespDadosPids);
    linha({0x37}, &TClass_Vexlin::DespFalhaRecebida);
    linha({0x38}, &TClass_Vexlin::DespFalhasApagadas);
    linha({0x39}, &TClass_Vexlin::DespFimPids);
    linha({0x3D}, &TClass_Vexlin::DespProtocoloInativoGen);
    linha({0x3E}, &TClass_Vexlin::DespFuncaoIndisp);
    linha({0x40}, &TClass_Vexlin::DespProtocoloAtivo);
    linha({0x41}, &TClass_Vexlin::DespProtocoloInativo);
    linha({0x43, 0x45}, &TClass_Vexlin::DespAtuadorAjusteFim);
    linha({0x46, 0x47}, &TClass_Vexlin::DespStatusUsuario);
    linha({0x4A}, &TClass_Vexlin::DespKeepAlive);
    linha({0x4F}, &TClass_Vexlin::DespStatusSinalizacao);
    linha({0x50, 0x51}, &TClass_Vexlin::DespAckApenas);
    linha({0x52}, &TClass_Vexlin::DespMsgUsuario);
    linha({0x53}, &TClass_Vexlin::DespMsgTemporizada);
    linha({0x54}, &TClass_Vexlin::DespFechaMsg);
    linha({0x55}, &TClass_Vexlin::DespAckTardio);
    linha({0x56}, &TClass_Vexlin::DespEntradaDados);
    linha({0x57, 0x58}, &TClass_Vexlin::DespMsgComTexto);
    linha({0x5A}, &TClass_Vexlin::Desp5A);
    linha({0x66}, &TClass_Vexlin::DespZintra);
    linha({0xF4, 0xF5, 0xF6, 0xF7, 0xF9, 0xFA, 0xFB, 0xFC}, &TClass_Vexlin::DespAtuadorAjusteInvalido);
    linha({0xFD, 0xFE}, &TClass_Vexlin::DespCarroInvalido);
    linha({0xFF}, &TClass_Vexlin::DespNotAck);
    return t;
  }();
  return tabela;
}

// The frame is taken out of the list before its row runs, so an exchange that an
// event handler starts never meets it again; once the row is done the next
// frame is handled. A frame nobody can handle is reported once and dropped, and
// so is one whose row failed: a wait must never spin on it.
void TClass_Vexlin::TrataFrameEspecial(const TTypeFrameVexlin& _Frame) {
  const TLinhaDespacho linha = TabelaDespacho()[size_t(Comando(_Frame) & 0xFF)];
  FListaFrames.RetiraPrimeiro();
  if (!linha) {
    RegistraErro(QString::fromUtf8("TrataFrameEspecial - Comando não aguardado - ") + _Frame);
  } else {
    try {
      (this->*linha)(_Frame);
    } catch (const std::exception& e) {
      RegistraErro("TrataFrameEspecial - erro geral - " + _Frame);
    }
  }
  FListaFrames.TrataProximo();
}

void TClass_Vexlin::DespIdentificacaoUCE(const TTypeFrameVexlin& f) {
  const HexaString d = Dados(f);
  const int a = PosicaoZero(f, 2);
  FDadosUCE = SubBytes(d, 2, a - 1);
  Dispara(Event_CodigoUCELido, ToTexto(FDadosUCE));
}

void TClass_Vexlin::DespFalha(const TTypeFrameVexlin& f) {
  if (FReceptor.EmContinuo) return;
  FFalhaRespondida = true;
  Dispara(Event_DadosFalhasRecebidos, quint8(Comando(f)), Dados(f));
}

void TClass_Vexlin::DespParamDisp(const TTypeFrameVexlin& f) { Dispara(Event_ParamDisp, f); }
void TClass_Vexlin::DespDadosPids(const TTypeFrameVexlin& f) {
  if (Event_DadosPidsRecebidos) Event_DadosPidsRecebidos(Dados(f));
}
void TClass_Vexlin::DespFalhaRecebida(const TTypeFrameVexlin&) { Dispara(Event_FalhaRecebida); }
void TClass_Vexlin::DespFalhasApagadas(const TTypeFrameVexlin&) { Dispara(Event_FalhasApagadas); }
void TClass_Vexlin::DespFimPids(const TTypeFrameVexlin&) { Dispara(Event_FimPids); }

void TClass_Vexlin::DespProtocoloInativoGen(const TTypeFrameVexlin&) {
  FProtocoloAtivo = TTypeStatusProtocolo::protInativo;
  Dispara(Event_ProtocoloInativoGen);
}

void TClass_Vexlin::DespFuncaoIndisp(const TTypeFrameVexlin&) { Dispara(Event_FuncaoIndisp); }

void TClass_Vexlin::DespProtocoloAtivo(const TTypeFrameVexlin&) {
  FProtocoloAtivo = TTypeStatusProtocolo::protAtivo;
  Dispara(Event_ProtocoloAtivo);
}

void TClass_Vexlin::DespProtocoloInativo(const TTypeFrameVexlin&) {
  FProtocoloAtivo = TTypeStatusProtocolo::protInativo;
  Dispara(Event_ProtocoloInativo);
}

void TClass_Vexlin::DespAtuadorAjusteFim(const TTypeFrameVexlin& f) {
  RespondeAck(ComandoTexto(f));
  FEmAtuador = false;
  FEmAjuste = false;
  Dispara(Event_AtuadorAjusteFinalizado);
}

void TClass_Vexlin::DespStatusUsuario(const TTypeFrameVexlin& f) {
  Dispara(Event_MostraStatusUsuario, D16(Dados(f), 4));
}

void TClass_Vexlin::DespKeepAlive(const TTypeFrameVexlin& f) {
  const HexaString d = Dados(f);
  if (d == QLatin1String("00"))
    Dispara(Event_StopKeepAlive);
  else if (d == QLatin1String("01"))
    Dispara(Event_StartKeepAlive);
}

void TClass_Vexlin::DespStatusSinalizacao(const TTypeFrameVexlin& f) {
  RespondeAck(ComandoTexto(f));
  Dispara(Event_MostraStatusSinalizacao, D16(Dados(f), 2));
}

void TClass_Vexlin::DespAckApenas(const TTypeFrameVexlin& f) { RespondeAck(ComandoTexto(f)); }

void TClass_Vexlin::DespMsgUsuario(const TTypeFrameVexlin& f) {
  RespondeAck(ComandoTexto(f));
  const HexaString d = Dados(f);
  if (d == FUltimaMensagem) return;  // the same message again: shown already
  FUltimaMensagem = d;
  Dispara(Event_MostraMsgUsuario, D16(d, 2), D16(d, 4), D16(d, 6), QString());
}

void TClass_Vexlin::DespMsgTemporizada(const TTypeFrameVexlin& f) {
  RespondeAck(ComandoTexto(f));
  const HexaString d = Dados(f);
  Dispara(Event_MostraMsgTemporizada, D16(d, 2), D16(d, 4));
}

void TClass_Vexlin::DespFechaMsg(const TTypeFrameVexlin& f) {
  RespondeAck(ComandoTexto(f));
  FUltimaMensagem.clear();
  Dispara(Event_FechaMsg);
}

// A late acknowledgement of 0x62 or 0x65. The frame behind it is handled next like
// after any other row: it is not dropped.
void TClass_Vexlin::DespAckTardio(const TTypeFrameVexlin& f) {
  const HexaString d = Dados(f);
  if (d == QLatin1String("62")) {
    FAckComandoRecebido = true;
    Dispara(Event_EndLogV4);
  } else if (d == QLatin1String("65")) {
    FAckComandoRecebido = true;
    Dispara(Event_EndAutoSearch);
  }
}

void TClass_Vexlin::DespEntradaDados(const TTypeFrameVexlin& f) {
  RespondeAck(ComandoTexto(f));
  const HexaString d = Dados(f);
  Dispara(Event_EntradaDados, D16(d, 2), D(d, 4));
}

void TClass_Vexlin::DespMsgComTexto(const TTypeFrameVexlin& f) {
  const HexaString d = Dados(f);
  const int b = PosicaoZero(f, 8);
  Dispara(Event_MostraMsgUsuario, D16(d, 2), D16(d, 4), D16(d, 6), ToTexto(SubBytes(d, 8, b)));
}

void TClass_Vexlin::Desp5A(const TTypeFrameVexlin&) {
  if (FQtd5ARecebidos < 255) ++FQtd5ARecebidos;
  FAborta = true;
  if (FQtd5ARecebidos > 1) Dispara(Event_FalhaCarga);
}

// Automatic-diagnosis frames: each restarts the limit of the running wait. Their
// records are built in vexlin_arquivos.cpp.
void TClass_Vexlin::DespZintra(const TTypeFrameVexlin& f) {
  TDebug::Linha("Comando 0x66 - ZINTRA");
  FDateTimeStartTimeout = Agora();
  TrataZintra(Dados(f));
}

void TClass_Vexlin::DespAtuadorAjusteInvalido(const TTypeFrameVexlin&) { Dispara(Event_AtuadorAjusteInvalido); }

void TClass_Vexlin::DespCarroInvalido(const TTypeFrameVexlin&) {
  TDebug::Linha(QString::fromUtf8("TrataFrameEspecial - carro inválido - ") + FModeloFLX);
}

void TClass_Vexlin::DespNotAck(const TTypeFrameVexlin&) { TDebug::Linha("TrataFrameEspecial - not ack"); }

}  // namespace tovra
