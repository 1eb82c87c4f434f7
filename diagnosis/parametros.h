#pragma once
// Live parameters with their unit, display format, latest value and value history,
// and the one function that turns value bytes and a format code into the shown text.
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "common/objectlist.h"

namespace tovra {

class TClassUnidade {
 public:
  uint32_t FID = 0;
  QString FTitulo;
  uint32_t ID() const { return FID; }
  const QString& Titulo() const { return FTitulo; }
};

class TClassParametro {
 public:
  TClassParametro();
  virtual ~TClassParametro();

  uint16_t FGrupoID = 0;
  uint32_t FID = 0;
  uint16_t FIndice = 0;
  QString FTitulo;
  QString FAbreviacao;
  QString FCategoriaStr;
  std::unique_ptr<TClassUnidade> FUnidade;
  uint8_t FFormato = 0;
  QString FValue;
  QString FValueAux;
  bool FSelecionado = false;
  bool FGraficoSelecionado = false;
  bool FVisualGraph = false;
  double FMenorValor = 99999999.0;
  double FMaiorValor = -99999999.0;
  bool FNewValueStr = false;
  bool FVisible = false;
  bool FDisponivel = true;
  QString FFormatoStr = "0.00";

  void AddUnidade(uint32_t id, const QString& titulo);
  const TClassUnidade& Unidade() const { return *FUnidade; }

  // Stores the code and derives the number pattern (empty for non-numeric codes).
  void SetFormato(uint8_t formato);
  uint8_t Formato() const { return FFormato; }
  const QString& FormatoStr() const { return FFormatoStr; }
  bool ParamNumerico() const;

  // Numeric parameters only; others stay unselected for the graph.
  void SetGraficoSelecionado(bool v);
  bool GraficoSelecionado() const { return FGraficoSelecionado; }

  // Text values (6Fh) arrive in four-byte pieces, byte 3 FFh meaning "more
  // follows"; any other value is kept and widens the lowest/highest seen.
  void SetValue(const QString& hexa);
  const QString& Value() const { return FValue; }

  double MenorValor() const { return FMenorValor; }
  double MaiorValor() const { return FMaiorValor; }
  QString MenorValorFormatado() const;
  QString MaiorValorFormatado() const;
};

class TClassParametroVG : public TClassParametro {
 public:
  double FLimiteInferior = 0;
  double FLimiteSuperior = 0;
  QString LimInfFormatado() const;
  QString LimSupFormatado() const;
};

template <class T>
class TListaParametrosBase : public TObjectList<T> {
 public:
  bool TemParamSelecionado() const {
    for (const T& p : *this)
      if (p.FSelecionado) return true;
    return false;
  }
  void SetGraficoUnchecked() {
    for (T& p : *this) p.FGraficoSelecionado = false;
  }
  T* GetParamByID(uint32_t id) {
    for (T& p : *this)
      if (p.FID == id) return &p;
    return nullptr;
  }
};

class TListaParametros : public TListaParametrosBase<TClassParametro> {};
class TListaParametrosVG : public TListaParametrosBase<TClassParametroVG> {};

// Number pattern of a format code: "0" when the first hex digit is 8, otherwise
// "0." and as many zeros as the second digit ("0.00" for 12h).
QString PadraoNumerico(uint8_t formato);
bool FormatoNumerico(uint8_t formato);
// A number written with a pattern of the form "0", "0." or "0.000", with the
// system's decimal separator.
QString FormataNumero(double valor, const QString& padrao);

// The shown text of a value. statusParametro gives the status title of a value
// (format 8Fh). Numeric formats raise std::invalid_argument on bytes that are not
// hexadecimal; any other format never raises.
QString TextoValorParametro(const QString& valor, uint8_t formato, const QString& padrao,
                            const std::function<QString(double)>& statusParametro = {});

}  // namespace tovra
