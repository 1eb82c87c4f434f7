#pragma once
// The device model of the simulator: the Vexlin's side of the protocol. It takes
// the bytes the program writes, cuts them into frames (with a parser of its own),
// answers each command through a table keyed by opcode and queues its answers;
// a link (the in-process loopback or the pseudo-terminal) delivers them.
//
// Command sets register their handlers with RegistraComando; the engine's own
// commands (probe, link check, reset, hard reset) are registered by default.
#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <array>
#include <functional>

#include "sim/cenario.h"
#include "sim/simdispositivo.h"

namespace tovra::sim {

struct TSimRegistro {
  qint64 ms = 0;       // since the model was created
  QString direcao;     // "rx" received from the program, "tx" sent to it
  QString frame;       // HexaString
  QString nota;        // "checksum errado", "lixo", "inválido", "link fechado"
};

class TClassSimVexlin {
 public:
  using TTrataComando = std::function<void(TClassSimVexlin& sim, quint8 op, const QByteArray& dados)>;

  explicit TClassSimVexlin(TSimCenario cenario = {});

  void RegistraComando(quint8 op, TTrataComando trata);
  bool TemComando(quint8 op) const { return bool(FComandos[op]); }

  // The link opened or closed on the program's side.
  void AoConectar();
  void AoDesconectar();
  // Bytes written by the program.
  void Recebe(const QByteArray& bytes);

  // Queue a frame for the program (the scenario's faults applied).
  void Envia(quint8 op, const QByteArray& dados = {});
  void EnviaTexto(const QString& opcodeEDados);  // "52 00 01 ..." (opcode + data)
  void EnviaAck(quint8 op) { Envia(0x55, QByteArray(1, char(op))); }
  void EnviaBrutos(const QByteArray& bytes, const QString& nota);

  // Next chunk for the program: at most max bytes, fewer when the scenario splits reads.
  QByteArray RetiraSaida(qsizetype max);
  bool TemSaida() const { return !FSaida.isEmpty(); }
  bool LinkFechado() const { return FLinkFechado; }

  const TSimCenario& Cenario() const { return FCenario; }
  TSimCenario& Cenario() { return FCenario; }
  const QList<TSimRegistro>& Transcricao() const { return FTranscricao; }
  QByteArray TranscricaoJson() const;
  bool SalvaTranscricao(const QString& caminho) const;

  // ===== the diagnostic command set, files and information (simdiagnostico.cpp, simarquivos.cpp)
  TSimDispositivo& Dispositivo() { return FDisp; }
  const TSimDispositivo& Dispositivo() const { return FDisp; }
  // Time passes: frames that fell due and live-value streams go out. The links
  // call it at every poll.
  void Tick();
  // Queues a frame to go out once ms milliseconds have passed.
  void Agenda(qint64 ms, quint8 op, const QByteArray& dados = {});
  qint64 Ms() const { return FRelogio.elapsed(); }
  // Loads a folder's files into the store (scripts of the demo catalogue).
  int CarregaPasta(const QString& pasta);
  // ===== end of the command set block

  // What the device saw (for tests and the transcript).
  QList<QByteArray> FramesRecebidos;  // whole frames, in order
  int Resets = 0;
  int HardResets = 0;

 private:
  void RegistraPadrao();
  void RegistraDiagnostico();
  void RegistraArquivos();
  qsizetype ConsomeUpload(qsizetype p);  // raw upload bytes from FEntrada[p]; answers how many
  void Transmite();                       // the 0x35 stream's next frames
  void TrataFrame(const QByteArray& frame);
  void Reage(quint8 op, bool antes);
  void Registra(const QString& dir, const QByteArray& frame, const QString& nota = {});

  TSimCenario FCenario;
  std::array<TTrataComando, 256> FComandos{};
  QList<int> FReacoesFeitas;
  QByteArray FEntrada;
  QByteArray FSaida;
  int FFramesEnviados = 0;
  bool FLinkFechado = false;
  QList<TSimRegistro> FTranscricao;
  QElapsedTimer FRelogio;
  TSimDispositivo FDisp;
};

}  // namespace tovra::sim
