#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <zip.h>

#include "catalogue/dmtovra.h"
#include "common/debug.h"
#include "common/dialogos.h"
#include "common/jsonini.h"
#include "common/pastas.h"
#include "common/texto.h"
#include "tests/online/servidor_fixture.h"
#include "tests/support/gravador_dialogos.h"
#include "update/atualizacao_fluxo.h"

namespace tovra {
namespace {

const char* kConf = R"({"listaDeTabelas":{"ownsObjects":true,"listHelper":[4],"items":[
 {"tableName":"MONTADORAS","fieldList":{"ownsObjects":true,"listHelper":[2],"items":[
   {"nomeField":"ID","tipoDados":"ftInteger","size":0,"isAutoIncremento":false,"isPK":true,"notNull":true},
   {"nomeField":"NOME","tipoDados":"ftString","size":60,"isAutoIncremento":false,"isPK":false,"notNull":false}]},"tipoDTB":""},
 {"tableName":"MODELOS","fieldList":{"ownsObjects":true,"listHelper":[3],"items":[
   {"nomeField":"ID","tipoDados":"ftInteger","size":0,"isAutoIncremento":false,"isPK":true,"notNull":true},
   {"nomeField":"ID_MONTADORA","tipoDados":"ftInteger","size":0,"isAutoIncremento":false,"isPK":false,"notNull":false},
   {"nomeField":"NOME","tipoDados":"ftString","size":60,"isAutoIncremento":false,"isPK":false,"notNull":false}]},"tipoDTB":""},
 {"tableName":"ASSOCIACAO_MODELO_SISTEMA","fieldList":{"ownsObjects":true,"listHelper":[2],"items":[
   {"nomeField":"ID","tipoDados":"ftInteger","size":0,"isAutoIncremento":false,"isPK":true,"notNull":true},
   {"nomeField":"LOCAL_CONECT","tipoDados":"ftString","size":10,"isAutoIncremento":false,"isPK":false,"notNull":false}]},"tipoDTB":""},
 {"tableName":"ADAPTADORES","fieldList":{"ownsObjects":true,"listHelper":[2],"items":[
   {"nomeField":"ID","tipoDados":"ftInteger","size":0,"isAutoIncremento":false,"isPK":true,"notNull":true},
   {"nomeField":"ARQUIVO_ADAPTADOR_V3","tipoDados":"ftString","size":60,"isAutoIncremento":false,"isPK":false,"notNull":false}]},"tipoDTB":""}
]}})";

// SQL lines inserting n rows into MODELOS from a starting id.
QByteArray Modelos(int desde, int n, const QString& marca = "Modelo") {
  QString s;
  for (int i = 0; i < n; ++i)
    s += QString("INSERT INTO MODELOS (ID, ID_MONTADORA, NOME) VALUES (%1, 1, '%2 %1');\r\n").arg(desde + i).arg(marca);
  return *EncodeWin1252(s);
}

class AtualizacaoTest : public test::ServidorFixture {
 protected:
  void SetUp() override {
    ServidorFixture::SetUp();
    Pastas::CriaPastas();
    DefineConfLocal(std::make_unique<TClass_JsonIni>());
    TDialogos::Reinicia();
    Publica("files/conf.json", kConf);
    Publica("files/v3/00700_app.zip", Zip({{"00700.app", "app"}}));
    Tabela("MONTADORAS", {{"montadoras_01.sql",
                           *EncodeWin1252(QString::fromUtf8("INSERT INTO MONTADORAS VALUES (1, 'São Bento D''Oeste');\r\n"
                                                            "INSERT INTO MONTADORAS VALUES (2, 'Citroën');\r\n"))}});
    Tabela("MODELOS", {{"modelos_01.sql", Modelos(1, 150)}, {"modelos_02.sql", Modelos(1001, 250)},
                       {"modelos_03.sql", Modelos(2001, 3)}});
    Tabela("ASSOCIACAO_MODELO_SISTEMA",
           {{"associacao_01.sql", "INSERT INTO ASSOCIACAO_MODELO_SISTEMA VALUES (1, 'A7');\n"
                                  "INSERT INTO ASSOCIACAO_MODELO_SISTEMA VALUES (2, '+');\n"
                                  "INSERT INTO ASSOCIACAO_MODELO_SISTEMA VALUES (3, '0');\n"}});
    Tabela("ADAPTADORES", {{"adaptadores_01.sql", "INSERT INTO ADAPTADORES VALUES (1, 'ADP_12.png');\n"}});
    PublicaLista();
    Publica("files/localizacao/LOC_GEN_A7.png", "png-a7");
    Publica("files/adaptadores/ADP_12.png", "png-12");
    Publica("files/adaptadores/OBD.png", "png-obd");
    Pacote("00123.flx", "script 123");
    Pacote("00124.v4", "script 124");
    PublicaPacotes();
  }
  void TearDown() override {
    FAtualizacao.reset();
    if (FDm) FDm->EncerraDataModule();
    FDm.reset();
    DefineConfLocal(nullptr);
    DefineGanchoAntesRenomear(nullptr);
    TDialogos::DefineApresentador(nullptr);
    ServidorFixture::TearDown();
  }

