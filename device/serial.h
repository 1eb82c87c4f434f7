#pragma once
// The serial link on QSerialPort: 57600 baud, 8N1, exclusive, reads of up to
// 16384 bytes that return after about 1 ms with whatever arrived.
//
// Port names are device paths (/dev/ttyUSB0, /dev/ttyACM0, /dev/rfcomm0); a bare
// name such as ttyUSB0 is opened under /dev/.
#include <QSerialPort>
#include <QStringList>
#include <memory>

#include "device/transporte.h"

namespace tovra {

namespace serial {
inline constexpr qint32 kBaud = 57600;
inline constexpr qint64 kTamanhoLeitura = 16384;
inline constexpr qint64 kFilaEntrada = 65536;
inline constexpr int kEsperaLeituraMs = 1;
// Write time-out: 1 ms per byte plus a constant. The constant is larger than the
// driver's 1 ms because the write is queued through the port object first.
inline constexpr int kEscritaMsPorByte = 1;
inline constexpr int kEscritaConstanteMs = 100;
}  // namespace serial

// Why the last open failed.
enum class TTipoFalhaAbertura { Nenhuma, NaoExiste, SemPermissao, EmUso, Configuracao, Outra };

// The device path opened for a port name.
QString CaminhoDaPorta(const QString& _Value);
// Whether a device path names a port of a USB serial adapter, a CDC-ACM device or
// a Bluetooth RFCOMM binding. driver and subsystem come from sysfs (may be empty).
bool PortaCompativel(const QString& caminho, const QString& driver, const QString& subsystem);

class TClass_USB : public ITransporteVexlin {
 public:
  TClass_USB();
  ~TClass_USB() override;

  void Conectar(const QString& _Value) override;
  void Desconectar() override;
  bool Conectado() const override { return FConectado; }
  QString NomeDispositivo() const override { return FPortaConectada; }
  void EnviaFrame(const HexaString& _Frame) override;
  bool LerFrame(QString& _Erro) override;
  QStringList GetPortList() override;

  QString PortaConectada() const { return FPortaConectada; }
  TTipoFalhaAbertura UltimaFalhaAbertura() const { return FUltimaFalha; }

 private:
  void FechaPorFalha();
  std::unique_ptr<QSerialPort> FHandle;
  QStringList FPortList;
  bool FConectado = false;
  QString FPortaConectada;
  TTipoFalhaAbertura FUltimaFalha = TTipoFalhaAbertura::Nenhuma;
};

}  // namespace tovra
