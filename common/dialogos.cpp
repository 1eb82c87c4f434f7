#include "common/dialogos.h"

#include <QCoreApplication>
#include <QDate>
#include <QThread>
#include <exception>

#include "common/debug.h"
#include "common/dicionario.h"
#include "common/formata.h"

namespace tovra {

int TMensagemDialogo::Linhas() const {
  const auto n = FTexto.size();
  return static_cast<int>(n / 30 + (n % 30 ? 1 : 0));
}

namespace {
struct EstadoDialogos {
  IApresentadorDialogos* apresentador = nullptr;
  bool statusVisivel = false;
  QString statusTexto;
  bool mensagemVisivel = false;
  TMensagemDialogo mensagem;
  TEventoResultado aoResponder;
  TEventoResultadoPerson aoResponderPerson;
  bool mensagemStatusVisivel = false;
  bool entradaAberta = false;
  bool entradaCriada = false;
  TPedidoEntrada entrada;
  TEventoEntrada aoResponderEntrada;
};
EstadoDialogos& S() {
  static EstadoDialogos s;
  return s;
}

// Runs f on the user-interface thread: at once from it, queued from any other.
void NaThreadDaTela(std::function<void()> f) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || QThread::currentThread() == app->thread()) {
    f();
    return;
  }
  QMetaObject::invokeMethod(app, std::move(f), Qt::QueuedConnection);
}

void FechaStatusSeVisivel() {
  EstadoDialogos& s = S();
  if (!s.statusVisivel) return;
  s.statusVisivel = false;
  s.statusTexto.clear();
  if (s.apresentador) s.apresentador->FechaStatus();
}
void FechaMensagemSeVisivel() {
  EstadoDialogos& s = S();
  if (!s.mensagemVisivel) return;
  s.mensagemVisivel = false;
  if (s.apresentador) s.apresentador->FechaMensagem();
}
void FechaMensagemStatusSeVisivel() {
  EstadoDialogos& s = S();
  if (!s.mensagemStatusVisivel) return;
  s.mensagemStatusVisivel = false;
  if (s.apresentador) s.apresentador->FechaMensagemStatus();
}

void Mostra(TMensagemDialogo m, TEventoResultado r, TEventoResultadoPerson rp) {
  TDialogos::HideMensagens();
  EstadoDialogos& s = S();
  s.mensagem = std::move(m);
  s.aoResponder = std::move(r);
  s.aoResponderPerson = std::move(rp);
  s.mensagemVisivel = true;
  if (s.apresentador) s.apresentador->MostraMensagem(s.mensagem);
}

TMensagemDialogo Monta(const QString& titulo, const QString& texto, TModoMensagem modo) {
  TMensagemDialogo m;
  m.FTitulo = TDialogos::TituloMensagem(titulo);
  m.FTexto = texto;
  m.FModo = modo;
  return m;
}

// Closes the message and answers through the handler taken before closing, so a
// handler that opens another message is not undone.
void Responde(int resultado, const QString& codigo, bool person) {
  EstadoDialogos& s = S();
  TEventoResultado r = std::move(s.aoResponder);
  TEventoResultadoPerson rp = std::move(s.aoResponderPerson);
  s.aoResponder = nullptr;
  s.aoResponderPerson = nullptr;
  s.mensagem.FTexto.clear();
  FechaMensagemSeVisivel();
  if (person) {
    if (rp) rp(resultado, codigo);
  } else if (r) {
    r(resultado);
  }
}

bool HexaOk(QChar c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }
bool TextoOk(QChar c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

void AbreEntrada(TPedidoEntrada p, bool manterTexto, TEventoEntrada r) {
  EstadoDialogos& s = S();
  s.entrada = std::move(p);
  s.aoResponderEntrada = std::move(r);
  s.entradaAberta = true;
  s.entradaCriada = true;
  if (s.apresentador) s.apresentador->MostraEntrada(s.entrada, manterTexto);
}

TPedidoEntrada PedidoBase(const QString& titulo, const QString& mensagem) {
  TPedidoEntrada p;
  p.FTitulo = titulo.toUpper();
  p.FMensagem = mensagem;
  return p;
}

void FechaEntrada(int resultado, const QString& texto) {
  EstadoDialogos& s = S();
  TEventoEntrada r = std::move(s.aoResponderEntrada);
  s.aoResponderEntrada = nullptr;
  s.entradaAberta = false;
  if (s.apresentador) s.apresentador->FechaEntrada();
  if (r) r(resultado, texto);
}
}  // namespace

void TDialogos::DefineApresentador(IApresentadorDialogos* apresentador) { S().apresentador = apresentador; }
IApresentadorDialogos* TDialogos::Apresentador() { return S().apresentador; }

QString TDialogos::TextoMensagem(const QString& texto, const QStringList& args) {
  return TDicionario::TextoDialogo(texto, args);
}

QString TDialogos::TituloMensagem(const QString& titulo) { return TDicionario::TraduzUpper(titulo); }

