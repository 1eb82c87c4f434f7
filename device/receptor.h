#pragma once
// The receive path: chunks of received bytes are appended to a buffer and cut into
// checked frames, which go to the frame list. Damaged or foreign bytes are logged
// and skipped; an incomplete frame waits for more bytes.
//
// The buffer holds raw bytes with a read offset, so consuming a frame or skipping a
// byte costs nothing and the whole path stays linear in the bytes received.
#include <QByteArray>
#include <functional>

#include "device/frame.h"

namespace tovra {

// The end-of-stream acknowledgement that is never dropped in continuous mode.
inline constexpr char kAckFimContinuo[] = "\x02\x55\x32\xFF\x77";
inline constexpr const char* kAckFimContinuoTexto = "02 55 32 FF 77";
// Frames waiting in the list from which continuous mode drops received chunks.
inline constexpr int kLimiteFramesContinuo = 10;
inline constexpr quint8 kOpcodeDadosPids = 0x35;

class TClassReceptorFrames {
 public:
  explicit TClassReceptorFrames(TTypeListaFrame& lista) : FLista(lista) {}

  bool EmContinuo = false;   // live parameters streaming
  bool WaitingFile = false;  // a file is being read: bytes only accumulate
  // Hands the head frame to the command engine after frames were cut.
  std::function<void()> Event_FramesNaLista;

  // Appends a chunk (or drops it under the continuous-mode bound) and cuts frames.
  void Recebe(const QByteArray& chunk);
  // Appends without the bound, then cuts frames unless a file is awaited.
  void Anexa(const QByteArray& chunk);
  void ExtraiFrames();
  // The newest intact 0x35 frame of the buffer; false when there is none.
  bool BuscaUltimo35(QByteArray& frame) const;

  void Limpa() {
    FBuffer.clear();
    FInicio = 0;
  }
  qsizetype QtdBuffer() const { return FBuffer.size() - FInicio; }
  QByteArray Buffer() const { return FBuffer.mid(FInicio); }
  HexaString BufferTexto() const { return FromBytes(FBuffer.constData() + FInicio, QtdBuffer()); }
  // Takes every pending byte out (the file reader's access).
  QByteArray RetiraBuffer();

 private:
  void Avanca(qsizetype n);
  HexaString TextoLimitado() const;
  TTypeListaFrame& FLista;
  QByteArray FBuffer;
  qsizetype FInicio = 0;
};

}  // namespace tovra
