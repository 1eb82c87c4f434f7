#pragma once
// The stand-in server's state: one SQLite database, so that companies, operators,
// phones, scanners, reports, solutions, likes, terms and access logs persist
// between runs. Every statement is prepared with bound values; no SQL is built
// from request text. Not thread-safe: the server serialises the calls.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

struct sqlite3;

namespace tovra::devserver {

using TValor = std::variant<std::nullptr_t, long long, double, std::string>;
using TLinha = std::vector<TValor>;

long long ComoInt(const TValor& v);
std::string ComoTexto(const TValor& v);

class TDevBanco {
 public:
  // Opens (creating when missing) the database file; ":memory:" for a throw-away one.
  explicit TDevBanco(const std::string& arquivo);
  ~TDevBanco();
  TDevBanco(const TDevBanco&) = delete;
  TDevBanco& operator=(const TDevBanco&) = delete;

  std::vector<TLinha> Consulta(const char* sql, const std::vector<TValor>& params = {});
  // Runs one statement; answers the number of rows changed.
  long long Executa(const char* sql, const std::vector<TValor>& params = {});
  long long UltimoId() const;

  // A value of the small key/value table ("" when missing).
  std::string Config(const std::string& chave);
  void DefineConfig(const std::string& chave, const std::string& valor);

 private:
  void CriaTabelas();
  sqlite3* FDb = nullptr;
};

}  // namespace tovra::devserver
