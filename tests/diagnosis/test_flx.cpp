#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <zip.h>

#include "common/debug.h"
#include "common/pastas.h"
#include "diagnosis/flx.h"
#include "tests/support/testsupport.h"

namespace tovra {
namespace {

TEST(ZipInfo, NamesAndSystemIds) {
  struct Caso { const char* arquivo; const char* crc; uint32_t sistema; const char* zip; };
  const Caso casos[] = {
      {"00123.flx", "987", 123, "00123_flx_987.zip"},
      {"00123.v4", "1", 123, "00123_v4_1.zip"},
      {"m000.mnu", "55", 0, "m000_mnu_55.zip"},
      {"firmware", "5", 0, "firmware_5.zip"},
      {"abc.flx", "9", 0, "abc_flx_9.zip"},
      {"00700.app", "18446744073709551615", 700, "00700_app_18446744073709551615.zip"},
  };
  for (const Caso& c : casos) {
    TClass_ZipInfo z;
    z.Farquivo = c.arquivo;
    z.Fcrc = c.crc;
    EXPECT_EQ(z.SistemaID(), c.sistema) << c.arquivo;
    EXPECT_EQ(z.ZipName(), c.zip) << c.arquivo;
    EXPECT_EQ(z.FlxName(), c.arquivo);
  }
  TClass_ZipInfo fw;
  fw.Farquivo = "VX3.bin";
  fw.Fcrc = "77";
  fw.SistemaID();
  EXPECT_EQ(fw.FWZipName(), "VX3.bin_77.zip");
  EXPECT_EQ(fw.FSistemaID, 0u);
  EXPECT_EQ(fw.FExtensao, "");
  EXPECT_EQ(fw.FarquivoSemExtensao, "VX3.bin");
}

TEST(ZipInfo, ListLookUpsAndFlags) {
  TLista_ZipInfo l;
  l.Add(TClass_ZipInfo{"m000.mnu", "", "", "1"});
  l.Add(TClass_ZipInfo{"00123.flx", "", "", "987"});
  l.Add(TClass_ZipInfo{"00124.v4", "", "", "5"});
  EXPECT_EQ(l.GetInfoBySistemaID(124)->Farquivo, "00124.v4");
  EXPECT_EQ(l.GetInfoBySistemaID(999), nullptr);
  EXPECT_EQ(l.GetInfoBySistemaArquivo("00123_flx_987.zip")->Farquivo, "00123.flx");
  EXPECT_EQ(l.GetInfoBySistemaArquivo("m000.mnu")->Fcrc, "1");
  EXPECT_FALSE(l.TemArquivoPraBaixar());
  l[1].Fbaixar = true;
  l[2].FErro = true;
  EXPECT_TRUE(l.TemArquivoPraBaixar());
  EXPECT_FALSE(l.TemArquivoPraAtualizar());
  EXPECT_TRUE(l.TemArquivoComErro());
}

TEST(FlxHelpers, VersionsAndNames) {
  struct Caso { const char* a; const char* b; const char* maior; };
  const Caso casos[] = {
      {"1.2.10.0", "1.2.9.0", "1.2.10.0"}, {"1.2.9.0", "1.2.10.0", "1.2.10.0"}, {"3.0.0.1", "3.0.0.1", ""},
      {"2.0", "1.9.9.9", "2.0"},           {"1.2", "1.2.0", ""},                 {"1.2", "1.2.1", "1.2.1"},
      {"1.10", "1.9", "1.10"},
  };
  for (const Caso& c : casos) EXPECT_EQ(MaiorVersao(c.a, c.b), c.maior) << c.a << " vs " << c.b;
  EXPECT_TRUE(VersaoMaisNova("1.2.10.0", "1.2.9.0"));
  EXPECT_FALSE(VersaoMaisNova("1.2.9.0", "1.2.10.0"));
  EXPECT_FALSE(VersaoMaisNova("1.0", "1.0"));
  EXPECT_EQ(TiraZerosEsquerda("000A1"), "A1");
  EXPECT_EQ(TiraZerosEsquerda("000"), "");
  EXPECT_EQ(NumeroComZeros(7, 4), "0007");
  EXPECT_EQ(NumeroComZeros(12345, 3), "12345");
  EXPECT_EQ(NomeSemExtensao("/x/y/00123.flx"), "00123");
  EXPECT_TRUE(EhScriptV4("00123.v4", 123));
  EXPECT_TRUE(EhScriptV4("00700.app", 700));
  EXPECT_FALSE(EhScriptV4("00123.flx", 123));
}

class FlxFiles : public test::DocumentsFixture {
 protected:
  void SetUp() override {
    DocumentsFixture::SetUp();
    Pastas::CriaPastas();
  }
  QString CriaZip(const QString& nome, const std::vector<std::pair<std::string, std::string>>& entradas) {
    const QString p = Documents() + nome;
    int erro = 0;
    zip_t* z = zip_open(QFile::encodeName(p).constData(), ZIP_CREATE | ZIP_TRUNCATE, &erro);
    EXPECT_NE(z, nullptr);
    for (const auto& [n, conteudo] : entradas) {
      zip_source_t* s = zip_source_buffer(z, conteudo.data(), conteudo.size(), 0);
      EXPECT_GE(zip_file_add(z, n.c_str(), s, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8), 0) << n;
    }
    EXPECT_EQ(zip_close(z), 0);
    return p;
  }
};

TEST_F(FlxFiles, ExtractingOverwritesAndDeletesTheZipWhenAsked) {
  WriteAll(Pastas::Zips() + "00123.flx", "antigo");
  const QString zip = CriaZip("00123_flx_1.zip", {{"00123.flx", "script novo"}, {"sub/leia.txt", "ç"}});
  ExtraiZip(zip, Pastas::Zips(), true);
  EXPECT_EQ(ReadAll(Pastas::Zips() + "00123.flx"), "script novo");
  EXPECT_EQ(ReadAll(Pastas::Zips() + "sub/leia.txt"), "ç");
  EXPECT_FALSE(QFile::exists(zip));

  const QString zip2 = CriaZip("keep.zip", {{"a.txt", "a"}});
  ExtraiZip(zip2, Pastas::Zips(), false);
  EXPECT_TRUE(QFile::exists(zip2));
}

TEST_F(FlxFiles, AnEntryThatWouldLeaveTheFolderRefusesTheArchive) {
  for (const char* mau : {"../fora.txt", "/tmp/absoluto.txt", "sub/../../fora.txt", "..\\fora.txt"}) {
    const QString zip = CriaZip("mau.zip", {{"bom.txt", "ok"}, {mau, "mal"}});
    const QString destino = Documents() + "destino/";
    EXPECT_THROW(ExtraiZip(zip, destino, true), std::runtime_error) << mau;
    EXPECT_FALSE(QFile::exists(Documents() + "fora.txt")) << mau;
    EXPECT_FALSE(QFile::exists(destino + "bom.txt")) << "nothing is written from a refused archive";
    EXPECT_TRUE(QFile::exists(zip)) << "a refused archive is not deleted";
  }
  EXPECT_FALSE(QFile::exists("/tmp/absoluto.txt"));
  EXPECT_THROW(ExtraiZip(Documents() + "nao_existe.zip", Documents(), false), std::runtime_error);
  WriteAll(Documents() + "lixo.zip", "isto nao e um zip");
  EXPECT_THROW(ExtraiZip(Documents() + "lixo.zip", Documents(), false), std::runtime_error);
}

TEST_F(FlxFiles, PackageListsLoadAndSave) {
  TDebug::DefineAtivo(true);
  EXPECT_EQ(CarregaListaZipInfo(Pastas::Zips() + "zinfocrc.json"), nullptr);
  EXPECT_TRUE(TDebug::Linhas().last().endsWith("File not found: " + Pastas::Zips() + "zinfocrc.json"));

  WriteAll(Pastas::Zips() + "zinfocrc.json",
           R"({"ownsObjects":true,"listHelper":[2],"items":[)"
           R"({"arquivo":"00123.flx","arquivoSemExtensao":"","extensao":"","crc":"987","sistemaID":0,)"
           R"("baixar":false,"atualizar":false,"erro":false},)"
           R"({"arquivo":"00124.v4","crc":"5"}]})");
  auto l = CarregaListaZipInfo(Pastas::Zips() + "zinfocrc.json");
  ASSERT_TRUE(l);
  ASSERT_EQ(l->Count(), 2);
  EXPECT_EQ(l->GetInfoBySistemaID(124)->Fcrc, "5");

  SalvaListaZipInfo(*l, Pastas::Zips() + "copia.json");
  const Json j = Json::parse(ReadAll(Pastas::Zips() + "copia.json").toStdString());
  EXPECT_EQ(j["listHelper"], Json::array({2}));
  std::vector<std::string> chaves;
  for (auto it = j["items"][0].begin(); it != j["items"][0].end(); ++it) chaves.push_back(it.key());
  EXPECT_EQ(chaves, (std::vector<std::string>{"arquivo", "arquivoSemExtensao", "extensao", "crc", "sistemaID",
                                              "baixar", "atualizar", "erro"}));
  EXPECT_EQ(j["items"][0]["sistemaID"], 123);

  WriteAll(Pastas::Zips() + "ruim.json", R"({"items":[{"arquivo":{"a":1}}]})");
  EXPECT_EQ(CarregaListaZipInfo(Pastas::Zips() + "ruim.json"), nullptr);
  EXPECT_TRUE(TDebug::Linhas().last().contains("Falha ao ler json: " + Pastas::Zips() + "ruim.json - "));
}

TEST_F(FlxFiles, ChoosingTheScriptOfASystem) {
  TLista_ZipInfo l;
  l.Add(TClass_ZipInfo{"00123.flx", "", "", "987"});
  const QString flxTeste = Documents() + "homolog_flx/";
  WriteAll(flxTeste + "00200.v4", "v4");
  struct Caso { uint32_t sistema; bool teste; bool v3; const char* nome; };
  const Caso casos[] = {
      {123, false, false, "00123.flx"}, {999, false, false, ""},         {123, true, false, "00123.flx"},
      {200, true, false, "00200.v4"},   {201, true, false, "00201.flx"}, {700, false, true, "00700.app"},
  };
  for (const Caso& c : casos)
    EXPECT_EQ(EscolheScriptSistema(&l, c.sistema, c.teste, flxTeste, c.v3), c.nome) << c.sistema;
  EXPECT_EQ(EscolheScriptSistema(nullptr, 123, false, flxTeste, false), "");
}

}  // namespace
}  // namespace tovra
