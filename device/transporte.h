#pragma once
// The byte transport under the link base: a serial port, the Bluetooth link, or a
// stand-in (the simulator's in-process loopback). It knows bytes and HexaString,
// nothing of frames. Bytes are read only when somebody polls (LerFrame); a poll
// that got bytes delivers them at once through the received events.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include "device/eventos.h"

namespace tovra {

class ITransporteVexlin {
 public:
  virtual ~ITransporteVexlin() = default;

  virtual void Conectar(const QString& _Value) = 0;
  virtual void Desconectar() = 0;
  virtual bool Conectado() const = 0;
  virtual QString NomeDispositivo() const = 0;
  // Writes the frame's bytes; raises Event_BytesEnviados when all went out.
  // Failures throw EVexlin with the link's fixed text.
  virtual void EnviaFrame(const HexaString& _Frame) = 0;
  // One poll: answers true when bytes arrived (and were delivered); a failing
  // read sets _Erro and answers false.
  virtual bool LerFrame(QString& _Erro) = 0;
  // Ports this transport can offer (serial transports only).
  virtual QStringList GetPortList() { return {}; }

  TOnReturnHexaString Event_BytesEnviados;
  TOnReturnHexaString Event_BytesRecebidos;
  // The same chunk as raw bytes, for the device object's receive path.
  TOnReturnBytes Event_BytesRecebidosBytes;
  TNotifyEvent Event_Desconectado;

 protected:
  // Delivers one received chunk through both received events (the text only when wanted).
  void EntregaBytes(const QByteArray& chunk) {
    if (Event_BytesRecebidosBytes) Event_BytesRecebidosBytes(chunk);
    if (Event_BytesRecebidos) Event_BytesRecebidos(FromBytes(chunk));
  }
};

}  // namespace tovra
