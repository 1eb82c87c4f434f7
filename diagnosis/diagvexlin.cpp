#include "diagnosis/diagvexlin.h"

#include <stdexcept>

#include "common/debug.h"
#include "device/hexa.h"
#include "device/resultados.h"
#include "device/transporte.h"
#include "diagnosis/carga_catalogo.h"

namespace tovra {

namespace {
TClassDiagVexlin*& Sessao() {
  static TClassDiagVexlin* s = nullptr;
  return s;
}
QString Msg(const std::exception& e) { return QString::fromUtf8(e.what()); }
uint8_t Byte(const QByteArray& d, qsizetype i) { return static_cast<uint8_t>(d.at(i)); }
}  // namespace

TClassDiagVexlin* DiagVexlin() { return Sessao(); }
void DefineDiagVexlin(TClassDiagVexlin* sessao) { Sessao() = sessao; }

// The two families of tests differ only in the device operations, the mode flag and
// the dump labels.
struct TClassDiagVexlin::TFamilia {
  TClassAtuadorAjuste* TClassDiagVexlin::*emUso;
  void (TClass_Vexlin::*configura)(int);
  bool (TClass_Vexlin::*inicia)(int);
  void (TClass_Vexlin::*finaliza)(int);
  bool (TClass_Vexlin::*emModo)() const;
  const char* rotuloConfigura;
  const char* rotuloIniciar;
};

TClassDiagVexlin::TClassDiagVexlin(const QString& _Path, std::unique_ptr<ITransporteVexlin> _Transporte)
    : FVexlin(std::make_unique<TClass_Vexlin>(_Path, std::move(_Transporte))) {
  FVexlin->Event_DadosFalhasRecebidos = [this](quint8 c, const HexaString& d) { OnDadosFalhas(c, d); };
  FVexlin->Event_DadosPidsRecebidos = [this](const HexaString& d) { OnDadosPids(d); };
  FVexlin->Event_ParamDisp = [this](const HexaString& f) { OnParamDisp(f); };
}

TClassDiagVexlin::~TClassDiagVexlin() {
  TDebug::Linha("TClassDiagVexlin.Destroy");
  if (Sessao() == this) Sessao() = nullptr;
  FAtuadorEmUso = FAjusteEmUso = nullptr;
  FListaFalhas.Clear();
  FListaFalhasDTB.Clear();
  FParametrosSVG.Clear();
  FParametrosCVG.Clear();
  FListaAtuadores.Clear();
  FListaAjustes.Clear();
  FVexlin.reset();
}

void TClassDiagVexlin::SetEvent_DebugStatus(TEvent_RetornaStr handler) {
  FEvent_DebugStatus = std::move(handler);
  FVexlin->Event_DebugStatus = [this](const QString& t) {
    if (FEvent_DebugStatus) FEvent_DebugStatus(t);
  };
}

bool TClassDiagVexlin::CarregaListas(TCatalogo& cat, qint64 _Modelo, qint64 _Sistema) {
  FAtuadorEmUso = FAjusteEmUso = nullptr;
  TGruposAssociacao g;
  if (!cat.GruposAssociacao(_Modelo, _Sistema, g)) return false;
  CarregaListaFalhas(cat, g, FListaFalhasDTB);
  CarregaListaParametros(cat, _Modelo, _Sistema, FParametrosSVG);
  CarregaListaParametrosVG(cat, _Modelo, _Sistema, FParametrosCVG);
  CarregaListaAtuadores(cat, g, FListaAtuadores);
  CarregaListaAjustes(cat, g, FListaAjustes);
  return true;
}

// ---------------------------------------------------------------- faults

void TClassDiagVexlin::SolicitaFalhas() {
  FListaFalhas.Clear();
  FVexlin->SolicitaFalhas();
}

void TClassDiagVexlin::ApagaFalhas() {
  FListaFalhas.Clear();
  FVexlin->ApagaFalhas();
}

void TClassDiagVexlin::OnDadosFalhas(quint8 _Comando, const HexaString& _Dados) {
  TTipoFalha tipo;
  switch (_Comando) {
    case 0x16: tipo = TTipoFalha::tfNew; break;
    case 0x17: tipo = TTipoFalha::tfNewMsgAdicExt; break;
    case 0x32: tipo = TTipoFalha::tfGenerico; break;
    case 0x34: tipo = TTipoFalha::tfOldReservado; break;
    case 0x36: tipo = TTipoFalha::tfOldConhecido; break;
    default: return;
  }
  for (const TFalhaFrame& f : DecodificaFalhas(_Comando, _Dados)) {
    TClassFalha& falha = FListaFalhas.AddNew();
    falha.FTipoFalha = tipo;
    falha.FFalhaHexa = f.falhaHexa;
    falha.FStatusID = f.status;
    falha.FMsgAdicionalID = f.msgAdicionalID;
    falha.FPaginaFalha = static_cast<uint32_t>(f.pagina);
  }
}

// ---------------------------------------------------------------- parameters

TClassParametro* TClassDiagVexlin::GetParamSVG(uint32_t _ID) { return FParametrosSVG.GetParamByID(_ID); }
TClassParametro* TClassDiagVexlin::GetParamCVG(uint32_t _ID) { return FParametrosCVG.GetParamByID(_ID); }
TClassParametro* TClassDiagVexlin::GetParamAtuador(uint32_t _ID) {
  return FAtuadorEmUso ? FAtuadorEmUso->GetParamByID(_ID) : nullptr;
}
TClassParametro* TClassDiagVexlin::GetParamAjuste(uint32_t _ID) {
  return FAjusteEmUso ? FAjusteEmUso->GetParamByID(_ID) : nullptr;
}

TClassParametro* TClassDiagVexlin::GetParam(uint32_t _ID) {
  if (FVexlin->EmAtuador()) return GetParamAtuador(_ID);
  if (FVexlin->EmAjuste()) return GetParamAjuste(_ID);
  if (TClassParametro* p = GetParamCVG(_ID)) return p;
  return GetParamSVG(_ID);
}

template <class F>
void TClassDiagVexlin::ParaCadaParametro(F f) const {
  for (const TClassParametro& p : FParametrosSVG) f(const_cast<TClassParametro&>(p));
  for (const TClassParametroVG& p : FParametrosCVG) f(const_cast<TClassParametroVG&>(p));
}

uint8_t TClassDiagVexlin::GetQtdParamSelecionados() const {
  uint8_t n = 0;
  ParaCadaParametro([&](TClassParametro& p) { n = static_cast<uint8_t>(n + (p.FSelecionado ? 1 : 0)); });
  return n;
}
uint8_t TClassDiagVexlin::GetQtdParamGrafSelecionados() const {
  uint8_t n = 0;
  ParaCadaParametro([&](TClassParametro& p) { n = static_cast<uint8_t>(n + (p.FGraficoSelecionado ? 1 : 0)); });
  return n;
}
uint8_t TClassDiagVexlin::GetQtdParamDisponivel() const {
  uint8_t n = 0;
  ParaCadaParametro([&](TClassParametro& p) { n = static_cast<uint8_t>(n + (p.FDisponivel ? 1 : 0)); });
  return n;
}

void TClassDiagVexlin::ResetParamVisible() {
  ParaCadaParametro([](TClassParametro& p) { p.FVisible = false; });
}

void TClassDiagVexlin::SetGraficoUnchecked() {
  FParametrosSVG.SetGraficoUnchecked();
  FParametrosCVG.SetGraficoUnchecked();
}

void TClassDiagVexlin::OnDadosPids(const HexaString& _Dados) {
  const bool emTeste = FVexlin->EmAtuador() || FVexlin->EmAjuste();
  for (const TRegistroPid& r : DecodificaPids(_Dados)) {
    TClassParametro* p = nullptr;
    try {
      p = GetParam(static_cast<uint32_t>(r.id));
    } catch (const std::exception&) {
      p = nullptr;
    }
    if (!p) continue;
    const bool conta = emTeste || p->GraficoSelecionado() || p->FVisible;
    if (!conta && p->Formato() != 0 && p->Formato() != 0x6F) continue;
    if (p->Formato() == 0) p->SetFormato(static_cast<uint8_t>(r.formato));
    // Text comes in the order sent; a number most significant byte first, stored little-endian.
    p->SetValue(p->Formato() == 0x6F ? r.valor : Inverte(r.valor));
  }
}

void TClassDiagVexlin::OnParamDisp(const HexaString& _Frame) {
  const QByteArray f = ToBytes(_Frame);
  if (f.size() < 4) return;
  if (Byte(f, 3) == 1) ParaCadaParametro([](TClassParametro& p) { p.FDisponivel = false; });
  const int ultimo = Byte(f, 0);
  for (int i = 4; i <= ultimo && i + 1 < f.size(); i += 2) {
    const uint32_t id = (uint32_t(Byte(f, i)) << 8) | Byte(f, i + 1);
    if (TClassParametro* p = GetParam(id)) p->FDisponivel = true;
  }
}

bool TClassDiagVexlin::IniciarContinuoVisible(const std::vector<int>& _Params) {
  if (!FVexlin->ComandoFinalizaContinuo()) return false;
  FVexlin->LimpaPIDS();
  for (int id : _Params) FVexlin->ConfiguraPID(id);
  FVexlin->ComandoIniciaContinuo();
  return true;
}

void TClassDiagVexlin::FinalizaContinuo() {
  FVexlin->ComandoFinalizaContinuo();
  FVexlin->LimpaPIDS();
}

// ---------------------------------------------------------------- tests

namespace {
TClassAtuadorAjuste* Busca(TListaAtuadoresAjustes& l, int id) {
  for (TClassAtuadorAjuste& a : l)
    if (a.FID >= 0 && a.FID == id) return &a;
  return nullptr;
}
}  // namespace

TClassAtuadorAjuste* TClassDiagVexlin::GetAtuador(int _ID) { return Busca(FListaAtuadores, _ID); }
TClassAtuadorAjuste* TClassDiagVexlin::GetAjuste(int _ID) { return Busca(FListaAjustes, _ID); }

void TClassDiagVexlin::SetAtuador(int _ID) {
  FAtuadorEmUso = GetAtuador(_ID);
  if (!FAtuadorEmUso) throw std::runtime_error("Atuador não encontrado");
  FAtuadorEmUso->FIniciado = false;
}

void TClassDiagVexlin::SetAjuste(int _ID) {
  FAjusteEmUso = GetAjuste(_ID);
  if (!FAjusteEmUso) throw std::runtime_error("Ajuste não encontrado");
  FAjusteEmUso->FIniciado = false;
}

bool TClassDiagVexlin::ComandosInicia(const TFamilia& f) {
  try {
    FVexlin->LimpaPIDS();
  } catch (const std::exception& e) {
    TDebug::Linha(Msg(e));
  }
  TClassAtuadorAjuste* teste = this->*f.emUso;
  if (!teste) return false;
  try {
    (FVexlin.get()->*f.configura)(teste->FID);
  } catch (const std::exception& e) {
    TDebug::Erro(Msg(e), f.rotuloConfigura);
    return false;
  }
  if (!(FVexlin.get()->*f.emModo)()) return false;
  teste = this->*f.emUso;
  if (!teste) return false;
  for (const TClassParametro& p : teste->FListaParam) {
    try {
      FVexlin->ConfiguraPID(static_cast<int>(p.FID));
    } catch (const std::exception& e) {
      TDebug::Linha(Msg(e));
    }
  }
  if (teste->FIniciaExecutando == 1) {
    try {
      if ((FVexlin.get()->*f.inicia)(teste->FID)) teste->FIniciado = true;
    } catch (const std::exception& e) {
      TDebug::Erro(Msg(e), f.rotuloIniciar);
      return false;
    }
  }
  if (!teste->TemParam()) return true;
  try {
    FVexlin->ComandoIniciaContinuo();
  } catch (const std::exception& e) {
    TDebug::Linha(Msg(e));
  }
  return true;
}

void TClassDiagVexlin::Inicia(const TFamilia& f) {
  TClassAtuadorAjuste* teste = this->*f.emUso;
  if (!teste) return;
  try {
    (FVexlin.get()->*f.inicia)(teste->FID);
    teste->FIniciado = true;
  } catch (...) {
    teste->FIniciado = false;
    throw;
  }
}

void TClassDiagVexlin::Finaliza(const TFamilia& f) {
  TClassAtuadorAjuste* teste = this->*f.emUso;
  if (!teste) return;
  const bool temParam = teste->TemParam();
  if (temParam) FVexlin->ComandoFinalizaContinuo();
  (FVexlin.get()->*f.finaliza)(teste->FID);
  if (temParam) FVexlin->LimpaPIDS();
}

const TClassDiagVexlin::TFamilia& TClassDiagVexlin::FamiliaAtuador() {
  static const TFamilia f{&TClassDiagVexlin::FAtuadorEmUso, &TClass_Vexlin::ConfiguraAtuador,
                                            &TClass_Vexlin::IniciaAtuador, &TClass_Vexlin::FinalizaAtuador,
                                            &TClass_Vexlin::EmAtuador, "IniAtuConfAtuErro", "IniAtuIniciarErro"};
  return f;
}
const TClassDiagVexlin::TFamilia& TClassDiagVexlin::FamiliaAjuste() {
  static const TFamilia f{&TClassDiagVexlin::FAjusteEmUso, &TClass_Vexlin::ConfiguraAjuste,
                                            &TClass_Vexlin::IniciaAjuste, &TClass_Vexlin::FinalizaAjuste,
                                            &TClass_Vexlin::EmAjuste, "IniAjuConfAjuErro", "IniAjuIniciarErro"};
  return f;
}

bool TClassDiagVexlin::ComandosIniciaAtuador() { return ComandosInicia(FamiliaAtuador()); }
bool TClassDiagVexlin::ComandosIniciaAjuste() { return ComandosInicia(FamiliaAjuste()); }
void TClassDiagVexlin::IniciaAtuador() { Inicia(FamiliaAtuador()); }
void TClassDiagVexlin::IniciaAjuste() { Inicia(FamiliaAjuste()); }
void TClassDiagVexlin::FinalizaAtuador() { Finaliza(FamiliaAtuador()); }
void TClassDiagVexlin::FinalizaAjuste() { Finaliza(FamiliaAjuste()); }

void TClassDiagVexlin::AtuadorAjusteFinalizado() {
  FAtuadorEmUso = nullptr;
  FAjusteEmUso = nullptr;
}

}  // namespace tovra
