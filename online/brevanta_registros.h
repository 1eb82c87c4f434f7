#pragma once
// The records that travel to and from the Brevanta service, in object JSON form.
// Field order is the order of the members on the wire; upper-case field names give
// keys such as "iD" (FID), "pLACA" (FPLACA), "cNPJ" (FCNPJ).
#include <QString>

#include "common/jsonobj.h"

namespace tovra {

// Reads one record from a JSON text; a text that is not a JSON object raises
// "The input value is not a valid Object".
template <class T>
T LeRegistro(const QString& texto);
void ExigeObjeto(const Json& j);

// ---------------------------------------------------------------------------
// Account and workshop

struct TClassBrevantaTelefone {
  int FID = 0;
  QString FDDI;
  QString FDDD;
  QString FTelefone;
  QString FUlt_Alteracao;
  int FNum_Lig_OK = 0;
  QString FInfo_Extra;
  QString FOrigem;
  TOVRA_JSON_CAMPOS(TClassBrevantaTelefone, TOVRA_CAMPO(FID), TOVRA_CAMPO(FDDI), TOVRA_CAMPO(FDDD),
                    TOVRA_CAMPO(FTelefone), TOVRA_CAMPO(FUlt_Alteracao), TOVRA_CAMPO(FNum_Lig_OK),
                    TOVRA_CAMPO(FInfo_Extra), TOVRA_CAMPO(FOrigem))

  // 8 digits as 9999-9999, 9 digits as 99999-9999, other lengths unchanged.
  QString TelefoneFormatado() const;
};

struct TClassBrevantaEmpresa {
  int FID = 0;
  int FCod_Norvik = 0;
  QString FCNPJ;
  QString FInsc_Estadual;
  QString FRazao_Social;
  QString FRazao_Social_Norvik;
  QString FNome_Fantasia;
  QString FEmail;
  QString FSite;
  int FEndereco_ID = 0;
  QString FPais;
  QString FEstado;
  QString FCidade;
  QString FEndereco;
  QString FBairro;
  QString FCep;
  QString FNumero;
  QString FComplemento;
  QString FData_Cadastro;
  QString FUlt_Alteracao;
  QString FData_Aceite;
  QString FAtivo;
  TObjectList<TClassBrevantaTelefone> FListaTelefone;
  TOVRA_JSON_CAMPOS(TClassBrevantaEmpresa, TOVRA_CAMPO(FID), TOVRA_CAMPO(FCod_Norvik), TOVRA_CAMPO(FCNPJ),
                    TOVRA_CAMPO(FInsc_Estadual), TOVRA_CAMPO(FRazao_Social),
                    TOVRA_CAMPO(FRazao_Social_Norvik), TOVRA_CAMPO(FNome_Fantasia), TOVRA_CAMPO(FEmail),
                    TOVRA_CAMPO(FSite), TOVRA_CAMPO(FEndereco_ID), TOVRA_CAMPO(FPais),
                    TOVRA_CAMPO(FEstado), TOVRA_CAMPO(FCidade), TOVRA_CAMPO(FEndereco),
                    TOVRA_CAMPO(FBairro), TOVRA_CAMPO(FCep), TOVRA_CAMPO(FNumero),
                    TOVRA_CAMPO(FComplemento), TOVRA_CAMPO(FData_Cadastro), TOVRA_CAMPO(FUlt_Alteracao),
                    TOVRA_CAMPO(FData_Aceite), TOVRA_CAMPO(FAtivo), TOVRA_CAMPO(FListaTelefone))

  // 14 digits as 99.999.999/9999-99, 11 digits as 999.999.999-99, else unchanged.
  QString CNPJFormatado() const;
};

// The acceptance date that means "never accepted".
inline constexpr const char* kDataAceiteNunca = "1899-12-30";

struct TClassBrevantaUsuario {
  int FID = 0;
  QString FCPF;
  QString FNome;
  QString FEmail;
  int FEnderecoID = 0;
  QString FPW;
  QString FAdmin;
  QString FAtivo;
  QString FUltAlteracao;
  TOVRA_JSON_CAMPOS(TClassBrevantaUsuario, TOVRA_CAMPO(FID), TOVRA_CAMPO(FCPF), TOVRA_CAMPO(FNome),
                    TOVRA_CAMPO(FEmail), TOVRA_CAMPO(FEnderecoID), TOVRA_CAMPO(FPW), TOVRA_CAMPO(FAdmin),
                    TOVRA_CAMPO(FAtivo), TOVRA_CAMPO(FUltAlteracao))
};

struct TClassBrevantaScanner {
  int FSerieReduzido = 0;
  QString FMacAddress;
  int FEmpresaID = 0;
  QString FAtivo;
  TOVRA_JSON_CAMPOS(TClassBrevantaScanner, TOVRA_CAMPO(FSerieReduzido), TOVRA_CAMPO(FMacAddress),
                    TOVRA_CAMPO(FEmpresaID), TOVRA_CAMPO(FAtivo))
};

struct TListaBrevantaScanners {
  TObjectList<TClassBrevantaScanner> FLista;
  TOVRA_JSON_CAMPOS(TListaBrevantaScanners, TOVRA_CAMPO(FLista))

