#include "diagnosis/parametros.h"

#include <QLocale>
#include <cmath>

#include "common/texto.h"
#include "diagnosis/dominio_hexa.h"

namespace tovra {

using namespace dominio;

bool FormatoNumerico(uint8_t f) { return (f >= 0x11 && f <= 0x55) || (f >= 0x81 && f <= 0x89); }

QString PadraoNumerico(uint8_t f) {
  const int alto = f >> 4, baixo = f & 0x0F;
  if (alto == 8) return "0";
  // A second digit A..F is no decimal count; such values show two decimals.
  const int casas = baixo <= 9 ? baixo : 2;
  return "0." + QString(casas, '0');
}

QString FormataNumero(double valor, const QString& padrao) {
  const qsizetype ponto = padrao.indexOf('.');
  const int casas = ponto < 0 ? 0 : static_cast<int>(padrao.size() - ponto - 1);
  QLocale l;
  l.setNumberOptions(QLocale::OmitGroupSeparator);
  return l.toString(valor, 'f', casas);
}

TClassParametro::TClassParametro() : FUnidade(std::make_unique<TClassUnidade>()) {}
TClassParametro::~TClassParametro() = default;

void TClassParametro::AddUnidade(uint32_t id, const QString& titulo) {
  FUnidade->FID = id;
  FUnidade->FTitulo = titulo;
}

bool TClassParametro::ParamNumerico() const { return FormatoNumerico(FFormato); }

void TClassParametro::SetFormato(uint8_t formato) {
  FFormato = formato;
  FFormatoStr = FormatoNumerico(formato) ? PadraoNumerico(formato) : QString();
}

void TClassParametro::SetGraficoSelecionado(bool v) { FGraficoSelecionado = ParamNumerico() ? v : false; }

void TClassParametro::SetValue(const QString& hexa) {
  if (FFormato == 0x6F) {
    const QByteArray b = BytesDeHexa(hexa);
    if (b.size() >= 4 && static_cast<unsigned char>(b[3]) == 0xFF) {
      if (FNewValueStr) {
        FValueAux.clear();
        FNewValueStr = false;
      }
      const QString parte = HexaDeBytes(b.left(3));
      FValueAux = FValueAux.isEmpty() ? parte : FValueAux + " " + parte;
    } else {
      if (FNewValueStr) FValueAux.clear();
      const QString parte = HexaDeBytes(b);
      FValueAux = FValueAux.isEmpty() ? parte : FValueAux + " " + parte;
      FValue = FValueAux;
      FNewValueStr = true;
    }
    return;
  }
  FValue = hexa;
  float v;
  try {
    v = SingleLE(hexa);
  } catch (const std::invalid_argument&) {
    return;  // no number to remember
  }
  // A value that is not a number would poison the history; it is not counted.
  if (std::isnan(v)) return;
  if (v < FMenorValor) FMenorValor = v;
  if (v > FMaiorValor) FMaiorValor = v;
}

QString TClassParametro::MenorValorFormatado() const {
  return ParamNumerico() ? FormataNumero(FMenorValor, PadraoNumerico(FFormato)) : FValue;
}
QString TClassParametro::MaiorValorFormatado() const {
  return ParamNumerico() ? FormataNumero(FMaiorValor, PadraoNumerico(FFormato)) : FValue;
}

QString TClassParametroVG::LimInfFormatado() const { return FormataNumero(FLimiteInferior, FFormatoStr); }
QString TClassParametroVG::LimSupFormatado() const { return FormataNumero(FLimiteSuperior, FFormatoStr); }

QString TextoValorParametro(const QString& valor, uint8_t f, const QString& padrao,
                            const std::function<QString(double)>& statusParametro) {
  if (FormatoNumerico(f)) return FormataNumero(SingleLE(valor), padrao.isEmpty() ? PadraoNumerico(f) : padrao);
  try {
    switch (f) {
      case 0x60: {
        const QByteArray b = BytesDeHexa(valor);
        QByteArray t;
        for (int i = 0; i < 3 && i < b.size(); ++i)
          if (b[i] != '\0') t.append(b[i]);
        return DecodeWin1252(t);
      }
      case 0x6F: {
        const QByteArray b = BytesDeHexa(valor);
        const qsizetype fim = b.indexOf('\0');
        return DecodeWin1252(fim < 0 ? b : b.left(fim));
      }
      case 0x8E: return SemEspacos(valor);
      case 0x8F: {
        const float v = SingleLE(valor);
        return statusParametro ? statusParametro(v) : QString();
      }
      case 0x91: {
        const double v = SingleLE(valor);
        if (!std::isfinite(v)) throw std::invalid_argument("tempo inválido");
        const long long s = static_cast<long long>(std::trunc(v));
        const long long a = s < 0 ? -s : s;
        return QString(s < 0 ? "-" : "") + QString::asprintf("%lld:%2.2lld:%2.2lld", a / 3600, (a % 3600) / 60, a % 60);
      }
      case 0x93: {
        const QByteArray b = BytesDeHexa(valor);
        QString bits;
        for (char c : b)
          for (int k = 7; k >= 0; --k) bits += ((static_cast<unsigned char>(c) >> k) & 1) ? '1' : '0';
        return "8-" + bits + "-1";
      }
      default: break;
    }
    return FormataNumero(SingleLE(valor), "0.00");
  } catch (const std::exception&) {
    return "Desc.: " + QString::asprintf("%02X", f);
  }
}

}  // namespace tovra
