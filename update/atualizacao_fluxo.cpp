#include "update/atualizacao_fluxo.h"

#include <QFile>

#include "common/debug.h"
#include "common/dialogos.h"
#include "common/jsonini.h"
#include "common/pastas.h"
#include "online/restlib.h"

namespace tovra {

namespace {
void Promove(const QString& atual, const QString& nova) {
  if (!QFile::exists(atual) && QFile::exists(nova)) QFile::rename(nova, atual);
}
// The new list takes the current name; the old one goes only once the new one is there.
void Substitui(const QString& atual, const QString& nova) {
  if (!QFile::exists(nova)) return;
  QFile::remove(atual);
  QFile::rename(nova, atual);
}
QString Msg(const std::exception& e) { return QString::fromUtf8(e.what()); }
}  // namespace

void PromoveListasPacotes() {
  Promove(Pastas::Zips() + nomes::kZInfoCrc, Pastas::Zips() + nomes::kZInfoCrcNew);
  Promove(Pastas::Zips() + nomes::kZFirmwareCrc, Pastas::Zips() + nomes::kZFirmwareCrcNew);
}

QString BaixaListasCatalogo(const TBaixaArquivo& baixa, const QString& raizRelease) {
  struct Passo { QString pastaServidor, pastaLocal, local, servidor; };
  const Passo passos[] = {
      {raizRelease, Pastas::Files(), nomes::kConfJson, nomes::kConfJson},
      {raizRelease, Pastas::Files(), nomes::kListaFileCrc, nomes::kListaFileCrc},
      {raizRelease + "zips/", Pastas::Zips(), nomes::kZInfoCrcNew, nomes::kZInfoCrc},
      {raizRelease + "zips/", Pastas::Zips(), nomes::kZFirmwareCrcNew, nomes::kZFirmwareCrc},
      {raizRelease + "v3/", Pastas::Zips(), nomes::kAppZip, nomes::kAppZip},
  };
  for (const Passo& p : passos) {
    const QString erro = BaixaUmArquivo(baixa, p.pastaServidor, p.pastaLocal, p.local, p.servidor);
    if (!erro.isEmpty()) return erro;
  }
  return QString();
}

bool FluxoTemAtualizacao(TClassAtualizacao& a) {
  a.CarregarListasNew();
  const bool tabelas = a.TabelasAtualizadas();
  if (a.ZipsBaixados()) {
    EscreveConfString(conf::kAtualizacao, conf::kCrcFlx, CrcArquivo(Pastas::Zips() + nomes::kZInfoCrcNew));
    return !tabelas;
  }
  return true;
}

bool FluxoAtualiza(TClassAtualizacao& a) {
  bool ok = false;
  try {
    bool tabelas = false;
    try {
      QString erro;
      tabelas = a.AtualizaTabelas(erro);
      if (!tabelas) TDialogos::MensagemShowFmt("Falha", "FalhaAtualizarDTB", {erro});
    } catch (const std::exception& e) {
      TDebug::Linha("Erro FAtualizacao.AtualizaTabelas: " + Msg(e));
    }
    if (tabelas) {
      try {
        ok = a.BaixarZips();
        if (!ok) TDialogos::MensagemShow("Falha", "FalhaAtualizarFlx");
      } catch (const std::exception& e) {
        TDebug::Linha("Erro FAtualizacao.BaixarZips: " + Msg(e));
        ok = false;
      }
    }
    Substitui(Pastas::Zips() + nomes::kZInfoCrc, Pastas::Zips() + nomes::kZInfoCrcNew);
    Substitui(Pastas::Zips() + nomes::kZFirmwareCrc, Pastas::Zips() + nomes::kZFirmwareCrcNew);
    EscreveConfBoolean(conf::kAtualizacao, conf::kOkUpdate, false);
  } catch (const std::exception& e) {
    TDebug::Linha("Erro TfrmAtualizacao.Atualiza: " + Msg(e));
    ok = false;
  }
  return ok;
}

void VerificaAtualizacaoSelecao(TClassAtualizacao& a, std::function<void(bool)> aoTerminar) {
  auto fim = [aoTerminar](bool aplicou) {
    if (aoTerminar) aoTerminar(aplicou);
  };
  if (LeConfBoolean(conf::kAtualizacao, conf::kOkUpdate, false)) {
    if (a.TemAtualizacao()) FluxoAtualiza(a);
    fim(true);
    return;
  }
  bool novo = false, oferecer = false;
  try {
    novo = a.TemArquivoNovo();
  } catch (const std::exception& e) {
    TDebug::Linha("Falha frmAtualizacao.TemArquivoNovo: " + Msg(e));
  }
  if (novo) {
    try {
      oferecer = FluxoTemAtualizacao(a);
    } catch (const std::exception& e) {
      TDebug::Linha("Falha frmAtualizacao.TemAtualizacao: " + Msg(e));
    }
  }
  if (!oferecer) {
    fim(false);
    return;
  }
  TDialogos::PerguntaShow("Informacao", "ExisteAtualizacao", [&a, fim](int r) {
    if (r == kResultadoOk) {
      FluxoAtualiza(a);
      fim(true);
    } else {
      a.CarregaListasAtuais();
      fim(false);
    }
  });
}

TBaixaArquivo BaixaPorHttp(TClassHttpLib* http) {
  return [http](const QString& pastaServidor, const QString& pastaDestino, const QString& nomeServidor,
                const QString& nomeLocal) {
    return http && http->GetFile(pastaServidor, pastaDestino, nomeServidor, nomeLocal);
  };
}

}  // namespace tovra
