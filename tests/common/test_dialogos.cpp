#include <QDate>
#include <gtest/gtest.h>

#include "common/dialogos.h"
#include "common/dicionario.h"
#include "common/pastas.h"
#include "tests/support/gravador_dialogos.h"
#include "tests/support/testsupport.h"

namespace tovra {
namespace {

using Gravador = test::TGravadorDialogos;

class DialogosTest : public test::DocumentsFixture {
 protected:
  void SetUp() override {
    DocumentsFixture::SetUp();
    TDicionario::Limpa();
    WriteAll(Pastas::Base() + "dic_tovra_msgs.ini",
             "[_conf_idiomas]\nPT=Português\n[Falha]\nPT=Falha\n[Informacao]\nPT=Informação\n"
             "[Aguarde]\nPT=Aguarde...\n[ExisteAtualizacao]\nPT=Existe atualização. Deseja atualizar?\n"
             "[Conferindo]\nPT=Conferindo %d de %d\n[Sim]\nPT=Sim\n[Nao]\nPT=Não\n"
             "[Detalhe]\nPT=Verifique o cabo\n[Texto com]\nPT=nunca usado\n");
    TDicionario::Inicializa(Pastas::Base() + "dic_tovra_msgs.ini", "PT");
    TDialogos::Reinicia();
    TDialogos::DefineApresentador(&g);
  }
  void TearDown() override {
    TDialogos::DefineApresentador(nullptr);
    TDialogos::Reinicia();
    TDicionario::Limpa();
    DocumentsFixture::TearDown();
  }
  Gravador g;
};

TEST_F(DialogosTest, TheTextRule) {
  TDialogos::MensagemShow("Falha", "ExisteAtualizacao");
  EXPECT_EQ(g.ultima.FTitulo, "FALHA");
  EXPECT_EQ(g.ultima.FTexto, "Existe atualização. Deseja atualizar?");
  TDialogos::MensagemShow("Informacao", "Texto com espaço");  // a blank: shown as it is
  EXPECT_EQ(g.ultima.FTitulo, "INFORMAÇÃO");
  EXPECT_EQ(g.ultima.FTexto, "Texto com espaço");
  TDialogos::MensagemShow("Falha", "ChaveQueNaoExiste");
  EXPECT_EQ(g.ultima.FTexto, "ChaveQueNaoExiste");
  TDialogos::MensagemShowFmt("Falha", "Conferindo", {"3", "10"});
  EXPECT_EQ(g.ultima.FTexto, "Conferindo 3 de 10");
  TDialogos::MensagemShowFmt("Falha", "Conferindo", {"3"});  // a failing format shows the text
  EXPECT_EQ(g.ultima.FTexto, "Conferindo");
  TDialogos::MensagemShowDetalhe("Falha", "Aguarde", "Detalhe");
  EXPECT_EQ(g.ultima.FTexto, "Aguarde...\nVerifique o cabo");
  TDialogos::MensagemShowDetalhe("Falha", "Aguarde", "porta /dev/ttyUSB0");
  EXPECT_EQ(g.ultima.FTexto, "Aguarde...\nporta /dev/ttyUSB0");
}

TEST_F(DialogosTest, LinesForSizing) {
  TMensagemDialogo m;
  const std::pair<int, int> casos[] = {{0, 0}, {1, 1}, {30, 1}, {31, 2}, {60, 2}, {61, 3}};
  for (auto [n, linhas] : casos) {
    m.FTexto = QString(n, 'x');
    EXPECT_EQ(m.Linhas(), linhas) << n;
  }
}

TEST_F(DialogosTest, OneDialogAtATime) {
  TDialogos::StatusShow("Aguarde");
  EXPECT_TRUE(TDialogos::StatusVisivel());
  EXPECT_EQ(TDialogos::StatusAtual(), "Aguarde...");
  TDialogos::MensagemShow("Falha", "Aguarde");
  EXPECT_FALSE(TDialogos::StatusVisivel());
  EXPECT_TRUE(TDialogos::MensagemVisivel());
  TDialogos::StatusHide();  // leaves the message open
  EXPECT_TRUE(TDialogos::MensagemVisivel());
  TDialogos::StatusShow("Aguarde");
  EXPECT_FALSE(TDialogos::MensagemVisivel());
  TDialogos::MensagemStatusShow("Aguarde");
  EXPECT_FALSE(TDialogos::StatusVisivel());
  EXPECT_TRUE(TDialogos::MensagemStatusVisivel());
  EXPECT_EQ(g.eventos.last(), "msgstatus:INFORMAÇÃO|Aguarde...");
  TDialogos::HideMensagemStatus();
  EXPECT_FALSE(TDialogos::MensagemStatusVisivel());
  // The status notice translates even literal sentences when such a key exists.
  TDialogos::StatusShow("Texto com");
  EXPECT_EQ(TDialogos::StatusAtual(), "nunca usado");
  TDialogos::StatusShowFmt("Conferindo", {"1", "2"});
  EXPECT_EQ(TDialogos::StatusAtual(), "Conferindo 1 de 2");
}

TEST_F(DialogosTest, AnswersAndKeys) {
  struct Caso { TModoMensagem modo; const char* acao; int esperado; };
  const Caso casos[] = {
      {TModoMensagem::mmOkCancel, "enter", 1}, {TModoMensagem::mmOkCancel, "escape", 2},
      {TModoMensagem::mmOkCancel, "ok", 1},    {TModoMensagem::mmOkCancel, "cancel", 2},
      {TModoMensagem::mmOk, "escape", 0},      {TModoMensagem::mmOk, "enter", 1},
      {TModoMensagem::mmOk, "cancel", 0},
  };
  for (const Caso& c : casos) {
    int resposta = 0;
    auto h = [&](int r) { resposta = r; };
    if (c.modo == TModoMensagem::mmOk) TDialogos::MensagemShow("Falha", "Aguarde", h);
    else TDialogos::PerguntaShow("Informacao", "ExisteAtualizacao", h);
    const QString a = c.acao;
    if (a == "enter") TDialogos::TeclaEnter();
    if (a == "escape") TDialogos::TeclaEscape();
    if (a == "ok") TDialogos::PressionaOk();
    if (a == "cancel") TDialogos::PressionaCancel();
    EXPECT_EQ(resposta, c.esperado) << c.acao;
    EXPECT_EQ(TDialogos::MensagemVisivel(), c.esperado == 0) << c.acao;
    TDialogos::HideMensagens();
  }
}

TEST_F(DialogosTest, AHandlerMayOpenTheNextMessage) {
  int segunda = 0;
  TDialogos::PerguntaShow("Informacao", "ExisteAtualizacao", [&](int) {
    TDialogos::MensagemShow("Falha", "Aguarde", [&](int r) { segunda = r; });
  });
  TDialogos::PressionaOk();
  ASSERT_TRUE(TDialogos::MensagemVisivel());
  EXPECT_EQ(g.ultima.FTexto, "Aguarde...");
  TDialogos::PressionaOk();
  EXPECT_EQ(segunda, 1);
}

TEST_F(DialogosTest, AScriptedPresenterAnswersInOrder) {
  g.respostas = {kResultadoCancel, kResultadoOk, 2};
  QList<int> vistas;
  QString codigo;
  TDialogos::PerguntaShow("Informacao", "ExisteAtualizacao", [&](int r) { vistas << r; });
  TDialogos::PerguntaShow("Informacao", "ExisteAtualizacao", [&](int r) { vistas << r; });
  TDialogos::MensagemPersonShow("Informacao", "ExisteAtualizacao", "Sim", "S", "Nao", "N",
                                [&](int, const QString& c) { codigo = c; });
  EXPECT_EQ(vistas, (QList<int>{2, 1}));
  EXPECT_EQ(codigo, "N");
  EXPECT_FALSE(TDialogos::MensagemVisivel());
  TDialogos::MensagemShow("Falha", "Aguarde");  // the script is used up: it stays open
  EXPECT_TRUE(TDialogos::MensagemVisivel());
}

TEST_F(DialogosTest, CustomButtons) {
  QString codigo;
  int r = 0;
  TDialogos::MensagemPersonShow("Informacao", "ExisteAtualizacao", "Sim", "S", "", "",
                                [&](int res, const QString& c) { r = res; codigo = c; });
  EXPECT_EQ(g.ultima.FModo, TModoMensagem::mmPerson);
  EXPECT_EQ(g.ultima.FBotao1Texto, "Sim");
  EXPECT_TRUE(g.ultima.FBotao2Texto.isEmpty());
  TDialogos::PressionaBotaoPerson(2);  // there is no second button
  EXPECT_TRUE(TDialogos::MensagemVisivel());
  TDialogos::TeclaEnter();  // one button: Enter chooses it
  EXPECT_EQ(r, 1);
  EXPECT_EQ(codigo, "S");

  TDialogos::MensagemPersonShow("Informacao", "ExisteAtualizacao", "Sim", "S", "Nao", "N",
                                [&](int res, const QString& c) { r = res; codigo = c; });
  EXPECT_EQ(g.ultima.FBotao2Texto, "Não");
  TDialogos::TeclaEnter();
  TDialogos::TeclaEscape();
  EXPECT_TRUE(TDialogos::MensagemVisivel()) << "Enter and Escape choose nothing between two own buttons";
  TDialogos::PressionaBotaoPerson(2);
  EXPECT_EQ(codigo, "N");
  EXPECT_EQ(r, 1);
}

TEST_F(DialogosTest, EntryValidation) {
  const int ano = QDate::currentDate().year();
  struct Caso { TTipoInfo tipo; QString texto; bool valido; QString valor; };
  const Caso casos[] = {
      {TTipoInfo::Ano, "1989", false, ""},
      {TTipoInfo::Ano, "1990", true, "1990"},
      {TTipoInfo::Ano, QString::number(ano), true, QString::number(ano)},
      {TTipoInfo::Ano, QString::number(ano + 1), false, ""},
      {TTipoInfo::Ano, "199", false, ""},
      {TTipoInfo::Ano, "2 0-1 5", true, "2015"},
      {TTipoInfo::Hexa, "", true, ""},
      {TTipoInfo::Hexa, "0A1F", true, "0A1F"},
      {TTipoInfo::Hexa, "0G", false, ""},
      {TTipoInfo::Texto, "AB1", true, "AB1"},
      {TTipoInfo::Texto, "AB-1", false, ""},
      {TTipoInfo::Texto, QString::fromUtf8("AÇ"), false, ""},
      {TTipoInfo::Email, "qualquer coisa@", true, "qualquer coisa@"},
  };
  for (const Caso& c : casos) {
    QString v;
    auto erro = TDialogos::ValidaEntrada(c.tipo, c.texto, &v);
    EXPECT_EQ(!erro.has_value(), c.valido) << c.texto.toStdString();
    if (c.valido) {
      EXPECT_EQ(v, c.valor);
    } else {
      EXPECT_EQ(erro.value_or(""), c.tipo == TTipoInfo::Ano ? "Ano inválido." : "Valor inválido.");
    }
  }
  EXPECT_EQ(TDialogos::FiltraDigitacao(TTipoInfo::Hexa, "0AG"), "0A");
  EXPECT_EQ(TDialogos::FiltraDigitacao(TTipoInfo::Texto, "AB-"), "AB");
  EXPECT_EQ(TDialogos::FiltraDigitacao(TTipoInfo::Texto, "A-B"), "A-B");  // only the last is filtered
  EXPECT_EQ(TDialogos::FiltraDigitacao(TTipoInfo::Ano, "19x"), "19x");
}

TEST_F(DialogosTest, DataEntryFlow) {
  int r = 0;
  QString texto;
  auto h = [&](int res, const QString& t) { r = res; texto = t; };
  TDialogos::InputAno("ano do veículo", "Informe o ano", h);
  ASSERT_TRUE(TDialogos::EntradaAberta());
  EXPECT_EQ(g.entrada.FTitulo, "ANO DO VEÍCULO");
  EXPECT_EQ(g.entrada.FTipo, TTipoInfo::Ano);
  EXPECT_EQ(g.entrada.FTamanhoMaximo, 4);
  TDialogos::EntradaOk("1800");
  EXPECT_TRUE(TDialogos::EntradaAberta());
  EXPECT_EQ(g.eventos.last(), "aviso:Ano inválido.");
  EXPECT_EQ(r, 0);
  TDialogos::EntradaOk("2010");
  EXPECT_FALSE(TDialogos::EntradaAberta());
  EXPECT_EQ(r, 1);
  EXPECT_EQ(texto, "2010");

  // A second request while open replaces the first.
  TDialogos::InputDados("codigo", "Informe", h, 8, 1);
  TDialogos::InputDados("nome", "Informe o nome", h, 20, 2);
  EXPECT_EQ(g.entrada.FTipo, TTipoInfo::Texto);
  EXPECT_EQ(g.entrada.FTitulo, "NOME");
  EXPECT_FALSE(g.manteve);
  // An unknown kind number keeps the previous kind and text.
  TDialogos::InputDados("outro", "x", h, 3, 7);
  EXPECT_EQ(g.entrada.FTipo, TTipoInfo::Texto);
  EXPECT_EQ(g.entrada.FTamanhoMaximo, 20);
  EXPECT_TRUE(g.manteve);
  TDialogos::EntradaCancel();
  EXPECT_EQ(r, 2);
  EXPECT_EQ(texto, "");

  TDialogos::InputEmail("e-mail", "Informe", h);
  EXPECT_TRUE(g.entrada.FMinusculas);
  EXPECT_EQ(g.entrada.FTamanhoMaximo, 150);
}

}  // namespace
}  // namespace tovra
