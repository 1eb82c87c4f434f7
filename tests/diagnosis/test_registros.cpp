// Questions with two answers, the catalogue entry of a system with its JSON form,
// the lists of entries, and the recent-vehicle record.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "diagnosis/infoadicional.h"
#include "diagnosis/infodiagnostico.h"
#include "diagnosis/ultacessados.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace tovra {
namespace {

std::vector<std::string> Membros(const Json& j) {
  std::vector<std::string> r;
  for (auto it = j.begin(); it != j.end(); ++it) r.push_back(it.key());
  return r;
}

TEST(InfoAdicional, AnswerCodes) {
  const std::vector<std::pair<int, QString>> casos = {{1, "40"}, {2, "41"}, {3, "42"}, {4, "44"}, {5, "45"},
                                                      {6, "46"}, {7, "47"}, {8, "3E"}, {99, "43"}};
  for (const auto& [c, b] : casos) EXPECT_EQ(CodigoRespostaInfo(c), b) << c;
  for (int c : {0, 9, 98, 100, -1}) {
    try {
      CodigoRespostaInfo(c);
      ADD_FAILURE() << c;
    } catch (const std::invalid_argument& e) {
      EXPECT_STREQ(e.what(), "Código de Info inválido");
    }
  }
  TClassInfoAdicional i;
  i.FBtn1Cod = 5;
  i.FBtn2Cod = 300;
  EXPECT_EQ(i.GetBtn1CodHex(), "05");
  EXPECT_EQ(i.GetBtn2CodHex(), "12C");
}

TEST(TClassDiagnostico, CreationFillsIdAndDates) {
  const QDateTime t(QDate(2021, 3, 4), QTime(5, 6, 7));
  TClassDiagnostico d(1234, "2.1.0", 3, 9999, t);
  EXPECT_EQ(d.FDiagID, "21030405060712349999");
  EXPECT_EQ(d.FData, "04/03/2021");
  EXPECT_EQ(d.FDataSQL, "2021-03-04");
  EXPECT_EQ(d.FHora, "05:06:07");
  EXPECT_EQ(TClassDiagnostico(7, "", 0, 12, t).FDiagID, "21030405060770012");
  EXPECT_TRUE(d.FListaFalhas.IsEmpty());
}

TEST(TClassDiagnostico, JsonFormRoundTripsWithQuotesAndAccents) {
  TClassDiagnostico d(1234, "2.1.0", 3, 9999);
  d.FSistemaDesc = "INJ. \"MAGNETI\" D'ÁGUA (09 >)";
  d.FComunicou = true;
  d.FCliente = std::make_unique<TObjetoJson>();
  d.FCliente->valor = {{"nome", "Oficina São João"}};
  TClassFalhaDTB& f = d.FListaFalhas.AddNew();
  f.FFalhaPC = "P0105";
  const Json j = ParaJson(d);
  const auto m = Membros(j);
  ASSERT_EQ(m.size(), 35u);
  EXPECT_EQ(m[0], "pk_Value");
  EXPECT_EQ(m[1], "diagID");
  EXPECT_EQ(m[7], "nrSerieDiag");
  EXPECT_EQ(m[8], "sP");
  EXPECT_EQ(m[32], "dataSQL");
  EXPECT_EQ(m[34], "listaFalhas");
  EXPECT_TRUE(j["veiculo"].is_null());
  TClassDiagnostico e;
  DeJson(Json::parse(j.dump()), e);
  EXPECT_EQ(e.FSistemaDesc, d.FSistemaDesc);
  EXPECT_EQ(e.FDiagID, d.FDiagID);
  ASSERT_TRUE(e.FCliente);
  EXPECT_EQ(e.FCliente->valor["nome"], "Oficina São João");
  EXPECT_FALSE(e.FVeiculo);
  ASSERT_EQ(e.FListaFalhas.Count(), 1);
  EXPECT_EQ(e.FListaFalhas[0].FFalhaPC, "P0105");
}

TEST(TClassDiagnostico, NativeSystem) {
  QTemporaryDir dir;
  QFile f(dir.path() + "/00123.v4");
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  TClassDiagnostico d;
  d.FSistemaID = 123;
  EXPECT_TRUE(d.SistemaNativo(dir.path()));
  d.FSistemaID = 124;
  EXPECT_FALSE(d.SistemaNativo(dir.path()));
  d.FSistemaID = 700;
  EXPECT_TRUE(d.SistemaNativo(dir.path()));
}

TEST(TListaDiagnosticos, CursorCountsAndJsonForm) {
  TListaDiagnosticos l(TTipoListaDiagnostico::ldUltimosSistemas);
  EXPECT_EQ(l.Primeiro(), nullptr);
  for (int i = 0; i < 3; ++i) {
    auto d = std::make_unique<TClassDiagnostico>();
    d->FSistemaID = 100 + i;
    d->FComunicou = i != 1;
    if (i == 2) d->FAdaptadorProg = "06 01 10";
    l.Add(std::move(d));
  }
  EXPECT_EQ(l.Primeiro()->FSistemaID, 100);
  EXPECT_FALSE(l.Ultimo());
  EXPECT_EQ(l.Proximo()->FSistemaID, 101);
  EXPECT_EQ(l.Proximo()->FSistemaID, 102);
  EXPECT_TRUE(l.Ultimo());
  EXPECT_EQ(l.Proximo(), nullptr);
  EXPECT_EQ(l.Atual()->FSistemaID, 102);
  EXPECT_EQ(l.QtdSistemasOk(), 2);
  EXPECT_EQ(l.QtdSistemasComAdaptadorOBD(), 1);

  const Json j = ParaJson(l);
  EXPECT_EQ(Membros(j), (std::vector<std::string>{"ownsObjects", "listHelper", "items", "index", "tipo"}));
  EXPECT_EQ(j["index"], 2);
  EXPECT_EQ(j["tipo"], "ldUltimosSistemas");
  EXPECT_EQ(j["listHelper"][0], 3);
  TListaDiagnosticos r;
  DeJson(Json::parse(j.dump()), r);
  EXPECT_EQ(r.Count(), 3);
  EXPECT_EQ(r.FIndex, 2);
  EXPECT_EQ(r.FTipo, TTipoListaDiagnostico::ldUltimosSistemas);
  r.LimpaComunicou();
  EXPECT_EQ(r.QtdSistemasOk(), 0);
}

TEST(TClassJsonUltAcessado, ExplicitMemberNames) {
  const char* texto = R"J({"str_data":"04/03/2021","str_montadora":"VOLKSWAGEN","str_grupo_modelo":"GOL",
    "str_modelo":"GOL G5 1.0","str_sistema":"INJEÇÃO \"ME7\"","str_ano":" (08 > 12)","sistema_id":101,
    "modelo_id":1001,"categoria":1,"lista_dtc":[{"codigo":"P0105","descricao":"Sensor MAP","status":"Presente"}],
    "zintra":{"lista_pids":[{"pid":1001,"valor_min":650.5,"valor_max":900,"formatacao":129,"classificacao":2}]}})J";
  TClassJsonUltAcessado u;
  DeJson(Json::parse(texto), u);
  EXPECT_EQ(u.StrSistema, "INJEÇÃO \"ME7\"");
  EXPECT_EQ(u.SistemaId, 101);
  ASSERT_EQ(u.ListaDtc.size(), 1u);
  EXPECT_EQ(u.ListaDtc[0].Status, "Presente");
  ASSERT_EQ(u.Zintra.ListaPids.size(), 1u);
  EXPECT_DOUBLE_EQ(u.Zintra.ListaPids[0].Valor_min, 650.5);
  EXPECT_EQ(u.Zintra.ListaPids[0].Classificacao, 2);
  const Json j = ParaJson(u);
  EXPECT_EQ(Membros(j), (std::vector<std::string>{"str_data", "str_montadora", "str_grupo_modelo", "str_modelo",
                                                  "str_sistema", "str_ano", "sistema_id", "modelo_id", "categoria",
                                                  "lista_dtc", "zintra"}));
  TClassJsonUltAcessado vazio;
  EXPECT_TRUE(ParaJson(vazio)["zintra"].is_object());
}

}  // namespace
}  // namespace tovra
