// The simulated device's files and information: a file store with the CRC-64 of
// what it holds, raw packet uploads, file reads, "LSYSLOAD.INF", the script load,
// the information block, serial number, diagnosis count, clock and the
// diagnosis-log records.
#include <QDir>
#include <QFile>

#include "device/crc.h"
#include "device/hexa.h"
#include "sim/simvexlin.h"

namespace tovra::sim {

namespace {
using Sim = TClassSimVexlin;

QByteArray LE(quint64 v, int n) {
  QByteArray r;
  for (int i = 0; i < n; ++i) r.append(char((v >> (8 * i)) & 0xFF));
  return r;
}
QByteArray BE(quint64 v, int n) {
  QByteArray r = LE(v, n);
  std::reverse(r.begin(), r.end());
  return r;
}
// 00 00, the name, 00 -> the name (Windows-1252 bytes taken one per character).
QString NomeDe(const QByteArray& d, int desde = 2) {
  QByteArray n = d.mid(desde);
  const qsizetype z = n.indexOf('\0');
  if (z >= 0) n.truncate(z);
  return QString::fromLatin1(n);
}
// Loading a script takes the device a moment: its answer comes after the acknowledgement.
constexpr qint64 kCargaMs = 20;
int Bcd(int v) { return (v / 10) * 16 + v % 10; }
}  // namespace

const QByteArray* TSimDispositivo::Arquivo(const QString& nome) const {
  for (auto it = arquivos.cbegin(); it != arquivos.cend(); ++it)
    if (it.key().compare(nome, Qt::CaseInsensitive) == 0) return &it.value();
  return nullptr;
}

void TSimDispositivo::GravaArquivo(const QString& nome, const QByteArray& bytes) {
  for (auto it = arquivos.begin(); it != arquivos.end(); ++it) {
    if (it.key().compare(nome, Qt::CaseInsensitive) == 0) {
      arquivos.erase(it);
      break;
    }
  }
  arquivos.insert(nome, bytes);
}

int Sim::CarregaPasta(const QString& pasta) {
  int n = 0;
  for (const QFileInfo& fi : QDir(pasta).entryInfoList(QDir::Files)) {
    QFile f(fi.filePath());
    if (!f.open(QIODevice::ReadOnly)) continue;
    FDisp.GravaArquivo(fi.fileName(), f.readAll());
    ++n;
  }
  return n;
}

qsizetype Sim::ConsomeUpload(qsizetype p) {
  const qsizetype n = std::min<qsizetype>(FDisp.tamanhoUpload - FDisp.upload.size(), FEntrada.size() - p);
  FDisp.upload.append(FEntrada.constData() + p, n);
  if (FDisp.upload.size() >= FDisp.tamanhoUpload) {
    FDisp.recebendo = false;
    FDisp.GravaArquivo(FDisp.nomeUpload, FDisp.upload);
    Registra("rx", {}, QString("arquivo %1: %2 bytes").arg(FDisp.nomeUpload).arg(FDisp.upload.size()));
    FDisp.upload.clear();
    EnviaAck(0xB0);  // the whole file arrived
  }
  return n;
}

void Sim::RegistraArquivos() {
  {
    const QString r = FCenario.dispositivo.relogio;
    for (int i = 0; i + 1 < r.size() && i < 12; i += 2) FDisp.relogio.append(char(Bcd(r.mid(i, 2).toInt())));
  }
  FDisp.diagnosticos = FCenario.dispositivo.qtdDiagnosticos;

  // upload: 00 00, size (4 bytes, low first), name; then the raw bytes
  RegistraComando(0xB0, [](Sim& s, quint8 op, const QByteArray& d) {
    auto& x = s.Dispositivo();
    if (d.size() < 7) {
      s.Envia(0xFF, QByteArray(1, char(op)));
      return;
    }
    quint64 tam = 0;
    for (int i = 0; i < 4; ++i) tam |= quint64(quint8(d[2 + i])) << (8 * i);
    x.nomeUpload = QString::fromLatin1(d.mid(6));
    x.tamanhoUpload = qint64(tam);
    x.upload.clear();
    x.recebendo = tam > 0;
    s.EnviaAck(op);
    if (tam == 0) {
      x.GravaArquivo(x.nomeUpload, {});
      s.EnviaAck(op);
    }
  });
  RegistraComando(0xB2, [](Sim& s, quint8 op, const QByteArray& d) {
    const QByteArray* a = s.Dispositivo().Arquivo(NomeDe(d));
    const quint64 crc = a && !a->isEmpty() ? CalcCRC64Bytes(a->constData(), a->size()) : 0;
    s.Envia(op, BE(crc, 8));
  });
  RegistraComando(0xC0, [](Sim& s, quint8 op, const QByteArray& d) {
    const QByteArray* a = s.Dispositivo().Arquivo(NomeDe(d));
    s.Envia(op, LE(a ? quint64(a->size()) : 0, 8));
  });
  RegistraComando(0xB1, [](Sim& s, quint8 op, const QByteArray& d) {
    const QByteArray* a = s.Dispositivo().Arquivo(NomeDe(d));
    const QByteArray bytes = a ? *a : QByteArray();
    s.Envia(op, LE(quint64(bytes.size()), 4));
    s.EnviaBrutos(bytes, QString("arquivo %1: %2 bytes").arg(NomeDe(d)).arg(bytes.size()));
  });

  // script load: id (2 bytes, low first), the file name, 00
  RegistraComando(0xB3, [](Sim& s, quint8 op, const QByteArray& d) {
    auto& x = s.Dispositivo();
    s.EnviaAck(op);
    const int id = d.size() >= 2 ? (quint8(d[0]) | quint8(d[1]) << 8) : -1;
    const QString pedido = NomeDe(d);
    // the name asked for; else the script of that system under any extension
    QString nome;
    if (!pedido.isEmpty() && x.Arquivo(pedido)) {
      nome = pedido;
    } else {
      const QString raiz = QString("%1.").arg(id, 5, 10, QChar('0'));
      for (auto it = x.arquivos.cbegin(); it != x.arquivos.cend(); ++it)
        if (it.key().startsWith(raiz, Qt::CaseInsensitive)) nome = it.key();
    }
    QString erro;
    std::optional<TSimScript> script;
    if (!nome.isEmpty()) script = LeScript(*x.Arquivo(nome), erro);
    x.comunicando = false;
    x.continuo = false;
    x.modelo.clear();
    x.pids.clear();
    if (!script) {
      x.script.reset();
      s.Agenda(kCargaMs, 0x5A);  // the load failed
      s.Agenda(kCargaMs, 0x5A);
      return;
    }
    for (auto& k : script->falhas)
      if (x.apagadas.contains(QString("%1:%2").arg(script->sistemaID).arg(k.codHexa))) k.presente = false;
    x.script = std::move(script);
    x.arquivoScript = nome;
    x.recentes.removeAll(nome);
    x.recentes.prepend(nome);
    while (x.recentes.size() > 10) x.recentes.removeLast();
    // "LSYSLOAD.INF": a three-byte header, then a JSON array written with tabs and line ends
    QByteArray inf = "LS\x01[\n";
    for (qsizetype i = 0; i < x.recentes.size(); ++i) {
      const QByteArray* a = x.Arquivo(x.recentes[i]);
      QString e;
      const auto sc = a ? LeScript(*a, e) : std::nullopt;
      inf += QString("\t{\"sistemaID\":%1,\"arquivo\":\"%2\",\"nome\":\"%3\"}%4\n")
                 .arg(sc ? sc->sistemaID : 0)
                 .arg(x.recentes[i])
                 .arg(sc ? sc->nome : QString())
                 .arg(i + 1 < x.recentes.size() ? "," : "")
                 .toLatin1();
    }
    inf += "]";
    x.GravaArquivo("LSYSLOAD.INF", inf);
    s.Agenda(kCargaMs, 0x00);  // 01 00 FF FF: script loaded
  });
  RegistraComando(0x0F, [](Sim& s, quint8 op, const QByteArray&) {
    const auto& x = s.Dispositivo();
    const QByteArray v = x.script ? QString("FLX %1 v%2").arg(x.script->sistemaID, 5, 10, QChar('0')).arg(x.script->versao).toLatin1()
                                  : QByteArray();
    s.Envia(op, v + '\0');
  });

  // information block
  RegistraComando(0x72, [](Sim& s, quint8 op, const QByteArray&) {
    const auto& id = s.Cenario().identidade;
    const auto& c = s.Cenario().dispositivo;
    const QStringList fw = id.versaoFirmware.split('.');
    QByteArray d;
    d.append(char(fw.value(0).toInt()));
    d.append(char(fw.value(1).toInt()));
    d.append(char(id.tipoModelo));
    d += BE(quint64(c.servicePack), 2);
    d.append(char(id.idioma == "ES" ? 1 : id.idioma == "EN" ? 2 : 0));
    d.append('\0');
    d.append(char(c.empresaID));
    QByteArray uuid = QByteArray::fromHex(c.uuid.toLatin1()).rightJustified(8, '\0').right(8);
    std::reverse(uuid.begin(), uuid.end());  // least significant first
    d += uuid;
    d.append(char(id.versaoHardware.toInt()));
    d.append(char(id.versaoBootloader.split('.').value(0).toInt()));
    d.append(2, '\0');
    d += s.Dispositivo().relogio;
    s.Envia(op, d);
  });
  RegistraComando(0x69, [](Sim& s, quint8 op, const QByteArray&) {
    QString digitos;
    for (QChar ch : s.Cenario().identidade.numeroSerie)
      if (ch.isDigit()) digitos += ch;
    s.Envia(op, BE(digitos.toULongLong(), 4));
  });
  RegistraComando(0xBE, [](Sim& s, quint8 op, const QByteArray&) {
    s.Envia(op, BE(quint64(s.Dispositivo().diagnosticos), 2));
  });
  RegistraComando(0x77, [](Sim& s, quint8 op, const QByteArray& d) {
    if (d.size() == 6) s.Dispositivo().relogio = d;
    s.EnviaAck(op);
  });
  // diagnosis log: records, and the start that is acknowledged twice
  RegistraComando(0x64, [](Sim& s, quint8 op, const QByteArray&) { s.EnviaAck(op); });
  RegistraComando(0x62, [](Sim& s, quint8 op, const QByteArray&) {
    ++s.Dispositivo().diagnosticos;
    s.EnviaAck(op);
    s.Agenda(50, 0x55, QByteArray(1, char(0x62)));  // the log is ready
  });
}

}  // namespace tovra::sim
