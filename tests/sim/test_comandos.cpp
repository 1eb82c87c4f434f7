// The diagnostic command set against the in-process simulator: request bytes,
// failure styles, the preparation of a diagnosis, faults in every layout, live
// values, actuator and adjustment dialogues.
#include <gtest/gtest.h>

#include <functional>

#include "device/resultados.h"
#include "tests/sim/scriptfixture.h"

using namespace tovra;
using namespace tovra::test;

namespace {

class Comandos : public ScriptSim {
 protected:
  void SetUp() override {
    ScriptSim::SetUp();
    PreparaComScript();
  }
};

struct CasoPedido {
  const char* nome;
  std::function<void(TClass_Vexlin&)> chamada;
  const char* enviado;  // opcode + data of the last frame sent
};

TEST_F(Comandos, BytesDoPedidoDeCadaComando) {
  vexlin->ProgramarModeloFLX(300);
  EXPECT_EQ(Enviados(0).last(), "11 01 2C");
  EXPECT_EQ(vexlin->ModeloFLX(), "01 2C");
  const std::vector<CasoPedido> casos = {
      {"ConfiguraPID", [](auto& v) { v.ConfiguraPID(5); }, "30 01 2C 00 05 01"},
      {"RespondeEntradaDados tipo 1", [](auto& v) { v.RespondeEntradaDados("123", 1); }, "56 01 2C 03 01 02 03"},
      {"RespondeEntradaDados hex", [](auto& v) { v.RespondeEntradaDados("7A", 1); }, "56 01 2C 02 07 0A"},
      {"RespondeEntradaDados tipo 2", [](auto& v) { v.RespondeEntradaDados(QString(QChar(12)), 2); }, "56 01 2C 01 12"},
      {"RespondeEntradaDados tipo 2, 7 e 42",
       [](auto& v) { v.RespondeEntradaDados(QString(QChar(7)) + QChar(42), 2); }, "56 01 2C 02 07 42"},
      {"CarregarFLX", [](auto& v) { v.CarregarFLX(512); }, "B3 00 02 30 30 35 31 32 2E 66 6C 78 00"},
      {"ProgramarAdaptador", [](auto& v) { v.ProgramarAdaptador("06 01 10 0E 07 01"); }, "61 01 10 0E 07 01"},
      {"ConfiguraAtuador", [](auto& v) { v.ConfiguraAtuador(7); }, "20 01 2C 00 07"},
      {"PassoAjuste", [](auto& v) { v.PassoAjuste(9); }, "2E 01 2C 00 09"},
      {"RespondeInfoAdicional", [](auto& v) { v.RespondeInfoAdicional("50", Word16(2)); }, "50 01 2C 00 02"},
      {"SolicitaFalhas", [](auto& v) { v.SolicitaFalhas(); }, "13 01 2C"},
      {"RequestSetInfoLastSystem", [](auto& v) { v.RequestSetInfoLastSystem(1, "Ré"); }, "64 01 52 E9 00"},
      {"RequestSetInfoLastSystemEnd", [](auto& v) { v.RequestSetInfoLastSystemEnd(1001, 101, true); },
       "64 06 03 E9 00 65 01"},
      {"RequestSetInfoDtc", [](auto& v) { v.RequestSetInfoDtc(2, 1, "P0100", "Ar", "1"); },
       "64 07 02 01 50 30 31 30 30 00 41 72 00 31 00"},
      {"RequestStartLogV4", [](auto& v) { v.RequestStartLogV4(1, 101, false, 12, "06 01 10 0E 07 01"); },
       "62 00 01 00 65 00 0C 01"},
      {"RequestCheckZINTRA", [](auto& v) { v.RequestCheckZINTRA(300, 512, true); }, "66 00 01 2C 02 00 01"},
      {"RequestCheckZINTRA curto", [](auto& v) { v.RequestCheckZINTRA(300, 512); }, "66 00 01 2C 02 00"},
      {"GravaDataHora", [](auto& v) { v.GravaDataHora("261211134500"); }, "77 26 12 11 13 45 00"},
      {"ReadCRC", [](auto& v) { v.ReadCRC("00512.flx"); }, "B2 00 00 30 30 35 31 32 2E 66 6C 78 00"},
  };
  for (const auto& c : casos) {
    const int n = Qtd();
    c.chamada(*vexlin);
    QStringList e = Enviados(n);
    e.removeAll("55 00");  // the acknowledgement of a loaded script
    ASSERT_FALSE(e.isEmpty()) << c.nome;
    EXPECT_EQ(e.first(), c.enviado) << c.nome;
  }
}

TEST_F(Comandos, TextoForaDoConjuntoDoEquipamentoNaoESeEnvia) {
  vexlin->ProgramarModeloFLX(300);
  const int n = Qtd();
  EXPECT_FALSE(vexlin->RequestSetInfoLastSystem(1, QString::fromUtf8("Škoda 漢")));
  EXPECT_FALSE(vexlin->RequestSetInfoDtc(1, 1, "P0100", QString::fromUtf8("→"), "1"));
  EXPECT_EQ(vexlin->ReadCRC(QString::fromUtf8("漢.flx")), 0u);
  EXPECT_THROW(vexlin->RespondeEntradaDados("12G", 1), EVexlin);   // not a hex digit
  EXPECT_THROW(vexlin->RespondeEntradaDados("d", 2), EVexlin);     // code 100: no two decimal digits
  EXPECT_EQ(Qtd(), n);
}

// Every row's failure style with a device that never answers.
struct CasoFalha {
  const char* nome;
  std::function<void(TClass_Vexlin&)> chamada;
  const char* excecao;  // nullptr: must not raise
};

TEST_F(Comandos, SemRespostaCadaComandoFalhaDoSeuJeito) {
  sim::TSimCenario c;
  c.falhas.silencio = true;
  Prepara(c);
  auto& v = *vexlin;
  v.Relogio = [t = qint64(0)]() mutable { return t += 100; };
  v.DefineModeloFLX("01 2C");
  const std::vector<CasoFalha> casos = {
      {"ProgramarAdaptador", [](auto& v) { v.ProgramarAdaptador("060110 0E0701"); }, "Programação adaptador não respondida."},
      {"ProgramarModeloFLX", [](auto& v) { v.ProgramarModeloFLX(300); }, "Programação modelo cf não respondida."},
      {"InicioComunicacao", [](auto& v) { v.InicioComunicacao(); }, "inicio de comunicação não respondida."},
      {"SelecionaTodosPids", [](auto& v) { v.SelecionaTodosPids(); }, "Falha ao configurar parametros"},
      {"RespondeEntradaDados", [](auto& v) { v.RespondeEntradaDados("1", 1); }, "Falha na entrada de dados"},
      {"ConfiguraAtuador", [](auto& v) { v.ConfiguraAtuador(7); }, "Falha ao configurar atuador: 7"},
      {"IncAtuador", [](auto& v) { v.IncAtuador(7); }, "Falha ao incrementar atuador: 7"},
      {"FinalizaAtuador", [](auto& v) { v.FinalizaAtuador(7); }, "Falha ao finalizar atuador: 7"},
      {"PassoAtuador", [](auto& v) { v.PassoAtuador(7); }, "Falha no passo atuador: 7"},
      {"ConfiguraAjuste", [](auto& v) { v.ConfiguraAjuste(9); }, "Falha ao configurar ajuste: 9"},
      {"IncAjuste", [](auto& v) { v.IncAjuste(9); }, "Falha ao incrementar ajuste: 9"},
      {"FinalizaAjuste", [](auto& v) { v.FinalizaAjuste(9); }, "Falha ao finalizar ajuste: 9"},
      {"PassoAjuste", [](auto& v) { v.PassoAjuste(9); }, "Falha no passo ajuste: 9"},
      {"GravaDataHora", [](auto& v) { v.GravaDataHora("261211134500"); }, "Falha ao salvar data/hora: 261211134500"},
      {"SolicitaFalhas", [](auto& v) { v.SolicitaFalhas(); }, nullptr},
      {"ApagaFalhas", [](auto& v) { v.ApagaFalhas(); }, nullptr},
      {"GetUCE", [](auto& v) { v.GetUCE(); }, nullptr},
      {"ConfiguraPID", [](auto& v) { v.ConfiguraPID(5); }, nullptr},
      {"ComandoIniciaContinuo", [](auto& v) { v.ComandoIniciaContinuo(); }, nullptr},
      {"DecAtuador", [](auto& v) { v.DecAtuador(7); }, nullptr},
      {"DecAjuste", [](auto& v) { v.DecAjuste(9); }, nullptr},
      {"RespondeInfoAdicional", [](auto& v) { v.RespondeInfoAdicional("50", "00 01"); }, nullptr},
  };
  for (const auto& k : casos) {
    if (k.excecao) {
      try {
        k.chamada(v);
        ADD_FAILURE() << k.nome << " did not raise";
      } catch (const EVexlin& e) {
        EXPECT_EQ(e.Texto(), QString::fromUtf8(k.excecao)) << k.nome;
      }
    } else {
      EXPECT_NO_THROW(k.chamada(v)) << k.nome;
    }
  }
  // answers false
  EXPECT_FALSE(v.LimpaPIDS());
  EXPECT_FALSE(v.IniciaAtuador(7));
  EXPECT_FALSE(v.IniciaAjuste(9));
  v.DefineEmContinuo(true);
  EXPECT_FALSE(v.ComandoFinalizaContinuo());
  EXPECT_FALSE(v.EmContinuo());  // cleared even without an acknowledgement
  v.DefineEmAtuador(true);
  EXPECT_THROW(v.FinalizaAtuador(7), EVexlin);
  EXPECT_FALSE(v.EmAtuador());  // cleared before sending
  EXPECT_FALSE(v.CarregarFLX(512));
  EXPECT_EQ(v.NrSerie(), 0u);
  EXPECT_EQ(v.QtdDiagnosticos(), 0u);
  EXPECT_EQ(v.GetVersaoFLX(), QString());
  EXPECT_EQ(v.TipoEquipamento(), 0);
  EXPECT_EQ(v.VersaoFirmware(), QString());
  EXPECT_EQ(v.UUID(), QString());
  EXPECT_EQ(v.ReadCRC("00512.flx"), 0u);
  EXPECT_EQ(v.RequestFileSize("LSYSLOAD.INF"), 0);
  EXPECT_FALSE(v.RequestFileBytes("LSYSLOAD.INF"));
  EXPECT_FALSE(v.RequestZINTRAType(1));
}

TEST_F(Comandos, PreparacaoEstadoDoProtocoloEIdentificacaoDaUnidade) {
  Diagnostico();
  // the script load was acknowledged with 55 00 and the available list arrived
  EXPECT_TRUE(Enviados(0).contains("55 00"));
  EXPECT_TRUE(eventos.filter("ParamDisp:").size() == 1) << eventos.join("|").toStdString();
  EXPECT_TRUE(eventos.contains("ProtocoloAtivo"));
  vexlin->GetUCE();
  ASSERT_TRUE(eventos.contains("CodigoUCELido:UCE INJ 512 SW1")) << eventos.join("|").toStdString();
  const int n = Qtd();
  eventos.clear();
  vexlin->GetUCE();  // known: nothing sent, raised at once
  EXPECT_EQ(Qtd(), n);
  EXPECT_EQ(eventos, QStringList{"CodigoUCELido:UCE INJ 512 SW1"});
  EXPECT_EQ(vexlin->GetVersaoFLX(), "FLX 00512 v1");
}

TEST_F(Comandos, SemScriptACargaFalhaComOsFrames5A) {
  simv().Dispositivo().arquivos.clear();
  vexlin->IniciaNovoDiagnostico();
  EXPECT_FALSE(vexlin->CarregarFLX(512));
  Ate([&] { return eventos.contains("FalhaCarga"); });
  EXPECT_EQ(vexlin->Qtd5ARecebidos(), 2);
  EXPECT_TRUE(eventos.contains("FalhaCarga"));
  vexlin->ProgramarModeloFLX(300);
  vexlin->InicioComunicacao();
  EXPECT_TRUE(Ate([&] { return vexlin->ProtocoloAtivo() == TTypeStatusProtocolo::protInativo; }));
}

struct CasoLayout {
  const char* layout;
  QStringList esperado;  // "code|status|message" per fault
};

TEST_F(Comandos, CadaLayoutDeFrameDeFalhas) {
  const std::vector<CasoLayout> casos = {
      {"16", {"01 00|01|00", "45 61|00|00"}},
      {"17", {"01 00|01|00 00", "45 61|00|00 00"}},
      {"32", {"C8|10|00", "C9|00|00"}},  // scanner ids 200 and 201 on page 0, status in the high nibble
      {"34", {"01 00||", "45 61||"}},
      {"36", {"48||", "C9||"}},  // page 1 (ids 128..255): 200 and 201 less 128, top bit set when present
  };
  for (const auto& c : casos) {
    sim::TSimCenario cen;
    cen.dispositivo.layoutFalhas = c.layout;
    PreparaComScript(cen);
    Diagnostico();
    QStringList vistas;
    bool fim = false;
    vexlin->Event_DadosFalhasRecebidos = [&](quint8 op, const HexaString& d) {
      EXPECT_EQ(IntToHexa(op, 2), c.layout);
      for (const auto& x : DecodificaFalhas(op, d)) vistas << x.falhaHexa + "|" + x.status + "|" + x.msgAdicionalID;
    };
    vexlin->Event_FalhaRecebida = [&] { fim = true; };
    vexlin->SolicitaFalhas();
    EXPECT_TRUE(Ate([&] { return fim; })) << c.layout;
    EXPECT_TRUE(vexlin->FalhaRespondida()) << c.layout;
    EXPECT_EQ(vistas, c.esperado) << c.layout;
    // cleared: the next request reports none
    bool apagadas = false;
    vexlin->Event_FalhasApagadas = [&] { apagadas = true; };
    vexlin->ApagaFalhas();
    EXPECT_TRUE(Ate([&] { return apagadas; }));
    vistas.clear();
    fim = false;
    vexlin->SolicitaFalhas();
    EXPECT_TRUE(Ate([&] { return fim; }));
    EXPECT_TRUE(vistas.isEmpty()) << c.layout << vistas.join(",").toStdString();
  }
}

TEST_F(Comandos, ValoresAoVivoNumerosETextoEmPedacos) {
  Diagnostico();
  EXPECT_TRUE(vexlin->ComandoFinalizaContinuo());
  EXPECT_TRUE(vexlin->LimpaPIDS());
  for (int id : {1001, 1005, 1012}) vexlin->ConfiguraPID(id);
  QList<TRegistroPid> registros;
  vexlin->Event_DadosPidsRecebidos = [&](const HexaString& d) {
    EXPECT_EQ(SubBytes(d, 0, 1), "01 2C");
    registros << DecodificaPids(d);
  };
  vexlin->ComandoIniciaContinuo();
  EXPECT_TRUE(vexlin->EmContinuo());
  ASSERT_TRUE(Ate([&] { return registros.size() >= 8; }));
  EXPECT_TRUE(vexlin->ComandoFinalizaContinuo());
  EXPECT_FALSE(vexlin->EmContinuo());
  QString texto;
  bool numeros = false;
  for (const auto& r : registros) {
    if (r.id == 1001) {
      EXPECT_EQ(r.formato, 0x81);
      EXPECT_NEAR(ValorNumerico(r.valor), 850.0, 850.0 * 0.03);
      numeros = true;
    } else if (r.id == 1005) {
      EXPECT_NEAR(ValorNumerico(r.valor), 13.9, 13.9 * 0.03);
    } else if (r.id == 1012 && texto.size() < 17) {
      EXPECT_EQ(r.formato, 0x6F);
      const bool mais = ByteEm(r.valor, 3) == "FF";
      texto += ToTexto(mais ? SubBytes(r.valor, 0, 2) : r.valor);
    }
  }
  EXPECT_TRUE(numeros);
  EXPECT_EQ(texto, "9BWAB45U0ET123456");
}

TEST_F(Comandos, DialogoDoAtuador) {
  Diagnostico();
  EXPECT_TRUE(vexlin->LimpaPIDS());
  vexlin->ConfiguraAtuador(7);
  EXPECT_TRUE(vexlin->EmAtuador());
  eventos.clear();
  EXPECT_TRUE(vexlin->IniciaAtuador(7));
  vexlin->IncAtuador(7);
  vexlin->PassoAtuador(7);
  Ate([&] { return eventos.filter("Msg:").size() == 1; });
  vexlin->FinalizaAtuador(7);
  EXPECT_FALSE(vexlin->EmAtuador());
  Ate([&] { return eventos.contains("StopKeepAlive"); });
  for (const char* e : {"StartKeepAlive", "StatusUsuario:101", "StatusSinalizacao:102", "StatusUsuario:103",
                        "Msg:104,1,0,PASSO 1", "StopKeepAlive"})
    EXPECT_TRUE(eventos.contains(e)) << e << " in " << eventos.join("|").toStdString();
  // the device acknowledged-back frames 0x4F was acknowledged by the program
  EXPECT_TRUE(Enviados(0).contains("55 4F"));
}

TEST_F(Comandos, DialogoDoAjusteComPerguntaEntradaEFim) {
  Diagnostico();
  vexlin->ConfiguraAjuste(9);
  EXPECT_TRUE(vexlin->EmAjuste());
  eventos.clear();
  EXPECT_TRUE(vexlin->IniciaAjuste(9));
  ASSERT_TRUE(Ate([&] { return eventos.contains("Msg:201,1,2,"); })) << eventos.join("|").toStdString();
  EXPECT_EQ(vexlin->UltimaMensagem(), "01 2C 00 C9 00 01 00 02");
  vexlin->RespondeInfoAdicional("50", Word16(1));
  EXPECT_TRUE(vexlin->UltimaMensagem().isEmpty());
  ASSERT_TRUE(Ate([&] { return eventos.contains("EntradaDados:202,4"); })) << eventos.join("|").toStdString();
  EXPECT_TRUE(eventos.contains("FechaMsg"));
  vexlin->RespondeEntradaDados("1234", 1);
  ASSERT_TRUE(Ate([&] { return eventos.contains("AtuadorAjusteFinalizado"); })) << eventos.join("|").toStdString();
  EXPECT_TRUE(eventos.contains("MsgTemp:203,3"));
  EXPECT_FALSE(vexlin->EmAjuste());
  EXPECT_TRUE(Enviados(0).contains("55 45"));  // the end of the adjustment acknowledged
  vexlin->PassoAjuste(9);
  EXPECT_TRUE(Ate([&] { return eventos.contains("Msg:204,1,2,AJUSTE 1"); }));
}

TEST_F(Comandos, TesteDesconhecidoDoScriptERecusado) {
  Diagnostico();
  RelogioRapido();
  EXPECT_THROW(vexlin->ConfiguraAtuador(99), EVexlin);
  EXPECT_FALSE(vexlin->EmAtuador());
  EXPECT_TRUE(eventos.contains("AtuadorAjusteInvalido"));
}

}  // namespace

