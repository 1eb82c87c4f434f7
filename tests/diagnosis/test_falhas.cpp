// Vehicle faults: derived values, pairing with the catalogue, the list of faults found.
#include <gtest/gtest.h>

#include "diagnosis/falhas.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace tovra {
namespace {

TClassFalha Falha(TTipoFalha tipo, const QString& hexa, uint32_t pagina, const QString& status = "00",
                  const QString& adic = "00") {
  TClassFalha f;
  f.FTipoFalha = tipo;
  f.FFalhaHexa = hexa;
  f.FPaginaFalha = pagina;
  f.FStatusID = status;
  f.FMsgAdicionalID = adic;
  return f;
}

struct CasoDerivado {
  TTipoFalha tipo;
  const char* hexa;
  uint32_t pagina;
  const char* status;
  const char* adic;
  uint64_t id;
  int statusId;
  bool reservado;
  const char* pcbu;
};

TEST(TClassFalha, DerivedValues) {
  const CasoDerivado casos[] = {
      {TTipoFalha::tfOldConhecido, "85", 1, "00", "00", 133, 0, false, ""},
      {TTipoFalha::tfOldConhecido, "05", 0, "00", "00", 5, 1, false, ""},
      {TTipoFalha::tfGenerico, "01", 0, "23", "00", 1, 2, true, "P0100"},
      {TTipoFalha::tfGenerico, "01", 2, "20", "00", 513, 2, false, ""},
      {TTipoFalha::tfGenerico, "35", 0, "14", "07", 0x35, 1, false, "C3507"},
      {TTipoFalha::tfGenerico, "10", 0, "08", "01", 0x10, 0, false, "U1001"},
      {TTipoFalha::tfNew, "01 71", 1, "05", "00", 257, 5, false, ""},
      {TTipoFalha::tfNewMsgAdicExt, "C1 00", 0, "01", "02", 0xC1, 1, false, ""},
  };
  for (const auto& c : casos) {
    const TClassFalha f = Falha(c.tipo, c.hexa, c.pagina, c.status, c.adic);
    SCOPED_TRACE(c.hexa);
    EXPECT_EQ(f.ID(), c.id);
    EXPECT_EQ(f.StatusID(), c.statusId);
    EXPECT_EQ(f.CodReservado(), c.reservado);
    if (c.tipo == TTipoFalha::tfGenerico && !std::string(c.pcbu).empty()) EXPECT_EQ(f.CodPCBU(), c.pcbu);
    if (c.tipo != TTipoFalha::tfGenerico) EXPECT_TRUE(f.CodPCBU().isEmpty());
  }
  TClassFalha f = Falha(TTipoFalha::tfOldConhecido, "85", 1);
  f.SetID(9);
  EXPECT_EQ(f.ID(), 133u);  // the derived id, not the written one
  EXPECT_THROW(Falha(TTipoFalha::tfNew, "ZZ", 0).ID(), std::invalid_argument);
}

class ResolucaoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Add(100, 1, 133, "105", "P0105", "Sensor de pressão \"MAP\" - circuito");
    Add(100, 2, 1, "171", "P0171", "Mistura muito pobre (banco 1)");
    Add(900, 3, 257, "4035", "C0035", "Sensor de roda d'água");
    FTextos.statusFalha = [](int64_t id) { return id == 0 ? QString("Falha presente") : QString("Status %1").arg(id); };
    FTextos.msgAdicional = [](int64_t id) { return id == 3 ? QString("Circuito aberto") : QString(); };
    FTextos.codigoReservado = "Código reservado";
  }
  void Add(uint32_t g, uint32_t id, uint64_t scanner, const QString& hexa, const QString& pc, const QString& d) {
    TClassFalhaDTB& f = FCat.AddNew();
    f.FGrupoID = g;
    f.FFalhaID = id;
    f.FScannerID = scanner;
    f.FCodHexa = hexa;
    f.FFalhaPC = pc;
    f.FTituloID = id * 10;
    f.FDescricao = d;
  }
  TListaFalhasDTB FCat;
  TTextosFalha FTextos;
};

