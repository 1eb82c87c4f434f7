#pragma once
// Serves the device model on a pseudo-terminal, so the program's real serial
// code opens the slave side as it would open /dev/ttyUSB0.
#include <QString>
#include <atomic>

#include "sim/simvexlin.h"

namespace tovra::sim {

class TClassSimPty {
 public:
  explicit TClassSimPty(TClassSimVexlin& sim) : FSim(sim) {}
  ~TClassSimPty();

  // Opens the master side and prepares the slave (raw line settings).
  bool Abre(QString& erro);
  QString CaminhoEscravo() const { return FEscravo; }
  // Runs until parar is set or the scenario closes the link. Notices the program
  // opening and closing the slave (the ready frame goes out after each open).
  void Executa(const std::atomic<bool>& parar);

 private:
  void Escreve(const QByteArray& bytes);
  TClassSimVexlin& FSim;
  int FMestre = -1;
  QString FEscravo;
};

}  // namespace tovra::sim