  bool NrSerieNaLista(int nrSerie) const;
};

// ---------------------------------------------------------------------------
// Reports

struct TClassRelatorioFalhaSolucao {
  QString FID;
  QString FDescricao;
  TOVRA_JSON_CAMPOS(TClassRelatorioFalhaSolucao, TOVRA_CAMPO(FID), TOVRA_CAMPO(FDescricao))
};

struct TClassRelatorioFalha {
  QString FID_LOG;
  int FINDICE = 0;
  QString FID_FALHA;
  QString FID_GRUPO;
  QString FID_SCANNER;
  QString FID_TITULO;
  QString FFALHA_PC;
  QString FFALHA_VX;
  QString FFALHA_HEXA;
  QString FDESCRICAO;
  TClassRelatorioFalhaSolucao FSolucao;
  TOVRA_JSON_CAMPOS(TClassRelatorioFalha, TOVRA_CAMPO(FID_LOG), TOVRA_CAMPO(FINDICE), TOVRA_CAMPO(FID_FALHA),
                    TOVRA_CAMPO(FID_GRUPO), TOVRA_CAMPO(FID_SCANNER), TOVRA_CAMPO(FID_TITULO),
                    TOVRA_CAMPO(FFALHA_PC), TOVRA_CAMPO(FFALHA_VX), TOVRA_CAMPO(FFALHA_HEXA),
                    TOVRA_CAMPO(FDESCRICAO), TOVRA_CAMPO(FSolucao))
};

struct TClassRelatorioLogPorCF {
  QString FID;
  int FID_LOG_SW = 0;
  int FMODELO = 0;
  int FSISTEMA = 0;
  QString FMONTADORA_STR;
  QString FGRUPO_MODELO_STR;
  QString FMODELO_STR;
  QString FSISTEMA_STR;
  QString FID_IDE;
  int FQTD_TELAS = 0;
  TObjectList<TClassRelatorioFalha> FListaFalhas;
  TOVRA_JSON_CAMPOS(TClassRelatorioLogPorCF, TOVRA_CAMPO(FID), TOVRA_CAMPO(FID_LOG_SW), TOVRA_CAMPO(FMODELO),
                    TOVRA_CAMPO(FSISTEMA), TOVRA_CAMPO(FMONTADORA_STR), TOVRA_CAMPO(FGRUPO_MODELO_STR),
                    TOVRA_CAMPO(FMODELO_STR), TOVRA_CAMPO(FSISTEMA_STR), TOVRA_CAMPO(FID_IDE),
                    TOVRA_CAMPO(FQTD_TELAS), TOVRA_CAMPO(FListaFalhas))
};

struct TClassRelatorioFalhaExtra {
  QString FRELATORIO_ID;
  int FINDICE = 0;
  TClassRelatorioFalhaSolucao FFalhaExtra;
  TClassRelatorioFalhaSolucao FSolucao;
  TOVRA_JSON_CAMPOS(TClassRelatorioFalhaExtra, TOVRA_CAMPO(FRELATORIO_ID), TOVRA_CAMPO(FINDICE),
                    TOVRA_CAMPO(FFalhaExtra), TOVRA_CAMPO(FSolucao))
};

struct TClassBrevantaVeiculo {
  int FID = 0;
  QString FPLACA;
  QString FCHASSI;
  QString FMONTADORA_STR;
  QString FGRUPO_MODELO_STR;
  QString FMODELO_STR;
  int FANO = 0;
  bool FSelecionado = false;
  TOVRA_JSON_CAMPOS(TClassBrevantaVeiculo, TOVRA_CAMPO(FID), TOVRA_CAMPO(FPLACA), TOVRA_CAMPO(FCHASSI),
                    TOVRA_CAMPO(FMONTADORA_STR), TOVRA_CAMPO(FGRUPO_MODELO_STR), TOVRA_CAMPO(FMODELO_STR),
                    TOVRA_CAMPO(FANO), TOVRA_CAMPO(FSelecionado))
};

struct TClassBrevantaCliente {
  QString FEMAIL;
  QString FCPF;
  int FID = 0;
  QString FPW;
  QString FNOME;
  TObjectList<TClassBrevantaVeiculo> FListaVeiculos;
  TOVRA_JSON_CAMPOS(TClassBrevantaCliente, TOVRA_CAMPO(FEMAIL), TOVRA_CAMPO(FCPF), TOVRA_CAMPO(FID),
                    TOVRA_CAMPO(FPW), TOVRA_CAMPO(FNOME), TOVRA_CAMPO(FListaVeiculos))

