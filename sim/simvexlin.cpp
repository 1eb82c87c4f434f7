#include "sim/simvexlin.h"

#include <QFile>
#include <nlohmann/json.hpp>

#include "common/jsonobj.h"
#include "device/hexa.h"

namespace tovra::sim {

namespace {
quint16 Checksum(const QByteArray& corpo) {
  quint32 s = 0;
  for (char c : corpo) s += static_cast<unsigned char>(c);
  return quint16(0x10000u - s);
}
}  // namespace

TClassSimVexlin::TClassSimVexlin(TSimCenario cenario) : FCenario(std::move(cenario)) {
  FRelogio.start();
  for (int i = 0; i < FCenario.reacoes.size(); ++i) FReacoesFeitas << 0;
  RegistraPadrao();
}

void TClassSimVexlin::RegistraComando(quint8 op, TTrataComando trata) { FComandos[op] = std::move(trata); }

void TClassSimVexlin::RegistraPadrao() {
  auto ack = [](TClassSimVexlin& s, quint8 op, const QByteArray&) { s.EnviaAck(op); };
  RegistraComando(0x80, ack);  // probe
  RegistraComando(0xDA, ack);  // is the diagnosis alive
  RegistraComando(0x74, [](TClassSimVexlin& s, quint8 op, const QByteArray&) {
    ++s.Resets;
    s.EnviaAck(op);
  });
  RegistraComando(0x76, [](TClassSimVexlin& s, quint8, const QByteArray&) { ++s.HardResets; });
  RegistraComando(0x55, [](TClassSimVexlin&, quint8, const QByteArray&) {});  // the program's acks
  RegistraDiagnostico();
  RegistraArquivos();
  if (!FCenario.dispositivo.arquivos.isEmpty()) CarregaPasta(FCenario.dispositivo.arquivos);
}

void TClassSimVexlin::AoConectar() {
  FEntrada.clear();
  FSaida.clear();
  FDisp.recebendo = false;  // a half-received upload is dropped
  FDisp.continuo = false;
  FDisp.agendados.clear();
  if (FCenario.pronto) Envia(0xCC);
}

void TClassSimVexlin::AoDesconectar() {
  FEntrada.clear();
  FSaida.clear();
  FDisp.recebendo = false;
  FDisp.upload.clear();
  FDisp.continuo = false;
}

void TClassSimVexlin::Registra(const QString& dir, const QByteArray& frame, const QString& nota) {
  FTranscricao.append({FRelogio.elapsed(), dir, FromBytes(frame), nota});
}

void TClassSimVexlin::Recebe(const QByteArray& bytes) {
  if (FLinkFechado) return;
  FEntrada.append(bytes);
  qsizetype p = 0;
  while (p < FEntrada.size()) {
    if (FDisp.recebendo) {
      p += ConsomeUpload(p);
      continue;
    }
    const int n = static_cast<unsigned char>(FEntrada[p]);
    if (n == 0) {
      Registra("rx", FEntrada.mid(p, 1), QString::fromUtf8("inválido"));
      ++p;
      continue;
    }
    if (FEntrada.size() - p < n + 3) break;  // incomplete
    const QByteArray corpo = FEntrada.mid(p, n + 1);
    const quint16 lido = quint16(static_cast<unsigned char>(FEntrada[p + n + 1]) << 8 |
                                 static_cast<unsigned char>(FEntrada[p + n + 2]));
    if (Checksum(corpo) != lido) {
      Registra("rx", FEntrada.mid(p, n + 3), QString::fromUtf8("inválido"));
      ++p;
      continue;
    }
    const QByteArray frame = FEntrada.mid(p, n + 3);
    p += n + 3;
    TrataFrame(frame);
    if (FLinkFechado) break;
  }
  FEntrada.remove(0, p);
}

void TClassSimVexlin::TrataFrame(const QByteArray& frame) {
  Registra("rx", frame);
  FramesRecebidos << frame;
  const auto op = static_cast<quint8>(frame[1]);
  const QByteArray dados = frame.mid(2, static_cast<unsigned char>(frame[0]) - 1);
  if (!FCenario.falhas.fecharNoComando.isEmpty() && FCenario.falhas.fecharNoComando.toInt(nullptr, 16) == op) {
    FLinkFechado = true;
    Registra("tx", {}, "link fechado");
    return;
  }
  Reage(op, true);
  if (FComandos[op])
    FComandos[op](*this, op, dados);
  else
    Envia(0xFF, QByteArray(1, char(op)));  // not acknowledged: a command this device does not know
  Reage(op, false);
}

void TClassSimVexlin::Reage(quint8 op, bool antes) {
  for (int i = 0; i < FCenario.reacoes.size(); ++i) {
    const TSimReacao& r = FCenario.reacoes[i];
    if (r.comando != op || r.antes != antes) continue;
    if (r.vezes > 0 && FReacoesFeitas[i] >= r.vezes) continue;
    ++FReacoesFeitas[i];
    for (const QString& f : r.enviar) EnviaTexto(f);
  }
}

void TClassSimVexlin::Envia(quint8 op, const QByteArray& dados) {
  if (FCenario.falhas.silencio || FLinkFechado) return;
  if (!FCenario.falhas.lixoEntreFrames.isEmpty()) EnviaBrutos(ToBytes(FCenario.falhas.lixoEntreFrames), "lixo");
  QByteArray f;
  f.append(char(1 + dados.size()));
  f.append(char(op));
  f.append(dados);
  quint16 c = Checksum(f);
  ++FFramesEnviados;
  QString nota;
  const int n = FCenario.falhas.checksumErradoACada;
  if (n > 0 && FFramesEnviados % n == 0) {
    c ^= 0x0001;
    nota = "checksum errado";
  }
  f.append(char(c >> 8));
  f.append(char(c & 0xFF));
  Registra("tx", f, nota);
  FSaida.append(f);
}

void TClassSimVexlin::EnviaTexto(const QString& opcodeEDados) {
  const QByteArray b = ToBytes(opcodeEDados.trimmed());
  if (b.isEmpty()) return;
  Envia(static_cast<quint8>(b[0]), b.mid(1));
}

void TClassSimVexlin::EnviaBrutos(const QByteArray& bytes, const QString& nota) {
  if (FCenario.falhas.silencio || FLinkFechado || bytes.isEmpty()) return;
  Registra("tx", bytes, nota);
  FSaida.append(bytes);
}

QByteArray TClassSimVexlin::RetiraSaida(qsizetype max) {
  qsizetype n = std::min(max, FSaida.size());
  if (FCenario.falhas.dividirEm > 0) n = std::min<qsizetype>(n, FCenario.falhas.dividirEm);
  QByteArray r = FSaida.left(n);
  FSaida.remove(0, n);
  return r;
}

QByteArray TClassSimVexlin::TranscricaoJson() const {
  Json itens = Json::array();
  for (const auto& r : FTranscricao) {
    Json e;
    e["ms"] = r.ms;
    e["direcao"] = r.direcao.toStdString();
    e["frame"] = r.frame.toStdString();
    if (!r.nota.isEmpty()) e["nota"] = r.nota.toStdString();
    itens.push_back(e);
  }
  Json j;
  j["transcricao"] = itens;
  return QByteArray::fromStdString(j.dump(1));
}

bool TClassSimVexlin::SalvaTranscricao(const QString& caminho) const {
  try {
    GravaArquivoAtomico(caminho, TranscricaoJson());
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace tovra::sim
