#include <gtest/gtest.h>

#include "common/debug.h"
#include "common/dicionario.h"
#include "common/pastas.h"
#include "common/texto.h"
#include "tests/support/testsupport.h"

namespace tovra {
namespace {

const char* kMsgs =
    "[_conf_idiomas]\n"
    "ES=Español\n"
    "PT=Português\n"
    "\n"
    "[Aguarde]\n"
    "PT=Aguarde...\n"
    "ES=Espere...\n"
    "\n"
    "[FalhaConexao]\n"
    "PT=Não foi possível a Conexão. Atenção ao cabo.\n"
    "\n"
    "[SomenteES]\n"
    "ES=Solo\n"
    "\n"
    "[Titulo]\n"
    "PT=Atenção\n"
    "\n"
    "[Contagem]\n"
    "PT=%d falhas em %s\n";

class DicionarioTest : public test::DocumentsFixture {
 protected:
  void SetUp() override {
    DocumentsFixture::SetUp();
    TDicionario::Limpa();
    Pastas::CriaPastas();
  }
  void TearDown() override {
    TDicionario::Limpa();
    DocumentsFixture::TearDown();
  }
  QString Escreve(const QString& nome, const QByteArray& bytes) {
    const QString p = Pastas::Base() + nome;
    WriteAll(p, bytes);
    return p;
  }
};

TEST_F(DicionarioTest, TheFirstLanguageIsTheDefaultAndLookupsIgnoreCase) {
  TDicionario::Inicializa(Escreve("dic_tovra_msgs.ini", kMsgs), "");
  EXPECT_EQ(TDicionario::Idioma(), "ES");
  EXPECT_EQ(TDicionario::Traduz("Aguarde"), "Espere...");
  EXPECT_EQ(TDicionario::Traduz("aguarde", "pt"), "Aguarde...");
  TDicionario::DefineIdioma("PT");
  EXPECT_EQ(TDicionario::Traduz("AGUARDE"), "Aguarde...");
  EXPECT_EQ(TDicionario::TraduzUpper("Titulo"), "ATENÇÃO");
  EXPECT_EQ(TDicionario::GetIndiceChave("FalhaConexao"), 1);
  EXPECT_EQ(TDicionario::GetIndiceChave("Inexistente"), -1);
}

TEST_F(DicionarioTest, AMissingKeyOrLanguageLineAnswersTheKey) {
  EXPECT_EQ(TDicionario::Traduz("Aguarde"), "Aguarde");  // no message dictionary yet
  TDicionario::Inicializa(Escreve("dic_tovra_msgs.ini", kMsgs), "PT");
  EXPECT_EQ(TDicionario::Traduz("NaoExiste"), "NaoExiste");
  EXPECT_EQ(TDicionario::Traduz("SomenteES"), "SomenteES");
  // A missing file changes nothing.
  TDicionario::Inicializa(Pastas::Base() + "nenhum.ini", "ES");
  EXPECT_EQ(TDicionario::Idioma(), "PT");
}

TEST_F(DicionarioTest, Windows1252AndUtf8FilesGiveTheSameTexts) {
  const QString texto = QString::fromUtf8(kMsgs);
  const QByteArray utf8 = texto.toUtf8();
  const QByteArray bom = QByteArray("\xEF\xBB\xBF") + utf8;
  const QByteArray cp1252 = *EncodeWin1252(QString(texto).replace("\n", "\r\n"));
  ASSERT_NE(cp1252, utf8);
  for (const QByteArray& bytes : {utf8, bom, cp1252}) {
    TDicionario::Limpa();
    TDicionario::Inicializa(Escreve("dic_tovra_msgs.ini", bytes), "PT");
    EXPECT_EQ(TDicionario::Traduz("FalhaConexao"), "Não foi possível a Conexão. Atenção ao cabo.");
    EXPECT_EQ(TDicionario::Traduz("Titulo"), "Atenção");
    EXPECT_EQ(TDicionario::Mensagens()->Idiomas().first().first, "ES");
    EXPECT_EQ(TDicionario::Mensagens()->Idiomas().first().second, "Español");
  }
}

TEST_F(DicionarioTest, TheScreenDictionaryComesBeforeTheMessageDictionary) {
  TDicionario::Inicializa(Escreve("dic_tovra_msgs.ini", kMsgs), "PT");
  TDicionario::InicializaForm(
      Escreve("dic_tovra_frmConexao.ini", "[_conf_idiomas]\nPT=Português\n[Aguarde]\nPT=Procurando...\n"));
  EXPECT_EQ(TDicionario::Traduz("Aguarde"), "Procurando...");
  EXPECT_EQ(TDicionario::Traduz("Titulo"), "Atenção");
  // A missing screen file keeps the previous screen dictionary.
  TDicionario::InicializaForm(Pastas::Base() + "nao_existe.ini");
  EXPECT_EQ(TDicionario::Traduz("Aguarde"), "Procurando...");
}

TEST_F(DicionarioTest, DialogTextsFollowTheKeyConvention) {
  TDicionario::Inicializa(Escreve("dic_tovra_msgs.ini", kMsgs), "PT");
  EXPECT_EQ(TDicionario::TextoDialogo("Aguarde"), "Aguarde...");
  EXPECT_EQ(TDicionario::TextoDialogo("Texto com espaço"), "Texto com espaço");
  EXPECT_EQ(TDicionario::TextoDialogo("Contagem", {"3", "ABS"}), "3 falhas em ABS");
  EXPECT_EQ(TDicionario::TituloDialogo("Titulo"), "ATENÇÃO");
  // A format that fails shows the text unchanged.
  EXPECT_EQ(TDicionario::TextoDialogo("Contagem", {"tres", "ABS"}), "Contagem");
  EXPECT_EQ(TDicionario::TextoDialogo("Contagem", {"3"}), "Contagem");
}

TEST_F(DicionarioTest, EditingAndSavingADictionary) {
  const QString arq = Escreve("edit.ini", kMsgs);
  TDicionarioBase d(arq);
  EXPECT_THROW(d.NovaChave("aguarde"), std::runtime_error);
  EXPECT_THROW(d.ApagarChave("Inexistente"), std::runtime_error);
  EXPECT_NO_THROW(d.ApagarChave(""));
  d.ApagarChave("SomenteES");
  EXPECT_EQ(d.NovaChave("Nova"), 4);
  d.DefineTraducao("Nova", "pt", "Texto novo");
  d.NovoIdioma("en", "English");
  d.NovoIdioma("PT", "outro");  // already there: nothing changes
  d.Salva();

  TDicionarioBase r(arq);
  EXPECT_FALSE(r.ChavesTrad().contains("SomenteES"));
  EXPECT_EQ(r.Traduz("Nova", "PT"), "Texto novo");
  EXPECT_EQ(r.Traduz("Aguarde", "PT"), "Aguarde...");
  ASSERT_EQ(r.Idiomas().size(), 3);
  EXPECT_EQ(r.Idiomas()[2].first, "EN");
  EXPECT_EQ(r.Idiomas()[2].second, "ENGLISH");
  EXPECT_EQ(r.Idiomas()[1].second, "Português");
}

// A small component tree standing in for a screen.
struct Comp : IComponenteTraduzivel {
  QString nome, texto;
  std::vector<std::unique_ptr<Comp>> filhos;
  Comp(QString n, QString t) : nome(std::move(n)), texto(std::move(t)) {}
  Comp& Filho(const QString& n, const QString& t) {
    filhos.push_back(std::make_unique<Comp>(n, t));
    return *filhos.back();
  }
  QString Nome() const override { return nome; }
  void ParaCadaComponente(const std::function<void(IComponenteTraduzivel&)>& f) override {
    for (auto& c : filhos) f(*c);
  }
  void DefineTexto(const QString& t) override { texto = t; }
};

TEST_F(DicionarioTest, TranslatingAScreenWalksItsComponents) {
  TDicionario::Inicializa(Escreve("dic_tovra_msgs.ini", kMsgs), "PT");
  Escreve("dic_tovra_frmBrevanta.ini", "[x]\nPT=y\n");  // marks the extracted package
  const QString dic = Escreve("dic_tovra_frmUltAcessados.ini",
                              "[_conf_idiomas]\nPT=Português\n"
                              "[lblTitulo]\nPT=Últimos acessados\n"
                              "[edtBusca]\nPT=Buscar veículo\n"
                              "[pnlTopo]\nES=solo es\n");
  Comp tela("frmUltAcessados", "");
  Comp& painel = tela.Filho("pnlLista", "");
  Comp& titulo = painel.Filho("lblTitulo", "Recent");
  Comp& busca = painel.Filho("edtBusca", "");
  Comp& topo = tela.Filho("pnlTopo", "topo");
  Comp& dentroDoTopo = topo.Filho("lblTitulo", "nao muda");
  Comp& outro = tela.Filho("btnFechar", "Fechar");

  TDicionario::CarregaDicionarioTela(dic, tela, "frmUltAcessadosErro");
  EXPECT_EQ(titulo.texto, "Últimos acessados");
  EXPECT_EQ(busca.texto, "Buscar veículo");
  // A component that is a key takes its translation (here the key, no PT line) and
  // its own components are not visited.
  EXPECT_EQ(topo.texto, "pnlTopo");
  EXPECT_EQ(dentroDoTopo.texto, "nao muda");
  EXPECT_EQ(outro.texto, "Fechar");
}

TEST_F(DicionarioTest, ScreensKeepBuiltInTextsUntilThePackageIsExtracted) {
  TDicionario::Inicializa(Escreve("dic_tovra_msgs.ini", kMsgs), "PT");
  const QString dic = Escreve("dic_tovra_frmConexao.ini", "[lblTitulo]\nPT=Dispositivos\n");
  Comp tela("frmListaBT", "");
  Comp& titulo = tela.Filho("lblTitulo", "Devices");
  TDicionario::CarregaDicionarioTela(dic, tela, "frmListaBTErro");
  EXPECT_EQ(titulo.texto, "Devices");
}

}  // namespace
}  // namespace tovra
