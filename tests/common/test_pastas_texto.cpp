#include <QDir>
#include <gtest/gtest.h>

#include "common/pastas.h"
#include "common/texto.h"
#include "tests/support/testsupport.h"

namespace tovra {
namespace {

class PastasTest : public test::DocumentsFixture {};

TEST_F(PastasTest, TheTreeLivesUnderTheDocumentsFolder) {
  const QString base = Documents() + "{6f2fe5b1-aaff-4898-80b8-eb49fb0d9fd7}/";
  EXPECT_EQ(Pastas::Base(), base);
  EXPECT_EQ(Pastas::Logs(), base + "logs/");
  EXPECT_EQ(Pastas::Files(), base + "files/");
  EXPECT_EQ(Pastas::Zips(), base + "files/zips/");
  EXPECT_EQ(Pastas::Adaptadores(), base + "files/adaptadores/");
  EXPECT_EQ(Pastas::Localizacao(), base + "files/localizacao/");
  EXPECT_EQ(Pastas::AutoUpdate(), base + "files/autoupdate/");
  EXPECT_EQ(Pastas::HomologFlx(), "");
  EXPECT_FALSE(Pastas::ModoTeste());
  EXPECT_EQ(Pastas::PastaServidor(), "files/");
  EXPECT_EQ(Pastas::ConfLocais(), base + "conf_locais.jsn");
  EXPECT_FALSE(QDir(base).exists());  // nothing is created until asked
  Pastas::CriaPastas();
  for (const QString& p : {Pastas::Logs(), Pastas::Zips(), Pastas::Adaptadores(), Pastas::Localizacao(),
                           Pastas::AutoUpdate()})
    EXPECT_TRUE(QDir(p).exists()) << p.toStdString();
}

TEST_F(PastasTest, AHomologFolderSwitchesTheNextRunToTestMode) {
  Pastas::CriaPastas();
  WriteAll(Pastas::Base() + "conf_locais.jsn", "{}");
  QDir().mkpath(Pastas::Base() + "homolog");
  EXPECT_FALSE(Pastas::ModoTeste());  // decided at start-up only
  Pastas::Inicializa();
  EXPECT_TRUE(Pastas::ModoTeste());
  EXPECT_EQ(Pastas::Files(), Pastas::Base() + "homolog/");
  EXPECT_EQ(Pastas::Zips(), Pastas::Base() + "homolog/zips/");
  EXPECT_EQ(Pastas::HomologFlx(), Pastas::Base() + "homolog_flx/");
  EXPECT_EQ(Pastas::PastaServidor(), "homolog/");
  // Settings, dictionary and logs stay where they were.
  EXPECT_EQ(Pastas::ConfLocais(), Documents() + "{6f2fe5b1-aaff-4898-80b8-eb49fb0d9fd7}/conf_locais.jsn");
  EXPECT_EQ(Pastas::Logs(), Pastas::Base() + "logs/");
  Pastas::CriaPastas();
  EXPECT_TRUE(QDir(Pastas::HomologFlx()).exists());
}

TEST(Texto, Windows1252) {
  const QString t = QString::fromUtf8("Não Conexão Atenção € “aspas” ç");
  auto b = EncodeWin1252(t);
  ASSERT_TRUE(b);
  EXPECT_EQ(b->size(), t.size());
  EXPECT_EQ(static_cast<unsigned char>(b->at(1)), 0xE3);  // ã
  EXPECT_EQ(DecodeWin1252(*b), t);
  EXPECT_EQ(DecodeTextFile(*b), t);
  EXPECT_EQ(DecodeTextFile(t.toUtf8()), t);
  EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBF" + t.toUtf8()), t);
  // Characters outside the code page are refused, not mangled.
  EXPECT_FALSE(EncodeWin1252(QString::fromUtf8("Ωmega")));
  EXPECT_EQ(FirstNonWin1252(QString::fromUtf8("abΩ")), 2);
  EXPECT_EQ(FirstNonWin1252("abc"), -1);
}

TEST(Texto, Utf8Validation) {
  const std::pair<QByteArray, bool> casos[] = {
      {"plain", true},          {"\xC3\xA3", true},      {"\xE2\x82\xAC", true}, {"\xF0\x9F\x94\xA7", true},
      {"\xE3", false},          {"\xC3", false},         {"\xC0\x80", false},    {"\xED\xA0\x80", false},
      {"\xE2\x82", false},      {"\xFF", false},
  };
  for (const auto& [bytes, ok] : casos) EXPECT_EQ(IsValidUtf8(bytes), ok) << bytes.toHex().toStdString();
}

}  // namespace
}  // namespace tovra
