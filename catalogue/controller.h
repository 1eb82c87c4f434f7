#pragma once
// The catalogue service: resolution of a chosen model and system into adapter,
// script models and groups; the rows of the fault, parameter, actuator and
// adjustment loads; text look-ups by id; the menu counts; and the small text and
// filter functions of the selection screens.
//
// Ids enter the SQL text as integers; the language code only as letters. Loads
// answer plain rows: the diagnosis library turns them into its domain objects.
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "catalogue/dmtovra.h"

namespace tovra {

struct TAdaptadorAssociacao {
  qint64 id = 0;
  QString nome, arquivo, programacao;
};

struct TModelosScript {
  qint64 modeloFlx = 0;
  qint64 modeloCF = 0;
};

struct TSiglaSistema {
  QString id, titulo;
};

// The association id and the six group ids of a model and system.
struct TGruposAssociacao {
  qint64 associacao = 0;
  qint64 falhas = 0;
  qint64 falhasGen = 0;
  qint64 parametros = 0;
  qint64 visualGraph = 0;
  qint64 ajustes = 0;
  qint64 atuadores = 0;
};

// A row of the fault catalogue of an association.
struct TRegFalha {
  qint64 grupoID = 0;
  qint64 falhaID = 0;
  quint64 scannerID = 0;
  QString codHexa;
  QString falhaPC;
  qint64 tituloID = 0;
  QString descricao;
};

// A row of a parameter load (list, graph, or the parameters of a test).
struct TRegParametro {
  qint64 grupoID = 0;
  qint64 id = 0;
  qint64 indice = 0;
  QString titulo;
  QString abreviacao;
  QString categoria;
  bool temUnidade = false;
  qint64 unidadeID = 0;
  QString unidadeTitulo;
  bool visualGraph = false;
  double limiteInferior = 0;
  double limiteSuperior = 0;
};

// A row of the actuator-test or adjustment load, with its parameters.
struct TRegAtuadorAjuste {
  qint64 id = -1;
  QString titulo;
  int iniciaExecutando = 0;
  int esperaCmdSaida = 0;
  int entradaDados = 0;
  qint64 comandoID = 0;
  QString comandoOn, comandoOff, comandoAdd;
  std::vector<TRegParametro> parametros;
};

struct TRegInfoAdicional {
  qint64 codigo = 0;
  QString texto;
  qint64 btn1Cod = 0, btn2Cod = 0;
  QString btn1Texto, btn2Texto;
};

struct TStatusParametro {
  QString titulo;
  QString abreviacao;
};

// A message the device asks the program to show, with up to two buttons. Each
// button answers the two-byte hex text of its message id ("00 0A").
struct TMsgUsuarioBotoes {
  QString titulo;   // the message title alone
  QString texto;    // title, and " " + extra text when one was given
  QString btn1, btn2;
  qint64 btn1Id = 0, btn2Id = 0;
  QString btn1Cod, btn2Cod;
  bool TemBotao() const { return !btn1.isEmpty(); }
  bool TemSegundoBotao() const { return !btn2.isEmpty(); }
};

// How a user message reaches the screen: a question with buttons (title key,
// text, button texts, the answer code of each button, the handler that receives
// the chosen code) or an information notice.
struct TDialogosMsgUsuario {
  std::function<void(const QString& tituloChave, const QString& texto, const QStringList& botoes,
                     const QStringList& codigos, const std::function<void(const QString&)>& resposta)>
      pergunta;
  std::function<void(const QString& texto)> informacao;
};

class TCatalogo {
 public:
  // Test mode defaults to the folder switch; the language to "PT".
  explicit TCatalogo(TDmTovra& dm);

  void DefineModoTeste(bool modoTeste) { FModoTeste = modoTeste; }
  bool ModoTeste() const { return FModoTeste; }
  // Only letters make a language code; anything else keeps "PT".
  void DefineIdioma(const QString& idioma);
  QString Idioma() const { return FIdioma; }

