#pragma once
// The text dictionary: every text shown to the user is looked up by key in the
// current language. Dictionary files are INI text: the section "_conf_idiomas"
// lists the languages (code=description, first one first); every other section is
// a key with one line per upper-case language code. Names compare without case.
// Files made on Windows are read as UTF-8 (with or without BOM) or Windows-1252.
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace tovra {

// An INI file held in memory, in file order.
class TIniMemoria {
 public:
  struct Linha { QString nome, valor; };
  struct Secao { QString nome; QList<Linha> linhas; };

  static TIniMemoria Carrega(const QString& arquivo);  // a missing file gives an empty one
  static TIniMemoria DeTexto(const QString& texto);
  QString Texto() const;
  void Salva(const QString& arquivo) const;

  QString Le(const QString& secao, const QString& nome, const QString& padrao = QString()) const;
  void Escreve(const QString& secao, const QString& nome, const QString& valor);
  const Secao* BuscaSecao(const QString& nome) const;
  void ApagaSecao(const QString& nome);
  QStringList Secoes() const;
  const QList<Secao>& Todas() const { return FSecoes; }

 private:
  Secao* BuscaSecaoMut(const QString& nome);
  QList<Secao> FSecoes;
};

inline constexpr const char* kSecaoIdiomas = "_conf_idiomas";

// One loaded dictionary file.
class TDicionarioBase {
 public:
  explicit TDicionarioBase(const QString& arquivo);

  const QList<QPair<QString, QString>>& Idiomas() const { return FIdiomas; }
  const QStringList& ChavesTrad() const { return FChavesTrad; }

  QString Traduz(const QString& chave, const QString& idioma) const;
  void NovoIdioma(const QString& codigo, const QString& descricao);
  int NovaChave(const QString& chave);        // raises when the key is already there
  void ApagarChave(const QString& chave);     // raises when absent; empty does nothing
  void LimparChaves();
  void DefineTraducao(const QString& chave, const QString& idioma, const QString& texto);
  void Salva();

 private:
  QString FArquivo;
  TIniMemoria FIni;
  QList<QPair<QString, QString>> FIdiomas;
  QStringList FChavesTrad;
};

// A component of a screen, as the translate-screen walk sees it. The screens
// implement it over their widgets.
class IComponenteTraduzivel {
 public:
  virtual ~IComponenteTraduzivel() = default;
  virtual QString Nome() const = 0;
  // The components this one owns, in order.
  virtual void ParaCadaComponente(const std::function<void(IComponenteTraduzivel&)>& f) = 0;
  // The text of a text-bearing control, or the prompt of an edit box.
  virtual void DefineTexto(const QString& texto) = 0;
};

// The process-wide dictionary: the message dictionary, the screen dictionary of the
// screen created last, and the current language.
class TDicionario {
 public:
  static void Inicializa(const QString& arquivo, const QString& idioma);
  static void InicializaForm(const QString& arquivo);
  static void DefineIdioma(const QString& idioma);
  static QString Idioma();

  static QString Traduz(const QString& chave, const QString& idioma = QString());
  static QString TraduzUpper(const QString& chave, const QString& idioma = QString());
  static int GetIndiceChave(const QString& chave);

  // Sets the texts of the screen's components from the screen dictionary.
  static void TraduzTela(IComponenteTraduzivel& tela);
  // Screen creation: when base + "dic_tovra_frmBrevanta.ini" exists, loads the
  // screen's own dictionary and translates the screen; a failure is logged with
  // the screen's dump label and the screen keeps its built-in texts.
  static void CarregaDicionarioTela(const QString& arquivo, IComponenteTraduzivel& tela, const QString& labelErro);

  // The texts handed to dialogs: one with a blank is shown unchanged, one without
  // is a key; with arguments the translation is the format pattern ("%d de %d").
  // A lookup or format that fails shows the text unchanged.
  static QString TextoDialogo(const QString& texto, const QStringList& args = {});
  static QString TituloDialogo(const QString& texto);

  static TDicionarioBase* Mensagens();
  static TDicionarioBase* Tela();
  static void Limpa();  // forgets both dictionaries and the language
};

}  // namespace tovra