  static QByteArray Zip(const std::vector<std::pair<std::string, QByteArray>>& entradas) {
    QTemporaryDir d;
    const QString p = d.path() + "/z.zip";
    int erro = 0;
    zip_t* z = zip_open(QFile::encodeName(p).constData(), ZIP_CREATE | ZIP_TRUNCATE, &erro);
    std::vector<QByteArray> guarda;
    for (const auto& [nome, conteudo] : entradas) {
      guarda.push_back(conteudo);
      zip_source_t* s = zip_source_buffer(z, guarda.back().constData(), static_cast<zip_uint64_t>(conteudo.size()), 0);
      zip_file_add(z, nome.c_str(), s, ZIP_FL_OVERWRITE);
    }
    zip_close(z);
    return ReadAll(p);
  }
  static QString Crc(const QByteArray& b) {
    QTemporaryDir d;
    WriteAll(d.path() + "/x", b);
    return CrcArquivo(d.path() + "/x");
  }
  // Publishes a table's SQL files (zip per file) and remembers them for the list.
  void Tabela(const QString& nome, const std::vector<std::pair<QString, QByteArray>>& arquivos) {
    auto& t = FTabelas[nome];
    t.clear();
    for (const auto& [arquivo, sql] : arquivos) {
      TClassFileCRC f;
      f.FFileName = arquivo;
      f.FFileCRC = Crc(sql);
      Publica("files/" + f.ZipName(), Zip({{f.SqlName().toStdString(), sql}}));
      t.push_back(f);
    }
    if (!FOrdem.contains(nome)) FOrdem << nome;
  }
  void PublicaLista() {
    TListaArquivosPorTabela l;
    for (const QString& nome : FOrdem) {
      auto& t = l.AddNew();
      t.FNomeTabela = nome;
      for (const TClassFileCRC& f : FTabelas[nome]) t.FListaFiles.Add(TClassFileCRC{f.FFileName, f.FFileCRC});
    }
    WriteAll(Servido() + "files/tovra_lista_filecrc.json",
             QByteArray::fromStdString(ListaParaJson<TClassArquivosPorTabela>(l).dump()));
  }
  void Pacote(const QString& arquivo, const QByteArray& conteudo) {
    TClass_ZipInfo z;
    z.Farquivo = arquivo;
    z.Fcrc = Crc(conteudo);
    Publica("files/zips/" + z.ZipName(), Zip({{arquivo.toStdString(), conteudo}}));
    FPacotes.erase(std::remove_if(FPacotes.begin(), FPacotes.end(), [&](auto& p) { return p.first == arquivo; }),
                   FPacotes.end());
    FPacotes.push_back({arquivo, z.Fcrc});
  }
  void PublicaPacotes() {
    TLista_ZipInfo l;
    for (const auto& [a, c] : FPacotes) l.Add(TClass_ZipInfo{a, "", "", c});
    WriteAll(Servido() + "files/zips/zinfocrc.json", QByteArray::fromStdString(ListaParaJson<TClass_ZipInfo>(l).dump()));
    WriteAll(Servido() + "files/zips/zfirmwarecrc.json", R"({"ownsObjects":true,"listHelper":[0],"items":[]})");
  }

