// Parameter formats, value history and the shown value text.
#include <QLocale>
#include <gtest/gtest.h>

#include "diagnosis/parametros.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace tovra {
namespace {

class ParametroTest : public ::testing::Test {
 protected:
  void SetUp() override { QLocale::setDefault(QLocale::c()); }
  void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

TEST_F(ParametroTest, NumberPatternOfAFormatCode) {
  const std::vector<std::pair<uint8_t, QString>> casos = {{0x82, "0"}, {0x15, "0.00000"}, {0x12, "0.00"},
                                                          {0x23, "0.000"}, {0x20, "0."}, {0x81, "0"}};
  for (const auto& [f, p] : casos) {
    TClassParametro par;
    par.SetFormato(f);
    EXPECT_TRUE(par.ParamNumerico()) << int(f);
    EXPECT_EQ(par.FormatoStr(), p) << int(f);
  }
  for (uint8_t f : {uint8_t(0x10), uint8_t(0x56), uint8_t(0x6F), uint8_t(0x8A), uint8_t(0x8F), uint8_t(0x00)}) {
    TClassParametro par;
    par.SetFormato(f);
    EXPECT_FALSE(par.ParamNumerico()) << int(f);
    EXPECT_TRUE(par.FormatoStr().isEmpty()) << int(f);
  }
}

TEST_F(ParametroTest, ValueTextByFormat) {
  auto status = [](double v) { return v == 2.0 ? QString("Aberto") : QString("Status não localizado"); };
  struct Caso {
    const char* valor;
    uint8_t formato;
    const char* texto;
  };
  const Caso casos[] = {
      {"00 00 80 3F", 0x12, "1.00"},        {"00 00 61 45", 0x91, "1:00:00"},     {"00 20 2F 45", 0x91, "0:46:42"},
      {"00 00 C0 3F", 0x81, "2"},           {"41 42 00 43", 0x60, "AB"},          {"56 49 4E 00 41", 0x6F, "VIN"},
      {"A5 01", 0x8E, "A501"},              {"00 00 00 40", 0x8F, "Aberto"},      {"A5 01", 0x93, "8-1010010100000001-1"},
      {"00 00 20 41", 0x7A, "10.00"},       {"A5", 0x7A, "Desc.: 7A"},            {"XY", 0x8F, "Desc.: 8F"},
      {"C3 87 C3 83", 0x6F, "Ã‡Ãƒ"},
  };
  for (const auto& c : casos)
    EXPECT_EQ(TextoValorParametro(c.valor, c.formato, PadraoNumerico(c.formato), status), QString::fromUtf8(c.texto))
        << c.valor << " / " << int(c.formato);
  EXPECT_THROW(TextoValorParametro("ZZ ZZ ZZ ZZ", 0x12, "0.00"), std::invalid_argument);
}

TEST_F(ParametroTest, TextArrivesInPieces) {
  TClassParametro p;
  p.SetFormato(0x6F);
  p.SetValue("41 42 43 FF");
  p.SetValue("44 00 00 00");
  EXPECT_EQ(TextoValorParametro(p.Value(), 0x6F, ""), "ABCD");
  p.SetValue("45 00 00 00");
  EXPECT_EQ(TextoValorParametro(p.Value(), 0x6F, ""), "E");
  p.SetValue("46 47 48 FF");
  EXPECT_EQ(TextoValorParametro(p.Value(), 0x6F, ""), "E");  // the shown text waits for the end piece
  p.SetValue("49 00 00 00");
  EXPECT_EQ(TextoValorParametro(p.Value(), 0x6F, ""), "FGHI");
}

TEST_F(ParametroTest, LowestAndHighestValues) {
  TClassParametro p;
  p.SetFormato(0x11);
  p.SetValue("00 00 A0 40");  // 5.0
  p.SetValue("00 00 00 40");  // 2.0
  p.SetValue("00 00 C0 7F");  // not a number: ignored
  EXPECT_DOUBLE_EQ(p.MenorValor(), 2.0);
  EXPECT_DOUBLE_EQ(p.MaiorValor(), 5.0);
  EXPECT_EQ(p.MenorValorFormatado(), "2.0");
  EXPECT_EQ(p.MaiorValorFormatado(), "5.0");
  TClassParametro t;
  t.SetFormato(0x8E);
  t.SetValue("A5 01");
  EXPECT_EQ(t.MaiorValorFormatado(), "A5 01");
}

TEST_F(ParametroTest, OnlyNumericParametersGoToTheGraph) {
  TClassParametro n, s;
  n.SetFormato(0x12);
  s.SetFormato(0x8F);
  n.SetGraficoSelecionado(true);
  s.SetGraficoSelecionado(true);
  EXPECT_TRUE(n.GraficoSelecionado());
  EXPECT_FALSE(s.GraficoSelecionado());
  TListaParametros l;
  l.Add(std::make_unique<TClassParametro>());
  l[0].SetFormato(0x12);
  l[0].SetGraficoSelecionado(true);
  EXPECT_FALSE(l.TemParamSelecionado());
  l[0].FSelecionado = true;
  EXPECT_TRUE(l.TemParamSelecionado());
  l.SetGraficoUnchecked();
  EXPECT_FALSE(l[0].GraficoSelecionado());
  TClassParametroVG vg;
  vg.SetFormato(0x13);
  vg.FLimiteSuperior = 1.1;
  EXPECT_EQ(vg.LimSupFormatado(), "1.100");
}

}  // namespace
}  // namespace tovra
