#include "devserver/banco_dev.h"

#include <sqlite3.h>
#include <stdexcept>

namespace tovra::devserver {

long long ComoInt(const TValor& v) {
  if (auto p = std::get_if<long long>(&v)) return *p;
  if (auto p = std::get_if<double>(&v)) return static_cast<long long>(*p);
  if (auto p = std::get_if<std::string>(&v)) {
    try {
      return std::stoll(*p);
    } catch (...) {
      return 0;
    }
  }
  return 0;
}

std::string ComoTexto(const TValor& v) {
  if (auto p = std::get_if<std::string>(&v)) return *p;
  if (auto p = std::get_if<long long>(&v)) return std::to_string(*p);
  if (auto p = std::get_if<double>(&v)) return std::to_string(*p);
  return {};
}

namespace {

class TComando {
 public:
  TComando(sqlite3* db, const char* sql) : FDb(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &FStmt, nullptr) != SQLITE_OK)
      throw std::runtime_error(std::string("SQL: ") + sqlite3_errmsg(db));
  }
  ~TComando() { sqlite3_finalize(FStmt); }
  void Liga(const std::vector<TValor>& params) {
    int i = 1;
    for (const TValor& v : params) {
      if (std::holds_alternative<std::nullptr_t>(v)) sqlite3_bind_null(FStmt, i);
      else if (auto p = std::get_if<long long>(&v)) sqlite3_bind_int64(FStmt, i, *p);
      else if (auto p = std::get_if<double>(&v)) sqlite3_bind_double(FStmt, i, *p);
      else {
        const std::string& s = std::get<std::string>(v);
        sqlite3_bind_text(FStmt, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
      }
      ++i;
    }
  }
  bool Passo() {
    int rc = sqlite3_step(FStmt);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw std::runtime_error(std::string("SQL: ") + sqlite3_errmsg(FDb));
  }
  TLinha Linha() {
    TLinha l;
    int n = sqlite3_column_count(FStmt);
    for (int c = 0; c < n; ++c) {
      switch (sqlite3_column_type(FStmt, c)) {
        case SQLITE_INTEGER: l.emplace_back(static_cast<long long>(sqlite3_column_int64(FStmt, c))); break;
        case SQLITE_FLOAT: l.emplace_back(sqlite3_column_double(FStmt, c)); break;
        case SQLITE_NULL: l.emplace_back(nullptr); break;
        default: {
          const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(FStmt, c));
          l.emplace_back(std::string(t ? t : "", static_cast<size_t>(sqlite3_column_bytes(FStmt, c))));
        }
      }
    }
    return l;
  }

 private:
  sqlite3* FDb;
  sqlite3_stmt* FStmt = nullptr;
};

const char* const kTabelas[] = {
    "CREATE TABLE IF NOT EXISTS config(chave TEXT PRIMARY KEY, valor TEXT)",
    "CREATE TABLE IF NOT EXISTS log_habilitado(nr_serie INTEGER PRIMARY KEY, habilitado INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS clientes(email TEXT PRIMARY KEY COLLATE NOCASE, pw TEXT NOT NULL, "
    "ativo INTEGER NOT NULL DEFAULT 0)",
    "CREATE TABLE IF NOT EXISTS empresas(id INTEGER PRIMARY KEY AUTOINCREMENT, email TEXT UNIQUE COLLATE NOCASE, "
    "json TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS telefones(id INTEGER PRIMARY KEY AUTOINCREMENT, empresa_id INTEGER NOT NULL, "
    "json TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS usuarios(id INTEGER PRIMARY KEY AUTOINCREMENT, email TEXT UNIQUE COLLATE NOCASE, "
    "json TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS scanners(serie INTEGER PRIMARY KEY, empresa_id INTEGER NOT NULL, mac TEXT, "
    "ativo TEXT)",
    "CREATE TABLE IF NOT EXISTS relatorios(id TEXT PRIMARY KEY, empresa_id INTEGER NOT NULL, data_sql TEXT, "
    "hora_sql TEXT, json TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS falhas(id INTEGER PRIMARY KEY AUTOINCREMENT, sistema_id INTEGER, "
    "sistema_str TEXT, falha_pc TEXT, falha_desc TEXT, qtd INTEGER DEFAULT 0, qtd_diag4 INTEGER DEFAULT 0)",
    "CREATE TABLE IF NOT EXISTS solucoes(id INTEGER PRIMARY KEY AUTOINCREMENT, falha_id INTEGER NOT NULL, "
    "empresa_id INTEGER NOT NULL, descricao TEXT NOT NULL, bonus INTEGER DEFAULT 0)",
    "CREATE TABLE IF NOT EXISTS likes(solucao_id INTEGER NOT NULL, empresa_id INTEGER NOT NULL, "
    "PRIMARY KEY(solucao_id, empresa_id))",
    "CREATE TABLE IF NOT EXISTS termos(empresa_id INTEGER NOT NULL, termo TEXT NOT NULL, aceito INTEGER NOT NULL, "
    "quando TEXT, PRIMARY KEY(empresa_id, termo))",
    "CREATE TABLE IF NOT EXISTS logs_acesso(id INTEGER PRIMARY KEY AUTOINCREMENT, empresa_id INTEGER, "
    "nr_serie INTEGER, sistema_id INTEGER, quando TEXT)",
    "CREATE TABLE IF NOT EXISTS emails(id INTEGER PRIMARY KEY AUTOINCREMENT, para TEXT, assunto TEXT, "
    "quando TEXT)",
    "CREATE TABLE IF NOT EXISTS cadastro_norvik(nr_serie INTEGER PRIMARY KEY, json TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS ceps(cep TEXT PRIMARY KEY, logradouro TEXT, bairro TEXT, localidade TEXT, "
    "uf TEXT)",
};

}  // namespace

