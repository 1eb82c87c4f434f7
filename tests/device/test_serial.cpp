// The serial link on a pseudo-terminal, port naming and the link base.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <cstdlib>

#include "device/conexao.h"
#include "device/serial.h"
#include "tests/support/testsupport.h"

using namespace tovra;

namespace {

TEST(PortaSerial, CaminhoECompatibilidade) {
  EXPECT_EQ(CaminhoDaPorta("ttyUSB0"), "/dev/ttyUSB0");
  EXPECT_EQ(CaminhoDaPorta("/dev/ttyACM1"), "/dev/ttyACM1");
  EXPECT_EQ(CaminhoDaPorta("/tmp/vexlin"), "/tmp/vexlin");
  struct Caso {
    const char* caminho;
    const char* driver;
    const char* subsystem;
    bool ok;
  } casos[] = {
      {"/dev/ttyUSB0", "", "", true},       {"/dev/ttyACM3", "", "", true},
      {"/dev/rfcomm0", "", "", true},       {"/dev/ttyS0", "serial8250", "platform", false},
      {"/dev/ttyS4", "", "pnp", false},     {"/dev/ttyXR0", "cdc_acm", "usb", true},
      {"/dev/ttyCH0", "ch341", "usb-serial", true}, {"/dev/pts/3", "", "", false},
      {"/dev/ttyUSB", "", "", false},
  };
  for (const auto& c : casos) EXPECT_EQ(PortaCompativel(c.caminho, c.driver, c.subsystem), c.ok) << c.caminho;
}

// A pseudo-terminal whose master side the test drives directly.
class PtyDireto : public ::testing::Test {
 protected:
  void SetUp() override {
    mestre = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(mestre, 0);
    ASSERT_EQ(grantpt(mestre), 0);
    ASSERT_EQ(unlockpt(mestre), 0);
    escravo = QString::fromLocal8Bit(ptsname(mestre));
  }
  void TearDown() override {
    if (mestre >= 0) close(mestre);
  }
  int mestre = -1;
  QString escravo;
};

TEST_F(PtyDireto, LeEscreveEFecha) {
  TClass_USB usb;
  QStringList recebidos, enviados;
  int desconectados = 0;
  usb.Event_BytesRecebidos = [&](const HexaString& h) { recebidos << h; };
  usb.Event_BytesEnviados = [&](const HexaString& h) { enviados << h; };
  usb.Event_Desconectado = [&] { ++desconectados; };
  usb.Conectar(escravo);
  ASSERT_TRUE(usb.Conectado());
  EXPECT_EQ(usb.PortaConectada(), escravo);

  QString erro = "x";
  EXPECT_FALSE(usb.LerFrame(erro));
  EXPECT_EQ(erro, "");
  EXPECT_TRUE(recebidos.isEmpty());

  ASSERT_EQ(write(mestre, "\x02\x55", 2), 2);
  QElapsedTimer t;
  t.start();
  while (recebidos.isEmpty() && t.elapsed() < 10000) usb.LerFrame(erro);
  EXPECT_EQ(recebidos, QStringList{"02 55"});

  usb.EnviaFrame("01 80 FF 7F");
  EXPECT_EQ(enviados, QStringList{"01 80 FF 7F"});
  char buf[16];
  QByteArray lido;
  t.restart();
  while (lido.size() < 4 && t.elapsed() < 10000) {
    const ssize_t n = read(mestre, buf, sizeof buf);
    if (n > 0) lido.append(buf, n);
  }
  EXPECT_EQ(FromBytes(lido), "01 80 FF 7F");

  usb.Desconectar();
  EXPECT_FALSE(usb.Conectado());
  EXPECT_EQ(desconectados, 1);
  EXPECT_THROW(usb.EnviaFrame("01 80 FF 7F"), EVexlin);
}

TEST_F(PtyDireto, PortaInexistenteNaoConecta) {
  TClass_USB usb;
  usb.Conectar("/dev/ttyUSB_nao_existe");
  EXPECT_FALSE(usb.Conectado());
  EXPECT_EQ(usb.UltimaFalhaAbertura(), TTipoFalhaAbertura::NaoExiste);
}

TEST_F(PtyDireto, ConexaoEncaminhaEReportaNaoConectado) {
  TClass_Conexao c;
  EXPECT_EQ(c.TipoConexao(), TTypeConexao::tcBluetooth);
  QString erro;
  c.LerFrame(erro);
  EXPECT_EQ(erro, QString::fromUtf8("Não conectado"));
  try {
    c.EnviaFrame("01 80 FF 7F");
    ADD_FAILURE() << "no exception";
  } catch (const EVexlin& e) {
    EXPECT_EQ(e.Texto(), QString::fromUtf8("Não conectado"));
  }
  try {
    c.Conectar("BT-VEXLIN", TTypeConexao::tcBluetooth);
    ADD_FAILURE() << "no exception";
  } catch (const EVexlin& e) {
    EXPECT_EQ(e.Texto(), QString::fromUtf8("Dispositivo não encontrado: BT-VEXLIN"));
  }

  QStringList recebidos;
  c.Event_BytesRecebidos = [&](const HexaString& h) { recebidos << h; };
  c.Conectar(escravo, TTypeConexao::tcUSB);
  ASSERT_TRUE(c.Conectado());
  EXPECT_EQ(c.NomeDispositivo(), escravo);
  EXPECT_EQ(c.MacAddress(), "");
  ASSERT_EQ(write(mestre, "\x01\x00\xFF\xFF", 4), 4);
  QElapsedTimer t;
  t.start();
  while (recebidos.isEmpty() && t.elapsed() < 10000) c.LerFrame(erro);
  EXPECT_EQ(recebidos.join(" "), "01 00 FF FF");
  EXPECT_FALSE(c.DeviceIsOnline("BT-VEXLIN"));
  EXPECT_EQ(c.TipoConexao(), TTypeConexao::tcBluetooth);  // switched by the Bluetooth check
  EXPECT_FALSE(c.Conectado());
}

}  // namespace
