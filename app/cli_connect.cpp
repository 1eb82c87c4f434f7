// tovra-cli connect: one connection attempt as the diagnosis start makes it, with
// the dialogs on the terminal; prints the outcome and the link remembered for next time.
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include "app/cli.h"
#include "common/debug.h"
#include "common/dialogos.h"
#include "common/dialogos_texto.h"
#include "common/dicionario.h"
#include "common/jsonini.h"
#include "common/pastas.h"
#include "diagnosis/tovraconexao.h"
#include "sim/bluetooth_sim.h"

namespace tovra::cli {
namespace {

// The device list on the terminal: prints the devices and chooses one, as a person would.
class TListaTerminal : public IListaDispositivosBT {
 public:
  TListaTerminal(TEventosListaBT eventos, QString escolha) : FEventos(std::move(eventos)), FEscolha(std::move(escolha)) {}
  void ListarPortas(const QList<TClass_BTVexlin>& lista) override {
    FLista = lista;
    Err("devices:");
    for (const TClass_BTVexlin& d : lista) Err("  " + d.Name + (d.Pareado ? " (Pareado)" : ""));
  }
  void Mostra() override {
    QTimer::singleShot(0, [this] {
      QString nome;
      for (const TClass_BTVexlin& d : FLista)
        if (FEscolha.isEmpty() || d.Name == FEscolha) {
          nome = d.Name;
          break;
        }
      if (nome.isEmpty()) {
        Err("  -> none chosen");
        if (FEventos.FEventClose) FEventos.FEventClose();
      } else {
        Err("  -> " + nome);
        if (FEventos.FEventSelected) FEventos.FEventSelected(nome);
      }
    });
  }
  void Fecha() override {}

 private:
  TEventosListaBT FEventos;
  QString FEscolha;
  QList<TClass_BTVexlin> FLista;
};

int Connect(const TArgs& a) {
  Pastas::CriaPastas();
  CarregaConfLocal();
  TDicionario::Inicializa(Pastas::Base() + nomes::kDicMsgs, "PT");
  if (a.TemOpcao("debug")) TDebug::DefineAtivo(true);
  if (a.TemOpcao("sim")) sim::InstalaAdaptadorSimulado();
  if (a.TemOpcao("port")) {  // as if this port had been remembered
    EscreveConfString(conf::kEquipamento, conf::kTipoConexao, "USB");
    EscreveConfString(conf::kEquipamento, conf::kPortaUsb, a.Opcao("port"));
  }
  TApresentadorTexto apresentador(a.TemOpcao("yes") ? kResultadoOk : kResultadoCancel);
  TDialogos::DefineApresentador(&apresentador);

  TClassTovraConexao& c = TClassTovraConexao::GetInstance();
  const QString escolha = a.Opcao("choose");
  c.DefineFabricaListaBT([escolha](const TEventosListaBT& e) { return std::make_unique<TListaTerminal>(e, escolha); });
  QEventLoop loop;
  bool terminou = false, ok = false;
  c.EventConnectionFinished = [&](bool r) {
    terminou = true;
    ok = r;
    loop.quit();
  };
  QTimer limite;
  limite.setSingleShot(true);
  QObject::connect(&limite, &QTimer::timeout, &loop, &QEventLoop::quit);
  limite.start(a.Opcao("timeout", "180000").toInt());
  c.Conecta();
  if (!terminou) loop.exec();

  Out(QString("connected: %1").arg(!terminou ? "no answer" : ok ? "yes" : "no"));
  if (!c.LastError().isEmpty()) Out("error: " + c.LastError());
  Out("remembered link: type=" + LeConfString(conf::kEquipamento, conf::kTipoConexao) +
      " port=" + LeConfString(conf::kEquipamento, conf::kPortaUsb) +
      " device=" + LeConfString(conf::kEquipamento, conf::kDeviceName) +
      " serial=" + LeConfString(conf::kEquipamento, conf::kNrSerie));
  SalvaConfLocal();
  c.DestroyDiag();
  TDialogos::HideMensagens();
  TDialogos::DefineApresentador(nullptr);
  TDebug::Finaliza();
  return terminou && ok ? 0 : 1;
}

TCliRegistro rConnect{"connect",
                      "[--port P] [--sim] [--choose NAME] [--yes] [--debug]: one connection attempt with the dialogs "
                      "on the terminal",
                      &Connect};

}  // namespace
}  // namespace tovra::cli