  // The vehicle of the report: the first one marked selected, or null.
  const TClassBrevantaVeiculo* VeiculoSelecionado() const;
};

struct TClassBrevantaRelatorio {
  QString FID;
  QString FData;
  QString FHora;
  QString FDataSQL;
  QString FHoraSQL;
  int FNr_Serie = 0;
  int FService_Pack = 0;
  QString FFirmware;
  TObjectList<TClassRelatorioLogPorCF> FListaLogs;
  TObjectList<TClassRelatorioFalhaExtra> FListaFalhasExtra;
  TClassBrevantaEmpresa FEmpresa;
  TClassBrevantaUsuario FUsuario;
  TClassBrevantaCliente FCliente;
  TOVRA_JSON_CAMPOS(TClassBrevantaRelatorio, TOVRA_CAMPO(FID), TOVRA_CAMPO(FData), TOVRA_CAMPO(FHora),
                    TOVRA_CAMPO(FDataSQL), TOVRA_CAMPO(FHoraSQL), TOVRA_CAMPO(FNr_Serie),
                    TOVRA_CAMPO(FService_Pack), TOVRA_CAMPO(FFirmware), TOVRA_CAMPO(FListaLogs),
                    TOVRA_CAMPO(FListaFalhasExtra), TOVRA_CAMPO(FEmpresa), TOVRA_CAMPO(FUsuario),
                    TOVRA_CAMPO(FCliente))
};

// A list of reports as the method server sends it: {"lista": <owning list>}.
struct TClassBrevantaListaRelatorios {
  TObjectList<TClassBrevantaRelatorio> FLista;
  TOVRA_JSON_CAMPOS(TClassBrevantaListaRelatorios, TOVRA_CAMPO(FLista))
};

// ---------------------------------------------------------------------------
// Fault solutions

struct TClassFalhaObj {
  int FID = 0;
  int FSISTEMA_ID = 0;
  QString FSISTEMA_STR;
  QString FFALHA_PC;
  QString FFALHA_DESC;
  int FQTD = 0;
  int FQTD_DIAG4 = 0;
  int FQTD_SOLUCOES = 0;
  TOVRA_JSON_CAMPOS(TClassFalhaObj, TOVRA_CAMPO(FID), TOVRA_CAMPO(FSISTEMA_ID), TOVRA_CAMPO(FSISTEMA_STR),
                    TOVRA_CAMPO(FFALHA_PC), TOVRA_CAMPO(FFALHA_DESC), TOVRA_CAMPO(FQTD),
                    TOVRA_CAMPO(FQTD_DIAG4), TOVRA_CAMPO(FQTD_SOLUCOES))
};
using TListaFalhasObj = TObjectList<TClassFalhaObj>;

struct TClassFalhasComQtdSolucoesViewModel {
  int FID = 0;
  QString FFALHA_PC;
  QString FFALHA_DESC;
  int FQTD_SOLUCOES = 0;
  TOVRA_JSON_CAMPOS(TClassFalhasComQtdSolucoesViewModel, TOVRA_CAMPO(FID), TOVRA_CAMPO(FFALHA_PC),
                    TOVRA_CAMPO(FFALHA_DESC), TOVRA_CAMPO(FQTD_SOLUCOES))
};
using TListaFalhasComQtdSolucoes = TObjectList<TClassFalhasComQtdSolucoesViewModel>;

struct TClassSolucaoComEmpresaViewModel {
  int FID = 0;
  QString FDESCRICAO;
  QString FNOME_EMPRESA;
  int FLIKES = 0;
  bool FLIKED = false;
  int FINDICE = 0;
  TOVRA_JSON_CAMPOS(TClassSolucaoComEmpresaViewModel, TOVRA_CAMPO(FID), TOVRA_CAMPO(FDESCRICAO),
                    TOVRA_CAMPO(FNOME_EMPRESA), TOVRA_CAMPO(FLIKES), TOVRA_CAMPO(FLIKED),
                    TOVRA_CAMPO(FINDICE))
};
using TListaSolucoesComEmpresa = TObjectList<TClassSolucaoComEmpresaViewModel>;

struct TClassEditorSolucaoParaFalhaViewModel {
  QString FDESCRICAO;
  int FEMPRESA_ID = 0;
  TOVRA_JSON_CAMPOS(TClassEditorSolucaoParaFalhaViewModel, TOVRA_CAMPO(FDESCRICAO), TOVRA_CAMPO(FEMPRESA_ID))
};

struct TClassSolucaoObj {
  int FID = 0;
  QString FDESCRICAO;
  int FEMPRESA_ID = 0;
  int FBONUS = 0;
  int FLIKES = 0;
  TOVRA_JSON_CAMPOS(TClassSolucaoObj, TOVRA_CAMPO(FID), TOVRA_CAMPO(FDESCRICAO), TOVRA_CAMPO(FEMPRESA_ID),
                    TOVRA_CAMPO(FBONUS), TOVRA_CAMPO(FLIKES))
};

// ---------------------------------------------------------------------------

template <class T>
T LeRegistro(const QString& texto) {
  Json j;
  try {
    j = Json::parse(texto.toStdString());
  } catch (const std::exception&) {
    throw std::runtime_error("The input value is not a valid Object");
  }
  ExigeObjeto(j);
  T v{};
  DeJson(j, v);
  return v;
}

}  // namespace tovra
