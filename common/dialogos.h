#pragma once
// The dialog service every layer talks to the user through: the message dialog
// (OK, OK and Cancel, or the caller's own one or two buttons), the status notice
// shown while work is under way, the titled notice, and the data-entry popup.
//
// The service holds the rules (text rule, one dialog at a time, answer codes,
// Enter/Escape, entry filtering and validation); a presenter draws the dialogs. The
// screens install a widget presenter; the command line and the tests install a
// text or scripted one. Without a presenter nothing is drawn and the rules still run.
//
// Text rule: a text with a blank is shown unchanged; a text without one is a
// dictionary key (with arguments, its translation is the format pattern); titles
// are upper-cased translations.
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace tovra {

enum class TTipoInfo { Placa, CPF_CNPJ, Ano, Hexa, Texto, Numeral, Email };

// 1 = OK, 2 = Cancel.
inline constexpr int kResultadoOk = 1;
inline constexpr int kResultadoCancel = 2;

using TEventoResultado = std::function<void(int resultado)>;
using TEventoResultadoPerson = std::function<void(int resultado, const QString& codigo)>;
using TEventoEntrada = std::function<void(int resultado, const QString& texto)>;

enum class TModoMensagem { mmOk, mmOkCancel, mmPerson };

struct TMensagemDialogo {
  QString FTitulo;  // as shown (translated, upper-cased)
  QString FTexto;   // as shown
  TModoMensagem FModo = TModoMensagem::mmOk;
  QString FBotao1Texto, FBotao1Codigo;
  QString FBotao2Texto, FBotao2Codigo;  // empty text: one button only
  // Lines of the text for sizing: characters / 30, plus one for a remainder.
  int Linhas() const;
};

struct TPedidoEntrada {
  QString FTitulo;    // the caption in upper case
  QString FMensagem;  // the prompt as given
  TTipoInfo FTipo = TTipoInfo::Texto;
  int FTamanhoMaximo = 0;
  bool FMaiusculas = false;  // Hexa, Texto: upper-case entry
  bool FMinusculas = false;  // Email: lower-case entry
  bool FTecladoNumerico = false;  // Ano: number keypad
  bool FTecladoEmail = false;     // Email: e-mail keyboard
};

class IApresentadorDialogos {
 public:
  virtual ~IApresentadorDialogos() = default;
  // Shows the notice and paints it at once: the caller blocks the thread next.
  virtual void MostraStatus(const QString& texto) = 0;
  virtual void FechaStatus() = 0;
  virtual void MostraMensagem(const TMensagemDialogo& m) = 0;
  virtual void FechaMensagem() = 0;
  virtual void MostraMensagemStatus(const QString& titulo, const QString& texto) = 0;
  virtual void FechaMensagemStatus() = 0;
  // A new request while the popup is open replaces it; manterTexto keeps the typed text.
  virtual void MostraEntrada(const TPedidoEntrada& p, bool manterTexto) = 0;
  virtual void FechaEntrada() = 0;
  // The platform's plain message box (an invalid entry; the popup stays open).
  virtual void AvisoSimples(const QString& texto) = 0;
};

class TDialogos {
 public:
  static void DefineApresentador(IApresentadorDialogos* apresentador);
  static IApresentadorDialogos* Apresentador();

  static void StatusShow(const QString& texto);
  static void StatusShowFmt(const QString& texto, const QStringList& args);
  static void StatusHide();
  static void MensagemShow(const QString& titulo, const QString& texto, TEventoResultado aoResponder = {});
  static void MensagemShowDetalhe(const QString& titulo, const QString& texto, const QString& detalhe,
                                  TEventoResultado aoResponder = {});
  static void MensagemShowFmt(const QString& titulo, const QString& texto, const QStringList& args,
                              TEventoResultado aoResponder = {});
  static void PerguntaShow(const QString& titulo, const QString& texto, TEventoResultado aoResponder = {});
  static void PerguntaShowFmt(const QString& titulo, const QString& texto, const QStringList& args,
                              TEventoResultado aoResponder = {});
  static void MensagemPersonShow(const QString& titulo, const QString& texto, const QString& botao1,
                                 const QString& codigo1, const QString& botao2, const QString& codigo2,
                                 TEventoResultadoPerson aoResponder = {});
  static void MensagemStatusShow(const QString& texto);
  static void HideMensagens();
  static void HideMensagemStatus();
  static bool MensagemVisivel();
  static bool StatusVisivel();
  static bool MensagemStatusVisivel();
  static const TMensagemDialogo& MensagemAtual();
  static QString StatusAtual();

  // The user's answers, reported by the presenter.
  static void PressionaOk();
  static void PressionaCancel();
  static void PressionaBotaoPerson(int botao);  // 1 or 2
  static void TeclaEnter();                     // OK
  static void TeclaEscape();                    // Cancel, only while Cancel is shown

  // Data entry. InputDados takes kind number 1 (Hexa) or 2 (Texto); any other number
  // keeps the previous kind and text.
  static void InputDados(const QString& titulo, const QString& mensagem, TEventoEntrada aoResponder,
                         int tamanhoMaximo, int tipoNumero);
  static void InputAno(const QString& titulo, const QString& mensagem, TEventoEntrada aoResponder);
  static void InputEmail(const QString& titulo, const QString& mensagem, TEventoEntrada aoResponder);
  static bool EntradaAberta();
  static const TPedidoEntrada& EntradaAtual();
  // OK on the popup: a valid entry closes it and answers 1 with the text; an
  // invalid one shows its message ("Ano inválido.", "Valor inválido.") and stays.
  static void EntradaOk(const QString& texto);
  static void EntradaCancel();

  // Typing in Hexa and Texto: a last character that is not allowed is removed.
  static QString FiltraDigitacao(TTipoInfo tipo, const QString& texto);
  // Nothing when valid (valor receives what is answered), else the message.
  static std::optional<QString> ValidaEntrada(TTipoInfo tipo, const QString& texto, QString* valor);

  // The text rule of the message dialog, and of its title.
  static QString TextoMensagem(const QString& texto, const QStringList& args = {});
  static QString TituloMensagem(const QString& titulo);

  static void Reinicia();  // forgets every dialog's state (tests)
};

}  // namespace tovra
