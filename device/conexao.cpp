#include "device/conexao.h"

#include "common/debug.h"
#include "device/serial.h"

namespace tovra {

TClass_Conexao::TClass_Conexao(std::unique_ptr<ITransporteVexlin> _Serial,
                               std::unique_ptr<TClass_BluetoothLib> _Bluetooth)
    : FUsb(_Serial ? std::move(_Serial) : std::make_unique<TClass_USB>()),
      FBlue(_Bluetooth ? std::move(_Bluetooth) : std::make_unique<TClass_BluetoothLib>()) {
  LigaBluetooth();
  Liga(*FUsb);
}

void TClass_Conexao::LigaBluetooth() {
  Liga(*FBlue);
  FBlue->Event_Pareado = [this] { FBlue->Conectar(FBlue->DeviceName()); };
  FBlue->Event_Conectado = [this] { Dispara(Event_Conectado); };
  FBlue->Event_DebugStatus = [this](const QString& s) { Dispara(Event_DebugStatus, s); };
  FBlue->Event_ListaLida = [this] { AoFimDescoberta(); };
}

void TClass_Conexao::TrocaBluetooth(std::unique_ptr<TClass_BluetoothLib> _Bluetooth) {
  if (!_Bluetooth) return;
  FBlue = std::move(_Bluetooth);
  LigaBluetooth();
}

TClass_Conexao::~TClass_Conexao() {
  TDebug::Linha("TClass_Conexao.Destroy");
  FBlue.reset();
  FUsb.reset();
}

void TClass_Conexao::Liga(ITransporteVexlin& t) {
  t.Event_BytesEnviados = [this](const HexaString& f) { Dispara(Event_BytesEnviados, f); };
  // The text form is built only when somebody listens.
  t.Event_BytesRecebidosBytes = [this](const QByteArray& b) {
    Dispara(Event_BytesRecebidosBytes, b);
    if (Event_BytesRecebidos) Event_BytesRecebidos(FromBytes(b));
  };
  t.Event_BytesRecebidos = nullptr;
  t.Event_Desconectado = [this] { Dispara(Event_Desconectado); };
}

ITransporteVexlin& TClass_Conexao::Atual() const {
  if (FTipoConexao == TTypeConexao::tcUSB) return *FUsb;
  return *FBlue;
}

void TClass_Conexao::Conectar(const QString& _Value, TTypeConexao _Tipo) {
  FTipoConexao = _Tipo;
  if (_Tipo == TTypeConexao::tcUSB) {
    FUsb->Conectar(_Value);
    return;
  }
  TDebug::Linha("Localizando disp: " + _Value);
  if (!FBlue->ExisteDispositivo(_Value))
    throw EVexlin(QString::fromUtf8("Dispositivo não encontrado: ") + _Value);
  TDebug::Linha("Disp localizado: " + _Value);
  if (FBlue->Pareado(_Value)) {
    TDebug::Linha("Disp pareado: " + _Value);
    FBlue->Conectar(_Value);
  } else {
    TDebug::Linha(QString::fromUtf8("Disp não pareado: ") + _Value);
    FBlue->Parear(_Value);
  }
}

void TClass_Conexao::Desconectar() {
  TDebug::Linha("TClass_Conexao.Desconectar");
  Atual().Desconectar();
}

void TClass_Conexao::EnviaFrame(const HexaString& _Frame) {
  if (!Conectado()) throw EVexlin(QString::fromUtf8("Não conectado"));
  Atual().EnviaFrame(_Frame);
}

void TClass_Conexao::LerFrame(QString& _Erro) {
  _Erro.clear();
  if (!Conectado()) {
    _Erro = QString::fromUtf8("Não conectado");
    return;
  }
  QString erro;
  Atual().LerFrame(erro);
  // A link that dropped during the poll (cable pulled, far end closed) ends waits.
  if (erro.isEmpty() && !Conectado()) erro = QString::fromUtf8("Não conectado");
  _Erro = erro;
}

bool TClass_Conexao::Conectado() const { return Atual().Conectado(); }

QString TClass_Conexao::NomeDispositivo() const {
  if (FTipoConexao == TTypeConexao::tcUSB) return FUsb->NomeDispositivo();
  return FBlue->DeviceName();
}

QString TClass_Conexao::MacAddress() const {
  if (FTipoConexao == TTypeConexao::tcUSB) return {};
  return FBlue->DeviceName();
}

bool TClass_Conexao::DeviceIsOnline(const QString& _DeviceName) {
  FTipoConexao = TTypeConexao::tcBluetooth;
  return FBlue->DeviceIsOnline(_DeviceName);
}

}  // namespace tovra