  // A start of the program: the lists fetched, the catalogue opened, a fresh engine.
  TClassAtualizacao& Inicia() {
    FAtualizacao.reset();
    if (FDm) FDm->EncerraDataModule();
    FDm = std::make_unique<TDmTovra>();
    PromoveListasPacotes();
    EXPECT_EQ(BaixaListasCatalogo(BaixaPorHttp(&FHttp), TServicos::ReleaseServidor()), "");
    EXPECT_TRUE(FDm->IniciaDataModule(Pastas::Files(), "conf.json"));
    FAtualizacao = std::make_unique<TClassAtualizacao>(&FHttp, FDm.get(), TServicos::ReleaseServidor());
    return *FAtualizacao;
  }
  QStringList Coluna(const QString& sql) {
    QStringList r;
    TQueryRef q = FDm->Search(sql);
    for (q->First(); !q->Eof(); q->Next()) r << q->Field(0).AsString();
    return r;
  }
  qint64 Conta(const QString& tabela) { return Coluna("SELECT COUNT(*) FROM " + tabela).value(0).toLongLong(); }
  int Baixados(const std::string& prefixo) {
    int n = 0;
    for (const auto& p : Servidor().Pedidos())
      if (p.FMetodo == "GET" && p.FAlvo.rfind(prefixo, 0) == 0) ++n;
    return n;
  }
  // The whole update as the selection screen applies it.
  bool AtualizaTudo() {
    TClassAtualizacao& a = Inicia();
    a.TemArquivoNovo();
    if (!FluxoTemAtualizacao(a)) return true;
    return FluxoAtualiza(a);
  }

  std::map<QString, std::vector<TClassFileCRC>> FTabelas;
  QStringList FOrdem;
  std::vector<std::pair<QString, QString>> FPacotes;
  TClassHttpLib FHttp;
  std::unique_ptr<TDmTovra> FDm;
  std::unique_ptr<TClassAtualizacao> FAtualizacao;
};

TEST_F(AtualizacaoTest, AFirstStartFillsEveryTableAndFetchesPackagesAndPictures) {
  TClassAtualizacao& a = Inicia();
  EXPECT_TRUE(a.TemArquivoNovo());
  ASSERT_TRUE(FluxoTemAtualizacao(a));
  ASSERT_TRUE(FluxoAtualiza(a));

  EXPECT_EQ(Coluna("SELECT NOME FROM MONTADORAS ORDER BY ID"), (QStringList{"São Bento D'Oeste", "Citroën"}));
  EXPECT_EQ(Conta("MODELOS"), 403);
  EXPECT_EQ(ReadAll(Pastas::Zips() + "00123.flx"), "script 123");
  EXPECT_EQ(ReadAll(Pastas::Zips() + "00124.v4"), "script 124");
  EXPECT_TRUE(QFile::exists(Pastas::Zips() + "zinfocrc.json"));
  EXPECT_FALSE(QFile::exists(Pastas::Zips() + "zinfocrc_new.json"));
  EXPECT_EQ(ReadAll(Pastas::Localizacao() + "LOC_GEN_A7.png"), "png-a7");
  EXPECT_FALSE(QFile::exists(Pastas::Localizacao() + "LOC_GEN_+.png"));
  EXPECT_EQ(ReadAll(Pastas::Adaptadores() + "ADP_12.png"), "png-12");
  EXPECT_EQ(ReadAll(Pastas::Adaptadores() + "OBD.png"), "png-obd");
  EXPECT_FALSE(LeConfBoolean(conf::kAtualizacao, conf::kOkUpdate, true));

  // Every file of the current list is marked inserted.
  auto atual = TListaArquivosPorTabela::LerArquivo(Pastas::Files() + "tovra_lista_filecrc_atual.json");
  for (const auto& t : *atual)
    for (const auto& f : t.FListaFiles) EXPECT_TRUE(f.FInserido) << f.FFileName.toStdString();

  // The next start finds every package in place, remembers the package list's
  // checksum and offers nothing; it downloads nothing but the lists.
  Servidor().LimpaPedidos();
  TClassAtualizacao& b = Inicia();
  EXPECT_FALSE(FluxoTemAtualizacao(b));
  EXPECT_EQ(LeConfString(conf::kAtualizacao, conf::kCrcFlx), CrcArquivo(Pastas::Zips() + "zinfocrc_new.json"));
  EXPECT_EQ(Baixados("/files/zips/0"), 0);
  EXPECT_EQ(Baixados("/files/modelos"), 0);
  // From then on the quick check answers at once.
  EXPECT_FALSE(Inicia().TemArquivoNovo());
}

