#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <zip.h>

#include "common/debug.h"
#include "common/pastas.h"
#include "tests/support/testsupport.h"
#include "update/autoupdate.h"

namespace tovra {
namespace {

// A "server" folder served by copying files, recording every request.
class AutoUpdateTest : public test::DocumentsFixture {
 protected:
  void SetUp() override {
    DocumentsFixture::SetUp();
    Pastas::CriaPastas();
    servidor = Documents() + "servidor/exe/";
    QDir().mkpath(servidor);
    baixa = [this](const QString& pasta, const QString& destino, const QString& nome, const QString& local) {
      pedidos << nome;
      if (falhar.contains(nome)) return false;
      if (!QFile::exists(pasta + nome)) return false;
      QFile::remove(destino + local);
      return QFile::copy(pasta + nome, destino + local);
    };
    inicia = [this](const QString& exe) {
      iniciados << exe;
      return true;
    };
  }
  void Descritor(const QString& nome, const QString& arquivo, const QString& versao) {
    WriteAll(servidor + nome, QString(R"({"fileName":"%1","versao":"%2"})").arg(arquivo, versao).toUtf8());
  }
  void ZipDoAtualizador(const QString& caminho, const QByteArray& conteudo) {
    int erro = 0;
    zip_t* z = zip_open(QFile::encodeName(caminho).constData(), ZIP_CREATE | ZIP_TRUNCATE, &erro);
    ASSERT_NE(z, nullptr);
    zip_source_t* s = zip_source_buffer(z, conteudo.constData(), static_cast<zip_uint64_t>(conteudo.size()), 0);
    zip_file_add(z, "AutoUpdate.exe", s, ZIP_FL_OVERWRITE);
    ASSERT_EQ(zip_close(z), 0);
  }
  TParametrosAutoUpdate Parametros() {
    TParametrosAutoUpdate p;
    p.FRaizPrograma = servidor;
    p.FPastaFiles = Pastas::Files();
    p.FPastaAutoUpdate = Pastas::AutoUpdate();
    p.FExecutavel = "/opt/tovra/bin/tovra";
    p.FVersaoAtual = "2.1.0.15";
    return p;
  }

