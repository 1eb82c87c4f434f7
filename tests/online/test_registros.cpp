// The records that travel: their exact keys and order, reading rules, formatting.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "online/brevanta_registros.h"

namespace tovra {
namespace {

std::vector<std::string> Chaves(const Json& j) {
  std::vector<std::string> c;
  for (auto it = j.begin(); it != j.end(); ++it) c.push_back(it.key());
  return c;
}

using Lista = std::vector<std::string>;

TEST(RegistrosTest, ChavesDoFormatoJson) {
  EXPECT_EQ(Chaves(ParaJson(TClassBrevantaEmpresa{})),
            (Lista{"iD", "cod_Norvik", "cNPJ", "insc_Estadual", "razao_Social", "razao_Social_Norvik",
                   "nome_Fantasia", "email", "site", "endereco_ID", "pais", "estado", "cidade", "endereco",
                   "bairro", "cep", "numero", "complemento", "data_Cadastro", "ult_Alteracao", "data_Aceite",
                   "ativo", "listaTelefone"}));
  EXPECT_EQ(Chaves(ParaJson(TClassBrevantaTelefone{})),
            (Lista{"iD", "dDI", "dDD", "telefone", "ult_Alteracao", "num_Lig_OK", "info_Extra", "origem"}));
  EXPECT_EQ(Chaves(ParaJson(TClassBrevantaUsuario{})),
            (Lista{"iD", "cPF", "nome", "email", "enderecoID", "pW", "admin", "ativo", "ultAlteracao"}));
  EXPECT_EQ(Chaves(ParaJson(TClassBrevantaScanner{})), (Lista{"serieReduzido", "macAddress", "empresaID", "ativo"}));
  EXPECT_EQ(Chaves(ParaJson(TListaBrevantaScanners{})), (Lista{"lista"}));
  EXPECT_EQ(Chaves(ParaJson(TClassBrevantaRelatorio{})),
            (Lista{"iD", "data", "hora", "dataSQL", "horaSQL", "nr_Serie", "service_Pack", "firmware", "listaLogs",
                   "listaFalhasExtra", "empresa", "usuario", "cliente"}));
  EXPECT_EQ(Chaves(ParaJson(TClassRelatorioLogPorCF{})),
            (Lista{"iD", "iD_LOG_SW", "mODELO", "sISTEMA", "mONTADORA_STR", "gRUPO_MODELO_STR", "mODELO_STR",
                   "sISTEMA_STR", "iD_IDE", "qTD_TELAS", "listaFalhas"}));
  EXPECT_EQ(Chaves(ParaJson(TClassRelatorioFalha{})),
            (Lista{"iD_LOG", "iNDICE", "iD_FALHA", "iD_GRUPO", "iD_SCANNER", "iD_TITULO", "fALHA_PC", "fALHA_VX",
                   "fALHA_HEXA", "dESCRICAO", "solucao"}));
  EXPECT_EQ(Chaves(ParaJson(TClassRelatorioFalhaSolucao{})), (Lista{"iD", "descricao"}));
  EXPECT_EQ(Chaves(ParaJson(TClassRelatorioFalhaExtra{})), (Lista{"rELATORIO_ID", "iNDICE", "falhaExtra", "solucao"}));
  EXPECT_EQ(Chaves(ParaJson(TClassBrevantaCliente{})), (Lista{"eMAIL", "cPF", "iD", "pW", "nOME", "listaVeiculos"}));
  EXPECT_EQ(Chaves(ParaJson(TClassBrevantaVeiculo{})),
            (Lista{"iD", "pLACA", "cHASSI", "mONTADORA_STR", "gRUPO_MODELO_STR", "mODELO_STR", "aNO", "selecionado"}));
  EXPECT_EQ(Chaves(ParaJson(TClassFalhaObj{})),
            (Lista{"iD", "sISTEMA_ID", "sISTEMA_STR", "fALHA_PC", "fALHA_DESC", "qTD", "qTD_DIAG4", "qTD_SOLUCOES"}));
  EXPECT_EQ(Chaves(ParaJson(TClassFalhasComQtdSolucoesViewModel{})),
            (Lista{"iD", "fALHA_PC", "fALHA_DESC", "qTD_SOLUCOES"}));
  EXPECT_EQ(Chaves(ParaJson(TClassSolucaoComEmpresaViewModel{})),
            (Lista{"iD", "dESCRICAO", "nOME_EMPRESA", "lIKES", "lIKED", "iNDICE"}));
  EXPECT_EQ(Chaves(ParaJson(TClassEditorSolucaoParaFalhaViewModel{})), (Lista{"dESCRICAO", "eMPRESA_ID"}));
  EXPECT_EQ(Chaves(ParaJson(TClassSolucaoObj{})), (Lista{"iD", "dESCRICAO", "eMPRESA_ID", "bONUS", "lIKES"}));
}

TEST(RegistrosTest, ListasAninhadasNaFormaDeLista) {
  TClassBrevantaEmpresa e;
  e.FListaTelefone.AddNew().FTelefone = "33334444";
  Json j = ParaJson(e);
  EXPECT_EQ(j["listaTelefone"]["ownsObjects"], true);
  EXPECT_EQ(j["listaTelefone"]["listHelper"], Json::array({1}));
  EXPECT_EQ(j["listaTelefone"]["items"][0]["telefone"], "33334444");
}

TEST(RegistrosTest, LerAlgoQueNaoEObjetoFalha) {
  for (const char* texto : {"[1,2]", "null", "\"texto\"", "12", "{quebrado"}) {
    try {
      LeRegistro<TClassBrevantaEmpresa>(texto);
      ADD_FAILURE() << texto;
    } catch (const std::exception& e) {
      EXPECT_STREQ(e.what(), "The input value is not a valid Object") << texto;
    }
  }
  auto v = LeRegistro<TClassBrevantaVeiculo>(R"({"iD":4,"pLACA":"ABC1D23","aNO":2019,"selecionado":true})");
  EXPECT_EQ(v.FID, 4);
  EXPECT_EQ(v.FPLACA, "ABC1D23");
  EXPECT_EQ(v.FANO, 2019);
  EXPECT_TRUE(v.FSelecionado);
}

TEST(RegistrosTest, Formatados) {
  const std::pair<const char*, const char*> documentos[] = {
      {"12345678000195", "12.345.678/0001-95"}, {"12345678909", "123.456.789-09"}, {"1234", "1234"}, {"", ""}};
  for (auto [d, f] : documentos) {
    TClassBrevantaEmpresa e;
    e.FCNPJ = d;
    EXPECT_EQ(e.CNPJFormatado(), f) << d;
  }
  const std::pair<const char*, const char*> fones[] = {
      {"33334444", "3333-4444"}, {"999998888", "99999-8888"}, {"1234567", "1234567"}, {"1234567890", "1234567890"}};
  for (auto [d, f] : fones) {
    TClassBrevantaTelefone t;
    t.FTelefone = d;
    EXPECT_EQ(t.TelefoneFormatado(), f) << d;
  }
}

TEST(RegistrosTest, ScannerNaListaEVeiculoSelecionado) {
  TListaBrevantaScanners l;
  l.FLista.AddNew().FSerieReduzido = 10;
  l.FLista.AddNew().FSerieReduzido = 20;
  EXPECT_TRUE(l.NrSerieNaLista(20));
  EXPECT_FALSE(l.NrSerieNaLista(30));

  TClassBrevantaCliente c;
  EXPECT_EQ(c.VeiculoSelecionado(), nullptr);
  c.FListaVeiculos.AddNew().FPLACA = "AAA";
  auto& b = c.FListaVeiculos.AddNew();
  b.FPLACA = "BBB";
  b.FSelecionado = true;
  c.FListaVeiculos.AddNew().FSelecionado = true;
  ASSERT_NE(c.VeiculoSelecionado(), nullptr);
  EXPECT_EQ(c.VeiculoSelecionado()->FPLACA, "BBB");
}

}  // namespace
}  // namespace tovra
