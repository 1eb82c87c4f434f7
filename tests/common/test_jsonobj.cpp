#include <gtest/gtest.h>

#include "common/dbtojson.h"
#include "common/jsonobj.h"
#include "common/pastas.h"
#include "common/texto.h"
#include "tests/support/testsupport.h"

namespace tovra {

enum class TCor { corVermelho, corAzul };

}  // namespace tovra
TOVRA_ENUM_NOMES(tovra::TCor, "corVermelho", "corAzul")

namespace tovra {
namespace {

struct TItem {
  QString Farquivo;
  QString Fcrc;
  int FValor = 0;
  TOVRA_JSON_CAMPOS(TItem, TOVRA_CAMPO(Farquivo), TOVRA_CAMPO(Fcrc), TOVRA_CAMPO(FValor))
};

struct TRegistro {
  QString FNome;
  double FFator = 0;
  bool FIsPK = false;
  TCor FCor = TCor::corVermelho;
  QDateTime FData;
  std::vector<int> FNumeros;
  std::unique_ptr<TItem> FPrincipal;
  TObjectList<TItem> FItens;
  QString FCaminho;
  TOVRA_JSON_CAMPOS(TRegistro, TOVRA_CAMPO(FNome), TOVRA_CAMPO(FFator), TOVRA_CAMPO(FIsPK), TOVRA_CAMPO(FCor),
                    TOVRA_CAMPO(FData), TOVRA_CAMPO(FNumeros), TOVRA_CAMPO(FPrincipal), TOVRA_CAMPO(FItens),
                    TOVRA_CAMPO_NOMEADO("path", FCaminho))
};

TEST(JsonForm, MemberNamesFollowTheFieldNames) {
  const std::pair<const char*, const char*> casos[] = {
      {"FTableName", "tableName"}, {"Farquivo", "arquivo"}, {"FIsPK", "isPK"},
      {"FValor", "valor"},         {"Fcrc", "crc"},         {"FID", "iD"},
      {"FPLACA", "pLACA"},         {"Nome", "nome"}};
  for (auto [campo, membro] : casos) EXPECT_EQ(JsonNomeMembro(campo), membro) << campo;
}

TEST(JsonForm, ARecordIsWrittenInFieldOrderAndReadBack) {
  TRegistro r;
  r.FNome = "Injeção \"eletrônica\"";
  r.FFator = 0.25;
  r.FIsPK = true;
  r.FCor = TCor::corAzul;
  r.FData = QDateTime(QDate(2026, 12, 11), QTime(10, 20, 30), Qt::UTC);
  r.FNumeros = {3, 1, 2};
  r.FPrincipal = std::make_unique<TItem>(TItem{"a.zip", "123", 1});
  r.FItens.Add(TItem{"b.zip", "456", 2});
  r.FItens.Add(TItem{"c.zip", "789", 3});
  r.FCaminho = "/tmp/x";

  const Json j = ParaJson(r);
  std::vector<std::string> chaves;
  for (auto it = j.begin(); it != j.end(); ++it) chaves.push_back(it.key());
  EXPECT_EQ(chaves, (std::vector<std::string>{"nome", "fator", "isPK", "cor", "data", "numeros", "principal",
                                              "itens", "path"}));
  EXPECT_EQ(j["cor"], "corAzul");
  EXPECT_EQ(j["data"], "2026-12-11T10:20:30.000Z");
  EXPECT_EQ(j["itens"].dump(),
            R"({"ownsObjects":true,"listHelper":[2],"items":[{"arquivo":"b.zip","crc":"456","valor":2},)"
            R"({"arquivo":"c.zip","crc":"789","valor":3}]})");

  TRegistro back;
  DeJson(Json::parse(j.dump()), back);
  EXPECT_EQ(back.FNome, r.FNome);
  EXPECT_DOUBLE_EQ(back.FFator, 0.25);
  EXPECT_TRUE(back.FIsPK);
  EXPECT_EQ(back.FCor, TCor::corAzul);
  EXPECT_EQ(back.FData, r.FData);
  EXPECT_EQ(back.FNumeros, r.FNumeros);
  ASSERT_TRUE(back.FPrincipal);
  EXPECT_EQ(back.FPrincipal->Farquivo, "a.zip");
  ASSERT_EQ(back.FItens.Count(), 2);
  EXPECT_EQ(back.FItens[1].Fcrc, "789");
  EXPECT_EQ(back.FCaminho, "/tmp/x");
}

TEST(JsonForm, AnOwningListIsReadByItsCount) {
  struct Caso { const char* json; int esperados; };
  const Caso casos[] = {
      {R"({"listHelper":[2],"items":[{"arquivo":"a"},{"arquivo":"b"}]})", 2},
      {R"({"listHelper":[1],"items":[{"arquivo":"a"},null,null]})", 1},  // capacity past the count
      {R"({"items":[{"arquivo":"a"},{"arquivo":"b"},{"arquivo":"c"}]})", 3},
      {R"({"listHelper":[5],"items":[{"arquivo":"a"}]})", 1},
      {R"({"listHelper":[0],"items":[]})", 0},
      {R"({"ownsObjects":true})", 0},
  };
  for (const Caso& c : casos) {
    TObjectList<TItem> l;
    DeJson(Json::parse(c.json), l);
    EXPECT_EQ(l.Count(), c.esperados) << c.json;
  }
}

TEST(JsonForm, WrongTypesRaise) {
  TRegistro r;
  EXPECT_THROW(DeJson(Json::parse(R"({"nome":{"x":1}})"), r), std::runtime_error);
  EXPECT_THROW(DeJson(Json::parse(R"({"cor":"corVerde"})"), r), std::runtime_error);
  EXPECT_THROW(DeJson(Json::parse(R"({"fator":"abc"})"), r), std::runtime_error);
  EXPECT_THROW(DeJson(Json::parse(R"([1])"), r), std::runtime_error);
  // Numbers written as text and absent members are accepted.
  DeJson(Json::parse(R"({"fator":"1.5"})"), r);
  EXPECT_DOUBLE_EQ(r.FFator, 1.5);
}

TEST(JsonForm, SpecialCharactersOfTextFieldsAreEscaped) {
  TItem i{"C:\\Programas\\Tovra Update.exe", "a/b", 7};
  TJsonLib::TrocaCharEspecToJson(i);
  EXPECT_EQ(i.Farquivo, "C%3A%5CProgramas%5CTovra%20Update%2Eexe");
  EXPECT_EQ(i.Fcrc, "a%2Fb");
  EXPECT_EQ(i.FValor, 7);
}

class JsonFileTest : public test::DocumentsFixture {};

TEST_F(JsonFileTest, LoadingFiles) {
  const QString faltando = Documents() + "nao_existe.json";
  try {
    TJsonLib::LoadFileToJson(faltando);
    FAIL() << "a missing file must raise";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(QString::fromUtf8(e.what()), "Arquivo não encotrado: \r" + faltando);
  }
  WriteAll(Documents() + "lista.json", "[1,2]");
  EXPECT_FALSE(TJsonLib::LoadFileToJson(Documents() + "lista.json"));
  WriteAll(Documents() + "quebrado.json", "{\"a\":");
  EXPECT_FALSE(TJsonLib::LoadFileToJson(Documents() + "quebrado.json"));
  // A Windows-1252 file from the maker's tools reads with its accents intact.
  WriteAll(Documents() + "w.json", *EncodeWin1252(QString::fromUtf8("{\"t\":\"Injeção\"}")));
  auto j = TJsonLib::LoadFileToJson(Documents() + "w.json");
  ASSERT_TRUE(j);
  EXPECT_EQ(QString::fromStdString((*j)["t"].get<std::string>()), "Injeção");

  TJsonLib::SaveJsonToFile(Json{{"b", 1}, {"a", 2}}, Documents() + "out.json");
  EXPECT_EQ(ReadAll(Documents() + "out.json"), R"({"b":1,"a":2})");
}

TEST(TableDescription, CreateStatements) {
  auto campo = [](const char* nome, TFieldType t, int size, bool pk, bool nn) {
    TClassNorvikField f;
    f.FNomeField = nome;
    f.FTipoDados = t;
    f.FSize = size;
    f.FIsPK = pk;
    f.FNotNull = nn;
    return f;
  };
  TClassNorvikTable t;
  t.FTableName = "modelos";
  t.FFieldList.Add(campo("id", TFieldType::ftInteger, 0, true, true));
  t.FFieldList.Add(campo("sigla", TFieldType::ftString, 2, false, false));
  t.FFieldList.Add(campo("titulo_pt", TFieldType::ftString, 100, false, true));
  t.FFieldList.Add(campo("fator", TFieldType::ftFloat, 0, false, false));
  t.FFieldList.Add(campo("data", TFieldType::ftDate, 0, false, false));
  t.FFieldList.Add(campo("hora", TFieldType::ftTime, 0, false, false));
  t.FFieldList.Add(campo("foto", TFieldType::ftBlob, 0, false, false));
  EXPECT_EQ(t.GetCreateToSqLite(),
            "CREATE TABLE IF NOT EXISTS [MODELOS] ( [ID] INT  PRIMARY KEY  NOT NULL , [SIGLA] CHAR(2)   , "
            "[TITULO_PT] VARCHAR(100)   NOT NULL , [FATOR] FLOAT   , [DATA] DATE   , [HORA] TIME   , [FOTO]  );");
  EXPECT_EQ(t.GetPkName(), "id");
  EXPECT_EQ(t.FFieldList[3].TipoDadosStr(), "ftFloat");
  TClassNorvikTable semPk;
  semPk.FTableName = "x";
  semPk.FFieldList.Add(campo("a", TFieldType::ftInteger, 0, false, false));
  EXPECT_EQ(semPk.GetPkName(), "");
  // The statement is valid SQL text: every clause is separated, the last ", " removed.
  EXPECT_EQ(semPk.GetCreateToSqLite(), "CREATE TABLE IF NOT EXISTS [X] ( [A] INT   );");
}

TEST_F(JsonFileTest, ReadingATableDescription) {
  WriteAll(Documents() + "conf.json", R"({"listaDeTabelas":{"ownsObjects":true,"listHelper":[1],"items":[
      {"tableName":"montadoras","fieldList":{"ownsObjects":true,"listHelper":[2],"items":[
        {"nomeField":"id","tipoDados":"ftInteger","size":0,"isAutoIncremento":false,"isPK":true,"notNull":true},
        {"nomeField":"nome","tipoDados":"ftString","size":60,"isAutoIncremento":false,"isPK":false,"notNull":false}]},
       "tipoDTB":""}]}})");
  auto d = TClassDbToJson::LerArquivo(Documents() + "conf.json");
  ASSERT_EQ(d->FListaDeTabelas.Count(), 1);
  const TClassNorvikTable& t = d->FListaDeTabelas[0];
  EXPECT_EQ(t.FTableName, "montadoras");
  ASSERT_EQ(t.FFieldList.Count(), 2);
  EXPECT_EQ(t.FFieldList[1].FTipoDados, TFieldType::ftString);
  EXPECT_EQ(t.FFieldList[1].FSize, 60);
  // Written back, it is the same document.
  EXPECT_EQ(ParaJson(*d), *TJsonLib::LoadFileToJson(Documents() + "conf.json"));

  for (const char* ruim : {"nao json", "[]", R"({"listaDeTabelas":{"items":[{"fieldList":5}]}})"}) {
    WriteAll(Documents() + "ruim.json", ruim);
    try {
      TClassDbToJson::LerArquivo(Documents() + "ruim.json");
      FAIL() << ruim;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(QString::fromUtf8(e.what()), "Arquivo inválido!\r" + Documents() + "ruim.json");
    }
  }
}

}  // namespace
}  // namespace tovra
