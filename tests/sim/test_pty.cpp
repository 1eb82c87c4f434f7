// End to end: the device object on the real serial link, talking to the
// tovra-devicesim process over a pseudo-terminal.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include "common/pastas.h"
#include "common/debug.h"
#include "device/crc.h"
#include "device/vexlin.h"
#include "tests/support/testsupport.h"

using namespace tovra;

namespace {

class SimuladorPty : public test::DocumentsFixture {
 protected:
  // Starts the simulator with a scenario; answers the path of its link to the slave tty.
  QString Inicia(const QByteArray& cenario) {
    const QString arq = Documents() + "cenario.json";
    WriteAll(arq, cenario);
    transcricao = Documents() + "transcricao.json";
    // The serial port's lock file is named after the port's last path element:
    // the name must be unique among everything running on this machine.
    static int n = 0;
    const QString link = Documents() + QString("ttyVEXLIN_%1_%2").arg(QCoreApplication::applicationPid()).arg(++n);
    // TOVRA_BINARY_DIR may be missing from the test environment: the test program
    // sits in <build>/tests/sim.
    QString raiz = test::BinaryDir();
    if (raiz.isEmpty()) raiz = QCoreApplication::applicationDirPath() + "/../..";
    programa = raiz + "/sim/tovra-devicesim";
    proc.start(programa,
               {"--scenario", arq, "--transcript", transcricao, "--link", link});
    if (!proc.waitForStarted(10000)) return {};
    QElapsedTimer t;
    t.start();
    while (!proc.canReadLine() && t.elapsed() < 10000) proc.waitForReadyRead(200);
    const QString tty = QString::fromLocal8Bit(proc.readLine()).trimmed();
    return tty.startsWith("/dev/") ? link : QString();
  }
  void Encerra() {
    if (proc.state() != QProcess::NotRunning) {
      proc.terminate();
      proc.waitForFinished(10000);
    }
  }
  void TearDown() override {
    Encerra();
    DocumentsFixture::TearDown();
  }
  QString Diagnostico() { return programa + ": " + proc.errorString() + " " + QString::fromLocal8Bit(proc.readAllStandardError()); }
  QProcess proc;
  QString transcricao;
  QString programa;
};

TEST_F(SimuladorPty, SondaMensagemEResetPelaPortaSerial) {
  const QString porta = Inicia(R"({"reacoes": [{"comando": "80", "enviar": ["52 00 00 00 07 00 08 00 09"], "vezes": 1}]})");
  ASSERT_FALSE(porta.isEmpty()) << Diagnostico().toStdString();
  {
    TClass_Vexlin vexlin(Pastas::Logs());
    QStringList mensagens;
    vexlin.Event_MostraMsgUsuario = [&](int t, int, int, const QString&) { mensagens << QString::number(t); };
    TDebug::DefineAtivo(true);
    ASSERT_TRUE(vexlin.LocalizarVexlinNaUSB(porta)) << TDebug::Linhas().join("\n").toStdString();  // ready frame, then 55 80
    EXPECT_EQ(vexlin.PortaConectada(), porta);
    // The message sent after the probe's answer is read, acknowledged and raised.
    QElapsedTimer t;
    t.start();
    QString erro;
    while (mensagens.isEmpty() && t.elapsed() < 10000) vexlin.FazerLeitura(erro);
    EXPECT_EQ(mensagens, QStringList{"7"});
    EXPECT_TRUE(vexlin.ConexaoAtiva());
    EXPECT_TRUE(vexlin.Reset());
  }  // destroying the device object hard-resets the device and closes the port
  Encerra();
  const QString tr = QString::fromUtf8(ReadAll(transcricao));
  for (const char* f : {"01 80 FF 7F", "02 55 52 FF 57", "01 74 FF 8B", "01 76 FF 89", "01 CC FF 33"})
    EXPECT_TRUE(tr.contains(f)) << f << "\n" << tr.toStdString();
}

TEST_F(SimuladorPty, LinkFechadoNoMeioDoComandoTerminaAEspera) {
  const QString porta = Inicia(R"({"falhas": {"fecharNoComando": "74"}})");
  ASSERT_FALSE(porta.isEmpty()) << Diagnostico().toStdString();
  TClass_Vexlin vexlin(Pastas::Logs());
  ASSERT_TRUE(vexlin.LocalizarVexlinNaUSB(porta));
  QElapsedTimer t;
  t.start();
  QString erro;
  EXPECT_FALSE(vexlin.EnviaAguarda("74", "", "55 74", 8000, erro));
  EXPECT_LT(t.elapsed(), 7000);
  EXPECT_EQ(erro, QString::fromUtf8("Não conectado"));
  EXPECT_FALSE(vexlin.Conectado());
}

}  // namespace

