#include "sim/pty.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace tovra::sim {

namespace {
constexpr int kPassoMs = 2;
constexpr int kAtrasoProntoMs = 50;   // the device needs a moment before it says it is ready
constexpr int kPausaDivisaoMs = 5;    // between the pieces of a split answer
}  // namespace

TClassSimPty::~TClassSimPty() {
  if (FMestre >= 0) ::close(FMestre);
}

bool TClassSimPty::Abre(QString& erro) {
  FMestre = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (FMestre < 0 || ::grantpt(FMestre) != 0 || ::unlockpt(FMestre) != 0) {
    erro = QString::fromUtf8(std::strerror(errno));
    return false;
  }
  const char* nome = ::ptsname(FMestre);
  if (!nome) {
    erro = QString::fromUtf8(std::strerror(errno));
    return false;
  }
  FEscravo = QString::fromLocal8Bit(nome);
  // Raw line settings on the slave, and one open and close so that the master
  // reports a hang-up until the program opens the slave.
  const int s = ::open(nome, O_RDWR | O_NOCTTY);
  if (s < 0) {
    erro = QString::fromUtf8(std::strerror(errno));
    return false;
  }
  termios t{};
  if (::tcgetattr(s, &t) == 0) {
    ::cfmakeraw(&t);
    ::tcsetattr(s, TCSANOW, &t);
  }
  ::close(s);
  ::fcntl(FMestre, F_SETFL, ::fcntl(FMestre, F_GETFL) | O_NONBLOCK);
  return true;
}

void TClassSimPty::Escreve(const QByteArray& bytes) {
  qsizetype feito = 0;
  while (feito < bytes.size()) {
    const ssize_t n = ::write(FMestre, bytes.constData() + feito, size_t(bytes.size() - feito));
    if (n > 0) {
      feito += n;
    } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
      ::usleep(1000);
    } else {
      return;
    }
  }
}

void TClassSimPty::Executa(const std::atomic<bool>& parar) {
  bool cliente = false;
  char buf[4096];
  while (!parar.load()) {
    pollfd p{FMestre, POLLIN, 0};
    const int r = ::poll(&p, 1, kPassoMs);
    if (r < 0 && errno != EINTR) break;
    if (p.revents & POLLIN) {
      const ssize_t n = ::read(FMestre, buf, sizeof buf);
      if (n > 0) FSim.Recebe(QByteArray(buf, qsizetype(n)));
    }
    const bool desligado = (p.revents & POLLHUP) != 0;
    if (desligado && !(p.revents & POLLIN)) {
      if (cliente) FSim.AoDesconectar();
      cliente = false;
      ::usleep(kPassoMs * 1000);
      continue;
    }
    if (!desligado && !cliente) {
      cliente = true;
      ::usleep(kAtrasoProntoMs * 1000);
      FSim.AoConectar();
    }
    if (cliente) FSim.Tick();
    while (FSim.TemSaida()) {
      Escreve(FSim.RetiraSaida(sizeof buf));
      if (FSim.Cenario().falhas.dividirEm > 0 && FSim.TemSaida()) ::usleep(kPausaDivisaoMs * 1000);
    }
    if (FSim.LinkFechado()) break;
  }
  ::close(FMestre);
  FMestre = -1;
}

}  // namespace tovra::sim
