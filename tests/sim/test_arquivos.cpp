// Device files, the information block, the diagnosis-log records and Zintra
// against the in-process simulator.
#include <gtest/gtest.h>

#include <QFile>

#include "device/crc.h"
#include "device/zintra.h"
#include "tests/sim/scriptfixture.h"

using namespace tovra;
using namespace tovra::test;

namespace {

class Arquivos : public ScriptSim {
 protected:
  void SetUp() override {
    ScriptSim::SetUp();
    PreparaComScript();
  }
  QString Local(const QString& nome, const QByteArray& bytes) {
    const QString p = Documents() + nome;
    QFile f(p);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return p;
  }
  static QByteArray Bytes(int n) {
    QByteArray b(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i) b[i] = char((i * 7 + i / 256) & 0xFF);
    return b;
  }
};

TEST_F(Arquivos, GravaArquivoPrimeiroFramePacotesECrc) {
  const QByteArray conteudo = Bytes(1000);
  const QString origem = Local("origem.bin", conteudo);
  QStringList escritas, progresso;
  vexlin->Event_BytesEnviados = [&](const HexaString& t) { escritas << t; };
  vexlin->Event_StatusTemp = [&](const QString& s, quint16 t) {
    progresso << s;
    EXPECT_EQ(t, 0);
  };
  const int n = Qtd();
  ASSERT_TRUE(vexlin->GravaArquivo(origem, "TESTE.BIN"));
  EXPECT_EQ(Enviados(n).first(), "B0 00 00 E8 03 00 00 54 45 53 54 45 2E 42 49 4E");
  // two raw packets after the 0xB0 frame, then the CRC query
  ASSERT_GE(escritas.size(), 4);
  EXPECT_EQ(QtdBytes(escritas[1].mid(2)), 512);
  EXPECT_EQ(QtdBytes(escritas[2].mid(2)), 488);
  EXPECT_TRUE(escritas[3].contains(" B2 "));
  EXPECT_EQ(progresso, QStringList{QString::fromUtf8("Finalizando atualização")});
  ASSERT_TRUE(simv().Dispositivo().Arquivo("teste.bin"));
  EXPECT_EQ(*simv().Dispositivo().Arquivo("teste.bin"), conteudo);
  EXPECT_EQ(vexlin->ReadCRC("TESTE.BIN"), CalcCRC64Bytes(conteudo.constData(), conteudo.size()));
}

TEST_F(Arquivos, ProgressoACadaDezPacotes) {
  QStringList progresso;
  vexlin->Event_StatusTemp = [&](const QString& s, quint16) { progresso << s; };
  ASSERT_TRUE(vexlin->GravaArquivo(Local("a.bin", Bytes(512 * 25)), "A.BIN"));
  EXPECT_EQ(progresso, (QStringList{"Atualizando A.BIN 40%", "Atualizando A.BIN 80%",
                                    QString::fromUtf8("Finalizando atualização")}));
}

TEST_F(Arquivos, NomeForaDaRegra83OuDoConjuntoFalhaAntesDeEnviar) {
  const QString origem = Local("o.bin", Bytes(10));
  struct Caso {
    const char* nome;
    const char* trecho;
  };
  for (const Caso& c : {Caso{"ABCDEFGHI.flx", "Nome de arquivo acima de 8 caracteres."},
                        Caso{"00512.flxx", "Extensão do arquivo acima de 3 caracteres."},
                        Caso{"漢字.flx", "Windows-1252"}, Caso{".flx", "vazio"}}) {
    const int n = Qtd();
    try {
      vexlin->GravaArquivo(origem, QString::fromUtf8(c.nome));
      ADD_FAILURE() << c.nome;
    } catch (const EVexlin& e) {
      EXPECT_TRUE(e.Texto().startsWith(QString::fromUtf8("Impossível gravar arquivo\r"))) << c.nome;
      EXPECT_TRUE(e.Texto().contains(QString::fromUtf8(c.trecho))) << e.Texto().toStdString();
    }
    EXPECT_EQ(Qtd(), n) << c.nome;
  }
  const int n = Qtd();
  EXPECT_FALSE(vexlin->GravaArquivo(Documents() + "nao-existe.bin", "X.BIN"));
  EXPECT_FALSE(vexlin->GravaArquivo(Local("vazio.bin", {}), "X.BIN"));
  EXPECT_EQ(Qtd(), n);
}

TEST_F(Arquivos, CrcZeroDoEquipamentoEFalha) {
  simv().RegistraComando(0xB2, [](sim::TClassSimVexlin& s, quint8 op, const QByteArray&) {
    s.Envia(op, QByteArray(8, '\0'));
  });
  EXPECT_FALSE(vexlin->GravaArquivo(Local("b.bin", Bytes(100)), "B.BIN"));
  EXPECT_TRUE(simv().Dispositivo().Arquivo("B.BIN"));  // it arrived, but the device's CRC says nothing
}

TEST_F(Arquivos, LinkCaiNoMeioDoEnvio) {
  int pacotes = 0;
  vexlin->Event_BytesEnviados = [&](const HexaString&) {
    if (++pacotes == 5) loop->Desconectar();  // the cable is pulled
  };
  EXPECT_FALSE(vexlin->GravaArquivo(Local("c.bin", Bytes(512 * 20)), "C.BIN"));
  EXPECT_LE(pacotes, 5);
  EXPECT_FALSE(simv().Dispositivo().Arquivo("C.BIN"));
}

TEST_F(Arquivos, EquipamentoQueParaDeResponderNoFimDoEnvio) {
  RelogioRapido();
  simv().RegistraComando(0xB0, [](sim::TClassSimVexlin& s, quint8 op, const QByteArray&) {
    s.EnviaAck(op);  // acknowledges the start, then swallows the file without a word
  });
  EXPECT_FALSE(vexlin->GravaArquivo(Local("d.bin", Bytes(700)), "D.BIN"));
}

TEST_F(Arquivos, TamanhoEBytesDeLsysloadComTrafegoAntesEDepois) {
  sim::TSimCenario c;
  c.reacoes.append({0xB1, {"40"}, false, 0});  // a frame right behind the file's bytes
  PreparaComScript(c);
  ASSERT_TRUE(vexlin->CarregarFLX(512)) << QString::fromUtf8(simv().TranscricaoJson()).toStdString();
  const QByteArray inf = *simv().Dispositivo().Arquivo("LSYSLOAD.INF");
  EXPECT_TRUE(inf.contains("\"sistemaID\":512"));
  EXPECT_EQ(vexlin->RequestFileSize("LSYSLOAD.INF"), inf.size());
  vexlin->RecebeBytes(QByteArray("\x09\x35\x01", 3));  // half a frame still in the buffer
  eventos.clear();
  ASSERT_TRUE(vexlin->RequestFileBytes("LSYSLOAD.INF"));
  EXPECT_EQ(ToBytes(vexlin->LastFileReceived()), inf);
  EXPECT_TRUE(eventos.contains("ProtocoloAtivo")) << eventos.join("|").toStdString();
  EXPECT_TRUE(vexlin->Buffer().isEmpty());
  // the selection screen's decoding: drop 8 characters, the tabs and line ends
  QStringList pares = vexlin->LastFileReceived().mid(8).split(' ', Qt::SkipEmptyParts);
  pares.removeAll("0A");
  pares.removeAll("09");
  const QString json = ToTexto(pares.join(' '));
  EXPECT_TRUE(json.startsWith("[{\"sistemaID\":512")) << json.toStdString();
  EXPECT_TRUE(json.endsWith("}]")) << json.toStdString();
  // a file the device does not hold
  EXPECT_EQ(vexlin->RequestFileSize("NADA.TXT"), 0);
  EXPECT_TRUE(vexlin->RequestFileBytes("NADA.TXT"));
  EXPECT_TRUE(vexlin->LastFileReceived().isEmpty());
}

TEST_F(Arquivos, LeituraDeArquivoSemOsBytesTerminaSemTravar) {
  RelogioRapido();
  simv().RegistraComando(0xB1, [](sim::TClassSimVexlin& s, quint8 op, const QByteArray&) {
    s.Envia(op, QByteArray("\x10\x00\x00\x00", 4));  // announces 16 bytes, sends 3
    s.EnviaBrutos("abc", "parcial");
  });
  EXPECT_FALSE(vexlin->RequestFileBytes("X.TXT"));
  EXPECT_TRUE(vexlin->Buffer().isEmpty());
  EXPECT_TRUE(vexlin->ConexaoAtiva());  // the link goes on as before
}

TEST_F(Arquivos, RespostaDeOutroComandoNaoEValor) {
  // a frame that contains "69" ends the wait, but it is not the serial number
  simv().RegistraComando(0x69, [](sim::TClassSimVexlin& s, quint8, const QByteArray&) {
    s.Envia(0x50, QByteArray("\x69\x00\x00\x07", 4));
  });
  EXPECT_EQ(vexlin->NrSerie(), 0u);
  EXPECT_TRUE(vexlin->ComandoAguardado().isEmpty());  // the wait itself was satisfied
}

TEST_F(Arquivos, BlocoDeInformacaoDeCadaModelo) {
  for (int tipo = 0; tipo <= 11; ++tipo) {
    sim::TSimCenario c;
    c.identidade.tipoModelo = tipo;
    c.identidade.numeroSerie = "123456";
    c.identidade.idioma = tipo % 3 == 0 ? "PT" : tipo % 3 == 1 ? "ES" : "EN";
    c.identidade.versaoFirmware = "1.10";
    Prepara(c);
    EXPECT_EQ(vexlin->TipoEquipamento(), tipo);
    EXPECT_EQ(NomeEquipamento(tipo).isEmpty(), false);
    EXPECT_EQ(vexlin->VersaoFirmware(), "0110");
    EXPECT_EQ(vexlin->VersaoServicePack(), 3);
    EXPECT_EQ(vexlin->Idioma(), c.identidade.idioma);
    EXPECT_EQ(vexlin->EmpresaID(), 1);
    EXPECT_EQ(vexlin->UUID(), "00112233445566AA");
    EXPECT_EQ(vexlin->DataHoraV4(), "11/12/26 12:00:00");
    EXPECT_EQ(vexlin->NrSerie(), 123456u);
    EXPECT_EQ(vexlin->QtdDiagnosticos(), 41u);
    // the generic application's name depends on the model
    const int n = Qtd();
    vexlin->CarregarFLX(700);
    QString b3;
    for (const QString& e : Enviados(n))
      if (e.startsWith("B3")) b3 = e;
    const QString esperado = tipo == 4 ? "B3 BC 02 " + TextoToHexa("00700.app") + " 00"
                             : (tipo == 8 || tipo == 9 || tipo == 10 || tipo == 11)
                                 ? "B3 BC 02 " + TextoToHexa("00700.V4") + " 00"
                                 : QString("B3 BC 02 00");
    EXPECT_EQ(b3, esperado) << tipo;
  }
}

TEST_F(Arquivos, RelogioDiagnosticosELogComAckTardio) {
  vexlin->GravaDataHora("270102030405");
  EXPECT_EQ(vexlin->DataHoraV4(), "02/01/27 03:04:05");
  EXPECT_THROW(vexlin->GravaDataHora("2701020304"), EVexlin);
  for (quint8 i = 0; i < 6; ++i) EXPECT_TRUE(vexlin->RequestSetInfoLastSystem(i, "texto"));
  EXPECT_TRUE(vexlin->RequestSetInfoLastSystemEnd(1001, 512, false));
  EXPECT_TRUE(vexlin->RequestStartLogV4(1001, 512, false, 12, "06 01 10 0E 07 01"));
  EXPECT_TRUE(vexlin->AckComandoRecebido());
  EXPECT_TRUE(eventos.contains("EndLogV4"));
  EXPECT_EQ(vexlin->QtdDiagnosticos(), 42u);
}

TEST_F(Arquivos, ZintraEstatisticaAnaliseERelatorio) {
  ASSERT_TRUE(vexlin->CarregarFLX(512));
  EXPECT_TRUE(vexlin->RequestCheckZINTRA(300, 512, false));
  EXPECT_TRUE(vexlin->ZintraAvailable());
  EXPECT_TRUE(vexlin->RequestCheckZINTRA(300, 999));
  EXPECT_FALSE(vexlin->ZintraAvailable());

  QStringList progresso;
  vexlin->Event_ProgressZintraRuning = [&](int t, int v) { progresso << QString("%1/%2").arg(v).arg(t); };
  ASSERT_TRUE(vexlin->RequestZINTRAType(1));
  const auto& dtc = vexlin->DtcZintraList();
  ASSERT_EQ(dtc.size(), 3u);
  EXPECT_EQ(dtc[0]->FCodeDtc, "P0100");
  EXPECT_EQ(dtc[0]->FCurrentIndex, 1);
  EXPECT_EQ(dtc[0]->FTotal, 3);
  EXPECT_NEAR(dtc[0]->FOcurrence, 30.0, 1e-6);
  EXPECT_TRUE(dtc[0]->FDetail.startsWith("presente em"));
  ASSERT_EQ(dtc[1]->FSolutionList.size(), 2u);
  EXPECT_EQ(dtc[1]->FSolutionList[1]->FDetail, "Substituir o sensor");

  ASSERT_TRUE(vexlin->RequestZINTRAType(2));
  EXPECT_EQ(progresso, (QStringList{"1/5", "2/5", "3/5", "4/5", "5/5"}));
  progresso.clear();
  ASSERT_TRUE(vexlin->RequestZINTRAType(3));
  const auto& rep = vexlin->PidZintraList();
  ASSERT_EQ(rep.size(), 2u);
  EXPECT_EQ(rep[0]->FParamId, 1001);
  EXPECT_NEAR(rep[0]->FMinValue, 850 * 0.95, 0.01);
  EXPECT_NEAR(rep[0]->FMaxValue, 850 * 1.05, 0.01);
  EXPECT_EQ(rep[1]->FClassification, 1);
  EXPECT_EQ(progresso, (QStringList{"1/2", "2/2"}));
  // a second load empties the report list
  ASSERT_TRUE(vexlin->CarregarFLX(512));
  EXPECT_TRUE(vexlin->PidZintraList().empty());

  const int n = Qtd();
  EXPECT_FALSE(vexlin->RequestZINTRAType(4));
  EXPECT_EQ(Qtd(), n);
}

TEST_F(Arquivos, FrameDeProgressoZintra) {
  QStringList progresso;
  vexlin->Event_ProgressZintraRuning = [&](int t, int v) { progresso << QString("%1,%2").arg(t).arg(v); };
  Chega("66 02 00 0A 03");
  Chega("66 02 05");   // invalid: only logged
  Chega("66 01 01 07 01 01 41 00");  // a tip without its fault: dropped
  EXPECT_EQ(progresso, QStringList{"10,3"});
  EXPECT_TRUE(vexlin->ListaFrames().Vazia());
}

TEST(Zintra, RegistrosDeDadosCurtosOuSemDoisPontos) {
  const V1_Dtc_ZintraClass vazio{HexaString()};
  EXPECT_EQ(vazio.FTotal, 0);
  EXPECT_TRUE(vazio.FCodeDtc.isEmpty());
  const V1_Dtc_ZintraClass semDoisPontos{"01 00 02 01 41 F0 00 00 " + TextoToHexa("P0100 sem") + " 00"};
  EXPECT_EQ(semDoisPontos.FTotal, 2);
  EXPECT_NEAR(semDoisPontos.FOcurrence, 30.0, 1e-6);
  EXPECT_TRUE(semDoisPontos.FCodeDtc.isEmpty());
  EXPECT_TRUE(semDoisPontos.FDetail.isEmpty());
  const V1_SolutionDtc_ZintraClass curta{"01 01 04"};
  EXPECT_EQ(curta.FCurrentDtcIndex, 4);
  EXPECT_EQ(curta.FTotal, 0);
  EXPECT_TRUE(curta.FDetail.isEmpty());
  const V1_ReportZintraClass rep{"03 00 00 0A 00 03 03 E9 02 44 54 80 00 44 5A 40 00"};
  EXPECT_EQ(rep.FTotal, 10);
  EXPECT_EQ(rep.FCurrentIndex, 3);
  EXPECT_EQ(rep.FParamId, 1001);
  EXPECT_EQ(rep.FClassification, 2);
  EXPECT_NEAR(rep.FMinValue, 850.0, 1e-6);
  EXPECT_NEAR(rep.FMaxValue, 873.0, 1e-6);
  const V1_ReportZintraClass vazia{HexaString()};
  EXPECT_EQ(vazia.FParamId, 0);
  EXPECT_EQ(vazia.FMaxValue, 0.0);
}

}  // namespace

namespace {

TEST_F(Arquivos, CargaConfirmadaNoMesmoTrechoQueOAck) {
  // a quick device: the acknowledgement and 01 00 FF FF in one read
  simv().RegistraComando(0xB3, [](sim::TClassSimVexlin& s, quint8 op, const QByteArray&) {
    s.EnviaAck(op);
    s.Envia(0x00);
  });
  RelogioRapido();
  EXPECT_TRUE(vexlin->CarregarFLX(512));
  EXPECT_TRUE(Enviados(0).contains("55 00"));
  // a frame that only contains 00 does not count as loaded
  simv().RegistraComando(0xB3, [](sim::TClassSimVexlin& s, quint8 op, const QByteArray&) {
    s.EnviaAck(op);
    s.Agenda(0, 0x52, QByteArray::fromHex("012C0001000200 03"));
  });
  EXPECT_FALSE(vexlin->CarregarFLX(512));
}

}  // namespace
