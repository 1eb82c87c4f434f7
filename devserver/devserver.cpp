#include "devserver/devserver.h"

#include <httplib.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>

#include "devserver/banco_dev.h"
#include "devserver/servicos_dev.h"

namespace tovra::devserver {

namespace {

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Percent-decoding of one segment; "+" stays "+".
std::string Decodifica(const std::string& s) {
  std::string r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size()) {
      int a = Hex(s[i + 1]);
      int b = Hex(s[i + 2]);
      if (a >= 0 && b >= 0) {
        r.push_back(static_cast<char>(a * 16 + b));
        i += 2;
        continue;
      }
    }
    r.push_back(s[i]);
  }
  return r;
}

// The decoded segments of a request target (query left out, empty segments kept,
// the leading "/" dropped).
std::vector<std::string> Segmentos(const std::string& alvo) {
  std::string caminho = alvo.substr(0, alvo.find('?'));
  std::vector<std::string> segs;
  size_t inicio = caminho.empty() || caminho[0] != '/' ? 0 : 1;
  for (;;) {
    size_t barra = caminho.find('/', inicio);
    segs.push_back(Decodifica(caminho.substr(inicio, barra == std::string::npos ? std::string::npos : barra - inicio)));
    if (barra == std::string::npos) break;
    inicio = barra + 1;
  }
  return segs;
}

}  // namespace

struct TDevServer::Impl {
  QString FPasta;
  std::unique_ptr<TDevBanco> FBanco;
  std::mutex FMutexBanco;
  mutable std::mutex FMutex;  // faults and request log
  std::map<std::string, TFalhaRota> FFalhas;
  std::vector<TPedidoVisto> FPedidos;
  httplib::Server FServidor;
  std::thread FThread;
  std::atomic<bool> FParando{false};
  int FPorta = 0;

  std::optional<TFalhaRota> Falha(const std::string& caminho) {
    std::lock_guard<std::mutex> g(FMutex);
    // The longest matching prefix wins.
    const TFalhaRota* melhor = nullptr;
    std::string chave;
    for (auto& [prefixo, f] : FFalhas) {
      if (caminho.rfind(prefixo, 0) == 0 && prefixo.size() >= chave.size() && f.FVezes != 0) {
        melhor = &f;
        chave = prefixo;
      }
    }
    if (!melhor) return std::nullopt;
    TFalhaRota f = *melhor;
    if (FFalhas[chave].FVezes > 0) --FFalhas[chave].FVezes;
    return f;
  }

