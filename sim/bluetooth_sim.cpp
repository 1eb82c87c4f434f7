#include "sim/bluetooth_sim.h"

#include <QTimer>
#include <stdexcept>

#include "device/serial.h"

namespace tovra::sim {

namespace {

// The socket's far end is the device model: what the program sends is handled at
// once, each receive takes what the model queued (no waiting, as the loopback).
class TSocketSim : public ISocketRfcomm {
 public:
  TSocketSim(std::shared_ptr<TClassSimVexlin> modelo, int passos,
             std::shared_ptr<TClassBluetoothSim::TEstadoSockets> estado)
      : FModelo(std::move(modelo)), FPassos(passos), FEstado(std::move(estado)) {}
  ~TSocketSim() override { Fecha(); }

  void Conecta() override { FIniciado = true; }
  bool Conectado() override {
    if (!FIniciado || FFechado) return false;
    if (!FAberto) {
      ++FEstado->consultas;
      if (FPassos < 0 || FConsultas++ < FPassos) return false;
      FAberto = true;
      if (FModelo) FModelo->AoConectar();
    }
    // the device closed its end and nothing is left to read
    if (FModelo && FModelo->LinkFechado() && !FModelo->TemSaida()) return false;
    return true;
  }
  void Envia(const QByteArray& bytes) override {
    if (FEstado->falhaEnvio) throw std::runtime_error("Connection reset by peer");
    if (!Conectado()) throw std::runtime_error("Transport endpoint is not connected");
    if (FModelo) FModelo->Recebe(bytes);
  }
  QByteArray Recebe(int) override {
    if (FEstado->falhaLeitura) throw std::runtime_error("Connection reset by peer");
    if (!FAberto || !FModelo) return {};
    return FModelo->RetiraSaida(serial::kTamanhoLeitura);
  }
  void Fecha() override {
    if (FAberto && !FFechado && FModelo) FModelo->AoDesconectar();
    FFechado = true;
  }