namespace {

TEST_F(SimuladorPty, ProbeDaLinhaDeComando) {
  const QString porta = Inicia("{}");
  ASSERT_FALSE(porta.isEmpty()) << Diagnostico().toStdString();
  QString raiz = test::BinaryDir();
  if (raiz.isEmpty()) raiz = QCoreApplication::applicationDirPath() + "/../..";
  QProcess cli;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("TOVRA_DOCUMENTS", Documents());
  cli.setProcessEnvironment(env);
  cli.start(raiz + "/app/tovra-cli", {"probe", "--port", porta});
  ASSERT_TRUE(cli.waitForFinished(30000));
  const QString saida = QString::fromUtf8(cli.readAllStandardOutput());
  EXPECT_EQ(cli.exitCode(), 0) << saida.toStdString() << cli.readAllStandardError().toStdString();
  EXPECT_TRUE(saida.contains("ready: 01 CC FF 33")) << saida.toStdString();
  EXPECT_TRUE(saida.contains("probe: 02 55 80 FF 29")) << saida.toStdString();

  cli.start(raiz + "/app/tovra-cli", {"probe", "--port", Documents() + "ttyNADA"});
  ASSERT_TRUE(cli.waitForFinished(30000));
  EXPECT_EQ(cli.exitCode(), 1);
  EXPECT_TRUE(QString::fromUtf8(cli.readAllStandardError()).contains("no such port"));
}

}  // namespace

namespace {

QByteArray Script200K() {
  QByteArray b;
  b.reserve(200 * 1024);
  for (int i = 0; b.size() < 200 * 1024; ++i) b += QByteArray::number(i * 2654435761u) + (i % 13 ? ' ' : '\n');
  b.truncate(200 * 1024);
  return b;
}

TEST_F(SimuladorPty, Envio200KBConfirmadoPeloCrc) {
  const QString porta = Inicia("{}");
  ASSERT_FALSE(porta.isEmpty()) << Diagnostico().toStdString();
  const QByteArray conteudo = Script200K();
  const QString origem = Documents() + "00512.flx";
  WriteAll(origem, conteudo);
  TClass_Vexlin vexlin(Pastas::Logs());
  ASSERT_TRUE(vexlin.LocalizarVexlinNaUSB(porta));
  int progresso = 0;
  vexlin.Event_StatusTemp = [&](const QString&, quint16) { ++progresso; };
  ASSERT_TRUE(vexlin.GravaArquivo(origem, "00512.flx"));
  EXPECT_EQ(progresso, 400 / 10 + 1);  // 400 packets of 512 bytes: every tenth, then the closing notice
  EXPECT_EQ(vexlin.ReadCRC("00512.FLX"), CalcCRC64Bytes(conteudo.constData(), conteudo.size()));
  EXPECT_TRUE(vexlin.ConexaoAtiva());
}

TEST_F(SimuladorPty, SimuladorSomeNoMeioDoEnvio) {
  const QString porta = Inicia("{}");
  ASSERT_FALSE(porta.isEmpty()) << Diagnostico().toStdString();
  const QString origem = Documents() + "00513.flx";
  WriteAll(origem, Script200K());
  TClass_Vexlin vexlin(Pastas::Logs());
  ASSERT_TRUE(vexlin.LocalizarVexlinNaUSB(porta));
  int progresso = 0;
  vexlin.Event_StatusTemp = [&](const QString&, quint16) {
    if (++progresso == 10) {  // a quarter of the way: the device goes away
      proc.kill();
      proc.waitForFinished(5000);
    }
  };
  QElapsedTimer t;
  t.start();
  EXPECT_FALSE(vexlin.GravaArquivo(origem, "00513.flx"));
  EXPECT_LT(t.elapsed(), 25000);  // the closing wait (20 s) at most, no hang
}

}  // namespace

