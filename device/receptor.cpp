#include "device/receptor.h"

#include "common/debug.h"

namespace tovra {

void TClassReceptorFrames::Recebe(const QByteArray& chunk) {
  if (FLista.Count() < kLimiteFramesContinuo || !EmContinuo ||
      chunk.contains(QByteArrayView(kAckFimContinuo, 5)))
    Anexa(chunk);
}

void TClassReceptorFrames::Anexa(const QByteArray& chunk) {
  if (QtdBuffer() == 0) Limpa();
  FBuffer.append(chunk);
  if (!WaitingFile) ExtraiFrames();
}

void TClassReceptorFrames::Avanca(qsizetype n) {
  FInicio += n;
  if (FInicio >= FBuffer.size()) {
    Limpa();
  } else if (FInicio > 4096 && FInicio * 2 > FBuffer.size()) {
    // Drop the consumed head now and then; each byte is moved a bounded number of times.
    FBuffer.remove(0, FInicio);
    FInicio = 0;
  }
}

HexaString TClassReceptorFrames::TextoLimitado() const {
  // A line per skipped byte must not carry the whole buffer each time: the log
  // would grow with the square of the garbage received.
  const qsizetype n = QtdBuffer();
  const qsizetype max = kFrameMaxCorpo + kFrameSobra;
  HexaString t = FromBytes(FBuffer.constData() + FInicio, n < max ? n : max);
  if (n > max) t += QLatin1String(" ...");
  return t;
}

QByteArray TClassReceptorFrames::RetiraBuffer() {
  QByteArray r = Buffer();
  Limpa();
  return r;
}

bool TClassReceptorFrames::BuscaUltimo35(QByteArray& frame) const {
  const char* d = FBuffer.constData() + FInicio;
  const qsizetype n = QtdBuffer();
  for (qsizetype i = n - 1; i >= 1; --i) {
    if (static_cast<unsigned char>(d[i]) != kOpcodeDadosPids) continue;
    quint16 ultimo = 0;
    if (ExtraiFrameEm(d, n, i - 1, ultimo)) {
      frame = QByteArray(d + i - 1, qsizetype(ultimo) + 1);
      return true;
    }
  }
  return false;
}

void TClassReceptorFrames::ExtraiFrames() {
  while (QtdBuffer() > 0) {
    const char* d = FBuffer.constData() + FInicio;
    const qsizetype n = QtdBuffer();
    quint16 ultimo = 0;
    if (ExtraiFrameEm(d, n, 0, ultimo)) {
      const HexaString frame = FromBytes(d, qsizetype(ultimo) + 1);
      FLista.Adiciona(frame);
      if (!EmContinuo && TDebug::Ativo()) TDebug::Linha("Frame Adicionado na lista: " + frame);
      Avanca(qsizetype(ultimo) + 1);
    } else if (ultimo > 2) {
      if (n < qsizetype(ultimo) + 1) break;  // incomplete: wait for more bytes
      if (EmContinuo) {
        QByteArray f35;
        if (BuscaUltimo35(f35)) {
          const HexaString frame = FromBytes(f35);
          if (TDebug::Ativo()) TDebug::Linha("Achou ult. 35: " + frame);
          FLista.Adiciona(frame);
        } else if (TDebug::Ativo()) {
          TDebug::Linha(QString::fromUtf8("Não encontrou 35: ") + TextoLimitado());
        }
        Limpa();
      } else {
        if (TDebug::Ativo())
          TDebug::Linha(QString::fromUtf8("Frame inválido: ") + FromBytes(d, qsizetype(ultimo) + 1));
        Avanca(1);
      }
    } else {
      if (TDebug::Ativo()) TDebug::Linha("Erro? : " + TextoLimitado());
      Avanca(1);
    }
  }
  if (!FLista.Vazia() && Event_FramesNaLista) Event_FramesNaLista();
}

}  // namespace tovra
