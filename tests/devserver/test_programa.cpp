// tovra-devserver from the command line: port 0 picks a free port and prints it.
#include <httplib.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "tests/support/testsupport.h"

namespace tovra::test {
namespace {

TEST(ProgramaDevServerTest, PortaZeroImprimeOEndereco) {
  // The build tree from the environment, else from where this test program sits
  // (build/tests/devserver/).
  QString binarios = BinaryDir();
  if (binarios.isEmpty()) binarios = QCoreApplication::applicationDirPath() + "/../..";
  const QString programa = binarios + "/devserver/tovra-devserver";
  QTemporaryDir dados, raiz;
  QProcess p;
  p.start(programa, {"--port", "0", "--root", raiz.path(), "--data", dados.path(), "--conta", "demo@oficina.com:1234"});
  ASSERT_TRUE(p.waitForStarted(10000)) << programa.toStdString();
  QByteArray saida;
  QRegularExpression re("tovra-devserver: http://127\\.0\\.0\\.1:(\\d+)/");
  QRegularExpressionMatch m;
  for (int i = 0; i < 100 && !(m = re.match(QString::fromUtf8(saida))).hasMatch(); ++i) {
    p.waitForReadyRead(200);
    saida += p.readAllStandardOutput();
  }
  ASSERT_TRUE(m.hasMatch()) << saida.toStdString();
  httplib::Client c("127.0.0.1", m.captured(1).toInt());
  auto r = c.Get("/metodo/LoginCliente/demo@oficina.com/MTIzNA==");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->body, R"({"result":["S"]})");
  p.terminate();
  ASSERT_TRUE(p.waitForFinished(10000));
  EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(p.exitCode(), 0);
  EXPECT_TRUE(QFile::exists(dados.path() + "/tovra-devserver.s3db"));
}

}  // namespace
}  // namespace tovra::test
