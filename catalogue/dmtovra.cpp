#include "catalogue/dmtovra.h"

#include <sqlite3.h>

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTimeZone>

#include "common/dbtojson.h"
#include "common/debug.h"

namespace tovra {

namespace {

TDmTovra* gInstancia = nullptr;

// Index name prefix: every index the program adds starts with it, so they can be
// found and dropped again without touching the catalogue's own ones.
constexpr const char* kPrefixoIndice = "TVX_";

struct TIndice {
  const char* tabela;
  std::vector<const char*> colunas;
};

// The columns the catalogue queries filter and join by.
const std::vector<TIndice>& Indices() {
  static const std::vector<TIndice> lista = {
      {"MONTADORAS", {"ID_MONTADORA"}},
      {"GRUPO_MODELOS", {"ID_GRUPO_MODELO"}},
      {"GRUPO_MODELOS", {"ID_MONTADORA"}},
      {"MODELOS", {"ID_MODELO"}},
      {"MODELOS", {"ID_GRUPO_MODELO"}},
      {"SISTEMAS", {"ID_SISTEMA"}},
      {"SISTEMAS", {"ID_SIGLA"}},
      {"SIGLAS_SISTEMA", {"ID_SIGLA"}},
      {"ASSOCIACAO_MODELO_SISTEMA", {"ID_MODELO", "ID_SISTEMA"}},
      {"ASSOCIACAO_MODELO_SISTEMA", {"ID_SISTEMA"}},
      {"ADAPTADORES", {"ID_ADAPTADOR"}},
      {"GRUPO_ADAPTADORES", {"ID_GRUPO_ADAPTADOR"}},
      {"FALHAS", {"ID_GRUPO_FALHAS"}},
      {"FALHAS_OLD", {"ID_GRUPO_FALHAS"}},
      {"TITULOS_FALHAS", {"ID_TITULO"}},
      {"STATUS_FALHA", {"ID_STATUS_FALHA"}},
      {"MSG_ADIC_FALHAS", {"ID_MSG"}},
      {"PARAMETROS", {"ID_PARAMETRO"}},
      {"UNIDADES", {"ID_UNIDADE"}},
      {"PARAMETROS_POR_GRUPO", {"ID_GRUPO_PARAMETROS"}},
      {"PARAMETROS_POR_GRUPO_OLD", {"ID_GRUPO_PARAMETROS"}},
      {"VISUALGRAPH", {"ID_GRUPO_VISUALGRAPH"}},
      {"VISUALGRAPH_OLD", {"ID_GRUPO_VISUALGRAPH"}},
      {"STATUS_PARAMETROS", {"ID_STATUS"}},
      {"ATUADORES", {"ID_ATUADOR"}},
      {"ASSOCIACAO_GRUPO_ATUADORES", {"ID_GRUPO_ATUADORES"}},
      {"ASSOCIACAO_GRUPO_ATUADORES_OLD", {"ID_GRUPO_ATUADORES"}},
      {"COMANDO_ATUADOR", {"ID_COMANDO"}},
      {"PARAMETRO_POR_ATUADOR", {"ID_GRUPO_ATUADORES", "ID_ATUADOR"}},
      {"AJUSTES", {"ID_AJUSTE"}},
      {"ASSOCIACAO_GRUPO_AJUSTES", {"ID_GRUPO_AJUSTES"}},
      {"ASSOCIACAO_GRUPO_AJUSTES_OLD", {"ID_GRUPO_AJUSTES"}},
      {"COMANDO_AJUSTE", {"ID_COMANDO"}},
      {"PARAMETRO_POR_AJUSTE", {"ID_GRUPO_AJUSTES", "ID_AJUSTE"}},
      {"MSG_USUARIO", {"ID_MSGUSER"}},
      {"INFO_SOLICITADA", {"ID_INFO"}},
      {"OPCOES_INFO_SOLICITADA", {"ID_OPCAO"}},
      {"ASSOC_INFO_SOLICITADA", {"ID_MODELO", "ID_SISTEMA"}},
  };
  return lista;
}

QString Mensagem(sqlite3* db) { return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString("sem conexão"); }

void Liga(sqlite3* db, sqlite3_stmt* st, const QVariantList& params) {
  const int n = sqlite3_bind_parameter_count(st);
  if (n != params.size())
    throw EBancoDados(QString("parâmetros: %1 esperados, %2 dados").arg(n).arg(params.size()).toStdString());
  for (int i = 0; i < n; ++i) {
    const QVariant& v = params[i];
    int rc = SQLITE_OK;
    if (v.isNull() || !v.isValid()) {
      rc = sqlite3_bind_null(st, i + 1);
    } else {
      switch (v.typeId()) {
        case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::Long:
        case QMetaType::Short: case QMetaType::UShort: case QMetaType::Bool: case QMetaType::Char:
        case QMetaType::UChar: case QMetaType::SChar:
          rc = sqlite3_bind_int64(st, i + 1, v.toLongLong());
          break;
        case QMetaType::ULongLong: case QMetaType::ULong:
          rc = sqlite3_bind_int64(st, i + 1, static_cast<sqlite3_int64>(v.toULongLong()));
          break;
        case QMetaType::Double: case QMetaType::Float:
          rc = sqlite3_bind_double(st, i + 1, v.toDouble());
          break;
        case QMetaType::QByteArray: {
          const QByteArray b = v.toByteArray();
          rc = sqlite3_bind_blob(st, i + 1, b.constData(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
          break;
        }
        default: {
          const QByteArray t = v.toString().toUtf8();
          rc = sqlite3_bind_text(st, i + 1, t.constData(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
          break;
        }
      }
    }
    if (rc != SQLITE_OK) throw EBancoDados(Mensagem(db).toStdString());
  }
}

QVariant ValorColuna(sqlite3_stmt* st, int c) {
  switch (sqlite3_column_type(st, c)) {
    case SQLITE_INTEGER: return QVariant(static_cast<qlonglong>(sqlite3_column_int64(st, c)));
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(st, c));
    case SQLITE_TEXT:
      return QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)),
                                        sqlite3_column_bytes(st, c)));
    case SQLITE_BLOB:
      return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(st, c)), sqlite3_column_bytes(st, c)));
    default: return QVariant();
  }
}

