#pragma once
// The diagnostic session: the one object that owns the device object and the lists
// of the vehicle system being diagnosed, turns the device's result frames into
// faults and live values, and runs the short device sequences of the actuator
// tests, the adjustments and the live stream.
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "device/eventos.h"
#include "device/vexlin.h"
#include "diagnosis/atuadoresajustes.h"
#include "diagnosis/falhas.h"
#include "diagnosis/parametros.h"

namespace tovra {

class ITransporteVexlin;
class TCatalogo;

class TClassDiagVexlin {
 public:
  // _Path: the folder where the device object saves its error dumps (the logs
  // folder). A transport may be injected (tests, the simulator).
  explicit TClassDiagVexlin(const QString& _Path, std::unique_ptr<ITransporteVexlin> _Transporte = nullptr);
  ~TClassDiagVexlin();
  TClassDiagVexlin(const TClassDiagVexlin&) = delete;
  TClassDiagVexlin& operator=(const TClassDiagVexlin&) = delete;

  TClass_Vexlin& Vexlin() { return *FVexlin; }
  TListaParametros& ParametrosSVG() { return FParametrosSVG; }
  TListaParametrosVG& ParametrosCVG() { return FParametrosCVG; }
  TObjectList<TClassFalha>& ListaFalhas() { return FListaFalhas; }
  TListaFalhasDTB& ListaFalhasDTB() { return FListaFalhasDTB; }
  TListaAtuadoresAjustes& ListaAtuadores() { return FListaAtuadores; }
  TListaAtuadoresAjustes& ListaAjustes() { return FListaAjustes; }
  TClassAtuadorAjuste* AtuadorEmUso() const { return FAtuadorEmUso; }
  TClassAtuadorAjuste* AjusteEmUso() const { return FAjusteEmUso; }

  // Opening a system: the catalogue's faults, list and graph parameters, actuator
  // tests and adjustments of the association replace the lists; no test stays in
  // use. False when the catalogue has no such association.
  bool CarregaListas(TCatalogo& cat, qint64 _Modelo, qint64 _Sistema);

  // Receives the device's progress texts.
  void SetEvent_DebugStatus(TEvent_RetornaStr handler);
  const TEvent_RetornaStr& Event_DebugStatus() const { return FEvent_DebugStatus; }

  // Faults: the list is emptied, then the device asked; the faults arrive as frames.
  void SolicitaFalhas();
  void ApagaFalhas();

  // Parameters.
  TClassParametro* GetParam(uint32_t _ID);
  TClassParametro* GetParamSVG(uint32_t _ID);
  TClassParametro* GetParamCVG(uint32_t _ID);
  TClassParametro* GetParamAtuador(uint32_t _ID);
  TClassParametro* GetParamAjuste(uint32_t _ID);
  uint8_t GetQtdParamSelecionados() const;
  uint8_t GetQtdParamGrafSelecionados() const;
  uint8_t GetQtdParamDisponivel() const;
  void ResetParamVisible();
  void SetGraficoUnchecked();
  // Restarts the stream with exactly these parameters, in this order.
  bool IniciarContinuoVisible(const std::vector<int>& _Params);
  void FinalizaContinuo();

  // Actuator tests.
  TClassAtuadorAjuste* GetAtuador(int _ID);
  void SetAtuador(int _ID);  // raises "Atuador não encontrado"
  bool ComandosIniciaAtuador();
  void IniciaAtuador();
  void FinalizaAtuador();
  // Adjustments.
  TClassAtuadorAjuste* GetAjuste(int _ID);
  void SetAjuste(int _ID);  // raises "Ajuste não encontrado"
  bool ComandosIniciaAjuste();
  void IniciaAjuste();
  void FinalizaAjuste();
  // The device reported the end of a test: none is in use any more.
  void AtuadorAjusteFinalizado();

  // What the device object's events reach (public for the tests of the decoding).
  void OnDadosFalhas(quint8 _Comando, const HexaString& _Dados);
  void OnDadosPids(const HexaString& _Dados);
  void OnParamDisp(const HexaString& _Frame);

 private:
  struct TFamilia;  // the device operations of one family of tests
  static const TFamilia& FamiliaAtuador();
  static const TFamilia& FamiliaAjuste();
  bool ComandosInicia(const TFamilia& f);
  void Inicia(const TFamilia& f);
  void Finaliza(const TFamilia& f);
  template <class F>
  void ParaCadaParametro(F f) const;

  std::unique_ptr<TClass_Vexlin> FVexlin;
  TListaParametros FParametrosSVG;
  TListaParametrosVG FParametrosCVG;
  TObjectList<TClassFalha> FListaFalhas;
  TListaFalhasDTB FListaFalhasDTB;
  TListaAtuadoresAjustes FListaAtuadores;
  TListaAtuadoresAjustes FListaAjustes;
  TClassAtuadorAjuste* FAtuadorEmUso = nullptr;
  TClassAtuadorAjuste* FAjusteEmUso = nullptr;
  TEvent_RetornaStr FEvent_DebugStatus;
};

// The one session of the run (null while none exists).
TClassDiagVexlin* DiagVexlin();
void DefineDiagVexlin(TClassDiagVexlin* sessao);

}  // namespace tovra
