#include "update/autoupdate.h"

#include <QFile>
#include <QFileInfo>

#include "common/debug.h"
#include "common/dialogos.h"
#include "common/pastas.h"
#include "diagnosis/flx.h"

namespace tovra {

QString BaixaUmArquivo(const TBaixaArquivo& baixa, const QString& pastaServidor, const QString& pastaDestino,
                       const QString& nomeLocal, const QString& nomeServidor) {
  TDebug::Linha(QString(41, '*'));
  const QString local = pastaDestino + nomeLocal;
  if (QFile::exists(local)) QFile::remove(local);
  TDialogos::StatusShowFmt("BaixandoNomeArquivo", {nomeServidor});
  if (!baixa || !baixa(pastaServidor, pastaDestino, nomeServidor, nomeLocal))
    return "Falha ao baixar arquivo:" + nomeLocal;
  if (!QFile::exists(local)) return "Falha ao baixar arquivo: " + nomeLocal;
  TDebug::Linha("Baixou com sucesso: " + local);
  return QString();
}

QString VersaoPrograma() { return QStringLiteral(TOVRA_VERSION_TEXT); }

QString VersaoArquivo(const QString& arquivo) {
  if (!QFile::exists(arquivo)) return "0";
  QFile v(arquivo + ".versao");
  if (v.open(QIODevice::ReadOnly)) {
    const QString t = QString::fromUtf8(v.readAll()).trimmed();
    if (!t.isEmpty()) return t;
  }
  return "0.0.0.0";
}

namespace {
TClassJsonApp LeDescritor(const QString& arquivo) {
  std::optional<Json> j = TJsonLib::LoadFileToJson(arquivo);
  if (!j) throw std::runtime_error(("Arquivo inválido: " + arquivo).toStdString());
  return ObjDeJson<TClassJsonApp>(*j);
}
}  // namespace

TVerificacaoVersao VerificaVersao(const TBaixaArquivo& baixa, const QString& raizPrograma,
                                  const QString& pastaFiles, const QString& versaoAtual) {
  TVerificacaoVersao r;
  r.FErro = BaixaUmArquivo(baixa, raizPrograma, pastaFiles, nomes::kUpdateTovra, nomes::kUpdateTovra);
  if (!r.FErro.isEmpty()) return r;
  try {
    r.FDescritor = LeDescritor(pastaFiles + nomes::kUpdateTovra);
    const QString maior = MaiorVersao(r.FDescritor.FVersao, versaoAtual);
    r.FResultado = maior == r.FDescritor.FVersao && !maior.isEmpty() ? TResultadoVersao::rvNovaVersao
                                                                     : TResultadoVersao::rvAtualizado;
  } catch (const std::exception& e) {
    TDebug::Linha("****************** FALHA AO VERIFICAR ATUALIZAÇÃO WIN");
    TDebug::Linha(QString::fromUtf8(e.what()));
    r.FResultado = TResultadoVersao::rvFalha;
  }
  return r;
}

namespace {
bool Inicia(const TIniciaPrograma& inicia, const QString& exe) {
  if (!QFile::exists(exe)) return false;
  // Packages carry no permission bits; the updater must be executable to start.
  QFile::setPermissions(exe, QFile::permissions(exe) | QFileDevice::ExeOwner | QFileDevice::ReadOwner);
  TDebug::Linha("Iniciando " + exe);
  return inicia && inicia(exe);
}
}  // namespace

bool IniciaAutoUpdate(const TParametrosAutoUpdate& p, const TBaixaArquivo& baixa, const TIniciaPrograma& inicia) {
  try {
    // 1. The hand-over record.
    const TClassJsonApp programa = LeDescritor(p.FPastaFiles + nomes::kUpdateTovra);
    TClassExeAutoUpdate info;
    info.FServerZip = programa.FFileName;
    info.FVersaoNova = programa.FVersao;
    info.FServerLogo = "tovra.png";
    info.FNomeApp = "Tovra";
    info.FNomeExetutavel = p.FExecutavel;
    info.FVersaoAtual = p.FVersaoAtual;
    info.FPathServidor = p.FRaizPrograma;
    TJsonLib::TrocaCharEspecToJson(info);
    TJsonLib::SaveJsonToFile(ParaJson(info), p.FPastaAutoUpdate + nomes::kInfoAutoUpdate);

    // 2. The updater's descriptor.
    const QString erro =
        BaixaUmArquivo(baixa, p.FRaizPrograma, p.FPastaAutoUpdate, nomes::kAutoUpdateJson, nomes::kAutoUpdateJson);
    if (!erro.isEmpty()) {
      TDebug::Linha(erro);
      return false;
    }
    const TClassJsonApp atualizador = LeDescritor(p.FPastaAutoUpdate + nomes::kAutoUpdateJson);
    const QString exe = p.FPastaAutoUpdate + nomes::kAutoUpdateExe;
    const QString maior = MaiorVersao(atualizador.FVersao, VersaoArquivo(exe));

    // 3. The local updater is current: start it.
    if (maior != atualizador.FVersao) return Inicia(inicia, exe);

    // 4. A newer updater: its package (fetched only when not already here), unpacked.
    const QString pacote = p.FPastaAutoUpdate + atualizador.FFileName;
    if (!QFile::exists(pacote)) {
      const QString e = BaixaUmArquivo(baixa, p.FRaizPrograma, p.FPastaAutoUpdate, atualizador.FFileName,
                                       atualizador.FFileName);
      if (!e.isEmpty()) {
        TDebug::Linha(e);
        return false;
      }
    }
    if (!QFile::exists(pacote)) return false;
    ExtraiZip(pacote, p.FPastaAutoUpdate, false);
    if (QFile::exists(exe)) {
      QFile v(exe + ".versao");
      if (v.open(QIODevice::WriteOnly | QIODevice::Truncate)) v.write(atualizador.FVersao.toUtf8());
    }
    return Inicia(inicia, exe);
  } catch (const std::exception& e) {
    TDebug::Erro(QString::fromUtf8(e.what()), "AutoUpdateErro");
    return false;
  }
}

}  // namespace tovra