  QString servidor;
  QStringList pedidos, falhar, iniciados;
  TBaixaArquivo baixa;
  TIniciaPrograma inicia;
};

TEST_F(AutoUpdateTest, DownloadOfOneFile) {
  WriteAll(servidor + "conf.json", "{}");
  WriteAll(Pastas::Files() + "conf.json", "antigo");
  EXPECT_EQ(BaixaUmArquivo(baixa, servidor, Pastas::Files(), "conf.json", "conf.json"), "");
  EXPECT_EQ(ReadAll(Pastas::Files() + "conf.json"), "{}");

  // A failed download leaves no file of that name behind.
  WriteAll(Pastas::Files() + "x.json", "antigo");
  EXPECT_EQ(BaixaUmArquivo(baixa, servidor, Pastas::Files(), "x.json", "x.json"), "Falha ao baixar arquivo:x.json");
  EXPECT_FALSE(QFile::exists(Pastas::Files() + "x.json"));

  // Reported as a success but the file is not there.
  TBaixaArquivo mentirosa = [](const QString&, const QString&, const QString&, const QString&) { return true; };
  EXPECT_EQ(BaixaUmArquivo(mentirosa, servidor, Pastas::Files(), "y.json", "y.json"),
            "Falha ao baixar arquivo: y.json");
}

TEST_F(AutoUpdateTest, TheVersionCheck) {
  struct Caso { const char* servidor; const char* proprio; TResultadoVersao esperado; };
  const Caso casos[] = {
      {"2.1.0.15", "2.1.0.15", TResultadoVersao::rvAtualizado},
      {"2.1.0.9", "2.1.0.15", TResultadoVersao::rvAtualizado},  // numeric, not textual
      {"2.2.0.1", "2.1.9.99", TResultadoVersao::rvNovaVersao},
      {"2.1.0.16", "2.1.0.15", TResultadoVersao::rvNovaVersao},
      {"1.9.9.9", "2.0.0.0", TResultadoVersao::rvAtualizado},
  };
  for (const Caso& c : casos) {
    Descritor("update_tovra.json", "tovra_setup.zip", c.servidor);
    const TVerificacaoVersao v = VerificaVersao(baixa, servidor, Pastas::Files(), c.proprio);
    EXPECT_EQ(v.FResultado, c.esperado) << c.servidor << " vs " << c.proprio;
    EXPECT_EQ(v.FDescritor.FFileName, "tovra_setup.zip");
  }
  falhar << "update_tovra.json";
  const TVerificacaoVersao f = VerificaVersao(baixa, servidor, Pastas::Files(), "1.0.0.0");
  EXPECT_EQ(f.FResultado, TResultadoVersao::rvFalha);
  EXPECT_EQ(f.FErro, "Falha ao baixar arquivo:update_tovra.json");
  falhar.clear();
  WriteAll(servidor + "update_tovra.json", "quebrado");
  TDebug::DefineAtivo(true);
  EXPECT_EQ(VerificaVersao(baixa, servidor, Pastas::Files(), "1.0.0.0").FResultado, TResultadoVersao::rvFalha);
  EXPECT_TRUE(TDebug::Linhas().join("\n").contains("****************** FALHA AO VERIFICAR ATUALIZAÇÃO WIN"));
}

TEST_F(AutoUpdateTest, TheHandOverRecordIsEscaped) {
  Descritor("update_tovra.json", "tovra 2.2.zip", "2.2.0.1");
  Descritor("autoupdate.json", "autoupdate.zip", "1.0.0.0");
  ASSERT_TRUE(BaixaUmArquivo(baixa, servidor, Pastas::Files(), "update_tovra.json", "update_tovra.json").isEmpty());
  TParametrosAutoUpdate p = Parametros();
  p.FRaizPrograma = "http://127.0.0.1:8080/files/exe/";
  // The record is written even when the updater descriptor cannot be fetched.
  EXPECT_FALSE(IniciaAutoUpdate(p, baixa, inicia));
  const Json j = Json::parse(ReadAll(Pastas::AutoUpdate() + "info_autoupdate.json").toStdString());
  std::vector<std::string> chaves;
  for (auto it = j.begin(); it != j.end(); ++it) chaves.push_back(it.key());
  EXPECT_EQ(chaves, (std::vector<std::string>{"serverZip", "versaoNova", "serverLogo", "nomeApp", "nomeExetutavel",
                                              "versaoAtual", "pathServidor"}));
  EXPECT_EQ(j["serverZip"], "tovra%202%2E2%2Ezip");
  EXPECT_EQ(j["versaoNova"], "2%2E2%2E0%2E1");
  EXPECT_EQ(j["serverLogo"], "tovra%2Epng");
  EXPECT_EQ(j["nomeApp"], "Tovra");
  EXPECT_EQ(j["nomeExetutavel"], "%2Fopt%2Ftovra%2Fbin%2Ftovra");
  EXPECT_EQ(j["pathServidor"], "http%3A%2F%2F127%2E0%2E0%2E1%3A8080%2Ffiles%2Fexe%2F");
  EXPECT_TRUE(iniciados.isEmpty());
}

TEST_F(AutoUpdateTest, StartingTheUpdater) {
  Descritor("update_tovra.json", "tovra.zip", "2.2.0.1");
  ASSERT_TRUE(BaixaUmArquivo(baixa, servidor, Pastas::Files(), "update_tovra.json", "update_tovra.json").isEmpty());
  const QString exe = Pastas::AutoUpdate() + "AutoUpdate.exe";

  // No updater here yet: its package is fetched and unpacked, then started.
  Descritor("autoupdate.json", "autoupdate_1.zip", "1.0.0.3");
  ZipDoAtualizador(servidor + "autoupdate_1.zip", "#!/bin/sh\n");
  pedidos.clear();
  EXPECT_TRUE(IniciaAutoUpdate(Parametros(), baixa, inicia));
  EXPECT_EQ(pedidos, (QStringList{"autoupdate.json", "autoupdate_1.zip"}));
  EXPECT_EQ(iniciados, QStringList{exe});
  EXPECT_EQ(VersaoArquivo(exe), "1.0.0.3");
  EXPECT_TRUE(QFile::permissions(exe) & QFileDevice::ExeOwner);

  // The local updater is current: started without fetching its package.
  pedidos.clear();
  iniciados.clear();
  EXPECT_TRUE(IniciaAutoUpdate(Parametros(), baixa, inicia));
  EXPECT_EQ(pedidos, QStringList{"autoupdate.json"});
  EXPECT_EQ(iniciados, QStringList{exe});

  // A newer updater whose package is already here: unpacked again without a download.
  Descritor("autoupdate.json", "autoupdate_1.zip", "1.0.0.4");
  ZipDoAtualizador(Pastas::AutoUpdate() + "autoupdate_1.zip", "#!/bin/sh\n# 4\n");
  pedidos.clear();
  iniciados.clear();
  EXPECT_TRUE(IniciaAutoUpdate(Parametros(), baixa, inicia));
  EXPECT_EQ(pedidos, QStringList{"autoupdate.json"});
  EXPECT_EQ(ReadAll(exe), "#!/bin/sh\n# 4\n");
  EXPECT_EQ(VersaoArquivo(exe), "1.0.0.4");

  // A newer updater whose package cannot be fetched: nothing is started.
  QFile::remove(Pastas::AutoUpdate() + "autoupdate_1.zip");
  Descritor("autoupdate.json", "autoupdate_2.zip", "1.0.0.5");
  iniciados.clear();
  EXPECT_FALSE(IniciaAutoUpdate(Parametros(), baixa, inicia));
  EXPECT_TRUE(iniciados.isEmpty());
}

TEST(AutoUpdateVersions, FileVersions) {
  EXPECT_EQ(VersaoArquivo("/nao/existe/AutoUpdate.exe"), "0");
  EXPECT_FALSE(VersaoPrograma().isEmpty());
  EXPECT_EQ(VersaoPrograma().split('.').size(), 4);
}

}  // namespace
}  // namespace tovra
