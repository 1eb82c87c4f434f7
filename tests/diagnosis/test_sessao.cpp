#include <gtest/gtest.h>

#include "common/pastas.h"
#include "device/hexa.h"
#include "diagnosis/diagvexlin.h"
#include "sim/loopback.h"
#include "sim/simvexlin.h"
#include "tests/support/testsupport.h"

namespace tovra {
namespace {

class SessaoTest : public test::DocumentsFixture {
 protected:
  void SetUp() override {
    DocumentsFixture::SetUp();
    FSim = std::make_unique<sim::TClassSimVexlin>(sim::TSimCenario{});
    auto lb = std::make_unique<sim::TClassLoopbackSim>(*FSim);
    s = std::make_unique<TClassDiagVexlin>(Pastas::Logs(), std::move(lb));
    s->Vexlin().Conectar("/dev/ttyUSB0", TTypeConexao::tcUSB);
  }
  void TearDown() override {
    s.reset();
    FSim.reset();
    DocumentsFixture::TearDown();
  }
  TClassParametro& Param(TListaParametros& l, uint32_t id, bool visivel = true, uint8_t formato = 0) {
    TClassParametro& p = l.AddNew();
    p.FID = id;
    p.FVisible = visivel;
    if (formato) p.SetFormato(formato);
    return p;
  }
  QStringList Recebidos() const {
    QStringList r;
    for (const QByteArray& f : FSim->FramesRecebidos) r << FromBytes(f);
    return r;
  }
  std::unique_ptr<sim::TClassSimVexlin> FSim;
  std::unique_ptr<TClassDiagVexlin> s;
};

TEST_F(SessaoTest, FaultFramesOfTheFiveLayouts) {
  struct Esperado { TTipoFalha tipo; const char* hexa; const char* status; const char* msg; uint32_t pagina; };
  struct Caso { quint8 op; const char* dados; std::vector<Esperado> falhas; };
  const std::vector<Caso> casos = {
      {0x16, "01 00 02 01 23 85 07", {{TTipoFalha::tfNew, "01 23", "85", "07", 0}}},
      {0x16, "00 00 02 01 23 85 07", {}},  // byte 0 = 0: no fault
      {0x17, "01 00 02 01 23 85 00 07", {{TTipoFalha::tfNewMsgAdicExt, "01 23", "85", "00 07", 0}}},
      {0x32, "00 00 00 00 01 02 10 24 03 11 25 04",
       {{TTipoFalha::tfGenerico, "10", "24", "03", 1}, {TTipoFalha::tfGenerico, "11", "25", "04", 1}}},
      {0x34, "00 00 12 34", {{TTipoFalha::tfOldReservado, "12 34", "", "", 0}}},
      {0x36, "00 00 00 00 02 03 81 02 05",
       {{TTipoFalha::tfOldConhecido, "81", "", "", 2}, {TTipoFalha::tfOldConhecido, "02", "", "", 2},
        {TTipoFalha::tfOldConhecido, "05", "", "", 2}}},
      {0x33, "01 00 02 01 23 85 07", {}},  // another opcode adds nothing
      {0x16, "01 00 09 01", {}},           // a short frame carries no whole fault
  };
  for (const Caso& c : casos) {
    s->ListaFalhas().Clear();
    s->OnDadosFalhas(c.op, c.dados);
    ASSERT_EQ(s->ListaFalhas().Count(), static_cast<int>(c.falhas.size())) << c.dados;
    for (size_t i = 0; i < c.falhas.size(); ++i) {
      const TClassFalha& f = s->ListaFalhas()[static_cast<int>(i)];
      EXPECT_EQ(f.TipoFalha(), c.falhas[i].tipo) << c.dados;
      EXPECT_EQ(f.FalhaHexa(), c.falhas[i].hexa) << c.dados;
      EXPECT_EQ(f.Status(), c.falhas[i].status) << c.dados;
      EXPECT_EQ(f.MsgAdicionalID(), c.falhas[i].msg) << c.dados;
      EXPECT_EQ(f.PaginaFalha(), c.falhas[i].pagina) << c.dados;
    }
  }
}

TEST_F(SessaoTest, LiveValues) {
  TClassParametro& a = Param(s->ParametrosSVG(), 1);
  TClassParametro& b = Param(s->ParametrosSVG(), 2);
  TClassParametro& oculto = Param(s->ParametrosSVG(), 3, false);
  // 12.5 = 41 48 00 00, sent most significant byte first, stored little-endian.
  const QString tres = "00 01 00 01 12 41 48 00 00 00 02 12 3F 80 00 00 00 03 12 40 00 00 00";
  s->OnDadosPids(tres + " 99");  // one byte more still makes three records
  EXPECT_EQ(a.Value(), "00 00 48 41");
  EXPECT_EQ(b.Value(), "00 00 80 3F");
  // A hidden parameter still learns its format (and that first value) ...
  EXPECT_EQ(oculto.Formato(), 0x12);
  EXPECT_EQ(oculto.Value(), "00 00 00 40");
  // ... and is skipped once its format is known.
  s->OnDadosPids("00 01 00 03 12 40 40 00 00");
  EXPECT_EQ(oculto.Value(), "00 00 00 40");
  // Unknown ids are ignored.
  s->OnDadosPids("00 01 00 63 12 41 48 00 00");
  // A hidden text parameter keeps assembling its text, pieces in sent order.
  TClassParametro& texto = Param(s->ParametrosSVG(), 4, false, 0x6F);
  s->OnDadosPids("00 01 00 04 6F 41 42 43 FF");
  s->OnDadosPids("00 01 00 04 6F 44 45 46 47");
  EXPECT_EQ(texto.Value(), "41 42 43 44 45 46 47");
}

TEST_F(SessaoTest, DuringAnActuatorTestOnlyItsParametersAreLookedUp) {
  TClassParametro& lista = Param(s->ParametrosSVG(), 7);
  TClassAtuadorAjuste& t = s->ListaAtuadores().AddNew();
  t.FID = 50;
  TClassParametro& doTeste = t.FListaParam.AddNew();
  doTeste.FID = 7;
  s->SetAtuador(50);
  s->Vexlin().DefineEmAtuador(true);
  s->OnDadosPids("00 01 00 07 12 41 48 00 00");
  EXPECT_EQ(doTeste.Value(), "00 00 48 41");
  EXPECT_TRUE(lista.Value().isEmpty());
  EXPECT_EQ(s->GetParam(7), &doTeste);
  s->Vexlin().DefineEmAtuador(false);
  EXPECT_EQ(s->GetParam(7), &lista);
  EXPECT_THROW(s->SetAtuador(99), std::runtime_error);
  EXPECT_EQ(s->AtuadorEmUso(), nullptr);
}

TEST_F(SessaoTest, AvailableParameters) {
  TClassParametro& p5 = Param(s->ParametrosSVG(), 5);
  TClassParametro& p6 = Param(s->ParametrosSVG(), 6);
  TClassParametro& p9 = Param(s->ParametrosSVG(), 9);
  s->OnParamDisp("07 1E 00 01 00 05 00 06 AA BB");
  EXPECT_TRUE(p5.FDisponivel);
  EXPECT_TRUE(p6.FDisponivel);
  EXPECT_FALSE(p9.FDisponivel);
  EXPECT_EQ(s->GetQtdParamDisponivel(), 2);
  s->OnParamDisp("03 1E 00 01 AA BB");  // byte 3 = 1 and no ids: none available
  EXPECT_EQ(s->GetQtdParamDisponivel(), 0);
}

}  // namespace
}  // namespace tovra
