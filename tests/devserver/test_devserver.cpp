// The stand-in server seen from a client we did not write for it (cpp-httplib's):
// path decoding, reply styles, file serving, faults, persistence.
#include <httplib.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "devserver/devserver.h"

namespace tovra::test {
namespace {

using devserver::TDevServer;
using devserver::TFalhaRota;

void Grava(const QString& caminho, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(caminho).absolutePath());
  QFile f(caminho);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

class DevServerTest : public ::testing::Test {
 protected:
  // The served folder is raiz/; a file beside it must stay out of reach.
  QString Raiz() const { return FPasta.path() + "/raiz"; }
  void SetUp() override {
    ASSERT_TRUE(FPasta.isValid());
    Grava(Raiz() + "/files/conf.json", "0123456789");
    Grava(Raiz() + "/homolog/conf.json", "homolog");
    Grava(Raiz() + "/files/exe/update_tovra.json", R"({"versao":"1.0"})");
    Grava(FPasta.path() + "/segredo.txt", "fora");
    Abre();
  }
  void TearDown() override {
    if (FServidor) FServidor->Para();
  }
  void Abre() {
    FServidor = std::make_unique<TDevServer>(Raiz(), FEstado.path() + "/estado.s3db");
    ASSERT_TRUE(FServidor->Inicia(0));
    FCliente = std::make_unique<httplib::Client>("127.0.0.1", FServidor->Porta());
    FCliente->set_url_encode(false);
    FCliente->set_read_timeout(10, 0);
  }
  httplib::Client& C() { return *FCliente; }

  QTemporaryDir FPasta;
  QTemporaryDir FEstado;
  std::unique_ptr<TDevServer> FServidor;
  std::unique_ptr<httplib::Client> FCliente;
};

TEST_F(DevServerTest, PortaEfemeraEmLoopback) {
  EXPECT_GT(FServidor->Porta(), 0);
  EXPECT_EQ(FServidor->UrlBase(), QString("http://127.0.0.1:%1/").arg(FServidor->Porta()));
  QTemporaryDir outra;
  TDevServer segundo(outra.path(), ":memory:");
  ASSERT_TRUE(segundo.Inicia(0));
  EXPECT_NE(segundo.Porta(), FServidor->Porta());
}

TEST_F(DevServerTest, SegmentosDecodificadosUmAUm) {
  auto r = C().Get("/metodo/ReverseString/a%2Fb%2Bc%20d");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->body, R"({"result":["d c+b/a"]})");
  // A raw "/" is a new segment: no such method.
  r = C().Get("/metodo/ReverseString/a/b");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 404);
  EXPECT_EQ(FServidor->UltimoPedido("/metodo/").FAlvo, "/metodo/ReverseString/a/b");
}

TEST_F(DevServerTest, EstilosDeResposta) {
  FServidor->CriaConta("a@b.com", "x");
  auto r = C().Get("/metodo/ClienteCadastrado/A@B.com");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->body, R"({"result":["S"]})");
  r = C().Get("/metodo/Empresa/ninguem@b.com");
  EXPECT_EQ(r->body, R"({"result":["VAZIO"]})");
  r = C().Get("/metodo/GETEmailPorNrSerie/55");
  EXPECT_EQ(r->body, R"({"result":[""]})");
  r = C().Get("/core/v1/TermosUso/1/DICAS/TermoAceito");
  EXPECT_EQ(r->body, "false");
  r = C().Get("/core/v1/LogAcesso/Save/1/2/3");
  EXPECT_EQ(r->status, 200);
  EXPECT_EQ(r->body, "");
  r = C().Get("/portal/v1/GER_COMPACTFLASH/55/LogHabilitado");
  EXPECT_EQ(r->body, "false");
  r = C().Get("/cep/01001000/json/");
  auto j = nlohmann::json::parse(r->body);
  EXPECT_EQ(j["uf"], "SP");
  EXPECT_EQ(j["localidade"], "São Paulo");
  r = C().Get("/cep/12345678/json/");
  EXPECT_EQ(nlohmann::json::parse(r->body), (nlohmann::json{{"erro", true}}));
  r = C().Get("/internet");
  EXPECT_EQ(r->status, 200);
  // A wrong method on a record route.
  r = C().Get("/metodo/Scanner");
  EXPECT_EQ(r->status, 405);
}