TEST_F(AtualizacaoTest, AChangedFileRefillsItsWholeTableOnly) {
  ASSERT_TRUE(AtualizaTudo());
  Tabela("MODELOS", {{"modelos_01.sql", Modelos(1, 150)}, {"modelos_02.sql", Modelos(1001, 10, "Novo")},
                     {"modelos_03.sql", Modelos(2001, 3)}});
  PublicaLista();
  Servidor().LimpaPedidos();
  TClassAtualizacao& a = Inicia();
  EXPECT_TRUE(a.TemArquivoNovo());
  ASSERT_TRUE(FluxoTemAtualizacao(a));
  ASSERT_TRUE(FluxoAtualiza(a));
  EXPECT_EQ(Conta("MODELOS"), 163);
  EXPECT_EQ(Coluna("SELECT NOME FROM MODELOS WHERE ID = 1005"), QStringList{"Novo 1005"});
  EXPECT_EQ(Baixados("/files/modelos_02.zip"), 1);
  EXPECT_EQ(Baixados("/files/modelos_01.zip"), 0);
  EXPECT_EQ(Baixados("/files/montadoras"), 0);
  EXPECT_EQ(Conta("MONTADORAS"), 2);
}

TEST_F(AtualizacaoTest, AnEmptyTableOrAMissingZipMakesItsTableStale) {
  ASSERT_TRUE(AtualizaTudo());
  FDm->Exec("DELETE FROM MONTADORAS");
  QFile::remove(Pastas::Files() + "modelos_03.zip");
  TDebug::DefineAtivo(true);
  TClassAtualizacao& a = Inicia();
  EXPECT_FALSE(a.TabelasAtualizadas());
  const QString log = TDebug::Linhas().join("\n");
  EXPECT_TRUE(log.contains("Tabela vazia: MONTADORAS"));
  EXPECT_TRUE(log.contains("Zip não existe: modelos_03.zip"));
  QString erro;
  ASSERT_TRUE(a.AtualizaTabelas(erro));
  EXPECT_EQ(erro, "");
  EXPECT_EQ(Conta("MONTADORAS"), 2);
  EXPECT_EQ(Conta("MODELOS"), 403);
  EXPECT_TRUE(QFile::exists(Pastas::Files() + "modelos_03.zip"));
}

TEST_F(AtualizacaoTest, ABatchThatFailsRollsBackOnlyItsTable) {
  ASSERT_TRUE(AtualizaTudo());
  const QString sqlIndices = "SELECT sql FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL ORDER BY name";
  FDm->Exec("CREATE INDEX IF NOT EXISTS TESTE_MODELOS_NOME ON MODELOS (NOME)");
  FDm->Exec("CREATE INDEX IF NOT EXISTS TESTE_MONTADORAS_NOME ON MONTADORAS (NOME)");
  const QStringList indices = Coluna(sqlIndices);
  // The second of three files breaks at line 151 (its second batch of 100).
  QByteArray ruim = Modelos(1001, 150) + "INSERT INTO MODELOS VALUES (sintaxe errada;\r\n" + Modelos(1200, 5);
  Tabela("MODELOS", {{"modelos_01.sql", Modelos(1, 150, "Outro")}, {"modelos_02.sql", ruim},
                     {"modelos_03.sql", Modelos(2001, 3)}});
  Tabela("MONTADORAS", {{"montadoras_01.sql", "INSERT INTO MONTADORAS VALUES (9, 'Nova');\n"}});
  PublicaLista();
  TClassAtualizacao& a = Inicia();
  ASSERT_FALSE(a.TabelasAtualizadas());
  QString erro;
  EXPECT_TRUE(a.AtualizaTabelas(erro));
  EXPECT_TRUE(erro.contains("modelos_02.sql")) << erro.toStdString();
  EXPECT_FALSE(erro.contains("MODELOS\n"));
  // MODELOS is as it was before the DELETE; MONTADORAS took its new content.
  EXPECT_EQ(Conta("MODELOS"), 403);
  EXPECT_EQ(Coluna("SELECT NOME FROM MODELOS WHERE ID = 1"), QStringList{"Modelo 1"});
  EXPECT_EQ(Coluna("SELECT NOME FROM MONTADORAS"), QStringList{"Nova"});
  EXPECT_FALSE(QFile::exists(Pastas::Files() + "modelos_02.zip"));
  // The indexes dropped for the refill are back, in the refilled table and in the rolled-back one.
  EXPECT_EQ(Coluna(sqlIndices), indices);
  // The failing file is not inserted, so the next check marks it again.
  TDebug::DefineAtivo(true);
  TClassAtualizacao& b = Inicia();
  EXPECT_FALSE(b.TabelasAtualizadas());
  EXPECT_TRUE(TDebug::Linhas().join("\n").contains("Arquivo não inserido: modelos_02.sql"));
}

