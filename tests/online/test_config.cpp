// Where the services live: defaults, settings file, environment.
#include <QDir>
#include <gtest/gtest.h>

#include "common/pastas.h"
#include "online/servicos_config.h"
#include "tests/support/testsupport.h"

namespace tovra::test {
namespace {

const char* const kVariaveis[] = {"TOVRA_SERVICOS",          "TOVRA_URL_BASE",        "TOVRA_URL_PORTAL",
                                  "TOVRA_URL_BREVANTA_CORE", "TOVRA_URL_BREVANTA_METODO", "TOVRA_URL_BREVANTA_SYNC",
                                  "TOVRA_URL_ARQUIVOS",      "TOVRA_URL_PROGRAMA",    "TOVRA_URL_CEP",
                                  "TOVRA_URL_INTERNET"};

class ConfigTest : public DocumentsFixture {
 protected:
  void SetUp() override {
    DocumentsFixture::SetUp();
    for (const char* v : kVariaveis) {
      FGuardadas.push_back(qgetenv(v));
      qunsetenv(v);
    }
  }
  void TearDown() override {
    int i = 0;
    for (const char* v : kVariaveis) {
      const QByteArray& antes = FGuardadas[i++];
      if (antes.isNull()) qunsetenv(v);
      else qputenv(v, antes);
    }
    TServicos::Recarrega();
    DocumentsFixture::TearDown();
  }
  std::vector<QByteArray> FGuardadas;
};

TEST_F(ConfigTest, PadroesTerminamEmBarra) {
  TServicos::Recarrega();
  const TClassServicosConfig& c = TServicos::Config();
  for (const QString* raiz : {&c.FPortalCore, &c.FBrevantaCore, &c.FBrevantaMetodo, &c.FBrevantaSync,
                              &c.FServidorArquivos, &c.FArquivosPrograma, &c.FCep}) {
    EXPECT_TRUE(raiz->startsWith("https://")) << raiz->toStdString();
    EXPECT_TRUE(raiz->endsWith("/")) << raiz->toStdString();
  }
  EXPECT_EQ(c.FArquivosPrograma, c.FServidorArquivos + "files/exe/");
  EXPECT_EQ(TServicos::ReleaseServidor(), c.FServidorArquivos + "files/");
}

TEST_F(ConfigTest, ArquivoDepoisAmbiente) {
  const QString arquivo = Documents() + "servicos.json";
  WriteAll(arquivo, R"({"brevantaCore":"http://arquivo.local/core","servidorArquivos":"http://arquivo.local/tovra/",)"
                    R"("cep":"http://arquivo.local/cep/"})");
  qputenv("TOVRA_SERVICOS", arquivo.toUtf8());
  qputenv("TOVRA_URL_CEP", "http://ambiente.local/cep");
  TServicos::Recarrega();
  EXPECT_EQ(TServicos::BrevantaCore(), "http://arquivo.local/core/");
  EXPECT_EQ(TServicos::ServidorArquivos(), "http://arquivo.local/tovra/");
  // The program file root follows a moved file server.
  EXPECT_EQ(TServicos::ArquivosPrograma(), "http://arquivo.local/tovra/files/exe/");
  EXPECT_EQ(TServicos::Cep(), "http://ambiente.local/cep/");
  EXPECT_EQ(TServicos::PortalCore(), TClassServicosConfig::Padrao().FPortalCore);
}

TEST_F(ConfigTest, BaseDoServidorLocalEDepoisOsDetalhes) {
  qputenv("TOVRA_URL_BASE", "http://127.0.0.1:8765");
  qputenv("TOVRA_URL_BREVANTA_SYNC", "http://127.0.0.1:9999/sync/");
  TServicos::Recarrega();
  EXPECT_EQ(TServicos::PortalCore(), "http://127.0.0.1:8765/portal/");
  EXPECT_EQ(TServicos::BrevantaCore(), "http://127.0.0.1:8765/core/");
  EXPECT_EQ(TServicos::BrevantaMetodo(), "http://127.0.0.1:8765/metodo/");
  EXPECT_EQ(TServicos::BrevantaSync(), "http://127.0.0.1:9999/sync/");
  EXPECT_EQ(TServicos::ServidorArquivos(), "http://127.0.0.1:8765/");
  EXPECT_EQ(TServicos::ArquivosPrograma(), "http://127.0.0.1:8765/files/exe/");
  EXPECT_EQ(TServicos::Cep(), "http://127.0.0.1:8765/cep/");
  EXPECT_EQ(TServicos::PaginaInternet(), "http://127.0.0.1:8765/internet");
}

TEST_F(ConfigTest, ArquivoInvalidoMantemOsPadroes) {
  WriteAll(Base() + "servicos.json", "isto não é JSON");
  TServicos::Recarrega();
  EXPECT_EQ(TServicos::BrevantaMetodo(), TClassServicosConfig::Padrao().FBrevantaMetodo);
}

TEST_F(ConfigTest, ModoTesteUsaHomolog) {
  qputenv("TOVRA_URL_ARQUIVOS", "http://127.0.0.1:8765/");
  ASSERT_TRUE(QDir().mkpath(Base() + "homolog"));
  Pastas::Inicializa();
  TServicos::Recarrega();
  EXPECT_EQ(TServicos::ReleaseServidor(), "http://127.0.0.1:8765/homolog/");
  EXPECT_EQ(TServicos::ArquivosPrograma(), "http://127.0.0.1:8765/files/exe/");
}

}  // namespace
}  // namespace tovra::test
