#pragma once
// A small vehicle-system script in the catalogue's FLX form, and the device
// object against the in-process simulator holding it.
#include <QElapsedTimer>

#include "tests/sim/simfixture.h"

namespace tovra::test {

// System 512, model 300: two faults present (codes 100 and 4561, scanner ids 200
// and 201), one absent; parameters 1001 (850.0), 1005 (13.9), 1012 (text);
// actuator 7, adjustment 9.
inline QByteArray ScriptTeste() {
  return R"({"formato": "tovra-flx-json", "versao": 1, "sistemaID": 512, "nome": "Injecao Teste", "sigla": "INJ",
  "diesel": false,
  "modelos": [{"modeloID": 1001, "modeloFlx": 300, "modeloCF": 31, "adaptador": 12}],
  "falhas": [{"grupoID": 512, "scannerID": 200, "codHexa": "100", "falhaPC": "P0100", "presente": true, "status": 1},
             {"grupoID": 512, "scannerID": 201, "codHexa": "4561", "falhaPC": "C0561", "presente": true, "status": 0},
             {"grupoID": 512, "scannerID": 202, "codHexa": "420", "falhaPC": "P0420", "presente": false, "status": 0}],
  "parametros": [{"id": 1001, "formato": "81", "valor": "00 80 54 44"},
                 {"id": 1005, "formato": "11", "valor": "66 66 5E 41"},
                 {"id": 1012, "formato": "6F", "valor": "39 42 57 41 42 34 35 55 30 45 54 31 32 33 34 35 36 00"}],
  "atuadores": [{"id": 7, "parametros": [1001]}],
  "ajustes": [{"id": 9, "parametros": [1005]}],
  "infoSolicitada": []})";
}

class ScriptSim : public MotorSim {
 protected:
  void PreparaComScript(sim::TSimCenario c = {}) {
    Prepara(std::move(c));
    simv().Dispositivo().GravaArquivo("00512.flx", ScriptTeste());
  }
  // Waits never last: each reading of the clock moves it on by 50 ms.
  void RelogioRapido() {
    vexlin->Relogio = [t = qint64(0)]() mutable { return t += 50; };
  }
  // Polls until the predicate holds (at most two seconds of real time).
  template <typename P>
  bool Ate(P p) {
    QElapsedTimer t;
    t.start();
    QString erro;
    while (!p() && t.elapsed() < 2000) vexlin->FazerLeitura(erro);
    return p();
  }
  // Script load, model 300, start of communication, link to the control unit.
  void Diagnostico() {
    vexlin->IniciaNovoDiagnostico();
    ASSERT_TRUE(vexlin->CarregarFLX(512));
    vexlin->ProgramarModeloFLX(300);
    vexlin->InicioComunicacao();
    ASSERT_TRUE(Ate([&] { return vexlin->ProtocoloAtivo() == TTypeStatusProtocolo::protAtivo; }));
  }
  // Opcode and data of the frames the device received since n.
  QStringList Enviados(int desde) const {
    QStringList r;
    for (const QString& f : Recebidos(desde)) r << ComandoDados(f);
    return r;
  }
  int Qtd() const { return int(Recebidos().size()); }
};

}  // namespace tovra::test
