// The release tree the demo builder publishes: every listed file is there, each
// CRC matches its content, and the scripts' ids are the catalogue's ids.
#include <zip.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>

#include "catalogue/dmtovra.h"
#include "common/jsonobj.h"
#include "common/texto.h"
#include "tests/catalogue/catalogo_teste.h"
#include "tests/support/testsupport.h"
#include "tools/ferramentas.h"

namespace tovra::test {
namespace {

std::map<QString, QByteArray> LeZip(const QString& caminho) {
  std::map<QString, QByteArray> r;
  int erro = 0;
  zip_t* z = zip_open(caminho.toUtf8().constData(), ZIP_RDONLY, &erro);
  if (!z) return r;
  for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
    zip_stat_t st;
    if (zip_stat_index(z, static_cast<zip_uint64_t>(i), 0, &st) != 0) continue;
    zip_file_t* f = zip_fopen_index(z, static_cast<zip_uint64_t>(i), 0);
    QByteArray b(static_cast<qsizetype>(st.size), '\0');
    zip_fread(f, b.data(), st.size);
    zip_fclose(f);
    r[QString::fromUtf8(st.name)] = b;
  }
  zip_close(z);
  return r;
}

Json LeJson(const QString& caminho) {
  auto j = TJsonLib::LoadFileToJson(caminho);
  return j ? *j : Json();
}

class ReleaseTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    QString bin = BinaryDir();
    if (bin.isEmpty()) bin = QString::fromUtf8(TOVRA_TEST_BINARY_DIR);
    const QString ferramenta = bin + "/tools/tovra-monta_catalogo";
    if (!QFile::exists(ferramenta)) return;
    sDir = new QTemporaryDir();
    QProcess p;
    p.start(ferramenta, {"--dados", FonteDados() + "/data/demo/", "--saida", sDir->path()});
    sOk = p.waitForFinished(120000) && p.exitCode() == 0;
    if (!sOk) std::fprintf(stderr, "%s\n", p.readAllStandardError().constData());
  }
  static void TearDownTestSuite() {
    delete sDir;
    sDir = nullptr;
  }
  void SetUp() override {
    if (!sDir) GTEST_SKIP() << "tovra-monta_catalogo not built";
    ASSERT_TRUE(sOk);
    FFiles = sDir->path() + "/release/files/";
  }
  static inline QTemporaryDir* sDir = nullptr;
  static inline bool sOk = false;
  QString FFiles;
};

TEST_F(ReleaseTest, TableListNamesEveryZipWithTheCrcOfItsSqlFile) {
  const Json lista = LeJson(FFiles + "tovra_lista_filecrc.json");
  const Json conf = LeJson(FFiles + "conf.json");
  ASSERT_EQ(lista["items"].size(), conf["listaDeTabelas"]["items"].size());
  EXPECT_EQ(lista["listHelper"][0], lista["items"].size());
  int arquivos = 0;
  for (const Json& t : lista["items"]) {
    ASSERT_FALSE(t["listaFiles"]["items"].empty()) << t["nomeTabela"];
    for (const Json& f : t["listaFiles"]["items"]) {
      const QString nome = QString::fromStdString(f["fileName"].get<std::string>());
      const auto zip = LeZip(FFiles + nome.chopped(4) + ".zip");
      ASSERT_EQ(zip.count(nome), 1u) << nome.toStdString();
      EXPECT_EQ(ferramentas::CrcTexto(zip.at(nome)).toStdString(), f["fileCRC"].get<std::string>());
      EXPECT_FALSE(f["inserido"].get<bool>());
      ++arquivos;
    }
  }
  EXPECT_GT(arquivos, 35);
  for (const char* n : {"conf.json", "dicionarios.zip", "v3/00700_app.zip", "zips/zfirmwarecrc.json",
                        "exe/update_tovra.json", "adaptadores/OBD.png", "localizacao/LOC_GEN_A1.png"})
    EXPECT_TRUE(QFile::exists(FFiles + n)) << n;
  EXPECT_TRUE(QFile::exists(sDir->path() + "/release/homolog/tovra_lista_filecrc.json"));
  const auto dic = LeZip(FFiles + "dicionarios.zip");
  ASSERT_EQ(dic.count("dic_tovra_msgs.ini"), 1u);
  EXPECT_TRUE(DecodeWin1252(dic.at("dic_tovra_msgs.ini")).contains("PT=Código reservado"));
}

TEST_F(ReleaseTest, ScriptsCarryTheCatalogueIds) {
  TDmTovra dm;
  ASSERT_TRUE(dm.AbreSomenteLeitura(sDir->path() + "/Tovra.s3db"));
  const Json pacotes = LeJson(FFiles + "zips/zinfocrc.json");
  ASSERT_GT(pacotes["items"].size(), 30u);
  int falhas = 0;
  for (const Json& e : pacotes["items"]) {
    const QString arquivo = QString::fromStdString(e["arquivo"].get<std::string>());
    const QString crc = QString::fromStdString(e["crc"].get<std::string>());
    const QString zipNome = QString::fromStdString(e["arquivoSemExtensao"].get<std::string>()) + "_" +
                            QString::fromStdString(e["extensao"].get<std::string>()) + "_" + crc + ".zip";
    const auto zip = LeZip(FFiles + "zips/" + zipNome);
    ASSERT_EQ(zip.count(arquivo), 1u) << zipNome.toStdString();
    EXPECT_EQ(ferramentas::CrcTexto(zip.at(arquivo)), crc);
    if (arquivo == "m000.mnu") {
      EXPECT_EQ(e["sistemaID"], 0);
      continue;
    }
    const Json s = Json::parse(zip.at(arquivo).toStdString());
    EXPECT_EQ(s["sistemaID"], e["sistemaID"]);
    for (const Json& f : s["falhas"]) {
      const bool existe =
          !dm.Search("SELECT 1 FROM FALHAS WHERE ID_GRUPO_FALHAS = ? AND ID_SCANNER = ? AND FALHA_PC = ? UNION ALL "
                     "SELECT 1 FROM FALHAS_OLD WHERE ID_GRUPO_FALHAS = ?1 AND ID_SCANNER = ?2 AND FALHA_PC = ?3",
                     {qint64(f["grupoID"]), qint64(f["scannerID"]), QString::fromStdString(f["falhaPC"])})
               ->IsEmpty();
      EXPECT_TRUE(existe) << f.dump();
      ++falhas;
    }
    for (const Json& p : s["parametros"])
      EXPECT_FALSE(dm.Search("SELECT 1 FROM PARAMETROS WHERE ID_PARAMETRO = ?", {qint64(p["id"])})->IsEmpty());
    for (const Json& a : s["atuadores"])
      EXPECT_FALSE(dm.Search("SELECT 1 FROM ATUADORES WHERE ID_ATUADOR = ?", {qint64(a["id"])})->IsEmpty());
  }
  EXPECT_GT(falhas, 300);
  const auto app = LeZip(FFiles + "v3/00700_app.zip");
  ASSERT_EQ(app.count("00700.app"), 1u);
  EXPECT_EQ(Json::parse(app.at("00700.app").toStdString())["sistemaID"], 700);
}

}  // namespace
}  // namespace tovra::test
