// The service calls against the stand-in server: paths on the wire, reply rules,
// and a round trip of each record kind.
#include <QDate>
#include <gtest/gtest.h>

#include "common/debug.h"
#include "devserver/banco_dev.h"
#include "online/servicos.h"
#include "tests/online/servidor_fixture.h"

namespace tovra::test {
namespace {

using devserver::TFalhaRota;

class ServicosTest : public ServidorFixture {
 protected:
  std::string UltimoAlvo() {
    auto p = Servidor().Pedidos();
    return p.empty() ? std::string() : p.back().FAlvo;
  }
  static QString B64(const QByteArray& s) { return QString::fromLatin1(s.toBase64()); }
};

// ---------------------------------------------------------------------------
// Paths

TEST_F(ServicosTest, EmailsMinusculosOndeDevemSer) {
  const QString email = "Ana@Oficina.COM";
  struct Caso {
    std::function<void()> chamada;
    const char* alvo;
  };
  const Caso casos[] = {
      {[&] { TServicosBrevanta::ClienteCadastrado(email); }, "/metodo/ClienteCadastrado/ana@oficina.com"},
      {[&] { TServicosBrevanta::CadastrarCliente(email); }, "/metodo/CadastrarCliente/ana@oficina.com"},
      {[&] { TServicosBrevanta::LoginCliente(email, "c2VuaGE="); }, "/metodo/LoginCliente/ana@oficina.com/c2VuaGE%3D"},
      {[&] { TServicosBrevanta::LoginAtivo(email); }, "/metodo/LoginAtivo/ana@oficina.com"},
      {[&] { TServicosBrevanta::AtivarLogin(email); }, "/metodo/AtivarLogin/ana@oficina.com"},
      {[&] { TServicosBrevanta::RelatorioPorEmail("12", email); }, "/metodo/RelatorioPorEmail/12/ana@oficina.com"},
      {[&] { TServicosBrevanta::GetEmpresa(email); }, "/metodo/Empresa/Ana@Oficina.COM"},
      {[&] { TServicosBrevanta::GetUsuario(email); }, "/metodo/Usuario/Ana@Oficina.COM"},
      {[&] { TServicosBrevanta::GetPassUsuario("  " + email + " "); }, "/metodo/getPassUsuario/Ana@Oficina.COM"},
  };
  for (const Caso& c : casos) {
    c.chamada();
    EXPECT_EQ(UltimoAlvo(), c.alvo);
  }
}

TEST_F(ServicosTest, SegmentosCodificados) {
  // A password whose Base64 holds "+" and "/" still logs in as one segment.
  const QByteArray senha = QByteArray(2, '?') + ">>" + QByteArray(2, '?');
  ASSERT_EQ(B64(senha), "Pz8+Pj8/");
  Servidor().CriaConta("ana@oficina.com", senha.toStdString());
  EXPECT_TRUE(TServicosBrevanta::LoginCliente("ana@oficina.com", B64(senha)));
  EXPECT_EQ(UltimoAlvo(), "/metodo/LoginCliente/ana@oficina.com/Pz8%2BPj8%2F");
  EXPECT_FALSE(TServicosBrevanta::LoginCliente("ana@oficina.com", "Pz8+Pj8"));
  EXPECT_FALSE(TServicosBrevanta::LoginCliente("ana@oficina.com", "Pz8"));

  TServicosBrevanta::GetListaRelatorios(5, "", "PLACA");
  EXPECT_EQ(UltimoAlvo(), "/metodo/GetListaRelatorios/5//PLACA");
  TServicosBrevanta::GetListaRelatorios(5, "AB/1 +", "VEICULO");
  EXPECT_EQ(UltimoAlvo(), "/metodo/GetListaRelatorios/5/AB%2F1%20%2B/VEICULO");
  TServicosBrevanta::GetListaRelatoriosPorData(5, QDate(2026, 1, 2), QDate(2026, 12, 31));
  EXPECT_EQ(UltimoAlvo(), "/metodo/GetListaRelatoriosPorData/5/2026-01-02/2026-12-31");
}

TEST_F(ServicosTest, ServidorOnline) {
  EXPECT_TRUE(TServicosBrevanta::ServidorOnline());
  EXPECT_EQ(UltimoAlvo(), "/metodo/ReverseString/ServidorOnline");
  EXPECT_TRUE(TServicosSincronismo::ServidorSincronismoOnline());
  EXPECT_EQ(UltimoAlvo(), "/sync/ReverseString/ServidorOnline");
  // A server that answers the text not reversed.
  Publica("eco/ReverseString/ServidorOnline", R"({"result":["ServidorOnline"]})");
  RaizDeArquivos(&TClassServicosConfig::FBrevantaMetodo, "eco/");
  EXPECT_FALSE(TServicosBrevanta::ServidorOnline());
  Servidor().Para();
  EXPECT_FALSE(TServicosSincronismo::ServidorSincronismoOnline());
}

// ---------------------------------------------------------------------------
// Account and workshop

TEST_F(ServicosTest, CadastroELogin) {
  const QString email = "nova@oficina.com";
  EXPECT_FALSE(TServicosBrevanta::ClienteCadastrado(email));
  EXPECT_TRUE(TServicosBrevanta::CadastrarCliente(email));
  EXPECT_TRUE(TServicosBrevanta::ClienteCadastrado(email));
  EXPECT_FALSE(TServicosBrevanta::CadastrarCliente(email));
  EXPECT_TRUE(TServicosBrevanta::LoginCliente(email, B64(devserver::TDevServer::kSenhaNovaConta)));
  EXPECT_FALSE(TServicosBrevanta::LoginAtivo(email));
  EXPECT_TRUE(TServicosBrevanta::AtivarLogin(email));
  EXPECT_TRUE(TServicosBrevanta::LoginAtivo(email));
  EXPECT_TRUE(TServicosBrevanta::GetPassUsuario(email));
  EXPECT_FALSE(TServicosBrevanta::GetPassUsuario("ninguem@oficina.com"));
  auto e = TServicosBrevanta::GetEmpresa(email);
  ASSERT_TRUE(e);
  EXPECT_EQ(e->FData_Aceite, kDataAceiteNunca);
  EXPECT_EQ(e->FCep, "00000-000");
  Servidor().DefineFalha("/metodo/", TFalhaRota{500});
  EXPECT_FALSE(TServicosBrevanta::ClienteCadastrado(email));
  EXPECT_FALSE(TServicosBrevanta::LoginCliente(email, B64(devserver::TDevServer::kSenhaNovaConta)));
}

TEST_F(ServicosTest, EmpresaIdaEVolta) {
  // A name holding the letters of a sentinel is still a company.
  Servidor().CriaConta("oficina@x.com.br", "segredo", "AUTO PEÇAS FERRO");
  auto e = TServicosBrevanta::GetEmpresa("oficina@x.com.br");
  ASSERT_TRUE(e);
  EXPECT_GT(e->FID, 0);
  EXPECT_EQ(e->FRazao_Social, "AUTO PEÇAS FERRO");
  e->FCNPJ = "12345678000195";
  e->FCidade = "SÃO PAULO";
  e->FData_Aceite = "2026-12-11";
  for (const char* n : {"33334444", "999998888"}) {
    auto& t = e->FListaTelefone.AddNew();
    t.FDDI = "+55";
    t.FDDD = "11";
    t.FTelefone = n;
    t.FOrigem = "Brevanta";
  }
  EXPECT_EQ(TServicosBrevanta::PostEmpresa(*e), "OK");
  Json corpo = Json::parse(Corpo("/metodo/Empresa"));
  EXPECT_EQ(corpo["cNPJ"], "12345678000195");
  EXPECT_EQ(corpo["listaTelefone"]["items"][1]["telefone"], "999998888");

  auto lida = TServicosBrevanta::GetEmpresa("oficina@x.com.br");
  ASSERT_TRUE(lida);
  EXPECT_EQ(lida->FCNPJ, "12345678000195");
  EXPECT_EQ(lida->CNPJFormatado(), "12.345.678/0001-95");
  EXPECT_EQ(lida->FCidade, "SÃO PAULO");
  EXPECT_EQ(lida->FData_Aceite, "2026-12-11");
  ASSERT_EQ(lida->FListaTelefone.Count(), 2);
  EXPECT_GT(lida->FListaTelefone[0].FID, 0);
  EXPECT_EQ(lida->FListaTelefone[1].TelefoneFormatado(), "99999-8888");
  EXPECT_EQ(lida->FListaTelefone[1].FOrigem, "Brevanta");

  // A phone dropped from the list is gone after the next save.
  lida->FListaTelefone.Delete(0);
  EXPECT_EQ(TServicosBrevanta::PostEmpresa(*lida), "OK");
  auto depois = TServicosBrevanta::GetEmpresa("oficina@x.com.br");
  ASSERT_TRUE(depois);
  ASSERT_EQ(depois->FListaTelefone.Count(), 1);
  EXPECT_EQ(depois->FListaTelefone[0].FTelefone, "999998888");

  EXPECT_EQ(TServicosBrevanta::GetEmpresa("ninguem@x.com.br"), nullptr);  // VAZIO
  Servidor().DefineFalha("/metodo/Empresa", TFalhaRota{500});
  EXPECT_EQ(TServicosBrevanta::GetEmpresa("oficina@x.com.br"), nullptr);  // ERRO
  Servidor().LimpaFalhas();
  Servidor().Para();
  EXPECT_EQ(TServicosBrevanta::PostEmpresa(*lida), "");  // no reply
}

TEST_F(ServicosTest, OperadorIdaEVolta) {
  Servidor().CriaConta("oficina@x.com.br", "segredo");
  auto u = TServicosBrevanta::GetUsuario("oficina@x.com.br");
  ASSERT_TRUE(u);
  EXPECT_EQ(u->FPW, B64("segredo"));
  u->FNome = "JOSE DA SILVA";
  u->FCPF = "12345678909";
  u->FPW = B64("nova senha");
  EXPECT_EQ(TServicosBrevanta::PostUsuario(*u), "OK");
  EXPECT_EQ(UltimoAlvo(), "/metodo//Usuario");
  auto lido = TServicosBrevanta::GetUsuario("oficina@x.com.br");
  ASSERT_TRUE(lido);
  EXPECT_EQ(lido->FNome, "JOSE DA SILVA");
  EXPECT_EQ(lido->FCPF, "12345678909");
  EXPECT_TRUE(TServicosBrevanta::LoginCliente("oficina@x.com.br", B64("nova senha")));
  EXPECT_EQ(TServicosBrevanta::GetUsuario("ninguem@x.com.br"), nullptr);
}

TEST_F(ServicosTest, ScannersEDonoDoAparelho) {
  int empresa = Servidor().CriaConta("oficina@x.com.br", "segredo");
  int outra = Servidor().CriaConta("outra@x.com.br", "segredo");
  auto vazia = TServicosBrevanta::GetScanners(empresa);
  ASSERT_TRUE(vazia);
  EXPECT_TRUE(vazia->FLista.IsEmpty());
  EXPECT_EQ(TServicosBrevanta::GetEmailPorNrSerie(1234), "");

  TClassBrevantaScanner s{1234, "00:11:22:33:44:55", empresa, "S"};
  EXPECT_EQ(TServicosBrevanta::PutScanner(s), "OK");
  auto lista = TServicosBrevanta::GetScanners(empresa);
  ASSERT_TRUE(lista);
  EXPECT_TRUE(lista->NrSerieNaLista(1234));
  EXPECT_FALSE(lista->NrSerieNaLista(999));
  EXPECT_EQ(lista->FLista[0].FMacAddress, "00:11:22:33:44:55");
  EXPECT_EQ(TServicosBrevanta::GetEmailPorNrSerie(1234), "oficina@x.com.br");

  s.FEmpresaID = outra;
  EXPECT_EQ(TServicosBrevanta::PutScanner(s), R"({"result":["OUTRA_EMPRESA"]})");

  Servidor().DefineFalha("/metodo/Scanner", TFalhaRota{500});
  EXPECT_EQ(TServicosBrevanta::GetScanners(empresa), nullptr);
  Servidor().DefineFalha("/metodo/GETEmailPorNrSerie", TFalhaRota{500});
  EXPECT_THROW(TServicosBrevanta::GetEmailPorNrSerie(1234), std::runtime_error);
  // An answer without an at sign.
  Publica("eco/GETEmailPorNrSerie/77", R"({"result":["sem arroba"]})");
  RaizDeArquivos(&TClassServicosConfig::FBrevantaMetodo, "eco/");
  try {
    TServicosBrevanta::GetEmailPorNrSerie(77);
    ADD_FAILURE();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Falha");
  }
}

TEST_F(ServicosTest, SincronismoCopiaOCadastroDoFabricante) {
  int empresa = Servidor().CriaConta("oficina@x.com.br", "segredo");
  Servidor().DefineCadastroNorvik(
      1234, R"({"cod_Norvik":77,"razao_Social_Norvik":"OFICINA NORVIK LTDA",)"
            R"("telefones":[{"dDI":"+55","dDD":"11","telefone":"33334444"}]})");
  auto e = TServicosBrevanta::GetEmpresa("oficina@x.com.br");
  ASSERT_TRUE(e);
  EXPECT_EQ(e->FCod_Norvik, 0);
  EXPECT_TRUE(TServicosSincronismo::SincronizaNrSerie(1234, empresa));
  EXPECT_EQ(UltimoAlvo(), "/sync/SincronizaNrSerie/1234/" + std::to_string(empresa));
  e = TServicosBrevanta::GetEmpresa("oficina@x.com.br");
  EXPECT_EQ(e->FCod_Norvik, 77);
  EXPECT_EQ(e->FRazao_Social_Norvik, "OFICINA NORVIK LTDA");
  EXPECT_TRUE(e->FListaTelefone.IsEmpty());
  EXPECT_TRUE(TServicosSincronismo::SincronizaTelefones(empresa));
  e = TServicosBrevanta::GetEmpresa("oficina@x.com.br");
  ASSERT_EQ(e->FListaTelefone.Count(), 1);
  EXPECT_EQ(e->FListaTelefone[0].FTelefone, "33334444");
  EXPECT_FALSE(TServicosSincronismo::SincronizaTelefones(9999));
}

// ---------------------------------------------------------------------------
// Reports

TClassBrevantaRelatorio NovoRelatorio(const TClassBrevantaEmpresa& empresa, const QString& data, const QString& placa) {
  TClassBrevantaRelatorio r;
  r.FData = data;
  r.FHora = "10:20";
  r.FDataSQL = data;
  r.FHoraSQL = "10:20:00";
  r.FNr_Serie = 1234;
  r.FService_Pack = 3;
  r.FFirmware = "2.10";
  r.FEmpresa.FID = empresa.FID;
  r.FEmpresa.FRazao_Social = empresa.FRazao_Social;
  r.FUsuario.FNome = "JOSE";
  r.FCliente.FNOME = "MARIA SOUZA";
  r.FCliente.FEMAIL = "maria@cliente.com";
  auto& v = r.FCliente.FListaVeiculos.AddNew();
  v.FPLACA = placa;
  v.FMONTADORA_STR = "VOLKSWAGEN";
  v.FMODELO_STR = "GOL 1.0";
  v.FANO = 2015;
  v.FSelecionado = true;
  auto& log = r.FListaLogs.AddNew();
  log.FSISTEMA = 501;
  log.FSISTEMA_STR = "INJEÇÃO";
  auto& f = log.FListaFalhas.AddNew();
  f.FFALHA_PC = "P0100";
  f.FDESCRICAO = "Sensor MAF";
  f.FSolucao.FDescricao = "Trocar o sensor";
  r.FListaLogs.AddNew().FSISTEMA_STR = "ABS";
  auto& extra = r.FListaFalhasExtra.AddNew();
  extra.FFalhaExtra.FDescricao = "barulho na suspensão";
  return r;
}

TEST_F(ServicosTest, RelatoriosIdaEVolta) {
  Servidor().CriaConta("oficina@x.com.br", "segredo", "OFICINA");
  auto empresa = TServicosBrevanta::GetEmpresa("oficina@x.com.br");
  ASSERT_TRUE(empresa);
  const int id = empresa->FID;
  auto vazia = TServicosBrevanta::GetUltimosRelatorios(id);
  ASSERT_TRUE(vazia);
  EXPECT_TRUE(vazia->FLista.IsEmpty());

  TClassBrevantaRelatorio r = NovoRelatorio(*empresa, "2026-03-10", "ABC1D23");
  EXPECT_EQ(TServicosBrevanta::PutRelatorio(r), "OK");
  EXPECT_EQ(UltimoAlvo(), "/metodo//Relatorio");
  EXPECT_EQ(TServicosBrevanta::PutRelatorio(NovoRelatorio(*empresa, "2026-05-01", "XYZ9K87")), "OK");

  auto ultimos = TServicosBrevanta::GetUltimosRelatorios(id);
  ASSERT_TRUE(ultimos);
  ASSERT_EQ(ultimos->FLista.Count(), 2);
  const QString rid = ultimos->FLista[1].FID;
  ASSERT_FALSE(rid.isEmpty());

  auto lido = TServicosBrevanta::GetRelatorio(rid);
  ASSERT_TRUE(lido);
  r.FID = rid;
  EXPECT_EQ(ParaJson(*lido), ParaJson(r));
  EXPECT_EQ(lido->FListaLogs[0].FListaFalhas[0].FSolucao.FDescricao, "Trocar o sensor");
  EXPECT_EQ(lido->FCliente.VeiculoSelecionado()->FPLACA, "ABC1D23");

  auto porPlaca = TServicosBrevanta::GetListaRelatorios(id, "abc1", "PLACA");
  ASSERT_TRUE(porPlaca);
  ASSERT_EQ(porPlaca->FLista.Count(), 1);
  EXPECT_EQ(porPlaca->FLista[0].FID, rid);
  auto porVeiculo = TServicosBrevanta::GetListaRelatorios(id, "GOL", "VEICULO");
  EXPECT_EQ(porVeiculo->FLista.Count(), 2);
  auto todos = TServicosBrevanta::GetListaRelatorios(id, "", "CLIENTE");
  EXPECT_EQ(todos->FLista.Count(), 2);
  auto nenhum = TServicosBrevanta::GetListaRelatorios(id, "JOAO", "CLIENTE");
  ASSERT_TRUE(nenhum);
  EXPECT_TRUE(nenhum->FLista.IsEmpty());

  auto marco = TServicosBrevanta::GetListaRelatoriosPorData(id, QDate(2026, 3, 1), QDate(2026, 3, 31));
  ASSERT_EQ(marco->FLista.Count(), 1);
  EXPECT_EQ(marco->FLista[0].FDataSQL, "2026-03-10");

  auto semRelatorio = TServicosBrevanta::GetRelatorio("99999");
  ASSERT_TRUE(semRelatorio);  // VAZIO: an empty report
  EXPECT_TRUE(semRelatorio->FID.isEmpty());

  EXPECT_EQ(TServicosBrevanta::PutRelatorioPorEmail(*lido), "OK");
  EXPECT_EQ(TServicosBrevanta::RelatorioPorEmail(rid, "Outro@Cliente.com"), "OK");
  EXPECT_EQ(TServicosBrevanta::RelatorioPorEmail("99999", "outro@cliente.com"),
            R"({"result":["RELATORIO_INEXISTENTE"]})");
  lido->FCliente.FEMAIL.clear();
  EXPECT_EQ(TServicosBrevanta::PutRelatorioPorEmail(*lido), R"({"result":["CLIENTE_SEM_EMAIL"]})");

  Servidor().DefineFalha("/metodo/", TFalhaRota{500});
  EXPECT_EQ(TServicosBrevanta::GetRelatorio(rid), nullptr);
  EXPECT_EQ(TServicosBrevanta::GetUltimosRelatorios(id), nullptr);
}

// ---------------------------------------------------------------------------
// Solutions, likes, terms, access log

TEST_F(ServicosTest, SolucoesELikes) {
  int empresa = Servidor().CriaConta("oficina@x.com.br", "segredo", "OFICINA DO ZE");
  TListaFalhasObj consulta;
  auto& f = consulta.AddNew();
  f.FSISTEMA_ID = 501;
  f.FSISTEMA_STR = "INJEÇÃO";
  f.FFALHA_PC = "P0100";
  f.FFALHA_DESC = "Sensor MAF - ERRO de leitura";
  f.FQTD_DIAG4 = 1;
  auto qtd = TServicosBrevantaCore::QtdSolucoes(empresa, consulta);
  ASSERT_TRUE(qtd);
  ASSERT_EQ(qtd->Count(), 1);
  const int falha = (*qtd)[0].FID;
  EXPECT_GT(falha, 0);
  EXPECT_EQ((*qtd)[0].FQTD_SOLUCOES, 0);
  EXPECT_EQ(UltimoAlvo(), "/core/v1/Falhas/" + std::to_string(empresa) + "/QtdSolucoes");

  // An empty query list goes out as "[]".
  auto nada = TServicosBrevantaCore::QtdSolucoes(empresa, TListaFalhasObj{});
  ASSERT_TRUE(nada);
  EXPECT_TRUE(nada->IsEmpty());
  EXPECT_EQ(Corpo("/core/v1/Falhas"), "[]");

  auto nova = TServicosBrevantaCore::PostNovaSolucao({"VERIFICAR ERRO DE LEITURA DO MAF", empresa}, falha);
  ASSERT_TRUE(nova);
  EXPECT_GT(nova->FID, 0);
  EXPECT_EQ(nova->FDESCRICAO, "VERIFICAR ERRO DE LEITURA DO MAF");
  EXPECT_EQ(nova->FEMPRESA_ID, empresa);
  EXPECT_EQ(Json::parse(Corpo("/core/v1/Solucoes")), (Json{{"dESCRICAO", "VERIFICAR ERRO DE LEITURA DO MAF"}, {"eMPRESA_ID", empresa}}));
  EXPECT_EQ(TServicosBrevantaCore::PostNovaSolucao({"X", empresa}, 9999), nullptr);

  auto lista = TServicosBrevantaCore::ListaSolucoes(empresa, falha);
  ASSERT_TRUE(lista);
  ASSERT_EQ(lista->Count(), 1);
  EXPECT_EQ((*lista)[0].FNOME_EMPRESA, "OFICINA DO ZE");
  EXPECT_FALSE((*lista)[0].FLIKED);
  EXPECT_EQ(TServicosBrevantaCore::QtdSolucoes(empresa, consulta)->First().FQTD_SOLUCOES, 1);

  EXPECT_EQ(TServicosBrevantaCore::AddLike(empresa, falha, nova->FID), 1);
  EXPECT_TRUE(TServicosBrevantaCore::ListaSolucoes(empresa, falha)->First().FLIKED);
  EXPECT_EQ(TServicosBrevantaCore::RemoveLike(empresa, falha, nova->FID), 0);
  EXPECT_EQ(TServicosBrevantaCore::AddLike(empresa, falha, 9999), 0);

  // Another workshop sees the tip once both share.
  int outra = Servidor().CriaConta("outra@x.com.br", "segredo");
  EXPECT_TRUE(TServicosBrevantaCore::ListaSolucoes(outra, falha)->IsEmpty());
  EXPECT_TRUE(TServicosBrevantaCore::AceitarTermo(empresa, "DICAS"));
  EXPECT_TRUE(TServicosBrevantaCore::AceitarTermo(outra, "DICAS"));
  EXPECT_EQ(TServicosBrevantaCore::ListaSolucoes(outra, falha)->Count(), 1);
  EXPECT_EQ(TServicosBrevantaCore::AddLike(outra, falha, nova->FID), 1);

  Servidor().DefineFalha("/core/", TFalhaRota{500});
  EXPECT_EQ(TServicosBrevantaCore::ListaSolucoes(empresa, falha), nullptr);
  EXPECT_EQ(TServicosBrevantaCore::QtdSolucoes(empresa, consulta), nullptr);
  EXPECT_EQ(TServicosBrevantaCore::AddLike(empresa, falha, nova->FID), 0);
}

TEST_F(ServicosTest, LeituraDeListaPulaElementosRuins) {
  Publica("eco/v1/Solucoes/1/2",
          R"([{"iD":1,"dESCRICAO":"a"}, 5, {"iD":"x"}, null, {"iD":3,"dESCRICAO":"b","lIKED":true}])");
  Publica("eco/v1/Solucoes/1/3", R"({"iD":1})");
  Publica("eco/v1/Solucoes/1/4", R"({"result":["VAZIO"]})");
  RaizDeArquivos(&TClassServicosConfig::FBrevantaCore, "eco/");
  auto l = TServicosBrevantaCore::ListaSolucoes(1, 2);
  ASSERT_TRUE(l);
  ASSERT_EQ(l->Count(), 2);
  EXPECT_EQ((*l)[0].FID, 1);
  EXPECT_EQ((*l)[1].FID, 3);
  EXPECT_TRUE((*l)[1].FLIKED);
  EXPECT_EQ(TServicosBrevantaCore::ListaSolucoes(1, 3), nullptr);
  EXPECT_EQ(TServicosBrevantaCore::ListaSolucoes(1, 4), nullptr);
}

TEST_F(ServicosTest, TermosDeUso) {
  int e = Servidor().CriaConta("oficina@x.com.br", "segredo");
  bool falhou = true;
  EXPECT_FALSE(TServicosBrevantaCore::ExisteRegistroTermo(e, "DICAS", falhou));
  EXPECT_FALSE(falhou);
  EXPECT_FALSE(TServicosBrevantaCore::TermoAceito(e, "DICAS"));
  EXPECT_TRUE(TServicosBrevantaCore::AceitarTermo(e, "DICAS"));
  EXPECT_EQ(UltimoAlvo(), "/core/v1/TermosUso/" + std::to_string(e) + "/DICAS/Aceitar");
  EXPECT_TRUE(TServicosBrevantaCore::ExisteRegistroTermo(e, "DICAS", falhou));
  EXPECT_FALSE(falhou);
  EXPECT_TRUE(TServicosBrevantaCore::TermoAceito(e, "DICAS"));
  EXPECT_TRUE(TServicosBrevantaCore::RecusarTermo(e, "DICAS"));
  EXPECT_FALSE(TServicosBrevantaCore::TermoAceito(e, "DICAS"));

  Servidor().DefineFalha("/core/", TFalhaRota{500});
  EXPECT_FALSE(TServicosBrevantaCore::ExisteRegistroTermo(e, "DICAS", falhou));
  EXPECT_TRUE(falhou);
  EXPECT_FALSE(TServicosBrevantaCore::AceitarTermo(e, "DICAS"));
  Servidor().LimpaFalhas();
  Publica("eco/v1/TermosUso/1/DICAS/ExisteRegistroTermo", "talvez");
  RaizDeArquivos(&TClassServicosConfig::FBrevantaCore, "eco/");
  EXPECT_FALSE(TServicosBrevantaCore::ExisteRegistroTermo(1, "DICAS", falhou));
  EXPECT_TRUE(falhou);
}

TEST_F(ServicosTest, LogDeAcesso) {
  EXPECT_TRUE(TServicosBrevantaCore::GravaLogAcesso(3, 1234, 501));
  EXPECT_EQ(UltimoAlvo(), "/core/v1/LogAcesso/Save/3/1234/501");
  long long n = 0;
  Servidor().ComBanco([&](devserver::TDevBanco& b) {
    n = devserver::ComoInt(b.Consulta("SELECT COUNT(*) FROM logs_acesso WHERE nr_serie = 1234")[0][0]);
  });
  EXPECT_EQ(n, 1);
  Publica("eco/v1/LogAcesso/Save/3/1234/501", "gravado");
  RaizDeArquivos(&TClassServicosConfig::FBrevantaCore, "eco/");
  EXPECT_FALSE(TServicosBrevantaCore::GravaLogAcesso(3, 1234, 501));
}

// ---------------------------------------------------------------------------
// Portal and postal codes

TEST_F(ServicosTest, Portal) {
  EXPECT_FALSE(TServicosPortal::LogHabilitado(4321));
  EXPECT_EQ(UltimoAlvo(), "/portal/v1/GER_COMPACTFLASH/4321/LogHabilitado");
  Servidor().DefineLogHabilitado(4321, true);
  EXPECT_TRUE(TServicosPortal::LogHabilitado(4321));
  EXPECT_FALSE(TServicosPortal::VersaoHost().isEmpty());
  EXPECT_EQ(UltimoAlvo(), "/portal/v1/JsonConverter/localDbDate");
  Servidor().DefineFalha("/portal/", TFalhaRota{500});
  EXPECT_FALSE(TServicosPortal::LogHabilitado(4321));
  EXPECT_EQ(TServicosPortal::VersaoHost(), "");
}

TEST_F(ServicosTest, Cep) {
  TClassWSCEP cep;
  QString erro;
  ASSERT_TRUE(cep.Consulta("01001-000", erro)) << erro.toStdString();
  EXPECT_EQ(UltimoAlvo(), "/cep/01001000/json/");
  EXPECT_EQ(cep.FLogradouro, "Praça da Sé");
  EXPECT_EQ(cep.FBairro, "Sé");
  EXPECT_EQ(cep.FCidade, "São Paulo");
  EXPECT_EQ(cep.FEstado, "SP");
  const std::pair<const char*, const char*> casos[] = {
      {"99999-999", "CEP não encontrado."},
      {"", "CEP em branco. Verifique!"},
      {"1234-567", "CEP inválido, não possui 8 dígitos."},
  };
  for (auto [codigo, mensagem] : casos) {
    EXPECT_FALSE(cep.Consulta(codigo, erro));
    EXPECT_EQ(erro, QString(mensagem)) << codigo;
  }
  TClassWSCEP::DefineTimeouts(3000, 300);
  Servidor().DefineFalha("/cep/", TFalhaRota{0, 4000});
  EXPECT_FALSE(cep.Consulta("01001000", erro));
  EXPECT_TRUE(erro.startsWith("Falha ao consultar CEP.\n")) << erro.toStdString();
  TClassWSCEP::DefineTimeouts(3000, 3000);
}

// ---------------------------------------------------------------------------
// Passwords stay out of the debug log

TEST_F(ServicosTest, SenhaNuncaVaiAoLog) {
  TDebug::DefineAtivo(true);
  const QString senha = B64("Segredo123");
  Servidor().CriaConta("oficina@x.com.br", "Segredo123");
  EXPECT_TRUE(TServicosBrevanta::LoginCliente("oficina@x.com.br", senha));
  auto u = TServicosBrevanta::GetUsuario("oficina@x.com.br");
  ASSERT_TRUE(u);
  EXPECT_EQ(TServicosBrevanta::PostUsuario(*u), "OK");
  Servidor().Para();
  EXPECT_FALSE(TServicosBrevanta::LoginCliente("oficina@x.com.br", senha));
  EXPECT_EQ(TServicosBrevanta::PostUsuario(*u), "");
  const QStringList linhas = TDebug::Linhas();
  EXPECT_FALSE(linhas.isEmpty());
  for (const QString& l : linhas) {
    EXPECT_FALSE(l.contains(senha.left(12))) << l.toStdString();
    EXPECT_FALSE(l.contains("Segredo123")) << l.toStdString();
  }
}

}  // namespace
}  // namespace tovra::test
