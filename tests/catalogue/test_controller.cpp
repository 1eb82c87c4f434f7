// The catalogue service over an empty catalogue of the demo schema, filled per
// test with the rows that show each rule.
#include <QFile>
#include <gtest/gtest.h>

#include "catalogue/controller.h"
#include "tests/catalogue/catalogo_teste.h"
#include "tests/support/testsupport.h"

namespace tovra::test {
namespace {

class CatalogoTest : public DocumentsFixture {
 protected:
  void SetUp() override {
    DocumentsFixture::SetUp();
    const QString pasta = Documents() + "files/";
    WriteAll(pasta + "conf.json", ReadAll(FonteDados() + "/data/demo/conf.json"));
    ASSERT_TRUE(FDm.IniciaDataModule(pasta, "conf.json"));
    FCat = std::make_unique<TCatalogo>(FDm);
    FCat->DefineModoTeste(false);
  }
  void Sql(const QStringList& comandos) {
    for (const QString& c : comandos) FDm.Exec(c);
  }
  // One association of model 1 and system 10 with the given groups.
  void Associacao(qint64 adap, qint64 gf, qint64 gfg, qint64 gp, qint64 gv, qint64 gaj, qint64 gat) {
    FDm.Exec("INSERT INTO ASSOCIACAO_MODELO_SISTEMA (ID_ASSOCIACAO_MODELO_SISTEMA, ID_MODELO, ID_SISTEMA, ID_ADAP, "
             "ID_MODELO_CF, ID_MODELO_FLX, ID_GRUPO_FALHAS, ID_GRUPO_FALHAS_GEN, ID_GRUPO_PARAMETROS, "
             "ID_GRUPO_VISUALGRAPH, ID_GRUPO_AJUSTES, ID_GRUPO_ATUADORES, ANO_DE, ANO_ATE, LOCAL_CONECT) VALUES "
             "(77, 1, 10, ?, 5, 6, ?, ?, ?, ?, ?, ?, '09', '--', 'A1')",
             false, {adap, gf, gfg, gp, gv, gaj, gat});
  }
  void Falha(const QString& tabela, qint64 id, qint64 grupo, qint64 scanner, const QString& pc, qint64 titulo) {
    FDm.Exec("INSERT INTO " + tabela + " (ID_FALHA, ID_GRUPO_FALHAS, ID_SCANNER, COD_HEXA, FALHA_PC, ID_TITULO) VALUES "
             "(?, ?, ?, ?, ?, ?)",
             false, {id, grupo, scanner, pc.mid(1), pc, titulo});
  }

