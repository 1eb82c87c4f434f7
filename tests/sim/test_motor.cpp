// The command engine against the in-process simulator.
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "common/debug.h"
#include "tests/sim/simfixture.h"

using namespace tovra;
using namespace tovra::test;

namespace {

sim::TSimReacao Reacao(int comando, QStringList enviar, bool antes, int vezes = 0) {
  sim::TSimReacao r;
  r.comando = comando;
  r.enviar = std::move(enviar);
  r.antes = antes;
  r.vezes = vezes;
  return r;
}

TEST_F(MotorSim, ProntoESondagem) {
  Prepara();
  EXPECT_TRUE(vexlin->AguardaCC());
  EXPECT_EQ(vexlin->FrameConfirmado(), "01 CC FF 33");
  EXPECT_TRUE(vexlin->ConexaoAtiva());
  EXPECT_EQ(vexlin->FrameConfirmado(), "02 55 80 FF 29");
  EXPECT_TRUE(vexlin->DiagnosticoAtivo());
  EXPECT_EQ(Recebidos(), (QStringList{"01 80 FF 7F", "01 DA FF 25"}));
  EXPECT_EQ(vexlin->ComandoAguardado(), "");
}

TEST_F(MotorSim, EnviaAguardaDesconectadoNaoEnviaNada) {
  Prepara();
  vexlin->Desconectar();
  QString erro = "x";
  EXPECT_FALSE(vexlin->EnviaAguarda("80", "", "55 80", 2000, erro));
  EXPECT_EQ(erro, "");
  EXPECT_TRUE(Recebidos().isEmpty());
  EXPECT_FALSE(vexlin->EnviaComando("80", ""));
  EXPECT_FALSE(vexlin->ConexaoAtiva());
}

TEST_F(MotorSim, CasamentoEmQualquerPontoDoFrame) {
  Prepara();
  ASSERT_TRUE(vexlin->AguardaCC());
  struct Caso {
    const char* aguardado;
    bool ok;
  } casos[] = {{"55 80", true}, {"02 55", true}, {"FF 29", true}, {"80 FF 29", true}, {"55 81", false}};
  for (const auto& c : casos) {
    QString erro;
    EXPECT_EQ(vexlin->EnviaAguarda("80", "", c.aguardado, 30, erro), c.ok) << c.aguardado;
    EXPECT_EQ(erro, "");
    vexlin->LimpaListaFrames();
  }
}

TEST_F(MotorSim, RespostaJaNaListaEhAchadaSemLer) {
  Prepara();
  ASSERT_TRUE(vexlin->AguardaCC());
  // A message handler answers with an exchange of its own while the device's
  // acknowledgement is already queued behind the message.
  bool achou = false;
  int leiturasNaEspera = -1;
  vexlin->Event_MostraMsgUsuario = [&](int, int, int, const QString&) {
    const int antes = loop->Leituras;
    QString erro;
    achou = vexlin->AguardaComando("55 80", 2000, erro);
    leiturasNaEspera = loop->Leituras - antes;
  };
  vexlin->RecebeBytes(MontaFrameBytes(0x52, ToBytes("00 00 00 01 00 00 00 00")) + MontaFrameBytes(0x55, ToBytes("80")));
  EXPECT_TRUE(achou);
  EXPECT_EQ(leiturasNaEspera, 0);
  EXPECT_FALSE(vexlin->LendoFrames());
}

TEST_F(MotorSim, EsperaDoResetDescartaMensagemOutraEsperaDespacha) {
  sim::TSimCenario c;
  const QString msg = "52 00 00 00 07 00 08 00 09";
  c.reacoes << Reacao(0x74, {msg}, true) << Reacao(0x80, {msg}, true);
  Prepara(c);
  ASSERT_TRUE(vexlin->AguardaCC());

  EXPECT_TRUE(vexlin->Reset());
  EXPECT_TRUE(eventos.isEmpty());
  EXPECT_TRUE(Recebidos().filter("55 52").isEmpty());  // dropped without acknowledgement
  EXPECT_EQ(simv().Resets, 1);

  EXPECT_TRUE(vexlin->ConexaoAtiva());
  EXPECT_EQ(eventos, QStringList{"Msg:7,8,9,"});
  EXPECT_EQ(Recebidos().filter("55 52").size(), 1);
}

TEST_F(MotorSim, CincoAEncerraAEspera) {
  Prepara();
  ASSERT_TRUE(vexlin->AguardaCC());
  simv().RegistraComando(0x20, [](sim::TClassSimVexlin& s, quint8, const QByteArray&) { s.Envia(0x5A); });
  vexlin->IniciaNovoDiagnostico();
  QElapsedTimer t;
  t.start();
  QString erro;
  EXPECT_FALSE(vexlin->EnviaAguarda("20", "", "55 20", 20000, erro));
  EXPECT_LT(t.elapsed(), 10000);  // ended by the frame, not by the time-out
  EXPECT_EQ(erro, "");
  EXPECT_TRUE(eventos.isEmpty());
  EXPECT_FALSE(vexlin->EnviaAguarda("20", "", "55 20", 20000, erro));
  EXPECT_EQ(eventos, QStringList{"FalhaCarga"});
}

TEST_F(MotorSim, OpcodeDesconhecidoNaoPrendeAEspera) {
  sim::TSimCenario c;
  c.reacoes << Reacao(0x80, {"E7 01 02"}, true);
  Prepara(c);
  ASSERT_TRUE(vexlin->AguardaCC());
  EXPECT_TRUE(vexlin->ConexaoAtiva());
  EXPECT_EQ(eventos, QStringList{"PerdaComunicacao"});
  EXPECT_FALSE(vexlin->LendoFrames());
  EXPECT_TRUE(vexlin->ConexaoAtiva());
  EXPECT_EQ(eventos.size(), 2);  // once per frame received
}

TEST_F(MotorSim, SilencioTerminaNoTempoLimite) {
  sim::TSimCenario c;
  c.falhas.silencio = true;
  Prepara(c);
  EXPECT_FALSE(vexlin->AguardaCC());
  QElapsedTimer t;
  t.start();
  QString erro;
  EXPECT_FALSE(vexlin->EnviaAguarda("80", "", "55 80", 60, erro));
  EXPECT_GE(t.elapsed(), 60);
  EXPECT_LT(t.elapsed(), 5000);
  EXPECT_EQ(erro, "");
  EXPECT_EQ(vexlin->ComandoAguardado(), "55 80");  // a late answer would still land
}

TEST_F(MotorSim, RespostaAtrasadaAindaEhGuardada) {
  Prepara();
  ASSERT_TRUE(vexlin->AguardaCC());
  simv().RegistraComando(0x21, [](sim::TClassSimVexlin&, quint8, const QByteArray&) {});
  QString erro;
  EXPECT_FALSE(vexlin->EnviaAguarda("21", "", "55 21", 20, erro));
  simv().EnviaAck(0x21);
  vexlin->FazerLeitura(erro);
  EXPECT_EQ(vexlin->FrameConfirmado(), "02 55 21 FF 88");
}

TEST_F(MotorSim, FalhasDoCanalDoDispositivo) {
  struct Caso {
    const char* nome;
    int checksumACada;
    const char* lixo;
    int dividir;
  } casos[] = {{"lixo entre frames", 0, "00 00 00", 0},
               {"um byte por leitura", 0, "", 1},
               {"dois bytes por leitura e lixo", 0, "00", 2}};
  for (const auto& c : casos) {
    sim::TSimCenario cen;
    cen.falhas.checksumErradoACada = c.checksumACada;
    cen.falhas.lixoEntreFrames = c.lixo;
    cen.falhas.dividirEm = c.dividir;
    Prepara(cen);
    EXPECT_TRUE(vexlin->AguardaCC()) << c.nome;
    EXPECT_TRUE(vexlin->ConexaoAtiva()) << c.nome;
    EXPECT_TRUE(vexlin->Reset()) << c.nome;
  }
}

TEST_F(MotorSim, ChecksumErradoACadaDoisFrames) {
  sim::TSimCenario c;
  c.falhas.checksumErradoACada = 2;
  Prepara(c);
  TDebug::DefineAtivo(true);
  EXPECT_TRUE(vexlin->AguardaCC());  // frame 1 intact
  QString erro;
  EXPECT_FALSE(vexlin->EnviaAguarda("80", "", "55 80", 50, erro));  // frame 2 damaged
  // The parser dropped the damaged frame's first byte and now takes 55 as a length;
  // the caller clears the buffer after the failed exchange.
  EXPECT_EQ(vexlin->Buffer(), "55 80 FF 28");
  vexlin->LimpaListaFrames();
  EXPECT_TRUE(vexlin->EnviaAguarda("80", "", "55 80", 2000, erro)); // frame 3 intact
  EXPECT_FALSE(TDebug::Linhas().filter(QString::fromUtf8("Frame inválido: 02 55 80 FF 28")).isEmpty());
}

TEST_F(MotorSim, LinkFechadoNoMeioDoComando) {
  sim::TSimCenario c;
  c.falhas.fecharNoComando = "74";
  Prepara(c);
  ASSERT_TRUE(vexlin->AguardaCC());
  int desconectados = 0;
  vexlin->Event_Desconectado = [&] { ++desconectados; };
  QElapsedTimer t;
  t.start();
  QString erro;
  EXPECT_FALSE(vexlin->EnviaAguarda("74", "", "55 74", 8000, erro));
  EXPECT_LT(t.elapsed(), 4000);
  EXPECT_EQ(erro, QString::fromUtf8("Não conectado"));
  EXPECT_EQ(desconectados, 1);
  EXPECT_FALSE(vexlin->Conectado());
  EXPECT_FALSE(vexlin->ConexaoAtiva());
  vexlin->FazerLeitura(erro);
  EXPECT_EQ(erro, QString::fromUtf8("Não conectado"));
}

TEST_F(MotorSim, ContinuoDescartaChunksComDezFramesEsperando) {
  sim::TSimCenario c;
  c.falhas.dividirEm = 12 * 6;  // one read: the twelve 0x35 frames; the next: the rest
  Prepara(c);
  ASSERT_TRUE(vexlin->AguardaCC());
  simv().RegistraComando(0x20, [](sim::TClassSimVexlin& s, quint8, const QByteArray&) {
    for (int i = 0; i < 12; ++i) s.Envia(0x35, QByteArray(2, char(i)));
    s.EnviaTexto("52 00 00 00 07 00 08 00 09");
  });
  simv().RegistraComando(0x32, [](sim::TClassSimVexlin& s, quint8 op, const QByteArray&) { s.EnviaAck(op); });
  vexlin->DefineEmContinuo(true);

  // While the first value is handled the other eleven wait: a chunk without the
  // end-of-stream acknowledgement is dropped.
  int pids = 0;
  vexlin->Event_DadosPidsRecebidos = [&](const HexaString&) {
    if (pids++ == 0) {
      EXPECT_GE(vexlin->ListaFrames().Count(), kLimiteFramesContinuo);
      QString erro;
      vexlin->FazerLeitura(erro);
    }
  };
  ASSERT_TRUE(vexlin->EnviaComando("20", ""));
  QString erro;
  vexlin->FazerLeitura(erro);
  EXPECT_EQ(pids, 12);
  EXPECT_TRUE(eventos.isEmpty());
  EXPECT_TRUE(Recebidos().filter("55 52").isEmpty());

  // The acknowledgement of the stop command is never dropped.
  simv().RegistraComando(0x20, [](sim::TClassSimVexlin& s, quint8, const QByteArray&) {
    for (int i = 0; i < 12; ++i) s.Envia(0x35, QByteArray(2, char(i)));
  });
  pids = 0;
  bool parou = false;
  vexlin->Event_DadosPidsRecebidos = [&](const HexaString&) {
    if (pids++ == 0) {
      QString e;
      parou = vexlin->EnviaAguarda("32", "", "55 32", 2000, e);
    }
  };
  ASSERT_TRUE(vexlin->EnviaComando("20", ""));
  vexlin->FazerLeitura(erro);
  EXPECT_TRUE(parou);
  EXPECT_EQ(pids, 12);
}

TEST_F(MotorSim, ContinuoRecuperaOUltimo35) {
  Prepara();
  ASSERT_TRUE(vexlin->AguardaCC());
  simv().RegistraComando(0x20, [](sim::TClassSimVexlin& s, quint8, const QByteArray&) {
    QByteArray estragado = MontaFrameBytes(0x35, ToBytes("01 01"));
    estragado[estragado.size() - 1] = char(estragado.back() ^ 1);
    s.EnviaBrutos(estragado + MontaFrameBytes(0x35, ToBytes("02 02")) + MontaFrameBytes(0x35, ToBytes("03 03")), "teste");
  });
  vexlin->DefineEmContinuo(true);
  ASSERT_TRUE(vexlin->EnviaComando("20", ""));
  QString erro;
  vexlin->FazerLeitura(erro);
  EXPECT_EQ(eventos, QStringList{"Pids:03 03"});
  EXPECT_EQ(vexlin->Buffer(), "");
}

TEST_F(MotorSim, TempoUltComandoContaDoUltimoChunkRecebido) {
  qint64 agora = 100000;
  Prepara();
  vexlin->Relogio = [&] { return agora; };
  vexlin->ResetTempoUltimoComando();
  agora += 5500;
  ASSERT_TRUE(vexlin->EnviaComando("76", ""));  // sent, nothing received
  EXPECT_EQ(vexlin->TempoUltComando(), 5);
  QString erro;
  vexlin->FazerLeitura(erro);  // the ready frame arrives
  EXPECT_EQ(vexlin->TempoUltComando(), 0);
  agora += 2100;
  EXPECT_EQ(vexlin->TempoUltComando(), 2);
}

TEST_F(MotorSim, EstadoLimpoNoResetENaConexao) {
  Prepara();
  ASSERT_TRUE(vexlin->AguardaCC());
  vexlin->DefineEmContinuo(true);
  vexlin->DefineEmAtuador(true);
  vexlin->DefineModeloFLX("01 02");
  Chega("40");
  EXPECT_TRUE(vexlin->Reset());
  EXPECT_FALSE(vexlin->EmContinuo());
  EXPECT_FALSE(vexlin->EmAtuador());
  EXPECT_EQ(vexlin->ProtocoloAtivo(), TTypeStatusProtocolo::protNone);
  EXPECT_EQ(vexlin->FrameConfirmado(), "");
  EXPECT_EQ(vexlin->ModeloFLX(), "01 02");  // only a new connection forgets the model
  int conectados = 0;
  vexlin->Event_Conectado = [&] { ++conectados; };
  vexlin->TrataConectado();
  EXPECT_EQ(vexlin->ModeloFLX(), "");
  EXPECT_EQ(conectados, 1);

  vexlin->HardReset();
  EXPECT_EQ(simv().HardResets, 1);
}

TEST_F(MotorSim, AguardaAckComandoTerminaNoAckTardio) {
  sim::TSimCenario c;
  Prepara(c);
  ASSERT_TRUE(vexlin->AguardaCC());
  vexlin->LimpaAckComando();
  simv().EnviaTexto("55 62");
  EXPECT_TRUE(vexlin->AguardaAckComando());
  EXPECT_EQ(eventos, QStringList{"EndLogV4"});
}

TEST_F(MotorSim, LocalizaNasPortasDoLink) {
  Prepara();
  loop->Portas = {"/dev/ttyUSB3", "/dev/ttyACM0"};
  int conectados = 0;
  vexlin->Event_Conectado = [&] { ++conectados; };
  EXPECT_FALSE(vexlin->LocalizarVexlinNaUSB(""));
  EXPECT_FALSE(vexlin->Conectado());
  EXPECT_FALSE(vexlin->LocalizarVexlinNaUSB("/dev/ttyUSB9"));
  EXPECT_TRUE(vexlin->LocalizarVexlinNaUSB("/dev/ttyACM0"));
  EXPECT_EQ(vexlin->PortaConectada(), "/dev/ttyACM0");
  EXPECT_TRUE(vexlin->LocalizarVexlinEmTodasPortasUSB());
  EXPECT_EQ(vexlin->PortaConectada(), "/dev/ttyUSB3");
  EXPECT_TRUE(vexlin->LocalizarUSBVexlin("/dev/ttyUSB9"));  // falls back to the listed ports
  EXPECT_EQ(conectados, 3);
}

}  // namespace
