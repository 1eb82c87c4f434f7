// tovra-devserver: the stand-in for the maker's file server and web services.
//
//   tovra-devserver [--port N] [--root FOLDER] [--db FILE | --data FOLDER] [--conta EMAIL:SENHA]...
//
// --port 0 picks a free port. The address is printed on standard output as
// "tovra-devserver: http://127.0.0.1:<port>/" once the server accepts requests;
// point the program at it with TOVRA_URL_BASE=<that address>. Ends on SIGINT/SIGTERM.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pthread.h>
#include <string>
#include <vector>

#include <QDir>

#include "devserver/devserver.h"

namespace {

void Uso() {
  std::fprintf(stderr,
               "uso: tovra-devserver [--port N] [--root PASTA] [--db ARQUIVO | --data PASTA] [--conta EMAIL:SENHA]...\n"
               "  --port   porta em 127.0.0.1 (padrão 8765; 0 escolhe uma livre)\n"
               "  --root   pasta servida como servidor de arquivos (files/, homolog/, files/exe/)\n"
               "  --db     banco SQLite do estado (padrão tovra-devserver.s3db)\n"
               "  --data   pasta do estado (o banco fica em PASTA/tovra-devserver.s3db)\n"
               "  --conta  cria (ou atualiza a senha de) uma conta Brevanta pronta para login\n");
}

}  // namespace

int main(int argc, char** argv) {
  int porta = 8765;
  QString raiz;
  QString banco = "tovra-devserver.s3db";
  std::vector<std::string> contas;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto valor = [&]() -> std::string {
      if (i + 1 >= argc) {
        Uso();
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--port") {
      try {
        porta = std::stoi(valor());
      } catch (...) {
        Uso();
        return 2;
      }
    } else if (a == "--root") {
      raiz = QString::fromLocal8Bit(valor().c_str());
    } else if (a == "--db") {
      banco = QString::fromLocal8Bit(valor().c_str());
    } else if (a == "--data") {
      // A data folder: the state lives in it.
      QString pasta = QString::fromLocal8Bit(valor().c_str());
      QDir().mkpath(pasta);
      banco = pasta + "/tovra-devserver.s3db";
    } else if (a == "--conta") {
      contas.push_back(valor());
    } else if (a == "--help" || a == "-h") {
      Uso();
      return 0;
    } else {
      Uso();
      return 2;
    }
  }
  if (porta < 0 || porta > 65535) {
    Uso();
    return 2;
  }

  // The signals are taken by sigwait below, not by the server threads.
  sigset_t sinais;
  sigemptyset(&sinais);
  sigaddset(&sinais, SIGINT);
  sigaddset(&sinais, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &sinais, nullptr);

  try {
    tovra::devserver::TDevServer servidor(raiz, banco);
    for (const std::string& c : contas) {
      auto p = c.find(':');
      if (p == std::string::npos || p == 0) {
        std::fprintf(stderr, "tovra-devserver: --conta espera EMAIL:SENHA\n");
        return 2;
      }
      int id = servidor.CriaConta(c.substr(0, p), c.substr(p + 1));
      std::fprintf(stderr, "tovra-devserver: conta %s (empresa %d)\n", c.substr(0, p).c_str(), id);
    }
    if (!servidor.Inicia(porta)) {
      std::fprintf(stderr, "tovra-devserver: não foi possível escutar em 127.0.0.1:%d\n", porta);
      return 1;
    }
    std::printf("tovra-devserver: %s\n", servidor.UrlBase().toUtf8().constData());
    std::fflush(stdout);
    int sinal = 0;
    sigwait(&sinais, &sinal);
    servidor.Para();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tovra-devserver: %s\n", e.what());
    return 1;
  }
  return 0;
}