  TDmTovra FDm;
  std::unique_ptr<TCatalogo> FCat;
};

struct CasoAdaptador {
  const char* nome;
  qint64 idAdap;
  qint64 esperado;
  const char* programacao;
};
void PrintTo(const CasoAdaptador& c, std::ostream* os) { *os << c.nome; }

class AdaptadorTest : public CatalogoTest, public ::testing::WithParamInterface<CasoAdaptador> {};

TEST_P(AdaptadorTest, OnlyThePlainObdCableIsResolved) {
  Sql({"INSERT INTO ADAPTADORES VALUES (12, 'OBD', 'OBD.png', '06 01 10', 'MA1')",
       "INSERT INTO ADAPTADORES VALUES (3, 'FIAT 3 PINOS', 'fiat.png', '', '')",
       "INSERT INTO ADAPTADORES VALUES (8, 'CABO Y', 'y.png', '', '')",
       "INSERT INTO GRUPO_ADAPTADORES VALUES (150, 12, 8)", "INSERT INTO GRUPO_ADAPTADORES VALUES (100, 12, NULL)"});
  Associacao(GetParam().idAdap, 0, 0, 0, 0, 0, 0);
  const TAdaptadorAssociacao a = FCat->AdaptadorAssociacao(1, 10);
  EXPECT_EQ(a.id, GetParam().esperado);
  EXPECT_EQ(a.programacao, QString(GetParam().programacao));
  EXPECT_EQ(a.nome, a.id ? QString("OBD") : QString());
  EXPECT_EQ(FCat->AdaptadorAssociacao(2, 10).id, 0);  // no association
}
INSTANTIATE_TEST_SUITE_P(Casos, AdaptadorTest,
                         ::testing::Values(CasoAdaptador{"obd", 12, 12, "06 01 10"},
                                           CasoAdaptador{"grupo_de_dois", 150, 0, ""},
                                           CasoAdaptador{"grupo_so_obd", 100, 12, "06 01 10"},
                                           CasoAdaptador{"outro_cabo", 3, 0, ""}),
                         [](const auto& i) { return std::string(i.param.nome); });

TEST_F(CatalogoTest, ScriptModelsAndSystemResolution) {
  Sql({"INSERT INTO SIGLAS_SISTEMA VALUES ('IJ', 'INJEÇÃO ELETRÔNICA')",
       "INSERT INTO SISTEMAS VALUES (10, 'INJ. BOSCH', 'IJ', 'D', 1, 1)",
       "INSERT INTO GRUPO_MODELOS VALUES (4, 'GOL', 9, 1)", "INSERT INTO MODELOS VALUES (1, 'GOL 1.0', 4, 1)"});
  Associacao(12, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(FCat->ModelosScript(1, 10).modeloFlx, 6);
  EXPECT_EQ(FCat->ModelosScript(1, 10).modeloCF, 5);
  try {
    FCat->ModelosScript(2, 10);
    FAIL();
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "Modelo CF não encontrado: 10");
  }
  // System 700 needs no database at all.
  TDmTovra fechado;
  TCatalogo semBanco(fechado);
  EXPECT_EQ(semBanco.ModelosScript(99, 700).modeloFlx, 1);
  EXPECT_EQ(semBanco.ModelosScript(99, 700).modeloCF, 0);

  EXPECT_EQ(FCat->MontadoraDoModelo(1), 9);
  EXPECT_EQ(FCat->MontadoraDoModelo(2), 0);
  EXPECT_EQ(FCat->GrupoDoModelo(1), 4);
  EXPECT_EQ(FCat->SiglaDoSistema(10).titulo, "INJEÇÃO ELETRÔNICA");
  EXPECT_TRUE(FCat->SiglaDoSistema(11).id.isEmpty());
  EXPECT_TRUE(FCat->SistemaDiesel(10));
  try {
    FCat->SistemaDiesel(11);
    FAIL();
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "Sistema não encontrado: 11");
  }
}

TEST_F(CatalogoTest, GroupIdsFollowTheTwinRule) {
  Associacao(12, 100, 900, 200, 300, 400, 500);
  Falha("FALHAS", 1, 100, 1, "P0100", 1);          // fault group: table only
  Falha("FALHAS_OLD", 2, 900, 1, "P0900", 1);      // generic group: twin with a row
  Falha("FALHAS", 3, 900, 2, "P0901", 1);
  Sql({// parameter group: the twin knows it, but only with null ids -> 0 whatever the table holds
       "INSERT INTO PARAMETROS_POR_GRUPO_OLD VALUES (200, NULL, 'LST', 1)",
       "INSERT INTO PARAMETROS_POR_GRUPO VALUES (200, 5, 'LST', 1)",
       // graph group and adjustment group: empty everywhere -> 0; actuator group in the twin only
       "INSERT INTO ASSOCIACAO_GRUPO_ATUADORES_OLD VALUES (500, 7, 1, 0, 0, 1)"});
  TGruposAssociacao g;
  ASSERT_TRUE(FCat->GruposAssociacao(1, 10, g));
  EXPECT_EQ(g.associacao, 77);
  EXPECT_EQ(g.falhas, 100);
  EXPECT_EQ(g.falhasGen, 900);
  EXPECT_EQ(g.parametros, 0);
  EXPECT_EQ(g.visualGraph, 0);
  EXPECT_EQ(g.ajustes, 0);
  EXPECT_EQ(g.atuadores, 500);

  FCat->DefineModoTeste(true);
  ASSERT_TRUE(FCat->GruposAssociacao(1, 10, g));
  EXPECT_EQ(g.parametros, 200);
  EXPECT_EQ(g.visualGraph, 300);
  EXPECT_EQ(g.ajustes, 400);

  TGruposAssociacao antes;
  antes.falhas = 42;
  EXPECT_FALSE(FCat->GruposAssociacao(2, 10, antes));
  EXPECT_EQ(antes.falhas, 42);
}

TEST_F(CatalogoTest, FaultCatalogueTakesTheTwinWhenItHasRowsAndListsBothGroups) {
  Sql({"INSERT INTO TITULOS_FALHAS VALUES (1, 'Sensor de pressão \"MAP\" - circuito d''água')",
       "INSERT INTO TITULOS_FALHAS VALUES (2, 'Falha de ignição')"});
  Falha("FALHAS", 1, 100, 5, "P0300", 2);
  Falha("FALHAS", 2, 900, 6, "P0300", 2);   // the same code in the generic group
  Falha("FALHAS", 3, 100, 7, "P0105", 1);
  Falha("FALHAS", 4, 100, 8, "P0110", 99);  // no title row: not loaded
  TGruposAssociacao g;
  g.falhas = 100;
  g.falhasGen = 900;
  auto f = FCat->CarregaFalhas(g);
  ASSERT_EQ(f.size(), 3u);
  EXPECT_EQ(f[0].falhaPC, "P0105");
  EXPECT_EQ(f[0].descricao, "Sensor de pressão \"MAP\" - circuito d'água");
  EXPECT_EQ(f[1].falhaPC, "P0300");
  EXPECT_EQ(f[2].falhaPC, "P0300");
  EXPECT_EQ(f[1].scannerID, 5u);
  EXPECT_EQ(f[2].grupoID, 900);

  Falha("FALHAS_OLD", 10, 100, 50, "P0500", 1);
  f = FCat->CarregaFalhas(g);
  ASSERT_EQ(f.size(), 1u);
  EXPECT_EQ(f[0].falhaID, 10);
  FCat->DefineModoTeste(true);
  EXPECT_EQ(FCat->CarregaFalhas(g).size(), 3u);
}

TEST_F(CatalogoTest, ListAndGraphParameters) {
  Associacao(12, 0, 0, 200, 300, 0, 0);
  Sql({"INSERT INTO UNIDADES VALUES (1, '°C')",
       "INSERT INTO PARAMETROS VALUES (1, 'Temperatura do líquido', 'T. ÁGUA', 1)",
       "INSERT INTO PARAMETROS VALUES (2, 'Código VIN', 'VIN', NULL)",
       "INSERT INTO PARAMETROS VALUES (3, 'Rotação', 'RPM', NULL)",
       "INSERT INTO PARAMETROS_POR_GRUPO VALUES (200, 1, 'LST', 2)",
       "INSERT INTO PARAMETROS_POR_GRUPO VALUES (200, 2, NULL, 1)",
       "INSERT INTO PARAMETROS_POR_GRUPO VALUES (200, 3, 'VGC', 3)",
       "INSERT INTO PARAMETROS_POR_GRUPO VALUES (200, 3, 'VGA', 4)",
       "INSERT INTO PARAMETROS_POR_GRUPO VALUES (200, 77, 'LST', 5)",  // no parameter row
       "INSERT INTO VISUALGRAPH VALUES (300, 3, 0, 8000.5, 1)",
       "INSERT INTO VISUALGRAPH_OLD VALUES (300, 1, -40, 130, 1)"});
  auto p = FCat->CarregaParametros(1, 10);
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(p[0].id, 2);
  EXPECT_FALSE(p[0].temUnidade);
  EXPECT_EQ(p[1].titulo, "Temperatura do líquido");
  EXPECT_EQ(p[1].abreviacao, "T. ÁGUA");
  EXPECT_TRUE(p[1].temUnidade);
  EXPECT_EQ(p[1].unidadeTitulo, "°C");
  EXPECT_EQ(p[1].categoria, "LST");

  auto v = FCat->CarregaParametrosVG(1, 10);
  ASSERT_EQ(v.size(), 1u);  // the twin is not read for graphs
  EXPECT_EQ(v[0].id, 3);
  EXPECT_TRUE(v[0].visualGraph);
  EXPECT_EQ(v[0].categoria, "VGC");
  EXPECT_DOUBLE_EQ(v[0].limiteSuperior, 8000.5);
  // ...but the count takes the twin's graph rows.
  EXPECT_EQ(FCat->QtdParametros(1, 10), 5 + 1);  // every group row with an id, graph rows too

  Sql({"INSERT INTO PARAMETROS_POR_GRUPO_OLD VALUES (200, 3, 'LST', 1)"});
  p = FCat->CarregaParametros(1, 10);
  ASSERT_EQ(p.size(), 1u);
  EXPECT_EQ(p[0].id, 3);
  EXPECT_EQ(FCat->QtdParametros(1, 10), 1 + 1);
  FCat->DefineModoTeste(true);
  EXPECT_EQ(FCat->CarregaParametros(1, 10).size(), 2u);
}

TEST_F(CatalogoTest, ActuatorTestsAndAdjustmentsWithTheirParameters) {
  Associacao(12, 0, 0, 0, 0, 400, 500);
  Sql({"INSERT INTO UNIDADES VALUES (1, 'V')", "INSERT INTO PARAMETROS VALUES (1, 'Tensão da bateria', 'BAT', 1)",
       "INSERT INTO PARAMETROS VALUES (2, 'Rotação', 'RPM', NULL)",
       "INSERT INTO ATUADORES VALUES (7, 'Eletroventilador - 1ª velocidade', 'VENT')",
       "INSERT INTO ATUADORES VALUES (8, 'Bomba de combustível', 'BOMBA')",
       "INSERT INTO ATUADORES VALUES (9, 'Sem comando', 'X')",
       "INSERT INTO COMANDO_ATUADOR VALUES (1, 'Ligar', 'Desligar', '')",
       "INSERT INTO ASSOCIACAO_GRUPO_ATUADORES VALUES (500, 8, 2, 0, 1, 1)",
       "INSERT INTO ASSOCIACAO_GRUPO_ATUADORES VALUES (500, 7, 1, 1, 0, 1)",
       "INSERT INTO ASSOCIACAO_GRUPO_ATUADORES VALUES (500, 9, 3, 0, 0, 55)",  // no command row
       "INSERT INTO PARAMETRO_POR_ATUADOR VALUES (500, 7, 2, 2)",
       "INSERT INTO PARAMETRO_POR_ATUADOR VALUES (500, 7, 1, 1)",
       "INSERT INTO AJUSTES VALUES (3, 'Ajuste da marcha lenta', 'M. LENTA')",
       "INSERT INTO COMANDO_AJUSTE VALUES (2, 'Iniciar', 'Parar', 'Gravar')",
       "INSERT INTO ASSOCIACAO_GRUPO_AJUSTES VALUES (400, 3, 1, 1, 0, 2, 2)",
       "INSERT INTO PARAMETRO_POR_AJUSTE VALUES (400, 3, 2, 1)"});
  TGruposAssociacao g;
  ASSERT_TRUE(FCat->GruposAssociacao(1, 10, g));
  auto a = FCat->CarregaAtuadores(g);
  ASSERT_EQ(a.size(), 2u);
  EXPECT_EQ(a[0].id, 7);
  EXPECT_EQ(a[0].titulo, "Eletroventilador - 1ª velocidade");
  EXPECT_EQ(a[0].iniciaExecutando, 1);
  EXPECT_EQ(a[0].comandoOn, "Ligar");
  EXPECT_EQ(a[0].comandoOff, "Desligar");
  EXPECT_TRUE(a[0].comandoAdd.isEmpty());
  ASSERT_EQ(a[0].parametros.size(), 2u);
  EXPECT_EQ(a[0].parametros[0].titulo, "Tensão da bateria");
  EXPECT_EQ(a[0].parametros[0].unidadeTitulo, "V");
  EXPECT_EQ(a[1].esperaCmdSaida, 1);
  EXPECT_TRUE(a[1].parametros.empty());
  EXPECT_EQ(FCat->QtdAtuadores(1, 10), 3);

  auto j = FCat->CarregaAjustes(g);
  ASSERT_EQ(j.size(), 1u);
  EXPECT_EQ(j[0].entradaDados, 2);
  EXPECT_EQ(j[0].comandoAdd, "Gravar");
  EXPECT_EQ(j[0].parametros.size(), 1u);
  EXPECT_EQ(FCat->QtdAjustes(1, 10), 1);

  // The twin replaces the table for the group.
  Sql({"INSERT INTO ASSOCIACAO_GRUPO_ATUADORES_OLD VALUES (500, 8, 1, 0, 0, 1)"});
  a = FCat->CarregaAtuadores(g);
  ASSERT_EQ(a.size(), 1u);
  EXPECT_EQ(a[0].id, 8);
  EXPECT_EQ(FCat->QtdAtuadores(1, 10), 1);
}

TEST_F(CatalogoTest, TextLookUps) {
  Sql({"INSERT INTO STATUS_FALHA VALUES (1, 'Falha memorizada')",
       "INSERT INTO MSG_ADIC_FALHAS VALUES (3, 'Circuito \"aberto\"')",
       "INSERT INTO STATUS_PARAMETROS VALUES (2, 'Aberto', 'Ab.')", "INSERT INTO MSG_USUARIO VALUES (1, 'Ligue a ignição')",
       "INSERT INTO MSG_USUARIO VALUES (11, 'Não')", "INSERT INTO MSG_USUARIO VALUES (300, 'Sim')"});
  EXPECT_EQ(FCat->StatusFalha(1), "Falha memorizada");
  EXPECT_EQ(FCat->StatusFalha(2), "");
  EXPECT_EQ(FCat->MsgAdicionalFalha(3), "Circuito \"aberto\"");
  EXPECT_EQ(FCat->MsgUsuario(1), "Ligue a ignição");
  EXPECT_EQ(FCat->StatusParametro(2.0).titulo, "Aberto");
  EXPECT_EQ(FCat->StatusParametro(2.0).abreviacao, "Ab.");
  EXPECT_EQ(FCat->StatusParametro(5.0).titulo, "Status não localizado");
  EXPECT_EQ(FCat->StatusParametro(5.0).abreviacao, "n. localiz.");

  // The first button does not exist, the second does: one button with its text and code.
  auto m = FCat->MsgUsuarioBotoes(1, 99, 300, "(motor parado)");
  EXPECT_EQ(m.texto, "Ligue a ignição (motor parado)");
  EXPECT_EQ(m.btn1, "Sim");
  EXPECT_EQ(m.btn1Cod, "01 2C");
  EXPECT_FALSE(m.TemSegundoBotao());
  auto d = FCat->MsgUsuarioBotoes(1, 300, 11);
  EXPECT_EQ(d.texto, "Ligue a ignição");
  EXPECT_EQ(d.btn2Cod, "00 0B");
  EXPECT_FALSE(FCat->MsgUsuarioBotoes(1, 0, 0).TemBotao());
  EXPECT_EQ(FCat->MsgUsuarioTextos(1, 99, 300), QStringList({"Ligue a ignição", "", "Sim"}));

  // Shown: a question whose answer is the chosen button's code, or a notice.
  QString titulo, aviso, respondido;
  QStringList botoes, codigos;
  TDialogosMsgUsuario dialogos;
  dialogos.pergunta = [&](const QString& t, const QString&, const QStringList& b, const QStringList& c,
                          const std::function<void(const QString&)>& resposta) {
    titulo = t;
    botoes = b;
    codigos = c;
    resposta(c.last());
  };
  dialogos.informacao = [&](const QString& texto) { aviso = texto; };
  FCat->MostraMsgUsuario(1, 300, 11, QString(), dialogos, [&](const QString& c) { respondido = c; });
  EXPECT_EQ(titulo, "Informacao");
  EXPECT_EQ(botoes, QStringList({"Sim", "Não"}));
  EXPECT_EQ(respondido, "00 0B");
  FCat->MostraMsgUsuario(1, 0, 0, "agora", dialogos, [&](const QString&) { FAIL(); });
  EXPECT_EQ(aviso, "Ligue a ignição agora");
}

TEST_F(CatalogoTest, RequestedInformationOfAModelAndSystem) {
  Sql({"INSERT INTO INFO_SOLICITADA VALUES (2, 'Qual o tipo de câmbio?', 3, 4)",
       "INSERT INTO OPCOES_INFO_SOLICITADA VALUES (3, 'Manual')",
       "INSERT INTO OPCOES_INFO_SOLICITADA VALUES (4, 'Automático')", "INSERT INTO ASSOC_INFO_SOLICITADA VALUES (1, 525, 2)",
       "INSERT INTO ASSOC_INFO_SOLICITADA VALUES (2, 525, 2)"});
  auto i = FCat->InfoSolicitada("PT", 1, 525);
  ASSERT_EQ(i.size(), 1u);
  EXPECT_EQ(i[0].codigo, 2);
  EXPECT_EQ(i[0].texto, "Qual o tipo de câmbio?");
  EXPECT_EQ(i[0].btn2Cod, 4);
  EXPECT_EQ(i[0].btn2Texto, "Automático");
  EXPECT_TRUE(FCat->InfoSolicitada("PT", 1, 107).empty());
  // A language code is letters only; anything else falls back to the current one.
  EXPECT_EQ(FCat->InfoSolicitada("PT, 1 FROM X --", 1, 525).size(), 1u);
}

TEST_F(CatalogoTest, FaultCountAddsBothGroups) {
  Associacao(12, 100, 900, 0, 0, 0, 0);
  Falha("FALHAS", 1, 100, 1, "P0100", 1);
  Falha("FALHAS", 2, 900, 1, "P0900", 1);
  Falha("FALHAS", 3, 901, 1, "P0901", 1);
  Falha("FALHAS_OLD", 4, 100, 1, "P0100", 1);  // the fault count does not ask the twin
  EXPECT_EQ(FCat->QtdFalhas(1, 10), 2);
  EXPECT_EQ(FCat->QtdFalhas(3, 10), 0);
}

TEST(NomesCatalogo, ShortNames) {
  const std::vector<std::pair<QString, QString>> montadoras = {
      {"VOLKSWAGEN", "VW"}, {"MERCEDES BENZ", "MERCEDES"}, {"SAE GENÉRICO", "SAE G."}, {"FIAT", "FIAT"}};
  for (const auto& [n, c] : montadoras) EXPECT_EQ(TCatalogo::NomeCurtoMontadora(n), c);
  const std::vector<std::pair<QString, QString>> siglas = {{"INJEÇÃO ELETRÔNICA", "INJ"},
                                                           {"CONTROLE DE TRAÇÃO", "C. TRAÇÃO"},
                                                           {"VEÍCULO ELÉTRICO", "V. ELET"},
                                                           {"ABS", "ABS"}};
  for (const auto& [n, c] : siglas) EXPECT_EQ(TCatalogo::NomeCurtoSigla(n), c);
}

TEST(NomesCatalogo, SystemTextWithoutItsCategory) {
  struct Caso { QString sigla, sistema, esperado; };
  const std::vector<Caso> casos = {
      {"IMOBILIZADOR", "IMOBILIZADOR IMOB. DELPHI", "DELPHI"},
      {"INJEÇÃO ELETRÔNICA", "INJEÇÃO ELETRÔNICA BOSCH ME7.5", "BOSCH ME7.5"},
      {"INJEÇÃO ELETRÔNICA", "INJ.KEIHIN 37820", "KEIHIN 37820"},
      {"TRANSMISSÃO AUTOMÁTICA", "TRANSM. AISIN AW09G", "AISIN AW09G"},
      {"PAINEL", "PAINEL PNL. VDO", "VDO"},
      {"CONTROLE DE CARROCERIA", "CONTROLE DE CARROCERIA CARROCERIA BSI", "BSI"},
      {"ABS", "ABS", "ABS"},
      {"", "ABS BOSCH 8.1", "ABS BOSCH 8.1"},
      {"ABS", "ABS BOSCH 8.1", "BOSCH 8.1"},
  };
  for (const auto& c : casos) EXPECT_EQ(TCatalogo::SistemaSemSigla(c.sigla, c.sistema), c.esperado) << c.sistema.toStdString();
}

TEST(NomesCatalogo, YearRangeClassFilterSearchNameAndPicture) {
  EXPECT_EQ(TCatalogo::TextoAnos("09", "--"), " (09 >)");
  EXPECT_EQ(TCatalogo::TextoAnos("09", ""), " (09 >)");
  EXPECT_EQ(TCatalogo::TextoAnos("--", "--"), " (todos)");
  EXPECT_EQ(TCatalogo::TextoAnos("08", "12"), " (08 > 12)");
  EXPECT_EQ(TCatalogo::FiltroClasseVeiculo("icon_auto", "MT.ICONE"), " AND ((MT.ICONE = 0) OR (MT.ICONE = 3)) ");
  EXPECT_EQ(TCatalogo::FiltroClasseVeiculo("icon_diesel", "MT.ICONE"), " AND ((MT.ICONE = 1) OR (MT.ICONE = 2)) ");
  EXPECT_EQ(TCatalogo::FiltroClasseVeiculo("todos", "MT.ICONE"), "");
  const std::vector<std::pair<QString, QString>> busca = {{"MERCEDES BENZ (PESADOS)", "MERCEDES BENZ"},
                                                          {"MERCEDES (PESADOS)", "MERCEDES BENZ"},
                                                          {"IVECO PESADOS", "IVECO"},
                                                          {"SSANGYOUNG", "SSANGYONG"},
                                                          {"A&B MOTORS", "A&&B MOTORS"}};
  for (const auto& [n, c] : busca) EXPECT_EQ(TCatalogo::MontadoraParaBusca(n), c);
  const std::vector<std::pair<QString, QString>> figuras = {
      {"IJ", "motorW"}, {"VE", "motorW"}, {"AS", "absW"}, {"LV", "bodyW"}, {"ALLT", "allW"}, {"UD", "unidadeDosW"},
      {"EP", ""}, {"", ""}, {"ij", ""}};
  for (const auto& [c, f] : figuras) EXPECT_EQ(TCatalogo::FiguraSigla(c), f) << c.toStdString();
}

TEST_F(CatalogoTest, DemoCatalogueResolvesItsTwinGroups) {
  const QString pasta = Documents() + "demo/";
  CopiaCatalogoDemo(pasta);
  TDmTovra dm;
  ASSERT_TRUE(dm.IniciaDataModule(pasta, "conf.json"));
  TCatalogo c(dm);
  c.DefineModoTeste(false);
  // Model 2001 with system 102 keeps its faults in the twin: only those are loaded.
  TGruposAssociacao g;
  ASSERT_TRUE(c.GruposAssociacao(2001, 102, g));
  EXPECT_EQ(g.falhas, 102);
  auto f = c.CarregaFalhas(g);
  ASSERT_FALSE(f.empty());
  for (const auto& x : f) EXPECT_TRUE(x.descricao.contains("versão anterior")) << x.descricao.toStdString();
  EXPECT_EQ(c.AdaptadorAssociacao(2001, 102).id, 0);  // FIAT 3 PINOS
  EXPECT_EQ(c.AdaptadorAssociacao(2001, 301).id, 12);
  EXPECT_FALSE(c.InfoSolicitada("PT", 8001, 525).empty());
}

}  // namespace
}  // namespace tovra::test
