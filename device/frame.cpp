#include "device/frame.h"

namespace tovra {

int Tamanho(const TTypeFrameVexlin& f) { return ByteToInt(ByteEm(f, 0)); }
int Comando(const TTypeFrameVexlin& f) { return ByteToInt(ByteEm(f, 1)); }
HexaString ComandoTexto(const TTypeFrameVexlin& f) { return ByteEm(f, 1); }

HexaString Dados(const TTypeFrameVexlin& f) {
  const int n = Tamanho(f);
  if (n < 2) return {};
  return SubBytes(f, 2, n);
}

HexaString ComandoDados(const TTypeFrameVexlin& f) {
  HexaString r = ComandoTexto(f);
  const HexaString d = Dados(f);
  if (!d.isEmpty()) Adiciona(r, d);
  return r;
}

int PosicaoZero(const TTypeFrameVexlin& f, int a) {
  const HexaString d = Dados(f);
  const int n = QtdBytes(d);
  for (int i = a < 0 ? 0 : a; i < n; ++i)
    if (ByteEm(d, i) == QLatin1String("00")) return i;
  return n;
}

namespace {
HexaString ChecksumTexto(quint32 soma) {
  const quint32 c = 0x10000u - soma;
  return IntToHexa((c >> 8) & 0xFF, 2) + QLatin1Char(' ') + IntToHexa(c & 0xFF, 2);
}
}  // namespace

HexaString CalculaChecksum(const HexaString& h) {
  quint32 s = 0;
  const int n = QtdBytes(h);
  for (int i = 0; i < n; ++i) s += quint32(ByteToInt(ByteEm(h, i)));
  return ChecksumTexto(s);
}

HexaString MontaFrame(const HexaString& comando, const HexaString& dados) {
  HexaString f = IntToHexa(QtdBytes(comando) + QtdBytes(dados), 2);
  Adiciona(f, comando);
  if (!dados.isEmpty()) Adiciona(f, dados);
  Adiciona(f, CalculaChecksum(f));
  return f;
}

quint16 SomaChecksum(const char* dados, qsizetype tamanho) {
  quint32 s = 0;
  for (qsizetype i = 0; i < tamanho; ++i) s += static_cast<unsigned char>(dados[i]);
  return quint16(0x10000u - s);
}

QByteArray MontaFrameBytes(quint8 comando, const QByteArray& dados) {
  QByteArray f;
  f.reserve(dados.size() + 4);
  f.append(char(1 + dados.size()));
  f.append(char(comando));
  f.append(dados);
  const quint16 c = SomaChecksum(f.constData(), f.size());
  f.append(char(c >> 8));
  f.append(char(c & 0xFF));
  return f;
}

bool ExtraiFrameEm(const HexaString& buffer, int a, HexaString& frame, quint16& ultimo) {
  const int n = ByteToInt(ByteEm(buffer, a));
  ultimo = quint16(n + 2);
  if (ultimo <= 2 && QtdBytes(buffer) >= ultimo + 1) {
    frame.clear();
    return false;
  }
  const HexaString corpo = SubBytes(buffer, a, a + n);
  const HexaString soma = SubBytes(buffer, a + n + 1, a + n + 2);
  frame = corpo;
  if (!soma.isEmpty()) Adiciona(frame, soma);
  return CalculaChecksum(corpo) == soma;
}

bool ExtraiFrameEm(const char* dados, qsizetype tamanho, qsizetype a, quint16& ultimo) {
  if (a < 0 || a >= tamanho) {
    ultimo = 2;
    return false;
  }
  const int n = static_cast<unsigned char>(dados[a]);
  ultimo = quint16(n + 2);
  if (n == 0) return false;
  if (a + n + 2 >= tamanho) return false;  // incomplete
  const quint16 c = SomaChecksum(dados + a, n + 1);
  const quint16 lido = quint16(static_cast<unsigned char>(dados[a + n + 1]) << 8 |
                               static_cast<unsigned char>(dados[a + n + 2]));
  return c == lido;
}

void TTypeListaFrame::ApagarPrimeiroFrame(bool _TrataProximo) {
  if (!FItens.empty()) {
    FItens.pop_front();
    ++FRemovidos;
  }
  if (_TrataProximo) TrataProximo();
}

TTypeFrameVexlin TTypeListaFrame::RetiraPrimeiro() {
  if (FItens.empty()) return {};
  TTypeFrameVexlin f = std::move(FItens.front());
  FItens.pop_front();
  ++FRemovidos;
  return f;
}

void TTypeListaFrame::TrataProximo() {
  if (FItens.empty() || !Event_TrataFrame) return;
  if (FDisparando) {
    FPendente = true;
    return;
  }
  FDisparando = true;
  struct Fim {
    bool& b;
    ~Fim() { b = false; }
  } fim{FDisparando};
  do {
    FPendente = false;
    const quint64 antes = FRemovidos;
    Event_TrataFrame();
    // A handler that left the head in place must not make this loop spin.
    if (FRemovidos == antes) break;
  } while (FPendente && !FItens.empty());
}

bool TTypeListaFrame::BuscaComando(const QString& _Value) const {
  for (const auto& f : FItens)
    if (ComandoDados(f).contains(_Value)) return true;
  return false;
}

}  // namespace tovra