bool SoEspacos(const char* p) {
  // Blanks, line ends and "--" / "/* */" comments only.
  while (*p) {
    if (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n' || *p == ';') { ++p; continue; }
    if (p[0] == '-' && p[1] == '-') { while (*p && *p != '\n') ++p; continue; }
    if (p[0] == '/' && p[1] == '*') {
      p += 2;
      while (*p && !(p[0] == '*' && p[1] == '/')) ++p;
      if (*p) p += 2;
      continue;
    }
    return false;
  }
  return true;
}

}  // namespace

// ---- TCampo -------------------------------------------------------------------

qint64 TCampo::AsInteger() const {
  if (IsNull()) return 0;
  if (FValor.typeId() == QMetaType::Double) return static_cast<qint64>(FValor.toDouble());
  bool ok = false;
  qint64 v = FValor.toLongLong(&ok);
  if (!ok) v = static_cast<qint64>(FValor.toString().trimmed().toDouble(&ok));
  return ok ? v : 0;
}

double TCampo::AsFloat() const {
  if (IsNull()) return 0;
  bool ok = false;
  double v = FValor.toDouble(&ok);
  return ok ? v : 0;
}

QString TCampo::AsString() const {
  if (IsNull()) return QString();
  return FValor.toString();
}

QDateTime TCampo::AsDateTime() const {
  if (IsNull()) return {};
  if (FValor.typeId() == QMetaType::Double || FValor.typeId() == QMetaType::LongLong) {
    // Julian day number, as SQLite's date functions keep it.
    const double jd = FValor.toDouble();
    const qint64 ms = static_cast<qint64>((jd - 2440587.5) * 86400000.0 + 0.5);
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toLocalTime();
  }
  const QString s = FValor.toString().trimmed();
  for (const char* f : {"yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm:ss.zzz",
                        "yyyy-MM-ddTHH:mm:ss", "yyyy-MM-dd HH:mm", "yyyy-MM-dd", "dd/MM/yyyy HH:mm:ss",
                        "dd/MM/yyyy"}) {
    QDateTime d = QDateTime::fromString(s, QString::fromLatin1(f));
    if (d.isValid()) return d;
  }
  QDateTime d = QDateTime::fromString(s, Qt::ISODateWithMs);
  return d;
}

// ---- TQuery -------------------------------------------------------------------

TCampo TQuery::FieldByName(const QString& nome) const {
  for (int c = 0; c < FColunas.size(); ++c)
    if (FColunas[c].compare(nome, Qt::CaseInsensitive) == 0) return Field(c);
  throw EBancoDados(("Campo não encontrado: " + nome).toStdString());
}

TCampo TQuery::Field(int coluna) const {
  if (coluna < 0 || coluna >= FColunas.size()) throw EBancoDados("Índice de campo inválido");
  if (Eof()) return TCampo();
  return TCampo(FLinhas[static_cast<size_t>(FPos)][coluna]);
}