  void Espera(int ms) {
    auto fim = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!FParando && std::chrono::steady_clock::now() < fim)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }

  static void Responde(httplib::Response& res, int status, const std::string& corpo, const std::string& tipo,
                       bool truncado) {
    res.status = status;
    if (!truncado) {
      res.set_content(corpo, tipo.c_str());
      return;
    }
    // Half of the body, then the connection drops.
    auto dados = std::make_shared<std::string>(corpo);
    res.set_content_provider(dados->size(), tipo.c_str(),
                             [dados](size_t offset, size_t, httplib::DataSink& sink) {
                               size_t metade = dados->size() / 2;
                               if (offset < metade) {
                                 sink.write(dados->data() + offset, metade - offset);
                                 return true;
                               }
                               return false;
                             });
  }

  void Arquivo(const httplib::Request& req, httplib::Response& res, const std::vector<std::string>& segs,
               const std::optional<TFalhaRota>& falha) {
    if (FPasta.isEmpty()) return Responde(res, 404, "ERRO", "text/plain", false);
    QString relativo;
    for (const std::string& s : segs) {
      // No way out of the served folder.
      if (s.empty() || s == "." || s == ".." || s.find('\\') != std::string::npos ||
          s.find('\0') != std::string::npos)
        return Responde(res, 404, "ERRO", "text/plain", false);
      relativo += (relativo.isEmpty() ? "" : "/") + QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
    }
    QFileInfo info(FPasta + "/" + relativo);
    const QString raiz = QFileInfo(FPasta).canonicalFilePath();
    const QString caminho = info.canonicalFilePath();
    if (!info.isFile() || caminho.isEmpty() || !caminho.startsWith(raiz + "/"))
      return Responde(res, 404, "ERRO", "text/plain", false);

    const long long tamanho = info.size();
    const bool truncado = falha && falha->FTruncado;
    if (req.method == "HEAD") {
      long long anunciado = falha && falha->FTamanhoHead >= 0 ? falha->FTamanhoHead : tamanho;
      res.status = 200;
      res.set_content_provider(static_cast<size_t>(anunciado), "application/octet-stream",
                               [](size_t, size_t, httplib::DataSink&) { return false; });
      return;
    }
    auto arquivo = std::make_shared<QFile>(caminho);
    if (!arquivo->open(QIODevice::ReadOnly)) return Responde(res, 500, "ERRO", "text/plain", false);
    res.status = 200;
    res.set_content_provider(
        static_cast<size_t>(tamanho), "application/octet-stream",
        [arquivo, tamanho, truncado](size_t offset, size_t length, httplib::DataSink& sink) {
          size_t limite = truncado ? static_cast<size_t>(tamanho / 2) : static_cast<size_t>(tamanho);
          if (offset >= limite) return false;
          size_t n = std::min<size_t>({length, limite - offset, 64 * 1024});
          if (!arquivo->seek(static_cast<qint64>(offset))) return false;
          QByteArray bloco = arquivo->read(static_cast<qint64>(n));
          if (bloco.isEmpty()) return false;
          sink.write(bloco.constData(), static_cast<size_t>(bloco.size()));
          return true;
        });
  }

  void Admin(const httplib::Request& req, httplib::Response& res, const std::vector<std::string>& segs) {
    if (segs.size() == 2 && segs[1] == "falha" && req.method == "DELETE") {
      std::lock_guard<std::mutex> g(FMutex);
      FFalhas.clear();
      return Responde(res, 200, "OK", "text/plain", false);
    }
    if (segs.size() == 2 && segs[1] == "falha" && req.method == "POST") {
      try {
        auto j = nlohmann::json::parse(req.body);
        TFalhaRota f;
        f.FStatus = j.value("status", 0);
        f.FAtrasoMs = j.value("atrasoMs", 0);
        f.FTamanhoHead = j.value("tamanhoHead", -1LL);
        f.FTruncado = j.value("truncado", false);
        f.FVezes = j.value("vezes", -1);
        std::string prefixo = j.value("prefixo", std::string());
        if (prefixo.empty()) return Responde(res, 400, "ERRO", "text/plain", false);
        std::lock_guard<std::mutex> g(FMutex);
        FFalhas[prefixo] = f;
        return Responde(res, 200, "OK", "text/plain", false);
      } catch (const std::exception&) {
        return Responde(res, 400, "ERRO", "text/plain", false);
      }
    }
    Responde(res, 404, "ERRO", "text/plain", false);
  }

  void Atende(const httplib::Request& req, httplib::Response& res) {
    {
      std::lock_guard<std::mutex> g(FMutex);
      FPedidos.push_back({req.method, req.target, req.body, req.get_header_value("Content-Type"),
                          req.get_header_value("Cache-Control")});
    }
    std::vector<std::string> segs = Segmentos(req.target);
    std::string caminho;
    for (const std::string& s : segs) caminho += "/" + s;
    const std::string raiz = segs.empty() ? std::string() : segs[0];

    if (raiz == "_admin") return Admin(req, res, segs);

    std::optional<TFalhaRota> falha = Falha(caminho);
    if (falha && falha->FAtrasoMs > 0) Espera(falha->FAtrasoMs);
    if (FParando) return Responde(res, 503, "ERRO", "text/plain", false);
    if (falha && falha->FStatus > 0) return Responde(res, falha->FStatus, "ERRO", "text/plain", false);

    if (raiz == "internet" && segs.size() == 1)
      return Responde(res, 200, "<html><body>ok</body></html>", "text/html", falha && falha->FTruncado);

    if (raiz == "portal" || raiz == "core" || raiz == "metodo" || raiz == "sync" || raiz == "cep") {
      std::vector<std::string> resto(segs.begin() + 1, segs.end());
      // "root//Usuario": the leading empty segments of a resource given with "/".
      while (!resto.empty() && resto.front().empty()) resto.erase(resto.begin());
      if (!resto.empty() && resto.back().empty()) resto.pop_back();
      TRespostaDev r;
      {
        std::lock_guard<std::mutex> g(FMutexBanco);
        r = AtendeServico(*FBanco, raiz, resto, req.method, req.body);
      }
      return Responde(res, r.FStatus, r.FCorpo, r.FTipo, falha && falha->FTruncado);
    }
    Arquivo(req, res, segs, falha);
  }
};

