// tovra-cli info | faults | clear | live | upload | crc | read: a diagnosis through
// the device from the command line.
//
//   tovra-cli info   --port P
//   tovra-cli faults --port P --system ID --model FLXID --adapter PROG [--script FILE]
//   tovra-cli clear  --port P --system ID --model FLXID --adapter PROG [--script FILE]
//   tovra-cli live   --port P --system ID --model FLXID --adapter PROG --pids 1,2,3 --seconds N
//   tovra-cli upload FILE --as NAME --port P
//   tovra-cli crc NAME --port P
//   tovra-cli read NAME --port P [--out FILE]
//
// --script makes sure the device holds that script first (CRC compare, upload
// when it differs); FILE may be the script or its package zip.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <map>

#include "app/cli.h"
#include "common/pastas.h"
#include "device/crc.h"
#include "device/resultados.h"
#include "device/vexlin.h"
#include "diagnosis/flx.h"

namespace tovra::cli {

namespace {

constexpr int kAguardaProtocoloMs = 10000;
constexpr int kAguardaFalhasMs = 10000;

// Connects to the port and waits for the ready frame; nullptr (message given) when the port cannot be opened.
std::unique_ptr<TClass_Vexlin> Liga(const TArgs& args) {
  const QString porta = args.Opcao("port");
  if (porta.isEmpty()) {
    Err("--port is required");
    return nullptr;
  }
  auto v = std::make_unique<TClass_Vexlin>(Pastas::Logs());
  v->Conectar(porta, TTypeConexao::tcUSB);
  if (!v->Conectado()) {
    Err("cannot open " + porta);
    return nullptr;
  }
  v->AguardaCC();
  return v;
}

// Polls until the predicate holds or ms passed.
template <typename P>
bool Espera(TClass_Vexlin& v, int ms, P pronto) {
  QElapsedTimer t;
  t.start();
  while (!pronto()) {
    if (t.elapsed() > ms || !v.Conectado()) return false;
    QString erro;
    v.FazerLeitura(erro);
    if (!erro.isEmpty()) return false;
    AguardaMs(1);
  }
  return true;
}

int Info(const TArgs& args) {
  auto v = Liga(args);
  if (!v) return 1;
  if (!v->GetInfo72()) {
    Err("the device did not answer the information query");
    return 1;
  }
  const int tipo = v->TipoEquipamento();
  Out("firmware:      " + v->VersaoFirmware());
  Out(QString("model:         %1 (%2)").arg(NomeEquipamento(tipo)).arg(tipo));
  Out(QString("service pack:  %1").arg(v->VersaoServicePack()));
  Out("language:      " + v->Idioma());
  Out(QString("company:       %1").arg(v->EmpresaID()));
  Out("unique id:     " + v->UUID());
  Out("clock:         " + v->DataHoraV4());
  Out(QString("serial number: %1").arg(v->NrSerie()));
  Out(QString("diagnoses:     %1").arg(v->QtdDiagnosticos()));
  v->Desconectar();
  return 0;
}

// The script to make sure of: a file, or the one entry of a package zip.
QString ArquivoScript(const QString& caminho, QTemporaryDir& tmp, QString& erro) {
  if (!caminho.endsWith(".zip", Qt::CaseInsensitive)) return caminho;
  try {
    ExtraiZip(caminho, tmp.path(), false);
  } catch (const std::exception& e) {
    erro = QString::fromUtf8(e.what());
    return {};
  }
  const QStringList l = QDir(tmp.path()).entryList(QDir::Files);
  if (l.size() != 1) {
    erro = "the package should hold one script";
    return {};
  }
  return tmp.path() + "/" + l.first();
}

bool Upload(TClass_Vexlin& v, const QString& origem, const QString& nome) {
  v.Event_StatusTemp = [](const QString& s, quint16) { Err(s); };
  try {
    return v.GravaArquivo(origem, nome);
  } catch (const EVexlin& e) {
    Err(QString(e.Texto()).replace('\r', ' '));
    return false;
  }
}

// The device holds the script (same CRC) or receives it now.
bool GaranteScript(TClass_Vexlin& v, const QString& caminho) {
  QTemporaryDir tmp;
  QString erro;
  const QString arq = ArquivoScript(caminho, tmp, erro);
  if (arq.isEmpty()) {
    Err("script " + caminho + ": " + erro);
    return false;
  }
  TMemoryStreamCrc s;
  if (!s.LoadFromFile(arq) || s.Size() == 0) {
    Err("cannot read the script " + arq);
    return false;
  }
  const QString nome = QFileInfo(arq).fileName();
  const quint64 local = s.CalcCRC64();
  if (v.ReadCRC(nome) == local) {
    Err("script " + nome + ": the device holds it");
    return true;
  }
  Err("script " + nome + ": uploading");
  if (!Upload(v, arq, nome)) {
    Err("script " + nome + ": the upload failed");
    return false;
  }
  return true;
}

// New diagnosis, reset, adapter, script load, a second's pause, model, start of
// communication, and the device's word that the control unit answers (0x40).
bool Prepara(TClass_Vexlin& v, const TArgs& args) {
  bool okSis = false, okMod = false;
  const int sistema = args.Opcao("system").toInt(&okSis);
  const int modelo = args.Opcao("model").toInt(&okMod);
  const QString adaptador = args.Opcao("adapter");
  if (!okSis || !okMod || adaptador.isEmpty()) {
    Err("--system ID --model FLXID --adapter PROG are required");
    return false;
  }
  if (args.TemOpcao("script") && !GaranteScript(v, args.Opcao("script"))) return false;
  try {
    v.IniciaNovoDiagnostico();
    if (!v.Reset()) {
      Err("the device did not answer the reset");
      return false;
    }
    v.ProgramarAdaptador(adaptador);
    if (!v.CarregarFLX(sistema)) {
      Err(QString("the device could not load the script of system %1").arg(sistema));
      return false;
    }
    AguardaMs(1000);
    v.ProgramarModeloFLX(modelo);
    v.InicioComunicacao();
  } catch (const EVexlin& e) {
    Err(e.Texto());
    return false;
  }
  if (!Espera(v, kAguardaProtocoloMs, [&] { return v.ProtocoloAtivo() != TTypeStatusProtocolo::protNone; })) {
    Err("the device did not report the link to the control unit");
    return false;
  }
  if (v.ProtocoloAtivo() != TTypeStatusProtocolo::protAtivo) {
    Err("the control unit does not answer");
    return false;
  }
  return true;
}

QString TextoFalha(const TFalhaFrame& f) {
  QString t = QString("%1  code %2").arg(IntToHexa(f.opcode, 2), f.falhaHexa);
  if (!f.status.isEmpty()) t += "  status " + f.status;
  if (!f.msgAdicionalID.isEmpty()) t += "  message " + f.msgAdicionalID;
  if (f.opcode == 0x32 || f.opcode == 0x36) t += QString("  page %1").arg(f.pagina);
  return t;
}

int Faults(const TArgs& args) {
  auto v = Liga(args);
  if (!v || !Prepara(*v, args)) return 1;
  QList<TFalhaFrame> falhas;
  bool fim = false;
  v->Event_DadosFalhasRecebidos = [&](quint8 op, const HexaString& d) { falhas << DecodificaFalhas(op, d); };
  v->Event_FalhaRecebida = [&] { fim = true; };
  v->SolicitaFalhas();
  if (!Espera(*v, kAguardaFalhasMs, [&] { return fim; })) Err("the fault list did not end");
  Out(QString("faults: %1").arg(falhas.size()));
  for (const auto& f : falhas) Out(TextoFalha(f));
  v->FinalizaDiagnostico();
  v->Desconectar();
  return fim ? 0 : 1;
}

int Clear(const TArgs& args) {
  auto v = Liga(args);
  if (!v || !Prepara(*v, args)) return 1;
  bool apagadas = false;
  v->Event_FalhasApagadas = [&] { apagadas = true; };
  v->ApagaFalhas();
  const bool ok = Espera(*v, kAguardaFalhasMs, [&] { return apagadas; });
  Out(ok ? "faults cleared" : "the device did not confirm the clearing");
  v->FinalizaDiagnostico();
  v->Desconectar();
  return ok ? 0 : 1;
}

int Live(const TArgs& args) {
  QList<int> pids;
  for (const QString& p : args.Opcao("pids").split(',', Qt::SkipEmptyParts)) {
    bool ok = false;
    const int id = p.trimmed().toInt(&ok);
    if (!ok) {
      Err("--pids takes ids separated by commas");
      return 2;
    }
    pids << id;
  }
  bool okSeg = false;
  const double segundos = args.Opcao("seconds", "5").toDouble(&okSeg);
  if (pids.isEmpty() || !okSeg || segundos <= 0) {
    Err("usage: tovra-cli live --port P --system ID --model FLXID --adapter PROG --pids 1,2,3 --seconds N");
    return 2;
  }
  auto v = Liga(args);
  if (!v || !Prepara(*v, args)) return 1;
  if (v->EmContinuo()) v->ComandoFinalizaContinuo();
  v->LimpaPIDS();
  for (int id : pids) v->ConfiguraPID(id);

  std::map<int, QString> valores, texto;
  QString linha = "t_ms";
  for (int id : pids) linha += QString(",%1").arg(id);
  Out(linha);
  QElapsedTimer t;
  v->Event_DadosPidsRecebidos = [&](const HexaString& d) {
    for (const TRegistroPid& r : DecodificaPids(d)) {
      if (r.formato == 0x6F) {
        // text in pieces: three characters and FF, the last piece four bytes
        const bool mais = ByteEm(r.valor, 3) == QLatin1String("FF");
        QString& parte = texto[r.id];
        parte += ToTexto(mais ? SubBytes(r.valor, 0, 2) : r.valor);
        if (!mais) {
          valores[r.id] = parte;
          parte.clear();
        }
      } else if (r.formato == 0x93 || r.formato == 0x8F) {
        valores[r.id] = r.valor;
      } else {
        valores[r.id] = QString::number(ValorNumerico(r.valor), 'f', 3);
      }
    }
    QString l = QString::number(t.elapsed());
    for (int id : pids) l += "," + valores[id];
    Out(l);
  };
  t.start();
  try {
    v->ComandoIniciaContinuo();
  } catch (const EVexlin& e) {
    Err(e.Texto());
  }
  Espera(*v, int(segundos * 1000), [] { return false; });
  v->Event_DadosPidsRecebidos = nullptr;
  v->ComandoFinalizaContinuo();
  v->LimpaPIDS();
  v->FinalizaDiagnostico();
  v->Desconectar();
  return 0;
}

int UploadCmd(const TArgs& args) {
  const QString nome = args.Opcao("as");
  if (args.Posicionais().isEmpty() || nome.isEmpty()) {
    Err("usage: tovra-cli upload FILE --as NAME --port P");
    return 2;
  }
  const QString origem = args.Posicionais().first();
  auto v = Liga(args);
  if (!v) return 1;
  QElapsedTimer t;
  t.start();
  const bool ok = Upload(*v, origem, nome);
  const qint64 ms = t.elapsed();
  v->Desconectar();
  if (!ok) {
    Err("upload of " + origem + " as " + nome + " failed");
    return 1;
  }
  Out(QString("uploaded %1 as %2 in %3 ms, CRC confirmed").arg(origem, nome).arg(ms));
  return 0;
}

int Crc(const TArgs& args) {
  if (args.Posicionais().isEmpty()) {
    Err("usage: tovra-cli crc NAME --port P");
    return 2;
  }
  auto v = Liga(args);
  if (!v) return 1;
  const quint64 crc = v->ReadCRC(args.Posicionais().first());
  v->Desconectar();
  Out(QString::number(crc));
  return crc == 0 ? 1 : 0;
}

int Read(const TArgs& args) {
  if (args.Posicionais().isEmpty()) {
    Err("usage: tovra-cli read NAME --port P [--out FILE]");
    return 2;
  }
  const QString nome = args.Posicionais().first();
  auto v = Liga(args);
  if (!v) return 1;
  const qint64 tam = v->RequestFileSize(nome);
  Err(QString("%1: %2 bytes").arg(nome).arg(tam));
  if (tam <= 0) {
    v->Desconectar();
    return 1;
  }
  const bool ok = v->RequestFileBytes(nome);
  const QByteArray bytes = ToBytes(v->LastFileReceived());
  v->Desconectar();
  if (!ok) {
    Err("reading " + nome + " failed");
    return 1;
  }
  if (args.TemOpcao("out")) {
    QFile f(args.Opcao("out"));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
      Err("cannot write " + args.Opcao("out"));
      return 1;
    }
  } else {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
  }
  return 0;
}

TCliRegistro rInfo{"info", "--port P: the device's information block, serial number and diagnosis count", &Info};
TCliRegistro rFaults{"faults", "--port P --system ID --model FLXID --adapter PROG [--script FILE]: reads the faults",
                     &Faults};
TCliRegistro rClear{"clear", "--port P --system ID --model FLXID --adapter PROG: clears the faults", &Clear};
TCliRegistro rLive{"live", "... --pids 1,2,3 --seconds N: live values as CSV", &Live};
TCliRegistro rUpload{"upload", "FILE --as NAME --port P: writes a file to the device", &UploadCmd};
TCliRegistro rCrc{"crc", "NAME --port P: the CRC-64 of a file the device holds", &Crc};
TCliRegistro rRead{"read", "NAME --port P [--out FILE]: a file the device holds", &Read};

}  // namespace
}  // namespace tovra::cli
