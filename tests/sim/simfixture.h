#pragma once
// The device object against the in-process simulator, and a recorder of its events.
#include <QStringList>
#include <memory>

#include "common/pastas.h"
#include "device/vexlin.h"
#include "sim/loopback.h"
#include "tests/support/testsupport.h"

namespace tovra::test {

class MotorSim : public DocumentsFixture {
 protected:
  void Prepara(sim::TSimCenario c = {}) {
    vexlin.reset();  // the old device object still talks to the old simulator
    eventos.clear();
    FSim = std::make_unique<sim::TClassSimVexlin>(std::move(c));
    auto lb = std::make_unique<sim::TClassLoopbackSim>(*FSim);
    loop = lb.get();
    vexlin = std::make_unique<TClass_Vexlin>(Pastas::Logs(), std::move(lb));
    LigaEventos();
    vexlin->Conectar("/dev/ttyUSB0", TTypeConexao::tcUSB);
    ASSERT_TRUE(vexlin->Conectado());
  }
  void TearDown() override {
    vexlin.reset();
    FSim.reset();
    DocumentsFixture::TearDown();
  }
  sim::TClassSimVexlin& simv() { return *FSim; }

  // The frames the device received, as HexaString, after the first n.
  QStringList Recebidos(int desde = 0) const {
    QStringList r;
    for (int i = desde; i < FSim->FramesRecebidos.size(); ++i) r << FromBytes(FSim->FramesRecebidos[i]);
    return r;
  }
  // Feeds a device frame (opcode + data) as if it had been read.
  void Chega(const QString& opcodeEDados) {
    const QByteArray b = ToBytes(opcodeEDados);
    vexlin->RecebeBytes(MontaFrameBytes(quint8(b[0]), b.mid(1)));
  }

  void LigaEventos() {
    auto& v = *vexlin;
    auto n = [this](const char* nome) { return [this, nome] { eventos << nome; }; };
    v.Event_ProtocoloAtivo = n("ProtocoloAtivo");
    v.Event_ProtocoloInativo = n("ProtocoloInativo");
    v.Event_ProtocoloInativoGen = n("ProtocoloInativoGen");
    v.Event_FalhaCarga = n("FalhaCarga");
    v.Event_FalhaRecebida = n("FalhaRecebida");
    v.Event_FalhasApagadas = n("FalhasApagadas");
    v.Event_FimPids = n("FimPids");
    v.Event_AtuadorAjusteFinalizado = n("AtuadorAjusteFinalizado");
    v.Event_AtuadorAjusteInvalido = n("AtuadorAjusteInvalido");
    v.Event_FuncaoIndisp = n("FuncaoIndisp");
    v.Event_FechaMsg = n("FechaMsg");
    v.Event_StopKeepAlive = n("StopKeepAlive");
    v.Event_StartKeepAlive = n("StartKeepAlive");
    v.Event_EndLogV4 = n("EndLogV4");
    v.Event_EndAutoSearch = n("EndAutoSearch");
    v.Event_PerdaComunicacao = n("PerdaComunicacao");
    v.Event_CodigoUCELido = [this](const QString& s) { eventos << "CodigoUCELido:" + s; };
    v.Event_DadosFalhasRecebidos = [this](quint8 op, const HexaString& d) {
      eventos << "DadosFalhas:" + IntToHexa(op, 2);
      ultimoDado = d;
    };
    v.Event_ParamDisp = [this](const HexaString& f) { eventos << "ParamDisp:" + f; };
    v.Event_DadosPidsRecebidos = [this](const HexaString& d) { eventos << "Pids:" + d; };
    v.Event_MostraMsgUsuario = [this](int t, int b1, int b2, const QString& x) {
      eventos << QString("Msg:%1,%2,%3,%4").arg(t).arg(b1).arg(b2).arg(x);
    };
    v.Event_MostraStatusUsuario = [this](int t) { eventos << QString("StatusUsuario:%1").arg(t); };
    v.Event_MostraStatusSinalizacao = [this](int t) { eventos << QString("StatusSinalizacao:%1").arg(t); };
    v.Event_MostraMsgTemporizada = [this](int t, int s) { eventos << QString("MsgTemp:%1,%2").arg(t).arg(s); };
    v.Event_EntradaDados = [this](int t, int q) { eventos << QString("EntradaDados:%1,%2").arg(t).arg(q); };
  }

  std::unique_ptr<TClass_Vexlin> vexlin;
  sim::TClassLoopbackSim* loop = nullptr;
  QStringList eventos;
  HexaString ultimoDado;

 private:
  std::unique_ptr<sim::TClassSimVexlin> FSim;
};

}  // namespace tovra::test
