#include "online/http_transporte.h"

#include <QUrl>
#include <chrono>
#include <curl/curl.h>

namespace tovra {

namespace {

using Relogio = std::chrono::steady_clock;

struct TCurlGlobal {
  TCurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
  ~TCurlGlobal() { curl_global_cleanup(); }
};
void GaranteCurl() { static TCurlGlobal g; }

struct TContexto {
  const TPedidoHttp* FPedido = nullptr;
  TRespostaHttp* FResposta = nullptr;
  CURL* FEasy = nullptr;
  bool FConectado = false;
  bool FIniciou = false;
  bool FEntregaAoReceptor = false;
  bool FReceptorRecusou = false;
  long long FRecebidos = 0;
  curl_off_t FUltimoDl = 0, FUltimoUl = 0;
  Relogio::time_point FUltimaAtividade = Relogio::now();

  void Atividade() {
    FConectado = true;
    FUltimaAtividade = Relogio::now();
  }
};

size_t AoCabecalho(char*, size_t s, size_t n, void* ud) {
  static_cast<TContexto*>(ud)->Atividade();
  return s * n;
}

size_t AoEscrever(char* p, size_t s, size_t n, void* ud) {
  auto* c = static_cast<TContexto*>(ud);
  const size_t total = s * n;
  c->Atividade();
  if (!c->FIniciou) {
    c->FIniciou = true;
    long status = 0;
    curl_easy_getinfo(c->FEasy, CURLINFO_RESPONSE_CODE, &status);
    curl_off_t cl = -1;
    curl_easy_getinfo(c->FEasy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &cl);
    c->FResposta->FTamanhoAnunciado = cl;
    // Only a successful reply goes to the receiver (the file); an error page is
    // kept as the body for the log.
    c->FEntregaAoReceptor = status >= 200 && status < 300 && c->FPedido->FAoReceber;
    if (status >= 200 && status < 300 && c->FPedido->FAoIniciar) c->FPedido->FAoIniciar(cl);
  }
  if (c->FEntregaAoReceptor) {
    if (!c->FPedido->FAoReceber(p, total)) {
      c->FReceptorRecusou = true;
      return 0;
    }
    c->FRecebidos += static_cast<long long>(total);
    if (c->FPedido->FAoProgredir) c->FPedido->FAoProgredir(c->FRecebidos);
  } else {
    c->FResposta->FCorpo.append(p, static_cast<qsizetype>(total));
  }
  return total;
}

int AoProgresso(void* ud, curl_off_t, curl_off_t dlnow, curl_off_t, curl_off_t ulnow) {
  auto* c = static_cast<TContexto*>(ud);
  if (dlnow != c->FUltimoDl || ulnow != c->FUltimoUl) {
    c->FUltimoDl = dlnow;
    c->FUltimoUl = ulnow;
    c->Atividade();
  }
  return 0;
}

}  // namespace

TRespostaHttp ExecutaHttp(const TPedidoHttp& pedido) {
  GaranteCurl();
  TRespostaHttp r;
  CURL* easy = curl_easy_init();
  CURLM* multi = curl_multi_init();
  if (!easy || !multi) {
    if (easy) curl_easy_cleanup(easy);
    if (multi) curl_multi_cleanup(multi);
    r.FErro = "libcurl indisponível";
    return r;
  }

  TContexto ctx;
  ctx.FPedido = &pedido;
  ctx.FResposta = &r;
  ctx.FEasy = easy;

  const QByteArray url = pedido.FUrl.toUtf8();
  curl_easy_setopt(easy, CURLOPT_URL, url.constData());
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(easy, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
  curl_easy_setopt(easy, CURLOPT_USERAGENT, "Tovra/" TOVRA_VERSION_TEXT);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(pedido.FTimeoutConexaoMs));
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &AoEscrever);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &ctx);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &AoCabecalho);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &ctx);
  curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &AoProgresso);
  curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &ctx);

  if (pedido.FMetodo == "HEAD") {
    curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
  } else if (pedido.FMetodo == "POST" || pedido.FMetodo == "PUT") {
    curl_easy_setopt(easy, CURLOPT_POST, 1L);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(pedido.FCorpo.size()));
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, pedido.FCorpo.constData());
    if (pedido.FMetodo == "PUT") curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, "PUT");
  } else {
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
  }

  curl_slist* cabecalhos = nullptr;
  for (const auto& [nome, valor] : pedido.FCabecalhos) {
    QByteArray linha = nome + ": " + valor;
    cabecalhos = curl_slist_append(cabecalhos, linha.constData());
  }
  cabecalhos = curl_slist_append(cabecalhos, "Expect:");
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, cabecalhos);

  curl_multi_add_handle(multi, easy);
  const auto inicio = Relogio::now();
  const auto leitura = std::chrono::milliseconds(pedido.FTimeoutLeituraMs);
  const auto conexao = std::chrono::milliseconds(pedido.FTimeoutConexaoMs);
  bool esgotado = false;
  for (;;) {
    int ativos = 0;
    if (curl_multi_perform(multi, &ativos) != CURLM_OK) break;
    if (ativos == 0) break;
    const auto agora = Relogio::now();
    if (!ctx.FConectado) {
      curl_off_t pre = 0;
      curl_easy_getinfo(easy, CURLINFO_PRETRANSFER_TIME_T, &pre);
      if (pre > 0) ctx.Atividade();
      else if (agora - inicio > conexao + leitura) { esgotado = true; break; }
    } else if (agora - ctx.FUltimaAtividade > leitura) {
      esgotado = true;
      break;
    }
    curl_multi_poll(multi, nullptr, 0, 20, nullptr);
  }

  CURLcode codigo = CURLE_OK;
  bool terminou = false;
  int restantes = 0;
  while (CURLMsg* m = curl_multi_info_read(multi, &restantes)) {
    if (m->msg == CURLMSG_DONE && m->easy_handle == easy) {
      codigo = m->data.result;
      terminou = true;
    }
  }
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &r.FStatus);
  if (r.FTamanhoAnunciado < 0) {
    curl_off_t cl = -1;
    curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &cl);
    r.FTamanhoAnunciado = cl;
  }
  if (esgotado) {
    r.FTempoEsgotado = true;
    r.FErro = QStringLiteral("Tempo esgotado (%1 ms sem resposta)").arg(pedido.FTimeoutLeituraMs);
  } else if (!terminou) {
    r.FErro = "Transferência interrompida";
  } else if (codigo != CURLE_OK) {
    r.FTempoEsgotado = codigo == CURLE_OPERATION_TIMEDOUT;
    r.FErro = ctx.FReceptorRecusou ? QStringLiteral("Falha ao gravar os dados recebidos")
                                   : QString::fromUtf8(curl_easy_strerror(codigo));
  } else {
    r.FTransporteOk = true;
    // A successful reply without body still starts the transfer (an empty file).
    if (!ctx.FIniciou && pedido.FMetodo != "HEAD" && r.FStatus >= 200 && r.FStatus < 300 &&
        pedido.FAoIniciar)
      pedido.FAoIniciar(r.FTamanhoAnunciado);
  }
  if (r.FTransporteOk && !r.Sucesso() && r.FErro.isEmpty())
    r.FErro = QStringLiteral("HTTP %1").arg(r.FStatus);

  curl_multi_remove_handle(multi, easy);
  curl_slist_free_all(cabecalhos);
  curl_easy_cleanup(easy);
  curl_multi_cleanup(multi);
  return r;
}

QString CodificaSegmento(const QString& segmento) {
  return QString::fromLatin1(QUrl::toPercentEncoding(segmento, "@"));
}

QString CodificaCaminho(const QString& caminho) {
  QStringList partes = caminho.split('/');
  for (QString& p : partes) p = CodificaSegmento(p);
  return partes.join('/');
}

}  // namespace tovra
