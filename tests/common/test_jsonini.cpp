#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include "common/jsonini.h"
#include "common/pastas.h"
#include "tests/support/testsupport.h"

namespace tovra {
namespace {

class JsonIniTest : public test::DocumentsFixture {
 protected:
  void SetUp() override {
    DocumentsFixture::SetUp();
    Pastas::CriaPastas();
    DefineConfLocal(nullptr);
  }
  void TearDown() override {
    DefineConfLocal(nullptr);
    DefineGanchoAntesRenomear(nullptr);
    DocumentsFixture::TearDown();
  }
  Json LeArquivo(const QString& path) { return Json::parse(ReadAll(path).toStdString()); }
};

TEST_F(JsonIniTest, RoundTripThroughTheFileHasTheExactShape) {
  TClass_JsonIni s;
  s.AddInteger("equipamento", "nr_serie", 123);
  s.AddString("Equipamento", "porta_usb", "/dev/ttyUSB0");
  s.AddBoolean("BREVANTA", "MANTER_CONECTADO", true);
  const QString arq = Pastas::ConfLocais();
  s.SaveToFile(arq);

  const Json esperado = Json::parse(R"({
    "ownsObjects": true, "listHelper": [2], "items": [
      {"identificador": "EQUIPAMENTO", "chaves": {"ownsObjects": true, "listHelper": [2], "items": [
          {"identificador": "NR_SERIE", "valor": "123"},
          {"identificador": "PORTA_USB", "valor": "/dev/ttyUSB0"}]}},
      {"identificador": "BREVANTA", "chaves": {"ownsObjects": true, "listHelper": [1], "items": [
          {"identificador": "MANTER_CONECTADO", "valor": "TRUE"}]}}]})");
  const Json lido = LeArquivo(arq);
  EXPECT_EQ(lido, esperado);
  // Member order is field order, not alphabetical.
  EXPECT_EQ(lido.begin().key(), "ownsObjects");
  EXPECT_EQ(lido["items"][0].begin().key(), "identificador");

  auto back = TClass_JsonIni::LoadFromFile(arq);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->ReadString("EQUIPAMENTO", "NR_SERIE", ""), "123");
  EXPECT_EQ(back->ReadInteger("equipamento", "Nr_Serie", 0), 123);
  EXPECT_EQ(back->ReadString("equipamento", "porta_usb", ""), "/dev/ttyUSB0");
  EXPECT_TRUE(back->ReadBoolean("BREVANTA", "MANTER_CONECTADO", false));
  EXPECT_EQ(back->ToJson(), s.ToJson());
}

TEST_F(JsonIniTest, ReadsAnswerTheDefaultForEmptyOrAbsentValues) {
  TClass_JsonIni s;
  s.AddString("EQUIPAMENTO", "NR_SERIE", "");
  EXPECT_EQ(s.ReadString("EQUIPAMENTO", "NR_SERIE", "padrao"), "padrao");
  EXPECT_EQ(s.ReadInteger("EQUIPAMENTO", "NR_SERIE", 7), 7);
  EXPECT_TRUE(s.ReadBoolean("TUTORIAL_BREVANTA", "MOSTRAR_DICAS_FALHA", true));
  EXPECT_EQ(s.ReadString("", "NR_SERIE", "d"), "d");
  EXPECT_EQ(s.ReadString("EQUIPAMENTO", "", "d"), "d");
  // Empty category or key writes nothing.
  s.AddString("", "X", "1");
  s.AddString("C", "", "1");
  EXPECT_EQ(s.Count(), 1);
}

TEST_F(JsonIniTest, BooleanAndNumberReadingRules) {
  struct Caso { const char* guardado; bool booleano; };
  const Caso casos[] = {{"TRUE", true}, {"true", false}, {"FALSE", false}, {"1", false}, {"sim", false}};
  for (const Caso& c : casos) {
    TClass_JsonIni s;
    s.AddString("A", "B", c.guardado);
    EXPECT_EQ(s.ReadBoolean("A", "B", !c.booleano), c.booleano) << c.guardado;
  }
  TClass_JsonIni s;
  s.AddString("A", "TEXTO", "abc");
  EXPECT_THROW(s.ReadInteger("A", "TEXTO", 0), std::invalid_argument);
  EXPECT_EQ(s.ReadUInt64("A", "TEXTO", 9u), 9u);
  s.AddString("A", "GRANDE", "18446744073709551615");
  EXPECT_EQ(s.ReadUInt64("A", "GRANDE", 0), 18446744073709551615ull);
}

TEST_F(JsonIniTest, BackslashesAreDoubledInTheFileAndHalvedOnReading) {
  TClass_JsonIni s;
  s.AddString("X", "CAMINHO", "C:\\dados\\a.txt");
  s.SaveToFile(Pastas::ConfLocais());
  const Json j = LeArquivo(Pastas::ConfLocais());
  EXPECT_EQ(j["items"][0]["chaves"]["items"][0]["valor"], "C:\\\\dados\\\\a.txt");
  auto back = TClass_JsonIni::LoadFromFile(Pastas::ConfLocais());
  EXPECT_EQ(back->ReadString("X", "CAMINHO", ""), "C:\\dados\\a.txt");
}

