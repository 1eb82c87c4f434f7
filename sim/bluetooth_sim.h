#pragma once
// The simulated Bluetooth backend: an adapter with paired and discoverable
// devices (names, addresses, service lists), pairing that succeeds, is refused or
// never ends, and RFCOMM sockets whose far end is the device simulator's model.
// No threads and no real time: a discovery ends when the test says so
// (ConcluiDescoberta), or after its time-out on the event loop when
// DescobertaAutomatica is set (the demo and the command line).
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

#include "device/bluetooth_backend.h"
#include "sim/simvexlin.h"

namespace tovra::sim {

enum class TSimPareamento { Aceita, Recusa, SemResposta };

struct TSimDispositivoBT {
  QString Nome;
  QString Endereco;
  QStringList Servicos;       // service names, in the order the device lists them
  bool Pareado = false;
  bool Visivel = true;        // found by a discovery
  TSimPareamento Pareamento = TSimPareamento::Aceita;
  int PassosAtePareado = 1;   // pairing state queries before it reports paired
  int LeiturasServicosVazias = 0;  // service reads that answer an empty list first
  bool FalhaLeituraServicos = false;
  bool FalhaCriarSocket = false;
  int PassosAteConectar = 0;  // connected-state queries before the socket is up; -1 never
  // The far end of its socket; none: the socket connects but nothing answers.
  std::shared_ptr<TClassSimVexlin> Modelo;
};

class TClassBluetoothSim : public IBluetoothBackend {
 public:
  TClassBluetoothSim() = default;
  ~TClassBluetoothSim() override;

  // A demo adapter: BT-12345 paired, BT-67890 discoverable (pairs on request),
  // a headset and a lower-case bt-00001, each Vexlin with a simulated device.
  static std::unique_ptr<TClassBluetoothSim> Demo();

  TSimDispositivoBT& Adiciona(TSimDispositivoBT d);
  TSimDispositivoBT* Dispositivo(const QString& nome);

  bool Ligado = true;
  bool DescobertaAutomatica = false;

  // Ends a pending discovery now (raises the end notification).
  void ConcluiDescoberta();
  bool DescobertaPendente() const { return bool(FFim); }
  int UltimoTimeoutDescoberta() const { return FUltimoTimeout; }
  int Descobertas = 0;
  int PedidosPareamento = 0;
  int LeiturasServicos = 0;
  // Connected-state queries the sockets answered while still connecting.
  int ConsultasConexao() const { return FEstado->consultas; }
  // Every socket send fails from now on (a link that broke while in use).
  void DefineFalhaEnvio(bool falha) { FEstado->falhaEnvio = falha; }
  // Every socket receive fails (throws) from now on.
  void DefineFalhaLeitura(bool falha) { FEstado->falhaLeitura = falha; }

  struct TEstadoSockets {
    int consultas = 0;
    bool falhaEnvio = false;
    bool falhaLeitura = false;
  };

  // IBluetoothBackend
  bool AdaptadorLigado() override { return Ligado; }
  TListaDispositivosBT Pareados() override;
  void IniciaDescoberta(int _TimeoutMs, std::function<void(const TListaDispositivosBT&)> _Fim) override;
  void IniciaPareamento(const TBluetoothDispositivo& _Disp) override;
  TEstadoPareamento EstadoPareamento(const TBluetoothDispositivo& _Disp) override;
  QList<TBluetoothServico> Servicos(const TBluetoothDispositivo& _Disp) override;
  std::unique_ptr<ISocketRfcomm> CriaSocket(const TBluetoothDispositivo& _Disp,
                                            const TBluetoothServico& _Servico) override;

 private:
  QList<TSimDispositivoBT> FDispositivos;
  std::function<void(const TListaDispositivosBT&)> FFim;
  int FUltimoTimeout = 0;
  int FGeracao = 0;  // a later discovery voids the automatic end of an earlier one
  QHash<QString, int> FPassosPareamento;
  std::shared_ptr<TEstadoSockets> FEstado = std::make_shared<TEstadoSockets>();
  std::shared_ptr<bool> FVivo = std::make_shared<bool>(true);
};

// Makes every Bluetooth link created from now on without a backend use the demo
// adapter (TClassBluetoothSim::Demo, discoveries ending after their time-out).
void InstalaAdaptadorSimulado();

// The UUID of the serial-port profile, given to every simulated service.
inline constexpr const char* kUuidSerialPort = "{00001101-0000-1000-8000-00805f9b34fb}";

}  // namespace tovra::sim