void TDialogos::StatusShowFmt(const QString& texto, const QStringList& args) {
  try {
    HideMensagens();
    QString t = texto;
    try {
      t = TDicionario::Traduz(texto);
      if (!args.isEmpty()) t = FormataTexto(t, args);
    } catch (const std::exception&) {
      t = texto;
    }
    EstadoDialogos& s = S();
    s.statusTexto = t;
    s.statusVisivel = true;
    if (s.apresentador) s.apresentador->MostraStatus(t);
  } catch (const std::exception& e) {
    TDebug::Erro(QString::fromUtf8(e.what()), "ControllerStatusShowErro");
  }
}

void TDialogos::StatusShow(const QString& texto) { StatusShowFmt(texto, {}); }

void TDialogos::StatusHide() { FechaStatusSeVisivel(); }

void TDialogos::MensagemShow(const QString& titulo, const QString& texto, TEventoResultado aoResponder) {
  Mostra(Monta(titulo, TextoMensagem(texto), TModoMensagem::mmOk), std::move(aoResponder), nullptr);
}

void TDialogos::MensagemShowDetalhe(const QString& titulo, const QString& texto, const QString& detalhe,
                                    TEventoResultado aoResponder) {
  QString t = TextoMensagem(texto);
  if (detalhe.contains(' '))
    t += "\n" + detalhe;
  else if (!detalhe.isEmpty())
    t += "\n" + TDicionario::Traduz(detalhe);
  Mostra(Monta(titulo, t, TModoMensagem::mmOk), std::move(aoResponder), nullptr);
}

void TDialogos::MensagemShowFmt(const QString& titulo, const QString& texto, const QStringList& args,
                                TEventoResultado aoResponder) {
  Mostra(Monta(titulo, TextoMensagem(texto, args), TModoMensagem::mmOk), std::move(aoResponder), nullptr);
}

void TDialogos::PerguntaShow(const QString& titulo, const QString& texto, TEventoResultado aoResponder) {
  Mostra(Monta(titulo, TextoMensagem(texto), TModoMensagem::mmOkCancel), std::move(aoResponder), nullptr);
}

void TDialogos::PerguntaShowFmt(const QString& titulo, const QString& texto, const QStringList& args,
                                TEventoResultado aoResponder) {
  Mostra(Monta(titulo, TextoMensagem(texto, args), TModoMensagem::mmOkCancel), std::move(aoResponder), nullptr);
}

void TDialogos::MensagemPersonShow(const QString& titulo, const QString& texto, const QString& botao1,
                                   const QString& codigo1, const QString& botao2, const QString& codigo2,
                                   TEventoResultadoPerson aoResponder) {
  TMensagemDialogo m = Monta(titulo, TextoMensagem(texto), TModoMensagem::mmPerson);
  m.FBotao1Texto = TextoMensagem(botao1);
  m.FBotao1Codigo = codigo1;
  if (!botao2.isEmpty()) {
    m.FBotao2Texto = TextoMensagem(botao2);
    m.FBotao2Codigo = codigo2;
  }
  Mostra(std::move(m), nullptr, std::move(aoResponder));
}

void TDialogos::MensagemStatusShow(const QString& texto) {
  HideMensagens();
  EstadoDialogos& s = S();
  s.mensagemStatusVisivel = true;
  if (s.apresentador) s.apresentador->MostraMensagemStatus(TituloMensagem("Informacao"), TextoMensagem(texto));
}

void TDialogos::HideMensagens() {
  try {
    FechaStatusSeVisivel();
    FechaMensagemSeVisivel();
    FechaMensagemStatusSeVisivel();
  } catch (const std::exception& e) {
    TDebug::Erro(QString::fromUtf8(e.what()), "ControllerHideMensagensErro");
  }
}

void TDialogos::HideMensagemStatus() {
  try {
    FechaStatusSeVisivel();
    FechaMensagemStatusSeVisivel();
  } catch (const std::exception& e) {
    TDebug::Erro(QString::fromUtf8(e.what()), "ControllerHideMensagemStatusErro");
  }
}

bool TDialogos::MensagemVisivel() { return S().mensagemVisivel; }
bool TDialogos::StatusVisivel() { return S().statusVisivel; }
bool TDialogos::MensagemStatusVisivel() { return S().mensagemStatusVisivel; }
const TMensagemDialogo& TDialogos::MensagemAtual() { return S().mensagem; }
QString TDialogos::StatusAtual() { return S().statusTexto; }

void TDialogos::PressionaOk() {
  const EstadoDialogos& s = S();
  if (!s.mensagemVisivel || s.mensagem.FModo == TModoMensagem::mmPerson) return;
  Responde(kResultadoOk, QString(), false);
}

void TDialogos::PressionaCancel() {
  const EstadoDialogos& s = S();
  if (!s.mensagemVisivel || s.mensagem.FModo != TModoMensagem::mmOkCancel) return;
  Responde(kResultadoCancel, QString(), false);
}

void TDialogos::PressionaBotaoPerson(int botao) {
  const EstadoDialogos& s = S();
  if (!s.mensagemVisivel || s.mensagem.FModo != TModoMensagem::mmPerson) return;
  if (botao == 2 && s.mensagem.FBotao2Texto.isEmpty()) return;
  const QString codigo = botao == 2 ? s.mensagem.FBotao2Codigo : s.mensagem.FBotao1Codigo;
  Responde(kResultadoOk, codigo, true);
}

