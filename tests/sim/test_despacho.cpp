// The dispatcher of frames the device sends on its own: events, acknowledgements
// and state changes, row by row.
#include <gtest/gtest.h>

#include <QDir>

#include "common/debug.h"
#include "tests/sim/simfixture.h"

using namespace tovra;
using namespace tovra::test;

namespace {

class Despacho : public MotorSim {
 protected:
  void SetUp() override {
    MotorSim::SetUp();
    Prepara();
    ASSERT_TRUE(vexlin->AguardaCC());
    eventos.clear();
  }
};

TEST_F(Despacho, CadaLinhaDaTabela) {
  struct Caso {
    const char* chega;    // opcode + data
    QStringList esperado; // events raised
    const char* ack;      // acknowledgement sent back, or empty
  } casos[] = {
      {"00", {}, ""},
      {"CC", {}, ""},
      {"14 00 00 41 42 00 43", {"CodigoUCELido:AB"}, ""},
      {"15 00 00 41 42", {"CodigoUCELido:AB"}, ""},
      {"16 01 02", {"DadosFalhas:16"}, ""},
      {"36 01 02", {"DadosFalhas:36"}, ""},
      {"35 0A 0B", {"Pids:0A 0B"}, ""},
      {"37", {"FalhaRecebida"}, ""},
      {"38", {"FalhasApagadas"}, ""},
      {"39", {"FimPids"}, ""},
      {"3D", {"ProtocoloInativoGen"}, ""},
      {"3E", {"FuncaoIndisp"}, ""},
      {"40", {"ProtocoloAtivo"}, ""},
      {"41", {"ProtocoloInativo"}, ""},
      {"43", {"AtuadorAjusteFinalizado"}, "02 55 43 FF 66"},
      {"45 01", {"AtuadorAjusteFinalizado"}, "02 55 45 FF 64"},
      {"46 00 00 00 00 01 02", {"StatusUsuario:258"}, ""},
      {"4A 00", {"StopKeepAlive"}, ""},
      {"4A 01", {"StartKeepAlive"}, ""},
      {"4A 02", {}, ""},
      {"4F 00 00 01 02", {"StatusSinalizacao:258"}, "02 55 4F FF 5A"},
      {"50", {}, "02 55 50 FF 59"},
      {"51", {}, "02 55 51 FF 58"},
      {"52 00 00 00 07 00 08 00 09", {"Msg:7,8,9,"}, "02 55 52 FF 57"},
      {"53 00 00 00 05 00 0A", {"MsgTemp:5,10"}, "02 55 53 FF 56"},
      {"54", {"FechaMsg"}, "02 55 54 FF 55"},
      {"55 62", {"EndLogV4"}, ""},
      {"55 65", {"EndAutoSearch"}, ""},
      {"55 80", {}, ""},
      {"56 00 00 00 0C 04", {"EntradaDados:12,4"}, "02 55 56 FF 53"},
      {"57 00 00 00 01 00 02 00 03 48 49 00 4A", {"Msg:1,2,3,HI"}, ""},
      {"58 00 00 00 01 00 02 00 03 48 49", {"Msg:1,2,3,HI"}, ""},
      {"F4", {"AtuadorAjusteInvalido"}, ""},
      {"FC", {"AtuadorAjusteInvalido"}, ""},
      {"FD", {}, ""},
      {"FF", {}, ""},
      {"66 02 00 0A 03", {}, ""},
      {"E7 01", {"PerdaComunicacao"}, ""},
  };
  for (const auto& c : casos) {
    eventos.clear();
    const int antes = simv().FramesRecebidos.size();
    vexlin->LimpaListaFrames();
    Chega(c.chega);
    EXPECT_EQ(eventos, c.esperado) << c.chega;
    const QStringList acks = Recebidos(antes);
    if (*c.ack)
      EXPECT_EQ(acks, QStringList{c.ack}) << c.chega;
    else
      EXPECT_TRUE(acks.isEmpty()) << c.chega << " sent " << acks.join(" | ").toStdString();
    EXPECT_FALSE(vexlin->LendoFrames()) << c.chega << ": every frame leaves the list";
  }
}

TEST_F(Despacho, EstadoMudaMesmoSemEvento) {
  vexlin->Event_ProtocoloAtivo = nullptr;
  vexlin->Event_ProtocoloInativo = nullptr;
  vexlin->Event_CodigoUCELido = nullptr;
  vexlin->Event_AtuadorAjusteFinalizado = nullptr;
  Chega("40");
  EXPECT_EQ(vexlin->ProtocoloAtivo(), TTypeStatusProtocolo::protAtivo);
  Chega("41");
  EXPECT_EQ(vexlin->ProtocoloAtivo(), TTypeStatusProtocolo::protInativo);
  Chega("14 00 00 31 32 00");
  EXPECT_EQ(vexlin->DadosUCE(), "31 32");
  vexlin->DefineEmAtuador(true);
  vexlin->DefineEmAjuste(true);
  Chega("43");
  EXPECT_FALSE(vexlin->EmAtuador());
  EXPECT_FALSE(vexlin->EmAjuste());
  vexlin->LimpaListaFrames();
  EXPECT_EQ(vexlin->ProtocoloAtivo(), TTypeStatusProtocolo::protNone);
  EXPECT_EQ(vexlin->DadosUCE(), "");
}

TEST_F(Despacho, MensagemRepetidaSoUmaVezAteFechar) {
  const char* msg = "52 00 00 00 07 00 08 00 09";
  Chega(msg);
  Chega(msg);
  EXPECT_EQ(eventos, QStringList{"Msg:7,8,9,"});
  EXPECT_EQ(Recebidos().filter("55 52").size(), 2);  // acknowledged both times
  Chega("54");
  Chega(msg);
  EXPECT_EQ(eventos, (QStringList{"Msg:7,8,9,", "FechaMsg", "Msg:7,8,9,"}));
}

TEST_F(Despacho, FalhasDuranteContinuoSaoDescartadas) {
  vexlin->DefineEmContinuo(true);
  Chega("16 01 02");
  EXPECT_TRUE(eventos.isEmpty());
  EXPECT_FALSE(vexlin->FalhaRespondida());
  vexlin->DefineEmContinuo(false);
  Chega("16 01 02");
  EXPECT_EQ(eventos, QStringList{"DadosFalhas:16"});
  EXPECT_EQ(ultimoDado, "01 02");
  EXPECT_TRUE(vexlin->FalhaRespondida());
}

TEST_F(Despacho, SegundoCincoAReportaFalhaDeCarga) {
  vexlin->IniciaNovoDiagnostico();
  Chega("5A");
  EXPECT_TRUE(eventos.isEmpty());
  Chega("5A");
  EXPECT_EQ(eventos, QStringList{"FalhaCarga"});
  EXPECT_EQ(vexlin->Qtd5ARecebidos(), 2);
  vexlin->IniciaNovoDiagnostico();
  Chega("5A");
  EXPECT_EQ(eventos, QStringList{"FalhaCarga"});
}

TEST_F(Despacho, OpcodeDesconhecidoReportadoUmaVezEDescartado) {
  TDebug::DefineAtivo(true);
  // Unknown frame followed by a message in the same chunk: the message still gets through.
  QByteArray chunk = MontaFrameBytes(0xE7, ToBytes("01")) + MontaFrameBytes(0x37, {});
  vexlin->RecebeBytes(chunk);
  EXPECT_EQ(eventos, (QStringList{"PerdaComunicacao", "FalhaRecebida"}));
  EXPECT_FALSE(vexlin->LendoFrames());
  // Reported once: one dump, labelled with the system id, holding the line.
  const QStringList dumps = QDir(Pastas::Logs()).entryList({"*_Erro_00000.dbg"});
  ASSERT_EQ(dumps.size(), 1);
  const QString texto = QString::fromUtf8(ReadAll(Pastas::Logs() + dumps[0]));
  EXPECT_EQ(texto.count(QString::fromUtf8("TrataFrameEspecial - Comando não aguardado - 02 E7 01")), 1);
}

TEST_F(Despacho, AckTardioNaoDescartaOFrameSeguinte) {
  vexlin->LimpaAckComando();
  QByteArray chunk = MontaFrameBytes(0x55, ToBytes("62")) + MontaFrameBytes(0x52, ToBytes("00 00 00 07 00 08 00 09")) +
                     MontaFrameBytes(0x55, ToBytes("65")) + MontaFrameBytes(0x40, {});
  vexlin->RecebeBytes(chunk);
  EXPECT_EQ(eventos, (QStringList{"EndLogV4", "Msg:7,8,9,", "EndAutoSearch", "ProtocoloAtivo"}));
  EXPECT_TRUE(vexlin->AckComandoRecebido());
  EXPECT_EQ(Recebidos().filter("55 52").size(), 1);
}

TEST_F(Despacho, EventoQueFalhaEhReportadoESeguePara0Proximo) {
  vexlin->Event_FalhaRecebida = [] { throw std::runtime_error("falha no cliente"); };
  vexlin->RecebeBytes(MontaFrameBytes(0x37, {}) + MontaFrameBytes(0x38, {}));
  EXPECT_EQ(eventos, (QStringList{"PerdaComunicacao", "FalhasApagadas"}));
  EXPECT_FALSE(vexlin->LendoFrames());
}

}  // namespace

namespace {

TEST_F(Despacho, LinhasDeLogEEventoDosBytesRecebidos) {
  TDebug::DefineAtivo(true);
  QStringList recebidos;
  vexlin->Event_BytesRecebidos = [&](const HexaString& h) { recebidos << h; };
  const QByteArray pid = MontaFrameBytes(0x35, ToBytes("01 02 03"));
  const QByteArray fim = MontaFrameBytes(0x55, ToBytes("32"));
  struct Caso {
    bool continuo;
    QByteArray chunk;
    QString linha;
  } casos[] = {{false, pid, "< " + FromBytes(pid)},
               {true, pid, "< 04 35"},
               {true, pid + fim, "< " + FromBytes(pid + fim)}};
  for (const auto& c : casos) {
    recebidos.clear();
    vexlin->DefineEmContinuo(c.continuo);
    vexlin->RecebeBytes(c.chunk);
    const QStringList linhas = TDebug::Linhas().filter(": < ");
    ASSERT_FALSE(linhas.isEmpty());
    EXPECT_TRUE(linhas.back().endsWith(": " + c.linha)) << linhas.back().toStdString();
    EXPECT_EQ(recebidos, QStringList{"< " + FromBytes(c.chunk)});
  }
}

}  // namespace
