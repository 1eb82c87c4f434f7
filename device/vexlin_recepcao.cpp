// The device object's receive path and the handling of the frame list.
#include "common/debug.h"
#include "device/vexlin.h"

namespace tovra {

void TClass_Vexlin::RecebeBytes(const HexaString& _Chunk) { RecebeBytes(ToBytes(_Chunk)); }

void TClass_Vexlin::RecebeBytes(const QByteArray& _Chunk) {
  FNowUltComando = Agora();
  if (TDebug::Ativo() || Event_BytesRecebidos) {
    const HexaString texto = FromBytes(_Chunk);
    if (TDebug::Ativo()) {
      if (FReceptor.EmContinuo && !texto.contains(QLatin1String(kAckFimContinuoTexto)))
        TDebug::Linha("< " + texto.left(5));
      else
        TDebug::Linha("< " + texto);
    }
    Dispara(Event_BytesRecebidos, "< " + texto);
  }
  FReceptor.Recebe(_Chunk);
}

// Handles frames until the list is empty. A pass that removed nothing (a frame
// that nobody could deal with) drops the head so that no caller spins on it.
void TClass_Vexlin::ProcessaListaFrames() {
  while (!FListaFrames.Vazia()) {
    const quint64 antes = FListaFrames.Removidos();
    TrataFrameEmLista();
    if (FListaFrames.Removidos() == antes) FListaFrames.ApagarPrimeiroFrame(false);
  }
}

void TClass_Vexlin::TrataFrameEmLista() {
  if (FListaFrames.Vazia()) return;
  const TTypeFrameVexlin frame = FListaFrames.Primeiro();
  const quint64 antes = FListaFrames.Removidos();
  try {
    if (FComandoAguardado.isEmpty()) {
      TrataFrameEspecial(frame);
    } else if (frame.contains(FComandoAguardado)) {
      FFrameConfirmado = frame;
      FListaFrames.RetiraPrimeiro();
      FFrameRespondido = true;
      FListaFrames.TrataProximo();
    } else if (FComandoAguardado != QLatin1String(opcodes::kAckReset)) {
      TrataFrameEspecial(frame);
    } else {
      FListaFrames.ApagarPrimeiroFrame(true);  // waiting for the reset: dropped unhandled
    }
  } catch (const std::exception& e) {
    RegistraErro("TrataFrameEmLista - " + frame);
    if (FListaFrames.Removidos() == antes && !FListaFrames.Vazia()) FListaFrames.ApagarPrimeiroFrame(false);
  }
}

}  // namespace tovra