 private:
  std::shared_ptr<TClassSimVexlin> FModelo;
  int FPassos = 0;
  int FConsultas = 0;
  bool FIniciado = false;
  bool FAberto = false;
  bool FFechado = false;
  std::shared_ptr<TClassBluetoothSim::TEstadoSockets> FEstado;
};

TBluetoothDispositivo Info(const TSimDispositivoBT& d) { return {d.Nome, d.Endereco}; }

}  // namespace

TClassBluetoothSim::~TClassBluetoothSim() { *FVivo = false; }

std::unique_ptr<TClassBluetoothSim> TClassBluetoothSim::Demo() {
  auto bt = std::make_unique<TClassBluetoothSim>();
  TSimDispositivoBT a;
  a.Nome = "BT-12345";
  a.Endereco = "00:1A:7D:00:12:34";
  a.Servicos = {"Audio Source", "SerialPort"};
  a.Pareado = true;
  a.Modelo = std::make_shared<TClassSimVexlin>();
  bt->Adiciona(a);
  TSimDispositivoBT b;
  b.Nome = "BT-67890";
  b.Endereco = "00:1A:7D:00:67:89";
  b.Servicos = {"ScannerV4 SPP"};
  b.Modelo = std::make_shared<TClassSimVexlin>();
  bt->Adiciona(b);
  TSimDispositivoBT c;
  c.Nome = "Fone de ouvido";
  c.Endereco = "00:1A:7D:00:AA:01";
  c.Servicos = {"Headset", "Handsfree"};
  bt->Adiciona(c);
  TSimDispositivoBT d;
  d.Nome = "bt-00001";
  d.Endereco = "00:1A:7D:00:00:01";
  d.Servicos = {"SerialPort"};
  d.Modelo = std::make_shared<TClassSimVexlin>();
  bt->Adiciona(d);
  return bt;
}

void InstalaAdaptadorSimulado() {
  DefineFabricaBackendBluetooth([]() -> std::unique_ptr<IBluetoothBackend> {
    auto b = TClassBluetoothSim::Demo();
    b->DescobertaAutomatica = true;
    return b;
  });
}

TSimDispositivoBT& TClassBluetoothSim::Adiciona(TSimDispositivoBT d) {
  if (d.Endereco.isEmpty()) d.Endereco = QString("00:00:00:00:00:%1").arg(FDispositivos.size() + 1, 2, 10, QChar('0'));
  FDispositivos.append(std::move(d));
  return FDispositivos.last();
}

TSimDispositivoBT* TClassBluetoothSim::Dispositivo(const QString& nome) {
  for (auto& d : FDispositivos)
    if (d.Nome == nome) return &d;
  return nullptr;
}

TListaDispositivosBT TClassBluetoothSim::Pareados() {
  TListaDispositivosBT r;
  for (const auto& d : FDispositivos)
    if (d.Pareado) r.append(Info(d));
  return r;
}

void TClassBluetoothSim::IniciaDescoberta(int _TimeoutMs, std::function<void(const TListaDispositivosBT&)> _Fim) {
  ++Descobertas;
  FUltimoTimeout = _TimeoutMs;
  FFim = std::move(_Fim);
  const int geracao = ++FGeracao;
  if (!DescobertaAutomatica) return;
  std::weak_ptr<bool> vivo = FVivo;
  QTimer::singleShot(_TimeoutMs, [this, vivo, geracao] {
    auto v = vivo.lock();
    if (v && *v && geracao == FGeracao) ConcluiDescoberta();
  });
}

void TClassBluetoothSim::ConcluiDescoberta() {
  if (!FFim) return;
  auto fim = std::move(FFim);
  FFim = nullptr;
  TListaDispositivosBT r;
  for (const auto& d : FDispositivos)
    if (d.Visivel) r.append(Info(d));
  fim(r);
}

void TClassBluetoothSim::IniciaPareamento(const TBluetoothDispositivo& _Disp) {
  ++PedidosPareamento;
  FPassosPareamento[_Disp.Endereco] = 0;
}

TEstadoPareamento TClassBluetoothSim::EstadoPareamento(const TBluetoothDispositivo& _Disp) {
  for (auto& d : FDispositivos) {
    if (d.Endereco != _Disp.Endereco) continue;
    if (d.Pareado) return TEstadoPareamento::Pareado;
    switch (d.Pareamento) {
      case TSimPareamento::Recusa: return TEstadoPareamento::Recusado;
      case TSimPareamento::SemResposta: return TEstadoPareamento::Pendente;
      case TSimPareamento::Aceita:
        if (!FPassosPareamento.contains(d.Endereco)) return TEstadoPareamento::Pendente;
        if (++FPassosPareamento[d.Endereco] < d.PassosAtePareado) return TEstadoPareamento::Pendente;
        d.Pareado = true;
        return TEstadoPareamento::Pareado;
    }
  }
  return TEstadoPareamento::Recusado;  // the device went away
}

QList<TBluetoothServico> TClassBluetoothSim::Servicos(const TBluetoothDispositivo& _Disp) {
  ++LeiturasServicos;
  for (auto& d : FDispositivos) {
    if (d.Endereco != _Disp.Endereco) continue;
    if (d.FalhaLeituraServicos) throw std::runtime_error("Service discovery failed");
    if (d.LeiturasServicosVazias > 0) {
      --d.LeiturasServicosVazias;
      return {};
    }
    QList<TBluetoothServico> r;
    for (const QString& nome : d.Servicos) r.append({nome, kUuidSerialPort});
    return r;
  }
  throw std::runtime_error("Host is down");
}

std::unique_ptr<ISocketRfcomm> TClassBluetoothSim::CriaSocket(const TBluetoothDispositivo& _Disp,
                                                              const TBluetoothServico&) {
  for (auto& d : FDispositivos) {
    if (d.Endereco != _Disp.Endereco) continue;
    if (d.FalhaCriarSocket) throw std::runtime_error("Host is down");
    FEstado->consultas = 0;
    return std::make_unique<TSocketSim>(d.Modelo, d.PassosAteConectar, FEstado);
  }
  throw std::runtime_error("Host is down");
}

}  // namespace tovra::sim