TEST_F(AtualizacaoTest, ADownloadFailureTouchesNeitherTheDatabaseNorTheLists) {
  ASSERT_TRUE(AtualizaTudo());
  const QByteArray antes = ReadAll(Pastas::Files() + "tovra_lista_filecrc_atual.json");
  Tabela("MODELOS", {{"modelos_01.sql", Modelos(1, 5, "X")}, {"modelos_02.sql", Modelos(1001, 250)},
                     {"modelos_03.sql", Modelos(2001, 3)}});
  PublicaLista();
  QFile::remove(Servido() + "files/modelos_01.zip");
  TClassAtualizacao& a = Inicia();
  a.TabelasAtualizadas();
  QString erro;
  EXPECT_FALSE(a.AtualizaTabelas(erro));
  EXPECT_EQ(erro, "modelos_01.zip");
  EXPECT_EQ(Conta("MODELOS"), 403);
  EXPECT_EQ(ReadAll(Pastas::Files() + "tovra_lista_filecrc_atual.json"), antes);

  // Through the flow: the user is told, the package lists still move into place.
  test::TGravadorDialogos g;
  TDialogos::DefineApresentador(&g);
  TClassAtualizacao& b = Inicia();
  b.TabelasAtualizadas();
  EXPECT_FALSE(FluxoAtualiza(b));
  ASSERT_EQ(g.mensagens.size(), 1);
  EXPECT_TRUE(g.mensagens[0].startsWith("FALHA|FalhaAtualizarDTB")) << g.mensagens[0].toStdString();
  EXPECT_FALSE(QFile::exists(Pastas::Zips() + "zinfocrc_new.json"));
  EXPECT_TRUE(QFile::exists(Pastas::Zips() + "zinfocrc.json"));
}

TEST_F(AtualizacaoTest, ADamagedPackageIsRestoredFromItsZipBeforeAnyDownload) {
  ASSERT_TRUE(AtualizaTudo());
  WriteAll(Pastas::Zips() + "00123.flx", "estragado");
  Servidor().LimpaPedidos();
  TClassAtualizacao& a = Inicia();
  a.CarregarListasNew();
  EXPECT_TRUE(a.ZipsBaixados());
  EXPECT_EQ(ReadAll(Pastas::Zips() + "00123.flx"), "script 123");
  EXPECT_EQ(Baixados("/files/zips/00123"), 0);

  // Zip damaged too: marked, then downloaded.
  WriteAll(Pastas::Zips() + "00123.flx", "estragado");
  WriteAll(Pastas::Zips() + "00123_flx_" + FPacotes[0].second + ".zip", "nao e zip");
  a.CarregarListasNew();
  EXPECT_FALSE(a.ZipsBaixados());
  EXPECT_TRUE(a.ListaZips()->GetInfoBySistemaID(123)->Fbaixar);
  EXPECT_FALSE(a.ListaZips()->GetInfoBySistemaID(124)->Fbaixar);
  EXPECT_TRUE(a.BaixarZips());
  EXPECT_EQ(ReadAll(Pastas::Zips() + "00123.flx"), "script 123");
  EXPECT_EQ(Baixados("/files/zips/00123"), 1);
}

TEST_F(AtualizacaoTest, APackageThatCannotBeFetchedFailsTheDownload) {
  ASSERT_TRUE(AtualizaTudo());
  Pacote("00125.flx", "script 125");
  PublicaPacotes();
  QDir(Servido() + "files/zips").remove("00125_flx_" + FPacotes.back().second + ".zip");
  TClassAtualizacao& a = Inicia();
  EXPECT_TRUE(a.TemArquivoNovo());
  a.CarregarListasNew();
  EXPECT_FALSE(a.ZipsBaixados());
  EXPECT_FALSE(a.BaixarZips());
  EXPECT_TRUE(a.ListaZips()->GetInfoBySistemaID(125)->FErro);
}

TEST_F(AtualizacaoTest, ATableZipWhoseEntryLeavesItsFolderIsRefused) {
  TClassFileCRC f{"montadoras_01.sql", "1"};
  Publica("files/montadoras_01.zip", Zip({{"../../montadoras_01.sql", "INSERT INTO MONTADORAS VALUES (1,'x');"}}));
  FTabelas["MONTADORAS"] = {f};
  PublicaLista();
  TClassAtualizacao& a = Inicia();
  a.TabelasAtualizadas();
  QString erro;
  EXPECT_FALSE(a.AtualizaTabelas(erro));
  EXPECT_EQ(erro, "montadoras_01.zip");
  EXPECT_FALSE(QFile::exists(Pastas::Base() + "montadoras_01.sql"));
  EXPECT_FALSE(QFile::exists(Pastas::Files() + "montadoras_01.sql"));
  EXPECT_EQ(Conta("MONTADORAS"), 0);
}