TDevServer::TDevServer(const QString& pastaArquivos, const QString& banco) : F(std::make_unique<Impl>()) {
  F->FPasta = pastaArquivos.isEmpty() ? QString() : QFileInfo(pastaArquivos).absoluteFilePath();
  F->FBanco = std::make_unique<TDevBanco>(banco.toStdString());
  auto h = [this](const httplib::Request& req, httplib::Response& res) { F->Atende(req, res); };
  F->FServidor.Get(".*", h);
  F->FServidor.Post(".*", h);
  F->FServidor.Put(".*", h);
  F->FServidor.Delete(".*", h);
  F->FServidor.set_keep_alive_max_count(1);
}

TDevServer::~TDevServer() { Para(); }

bool TDevServer::Inicia(int porta) {
  if (F->FThread.joinable()) return true;
  F->FParando = false;
  if (porta == 0) {
    F->FPorta = F->FServidor.bind_to_any_port("127.0.0.1");
  } else {
    F->FPorta = F->FServidor.bind_to_port("127.0.0.1", porta) ? porta : -1;
  }
  if (F->FPorta <= 0) return false;
  F->FThread = std::thread([this] { F->FServidor.listen_after_bind(); });
  // Returns once the server accepts connections.
  for (int i = 0; i < 500 && !F->FServidor.is_running(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  return F->FServidor.is_running();
}

void TDevServer::Para() {
  F->FParando = true;
  F->FServidor.stop();
  if (F->FThread.joinable()) F->FThread.join();
}

int TDevServer::Porta() const { return F->FPorta; }

QString TDevServer::UrlBase() const { return QStringLiteral("http://127.0.0.1:%1/").arg(F->FPorta); }

void TDevServer::DefineFalha(const std::string& prefixo, const TFalhaRota& falha) {
  std::lock_guard<std::mutex> g(F->FMutex);
  F->FFalhas[prefixo] = falha;
}

void TDevServer::LimpaFalhas() {
  std::lock_guard<std::mutex> g(F->FMutex);
  F->FFalhas.clear();
}

std::vector<TPedidoVisto> TDevServer::Pedidos() const {
  std::lock_guard<std::mutex> g(F->FMutex);
  return F->FPedidos;
}

TPedidoVisto TDevServer::UltimoPedido(const std::string& prefixoAlvo) const {
  std::lock_guard<std::mutex> g(F->FMutex);
  for (auto it = F->FPedidos.rbegin(); it != F->FPedidos.rend(); ++it)
    if (it->FAlvo.rfind(prefixoAlvo, 0) == 0) return *it;
  return {};
}

void TDevServer::LimpaPedidos() {
  std::lock_guard<std::mutex> g(F->FMutex);
  F->FPedidos.clear();
}

void TDevServer::ComBanco(const std::function<void(TDevBanco&)>& f) {
  std::lock_guard<std::mutex> g(F->FMutexBanco);
  f(*F->FBanco);
}

int TDevServer::CriaConta(const std::string& email, const std::string& senha, const std::string& razaoSocial) {
  std::lock_guard<std::mutex> g(F->FMutexBanco);
  return CriaContaDev(*F->FBanco, email, Base64(senha), razaoSocial);
}

void TDevServer::DefineLogHabilitado(long long nrSerie, bool habilitado) {
  std::lock_guard<std::mutex> g(F->FMutexBanco);
  F->FBanco->Executa("INSERT INTO log_habilitado(nr_serie, habilitado) VALUES(?, ?) "
                     "ON CONFLICT(nr_serie) DO UPDATE SET habilitado = excluded.habilitado",
                     {nrSerie, habilitado ? 1LL : 0LL});
}

void TDevServer::DefineCadastroNorvik(long long nrSerie, const std::string& json) {
  std::lock_guard<std::mutex> g(F->FMutexBanco);
  F->FBanco->Executa("INSERT INTO cadastro_norvik(nr_serie, json) VALUES(?, ?) "
                     "ON CONFLICT(nr_serie) DO UPDATE SET json = excluded.json",
                     {nrSerie, json});
}

}  // namespace tovra::devserver