TEST_F(ResolucaoTest, EachKindOfFault) {
  struct Caso {
    TClassFalha falha;
    const char* codigo;
    const char* descricao;
    const char* status;
    const char* msg;
    bool achou;
  };
  const Caso casos[] = {
      {Falha(TTipoFalha::tfOldConhecido, "85", 1), "P0105", "Sensor de pressão \"MAP\" - circuito", "Falha presente", "",
       true},
      {Falha(TTipoFalha::tfOldConhecido, "07", 0), "7", "Código reservado", "", "", false},
      {Falha(TTipoFalha::tfGenerico, "01", 0, "20", "03"), "P0171", "Mistura muito pobre (banco 1)", "Status 2",
       "Circuito aberto", true},
      {Falha(TTipoFalha::tfGenerico, "01", 0, "23", "00"), "P0100", "Código reservado", "", "", false},
      {Falha(TTipoFalha::tfOldReservado, "00 85", 0), "0085", "Código reservado", "", "", false},
      {Falha(TTipoFalha::tfNew, "40 35", 0, "00", "03"), "C0035", "Sensor de roda d'água", "Falha presente",
       "Circuito aberto", true},
      {Falha(TTipoFalha::tfNewMsgAdicExt, "00 01 71", 0, "04", "00"), "P0171", "Mistura muito pobre (banco 1)",
       "Status 4", "", true},
      {Falha(TTipoFalha::tfNew, "00 09 99", 0), "999", "Código reservado", "", "", false},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.falha.FFalhaHexa.toStdString());
    const TFalhaResolvida r = ResolveFalha(c.falha, FCat, FTextos);
    EXPECT_EQ(r.codigo, QString::fromUtf8(c.codigo));
    EXPECT_EQ(r.descricao, QString::fromUtf8(c.descricao));
    EXPECT_EQ(r.status, QString::fromUtf8(c.status));
    EXPECT_EQ(r.msgAdicional, QString::fromUtf8(c.msg));
    EXPECT_EQ(r.catalogo != nullptr, c.achou);
  }
}

TEST_F(ResolucaoTest, FaultsFoundAreRecordedOncePerCodeAndDescription) {
  TListaFalhasDTB encontradas;
  const TClassFalha a = Falha(TTipoFalha::tfGenerico, "01", 0, "20", "03");
  RegistraFalhaEncontrada(encontradas, a, ResolveFalha(a, FCat, FTextos));
  RegistraFalhaEncontrada(encontradas, a, ResolveFalha(a, FCat, FTextos));
  const TClassFalha semMsg = Falha(TTipoFalha::tfGenerico, "01", 0, "20", "00");
  RegistraFalhaEncontrada(encontradas, semMsg, ResolveFalha(semMsg, FCat, FTextos));
  const TClassFalha desconhecida = Falha(TTipoFalha::tfOldConhecido, "07", 0);
  RegistraFalhaEncontrada(encontradas, desconhecida, ResolveFalha(desconhecida, FCat, FTextos));
  ASSERT_EQ(encontradas.Count(), 3);
  const TClassFalhaDTB& e = encontradas[0];
  EXPECT_EQ(e.FFalhaID, 1u);
  EXPECT_EQ(e.FCodHexa, "01");
  EXPECT_EQ(e.FGrupoID, 100u);
  EXPECT_EQ(e.FTituloID, 20u);
  EXPECT_EQ(e.FMsgAdicionalID, 3u);
  EXPECT_EQ(e.DescCompleta(), "Mistura muito pobre (banco 1) - Circuito aberto - Status 2");
  EXPECT_EQ(encontradas[2].FDescricao, "Código reservado");
  EXPECT_EQ(encontradas.GetFalhaByCodDesc("P0171", "Mistura muito pobre (banco 1)"), &encontradas[0]);
  EXPECT_EQ(encontradas.GetFalhaByDescMsgAdic("Mistura muito pobre (banco 1)"), &encontradas[1]);
}

TEST(TClassFalhaDTB, JsonMembersInFieldOrderAndBack) {
  TClassFalhaDTB f;
  f.FScannerID = 18446744073709551615ull;
  f.FDescricao = "Válvula \"EGR\" d'admissão";
  const Json j = ParaJson(f);
  std::vector<std::string> nomes;
  for (auto it = j.begin(); it != j.end(); ++it) nomes.push_back(it.key());
  EXPECT_EQ(nomes, (std::vector<std::string>{"grupoID", "falhaID", "scannerID", "codHexa", "falhaPC", "tituloID",
                                             "descricao", "msgAdicionalID", "msgAdicionalDesc", "statusID",
                                             "statusDesc", "enviadoVx"}));
  TClassFalhaDTB g;
  DeJson(Json::parse(j.dump()), g);
  EXPECT_EQ(g.FScannerID, f.FScannerID);
  EXPECT_EQ(g.FDescricao, f.FDescricao);
}

}  // namespace
}  // namespace tovra