void TQuery::Close() {
  FColunas.clear();
  FLinhas.clear();
  FPos = 0;
}

// ---- quoting ------------------------------------------------------------------

QString SqlTexto(const QString& valor) {
  QString s = valor;
  s.remove(QChar(0));
  s.replace("'", "''");
  return "'" + s + "'";
}

QString SqlLikeContem(const QString& valor) {
  QString s = valor;
  s.replace("\\", "\\\\").replace("%", "\\%").replace("_", "\\_");
  return SqlTexto("%" + s + "%") + " ESCAPE '\\'";
}

// ---- TDmTovra -----------------------------------------------------------------

TDmTovra::TDmTovra() = default;

TDmTovra::~TDmTovra() {
  try {
    EncerraDataModule();
  } catch (...) {
  }
  if (gInstancia == this) gInstancia = nullptr;
}

TDmTovra* TDmTovra::Instancia() { return gInstancia; }
void TDmTovra::DefineInstancia(TDmTovra* dm) { gInstancia = dm; }

QString TDmTovra::ArquivoBanco() const { return FPath + "Tovra.s3db"; }

bool TDmTovra::IniciaDataModule(const QString& path, const QString& confJson) {
  FPath = path;
  if (!FPath.isEmpty() && !FPath.endsWith('/')) FPath += '/';
  FConfJson = confJson;
  if (!QFile::exists(FPath + FConfJson)) return false;
  if (!Conectado()) Conecta();
  if (!Conectado()) throw EBancoDados("Falha de Conexão");
  return true;
}

void TDmTovra::Conecta() {
  sqlite3* db = nullptr;
  const QByteArray arq = ArquivoBanco().toUtf8();
  int rc = sqlite3_open_v2(arq.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc != SQLITE_OK) {
    if (TDebug::Ativo()) TDebug::Linha("Falha ao abrir o banco: " + Mensagem(db));
    sqlite3_close(db);
    return;
  }
  sqlite3_busy_timeout(db, 5000);
  FDb = db;
  AlinhaTabelas();
}

bool TDmTovra::AbreSomenteLeitura(const QString& arquivo) {
  EncerraDataModule();
  if (!QFile::exists(arquivo)) return false;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(arquivo.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return false;
  }
  FDb = db;
  FPath = QFileInfo(arquivo).absolutePath() + "/";
  return true;
}

void TDmTovra::EncerraDataModule() {
  if (!FDb) return;
  if (InTransaction()) {
    try {
      Commit();
    } catch (...) {
      // Commit already rolled back.
    }
  }
  sqlite3_close_v2(FDb);
  FDb = nullptr;
}

void TDmTovra::ExigeConexao() const {
  if (!FDb) throw EBancoDados("Banco de dados não conectado");
}

void TDmTovra::Executa(TQuery& q, bool comLinhas) {
  ExigeConexao();
  q.Close();
  const QByteArray texto = q.SQL.toUtf8();
  const char* p = texto.constData();
  bool primeiro = true;
  while (p && *p) {
    sqlite3_stmt* st = nullptr;
    const char* resto = nullptr;
    if (sqlite3_prepare_v2(FDb, p, -1, &st, &resto) != SQLITE_OK)
      throw EBancoDados(Mensagem(FDb).toStdString());
    if (!st) {  // blanks or a comment
      p = resto;
      continue;
    }
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> guarda(st, sqlite3_finalize);
    Liga(FDb, st, primeiro ? q.Params : QVariantList());
    if (primeiro && comLinhas) {
      const int n = sqlite3_column_count(st);
      for (int c = 0; c < n; ++c) q.FColunas << QString::fromUtf8(sqlite3_column_name(st, c));
    }
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
      if (!comLinhas) continue;
      QVariantList linha;
      linha.reserve(q.FColunas.size());
      for (int c = 0; c < q.FColunas.size(); ++c) linha << ValorColuna(st, c);
      q.FLinhas.push_back(std::move(linha));
    }
    if (rc != SQLITE_DONE) throw EBancoDados(Mensagem(FDb).toStdString());
    primeiro = false;
    p = resto;
    if (comLinhas) {
      // A search runs one statement; anything after it is refused rather than run.
      if (p && !SoEspacos(p)) {
        q.Close();
        throw EBancoDados("Mais de um comando na consulta");
      }
      break;
    }
  }
  q.FPos = 0;
}

void TDmTovra::Search(TQueryRef& q, const QString& sql, bool inicializaNil) {
  if (inicializaNil) q.reset();
  if (!q) q = std::make_unique<TQuery>();
  q->SQL = sql;
  Executa(*q, true);
  q->First();
}