TEST_F(DevServerTest, ArquivosComTamanhoEPastaFechada) {
  auto h = C().Head("/files/conf.json");
  ASSERT_TRUE(h);
  EXPECT_EQ(h->status, 200);
  EXPECT_EQ(h->get_header_value("Content-Length"), "10");
  EXPECT_TRUE(h->body.empty());
  auto g = C().Get("/files/conf.json");
  EXPECT_EQ(g->body, "0123456789");
  EXPECT_EQ(C().Get("/homolog/conf.json")->body, "homolog");
  EXPECT_EQ(C().Get("/files/exe/update_tovra.json")->body, R"({"versao":"1.0"})");
  EXPECT_EQ(C().Get("/files/nada.json")->status, 404);
  EXPECT_EQ(C().Get("/files")->status, 404);
  for (const char* fora : {"/files/../../segredo.txt", "/%2E%2E/segredo.txt", "/files/..%2F..%2Fsegredo.txt",
                           "/files/..\\..\\segredo.txt"}) {
    auto r = C().Get(fora);
    ASSERT_TRUE(r) << fora;
    EXPECT_EQ(r->status, 404) << fora;
    EXPECT_NE(r->body, "fora") << fora;
  }
}

TEST_F(DevServerTest, FalhasInjetadas) {
  FServidor->DefineFalha("/files/conf.json", TFalhaRota{0, 0, 99});
  EXPECT_EQ(C().Head("/files/conf.json")->get_header_value("Content-Length"), "99");
  EXPECT_EQ(C().Get("/files/conf.json")->body, "0123456789");

  FServidor->DefineFalha("/files/conf.json", TFalhaRota{0, 0, -1, true});
  EXPECT_FALSE(C().Get("/files/conf.json"));  // the connection drops

  TFalhaRota umaVez{503};
  umaVez.FVezes = 1;
  FServidor->DefineFalha("/files/", umaVez);
  FServidor->DefineFalha("/files/conf.json", TFalhaRota{});  // a longer prefix wins over /files/
  EXPECT_EQ(C().Get("/files/conf.json")->status, 200);
  EXPECT_EQ(C().Get("/homolog/conf.json")->status, 200);
  EXPECT_EQ(C().Get("/files/exe/update_tovra.json")->status, 503);
  EXPECT_EQ(C().Get("/files/exe/update_tovra.json")->status, 200);

  // The same through the admin route, for a server started from the command line.
  FServidor->LimpaFalhas();
  auto r = C().Post("/_admin/falha", R"({"prefixo":"/metodo/","status":418})", "application/json");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 200);
  EXPECT_EQ(C().Get("/metodo/ReverseString/x")->status, 418);
  EXPECT_EQ(C().Delete("/_admin/falha")->status, 200);
  EXPECT_EQ(C().Get("/metodo/ReverseString/x")->status, 200);
}

TEST_F(DevServerTest, EstadoSobreviveAoReinicio) {
  int empresa = FServidor->CriaConta("oficina@x.com.br", "segredo");
  auto r = C().Put("/metodo/Scanner", R"({"serieReduzido":1234,"macAddress":"AA","empresaID":)" +
                                          std::to_string(empresa) + R"(,"ativo":"S"})",
                   "application/json");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->body, R"({"result":["OK"]})");
  r = C().Get("/core/v1/TermosUso/" + std::to_string(empresa) + "/DICAS/Aceitar");
  EXPECT_EQ(r->body, "true");
  FServidor->Para();
  FServidor.reset();

  Abre();
  EXPECT_EQ(C().Get("/metodo/GETEmailPorNrSerie/1234")->body, R"({"result":["oficina@x.com.br"]})");
  EXPECT_EQ(C().Get("/core/v1/TermosUso/" + std::to_string(empresa) + "/DICAS/TermoAceito")->body, "true");
  auto e = nlohmann::json::parse(C().Get("/metodo/Empresa/oficina@x.com.br")->body);
  EXPECT_EQ(e["result"][0]["iD"], empresa);
}

TEST_F(DevServerTest, CorposInvalidosSaoRecusados) {
  EXPECT_EQ(C().Post("/metodo/Empresa", "não é json", "application/json")->status, 400);
  EXPECT_EQ(C().Post("/core/v1/Falhas/1/QtdSolucoes", R"({"items":[]})", "application/json")->status, 400);
  EXPECT_EQ(C().Post("/core/v1/Solucoes/1", R"({"dESCRICAO":"x","eMPRESA_ID":1})", "application/json")->status,
            404);  // no such fault
  EXPECT_EQ(C().Get("/core/v1/Solucoes/x/2")->status, 400);
}

}  // namespace
}  // namespace tovra::test
