#pragma once
// A dialog presenter for the command line: notices and messages go to standard
// error, questions and custom buttons are answered by a fixed policy on the next
// turn of the event loop (as a person's click would be), data entry is cancelled.
#include <QString>

#include "common/dialogos.h"

namespace tovra {

class TApresentadorTexto : public IApresentadorDialogos {
 public:
  // respostaPergunta: 1 answers questions with OK, 2 with Cancel.
  explicit TApresentadorTexto(int respostaPergunta = kResultadoCancel) : FResposta(respostaPergunta) {}
  void MostraStatus(const QString& texto) override;
  void FechaStatus() override {}
  void MostraMensagem(const TMensagemDialogo& m) override;
  void FechaMensagem() override {}
  void MostraMensagemStatus(const QString& titulo, const QString& texto) override;
  void FechaMensagemStatus() override {}
  void MostraEntrada(const TPedidoEntrada& p, bool manterTexto) override;
  void FechaEntrada() override {}
  void AvisoSimples(const QString& texto) override;

 private:
  int FResposta;
};

}  // namespace tovra
