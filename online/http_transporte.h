#pragma once
// One blocking HTTP exchange over libcurl. Shared by the REST client, the file
// download and the internet check; nothing here keeps state between calls.
//
// The connect time-out bounds the TCP (and TLS) set-up; the read time-out bounds
// every silence while the reply is awaited or arrives: a server that sends nothing
// for that long ends the exchange. Certificates are always verified for https.
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <functional>

namespace tovra {

struct TPedidoHttp {
  QByteArray FMetodo = "GET";   // GET, HEAD, POST, PUT
  QString FUrl;
  QList<QPair<QByteArray, QByteArray>> FCabecalhos;
  QByteArray FCorpo;            // sent for POST and PUT
  int FTimeoutConexaoMs = 10000;
  int FTimeoutLeituraMs = 10000;
  // Receives the reply body piece by piece instead of collecting it; false stops
  // the transfer (a failure).
  std::function<bool(const char* dados, size_t n)> FAoReceber;
  // Raised once when the body starts (with the announced total, -1 when none) and
  // after every piece (with the bytes so far).
  std::function<void(long long total)> FAoIniciar;
  std::function<void(long long recebidos)> FAoProgredir;
};

struct TRespostaHttp {
  bool FTransporteOk = false;   // an HTTP reply arrived whole
  long FStatus = 0;             // HTTP status, 0 without a reply
  QByteArray FCorpo;            // the body, unless FAoReceber took it
  long long FTamanhoAnunciado = -1;  // Content-Length, -1 when not announced
  QString FErro;                // what went wrong, for the debug log
  bool FTempoEsgotado = false;

  // A reply arrived and its status is 2xx.
  bool Sucesso() const { return FTransporteOk && FStatus >= 200 && FStatus < 300; }
};

TRespostaHttp ExecutaHttp(const TPedidoHttp& pedido);

// Percent-encodes one path segment: everything except letters, digits, "-", ".",
// "_", "~" and "@" ("/" gives %2F, "+" gives %2B, a blank %20).
QString CodificaSegmento(const QString& segmento);
// Percent-encodes each "/"-separated segment of a relative path, keeping the "/".
QString CodificaCaminho(const QString& caminho);

}  // namespace tovra
