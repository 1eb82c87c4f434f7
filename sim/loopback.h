#pragma once
// The in-process link to the simulator: a byte transport that takes the serial
// port's place under the device object. What the program writes is handed to the
// device model at once; each poll delivers the next chunk the model queued. No
// threads and no clocks: a test runs the same way every time.
#include "device/transporte.h"
#include "sim/simvexlin.h"

namespace tovra::sim {

class TClassLoopbackSim : public ITransporteVexlin {
 public:
  explicit TClassLoopbackSim(TClassSimVexlin& sim) : FSim(sim) {}

  void Conectar(const QString& _Value) override;
  void Desconectar() override;
  bool Conectado() const override { return FConectado; }
  QString NomeDispositivo() const override { return FNome; }
  void EnviaFrame(const HexaString& _Frame) override;
  bool LerFrame(QString& _Erro) override;
  QStringList GetPortList() override { return Portas; }

  // The port names this link answers to; an empty list accepts any name.
  QStringList Portas;
  int Leituras = 0;

 private:
  TClassSimVexlin& FSim;
  bool FConectado = false;
  QString FNome;
};

}  // namespace tovra::sim
