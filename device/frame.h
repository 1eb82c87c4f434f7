#pragma once
// Device frames: length byte N, opcode, data, two-byte checksum (high first).
// The checksum C = (0x10000 - S) mod 0x10000, S the plain sum of the length byte,
// opcode and data, so a whole frame sums to 0 modulo 65536:
//   02 55 80 FF 29   acknowledges the probe 0x80.
// The parser here works on bytes and knows nothing of links.
#include <QByteArray>
#include <deque>
#include <functional>

#include "device/hexa.h"

namespace tovra {

using TTypeFrameVexlin = HexaString;

inline constexpr int kFrameMaxCorpo = 255;   // N: opcode plus data, 1..255
inline constexpr int kFrameSobra = 3;        // length byte and checksum around the body

// Frame accessors on a received frame's text.
int Tamanho(const TTypeFrameVexlin& f);
int Comando(const TTypeFrameVexlin& f);
HexaString ComandoTexto(const TTypeFrameVexlin& f);
HexaString Dados(const TTypeFrameVexlin& f);
HexaString ComandoDados(const TTypeFrameVexlin& f);
int PosicaoZero(const TTypeFrameVexlin& f, int a);

HexaString CalculaChecksum(const HexaString& h);
HexaString MontaFrame(const HexaString& comando, const HexaString& dados);
QByteArray MontaFrameBytes(quint8 comando, const QByteArray& dados);

// The frame that would start at byte a of buffer (text form). ultimo := N + 2.
bool ExtraiFrameEm(const HexaString& buffer, int a, HexaString& frame, quint16& ultimo);

// The same on bytes: the frame starting at dados[a] within tamanho bytes.
// Answers true when it is complete and its checksum is right.
bool ExtraiFrameEm(const char* dados, qsizetype tamanho, qsizetype a, quint16& ultimo);
quint16 SomaChecksum(const char* dados, qsizetype tamanho);  // C of those bytes

// Received frames waiting to be handled, oldest first. Only the head is ever handled.
class TTypeListaFrame {
 public:
  // A plain notification: the owner handles the (new) head frame.
  std::function<void()> Event_TrataFrame;

  // Removes the head; then, when _TrataProximo, the list is not empty and the
  // event is set, fires Event_TrataFrame. A removal made while that event is
  // already running (the owner handled a frame and removed it) does not nest:
  // the running call goes on with the next frame, so a long queue is drained in a
  // loop, not by a recursion as deep as the queue.
  void ApagarPrimeiroFrame(bool _TrataProximo);
  // Takes the head out without handling anything (empty text when the list is empty).
  TTypeFrameVexlin RetiraPrimeiro();
  // Fires Event_TrataFrame for the current head, as ApagarPrimeiroFrame does after removing.
  void TrataProximo();
  bool BuscaComando(const QString& _Value) const;

  void Adiciona(const TTypeFrameVexlin& f) { FItens.push_back(f); }
  void Limpa() {
    FItens.clear();
    ++FRemovidos;
  }
  bool Vazia() const { return FItens.empty(); }
  int Count() const { return int(FItens.size()); }
  const TTypeFrameVexlin& Primeiro() const { return FItens.front(); }
  const TTypeFrameVexlin& Item(int i) const { return FItens[size_t(i)]; }
  // Grows at every removal or clearing: lets a caller see whether handling made progress.
  quint64 Removidos() const { return FRemovidos; }

 private:
  std::deque<TTypeFrameVexlin> FItens;
  quint64 FRemovidos = 0;
  bool FDisparando = false;
  bool FPendente = false;
};

}  // namespace tovra
