#pragma once
// The shared REST client and the file download.
//
// Every call blocks the calling (user-interface) thread and never retries: a GET
// that fails in any way answers "ERRO"; the mapping functions turn the method
// servers' envelope {"result":[...]} into the plain sentinels "S", "N", "OK",
// "TRUE", "FALSE", "VAZIO", "ERRO" or into the JSON text of one record.
#include <QString>
#include <functional>
#include <memory>
#include <stdexcept>

#include "common/jsonobj.h"

namespace tovra {

// A POST or PUT that could not be carried out (no connection, time-out).
class ERestErro : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The sentinel texts of the services.
namespace sentinela {
inline constexpr const char* kErro = "ERRO";
inline constexpr const char* kVazio = "VAZIO";
inline constexpr const char* kOk = "OK";
inline constexpr const char* kS = "S";
inline constexpr const char* kN = "N";
inline constexpr const char* kTrue = "TRUE";
inline constexpr const char* kFalse = "FALSE";
}  // namespace sentinela

// The reply mappings on their own (the GET operations apply them to the reply text).
QString MapeiaRespostaString(const QString& resposta);
// Raises when an envelope's text cannot be parsed.
QString MapeiaRespostaObjStr(const QString& resposta);
QString MapeiaRespostaNETObjStr(const QString& resposta);
// The body POSTNETObject sends for an object: a list in object JSON form becomes
// the bare array of its items; anything else is sent as it is.
QString CorpoNET(const Json& obj);

class TClass_RestLib {
 public:
  static TClass_RestLib& GetInstance();

  // Plain GETs of _Servidor + _Resource + _ParamValue (joined as they are; the
  // callers percent-encode their path values). _Sigiloso keeps _ParamValue out of
  // the debug log (it holds a password).
  QString GetResponseAsString(const QString& _Servidor, const QString& _Resource,
                              const QString& _ParamValue, bool _Sigiloso = false);
  QString GetResponseAsObjStr(const QString& _Servidor, const QString& _Resource,
                              const QString& _ParamValue);
  QString GetNETResponseAsObjStr(const QString& _Servidor, const QString& _Resource,
                                 const QString& _ParamValue);

  // POST/PUT of the JSON text of _Obj to _Servidor + _Resource. "OK" when the reply
  // is exactly {"result":["OK"]}, otherwise the reply's JSON text (or its raw text
  // when it is not JSON). Raise ERestErro when no reply arrives.
  QString POSTObject(const QString& _Servidor, const Json& _Obj, const QString& _Resource);
  QString PUTObject(const QString& _Servidor, const Json& _Obj, const QString& _Resource);
  // POST of CorpoNET(_Obj); the reply body for status 200, 201, 202 or 302, else empty.
  // Raises ERestErro when no reply arrives.
  QString POSTNETObject(const QString& _Servidor, const Json& _Obj, const QString& _Resource);

  // Time-outs: the plain GETs (connect and read, 10000 ms each) and the POST/PUT
  // request (30000 ms).
  void DefineTimeoutsGet(int conexaoMs, int leituraMs);
  void DefineTimeoutRequest(int ms);
  int TimeoutConexaoGet() const { return FTimeoutConexaoGet; }
  int TimeoutLeituraGet() const { return FTimeoutLeituraGet; }
  int TimeoutRequest() const { return FTimeoutRequest; }
  // The defaults above again.
  void RestauraTimeouts();

  // Status and body of the last POST/PUT reply.
  long UltimoStatus() const { return FUltimoStatus; }

 private:
  TClass_RestLib() = default;
  QString HttpGetText(const QString& url, const QString& urlLog);
  struct TResposta {
    long status;
    QString corpo;
  };
  TResposta Envia(const QByteArray& metodo, const QString& servidor, const QString& resource,
                  const QString& corpo);

  int FTimeoutConexaoGet = 10000;
  int FTimeoutLeituraGet = 10000;
  int FTimeoutRequest = 30000;
  long FUltimoStatus = 0;
};

// The file download with its size check.
class TClassHttpLib {
 public:
  TClassHttpLib();

  // Downloads _FTPFolder + _FileNameOrigem into a temporary name beside the
  // destination (name + "_new" + extension) and replaces _DestFolder +
  // _FileNameDestino (empty: _FileNameOrigem, sub-path included) only when the
  // temporary file has exactly the size the server announced to a HEAD request.
  // Otherwise false, the old file untouched and the temporary file left in place.
  bool GetFile(const QString& _FTPFolder, const QString& _DestFolder, const QString& _FileNameOrigem,
               const QString& _FileNameDestino = QString());
  // The size announced to a HEAD request for _FTPFolder + _FileName; 0 on any failure.
  long long GetFileSize(const QString& _FTPFolder, const QString& _FileName);

  // 0 while no total is known, else downloaded * 100 / total, rounded half to even.
  int PorcentagemBaixada() const;
  long long TotalBytes() const { return FTotalBytes; }
  long long BytesBaixados() const { return FBytesBaixados; }

  // Progress events: WorkStart when a transfer begins (TotalBytes set), OnWork after
  // every piece (BytesBaixados set).
  void SetOnWork(std::function<void()> evento) { FEventWork = std::move(evento); }
  void SetWorkStart(std::function<void()> evento) { FStartWork = std::move(evento); }

  void DefineTimeouts(int conexaoMs, int leituraMs);

  // The temporary name of a destination name: "conf.json" -> "conf_new.json".
  static QString NomeTemporario(const QString& nome);

 private:
  int FTimeoutConexao = 10000;
  int FTimeoutLeitura = 10000;
  long long FTotalBytes = 0;
  long long FBytesBaixados = 0;
  std::function<void()> FEventWork;
  std::function<void()> FStartWork;
};

// The process-wide download object: created at start-up when the internet is
// reachable; its absence means offline to the update logic.
TClassHttpLib* HttpLibGlobal();
void DefineHttpLibGlobal(std::unique_ptr<TClassHttpLib> http);

// Whether the internet is reachable: a GET of the check page with Cache-Control
// "no-cache". Once it answered true it answers true without asking again, unless
// _SempreVerifica asks every time.
bool VerificaInternet(bool _SempreVerifica = false);
// Forgets a remembered true (tests, a new run).
void EsqueceVerificacaoInternet();
// Time-outs of the check (10000 ms each by default).
void DefineTimeoutsVerificaInternet(int conexaoMs, int leituraMs);

}  // namespace tovra