namespace {

TEST_F(SimuladorPty, CargaDoScriptEInicioDaComunicacao) {
  const QString porta = Inicia("{}");
  ASSERT_FALSE(porta.isEmpty()) << Diagnostico().toStdString();
  const QString origem = Documents() + "00512.flx";
  WriteAll(origem, R"({"formato": "tovra-flx-json", "sistemaID": 512, "modelos": [{"modeloFlx": 300}],
                       "parametros": [{"id": 1001, "formato": "81", "valor": "00 80 54 44"}]})");
  TClass_Vexlin vexlin(Pastas::Logs());
  ASSERT_TRUE(vexlin.LocalizarVexlinNaUSB(porta));
  ASSERT_TRUE(vexlin.GravaArquivo(origem, "00512.flx"));
  TDebug::DefineAtivo(true);
  vexlin.IniciaNovoDiagnostico();
  ASSERT_TRUE(vexlin.Reset());
  ASSERT_TRUE(vexlin.CarregarFLX(512)) << TDebug::Linhas().join("\n").toStdString();
  vexlin.ProgramarModeloFLX(300);
  vexlin.InicioComunicacao();
  QElapsedTimer t;
  t.start();
  QString erro;
  while (vexlin.ProtocoloAtivo() == TTypeStatusProtocolo::protNone && t.elapsed() < 10000) vexlin.FazerLeitura(erro);
  EXPECT_EQ(vexlin.ProtocoloAtivo(), TTypeStatusProtocolo::protAtivo);
}

}  // namespace

namespace {

TEST_F(SimuladorPty, DiagnosticoPelaLinhaDeComando) {
  QDir().mkpath(Documents() + "flx");
  WriteAll(Documents() + "flx/00512.flx",
           R"({"formato": "tovra-flx-json", "sistemaID": 512, "modelos": [{"modeloFlx": 300}],
               "falhas": [{"scannerID": 200, "codHexa": "100", "presente": true, "status": 1}],
               "parametros": [{"id": 1001, "formato": "81", "valor": "00 80 54 44"}]})");
  const QString porta = Inicia(QString(R"({"dispositivo": {"arquivos": "%1flx"}})").arg(Documents()).toUtf8());
  ASSERT_FALSE(porta.isEmpty()) << Diagnostico().toStdString();
  QString raiz = test::BinaryDir();
  if (raiz.isEmpty()) raiz = QCoreApplication::applicationDirPath() + "/../..";
  auto roda = [&](QStringList args, QString& saida) {
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TOVRA_DOCUMENTS", Documents());
    cli.setProcessEnvironment(env);
    args << "--port" << porta;
    cli.start(raiz + "/app/tovra-cli", args);
    EXPECT_TRUE(cli.waitForFinished(60000));
    saida = QString::fromUtf8(cli.readAllStandardOutput());
    return cli.exitCode();
  };
  const QStringList prep = {"--system", "512", "--model", "300", "--adapter", "06 01 10 0E 07 01"};
  QString s;
  EXPECT_EQ(roda({"info"}, s), 0);
  EXPECT_TRUE(s.contains("model:         Quadrel2 (5)")) << s.toStdString();
  EXPECT_TRUE(s.contains("diagnoses:     41")) << s.toStdString();
  EXPECT_EQ(roda(QStringList{"faults"} + prep, s), 0);
  EXPECT_TRUE(s.contains("faults: 1\n16  code 01 00  status 01  message 00")) << s.toStdString();
  EXPECT_EQ(roda(QStringList{"live"} + prep + QStringList{"--pids", "1001", "--seconds", "1"}, s), 0);
  const QStringList linhas = s.split('\n', Qt::SkipEmptyParts);
  ASSERT_GE(linhas.size(), 3) << s.toStdString();
  EXPECT_EQ(linhas[0], "t_ms,1001");
  const double v = linhas[1].section(',', 1).toDouble();
  EXPECT_NEAR(v, 850.0, 30.0) << s.toStdString();
  EXPECT_EQ(roda(QStringList{"clear"} + prep, s), 0);
  EXPECT_EQ(roda(QStringList{"faults"} + prep, s), 0);
  EXPECT_TRUE(s.startsWith("faults: 0")) << s.toStdString();

  const QByteArray bytes = "conteudo de teste\n";
  WriteAll(Documents() + "t.txt", bytes);
  EXPECT_EQ(roda({"upload", Documents() + "t.txt", "--as", "T.TXT"}, s), 0);
  EXPECT_EQ(roda({"crc", "T.TXT"}, s), 0);
  EXPECT_EQ(s.trimmed(), QString::number(CalcCRC64Bytes(bytes.constData(), bytes.size())));
  EXPECT_EQ(roda({"read", "T.TXT"}, s), 0);
  EXPECT_EQ(s.toUtf8(), bytes);
  EXPECT_EQ(roda({"upload", Documents() + "t.txt", "--as", "NOMELONGO9.TXT"}, s), 1);
}

}  // namespace
