#include <QDir>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include "common/debug.h"
#include "common/pastas.h"
#include "tests/support/testsupport.h"

namespace tovra {
namespace {

class DebugTest : public test::DocumentsFixture {
 protected:
  void SetUp() override {
    DocumentsFixture::SetUp();
    TDebug::Finaliza();
  }
  QStringList Arquivos() const { return QDir(Pastas::Logs()).entryList(QDir::Files, QDir::Name); }
  QStringList Casando(const QString& padrao) const { return Arquivos().filter(QRegularExpression(padrao)); }
  QStringList Linhas(const QString& nome) const {
    QString t = QString::fromUtf8(ReadAll(Pastas::Logs() + nome));
    QStringList l = t.split('\n');
    if (!l.isEmpty() && l.last().isEmpty()) l.removeLast();
    return l;
  }
  // The text after the "HH:NN:SS.ZZZ: " prefix, checking the prefix on the way.
  static QStringList SemHora(const QStringList& linhas) {
    static const QRegularExpression prefixo("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d: ");
    QStringList r;
    for (const QString& l : linhas) {
      EXPECT_TRUE(prefixo.match(l).hasMatch()) << l.toStdString();
      r << l.mid(14);
    }
    return r;
  }
};

TEST_F(DebugTest, NothingIsWrittenWhileDebugIsOff) {
  TDebug::DefineAtivo(false);
  TDebug::Linha("linha");
  TDebug::AddInfo("NrSerie: 1");
  TDebug::SalvaDump("Teste");
  TDebug::Erro("falhou", "CreateErro");
  EXPECT_TRUE(Arquivos().isEmpty());
  EXPECT_FALSE(QDir(Pastas::Logs()).exists());
  EXPECT_TRUE(TDebug::Linhas().isEmpty());
}

TEST_F(DebugTest, StartUpWithDebugOffEmptiesTheLogsFolder) {
  WriteAll(Pastas::Logs() + "250101_101010123.ndbg", "x");
  WriteAll(Pastas::Logs() + "250101_101010123_Teste.dbg", "x");
  TDebug::ApagaLogs();
  EXPECT_TRUE(Arquivos().isEmpty());
}

TEST_F(DebugTest, LinesGoToTheLiveFileAtOnceAndADumpRotatesIt) {
  TDebug::DefineAtivo(true);
  TDebug::Linha("primeira");
  TDebug::Linha("Conexão aberta");
  const QStringList vivos = Casando("^\\d{6}_\\d{9}\\.ndbg$");
  ASSERT_EQ(vivos.size(), 1);
  // Flushed after every line: readable before any dump or close.
  EXPECT_EQ(SemHora(Linhas(vivos[0])), (QStringList{"primeira", "Conexão aberta"}));

  TDebug::SalvaDump("PerdaDeComunicacao");
  const QStringList dumps = Casando("^\\d{6}_\\d{9}_PerdaDeComunicacao\\.dbg$");
  const QStringList fechados = Casando("^\\d{6}_\\d{9}_PerdaDeComunicacao\\.ndbg$");
  ASSERT_EQ(dumps.size(), 1);
  ASSERT_EQ(fechados.size(), 1);
  EXPECT_EQ(SemHora(Linhas(dumps[0])), (QStringList{"primeira", "Conexão aberta"}));
  EXPECT_EQ(SemHora(Linhas(fechados[0])), (QStringList{"primeira", "Conexão aberta"}));
  EXPECT_TRUE(TDebug::Linhas().isEmpty());
  // A fresh live file replaced the renamed one.
  const QStringList novos = Casando("^\\d{6}_\\d{9}\\.ndbg$");
  ASSERT_EQ(novos.size(), 1);
  EXPECT_TRUE(Linhas(novos[0]).isEmpty());

  // The next dump holds only what came after the previous one.
  TDebug::Linha("depois");
  TDebug::SalvaDump("Segundo");
  const QStringList d2 = Casando("_Segundo\\.dbg$");
  ASSERT_EQ(d2.size(), 1);
  EXPECT_EQ(SemHora(Linhas(d2[0])), QStringList{"depois"});
  const QStringList f2 = Casando("_Segundo\\.ndbg$");
  ASSERT_EQ(f2.size(), 1);
  EXPECT_EQ(SemHora(Linhas(f2[0])), QStringList{"depois"});
}

TEST_F(DebugTest, ADumpWithNoLinesWritesNoDumpFileButStillRenamesTheLiveFile) {
  TDebug::DefineAtivo(true);
  TDebug::Linha("x");
  TDebug::SalvaDump("Primeiro");
  TDebug::SalvaDump("Vazio");
  EXPECT_TRUE(Casando("_Vazio\\.dbg$").isEmpty());
  EXPECT_EQ(Casando("_Vazio\\.ndbg$").size(), 1);
}

TEST_F(DebugTest, EveryDumpEndsWithTheLatestInformationBlock) {
  TDebug::DefineAtivo(true);
  TDebug::LimpaInfo();
  TDebug::AddInfo("NrSerie: 4455");
  TDebug::AddInfo("SP: 3");
  TDebug::Linha("conectado");
  TDebug::SalvaDump("Um");
  const QStringList esperado{"conectado", "*************** INFOS ADICIONAIS", "*** NrSerie: 4455", "*** SP: 3"};
  EXPECT_EQ(SemHora(Linhas(Casando("_Um\\.dbg$").value(0))), esperado);
  EXPECT_EQ(SemHora(Linhas(Casando("_Um\\.ndbg$").value(0))), esperado);

  // Clearing and adding replaces the block in later dumps; the info is not consumed by a dump.
  TDebug::LimpaInfo();
  TDebug::AddInfo("NrSerie: 9999");
  TDebug::Linha("reconectado");
  TDebug::SalvaDump("Dois");
  EXPECT_EQ(SemHora(Linhas(Casando("_Dois\\.dbg$").value(0))),
            (QStringList{"reconectado", "*************** INFOS ADICIONAIS", "*** NrSerie: 9999"}));
  TDebug::Linha("mais");
  TDebug::SalvaDump("Tres");
  EXPECT_EQ(SemHora(Linhas(Casando("_Tres\\.dbg$").value(0))).last(), "*** NrSerie: 9999");
}

TEST_F(DebugTest, FinalizingClosesTheLiveFileWithoutRenaming) {
  TDebug::DefineAtivo(true);
  TDebug::Linha("fim");
  TDebug::Finaliza();
  const QStringList vivos = Casando("^\\d{6}_\\d{9}\\.ndbg$");
  ASSERT_EQ(vivos.size(), 1);
  EXPECT_EQ(SemHora(Linhas(vivos[0])), QStringList{"fim"});
  EXPECT_TRUE(Casando("\\.dbg$").isEmpty());
}

TEST(DebugFormat, TimeAndNameFormats) {
  const QDateTime t(QDate(2026, 3, 7), QTime(9, 5, 4, 7));
  EXPECT_EQ(DebugHora(t), "09:05:04.007");
  EXPECT_EQ(DebugNomeArquivo(t), "260307_090504007");
}

}  // namespace
}  // namespace tovra
