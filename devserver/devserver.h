#pragma once
// tovra-devserver: the stand-in for the maker's file server and web services,
// listening on 127.0.0.1 only. Usable in-process (tests start it on an ephemeral
// port) and from the command line (devserver/main.cpp).
//
// Layout below http://127.0.0.1:<port>/:
//   portal/   portal core root (plain values)
//   core/     Brevanta core root (bare JSON)
//   metodo/   Brevanta method root (result envelope {"result":[...]})
//   sync/     Brevanta sync root (result envelope)
//   cep/      postal-code service: cep/<8 digits>/json/
//   internet  the internet-check page
//   _admin/falha  POST a fault (JSON of TFalhaRota plus "prefixo"), DELETE clears
//   anything else: a file of the served folder (GET and HEAD with Content-Length)
//
// Path segments are percent-decoded one by one, so "%2F" inside a value never
// splits it.
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tovra::devserver {

class TDevBanco;

// A fault injected for every request whose decoded path starts with a prefix.
struct TFalhaRota {
  int FStatus = 0;              // reply with this HTTP status (0: no)
  int FAtrasoMs = 0;            // wait this long before replying
  long long FTamanhoHead = -1;  // a HEAD of a file announces this Content-Length
  bool FTruncado = false;       // send half the body, then drop the connection
  int FVezes = -1;              // how many requests it hits (-1: all)
};

struct TPedidoVisto {
  std::string FMetodo;
  std::string FAlvo;   // the request target as sent (still percent-encoded)
  std::string FCorpo;
  std::string FTipoConteudo;  // Content-Type
  std::string FCacheControl;  // Cache-Control
};

class TDevServer {
 public:
  // pastaArquivos: the folder served as the file server (may be empty: no files).
  // banco: the SQLite state file (":memory:" for a throw-away state).
  TDevServer(const QString& pastaArquivos, const QString& banco);
  ~TDevServer();
  TDevServer(const TDevServer&) = delete;
  TDevServer& operator=(const TDevServer&) = delete;

  // Listens on 127.0.0.1:porta (0 picks a free port) on a thread of its own.
  bool Inicia(int porta = 0);
  void Para();
  int Porta() const;
  QString UrlBase() const;  // "http://127.0.0.1:<port>/"

  void DefineFalha(const std::string& prefixo, const TFalhaRota& falha);
  void LimpaFalhas();

  std::vector<TPedidoVisto> Pedidos() const;
  // The last request whose target starts with the prefix (empty when none).
  TPedidoVisto UltimoPedido(const std::string& prefixoAlvo) const;
  void LimpaPedidos();

  // Runs f on the state with the server's lock held (seeding and inspection).
  void ComBanco(const std::function<void(TDevBanco&)>& f);

  // Seeding helpers.
  // An account as a registration leaves it: client, company, operator; answers the company id.
  int CriaConta(const std::string& email, const std::string& senha, const std::string& razaoSocial = "");
  void DefineLogHabilitado(long long nrSerie, bool habilitado);
  // The maker's customer register that the sync root copies from: a JSON object with
  // company keys ("cod_Norvik", "razao_Social_Norvik", "cNPJ", ...) and "telefones"
  // (an array of phone objects).
  void DefineCadastroNorvik(long long nrSerie, const std::string& json);

  // The password a registration gives a new account (the real service mails it).
  static constexpr const char* kSenhaNovaConta = "tovra123";

 private:
  struct Impl;
  std::unique_ptr<Impl> F;
};

}  // namespace tovra::devserver
