#include "device/serial.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <algorithm>

#include "common/debug.h"

namespace tovra {

QString CaminhoDaPorta(const QString& _Value) {
  if (_Value.startsWith('/')) return _Value;
  return "/dev/" + _Value;
}

bool PortaCompativel(const QString& caminho, const QString& driver, const QString& subsystem) {
  static const QRegularExpression nome(QStringLiteral("^(ttyUSB|ttyACM|rfcomm)[0-9]+$"));
  const QString base = QFileInfo(caminho).fileName();
  if (nome.match(base).hasMatch()) return true;
  return driver == QLatin1String("cdc_acm") || subsystem == QLatin1String("usb-serial") ||
         driver == QLatin1String("rfcomm");
}

namespace {
QString LinkBase(const QString& caminho) {
  const QString alvo = QFileInfo(caminho).symLinkTarget();
  return alvo.isEmpty() ? QString() : QFileInfo(alvo).fileName();
}

TTipoFalhaAbertura Classifica(QSerialPort::SerialPortError e) {
  switch (e) {
    case QSerialPort::NoError: return TTipoFalhaAbertura::Nenhuma;
    case QSerialPort::DeviceNotFoundError: return TTipoFalhaAbertura::NaoExiste;
    case QSerialPort::PermissionError: return TTipoFalhaAbertura::SemPermissao;
    case QSerialPort::OpenError: return TTipoFalhaAbertura::EmUso;
    default: return TTipoFalhaAbertura::Outra;
  }
}

// Opens and closes a port on a port object of its own, leaving the link alone.
bool AbrePorTeste(const QString& caminho) {
  QSerialPort p;
  p.setPortName(caminho);
  if (!p.open(QIODevice::ReadWrite)) {
    if (p.error() == QSerialPort::PermissionError)
      TDebug::Linha(QString::fromUtf8("GetPortList: sem permissão para abrir ") + caminho +
                    QString::fromUtf8(" (o usuário precisa pertencer ao grupo dialout)"));
    return false;
  }
  p.close();
  return true;
}
}  // namespace

TClass_USB::TClass_USB() = default;

TClass_USB::~TClass_USB() {
  TDebug::Linha("TClass_USB.Destroy - Desconectar");
  if (FHandle && FHandle->isOpen()) FHandle->close();
}

void TClass_USB::Conectar(const QString& _Value) {
  TDebug::Linha("AbreSerial: " + _Value);
  if (FHandle && FHandle->isOpen()) FHandle->close();
  FConectado = false;
  FUltimaFalha = TTipoFalhaAbertura::Nenhuma;
  FHandle = std::make_unique<QSerialPort>();
  FHandle->setPortName(CaminhoDaPorta(_Value));
  if (!FHandle->open(QIODevice::ReadWrite)) {
    FUltimaFalha = Classifica(FHandle->error());
    if (FUltimaFalha == TTipoFalhaAbertura::SemPermissao)
      TDebug::Linha(QString::fromUtf8("AbreSerial: sem permissão para abrir ") + _Value +
                    QString::fromUtf8(" (o usuário precisa pertencer ao grupo dialout)"));
    else
      TDebug::Linha("AbreSerial: falha ao abrir " + _Value + ": " + FHandle->errorString());
    FHandle.reset();
    return;
  }
  TDebug::Linha("Abriu porta - Definir velocidade");
  bool ok = FHandle->setBaudRate(serial::kBaud);
  ok = FHandle->setDataBits(QSerialPort::Data8) && ok;
  ok = FHandle->setParity(QSerialPort::NoParity) && ok;
  ok = FHandle->setStopBits(QSerialPort::OneStop) && ok;
  FHandle->setReadBufferSize(serial::kFilaEntrada);
  if (!ok) {
    FUltimaFalha = TTipoFalhaAbertura::Configuracao;
    return;  // stays open but not connected
  }
  FHandle->clear(QSerialPort::AllDirections);
  TDebug::Linha("Velocidade definida");
  FPortaConectada = _Value;
  FConectado = true;
}

void TClass_USB::Desconectar() {
  if (FHandle) {
    if (FHandle->isOpen()) FHandle->close();
    FHandle.reset();
  }
  FConectado = false;
  Dispara(Event_Desconectado);
}

void TClass_USB::FechaPorFalha() {
  // The cable was pulled or the port vanished: the link is gone.
  TDebug::Linha("TClass_USB: porta perdida - " + (FHandle ? FHandle->errorString() : QString()));
  Desconectar();
}

void TClass_USB::EnviaFrame(const HexaString& _Frame) {
  if (!FHandle || !FHandle->isOpen()) throw EVexlin("EXCP_USB_W_0001");
  const QByteArray bytes = ToBytes(_Frame);
  const qint64 n = FHandle->write(bytes);
  if (n < 0) throw EVexlin("EXCP_USB_W_0001");
  QDeadlineTimer prazo(serial::kEscritaMsPorByte * bytes.size() + serial::kEscritaConstanteMs);
  while (FHandle->bytesToWrite() > 0 && !prazo.hasExpired()) {
    if (!FHandle->waitForBytesWritten(int(std::max<qint64>(1, prazo.remainingTime())))) break;
  }
  if (FHandle->error() == QSerialPort::ResourceError || FHandle->error() == QSerialPort::WriteError) {
    FHandle->clearError();
    throw EVexlin("EXCP_USB_W_0001");
  }
  if (n == bytes.size() && FHandle->bytesToWrite() == 0) Dispara(Event_BytesEnviados, _Frame);
}

bool TClass_USB::LerFrame(QString& _Erro) {
  _Erro.clear();
  if (!FHandle || !FHandle->isOpen()) return false;
  if (FHandle->bytesAvailable() == 0) FHandle->waitForReadyRead(serial::kEsperaLeituraMs);
  const auto erro = FHandle->error();
  if (erro == QSerialPort::ResourceError || erro == QSerialPort::ReadError) {
    // A failing read on a serial port means the device is gone (cable pulled, far
    // end closed): the port is closed and the caller sees "Não conectado".
    TDebug::Linha("EXCP_USB_R_0001");
    FechaPorFalha();
    return false;
  }
  if (erro != QSerialPort::NoError) FHandle->clearError();  // a read time-out is no failure
  const QByteArray chunk = FHandle->read(serial::kTamanhoLeitura);
  if (chunk.isEmpty()) return false;
  FHandle->flush();
  EntregaBytes(chunk);
  return true;
}

QStringList TClass_USB::GetPortList() {
  FPortList.clear();
  QStringList candidatos;
  for (const QSerialPortInfo& i : QSerialPortInfo::availablePorts()) candidatos << i.systemLocation();
  for (const QString& r : QDir("/dev").entryList({"rfcomm*"}, QDir::System)) candidatos << "/dev/" + r;
  candidatos.removeDuplicates();
  std::sort(candidatos.begin(), candidatos.end(), [](const QString& a, const QString& b) {
    // ttyUSB2 before ttyUSB10
    static const QRegularExpression num(QStringLiteral("^(.*?)([0-9]+)$"));
    const auto ma = num.match(a), mb = num.match(b);
    if (ma.hasMatch() && mb.hasMatch() && ma.captured(1) == mb.captured(1))
      return ma.captured(2).toInt() < mb.captured(2).toInt();
    return a < b;
  });
  for (const QString& c : candidatos) {
    const QString sys = "/sys/class/tty/" + QFileInfo(c).fileName() + "/device/";
    if (!PortaCompativel(c, LinkBase(sys + "driver"), LinkBase(sys + "subsystem"))) continue;
    if (FConectado && CaminhoDaPorta(FPortaConectada) == c) continue;  // in use by us
    if (AbrePorTeste(c)) FPortList << c;
  }
  return FPortList;
}

}  // namespace tovra
