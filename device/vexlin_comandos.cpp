// The diagnostic command set: one descriptor per command and one executor.
//
// Each command sends one frame and waits for a reply that contains a given text:
// the device's acknowledgement "55 <op>", a fixed text, or a reply opcode that
// echoes the request's data. What a failure does (raise, answer false, only log)
// and which mode flags change belong to the row.
#include "common/debug.h"
#include "common/texto.h"
#include "device/vexlin.h"

namespace tovra {

namespace {
enum class TAguarda { Ack, Fixo, Eco };            // "55 op", the text, the text + " " + request data
enum class TFalha { Levanta, Falso, Registra, Nada };  // raise, answer false, log the text, nothing
enum class TEfeito {
  Nenhum,
  EmAtuadorNoSucesso,
  EmAjusteNoSucesso,
  LimpaAtuadorAntes,
  LimpaAjusteAntes,
  ContinuoNoSucesso,     // FEmContinuo := true, Event_EmContinuo
  ContinuoSempreFalso,   // FEmContinuo := false afterwards, answered or not
  FalhaRespondidaAntes,  // FFalhaRespondida := false before sending
  StartLeitura,          // Event_StartLeitura on success
  LimpaMensagem,         // FUltimaMensagem := empty on success
};
}  // namespace

struct TClass_Vexlin::TDescritorComando {
  const char* nome;
  const char* opcode;
  TAguarda aguarda;
  const char* texto;  // Fixo / Eco: the awaited text or its prefix
  int timeoutMs;
  TFalha falha;
  const char* textoFalha;  // the failure's fixed text; the item id follows it when the row has one
  TEfeito efeito;
  bool logSoSemErro = false;  // the failure text is written only when the wait left no error text
};

namespace {
using D = TClass_Vexlin::TDescritorComando;
}  // namespace

// clang-format off
namespace cmd {
// name, opcode, awaited, text, ms, failure, failure text, flags
static const D kProgramarAdaptador{"ProgramarAdaptador", "61", TAguarda::Ack, "", 5000, TFalha::Levanta, "Programação adaptador não respondida.", TEfeito::Nenhum};
static const D kProgramarModeloFLX{"ProgramarModeloFLX", "11", TAguarda::Eco, "01", 6000, TFalha::Levanta, "Programação modelo cf não respondida.", TEfeito::Nenhum};
static const D kInicioComunicacao{"InicioComunicacao", "12", TAguarda::Ack, "", 10000, TFalha::Levanta, "inicio de comunicação não respondida.", TEfeito::StartLeitura};
static const D kSolicitaFalhas{"SolicitaFalhas", "13", TAguarda::Ack, "", 5000, TFalha::Nada, "", TEfeito::FalhaRespondidaAntes};
static const D kGetUCE{"GetUCE", "14", TAguarda::Ack, "", 3000, TFalha::Nada, "", TEfeito::Nenhum};
static const D kApagaFalhas{"ApagaFalhas", "15", TAguarda::Ack, "", 3000, TFalha::Nada, "", TEfeito::Nenhum};
static const D kLimpaPIDS{"LimpaPIDS", "36", TAguarda::Fixo, "F8", 3000, TFalha::Falso, "", TEfeito::Nenhum};
static const D kSelecionaTodosPids{"SelecionaTodosPids", "35", TAguarda::Ack, "", 3000, TFalha::Levanta, "Falha ao configurar parametros", TEfeito::Nenhum};
static const D kConfiguraPID{"ConfiguraPID", "30", TAguarda::Eco, "30", 2000, TFalha::Registra, "Falha ao configurar parametro : ", TEfeito::Nenhum};
static const D kIniciaContinuo{"ComandoIniciaContinuo", "31", TAguarda::Ack, "", 3000, TFalha::Registra, "Erro ao iniciar continuo", TEfeito::ContinuoNoSucesso, true};
static const D kFinalizaContinuo{"ComandoFinalizaContinuo", "32", TAguarda::Ack, "", 10000, TFalha::Falso, "", TEfeito::ContinuoSempreFalso};
static const D kEntradaDados{"RespondeEntradaDados", "56", TAguarda::Ack, "", 3000, TFalha::Levanta, "Falha na entrada de dados", TEfeito::Nenhum};
static const D kInfoAdicional{"RespondeInfoAdicional", "50", TAguarda::Ack, "", 10000, TFalha::Registra, "", TEfeito::LimpaMensagem};
// Actuator tests and adjustments: data M I.
static const D kConfiguraAtuador{"ConfiguraAtuador", "20", TAguarda::Eco, "02", 3000, TFalha::Levanta, "Falha ao configurar atuador: ", TEfeito::EmAtuadorNoSucesso};
static const D kIniciaAtuador{"IniciaAtuador", "21", TAguarda::Ack, "", 3000, TFalha::Falso, "Falha ao iniciar atuador: ", TEfeito::Nenhum};
static const D kIncAtuador{"IncAtuador", "22", TAguarda::Ack, "", 3000, TFalha::Levanta, "Falha ao incrementar atuador: ", TEfeito::Nenhum};
static const D kDecAtuador{"DecAtuador", "23", TAguarda::Ack, "", 3000, TFalha::Registra, "Falha ao decrementar atuador: ", TEfeito::Nenhum};
static const D kFinalizaAtuador{"FinalizaAtuador", "24", TAguarda::Ack, "", 3000, TFalha::Levanta, "Falha ao finalizar atuador: ", TEfeito::LimpaAtuadorAntes};
static const D kPassoAtuador{"PassoAtuador", "2D", TAguarda::Ack, "", 3000, TFalha::Levanta, "Falha no passo atuador: ", TEfeito::Nenhum};
static const D kConfiguraAjuste{"ConfiguraAjuste", "27", TAguarda::Eco, "06", 3000, TFalha::Levanta, "Falha ao configurar ajuste: ", TEfeito::EmAjusteNoSucesso};
static const D kIniciaAjuste{"IniciaAjuste", "28", TAguarda::Ack, "", 3000, TFalha::Falso, "Falha ao iniciar ajuste: ", TEfeito::Nenhum};
static const D kIncAjuste{"IncAjuste", "29", TAguarda::Ack, "", 3000, TFalha::Levanta, "Falha ao incrementar ajuste: ", TEfeito::Nenhum};
static const D kDecAjuste{"DecAjuste", "2A", TAguarda::Ack, "", 3000, TFalha::Registra, "Falha ao decrementar ajuste: ", TEfeito::Nenhum};
static const D kFinalizaAjuste{"FinalizaAjuste", "2B", TAguarda::Ack, "", 3000, TFalha::Levanta, "Falha ao finalizar ajuste: ", TEfeito::LimpaAjusteAntes};
static const D kPassoAjuste{"PassoAjuste", "2E", TAguarda::Ack, "", 3000, TFalha::Levanta, "Falha no passo ajuste: ", TEfeito::Nenhum};
}  // namespace cmd
// clang-format on

namespace {
HexaString Junta(const HexaString& a, const HexaString& b) {
  HexaString r = a;
  Adiciona(r, b);
  return r;
}
HexaString Item(int id) { return IntToHexa(id, 4); }
}  // namespace

bool TClass_Vexlin::ExecutaComando(const TDescritorComando& c, const HexaString& dados, const QString& id,
                                   const HexaString& opcode) {
  const HexaString op = opcode.isEmpty() ? HexaString::fromLatin1(c.opcode) : opcode;
  QString aguardado;
  switch (c.aguarda) {
    case TAguarda::Ack: aguardado = "55 " + op; break;
    case TAguarda::Fixo: aguardado = QString::fromLatin1(c.texto); break;
    case TAguarda::Eco: aguardado = Junta(QString::fromLatin1(c.texto), dados); break;
  }
  if (c.efeito == TEfeito::LimpaAtuadorAntes) FEmAtuador = false;
  if (c.efeito == TEfeito::LimpaAjusteAntes) FEmAjuste = false;
  if (c.efeito == TEfeito::FalhaRespondidaAntes) FFalhaRespondida = false;

  QString erro;
  const bool ok = EnviaAguarda(op, dados, aguardado, c.timeoutMs, erro);
  if (!erro.isEmpty()) TDebug::Linha(QString::fromUtf8(c.nome) + ": " + erro);

  if (c.efeito == TEfeito::ContinuoSempreFalso) FReceptor.EmContinuo = false;
  if (ok) {
    switch (c.efeito) {
      case TEfeito::EmAtuadorNoSucesso: FEmAtuador = true; break;
      case TEfeito::EmAjusteNoSucesso: FEmAjuste = true; break;
      case TEfeito::ContinuoNoSucesso:
        FReceptor.EmContinuo = true;
        Dispara(Event_EmContinuo);
        break;
      case TEfeito::StartLeitura: Dispara(Event_StartLeitura); break;
      case TEfeito::LimpaMensagem: FUltimaMensagem.clear(); break;
      default: break;
    }
    return true;
  }
  const QString texto = QString::fromUtf8(c.textoFalha) + id;
  switch (c.falha) {
    case TFalha::Levanta: throw EVexlin(texto);
    case TFalha::Registra:
      if (!c.logSoSemErro || erro.isEmpty()) TDebug::Linha(texto);
      break;
    case TFalha::Falso:
      if (!texto.isEmpty()) TDebug::Linha(texto);
      break;
    case TFalha::Nada: break;
  }
  return false;
}

void TClass_Vexlin::ComandoItem(const TDescritorComando& c, int _ID) {
  ExecutaComando(c, Junta(FModeloFLX, Item(_ID)), QString::number(_ID));
}

// ---------------------------------------------------------------- preparing the device

void TClass_Vexlin::ProgramarAdaptador(const QString& _ProgramacaoV3) {
  // characters 3-4, 5-6, ..., 11-12 as five bytes; the first two are not sent.
  // The catalogue keeps the text as hex pairs with blanks ("06 01 10 0E 07 01"):
  // the characters are counted without them.
  const QString texto = SemEspacos(_ProgramacaoV3);
  HexaString dados;
  for (int i = 0; i < 5; ++i) {
    const QString par = texto.mid(2 + 2 * i, 2);
    bool ok = false;
    const int v = par.toInt(&ok, 16);
    if (par.size() != 2 || !ok) throw EVexlin(QString::fromUtf8(cmd::kProgramarAdaptador.textoFalha));
    Adiciona(dados, IntToHexa(v, 2));
  }
  ExecutaComando(cmd::kProgramarAdaptador, dados);
}

void TClass_Vexlin::ProgramarModeloFLX(int _ID) {
  FModeloFLX = Word16(_ID & 0xFFFF);
  ExecutaComando(cmd::kProgramarModeloFLX, FModeloFLX);
}

void TClass_Vexlin::InicioComunicacao() { ExecutaComando(cmd::kInicioComunicacao, FModeloFLX); }
void TClass_Vexlin::SolicitaFalhas() { ExecutaComando(cmd::kSolicitaFalhas, FModeloFLX); }
void TClass_Vexlin::ApagaFalhas() { ExecutaComando(cmd::kApagaFalhas, FModeloFLX); }

void TClass_Vexlin::GetUCE() {
  if (!FDadosUCE.isEmpty()) {
    Dispara(Event_CodigoUCELido, ToTexto(FDadosUCE));
    return;
  }
  ExecutaComando(cmd::kGetUCE, FModeloFLX);
  LerCodUCE();
}

bool TClass_Vexlin::LerCodUCE() {
  const qint64 inicio = Agora();
  while (FDadosUCE.isEmpty()) {
    QString erro;
    try {
      FConexao->LerFrame(erro);
    } catch (const std::exception&) {
      RegistraErro("LerCodUCE");
    }
    if (!FDadosUCE.isEmpty()) break;
    if (!erro.isEmpty() || Agora() - inicio > 3000) break;
  }
  return !FDadosUCE.isEmpty();
}

// ---------------------------------------------------------------- live parameters

bool TClass_Vexlin::LimpaPIDS() { return ExecutaComando(cmd::kLimpaPIDS, FModeloFLX); }
void TClass_Vexlin::SelecionaTodosPids() { ExecutaComando(cmd::kSelecionaTodosPids, FModeloFLX); }

void TClass_Vexlin::ConfiguraPID(int _ID) {
  // the device echoes model and id: "30 M I"; the trailing 01 is not echoed
  const HexaString mi = Junta(FModeloFLX, Item(_ID));
  QString erro;
  const bool ok = EnviaAguarda("30", Junta(mi, "01"), Junta("30", mi), cmd::kConfiguraPID.timeoutMs, erro);
  if (!erro.isEmpty()) TDebug::Linha("ConfiguraPID: " + erro);
  if (!ok) TDebug::Linha(QString::fromUtf8(cmd::kConfiguraPID.textoFalha) + QString::number(_ID));
}

void TClass_Vexlin::ComandoIniciaContinuo() { ExecutaComando(cmd::kIniciaContinuo, FModeloFLX); }
bool TClass_Vexlin::ComandoFinalizaContinuo() { return ExecutaComando(cmd::kFinalizaContinuo, FModeloFLX); }

// ---------------------------------------------------------------- answers to the device

void TClass_Vexlin::RespondeEntradaDados(const QString& _Dados, int _Tipo) {
  const QString falha = QString::fromUtf8(cmd::kEntradaDados.textoFalha);
  if (_Dados.size() > 255) throw EVexlin(falha);
  HexaString dados = Junta(FModeloFLX, IntToHexa(_Dados.size(), 2));
  for (QChar ch : _Dados) {
    int byte = -1;
    if (_Tipo == 2) {
      // the character's code written with two decimal digits read as hex: 42 -> 42
      const int n = ch.unicode();
      if (n <= 99) byte = (n / 10) * 16 + n % 10;
    } else {
      bool ok = false;
      const int v = QString(ch).toInt(&ok, 16);
      if (ok) byte = v;
    }
    // A character that cannot be one byte is refused before anything is sent.
    if (byte < 0) throw EVexlin(falha);
    Adiciona(dados, IntToHexa(byte, 2));
  }
  ExecutaComando(cmd::kEntradaDados, dados);
}

void TClass_Vexlin::RespondeInfoAdicional(const QString& _Comando, const QString& _BtnCod) {
  TDescritorComando c = cmd::kInfoAdicional;
  const QString texto = QString::fromUtf8("*********************** RESPOSTA NÃO RESPONDIDA. - COMANDO: ") + _Comando +
                        " - MODELOFLX + BTNCOD: " + FModeloFLX + " " + _BtnCod;
  const QByteArray t = texto.toUtf8();
  c.textoFalha = t.constData();
  ExecutaComando(c, Junta(FModeloFLX, _BtnCod), {}, _Comando.trimmed().toUpper());
}

// ---------------------------------------------------------------- actuator tests and adjustments

void TClass_Vexlin::ConfiguraAtuador(int _ID) { ComandoItem(cmd::kConfiguraAtuador, _ID); }
bool TClass_Vexlin::IniciaAtuador(int _ID) {
  return ExecutaComando(cmd::kIniciaAtuador, Junta(FModeloFLX, Item(_ID)), QString::number(_ID));
}
void TClass_Vexlin::IncAtuador(int _ID) { ComandoItem(cmd::kIncAtuador, _ID); }
void TClass_Vexlin::DecAtuador(int _ID) { ComandoItem(cmd::kDecAtuador, _ID); }
void TClass_Vexlin::FinalizaAtuador(int _ID) { ComandoItem(cmd::kFinalizaAtuador, _ID); }
void TClass_Vexlin::PassoAtuador(int _ID) { ComandoItem(cmd::kPassoAtuador, _ID); }
void TClass_Vexlin::ConfiguraAjuste(int _ID) { ComandoItem(cmd::kConfiguraAjuste, _ID); }
bool TClass_Vexlin::IniciaAjuste(int _ID) {
  return ExecutaComando(cmd::kIniciaAjuste, Junta(FModeloFLX, Item(_ID)), QString::number(_ID));
}
void TClass_Vexlin::IncAjuste(int _ID) { ComandoItem(cmd::kIncAjuste, _ID); }
void TClass_Vexlin::DecAjuste(int _ID) { ComandoItem(cmd::kDecAjuste, _ID); }
void TClass_Vexlin::FinalizaAjuste(int _ID) { ComandoItem(cmd::kFinalizaAjuste, _ID); }
void TClass_Vexlin::PassoAjuste(int _ID) { ComandoItem(cmd::kPassoAjuste, _ID); }

}  // namespace tovra