TQueryRef TDmTovra::Search(const QString& sql, const QVariantList& params) {
  auto q = std::make_unique<TQuery>();
  q->SQL = sql;
  q->Params = params;
  Executa(*q, true);
  return q;
}

void TDmTovra::Exec(TQueryRef& q, const QString& sql, bool startTransaction, bool inicializaNil) {
  if (inicializaNil) q.reset();
  if (!q) q = std::make_unique<TQuery>();
  q->SQL = sql;
  // Inside a transaction the caller already opened, the statement joins it.
  const bool propria = startTransaction && !InTransaction();
  try {
    if (propria) StartTransaction();
    Executa(*q, false);
    if (propria) Commit();
  } catch (const std::exception& e) {
    const std::string msg = e.what();
    try {
      Rollback();
    } catch (...) {
    }
    throw EBancoDados(msg);
  }
}

void TDmTovra::Exec(const QString& sql, bool startTransaction, const QVariantList& params) {
  TQueryRef q = std::make_unique<TQuery>();
  q->Params = params;
  Exec(q, sql, startTransaction, false);
}

bool TDmTovra::InTransaction() const { return FDb && sqlite3_get_autocommit(FDb) == 0; }

void TDmTovra::StartTransaction() {
  ExigeConexao();
  if (InTransaction()) throw EBancoDados("Transação já iniciada");
  ExecDireto("BEGIN");
}

void TDmTovra::Commit() {
  if (!InTransaction()) return;
  try {
    ExecDireto("COMMIT");
  } catch (const std::exception& e) {
    const std::string msg = e.what();
    Rollback();
    throw EBancoDados(msg);
  }
}

void TDmTovra::Rollback() {
  if (!InTransaction()) return;
  sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
}

void TDmTovra::ExecDireto(const QString& sql) {
  ExigeConexao();
  char* erro = nullptr;
  if (sqlite3_exec(FDb, sql.toUtf8().constData(), nullptr, nullptr, &erro) != SQLITE_OK) {
    QString m = erro ? QString::fromUtf8(erro) : Mensagem(FDb);
    sqlite3_free(erro);
    throw EBancoDados(m.toStdString());
  }
}

bool TDmTovra::TableExists(const QString& nome) {
  // Tables are created with upper-cased names; SQLite compares identifiers
  // without case, and so does this look-up.
  try {
    TQueryRef q = Search("SELECT * FROM sqlite_master WHERE TYPE = ? AND UPPER(TBL_NAME) = UPPER(?)",
                         {QString("table"), nome});
    return !q->IsEmpty();
  } catch (const std::exception&) {
    return false;
  }
}

void TDmTovra::DestroyQuery(TQueryRef& q) {
  if (q) q->Close();
  q.reset();
}

void TDmTovra::AlinhaTabelas() {
  const QString arquivo = FPath + FConfJson;
  if (!QFile::exists(arquivo)) return;
  std::unique_ptr<TClassDbToJson> desc;
  try {
    desc = TClassDbToJson::LerArquivo(arquivo);
  } catch (const std::exception& e) {
    TDebug::Linha(QString::fromUtf8(e.what()));
    QFile::remove(arquivo);
    return;
  }
  // One transaction around the whole alignment: each statement would otherwise
  // wait for its own write to disk.
  const bool propria = !InTransaction();
  if (propria) ExecDireto("BEGIN");
  for (const TClassNorvikTable& t : desc->FListaDeTabelas) {
    const QString nome = t.FTableName.toUpper();
    if (nome.isEmpty()) continue;
    try {
      TQueryRef q = Search("SELECT * FROM sqlite_master WHERE TYPE = ? AND TBL_NAME = ?", {QString("table"), nome});
      if (q->IsEmpty()) {
        ExecDireto(t.GetCreateToSqLite());
        continue;
      }
      const QString criado = q->FieldByName("SQL").AsString().toUpper();
      bool emOrdem = true;
      for (const TClassNorvikField& f : t.FFieldList) {
        if (!criado.contains(f.FNomeField.toUpper())) { emOrdem = false; break; }
        if (f.FTipoDados == TFieldType::ftFloat && !criado.contains("FLOAT")) { emOrdem = false; break; }
      }
      if (!emOrdem) {
        if (TDebug::Ativo()) TDebug::Linha("Recriando tabela: " + nome);
        ExecDireto("DROP TABLE [" + nome + "]");
        ExecDireto(t.GetCreateToSqLite());
      }
    } catch (const std::exception& e) {
      TDebug::Erro("Falha ao alinhar a tabela " + nome + ": " + QString::fromUtf8(e.what()), "InicializacaoTabelasErro");
    }
  }
  if (FCriaIndices) {
    try {
      CriaIndices();
    } catch (const std::exception& e) {
      TDebug::Linha("Falha ao criar índices: " + QString::fromUtf8(e.what()));
    }
  }
  if (propria) {
    try {
      ExecDireto("COMMIT");
    } catch (const std::exception& e) {
      TDebug::Erro("Falha ao alinhar as tabelas: " + QString::fromUtf8(e.what()), "InicializacaoTabelasErro");
      Rollback();
    }
  }
}

