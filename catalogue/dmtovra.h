#pragma once
// The catalogue data module: the one connection to "Tovra.s3db", the query objects
// that carry result rows, transactions, and the alignment of the tables with the
// table description "conf.json" that comes with the catalogue.
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

struct sqlite3;

namespace tovra {

// Failure of the database layer (SQL error, closed connection, failed commit).
class EBancoDados : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One value of a result row. A NULL reads as 0 / empty text.
class TCampo {
 public:
  TCampo() = default;
  explicit TCampo(QVariant v) : FValor(std::move(v)) {}
  bool IsNull() const { return FValor.isNull() || !FValor.isValid(); }
  qint64 AsInteger() const;
  double AsFloat() const;
  QString AsString() const;
  // A date-time stored as text ("YYYY-MM-DD HH:NN:SS", ISO 8601 or
  // "DD/MM/YYYY HH:NN:SS") or as a Julian day number; invalid when unreadable.
  QDateTime AsDateTime() const;
  const QVariant& Valor() const { return FValor; }

 private:
  QVariant FValor;
};

// A query object: its SQL text, its bound parameters and, after a search, all the
// rows of the result with a cursor. The caller owns it.
class TQuery {
 public:
  QString SQL;
  // Values bound to the "?" placeholders in order (QString, integer, double, null).
  QVariantList Params;

  int RecordCount() const { return static_cast<int>(FLinhas.size()); }
  bool IsEmpty() const { return FLinhas.empty(); }
  bool Eof() const { return FPos >= RecordCount(); }
  void First() { FPos = 0; }
  void Next() { if (FPos < RecordCount()) ++FPos; }
  int RecNo() const { return FPos; }

  const QStringList& FieldNames() const { return FColunas; }
  int FieldCount() const { return static_cast<int>(FColunas.size()); }
  // The named column of the current row (names compare without case); raises
  // EBancoDados when the result has no such column, an empty TCampo past the end.
  TCampo FieldByName(const QString& nome) const;
  TCampo Field(int coluna) const;
  void Close();

 private:
  friend class TDmTovra;
  QStringList FColunas;
  std::vector<QVariantList> FLinhas;
  int FPos = 0;
};

using TQueryRef = std::unique_ptr<TQuery>;

// Text value inside assembled SQL: single quotes doubled, the whole in quotes.
// Use it only where the statement text itself has to be built; everywhere else
// pass values as bound parameters.
QString SqlTexto(const QString& valor);
// A LIKE pattern that matches the text anywhere, with "%", "_" and "\" in the
// text taken literally: "'%...%' ESCAPE '\'".
QString SqlLikeContem(const QString& valor);

class TDmTovra {
 public:
  TDmTovra();
  ~TDmTovra();
  TDmTovra(const TDmTovra&) = delete;
  TDmTovra& operator=(const TDmTovra&) = delete;

  // Stores the folder (with a trailing separator) and the description file name.
  // False without connecting when folder + file does not exist; otherwise connects
  // (when not yet connected) and aligns the tables. Raises "Falha de Conexão" when
  // the connection is not open afterwards.
  bool IniciaDataModule(const QString& path, const QString& confJson);
  // Opens a database file for reading only, without any alignment (inspection
  // tools). False when the file does not exist or cannot be opened.
  bool AbreSomenteLeitura(const QString& arquivo);
  // Commits an open transaction (rolls back when that fails) and disconnects.
  void EncerraDataModule();
  bool Conectado() const { return FDb != nullptr; }

  // Runs a SELECT and fetches every row; the cursor is on the first row.
  // With inicializaNil a new query object always replaces the caller's.
  void Search(TQueryRef& q, const QString& sql, bool inicializaNil = false);
  TQueryRef Search(const QString& sql, const QVariantList& params = {});
  // Runs statements that return no rows (several statements in one text are run in
  // order; parameters bind to the first). With startTransaction the statement runs
  // in its own transaction (or in the caller's, when one is open). Any failure rolls
  // back the open transaction and raises.
  void Exec(TQueryRef& q, const QString& sql, bool startTransaction = false, bool inicializaNil = false);
  void Exec(const QString& sql, bool startTransaction = false, const QVariantList& params = {});

  void StartTransaction();
  void Commit();
  void Rollback();
  bool InTransaction() const;

  // True when a table of that name exists; the name compares without case, as
  // SQLite compares identifiers. Views and indexes do not count; errors give false.
  bool TableExists(const QString& nome);
  static void DestroyQuery(TQueryRef& q);

  QString Path() const { return FPath; }
  QString ConfJson() const { return FConfJson; }
  QString ArquivoBanco() const;

  // Indexes on the id and group columns the catalogue queries filter and join by,
  // created after every alignment unless switched off (the benchmarks compare).
  void DefineCriaIndices(bool cria) { FCriaIndices = cria; }
  void CriaIndices();
  void RemoveIndices();
  QStringList IndicesCriados();

  sqlite3* Handle() const { return FDb; }

  // The process-wide data module (null when none was set).
  static TDmTovra* Instancia();
  static void DefineInstancia(TDmTovra* dm);

 private:
  void Conecta();
  void AlinhaTabelas();
  void ExecDireto(const QString& sql);
  void Executa(TQuery& q, bool comLinhas);
  void ExigeConexao() const;

  sqlite3* FDb = nullptr;
  QString FPath;
  QString FConfJson;
  bool FCriaIndices = true;
};

// Process-wide catalogue operations.
// Opens the catalogue of the files folder; false with "Arquivo de configuração não
// encontrado" when its "conf.json" is missing.
bool AbreCatalogo(const QString& pastaFiles, QString& erro);
// True when the catalogue is connected and holds the table MONTADORAS.
bool CatalogoTemConteudo(TDmTovra* dm = nullptr);
// The creation date of the catalogue as "DD/MM/YYYY HH:NN:SS"; "exceção ao
// localizar data" when it cannot be read; nothing when "registroDeCriacao" is absent.
std::optional<QString> VersaoCatalogo(TDmTovra* dm = nullptr);
// "Versão Local: " + the version, or "Versão Local: <indefinida>".
QString TextoVersaoLocal(TDmTovra* dm = nullptr);

}  // namespace tovra
