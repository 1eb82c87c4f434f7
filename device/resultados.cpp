#include "device/resultados.h"

namespace tovra {

namespace {
int D(const HexaString& d, int i) { return ByteToInt(ByteEm(d, i)); }
}  // namespace

QList<TFalhaFrame> DecodificaFalhas(quint8 op, const HexaString& d) {
  QList<TFalhaFrame> r;
  const int n = QtdBytes(d);
  switch (op) {
    case 0x16:
    case 0x17: {
      if (n < 3 || D(d, 0) == 0) break;
      const int l = D(d, 2);
      const int ext = op == 0x17 ? 2 : 1;
      if (l == 0 || n < l + 4 + ext) break;
      TFalhaFrame f;
      f.opcode = op;
      f.falhaHexa = SubBytes(d, 3, l + 2);
      f.status = ByteEm(d, l + 3);
      f.msgAdicionalID = SubBytes(d, l + 4, l + 3 + ext);
      r << f;
      break;
    }
    case 0x32: {
      if (n < 6) break;
      const int q = D(d, 5);
      for (int k = 0; k < q && 8 + 3 * k < n; ++k) {
        TFalhaFrame f;
        f.opcode = op;
        f.pagina = D(d, 4);
        f.falhaHexa = ByteEm(d, 6 + 3 * k);
        f.status = ByteEm(d, 7 + 3 * k);
        f.msgAdicionalID = ByteEm(d, 8 + 3 * k);
        r << f;
      }
      break;
    }
    case 0x34: {
      if (n < 4) break;
      TFalhaFrame f;
      f.opcode = op;
      f.falhaHexa = SubBytes(d, 2, 3);
      r << f;
      break;
    }
    case 0x36: {
      if (n < 6) break;
      const int q = D(d, 5);
      for (int k = 0; k < q && 6 + k < n; ++k) {
        TFalhaFrame f;
        f.opcode = op;
        f.pagina = D(d, 4);
        f.falhaHexa = ByteEm(d, 6 + k);
        r << f;
      }
      break;
    }
    default: break;
  }
  return r;
}

QList<TRegistroPid> DecodificaPids(const HexaString& d) {
  QList<TRegistroPid> r;
  const int q = QtdBytes(d) / 7;
  for (int k = 0; k < q; ++k) {
    const int b = 7 * k;
    if (b + 8 >= QtdBytes(d)) break;
    TRegistroPid p;
    p.id = D(d, b + 2) * 256 + D(d, b + 3);
    p.formato = D(d, b + 4);
    p.valor = SubBytes(d, b + 5, b + 8);
    r << p;
  }
  return r;
}

double ValorNumerico(const HexaString& v) { return ToSingleLE(Inverte(v)); }

}  // namespace tovra
