// Scenario files and the transcript.
#include <gtest/gtest.h>

#include "sim/cenario.h"
#include "sim/simvexlin.h"
#include "device/frame.h"

using namespace tovra;
using namespace tovra::sim;

namespace {

TEST(Cenario, LeTodosOsCampos) {
  QString erro;
  auto c = LeCenario(R"({"identidade": {"tipoModelo": 7, "numeroSerie": "VX7-9"}, "pronto": false,
     "falhas": {"silencio": true, "checksumErradoACada": 3, "lixoEntreFrames": "00", "dividirEm": 2,
                "fecharNoComando": "74"},
     "reacoes": [{"comando": "80", "enviar": ["52 00 01"], "antes": true, "vezes": 1}],
     "transcricao": "/tmp/x.json"})", erro);
  ASSERT_TRUE(c) << erro.toStdString();
  EXPECT_EQ(c->identidade.tipoModelo, 7);
  EXPECT_EQ(c->identidade.numeroSerie, "VX7-9");
  EXPECT_EQ(c->identidade.idioma, "PT");
  EXPECT_FALSE(c->pronto);
  EXPECT_TRUE(c->falhas.silencio);
  EXPECT_EQ(c->falhas.checksumErradoACada, 3);
  EXPECT_EQ(c->falhas.dividirEm, 2);
  EXPECT_EQ(c->falhas.fecharNoComando, "74");
  ASSERT_EQ(c->reacoes.size(), 1);
  EXPECT_EQ(c->reacoes[0].comando, 0x80);
  EXPECT_TRUE(c->reacoes[0].antes);
  EXPECT_EQ(c->transcricao, "/tmp/x.json");
}

TEST(Cenario, RecusaTextoInvalido) {
  for (const char* t : {"", "[1]", "{\"reacoes\": [{\"comando\": \"XYZ\"}]}", "{\"falhas\": {\"fecharNoComando\": \"1FF\"}}"}) {
    QString erro;
    EXPECT_FALSE(LeCenario(t, erro)) << t;
    EXPECT_FALSE(erro.isEmpty()) << t;
  }
}

TEST(Cenario, TranscricaoRegistraOsDoisSentidos) {
  TClassSimVexlin s;
  s.AoConectar();
  s.Recebe(MontaFrameBytes(0x80, {}));
  s.Recebe(QByteArray("\x00", 1));
  const QByteArray j = s.TranscricaoJson();
  EXPECT_TRUE(j.contains("\"01 CC FF 33\"")) << j.constData();
  EXPECT_TRUE(j.contains("\"01 80 FF 7F\""));
  EXPECT_TRUE(j.contains("\"02 55 80 FF 29\""));
  ASSERT_EQ(s.Transcricao().size(), 4);
  EXPECT_EQ(s.Transcricao()[3].direcao, "rx");
  EXPECT_FALSE(s.Transcricao()[3].nota.isEmpty());
  // A command this device does not know is answered with FF.
  s.RetiraSaida(1000);
  s.Recebe(MontaFrameBytes(0x99, {}));
  EXPECT_EQ(FromBytes(s.RetiraSaida(1000)), "02 FF 99 FE 66");
}

}  // namespace
