#pragma once
// Device-event types: single-owner callbacks. An event that is not set is skipped.
#include <QByteArray>
#include <QString>
#include <functional>

#include "device/hexa.h"

namespace tovra {

using TNotifyEvent = std::function<void()>;
using TOnReturnHexaString = std::function<void(const HexaString&)>;
using TOnReturnBytes = std::function<void(const QByteArray&)>;
using TEvent_RetornaStr = std::function<void(const QString&)>;
using TEvent_ReturnString = std::function<void(const QString& _Value)>;
using TEvent_ReturnBool = std::function<void(bool)>;
using TEvent_ReturnFalha = std::function<void(quint8 _Comando, const HexaString& _Value)>;
using TEvent_MostraMsgUsuario =
    std::function<void(int _TextoID, int _Btn1ID, int _Btn2ID, const QString& _TextoExtra)>;
using TEvent_MostraStatusUsuario = std::function<void(int _TextoID)>;
using TEvent_MostraMsgTemporizada = std::function<void(int _TextoID, int _Tempo)>;
using TEvent_MostraEntradaDados = std::function<void(int _TextoID, int _Qtd)>;
using TEvent_Progress = std::function<void(int _Total, int _Value)>;
using TEvent_StatusTemporizado = std::function<void(const QString& _Status, quint16 _Time)>;
using TEvent_ProgressoDownloadArquivo = std::function<void(double _QtdBytesTotal, double _QtdBytesRecebidos)>;

// Raises an event when it is set.
template <typename F, typename... A>
inline void Dispara(const F& evento, A&&... args) {
  if (evento) evento(std::forward<A>(args)...);
}

// The exception type of the device link: the text is the fixed message.
class EVexlin : public std::runtime_error {
 public:
  explicit EVexlin(const QString& texto) : std::runtime_error(texto.toStdString()), FTexto(texto) {}
  const QString& Texto() const { return FTexto; }

 private:
  QString FTexto;
};

inline QString TextoDe(const std::exception& e) {
  if (auto* v = dynamic_cast<const EVexlin*>(&e)) return v->Texto();
  return QString::fromUtf8(e.what());
}

}  // namespace tovra