TDevBanco::TDevBanco(const std::string& arquivo) {
  if (sqlite3_open_v2(arquivo.c_str(), &FDb, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
    std::string erro = FDb ? sqlite3_errmsg(FDb) : "sem memória";
    sqlite3_close(FDb);
    FDb = nullptr;
    throw std::runtime_error("Falha ao abrir " + arquivo + ": " + erro);
  }
  sqlite3_busy_timeout(FDb, 2000);
  CriaTabelas();
}

TDevBanco::~TDevBanco() {
  if (FDb) sqlite3_close(FDb);
}

void TDevBanco::CriaTabelas() {
  for (const char* sql : kTabelas) Executa(sql);
  if (Consulta("SELECT COUNT(*) FROM ceps").at(0).at(0) == TValor(0LL)) {
    const char* sql = "INSERT INTO ceps(cep, logradouro, bairro, localidade, uf) VALUES(?,?,?,?,?)";
    Executa(sql, {std::string("01001000"), std::string("Praça da Sé"), std::string("Sé"),
                  std::string("São Paulo"), std::string("SP")});
    Executa(sql, {std::string("20040002"), std::string("Rua da Assembleia"), std::string("Centro"),
                  std::string("Rio de Janeiro"), std::string("RJ")});
    Executa(sql, {std::string("30130010"), std::string("Praça Sete de Setembro"), std::string("Centro"),
                  std::string("Belo Horizonte"), std::string("MG")});
    Executa(sql, {std::string("90010000"), std::string("Rua dos Andradas"), std::string("Centro Histórico"),
                  std::string("Porto Alegre"), std::string("RS")});
  }
}

std::vector<TLinha> TDevBanco::Consulta(const char* sql, const std::vector<TValor>& params) {
  TComando c(FDb, sql);
  c.Liga(params);
  std::vector<TLinha> linhas;
  while (c.Passo()) linhas.push_back(c.Linha());
  return linhas;
}

long long TDevBanco::Executa(const char* sql, const std::vector<TValor>& params) {
  TComando c(FDb, sql);
  c.Liga(params);
  while (c.Passo()) {
  }
  return sqlite3_changes(FDb);
}

long long TDevBanco::UltimoId() const { return sqlite3_last_insert_rowid(FDb); }


std::string TDevBanco::Config(const std::string& chave) {
  auto l = Consulta("SELECT valor FROM config WHERE chave = ?", {chave});
  return l.empty() ? std::string() : ComoTexto(l[0][0]);
}

void TDevBanco::DefineConfig(const std::string& chave, const std::string& valor) {
  Executa("INSERT INTO config(chave, valor) VALUES(?, ?) ON CONFLICT(chave) DO UPDATE SET valor = excluded.valor",
          {chave, valor});
}

}  // namespace tovra::devserver
