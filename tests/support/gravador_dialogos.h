#pragma once
// A dialog presenter for tests: records what would be drawn and answers from a
// script: each message shown takes the next scripted answer, if any (1 = OK,
// 2 = Cancel, or the custom button 1/2), as a person's press would.
#include <QList>
#include <QStringList>

#include "common/dialogos.h"

namespace tovra::test {

struct TGravadorDialogos : IApresentadorDialogos {
  QStringList eventos;    // every call, in order
  QStringList mensagens;  // "TITLE|text" of every message shown
  TMensagemDialogo ultima;
  TPedidoEntrada entrada;
  bool manteve = false;
  QList<int> respostas;  // the script; empty: nothing is answered

  void MostraStatus(const QString& t) override { eventos << "status:" + t; }
  void FechaStatus() override { eventos << "fecha-status"; }
  void MostraMensagem(const TMensagemDialogo& m) override {
    ultima = m;
    mensagens << m.FTitulo + "|" + m.FTexto;
    eventos << "msg:" + m.FTitulo + "|" + m.FTexto;
    if (respostas.isEmpty()) return;
    const int r = respostas.takeFirst();
    if (m.FModo == TModoMensagem::mmPerson)
      TDialogos::PressionaBotaoPerson(r);
    else if (r == kResultadoOk)
      TDialogos::PressionaOk();
    else
      TDialogos::PressionaCancel();
  }
  void FechaMensagem() override { eventos << "fecha-msg"; }
  void MostraMensagemStatus(const QString& ti, const QString& t) override { eventos << "msgstatus:" + ti + "|" + t; }
  void FechaMensagemStatus() override { eventos << "fecha-msgstatus"; }
  void MostraEntrada(const TPedidoEntrada& p, bool m) override {
    entrada = p;
    manteve = m;
    eventos << "entrada:" + p.FTitulo;
  }
  void FechaEntrada() override { eventos << "fecha-entrada"; }
  void AvisoSimples(const QString& t) override { eventos << "aviso:" + t; }
};

}  // namespace tovra::test
