#pragma once
// The Bluetooth link as the link base sees it. The RFCOMM implementation comes
// with device discovery; until a build provides one, TClass_BluetoothAusente
// stands in: no adapter, no devices.
#include <QString>

#include "device/transporte.h"

namespace tovra {

class TClass_BluetoothLib : public ITransporteVexlin {
 public:
  virtual bool BTEnabled() const = 0;
  // Whether a paired or discovered device of that exact name is known.
  virtual bool ExisteDispositivo(const QString& _Name) = 0;
  virtual bool Pareado(const QString& _Name) = 0;
  // Pairs the device; raises Event_Pareado when pairing ends.
  virtual void Parear(const QString& _DeviceName) = 0;
  virtual bool DeviceIsOnline(const QString& _DeviceName) = 0;
  virtual QString DeviceName() const = 0;

  TNotifyEvent Event_Conectado;
  TNotifyEvent Event_Pareado;
  TNotifyEvent Event_ListaLida;
  TEvent_RetornaStr Event_DebugStatus;
};

class TClass_BluetoothAusente : public TClass_BluetoothLib {
 public:
  void Conectar(const QString&) override {}
  void Desconectar() override {}
  bool Conectado() const override { return false; }
  QString NomeDispositivo() const override { return {}; }
  void EnviaFrame(const HexaString&) override { throw EVexlin(QString::fromUtf8("Dispositivo não conectado")); }
  bool LerFrame(QString& _Erro) override {
    _Erro = "Dispositivo desconectado";
    return false;
  }
  bool BTEnabled() const override { return false; }
  bool ExisteDispositivo(const QString&) override { return false; }
  bool Pareado(const QString&) override { return false; }
  void Parear(const QString&) override {
    throw EVexlin(QString::fromUtf8("Dispositivo não encontrado na lista de devices."));
  }
  bool DeviceIsOnline(const QString&) override { return false; }
  QString DeviceName() const override { return {}; }
};

}  // namespace tovra