TEST_F(AtualizacaoTest, ZipsMadeByAnotherToolAreRead) {
  // Made by Python's zipfile with deflate, holding a Windows-1252 SQL file.
  FTabelas["MONTADORAS"] = {TClassFileCRC{"montadoras_01.sql", "1"}};
  Publica("files/montadoras_01.zip", ReadAll(test::SourceDir() + "/tests/update/fixtures/montadoras_01.zip"));
  PublicaLista();
  ASSERT_TRUE(AtualizaTudo());
  EXPECT_EQ(Coluna("SELECT NOME FROM MONTADORAS ORDER BY ID"), (QStringList{"Volkswagen Caminhões", "Citroën"}));
}

TEST_F(AtualizacaoTest, ACrashWhileSavingTheListLeavesTheOldOne) {
  ASSERT_TRUE(AtualizaTudo());
  const QByteArray antes = ReadAll(Pastas::Files() + "tovra_lista_filecrc_atual.json");
  Tabela("MONTADORAS", {{"montadoras_01.sql", "INSERT INTO MONTADORAS VALUES (9, 'Nova');\n"}});
  PublicaLista();
  TClassAtualizacao& a = Inicia();
  a.TabelasAtualizadas();
  DefineGanchoAntesRenomear([](const QString& arq) {
    if (arq.endsWith("tovra_lista_filecrc_atual.json")) throw std::runtime_error("queda de energia");
  });
  QString erro;
  EXPECT_THROW(a.AtualizaTabelas(erro), std::runtime_error);
  DefineGanchoAntesRenomear(nullptr);
  EXPECT_EQ(ReadAll(Pastas::Files() + "tovra_lista_filecrc_atual.json"), antes);
}

TEST_F(AtualizacaoTest, TheSelectionScreenAsksBeforeApplying) {
  test::TGravadorDialogos r;
  TDialogos::DefineApresentador(&r);
  int fim = -1;
  VerificaAtualizacaoSelecao(Inicia(), [&](bool aplicou) { fim = aplicou; });
  ASSERT_EQ(r.mensagens, QStringList{"INFORMACAO|ExisteAtualizacao"});
  TDialogos::PressionaCancel();
  EXPECT_EQ(fim, 0);
  EXPECT_EQ(Conta("MODELOS"), 0);

  VerificaAtualizacaoSelecao(Inicia(), [&](bool aplicou) { fim = aplicou; });
  TDialogos::PressionaOk();
  EXPECT_EQ(fim, 1);
  EXPECT_EQ(Conta("MODELOS"), 403);

  // With "OK_UPDATE" on, an update runs without asking.
  Tabela("MONTADORAS", {{"montadoras_01.sql", "INSERT INTO MONTADORAS VALUES (9, 'Nova');\n"}});
  PublicaLista();
  EscreveConfBoolean(conf::kAtualizacao, conf::kOkUpdate, true);
  r.mensagens.clear();
  VerificaAtualizacaoSelecao(Inicia(), [&](bool aplicou) { fim = aplicou; });
  EXPECT_TRUE(r.mensagens.isEmpty());
  EXPECT_EQ(Coluna("SELECT NOME FROM MONTADORAS"), QStringList{"Nova"});
  EXPECT_FALSE(LeConfBoolean(conf::kAtualizacao, conf::kOkUpdate, true));
}

TEST(LotesSql, FirstLineAloneThenHundreds) {
  const std::pair<int, std::vector<int>> casos[] = {
      {1, {1}}, {2, {1, 1}}, {101, {1, 100}}, {102, {1, 100, 1}}, {250, {1, 100, 100, 49}}};
  for (const auto& [n, tamanhos] : casos) {
    QStringList linhas;
    for (int i = 0; i < n; ++i) linhas << "x";
    const QStringList lotes = LotesSql(linhas);
    std::vector<int> obtidos;
    for (const QString& l : lotes) obtidos.push_back(static_cast<int>(l.size()));
    EXPECT_EQ(obtidos, tamanhos) << n;
  }
  EXPECT_EQ(LotesSql({"a;", "b;"}).join("|"), "a;|b;");
}

}  // namespace
}  // namespace tovra
