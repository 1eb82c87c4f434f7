// tovra-cli services: the service roots in force and whether each answers;
// tovra-cli download: one file from the file server with the size check.
#include "app/cli.h"
#include "online/restlib.h"
#include "online/servicos.h"
#include "online/servicos_config.h"

namespace tovra::cli {
namespace {

int Servicos(const TArgs&) {
  const TClassServicosConfig& c = TServicos::Config();
  Out("portal core:     " + c.FPortalCore);
  Out("brevanta core:   " + c.FBrevantaCore);
  Out("brevanta metodo: " + c.FBrevantaMetodo);
  Out("brevanta sync:   " + c.FBrevantaSync);
  Out("file server:     " + c.FServidorArquivos + "  (release: " + TServicos::ReleaseServidor() + ")");
  Out("program files:   " + c.FArquivosPrograma);
  Out("postal codes:    " + c.FCep);
  Out("internet check:  " + c.FPaginaInternet);
  auto sim = [](bool v) { return QString(v ? "yes" : "no"); };
  Out("internet reachable: " + sim(VerificaInternet(true)));
  Out("method server online: " + sim(TServicosBrevanta::ServidorOnline()));
  Out("sync server online: " + sim(TServicosSincronismo::ServidorSincronismoOnline()));
  return 0;
}

// tovra-cli download <name on the release path> [--to folder] [--as local name]
int Baixa(const TArgs& a) {
  if (a.Posicionais().isEmpty()) {
    Err("usage: tovra-cli download <file> [--to folder] [--as name]");
    return 2;
  }
  QString destino = a.Opcao("to", ".");
  if (!destino.endsWith('/')) destino += '/';
  TClassHttpLib http;
  bool ok = http.GetFile(TServicos::ReleaseServidor(), destino, a.Posicionais().first(), a.Opcao("as"));
  Out(ok ? QString("ok: %1 bytes").arg(http.BytesBaixados()) : QString("failed"));
  return ok ? 0 : 1;
}

TCliRegistro rServicos{"services", "prints the service roots in force and whether they answer", &Servicos};
TCliRegistro rBaixa{"download", "downloads one file of the release path with the size check", &Baixa};

}  // namespace
}  // namespace tovra::cli
