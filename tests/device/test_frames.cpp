// Frames, the frame list and the receive-side parser.
#include <gtest/gtest.h>

#include "common/debug.h"
#include "device/frame.h"
#include "device/receptor.h"
#include "tests/support/testsupport.h"

using namespace tovra;

namespace {

TEST(Frame, MontaEChecksum) {
  EXPECT_EQ(MontaFrame("80", ""), "01 80 FF 7F");
  EXPECT_EQ(MontaFrame("55", "80"), "02 55 80 FF 29");
  EXPECT_EQ(MontaFrame("55", "32"), "02 55 32 FF 77");
  EXPECT_EQ(MontaFrame("00", ""), "01 00 FF FF");
  EXPECT_EQ(CalculaChecksum("02 55 80"), "FF 29");
  EXPECT_EQ(FromBytes(MontaFrameBytes(0x55, QByteArray("\x80", 1))), "02 55 80 FF 29");
  // The largest body keeps the checksum in range.
  QByteArray dados(254, char(0xFF));
  const QByteArray f = MontaFrameBytes(0x35, dados);
  quint32 soma = 0;
  for (int i = 0; i < f.size() - 2; ++i) soma += static_cast<unsigned char>(f[i]);
  soma += quint32(static_cast<unsigned char>(f[f.size() - 2])) << 8 | static_cast<unsigned char>(f.back());
  EXPECT_EQ(soma % 65536, 0u);
}

TEST(Frame, Acessores) {
  const TTypeFrameVexlin f = "06 14 AA BB 41 42 00 FF 00";  // checksum not relevant here
  EXPECT_EQ(Tamanho(f), 6);
  EXPECT_EQ(Comando(f), 0x14);
  EXPECT_EQ(ComandoTexto(f), "14");
  EXPECT_EQ(Dados(f), "AA BB 41 42 00");
  EXPECT_EQ(ComandoDados(f), "14 AA BB 41 42 00");
  EXPECT_EQ(PosicaoZero(f, 2), 4);
  EXPECT_EQ(PosicaoZero("03 14 AA BB 00 00", 0), 2);  // none: the byte count
  EXPECT_EQ(Dados("01 80 FF 7F"), "");
  EXPECT_EQ(ComandoDados("01 80 FF 7F"), "80");
}

TEST(Frame, ExtraiFrameEmTextoEBytes) {
  struct Caso {
    const char* buffer;
    int a;
    bool ok;
    int ultimo;
    const char* frame;
  } casos[] = {
      {"02 55 80 FF 29", 0, true, 4, "02 55 80 FF 29"},
      {"02 55 80 FF", 0, false, 4, "02 55 80 FF"},
      {"02 55 80 FF 28", 0, false, 4, "02 55 80 FF 28"},
      {"01 02 55 80 FF 29", 1, true, 4, "02 55 80 FF 29"},
      {"00 01 02", 0, false, 2, ""},
  };
  for (const auto& c : casos) {
    HexaString frame;
    quint16 ultimo = 0;
    EXPECT_EQ(ExtraiFrameEm(c.buffer, c.a, frame, ultimo), c.ok) << c.buffer;
    EXPECT_EQ(ultimo, c.ultimo) << c.buffer;
    EXPECT_EQ(frame, c.frame) << c.buffer;
    const QByteArray b = ToBytes(c.buffer);
    quint16 u2 = 0;
    EXPECT_EQ(ExtraiFrameEm(b.constData(), b.size(), c.a, u2), c.ok) << c.buffer;
    EXPECT_EQ(u2, c.ultimo) << c.buffer;
  }
}

TEST(ListaFrame, ApagarPrimeiroEBuscaComando) {
  TTypeListaFrame l;
  int disparos = 0;
  l.Adiciona("02 55 80 FF 29");
  l.Adiciona("01 00 FF FF");
  l.Event_TrataFrame = [&] { ++disparos; };
  EXPECT_TRUE(l.BuscaComando("55 80"));
  EXPECT_FALSE(l.BuscaComando("FF 29"));  // the checksum is not part of ComandoDados
  EXPECT_TRUE(l.BuscaComando("00"));
  l.ApagarPrimeiroFrame(false);
  EXPECT_EQ(disparos, 0);
  EXPECT_EQ(l.Count(), 1);
  l.Adiciona("01 80 FF 7F");
  l.ApagarPrimeiroFrame(true);
  EXPECT_EQ(disparos, 1);
  l.ApagarPrimeiroFrame(true);  // now empty: nothing to handle
  EXPECT_EQ(disparos, 1);
  l.ApagarPrimeiroFrame(true);  // empty list: harmless
  EXPECT_TRUE(l.Vazia());
}

TEST(ListaFrame, UmaFilaLongaEhDrenadaSemRecursaoProfunda) {
  TTypeListaFrame l;
  for (int i = 0; i < 200000; ++i) l.Adiciona("01 00 FF FF");
  int tratados = 0;
  l.Event_TrataFrame = [&] {
    ++tratados;
    l.ApagarPrimeiroFrame(true);  // the owner removes the head and asks for the next
  };
  l.Adiciona("01 00 FF FF");
  l.TrataProximo();
  EXPECT_TRUE(l.Vazia());
  EXPECT_EQ(tratados, 200001);
}

// The parser on its own: chunks in, frames out.
class Receptor : public test::DocumentsFixture {
 protected:
  TTypeListaFrame lista;
  TClassReceptorFrames r{lista};
  QStringList Frames() const {
    QStringList s;
    for (int i = 0; i < lista.Count(); ++i) s << lista.Item(i);
    return s;
  }
  void Recebe(const char* hex) { r.Recebe(ToBytes(hex)); }
};

TEST_F(Receptor, CortaOsFramesEmOrdem) {
  struct Caso {
    std::vector<const char*> chunks;
    QStringList frames;
    const char* resto;
  } casos[] = {
      {{"02 55 80 FF 29 01 00 FF FF"}, {"02 55 80 FF 29", "01 00 FF FF"}, ""},
      {{"02 55 80 FF"}, {}, "02 55 80 FF"},
      {{"02 55 80 FF", "29"}, {"02 55 80 FF 29"}, ""},
      {{"02", "55", "80", "FF", "29", "01 00"}, {"02 55 80 FF 29"}, "01 00"},
      {{"01 02 55 80 FF 29"}, {"02 55 80 FF 29"}, ""},
      {{"00 00 00 02 55 80 FF 29"}, {"02 55 80 FF 29"}, ""},
      {{"00"}, {}, ""},
  };
  for (const auto& c : casos) {
    lista.Limpa();
    r.Limpa();
    for (const char* ch : c.chunks) Recebe(ch);
    EXPECT_EQ(Frames(), c.frames) << c.chunks.front();
    EXPECT_EQ(r.BufferTexto(), c.resto) << c.chunks.front();
  }
}

TEST_F(Receptor, ComprimentoGrandeEsperaEDepoisRessincroniza) {
  const HexaString quadro = "02 55 80 FF 29";
  Recebe("7E");
  Recebe(quadro.toLatin1().constData());
  EXPECT_TRUE(lista.Vazia());  // 7E is taken as a length: waits for 0x7E + 3 bytes
  QByteArray enchimento(0x7E + 3, char(0x00));
  r.Recebe(enchimento);
  ASSERT_GE(lista.Count(), 1);
  EXPECT_EQ(lista.Item(0), quadro);
}

TEST_F(Receptor, LogaQuadroInvalidoEErro) {
  TDebug::DefineAtivo(true);
  Recebe("01 02 55 80 FF 29");
  Recebe("00 00 00");
  const QString log = TDebug::Linhas().join('\n');
  EXPECT_TRUE(log.contains(QString::fromUtf8("Frame inválido: 01 02 55"))) << log.toStdString();
  EXPECT_TRUE(log.contains("Frame Adicionado na lista: 02 55 80 FF 29"));
  EXPECT_TRUE(log.contains("Erro? : 00 00 00"));
}

TEST_F(Receptor, ContinuoRecuperaOUltimo35) {
  r.EmContinuo = true;
  const HexaString f1 = FromBytes(MontaFrameBytes(0x35, ToBytes("01 02")));
  const HexaString f2 = FromBytes(MontaFrameBytes(0x35, ToBytes("03 04")));
  // Head frame with a wrong checksum, then two intact 0x35 frames: only the newest survives.
  const QByteArray buf = ToBytes("03 35 09 09 00 00 " + f1 + " " + f2);
  r.Recebe(buf);
  EXPECT_EQ(Frames(), QStringList{f2});
  EXPECT_EQ(r.QtdBuffer(), 0);

  lista.Limpa();
  r.Recebe(ToBytes("03 52 09 09 00 00 01 02 03"));  // no 0x35 frame at all
  EXPECT_TRUE(lista.Vazia());
  EXPECT_EQ(r.QtdBuffer(), 0);
}

TEST_F(Receptor, ContinuoComDezFramesEsperandoDescartaChunks) {
  for (int i = 0; i < kLimiteFramesContinuo; ++i) lista.Adiciona("01 00 FF FF");
  r.EmContinuo = true;
  Recebe("02 55 80 FF 29");
  EXPECT_EQ(lista.Count(), kLimiteFramesContinuo);
  EXPECT_EQ(r.QtdBuffer(), 0);
  Recebe("01 00 FF FF 02 55 32 FF 77");
  EXPECT_EQ(lista.Count(), kLimiteFramesContinuo + 2);
  r.EmContinuo = false;
  Recebe("02 55 80 FF 29");  // outside continuous mode nothing is dropped
  EXPECT_EQ(lista.Count(), kLimiteFramesContinuo + 3);
}

TEST_F(Receptor, EsperandoArquivoSoAcumula) {
  r.WaitingFile = true;
  Recebe("02 55 80 FF 29");
  EXPECT_TRUE(lista.Vazia());
  EXPECT_EQ(r.RetiraBuffer(), ToBytes("02 55 80 FF 29"));
  EXPECT_EQ(r.QtdBuffer(), 0);
}

}  // namespace
