#pragma once
// A dialog presenter for tests: records what would be drawn, answers nothing.
#include <QStringList>

#include "common/dialogos.h"

namespace tovra::test {

struct TGravadorDialogos : IApresentadorDialogos {
  QStringList eventos;    // every call, in order
  QStringList mensagens;  // "TITLE|text" of every message shown
  TMensagemDialogo ultima;
  TPedidoEntrada entrada;
  bool manteve = false;

  void MostraStatus(const QString& t) override { eventos << "status:" + t; }
  void FechaStatus() override { eventos << "fecha-status"; }
  void MostraMensagem(const TMensagemDialogo& m) override {
    ultima = m;
    mensagens << m.FTitulo + "|" + m.FTexto;
    eventos << "msg:" + m.FTitulo + "|" + m.FTexto;
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
