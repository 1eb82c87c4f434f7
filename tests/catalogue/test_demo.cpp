// The demo catalogue built from data/demo, and the file checksum the release
// lists carry.
#include <gtest/gtest.h>

#include "catalogue/dmtovra.h"
#include "tests/catalogue/catalogo_teste.h"
#include "tests/support/testsupport.h"
#include "tools/ferramentas.h"

namespace tovra::test {
namespace {

class DemoTest : public DocumentsFixture {};

TEST_F(DemoTest, DemoCatalogueLoadsFromItsWindows1252Files) {
  const QString pasta = Documents() + "files/";
  CopiaCatalogoDemo(pasta);
  TDmTovra dm;
  ASSERT_TRUE(dm.IniciaDataModule(pasta, "conf.json"));
  EXPECT_TRUE(CatalogoTemConteudo(&dm));
  EXPECT_EQ(TextoVersaoLocal(&dm), "Versão Local: 20/11/2026 14:30:00");
  auto t = dm.Search("SELECT TITULO_PT FROM SIGLAS_SISTEMA WHERE ID_SIGLA = 'IJ'");
  EXPECT_EQ(t->Field(0).AsString(), "INJEÇÃO ELETRÔNICA");
  auto m = dm.Search("SELECT TITULO_PT FROM MSG_ADIC_FALHAS WHERE ID_MSG = 8");
  EXPECT_EQ(m->Field(0).AsString(), "Verifique o chicote e o conector da ECU ('pino 12')");
  // Tables split over two files hold the rows of both.
  EXPECT_GT(dm.Search("SELECT COUNT(*) FROM FALHAS")->Field(0).AsInteger(), 250);
  for (const char* s : {"SELECT COUNT(*) FROM SISTEMAS WHERE ID_SISTEMA IN (700, 525, 107)",
                        "SELECT COUNT(DISTINCT ID_SISTEMA) FROM ASSOC_INFO_SOLICITADA WHERE ID_SISTEMA IN (525, 107)"})
    EXPECT_GE(dm.Search(s)->Field(0).AsInteger(), 2) << s;
}

TEST(Crc64We, MatchesTheCheckValue) {
  EXPECT_EQ(ferramentas::Crc64We("123456789"), 0x62EC59E3F1A4F00Aull);
  EXPECT_EQ(ferramentas::CrcTexto("123456789"), "7128171145767219210");
}

}  // namespace
}  // namespace tovra::test
