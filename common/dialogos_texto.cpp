#include "common/dialogos_texto.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

namespace tovra {

namespace {
void Escreve(const QString& t) {
  std::fputs((t + "\n").toUtf8().constData(), stderr);
  std::fflush(stderr);
}
void Depois(std::function<void()> f) {
  if (QCoreApplication::instance())
    QTimer::singleShot(0, QCoreApplication::instance(), std::move(f));
  else
    f();
}
}  // namespace

void TApresentadorTexto::MostraStatus(const QString& texto) { Escreve("... " + texto); }

void TApresentadorTexto::MostraMensagem(const TMensagemDialogo& m) {
  Escreve("[" + m.FTitulo + "] " + m.FTexto);
  const int resposta = FResposta;
  switch (m.FModo) {
    case TModoMensagem::mmOk: Depois([] { TDialogos::PressionaOk(); }); break;
    case TModoMensagem::mmOkCancel:
      Escreve(resposta == kResultadoOk ? "  -> OK" : "  -> Cancelar");
      Depois([resposta] { resposta == kResultadoOk ? TDialogos::PressionaOk() : TDialogos::PressionaCancel(); });
      break;
    case TModoMensagem::mmPerson: {
      const int botao = resposta == kResultadoOk || m.FBotao2Texto.isEmpty() ? 1 : 2;
      Escreve("  -> " + (botao == 1 ? m.FBotao1Texto : m.FBotao2Texto));
      Depois([botao] { TDialogos::PressionaBotaoPerson(botao); });
      break;
    }
  }
}

void TApresentadorTexto::MostraMensagemStatus(const QString& titulo, const QString& texto) {
  Escreve("[" + titulo + "] " + texto);
}

void TApresentadorTexto::MostraEntrada(const TPedidoEntrada& p, bool) {
  Escreve("[" + p.FTitulo + "] " + p.FMensagem + "  -> Cancelar");
  Depois([] { TDialogos::EntradaCancel(); });
}

void TApresentadorTexto::AvisoSimples(const QString& texto) { Escreve(texto); }

}  // namespace tovra