void TDmTovra::CriaIndices() {
  ExigeConexao();
  for (const TIndice& ind : Indices()) {
    TQueryRef q = Search("SELECT NAME FROM sqlite_master WHERE TYPE = 'table' AND UPPER(NAME) = ?",
                         {QString::fromLatin1(ind.tabela)});
    if (q->IsEmpty()) continue;
    const QString tabela = q->FieldByName("NAME").AsString();
    TQueryRef cols = Search("SELECT UPPER(name) AS N FROM pragma_table_info(?)", {tabela});
    QSet<QString> existentes;
    for (cols->First(); !cols->Eof(); cols->Next()) existentes.insert(cols->Field(0).AsString());
    QString nomeIndice = QString::fromLatin1(kPrefixoIndice) + QString::fromLatin1(ind.tabela);
    QStringList lista;
    bool completo = true;
    for (const char* c : ind.colunas) {
      if (!existentes.contains(QString::fromLatin1(c))) { completo = false; break; }
      lista << "[" + QString::fromLatin1(c) + "]";
      nomeIndice += "_" + QString::fromLatin1(c);
    }
    if (!completo) continue;
    ExecDireto("CREATE INDEX IF NOT EXISTS [" + nomeIndice + "] ON [" + tabela + "] (" + lista.join(", ") + ")");
  }
}

QStringList TDmTovra::IndicesCriados() {
  QStringList r;
  TQueryRef q = Search("SELECT NAME FROM sqlite_master WHERE TYPE = 'index' AND NAME LIKE ? ESCAPE '\\' ORDER BY NAME",
                       {QString::fromLatin1(kPrefixoIndice).replace("_", "\\_") + "%"});
  for (q->First(); !q->Eof(); q->Next()) r << q->Field(0).AsString();
  return r;
}

void TDmTovra::RemoveIndices() {
  for (const QString& n : IndicesCriados()) ExecDireto("DROP INDEX IF EXISTS [" + n + "]");
}

// ---- process-wide operations --------------------------------------------------

bool AbreCatalogo(const QString& pastaFiles, QString& erro) {
  QString pasta = pastaFiles;
  if (!pasta.endsWith('/')) pasta += '/';
  if (!QFile::exists(pasta + "conf.json")) {
    erro = "Arquivo de configuração não encontrado";
    return false;
  }
  TDmTovra* dm = TDmTovra::Instancia();
  if (!dm) return false;
  return dm->IniciaDataModule(pasta, "conf.json");
}

bool CatalogoTemConteudo(TDmTovra* dm) {
  if (!dm) dm = TDmTovra::Instancia();
  if (!dm || !dm->Conectado()) return false;
  try {
    TQueryRef q = dm->Search("SELECT NAME FROM SQLITE_MASTER WHERE TYPE='table' AND NAME ='MONTADORAS'");
    return !q->IsEmpty() && !q->FieldByName("NAME").IsNull();
  } catch (const std::exception&) {
    return false;
  }
}

std::optional<QString> VersaoCatalogo(TDmTovra* dm) {
  if (!dm) dm = TDmTovra::Instancia();
  if (!dm || !dm->TableExists("registroDeCriacao")) return std::nullopt;
  try {
    TQueryRef q = dm->Search("SELECT createDate FROM registroDeCriacao order by id desc limit 1");
    if (q->IsEmpty()) return QString("exceção ao localizar data");
    const QDateTime d = q->FieldByName("createDate").AsDateTime();
    if (!d.isValid()) return QString("exceção ao localizar data");
    return d.toString("dd/MM/yyyy HH:mm:ss");
  } catch (const std::exception&) {
    return QString("exceção ao localizar data");
  }
}

QString TextoVersaoLocal(TDmTovra* dm) {
  auto v = VersaoCatalogo(dm);
  return "Versão Local: " + (v ? *v : QString("<indefinida>"));
}

}  // namespace tovra
