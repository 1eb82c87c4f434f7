// Device files (script load, upload with CRC check, CRC, size and bytes of a
// stored file), the information block and queries, the diagnosis-log records and
// the automatic-diagnosis ("Zintra") commands with their 0x66 frames.
//
// Names and texts travel in the device's character set, Windows-1252: a name or
// text with a character that has no single byte there is refused, never sent.
#include <QCoreApplication>
#include <QFileInfo>
#include <cmath>

#include "common/debug.h"
#include "device/crc.h"
#include "device/vexlin.h"

namespace tovra {

namespace {
constexpr int kCarregaAckMs = 20000;     // 0xB3 acknowledgement
constexpr int kCarregaFimMs = 30000;     // the device's 01 00 FF FF: script loaded
constexpr int kInicioEnvioMs = 5000;     // 0xB0 acknowledgement before the packets
constexpr int kFimEnvioMs = 20000;       // 55 B0 once the whole file arrived
constexpr int kReadCrcMs = 20000;
constexpr int kTamanhoArqMs = 3000;
constexpr int kRespostaArqMs = 3000;     // the 0xB1 reply announcing the byte count
constexpr int kLerArquivoMs = 5000;      // no file byte for this long ends a read
constexpr int kInfo72Ms = 2000;
constexpr int kConsultaMs = 3000;
constexpr int kVersaoFlxMs = 5000;
constexpr int kRegistroMs = 3000;
constexpr int kZintraCheckMs = 3000;
constexpr int kZintraTipoMs = 30000;

HexaString Junta(const HexaString& a, const HexaString& b) {
  HexaString r = a;
  Adiciona(r, b);
  return r;
}
// d[i] of a data text, -1 when missing.
int D(const HexaString& d, int i) { return i < QtdBytes(d) ? ByteToInt(ByteEm(d, i)) : -1; }
quint64 BigEndian(const HexaString& d) {
  quint64 v = 0;
  for (int i = 0; i < QtdBytes(d) && i < 8; ++i) v = (v << 8) | quint64(D(d, i));
  return v;
}
HexaString Byte(int v) { return IntToHexa(v & 0xFF, 2); }
}  // namespace

int TClass_Vexlin::TamanhoPacote() const { return TipoConexao() == TTypeConexao::tcBluetooth ? 128 : 512; }

// 00 00, the name, 00. _Ok false (and a log line) when the name cannot travel.
HexaString TClass_Vexlin::DadosNomeArquivo(const QString& _Nome, const char* _Operacao, bool& _Ok) {
  const auto nome = TextoParaDispositivo(_Nome);
  _Ok = nome.has_value() && !_Nome.isEmpty();
  if (!_Ok) {
    TDebug::Linha(QString::fromUtf8(_Operacao) + QString::fromUtf8(": nome de arquivo inválido para o equipamento: ") + _Nome);
    return {};
  }
  return Junta(Junta("00 00", *nome), "00");
}

// One query: the reply must carry the awaited opcode. The wait itself ends on any
// frame that contains the opcode's text; a frame of another opcode that ended it
// is no answer.
bool TClass_Vexlin::Consulta(const char* _Nome, const HexaString& _Op, const HexaString& _Dados, int _Timeout,
                             HexaString& _Resposta) {
  _Resposta.clear();
  QString erro;
  const bool ok = EnviaAguarda(_Op, _Dados, _Op, _Timeout, erro);
  if (!erro.isEmpty()) TDebug::Linha(QString::fromUtf8(_Nome) + ": " + erro);
  if (!ok) return false;
  if (ComandoTexto(FFrameConfirmado) != _Op) {
    TDebug::Linha(QString::fromUtf8(_Nome) + ": resposta de outro comando - " + FFrameConfirmado);
    return false;
  }
  _Resposta = Dados(FFrameConfirmado);
  return true;
}

// ---------------------------------------------------------------- script load

bool TClass_Vexlin::CarregarFLX(int _SistemaID) {
  FSistemaID = quint32(_SistemaID);
  HexaString dados = Inverte(IntToHexa(_SistemaID & 0xFFFF, 4));
  QString nome = QString("%1.flx").arg(_SistemaID, 5, 10, QChar('0'));
  if (_SistemaID == 700) {
    const auto t = TType_Equipamento(TipoEquipamento());
    if (t == TType_Equipamento::VexlinV3)
      nome = "00700.app";
    else if (t == TType_Equipamento::VexlinV4 || t == TType_Equipamento::VexlinPad2 ||
             t == TType_Equipamento::VexlinV5 || t == TType_Equipamento::VexlinPad3)
      nome = "00700.V4";
    else
      nome.clear();
  }
  if (!nome.isEmpty()) dados = Junta(dados, TextoToHexa(nome));
  dados = Junta(dados, "00");

  QString erro;
  bool ok = false;
  FCargaConcluida = false;
  if (EnviaAguarda("B3", dados, "55 B3", kCarregaAckMs, erro)) {
    // A quick device's 01 00 FF FF may come in the acknowledgement's chunk and
    // pass through the dispatcher, which notes it. "00" is in many frames: only
    // the frame of opcode 00 says the script is loaded.
    ok = FCargaConcluida;
    const qint64 inicio = Agora();
    while (!ok) {
      const qint64 resta = kCarregaFimMs - (Agora() - inicio);
      if (resta <= 0 || !AguardaComando("00", quint16(resta), erro)) break;
      if (Comando(FFrameConfirmado) == 0x00) {
        ok = true;
        break;
      }
      TDebug::Linha("CarregarFLX: frame ignorado - " + FFrameConfirmado);
    }
    if (ok) {
      FReceptor.Limpa();
      FListaFrames.Limpa();
      RespondeAck("00");
    } else {
      TDebug::Linha(QString::fromUtf8("Comando 01 00 FF FF não recebido"));
    }
  }
  FPidZintraList.clear();
  if (!erro.isEmpty()) TDebug::Linha("CarregarFLX: " + erro);
  return ok;
}

void TClass_Vexlin::DespCargaConcluida(const TTypeFrameVexlin&) { FCargaConcluida = true; }

// ---------------------------------------------------------------- upload

bool TClass_Vexlin::GravaArquivo(const QString& _ArquivoOrigem, const QString& _ArquivoDestino) {
  const qsizetype ponto = _ArquivoDestino.lastIndexOf(QLatin1Char('.'));
  const QString base = ponto >= 0 ? _ArquivoDestino.left(ponto) : _ArquivoDestino;
  const QString ext = ponto >= 0 ? _ArquivoDestino.mid(ponto) : QString();
  QString motivo;
  if (base.size() > 8) motivo += "Nome de arquivo acima de 8 caracteres.\r";
  if (ext.size() > 4) motivo += QString::fromUtf8("Extensão do arquivo acima de 3 caracteres.");
  if (base.isEmpty()) motivo += "Nome de arquivo vazio.";
  const auto nome = TextoParaDispositivo(_ArquivoDestino);
  if (!nome) motivo += "Nome de arquivo com caractere fora do Windows-1252.";
  if (!motivo.isEmpty()) throw EVexlin(QString::fromUtf8("Impossível gravar arquivo\r") + motivo);

  if (!QFileInfo::exists(_ArquivoOrigem)) {
    TDebug::Linha(QString::fromUtf8("Arquivo de origem não existe\r") + _ArquivoOrigem);
    return false;
  }
  TMemoryStreamCrc stream;
  if (!stream.LoadFromFile(_ArquivoOrigem) || stream.Size() == 0) {
    // an empty file has no CRC for the device to confirm
    TDebug::Linha("GravaArquivo: arquivo vazio ou ilegível - " + _ArquivoOrigem);
    return false;
  }
  const quint64 crc = stream.CalcCRC64();
  const bool bluetooth = TipoConexao() == TTypeConexao::tcBluetooth;
  const QStringList pacotes = stream.GetPacotesHexaString(quint64(TamanhoPacote()));

  QString erro;
  const HexaString dados = Junta(Junta("00 00", Inverte(IntToHexa(stream.Size(), 8))), *nome);
  if (!EnviaAguarda("B0", dados, "55 B0", kInicioEnvioMs, erro)) {
    TDebug::Linha(QString::fromUtf8("Ack do início do envio não recebido"));
    if (!erro.isEmpty()) TDebug::Linha("GravaArquivo: " + erro);
    return false;
  }
  const qsizetype n = pacotes.size();
  for (qsizetype i = 0; i < n; ++i) {
    try {
      if (!Conectado()) throw EVexlin(QString::fromUtf8("Não conectado"));
      FConexao->EnviaFrame(pacotes[i]);  // raw file bytes, no frame around them
    } catch (const std::exception& e) {
      TDebug::Linha("GravaArquivo: " + TextoDe(e));
      return false;
    }
    if (bluetooth) AguardaMs(1);
    if (bluetooth || (i + 1) % 10 == 0) {
      const int pct = int(std::floor(double(i + 1) / double(n) * 100.0));
      Dispara(Event_StatusTemp, "Atualizando " + _ArquivoDestino + " " + QString::number(pct) + "%", quint16(0));
    }
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
  }
  Dispara(Event_StatusTemp, QString::fromUtf8("Finalizando atualização"), quint16(0));
  const bool fim = AguardaComando("55 B0", kFimEnvioMs, erro);
  if (!erro.isEmpty()) TDebug::Linha("GravaArquivo: " + erro);
  if (!fim) return false;
  const quint64 noDispositivo = ReadCRC(_ArquivoDestino);
  return noDispositivo != 0 && noDispositivo == crc;
}

// ---------------------------------------------------------------- stored files

quint64 TClass_Vexlin::ReadCRC(const QString& _Arquivo) {
  bool ok = false;
  const HexaString dados = DadosNomeArquivo(_Arquivo, "ReadCRC", ok);
  HexaString r;
  if (!ok || !Consulta("ReadCRC", "B2", dados, kReadCrcMs, r)) return 0;
  return BigEndian(r);
}

qint64 TClass_Vexlin::RequestFileSize(const QString& _FileName) {
  bool ok = false;
  const HexaString dados = DadosNomeArquivo(_FileName, "RequestFileSize", ok);
  HexaString r;
  if (!ok || !Consulta("RequestFileSize", "C0", dados, kTamanhoArqMs, r)) return 0;
  return ToInt64LE(r);
}

// The reply 0xB1 announces the byte count and the file's bytes follow it raw. The
// receive buffer is emptied first and bytes pile up from the request on, so the
// reply and the file are read from the buffer itself: frames that come before
// the reply go to the frame list, bytes after the file's last one are cut into
// frames again.
bool TClass_Vexlin::RequestFileBytes(const QString& _FileName) {
  bool ok = false;
  const HexaString dados = DadosNomeArquivo(_FileName, "RequestFileBytes", ok);
  if (!ok || !Conectado()) return false;
  ProcessaListaFrames();
  FReceptor.Limpa();
  FBufferArqRecebido.clear();
  FReceptor.WaitingFile = true;
  if (!EnviaComando("B1", dados)) {
    FReceptor.WaitingFile = false;
    return false;
  }
  qint64 qtd = -1;
  QString erro;
  const qint64 inicio = Agora();
  while (qtd < 0) {
    QByteArray b = FReceptor.RetiraBuffer();
    qsizetype p = 0;
    while (p < b.size() && qtd < 0) {
      quint16 ultimo = 0;
      if (ExtraiFrameEm(b.constData(), b.size(), p, ultimo)) {
        const QByteArray frame = b.mid(p, ultimo + 1);
        p += ultimo + 1;
        if (quint8(frame[1]) == 0xB1) {
          const HexaString d = FromBytes(frame.mid(2, frame.size() - 4));
          qtd = ToInt64LE(d);
        } else {
          FListaFrames.Adiciona(FromBytes(frame));
        }
      } else if (static_cast<unsigned char>(b[p]) != 0 && p + ultimo >= b.size()) {
        break;  // incomplete: wait for more
      } else {
        ++p;  // not a frame start
      }
    }
    FReceptor.Anexa(b.mid(p));
    if (qtd >= 0) break;
    if (Agora() - inicio > kRespostaArqMs) {
      erro = "TIMEOUT";
      break;
    }
    try {
      FConexao->LerFrame(erro);
    } catch (const std::exception& e) {
      erro = "EXCEPTION: " + TextoDe(e);
    }
    if (!erro.isEmpty()) break;
  }
  if (qtd < 0) {
    TDebug::Linha("Erro RequestFileBytes: " + erro);
    FReceptor.WaitingFile = false;
    FReceptor.Limpa();
    ProcessaListaFrames();
    return false;
  }
  const bool lido = LerArquivo(qtd, erro);
  ProcessaListaFrames();
  return lido;
}

bool TClass_Vexlin::LerArquivo(qint64 _Qtd, QString& _Erro) {
  _Erro.clear();
  bool ok = false;
  qint64 ultimoProgresso = Agora();
  qsizetype recebidos = FReceptor.QtdBuffer();
  for (;;) {
    try {
      if (FReceptor.QtdBuffer() >= _Qtd) {
        TDebug::Linha("Arquivo recebido");
        const QByteArray b = FReceptor.RetiraBuffer();
        FBufferArqRecebido = FromBytes(b.left(_Qtd));
        FReceptor.WaitingFile = false;
        FReceptor.Anexa(b.mid(_Qtd));  // later traffic: frames again
        ok = true;
        break;
      }
      if (FReceptor.QtdBuffer() != recebidos) {
        recebidos = FReceptor.QtdBuffer();
        ultimoProgresso = Agora();
      } else if (Agora() - ultimoProgresso > kLerArquivoMs) {
        _Erro = "TIMEOUT";
        break;
      }
      if (TDebug::Ativo())
        TDebug::Linha(QString("LerArquivo Aguardando: %1 - Recebido: %2").arg(_Qtd).arg(FReceptor.QtdBuffer()));
      const qsizetype antes = FReceptor.QtdBuffer();
      FConexao->LerFrame(_Erro);
      if (!_Erro.isEmpty()) break;
      if (FReceptor.QtdBuffer() == antes) AguardaMs(1);
    } catch (const std::exception& e) {
      _Erro = "EXCEPTION: " + TextoDe(e);
      break;
    }
  }
  if (!_Erro.isEmpty()) TDebug::Linha("Erro LerArquivo: " + _Erro);
  if (!ok) FReceptor.Limpa();  // a partial file is no frame traffic
  FReceptor.WaitingFile = false;
  return ok;
}

// ---------------------------------------------------------------- information

bool TClass_Vexlin::GetInfo72() {
  QString erro;
  const bool ok = EnviaAguarda("72", "", "72", kInfo72Ms, erro);
  if (!erro.isEmpty()) TDebug::Linha("GetInfo72: " + erro);
  if (!ok || Comando(FFrameConfirmado) != 0x72) return false;
  FDados72 = FFrameConfirmado;
  return true;
}

namespace {
// The information block's data, or empty when there is none.
HexaString Bloco(const HexaString& frame72) { return frame72.isEmpty() ? HexaString() : Dados(frame72); }
}  // namespace

QString TClass_Vexlin::VersaoFirmware() {
  GetInfo72();
  const HexaString d = Bloco(FDados72);
  if (QtdBytes(d) < 2) return {};
  return QString::asprintf("%.2d%.2d", D(d, 0), D(d, 1));
}

int TClass_Vexlin::TipoEquipamento() {
  GetInfo72();
  return std::max(0, D(Bloco(FDados72), 2));
}

int TClass_Vexlin::VersaoServicePack() {
  GetInfo72();
  const HexaString d = Bloco(FDados72);
  return QtdBytes(d) < 5 ? 0 : D(d, 3) * 256 + D(d, 4);
}

QString TClass_Vexlin::Idioma() {
  GetInfo72();
  switch (D(Bloco(FDados72), 5)) {
    case 0: return "PT";
    case 1: return "ES";
    case 2: return "EN";
    default: return {};
  }
}

int TClass_Vexlin::EmpresaID() {
  GetInfo72();
  return std::max(0, D(Bloco(FDados72), 7));
}

QString TClass_Vexlin::UUID() {
  GetInfo72();
  const HexaString d = Bloco(FDados72);
  if (QtdBytes(d) < 16) return {};
  return SemEspacos(Inverte(SubBytes(d, 8, 15)));
}

QString TClass_Vexlin::DataHoraV4() {
  GetInfo72();
  const HexaString d = Bloco(FDados72);
  if (QtdBytes(d) < 26) return {};
  auto b = [&d](int i) { return ByteEm(d, i); };
  return b(22) + "/" + b(21) + "/" + b(20) + " " + b(23) + ":" + b(24) + ":" + b(25);
}

quint32 TClass_Vexlin::NrSerie() {
  HexaString r;
  return Consulta("GetNrSerie", "69", "", kConsultaMs, r) ? quint32(BigEndian(r)) : 0;
}

quint32 TClass_Vexlin::QtdDiagnosticos() {
  HexaString r;
  return Consulta("QtdDiagnosticos", "BE", "", kConsultaMs, r) ? quint32(BigEndian(r)) : 0;
}

QString TClass_Vexlin::GetVersaoFLX() {
  HexaString r;
  return Consulta("GetVersaoFLX", "0F", "", kVersaoFlxMs, r) ? TextoDoDispositivo(r) : QString();
}

void TClass_Vexlin::GravaDataHora(const QString& _DataHora) {
  const QString falha = "Falha ao salvar data/hora: " + _DataHora;
  // twelve digits, sent as six BCD bytes in the order given
  if (_DataHora.size() != 12 || std::any_of(_DataHora.begin(), _DataHora.end(), [](QChar c) { return !c.isDigit(); }))
    throw EVexlin(falha);
  HexaString dados;
  for (int i = 0; i < 12; i += 2) Adiciona(dados, _DataHora.mid(i, 2));
  QString erro;
  const bool ok = EnviaAguarda("77", dados, "55 77", kConsultaMs, erro);
  if (!erro.isEmpty()) TDebug::Linha("GravaDataHora: " + erro);
  if (!ok) throw EVexlin(falha);
}

// ---------------------------------------------------------------- diagnosis log

bool TClass_Vexlin::RegistroLog(const char* _Nome, const HexaString& _Op, const HexaString& _Dados) {
  QString erro;
  const bool ok = EnviaAguarda(_Op, _Dados, "55 " + _Op, kRegistroMs, erro);
  if (!erro.isEmpty()) TDebug::Linha("Erro " + QString::fromUtf8(_Nome) + ": " + erro);
  return ok;
}

bool TClass_Vexlin::RequestSetInfoLastSystem(quint8 infoID, const QString& text) {
  const auto t = TextoParaDispositivo(text);
  if (!t) {
    TDebug::Linha("Erro RequestSetInfoLastSystem: texto com caractere fora do Windows-1252: " + text);
    return false;
  }
  return RegistroLog("RequestSetInfoLastSystem", "64", Junta(Junta(Byte(infoID), *t), "00"));
}

bool TClass_Vexlin::RequestSetInfoLastSystemEnd(int modelID, int systemID, bool diesel) {
  HexaString d = "06";
  Adiciona(d, IntToHexa(modelID & 0xFFFF, 4));
  Adiciona(d, IntToHexa(systemID & 0xFFFF, 4));
  Adiciona(d, diesel ? "01" : "00");
  return RegistroLog("RequestSetInfoLastSystemEnd", "64", d);
}

bool TClass_Vexlin::RequestStartLogV4(int modelID, int systemID, bool diesel, quint8 adapID, const QString& adapProg) {
  bool hexOk = false;
  const int prog = SemEspacos(adapProg).mid(2, 2).toInt(&hexOk, 16);
  HexaString d = Word16(modelID & 0xFFFF);
  Adiciona(d, Word16(systemID & 0xFFFF));
  Adiciona(d, diesel ? "01" : "00");
  Adiciona(d, Byte(adapID));
  Adiciona(d, Byte(hexOk ? prog : 0));
  QString erro;
  const bool ok = EnviaAguarda("62", d, "55 62", kRegistroMs, erro);
  if (!erro.isEmpty()) TDebug::Linha("Erro RequestStartLogV4: " + erro);
  if (ok) {
    // the device acknowledges once more when its log is ready
    FAckComandoRecebido = false;
    AguardaAckComando();
  }
  return ok;
}

bool TClass_Vexlin::RequestSetInfoDtc(quint8 total, quint8 index, const QString& falhaPC, const QString& descricao,
                                      const QString& status) {
  HexaString d = "07";
  Adiciona(d, Byte(total));
  Adiciona(d, Byte(index));
  for (const QString& t : {falhaPC, descricao, status}) {
    const auto h = TextoParaDispositivo(t);
    if (!h) {
      TDebug::Linha("Erro RequestSetInfoDtc: texto com caractere fora do Windows-1252: " + t);
      return false;
    }
    d = Junta(Junta(d, *h), "00");
  }
  return RegistroLog("RequestSetInfoDtc", "64", d);
}

// ---------------------------------------------------------------- Zintra

bool TClass_Vexlin::RequestCheckZINTRA(int modelFlxID, int systemID, bool diesel) {
  HexaString d = "00";
  Adiciona(d, Word16(modelFlxID & 0xFFFF));
  Adiciona(d, Word16(systemID & 0xFFFF));
  Adiciona(d, diesel ? "01" : "00");
  QString erro;
  const bool ok = EnviaAguarda("66", d, "66 00", kZintraCheckMs, erro);
  if (!erro.isEmpty()) TDebug::Linha("RequestCheckZINTRA: " + erro);
  FZintraAvailable = ok && Comando(FFrameConfirmado) == 0x66 && D(Dados(FFrameConfirmado), 1) == 1;
  return ok;
}

bool TClass_Vexlin::RequestCheckZINTRA(int modelFlxID, int systemID) {
  HexaString d = "00";
  Adiciona(d, Word16(modelFlxID & 0xFFFF));
  Adiciona(d, Word16(systemID & 0xFFFF));
  QString erro;
  const bool ok = EnviaAguarda("66", d, "66 00", kZintraCheckMs, erro);
  if (!erro.isEmpty()) TDebug::Linha("RequestCheckZINTRA: " + erro);
  FZintraAvailable = ok && Comando(FFrameConfirmado) == 0x66 && D(Dados(FFrameConfirmado), 1) == 1;
  return ok;
}

bool TClass_Vexlin::RequestZINTRAType(quint8 typeID) {
  QString aguardado;
  switch (typeID) {
    case 1:
      FDtcZintraList.clear();
      aguardado = "66 01 FF";
      break;
    case 2: aguardado = "66 02 FF"; break;
    case 3:
      FPidZintraList.clear();
      aguardado = "66 03 FF";
      break;
    default: return false;
  }
  QString erro;
  const bool ok = EnviaAguarda("66", Byte(typeID), aguardado, kZintraTipoMs, erro);
  if (!erro.isEmpty()) TDebug::Linha("Erro RequestZINTRAType: " + erro);
  return ok;
}

void TClass_Vexlin::TrataZintra(const HexaString& d) {
  const int a = D(d, 0), b = D(d, 1);
  if (a == 0x01) {
    TDebug::Linha("Comando 0x66 - 0x01 - estatistica dtc");
    if (b == 0x00) {
      TDebug::Linha("Comando 0x66 0x01 - dtc");
      FDtcZintraList.push_back(std::make_unique<V1_Dtc_ZintraClass>(d));
    } else if (b == 0x01) {
      TDebug::Linha(QString::fromUtf8("Comando 0x66 0x01 - solução"));
      auto s = std::make_unique<V1_SolutionDtc_ZintraClass>(d);
      for (auto& f : FDtcZintraList) {
        if (f->FCurrentIndex == s->FCurrentDtcIndex) {
          f->FSolutionList.push_back(std::move(s));
          break;
        }
      }
    }
  } else if ((a == 0x02 || a == 0x03) && b != 0x00) {
    TDebug::Linha(QString::fromUtf8("Comando inválido: 0x66 0x02 0x") + QChar(b < 0 ? 0 : b));
  } else if (a == 0x02) {
    TDebug::Linha("Comando 0x66 0x02 0x00 - progress ZINTRA");
    Dispara(Event_ProgressZintraRuning, std::max(0, D(d, 2)), std::max(0, D(d, 3)));
  } else if (a == 0x03) {
    TDebug::Linha("Comando 0x66 0x03 0x00 - progress ZINTRA");
    auto r = std::make_unique<V1_ReportZintraClass>(d);
    const int total = r->FTotal, indice = r->FCurrentIndex;
    FPidZintraList.push_back(std::move(r));
    Dispara(Event_ProgressZintraRuning, total, indice);
  }
}

}  // namespace tovra