  // Resolution of a model and system.
  TAdaptadorAssociacao AdaptadorAssociacao(qint64 m, qint64 s);
  // Raises "Modelo CF não encontrado: " + s without a row; system 700 needs no query.
  TModelosScript ModelosScript(qint64 m, qint64 s);
  qint64 MontadoraDoModelo(qint64 m);
  qint64 GrupoDoModelo(qint64 m);
  TSiglaSistema SiglaDoSistema(qint64 s);
  // Raises "Sistema não encontrado: " + s without a row.
  bool SistemaDiesel(qint64 s);
  // Outside test mode a group id is given only when its group has content (its
  // twin's rows when the twin knows the group). Without a row, g keeps its values
  // and the answer is false.
  bool GruposAssociacao(qint64 m, qint64 s, TGruposAssociacao& g);

  // Loads. The fault, list-parameter, actuator and adjustment loads read the twin
  // table when it has rows for the query (not in test mode).
  std::vector<TRegFalha> CarregaFalhas(const TGruposAssociacao& g);
  std::vector<TRegParametro> CarregaParametros(qint64 m, qint64 s);
  std::vector<TRegParametro> CarregaParametrosVG(qint64 m, qint64 s);
  std::vector<TRegAtuadorAjuste> CarregaAtuadores(const TGruposAssociacao& g);
  std::vector<TRegAtuadorAjuste> CarregaAjustes(const TGruposAssociacao& g);

  // Text look-ups; empty without a row.
  QString StatusFalha(qint64 statusId);
  QString MsgUsuario(qint64 msgId);
  QString MsgAdicionalFalha(qint64 msgId);
  // "Status não localizado" / "n. localiz." without a row.
  TStatusParametro StatusParametro(double valor);
  // The message and its buttons; a missing first button gives its place to the
  // second. Writes the debug line "Msg: ... - btn1: ... - btn2: ...".
  TMsgUsuarioBotoes MsgUsuarioBotoes(qint64 msgId, qint64 btn1Id, qint64 btn2Id, const QString& extra = QString());
  // Shows the message: with a first button as the question "Informacao" whose
  // answer (the button's code) goes to the handler, otherwise as a notice.
  void MostraMsgUsuario(qint64 msgId, qint64 btn1Id, qint64 btn2Id, const QString& extra,
                        const TDialogosMsgUsuario& dialogos, const std::function<void(const QString&)>& resposta);
  // The three texts only (title, first and second button), as stored.
  QStringList MsgUsuarioTextos(qint64 msgId, qint64 btn1Id, qint64 btn2Id);
  std::vector<TRegInfoAdicional> InfoSolicitada(const QString& idioma, qint64 m, qint64 s);

  // Counts of the system menus.
  int QtdAjustes(qint64 m, qint64 s);
  int QtdAtuadores(qint64 m, qint64 s);
  int QtdFalhas(qint64 m, qint64 s);
  int QtdParametros(qint64 m, qint64 s);

  // Display names and filters.
  static QString NomeCurtoMontadora(const QString& nome);
  static QString NomeCurtoSigla(const QString& titulo);
  static QString SistemaSemSigla(const QString& sigla, const QString& sistema);
  static QString TextoAnos(const QString& de, const QString& ate);
  static QString FiltroClasseVeiculo(const QString& classe, const QString& coluna);
  static QString MontadoraParaBusca(const QString& nome);
  // The picture name of a category ("motorW", ...); empty when none.
  static QString FiguraSigla(const QString& codigo);

 private:
  // Twin rule: the text with the table replaced by its twin first, the text as
  // given when that has no row (or in test mode).
  TQueryRef BuscaComGemeo(const QString& sql, const QString& tabela, const QString& gemeo);
  int Conta(const QString& sql);
  int ContaComGemeo(const QString& sqlGemeo, const QString& sql);
  std::vector<TRegAtuadorAjuste> CarregaTestes(bool ajustes, const TGruposAssociacao& g);
  QString L(const QString& stem) const { return stem + FIdioma; }

  TDmTovra& FDm;
  bool FModoTeste;
  QString FIdioma = "PT";
};

}  // namespace tovra