void TDialogos::TeclaEnter() {
  const EstadoDialogos& s = S();
  if (!s.mensagemVisivel) return;
  if (s.mensagem.FModo == TModoMensagem::mmPerson) {
    // With the caller's own buttons Enter chooses only when there is one choice.
    if (s.mensagem.FBotao2Texto.isEmpty()) PressionaBotaoPerson(1);
    return;
  }
  PressionaOk();
}

void TDialogos::TeclaEscape() { PressionaCancel(); }

void TDialogos::InputDados(const QString& titulo, const QString& mensagem, TEventoEntrada aoResponder,
                           int tamanhoMaximo, int tipoNumero) {
  NaThreadDaTela([=]() {
    TPedidoEntrada p = PedidoBase(titulo, mensagem);
    bool manter = false;
    if (tipoNumero == 1 || tipoNumero == 2) {
      p.FTipo = tipoNumero == 1 ? TTipoInfo::Hexa : TTipoInfo::Texto;
      p.FTamanhoMaximo = tamanhoMaximo;
      p.FMaiusculas = true;
    } else {
      // An unknown kind number keeps the previous kind and typed text.
      const TPedidoEntrada& antes = S().entrada;
      p.FTipo = antes.FTipo;
      p.FTamanhoMaximo = antes.FTamanhoMaximo;
      p.FMaiusculas = antes.FMaiusculas;
      p.FMinusculas = antes.FMinusculas;
      p.FTecladoNumerico = antes.FTecladoNumerico;
      p.FTecladoEmail = antes.FTecladoEmail;
      manter = S().entradaCriada;
    }
    AbreEntrada(std::move(p), manter, aoResponder);
  });
}

void TDialogos::InputAno(const QString& titulo, const QString& mensagem, TEventoEntrada aoResponder) {
  NaThreadDaTela([=]() {
    TPedidoEntrada p = PedidoBase(titulo, mensagem);
    p.FTipo = TTipoInfo::Ano;
    p.FTamanhoMaximo = 4;
    p.FTecladoNumerico = true;
    AbreEntrada(std::move(p), false, aoResponder);
  });
}

void TDialogos::InputEmail(const QString& titulo, const QString& mensagem, TEventoEntrada aoResponder) {
  NaThreadDaTela([=]() {
    TPedidoEntrada p = PedidoBase(titulo, mensagem);
    p.FTipo = TTipoInfo::Email;
    p.FTamanhoMaximo = 150;
    p.FMinusculas = true;
    p.FTecladoEmail = true;
    AbreEntrada(std::move(p), false, aoResponder);
  });
}

bool TDialogos::EntradaAberta() { return S().entradaAberta; }
const TPedidoEntrada& TDialogos::EntradaAtual() { return S().entrada; }

QString TDialogos::FiltraDigitacao(TTipoInfo tipo, const QString& texto) {
  if (texto.isEmpty() || (tipo != TTipoInfo::Hexa && tipo != TTipoInfo::Texto)) return texto;
  const QChar ultimo = texto.back();
  const bool ok = tipo == TTipoInfo::Hexa ? HexaOk(ultimo) : TextoOk(ultimo);
  return ok ? texto : texto.left(texto.size() - 1);
}

std::optional<QString> TDialogos::ValidaEntrada(TTipoInfo tipo, const QString& texto, QString* valor) {
  switch (tipo) {
    case TTipoInfo::Ano: {
      QString digitos;
      for (QChar c : texto)
        if (c.isDigit() && c.unicode() < 128) digitos += c;
      const int ano = digitos.toInt();
      if (digitos.size() != 4 || ano < 1990 || ano > QDate::currentDate().year()) return QString("Ano inválido.");
      if (valor) *valor = digitos;
      return std::nullopt;
    }
    case TTipoInfo::Hexa:
      for (QChar c : texto)
        if (!HexaOk(c)) return QString("Valor inválido.");
      break;
    case TTipoInfo::Texto:
      for (QChar c : texto)
        if (!TextoOk(c)) return QString("Valor inválido.");
      break;
    default:
      break;
  }
  if (valor) *valor = texto;
  return std::nullopt;
}

void TDialogos::EntradaOk(const QString& texto) {
  if (!S().entradaAberta) return;
  QString valor;
  if (auto erro = ValidaEntrada(S().entrada.FTipo, texto, &valor)) {
    const QString msg = *erro;
    NaThreadDaTela([msg]() {
      if (S().apresentador) S().apresentador->AvisoSimples(msg);
    });
    return;
  }
  FechaEntrada(kResultadoOk, valor);
}

void TDialogos::EntradaCancel() {
  if (!S().entradaAberta) return;
  FechaEntrada(kResultadoCancel, QString());
}

void TDialogos::Reinicia() {
  IApresentadorDialogos* a = S().apresentador;
  S() = EstadoDialogos{};
  S().apresentador = a;
}

}  // namespace tovra