namespace {

TEST_F(Comandos, CadaComandoEAceitoPeloSimulador) {
  Diagnostico();
  struct Caso {
    const char* nome;
    std::function<bool(TClass_Vexlin&)> chamada;
  };
  auto vale = [](auto f) { return [f](TClass_Vexlin& v) { f(v); return true; }; };
  const std::vector<Caso> casos = {
      {"ProgramarAdaptador", vale([](auto& v) { v.ProgramarAdaptador("06 01 10 0E 07 01"); })},
      {"SelecionaTodosPids", vale([](auto& v) { v.SelecionaTodosPids(); })},
      {"LimpaPIDS", [](auto& v) { return v.LimpaPIDS(); }},
      {"ConfiguraAtuador", vale([](auto& v) { v.ConfiguraAtuador(7); })},
      {"IniciaAtuador", [](auto& v) { return v.IniciaAtuador(7); }},
      {"IncAtuador", vale([](auto& v) { v.IncAtuador(7); })},
      {"DecAtuador", vale([](auto& v) { v.DecAtuador(7); })},
      {"PassoAtuador", vale([](auto& v) { v.PassoAtuador(7); })},
      {"FinalizaAtuador", vale([](auto& v) { v.FinalizaAtuador(7); })},
      {"ConfiguraAjuste", vale([](auto& v) { v.ConfiguraAjuste(9); })},
      {"IniciaAjuste", [](auto& v) { return v.IniciaAjuste(9); }},
      {"IncAjuste", vale([](auto& v) { v.IncAjuste(9); })},
      {"DecAjuste", vale([](auto& v) { v.DecAjuste(9); })},
      {"PassoAjuste", vale([](auto& v) { v.PassoAjuste(9); })},
      {"FinalizaAjuste", vale([](auto& v) { v.FinalizaAjuste(9); })},
      {"ComandoIniciaContinuo", [](auto& v) { v.ComandoIniciaContinuo(); return v.EmContinuo(); }},
      {"ComandoFinalizaContinuo", [](auto& v) { return v.ComandoFinalizaContinuo(); }},
      {"DiagnosticoAtivo", [](auto& v) { return v.DiagnosticoAtivo(); }},
      {"ConexaoAtiva", [](auto& v) { return v.ConexaoAtiva(); }},
      {"RequestSetInfoDtc", [](auto& v) { return v.RequestSetInfoDtc(1, 1, "P0100", "Sensor", "Presente"); }},
  };
  RelogioRapido();  // a command the simulator ignored would fail at once, not slowly
  for (const auto& c : casos) {
    bool ok = false;
    EXPECT_NO_THROW(ok = c.chamada(*vexlin)) << c.nome;
    EXPECT_TRUE(ok) << c.nome;
  }
  EXPECT_FALSE(eventos.contains("PerdaComunicacao")) << eventos.join("|").toStdString();
}

}  // namespace
