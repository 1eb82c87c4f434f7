// tovra-cli update: the start-up fetch of the catalogue lists and the catalogue
// update, as the program runs them, with progress on standard error.
#include <QFile>

#include "app/cli.h"
#include "catalogue/dmtovra.h"
#include "common/debug.h"
#include "common/dialogos.h"
#include "common/dialogos_texto.h"
#include "common/dicionario.h"
#include "common/jsonini.h"
#include "common/pastas.h"
#include "online/restlib.h"
#include "online/servicos_config.h"
#include "update/atualizacao_fluxo.h"

namespace tovra::cli {
namespace {

QString Titulo(const QString& chave, const QStringList& args, int n) {
  if (chave.isEmpty()) return QString();
  return n < 0 ? TDicionario::Traduz(chave) : TDialogos::TextoMensagem(chave, args);
}

int Update(const TArgs& a) {
  if (a.TemOpcao("server")) {
    TServicos::Define(TClassServicosConfig::DoServidorLocal(a.Opcao("server")));
  }
  const bool aplicar = a.TemOpcao("apply");
  TApresentadorTexto apresentador(kResultadoCancel);
  TDialogos::DefineApresentador(&apresentador);
  Pastas::CriaPastas();
  CarregaConfLocal();
  if (a.TemOpcao("debug")) TDebug::DefineAtivo(true);

  PromoveListasPacotes();
  auto http = std::make_unique<TClassHttpLib>();
  const QString release = TServicos::ReleaseServidor();
  Err("release: " + release);
  // The dictionary first, so progress reads in the user's language.
  if (http->GetFile(release, Pastas::Base(), nomes::kDicionariosZip)) {
    try {
      QFile::remove(Pastas::Base() + nomes::kDicMsgs);
      QFile::remove(Pastas::Base() + nomes::kDicFrmBrevanta);
      ExtraiZip(Pastas::Base() + nomes::kDicionariosZip, Pastas::Base(), false);
    } catch (const std::exception& e) {
      Err(QString::fromUtf8(e.what()));
    }
  }
  TDicionario::Inicializa(Pastas::Base() + nomes::kDicMsgs, "PT");

  const QString erro = BaixaListasCatalogo(BaixaPorHttp(http.get()), release);
  if (!erro.isEmpty()) {
    Err(erro + "\nEste arquivo é essencial para o funcionamento do aplicativo!");
    return 1;
  }
  TDmTovra dm;
  TDmTovra::DefineInstancia(&dm);
  QString erroCatalogo;
  if (!AbreCatalogo(Pastas::Files(), erroCatalogo)) {
    Err(erroCatalogo);
    return 1;
  }
  TClassAtualizacao atualizacao(http.get(), &dm, release);
  int ultimoPorc = -1;
  atualizacao.Event_TituloAtualizacao = [](const QString& k, const QStringList& args, int n) {
    const QString t = Titulo(k, args, n);
    if (!t.isEmpty()) Err("  " + t);
  };
  atualizacao.Event_PorcAtualizacao = [&ultimoPorc](int p) {
    if (p / 25 != ultimoPorc / 25) Err(QString("  %1%").arg(p));
    ultimoPorc = p;
  };

  const bool novo = atualizacao.TemArquivoNovo();
  Out(QString("server has news: %1").arg(novo ? "yes" : "no"));
  const bool disponivel = novo && FluxoTemAtualizacao(atualizacao);
  bool falhou = false;
  if (!disponivel) {
    atualizacao.CarregaListasAtuais();
    Out("catalogue is up to date");
  } else if (!aplicar) {
    atualizacao.CarregaListasAtuais();
    Out("update available (run with --apply to apply it)");
  } else {
    const bool ok = FluxoAtualiza(atualizacao);
    falhou = !ok;
    Out(QString("update applied: %1").arg(ok ? "yes" : "with failures"));
  }
  Out("catalogue version: " + TextoVersaoLocal(&dm));
  dm.EncerraDataModule();
  TDmTovra::DefineInstancia(nullptr);
  SalvaConfLocal();
  TDialogos::DefineApresentador(nullptr);
  TDebug::Finaliza();
  return falhou ? 1 : 0;
}

TCliRegistro rUpdate{"update",
                     "[--server URL] [--apply] [--debug]: fetches the catalogue lists, checks for an update and applies it", &Update};

}  // namespace
}  // namespace tovra::cli
