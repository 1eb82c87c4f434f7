// The REST client's reply mappings, POST/PUT rules, file download and internet
// check, against the stand-in server on 127.0.0.1.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "online/brevanta_registros.h"
#include "online/restlib.h"
#include "tests/online/servidor_fixture.h"

namespace tovra::test {
namespace {

using devserver::TFalhaRota;

QByteArray Aleatorio(int n) {
  QByteArray b(n, '\0');
  for (int i = 0; i < n; ++i) b[i] = static_cast<char>(QRandomGenerator::global()->bounded(256));
  return b;
}

class RestLibTest : public ServidorFixture {
 protected:
  TClass_RestLib& Rest() { return TClass_RestLib::GetInstance(); }
};

// ---------------------------------------------------------------------------
// Reply mappings: each reply text is served as a file and fetched by the three GETs.

struct CasoMapa {
  const char* resposta;
  const char* comoString;
  const char* comoObj;
  const char* comoNet;
};

TEST_F(RestLibTest, MapeamentoDasRespostas) {
  const CasoMapa casos[] = {
      {R"({"result":["OK"]})", "OK", "OK", "OK"},
      {R"({"result":["ok"]})", R"({"result":["ok"]})", R"("ok")", R"({"result":["ok"]})"},
      {R"({"result":["S"]})", "S", "S", "S"},
      {R"({"result":["N"]})", "N", "N", "N"},
      {R"({"result":["TRUE"]})", "TRUE", "TRUE", "TRUE"},
      {R"({"result":["FALSE"]})", "FALSE", "FALSE", "FALSE"},
      {R"({"result":["true"]})", R"({"result":["true"]})", R"("true")", R"({"result":["true"]})"},
      {"null", "null", "VAZIO", "VAZIO"},
      {"NuLl", "NuLl", "VAZIO", "VAZIO"},
      {"  null", "  null", "VAZIO", "  null"},
      {R"({"result":[null]})", R"({"result":[null]})", "null", R"({"result":[null]})"},
      {R"({"result":["VAZIO"]})", R"({"result":["VAZIO"]})", "VAZIO", "VAZIO"},
      {R"({"result":[]})", R"({"result":[]})", "VAZIO", R"({"result":[]})"},
      // Words inside records are data, not sentinels.
      {R"([{"dESCRICAO":"Sensor com ERRO de leitura"}])", R"([{"dESCRICAO":"Sensor com ERRO de leitura"}])",
       R"([{"dESCRICAO":"Sensor com ERRO de leitura"}])", R"([{"dESCRICAO":"Sensor com ERRO de leitura"}])"},
      {R"({"result":[{"razao_Social":"AUTO PEÇAS FERRO","obs":"VAZIO"}]})",
       R"({"result":[{"razao_Social":"AUTO PEÇAS FERRO","obs":"VAZIO"}]})",
       R"({"razao_Social":"AUTO PEÇAS FERRO","obs":"VAZIO"})",
       R"({"result":[{"razao_Social":"AUTO PEÇAS FERRO","obs":"VAZIO"}]})"},
      // Where a service puts its sentinels.
      {"Falha interna: ERRO 500", "Falha interna: ERRO 500", "ERRO", "ERRO"},
      {"<html>VAZIO</html>", "<html>VAZIO</html>", "VAZIO", "VAZIO"},
      {R"({"result":["ERRO: banco fora do ar"]})", R"({"result":["ERRO: banco fora do ar"]})", "ERRO", "ERRO"},
      {R"("ERRO")", R"("ERRO")", "ERRO", "ERRO"},
      {"NULL", "NULL", "VAZIO", "VAZIO"},
      {R"({"result":[{"iD":3,"nome":"X"}]})", R"({"result":[{"iD":3,"nome":"X"}]})", R"({"iD":3,"nome":"X"})",
       R"({"result":[{"iD":3,"nome":"X"}]})"},
      {"[1,2]", "[1,2]", "[1,2]", "[1,2]"},
      {"", "", "", ""},
  };
  int i = 0;
  for (const CasoMapa& c : casos) {
    const QString nome = QString("caso%1").arg(i++);
    Publica("r/" + nome, c.resposta);
    SCOPED_TRACE(c.resposta);
    EXPECT_EQ(Rest().GetResponseAsString(Url() + "r/", nome, ""), c.comoString);
    EXPECT_EQ(Rest().GetResponseAsObjStr(Url() + "r/", nome, ""), c.comoObj);
    EXPECT_EQ(Rest().GetNETResponseAsObjStr(Url() + "r/", nome, ""), c.comoNet);
  }
}

TEST_F(RestLibTest, EnvelopeIlegivelLevantaErro) {
  Publica("r/quebrado", R"({"result":[{"iD":)");
  EXPECT_ANY_THROW(Rest().GetResponseAsObjStr(Url() + "r/", "quebrado", ""));
}

TEST_F(RestLibTest, GetQueFalhaDaErro) {
  Publica("r/ok", R"({"result":["OK"]})");
  // An error status.
  Servidor().DefineFalha("/r/ok", TFalhaRota{500});
  EXPECT_EQ(Rest().GetResponseAsString(Url() + "r/", "ok", ""), "ERRO");
  EXPECT_EQ(Rest().GetResponseAsObjStr(Url() + "r/", "ok", ""), "ERRO");
  EXPECT_EQ(Rest().GetNETResponseAsObjStr(Url() + "r/", "ok", ""), "ERRO");
  Servidor().LimpaFalhas();
  // A missing resource.
  EXPECT_EQ(Rest().GetResponseAsString(Url() + "r/", "nada", ""), "ERRO");
  // A reply slower than the read time-out.
  Rest().DefineTimeoutsGet(5000, 300);
  Servidor().DefineFalha("/r/ok", TFalhaRota{0, 4000});
  EXPECT_EQ(Rest().GetResponseAsString(Url() + "r/", "ok", ""), "ERRO");
  Servidor().LimpaFalhas();
  EXPECT_EQ(Rest().GetResponseAsString(Url() + "r/", "ok", ""), "OK");
  // A reply cut off half way.
  Servidor().DefineFalha("/r/ok", TFalhaRota{0, 0, -1, true});
  EXPECT_EQ(Rest().GetResponseAsString(Url() + "r/", "ok", ""), "ERRO");
  // Nobody listening.
  const QString url = Url();
  Servidor().Para();
  EXPECT_EQ(Rest().GetResponseAsString(url + "r/", "ok", ""), "ERRO");
}

// ---------------------------------------------------------------------------
// POST and PUT

TEST_F(RestLibTest, PostComRespostaOkEOutraResposta) {
  Servidor().CriaConta("oficina@x.com.br", "segredo");
  TClassBrevantaScanner s;
  s.FSerieReduzido = 1234;
  s.FEmpresaID = 1;
  s.FAtivo = "S";
  EXPECT_EQ(Rest().PUTObject(TServicos::BrevantaMetodo(), ParaJson(s), "/Scanner"), "OK");
  EXPECT_EQ(Servidor().UltimoPedido("/metodo/").FMetodo, "PUT");
  EXPECT_EQ(Servidor().UltimoPedido("/metodo/").FTipoConteudo, "application/json");
  EXPECT_EQ(Json::parse(Corpo("/metodo/")), ParaJson(s));
  // Another company's device: the reply's JSON text.
  s.FEmpresaID = 2;
  EXPECT_EQ(Rest().PUTObject(TServicos::BrevantaMetodo(), ParaJson(s), "/Scanner"),
            R"({"result":["OUTRA_EMPRESA"]})");
  // A reply that is not JSON comes back as it is.
  EXPECT_EQ(Rest().POSTObject(TServicos::BrevantaMetodo(), Json::array(), "Empresa"), "ERRO");
}

TEST_F(RestLibTest, PostSemRespostaLevantaErro) {
  Rest().DefineTimeoutRequest(300);
  Servidor().DefineFalha("/metodo/Empresa", TFalhaRota{0, 4000});
  EXPECT_THROW(Rest().POSTObject(TServicos::BrevantaMetodo(), Json::object(), "Empresa"), ERestErro);
  Servidor().LimpaFalhas();
  const QString raiz = TServicos::BrevantaMetodo();
  Servidor().Para();
  EXPECT_THROW(Rest().PUTObject(raiz, Json::object(), "/Scanner"), ERestErro);
  EXPECT_THROW(Rest().POSTNETObject(raiz, Json::object(), "v1/Falhas/0/QtdSolucoes"), ERestErro);
}

TEST(CorpoNETTest, ListaViraArrayNu) {
  TListaFalhasObj vazia;
  EXPECT_EQ(CorpoNET(ListaParaJson(vazia)), "[]");
  TListaFalhasObj duas;
  duas.AddNew().FFALHA_PC = "P0100";
  duas.AddNew().FFALHA_PC = "P0200";
  Json corpo = Json::parse(CorpoNET(ListaParaJson(duas)).toStdString());
  ASSERT_TRUE(corpo.is_array());
  ASSERT_EQ(corpo.size(), 2u);
  EXPECT_EQ(corpo[1]["fALHA_PC"], "P0200");
  // A record is sent as it is, even when a text of it mentions the list keys.
  TClassEditorSolucaoParaFalhaViewModel e;
  e.FDESCRICAO = "trocar \"items\":[ e ownsObjects";
  EXPECT_EQ(CorpoNET(ParaJson(e)), QString::fromStdString(ParaJson(e).dump()));
}

TEST_F(RestLibTest, PostNetSoAceitaStatusDeSucesso) {
  TListaFalhasObj falhas;
  auto& f = falhas.AddNew();
  f.FSISTEMA_ID = 7;
  f.FFALHA_PC = "P0100";
  QString r = Rest().POSTNETObject(TServicos::BrevantaCore(), ListaParaJson(falhas), "v1/Falhas/0/QtdSolucoes");
  EXPECT_TRUE(Json::parse(r.toStdString()).is_array());
  EXPECT_TRUE(Json::parse(Corpo("/core/")).is_array());
  Servidor().DefineFalha("/core/v1/Falhas", TFalhaRota{500});
  EXPECT_EQ(Rest().POSTNETObject(TServicos::BrevantaCore(), ListaParaJson(falhas), "v1/Falhas/0/QtdSolucoes"), "");
}

// ---------------------------------------------------------------------------
// File download

class GetFileTest : public ServidorFixture {
 protected:
  void SetUp() override {
    ServidorFixture::SetUp();
    FDestino = Documents() + "destino/";
    FHttp.DefineTimeouts(10000, 10000);
  }
  QString Pasta() const { return Url() + "files/"; }
  QString FDestino;
  TClassHttpLib FHttp;
};

TEST_F(GetFileTest, BaixaSubstituiEApagaOTemporario) {
  const QByteArray novo = Aleatorio(300 * 1024);
  Publica("files/conf.json", novo);
  WriteAll(FDestino + "conf.json", "velho");
  WriteAll(FDestino + "conf_new.json", "sobra de uma tentativa anterior");
  int inicios = 0, passos = 0;
  std::vector<int> porcentagens;
  FHttp.SetWorkStart([&] {
    ++inicios;
    EXPECT_EQ(FHttp.TotalBytes(), novo.size());
    EXPECT_EQ(FHttp.PorcentagemBaixada(), 0);
  });
  FHttp.SetOnWork([&] {
    ++passos;
    porcentagens.push_back(FHttp.PorcentagemBaixada());
  });
  EXPECT_EQ(FHttp.PorcentagemBaixada(), 0);

  ASSERT_TRUE(FHttp.GetFile(Pasta(), FDestino, "conf.json"));
  EXPECT_EQ(ReadAll(FDestino + "conf.json"), novo);
  EXPECT_FALSE(QFile::exists(FDestino + "conf_new.json"));
  EXPECT_EQ(inicios, 1);
  EXPECT_GE(passos, 1);
  EXPECT_EQ(FHttp.TotalBytes(), novo.size());
  EXPECT_EQ(FHttp.BytesBaixados(), novo.size());
  EXPECT_EQ(FHttp.PorcentagemBaixada(), 100);
  EXPECT_TRUE(std::is_sorted(porcentagens.begin(), porcentagens.end()));
  EXPECT_EQ(porcentagens.back(), 100);
  EXPECT_EQ(FHttp.GetFileSize(Pasta(), "conf.json"), novo.size());
  EXPECT_EQ(FHttp.GetFileSize(Pasta(), "nao_existe.json"), 0);
}

TEST_F(GetFileTest, FalhasMantemOArquivoAntigo) {
  const QByteArray novo = Aleatorio(64 * 1024);
  Publica("files/conf.json", novo);
  struct Caso {
    const char* nome;
    TFalhaRota falha;
    bool temporarioCompleto;  // the whole file sits under the temporary name
  };
  const Caso casos[] = {
      {"tamanho anunciado errado", TFalhaRota{0, 0, novo.size() + 5}, true},
      {"nenhum tamanho anunciado", TFalhaRota{0, 0, 0}, true},
      {"conexão cai no meio", TFalhaRota{0, 0, -1, true}, false},
      {"erro do servidor", TFalhaRota{503}, false},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    WriteAll(FDestino + "conf.json", "velho");
    QFile::remove(FDestino + "conf_new.json");
    Servidor().DefineFalha("/files/conf.json", c.falha);
    EXPECT_FALSE(FHttp.GetFile(Pasta(), FDestino, "conf.json"));
    EXPECT_EQ(ReadAll(FDestino + "conf.json"), "velho");
    if (c.temporarioCompleto) {
      EXPECT_EQ(ReadAll(FDestino + "conf_new.json"), novo);
    }
    Servidor().LimpaFalhas();
  }
  // A file the server does not have.
  EXPECT_FALSE(FHttp.GetFile(Pasta(), FDestino, "outro.json", "conf.json"));
  EXPECT_EQ(ReadAll(FDestino + "conf.json"), "velho");
}

TEST_F(GetFileTest, TempoEsgotadoDaFalse) {
  Publica("files/lento.bin", Aleatorio(1000));
  FHttp.DefineTimeouts(5000, 300);
  Servidor().DefineFalha("/files/lento.bin", TFalhaRota{0, 4000});
  EXPECT_FALSE(FHttp.GetFile(Pasta(), FDestino, "lento.bin"));
  EXPECT_FALSE(QFile::exists(FDestino + "lento.bin"));
}

TEST_F(GetFileTest, NomesDeDestino) {
  Publica("files/adaptadores/OBD 2.png", "png");
  Publica("files/update_tovra.json", "{}");
  // No destination name: the server's name, sub-path included.
  ASSERT_TRUE(FHttp.GetFile(Pasta(), FDestino, "adaptadores/OBD 2.png", ""));
  EXPECT_EQ(ReadAll(FDestino + "adaptadores/OBD 2.png"), "png");
  EXPECT_FALSE(QFile::exists(FDestino + "adaptadores/OBD 2_new.png"));
  // A local name of its own.
  ASSERT_TRUE(FHttp.GetFile(Pasta(), FDestino + "sub/", "update_tovra.json", "local.json"));
  EXPECT_EQ(ReadAll(FDestino + "sub/local.json"), "{}");
}

TEST(NomeTemporarioTest, Casos) {
  const std::pair<const char*, const char*> casos[] = {
      {"conf.json", "conf_new.json"},
      {"adaptadores/OBD.png", "adaptadores/OBD_new.png"},
      {"LEIAME", "LEIAME_new"},
      {"pasta.v2/arquivo", "pasta.v2/arquivo_new"},
      {"dados.tar.gz", "dados.tar_new.gz"},
  };
  for (auto [de, para] : casos) EXPECT_EQ(TClassHttpLib::NomeTemporario(de), para) << de;
}

// The size check against an HTTP server we did not write.
TEST_F(GetFileTest, BaixaDeServidorPython) {
  QTemporaryDir pasta;
  const QByteArray dados = Aleatorio(200 * 1024);
  WriteAll(pasta.path() + "/files/pacote.zip", dados);
  QProcess py;
  py.setProcessChannelMode(QProcess::MergedChannels);
  py.start("python3", {"-u", "-m", "http.server", "0", "--bind", "127.0.0.1", "--directory", pasta.path()});
  if (!py.waitForStarted(10000)) GTEST_SKIP() << "python3 indisponível";
  QByteArray saida;
  QRegularExpression re("port (\\d+)");
  QRegularExpressionMatch m;
  for (int i = 0; i < 100 && !(m = re.match(QString::fromUtf8(saida))).hasMatch(); ++i) {
    py.waitForReadyRead(200);
    saida += py.readAll();
  }
  ASSERT_TRUE(m.hasMatch()) << saida.toStdString();
  const QString raiz = QString("http://127.0.0.1:%1/files/").arg(m.captured(1));

  EXPECT_TRUE(FHttp.GetFile(raiz, FDestino, "pacote.zip"));
  EXPECT_EQ(ReadAll(FDestino + "pacote.zip"), dados);
  EXPECT_EQ(FHttp.PorcentagemBaixada(), 100);
  EXPECT_FALSE(FHttp.GetFile(raiz, FDestino, "ausente.zip"));
  py.kill();
  py.waitForFinished(5000);
}

// ---------------------------------------------------------------------------
// Internet check

TEST_F(RestLibTest, VerificaInternetLembraOSucesso) {
  EXPECT_TRUE(VerificaInternet());
  EXPECT_EQ(Servidor().UltimoPedido("/internet").FCacheControl, "no-cache");
  Servidor().Para();
  EXPECT_TRUE(VerificaInternet());       // remembered
  EXPECT_FALSE(VerificaInternet(true));  // asks again
  EXPECT_FALSE(VerificaInternet());
}

}  // namespace
}  // namespace tovra::test
