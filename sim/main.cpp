// tovra-devicesim: the Vexlin's side of the protocol on a pseudo-terminal.
//
//   tovra-devicesim [--scenario FILE.json] [--link PATH] [--transcript FILE.json] [--files DIR]
//
// --files DIR: the device holds DIR's files (vehicle-system scripts) from the start.
// The first output line is the slave tty path, for example /dev/pts/3; open it as
// the serial port. --link also creates a symbolic link to it. The process runs
// until it is terminated or the scenario closes the link; it then writes the
// transcript of what it received and sent.
#include <QCoreApplication>
#include <QFile>
#include <atomic>
#include <csignal>
#include <cstdio>

#include "sim/pty.h"

namespace {
std::atomic<bool> g_parar{false};
void AoSinal(int) { g_parar.store(true); }

void Uso() {
  std::fputs("usage: tovra-devicesim [--scenario FILE.json] [--link PATH] [--transcript FILE.json] [--files DIR]\n", stderr);
}
}  // namespace

int main(int argc, char** argv) {
  using namespace tovra::sim;
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments().mid(1);
  QString cenarioArq, link, transcricao, arquivos;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    auto valor = [&]() -> QString { return i + 1 < args.size() ? args[++i] : QString(); };
    if (a == "--scenario") cenarioArq = valor();
    else if (a == "--link") link = valor();
    else if (a == "--transcript") transcricao = valor();
    else if (a == "--files") arquivos = valor();
    else if (a == "--help" || a == "-h") { Uso(); return 0; }
    else { Uso(); return 2; }
  }

  TSimCenario cenario;
  if (!cenarioArq.isEmpty()) {
    QString erro;
    auto c = LeCenarioArquivo(cenarioArq, erro);
    if (!c) {
      std::fprintf(stderr, "tovra-devicesim: %s\n", erro.toLocal8Bit().constData());
      return 2;
    }
    cenario = *c;
  }
  if (transcricao.isEmpty()) transcricao = cenario.transcricao;
  if (!arquivos.isEmpty()) cenario.dispositivo.arquivos = arquivos;

  std::signal(SIGTERM, AoSinal);
  std::signal(SIGINT, AoSinal);
  TClassSimVexlin sim(cenario);
  TClassSimPty pty(sim);
  QString erro;
  if (!pty.Abre(erro)) {
    std::fprintf(stderr, "tovra-devicesim: pseudo-terminal: %s\n", erro.toLocal8Bit().constData());
    return 1;
  }
  if (!link.isEmpty()) {
    QFile::remove(link);
    if (!QFile::link(pty.CaminhoEscravo(), link))
      std::fprintf(stderr, "tovra-devicesim: cannot create the link %s\n", link.toLocal8Bit().constData());
  }
  // The path goes out once the link exists: a reader may open either at once.
  std::printf("%s\n", pty.CaminhoEscravo().toLocal8Bit().constData());
  std::fflush(stdout);

  pty.Executa(g_parar);

  if (!link.isEmpty()) QFile::remove(link);
  if (!transcricao.isEmpty() && !sim.SalvaTranscricao(transcricao)) {
    std::fprintf(stderr, "tovra-devicesim: cannot write the transcript %s\n", transcricao.toLocal8Bit().constData());
    return 1;
  }
  return 0;
}