TEST_F(JsonIniTest, WritesReplaceOrAppendInOrder) {
  TClass_JsonIni s;
  s.AddString("A", "K1", "1");
  s.AddString("B", "K1", "2");
  s.AddString("A", "K2", "3");
  s.AddString("a", "k1", "4");  // replaces, never a second entry
  ASSERT_EQ(s.Count(), 2);
  EXPECT_EQ(s[0].FIdentificador, "A");
  EXPECT_EQ(s[1].FIdentificador, "B");
  ASSERT_EQ(s[0].FChaves.Count(), 2);
  EXPECT_EQ(s[0].FChaves[0].FIdentificador, "K1");
  EXPECT_EQ(s[0].FChaves[0].FValor, "4");
  EXPECT_EQ(s[0].FChaves[1].FIdentificador, "K2");
}

TEST_F(JsonIniTest, ASaveInterruptedBeforeTheRenameLeavesTheOldFile) {
  TClass_JsonIni antigo;
  antigo.AddString("EQUIPAMENTO", "NR_SERIE", "111");
  antigo.SaveToFile(Pastas::ConfLocais());
  const QByteArray antes = ReadAll(Pastas::ConfLocais());

  TClass_JsonIni novo;
  novo.AddString("EQUIPAMENTO", "NR_SERIE", "222");
  DefineGanchoAntesRenomear([](const QString&) { throw std::runtime_error("queda de energia"); });
  EXPECT_THROW(novo.SaveToFile(Pastas::ConfLocais()), std::runtime_error);
  DefineGanchoAntesRenomear(nullptr);

  EXPECT_EQ(ReadAll(Pastas::ConfLocais()), antes);
  // No temporary file is left beside it.
  QDir base(Pastas::Base());
  EXPECT_EQ(base.entryList(QDir::Files).size(), 1) << base.entryList(QDir::Files).join(",").toStdString();
}

TEST_F(JsonIniTest, TheFileIsReadableByItsOwnerOnly) {
  TClass_JsonIni s;
  s.AddString(conf::kBrevanta, conf::kPw, "c2VncmVkbw==");
  s.SaveToFile(Pastas::ConfLocais());
  const auto p = QFileInfo(Pastas::ConfLocais()).permissions();
  EXPECT_TRUE(p & QFileDevice::ReadOwner);
  EXPECT_TRUE(p & QFileDevice::WriteOwner);
  EXPECT_FALSE(p & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup |
                    QFileDevice::WriteOther));
}

TEST_F(JsonIniTest, ProcessWideAccessorsWithoutAStoreDoNothing) {
  EscreveConfString(conf::kEquipamento, conf::kNrSerie, "5");
  EXPECT_EQ(LeConfString(conf::kEquipamento, conf::kNrSerie, "x"), "x");
  EXPECT_TRUE(LeConfBoolean(conf::kTutorialBrevanta, conf::kMostrarDicasFalha, true));
  EXPECT_EQ(LeConfInteger(conf::kEquipamento, conf::kNrSerie, 3), 3);
  SalvaConfLocal();
  EXPECT_FALSE(QFile::exists(Pastas::ConfLocais()));
}

TEST_F(JsonIniTest, LoadingAtStartUp) {
  // No file: an empty store.
  CarregaConfLocal();
  ASSERT_TRUE(ConfLocal());
  EscreveConfString(conf::kEquipamento, conf::kNrSerie, "42");
  SalvaConfLocal();
  DefineConfLocal(nullptr);
  CarregaConfLocal();
  EXPECT_EQ(LeConfString(conf::kEquipamento, conf::kNrSerie), "42");

  // A file that holds no JSON object is deleted and an empty store starts.
  for (const QByteArray& lixo : {QByteArray("{nao e json"), QByteArray("[1,2]")}) {
    DefineConfLocal(nullptr);
    WriteAll(Pastas::ConfLocais(), lixo);
    CarregaConfLocal();
    ASSERT_TRUE(ConfLocal());
    EXPECT_EQ(ConfLocal()->Count(), 0);
    EXPECT_FALSE(QFile::exists(Pastas::ConfLocais()));
  }

  // A file whose shape is wrong raises inside the load: deleted, no store loaded.
  DefineConfLocal(nullptr);
  WriteAll(Pastas::ConfLocais(), R"({"items":[{"identificador":{"x":1}}]})");
  CarregaConfLocal();
  EXPECT_EQ(ConfLocal(), nullptr);
  EXPECT_FALSE(QFile::exists(Pastas::ConfLocais()));
  EXPECT_EQ(LeConfString(conf::kEquipamento, conf::kNrSerie, "d"), "d");
}

}  // namespace
}  // namespace tovra
