// tovra-cli connect as a person runs it, over the simulated Bluetooth adapter.
#include <QProcess>
#include <gtest/gtest.h>

#include "tests/support/testsupport.h"

namespace tovra {
namespace {

class CliConnect : public test::DocumentsFixture {
 protected:
  QString Roda(const QStringList& args, int* rc) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TOVRA_DOCUMENTS", Documents());
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(test::BinaryDir() + "/app/tovra-cli", QStringList{"connect"} + args);
    EXPECT_TRUE(p.waitForFinished(120000));
    *rc = p.exitCode();
    return QString::fromUtf8(p.readAll());
  }
};

TEST_F(CliConnect, ChoosesADeviceAndRemembersIt) {
  int rc = -1;
  const QString saida = Roda({"--sim", "--yes", "--choose", "BT-12345"}, &rc);
  EXPECT_EQ(rc, 0) << saida.toStdString();
  EXPECT_TRUE(saida.contains("connected: yes")) << saida.toStdString();
  EXPECT_TRUE(saida.contains("type=BLUETOOTH port= device=BT-12345 serial=5000001")) << saida.toStdString();
  // The next attempt goes to the remembered device without a question or a list.
  const QString depois = Roda({"--sim"}, &rc);
  EXPECT_EQ(rc, 0) << depois.toStdString();
  EXPECT_FALSE(depois.contains("TentarBluetooth")) << depois.toStdString();
  EXPECT_FALSE(depois.contains("devices:")) << depois.toStdString();
}

TEST_F(CliConnect, DecliningBluetoothEndsTheAttempt) {
  int rc = -1;
  const QString saida = Roda({"--sim"}, &rc);
  EXPECT_EQ(rc, 1);
  EXPECT_TRUE(saida.contains("connected: no")) << saida.toStdString();
  EXPECT_TRUE(saida.contains("error: Conexão cancelada")) << saida.toStdString();
  EXPECT_TRUE(saida.contains("type= port= device= serial=")) << saida.toStdString();
}

}  // namespace
}  // namespace tovra
