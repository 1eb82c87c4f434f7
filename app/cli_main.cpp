// tovra-cli: the command-line front end over the program's core classes.
#include <QCoreApplication>
#include <cstdio>
#include <exception>

#include "app/cli.h"
#include "common/debug.h"
#include "common/pastas.h"

namespace tovra::cli {

namespace {
struct Comando {
  QString ajuda;
  TCliComando fn;
};
std::map<QString, Comando>& Registro() {
  static std::map<QString, Comando> r;
  return r;
}
}  // namespace

TArgs::TArgs(QStringList args) : FTodos(std::move(args)) {
  for (qsizetype i = 0; i < FTodos.size(); ++i) {
    const QString& a = FTodos[i];
    if (a.startsWith("--")) {
      const QString nome = a.mid(2);
      const qsizetype eq = nome.indexOf('=');
      if (eq >= 0) {
        FOpcoes[nome.left(eq)] = nome.mid(eq + 1);
      } else if (i + 1 < FTodos.size() && !FTodos[i + 1].startsWith("--")) {
        FOpcoes[nome] = FTodos[++i];
      } else {
        FOpcoes[nome] = QString();
      }
    } else {
      FPosicionais << a;
    }
  }
}

QString TArgs::Opcao(const QString& nome, const QString& padrao) const {
  auto it = FOpcoes.find(nome);
  return it == FOpcoes.end() ? padrao : it->second;
}
bool TArgs::TemOpcao(const QString& nome) const { return FOpcoes.count(nome) > 0; }

TCliRegistro::TCliRegistro(const char* nome, const char* ajuda, TCliComando comando) {
  Registro()[QString::fromUtf8(nome)] = Comando{QString::fromUtf8(ajuda), std::move(comando)};
}

void Out(const QString& texto) {
  std::fputs((texto + "\n").toUtf8().constData(), stdout);
  std::fflush(stdout);
}
void Err(const QString& texto) {
  std::fputs((texto + "\n").toUtf8().constData(), stderr);
  std::fflush(stderr);
}

namespace {
int Versao(const TArgs&) {
  Out(QString("tovra-cli %1").arg(TOVRA_VERSION_TEXT));
  return 0;
}
int Folders(const TArgs&) {
  Out("base: " + Pastas::Base());
  Out("logs: " + Pastas::Logs());
  Out("files: " + Pastas::Files());
  Out("zips: " + Pastas::Zips());
  Out(QString("test mode: %1").arg(Pastas::ModoTeste() ? "yes" : "no"));
  return 0;
}
TCliRegistro rVersao{"version", "prints the program version", &Versao};
TCliRegistro rFolders{"folders", "prints the base folder and the folder tree the program uses", &Folders};

void Uso() {
  Err("usage: tovra-cli <command> [options]");
  Err("       tovra-cli --version");
  Err("commands:");
  for (const auto& [nome, c] : Registro()) Err("  " + nome.leftJustified(12) + " " + c.ajuda);
}
}  // namespace

}  // namespace tovra::cli

int main(int argc, char** argv) {
  using namespace tovra;
  using namespace tovra::cli;
  QCoreApplication app(argc, argv);
  QStringList args = app.arguments().mid(1);
  if (args.isEmpty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    Uso();
    return args.isEmpty() ? 2 : 0;
  }
  if (args[0] == "--version") args[0] = "version";
  Pastas::Inicializa();
  const QString nome = args.takeFirst();
  auto it = Registro().find(nome);
  if (it == Registro().end()) {
    Err("tovra-cli: unknown command '" + nome + "'");
    Uso();
    return 2;
  }
  try {
    return it->second.fn(TArgs(args));
  } catch (const std::exception& e) {
    Err("tovra-cli: " + QString::fromUtf8(e.what()));
    return 1;
  }
}
