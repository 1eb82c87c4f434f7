#include "online/restlib.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <cstdio>

#include "common/debug.h"
#include "online/http_transporte.h"
#include "online/servicos_config.h"

namespace tovra {

namespace {

const QList<QPair<QByteArray, QByteArray>>& CabecalhosJson() {
  static const QList<QPair<QByteArray, QByteArray>> c = {
      {"Content-Type", "application/json"},
      {"Accept", "application/json, text/plain; q=0.9, text/html;q=0.8,"},
      {"Accept-Charset", "utf-8, *;q=0.8"},
  };
  return c;
}

void Log(const QString& texto) {
  if (TDebug::Ativo()) TDebug::Linha(texto);
}

}  // namespace

// ---------------------------------------------------------------------------
// Reply mappings

QString MapeiaRespostaString(const QString& resposta) {
  static const char* const kSentinelas[] = {sentinela::kS, sentinela::kN, sentinela::kOk,
                                            sentinela::kTrue, sentinela::kFalse};
  for (const char* s : kSentinelas)
    if (resposta == QStringLiteral("{\"result\":[\"%1\"]}").arg(QLatin1String(s))) return QLatin1String(s);
  return resposta;
}

namespace {

bool ComecaCom(const std::string& s, const char* prefixo) { return s.rfind(prefixo, 0) == 0; }

// The sentinel a JSON text value stands for ("ERRO: ..." is an error), or nothing.
const char* SentinelaDoValor(const Json& v) {
  if (!v.is_string()) return nullptr;
  const std::string& t = v.get_ref<const std::string&>();
  if (ComecaCom(t, sentinela::kErro)) return sentinela::kErro;
  if (ComecaCom(t, sentinela::kVazio)) return sentinela::kVazio;
  return nullptr;
}

// The method servers' envelope {"result":[...]}: its values, or null.
const Json* ValoresDoEnvelope(const Json& j) {
  if (!j.is_object() || j.empty()) return nullptr;
  const Json& v = j.begin().value();
  return v.is_array() ? &v : nullptr;
}

}  // namespace

// Sentinels are looked for where a service puts them: in a reply that is not JSON
// (plain text "ERRO", an error page), in a JSON text value, in the text value an
// envelope holds. Records and lists are data: a company named "AUTO PEÇAS FERRO"
// or a tip about an "ERRO de leitura" is never taken for a failure.
QString MapeiaRespostaObjStr(const QString& resposta) {
  const QString s = MapeiaRespostaString(resposta);
  const Json j = Json::parse(s.toStdString(), nullptr, false);
  if (j.is_discarded()) {
    if (s.contains(sentinela::kErro)) return sentinela::kErro;
    if (s.contains(sentinela::kVazio)) return sentinela::kVazio;
    int nulo = s.toUpper().indexOf("NULL");
    if (nulo >= 0 && nulo <= 4) return sentinela::kVazio;
    if (s.startsWith("{\"result\":[")) throw std::runtime_error("Resposta ilegível: " + s.left(200).toStdString());
    return s;
  }
  if (j.is_null()) return sentinela::kVazio;
  if (const char* sent = SentinelaDoValor(j)) return sent;
  if (s.startsWith("{\"result\":[")) {
    const Json* valores = ValoresDoEnvelope(j);
    if (!valores) throw std::runtime_error("Resposta sem valor");
    // An envelope holding nothing: nothing is there.
    if (valores->empty()) return sentinela::kVazio;
    if (const char* sent = SentinelaDoValor((*valores)[0])) return sent;
    return QString::fromStdString((*valores)[0].dump());
  }
  return s;
}

QString MapeiaRespostaNETObjStr(const QString& resposta) {
  const QString s = MapeiaRespostaString(resposta);
  const Json j = Json::parse(s.toStdString(), nullptr, false);
  if (j.is_discarded()) {
    if (s.contains(sentinela::kErro)) return sentinela::kErro;
    if (s.contains(sentinela::kVazio)) return sentinela::kVazio;
    if (s.toUpper() == "NULL") return sentinela::kVazio;
    return s;
  }
  if (j.is_null()) return s.toUpper() == "NULL" ? QString(sentinela::kVazio) : s;
  if (const char* sent = SentinelaDoValor(j)) return sent;
  if (s.startsWith("{\"result\":[")) {
    const Json* valores = ValoresDoEnvelope(j);
    if (valores && !valores->empty())
      if (const char* sent = SentinelaDoValor((*valores)[0])) return sent;
  }
  return s;
}

QString CorpoNET(const Json& obj) {
  QString texto = QString::fromStdString(obj.dump());
  // Only a list in object JSON form is rewritten (not a record whose text merely
  // mentions the word).
  if (!obj.is_object() || !obj.contains("ownsObjects")) return texto;
  Json o = obj;
  o.erase("ownsObjects");
  o.erase("listHelper");
  if (o.empty()) return texto;
  // The first remaining pair, written as key, colon and value.
  auto it = o.begin();
  QString par = QString::fromStdString(Json(it.key()).dump() + ":" + it.value().dump());
  if (par.contains("\"items\":[")) par.replace("\"items\":[", "[");
  return par;
}

// ---------------------------------------------------------------------------
// TClass_RestLib

TClass_RestLib& TClass_RestLib::GetInstance() {
  static TClass_RestLib instancia;
  return instancia;
}

void TClass_RestLib::DefineTimeoutsGet(int conexaoMs, int leituraMs) {
  FTimeoutConexaoGet = conexaoMs;
  FTimeoutLeituraGet = leituraMs;
}

void TClass_RestLib::DefineTimeoutRequest(int ms) { FTimeoutRequest = ms; }

void TClass_RestLib::RestauraTimeouts() {
  FTimeoutConexaoGet = 10000;
  FTimeoutLeituraGet = 10000;
  FTimeoutRequest = 30000;
}

QString TClass_RestLib::HttpGetText(const QString& url, const QString& urlLog) {
  // A fresh client per call: nothing survives from one GET to the next.
  TPedidoHttp p;
  p.FUrl = url;
  p.FTimeoutConexaoMs = FTimeoutConexaoGet;
  p.FTimeoutLeituraMs = FTimeoutLeituraGet;
  TRespostaHttp r = ExecutaHttp(p);
  if (!r.Sucesso()) {
    Log("GET " + urlLog + " falhou: " + r.FErro);
    return sentinela::kErro;
  }
  return QString::fromUtf8(r.FCorpo);
}

QString TClass_RestLib::GetResponseAsString(const QString& _Servidor, const QString& _Resource,
                                            const QString& _ParamValue, bool _Sigiloso) {
  const QString url = _Servidor + _Resource + _ParamValue;
  const QString urlLog = _Sigiloso ? _Servidor + _Resource + "***" : url;
  return MapeiaRespostaString(HttpGetText(url, urlLog));
}

QString TClass_RestLib::GetResponseAsObjStr(const QString& _Servidor, const QString& _Resource,
                                            const QString& _ParamValue) {
  return MapeiaRespostaObjStr(GetResponseAsString(_Servidor, _Resource, _ParamValue));
}

QString TClass_RestLib::GetNETResponseAsObjStr(const QString& _Servidor, const QString& _Resource,
                                               const QString& _ParamValue) {
  return MapeiaRespostaNETObjStr(GetResponseAsString(_Servidor, _Resource, _ParamValue));
}

TClass_RestLib::TResposta TClass_RestLib::Envia(const QByteArray& metodo, const QString& servidor,
                                                const QString& resource, const QString& corpo) {
  // Each request is built from scratch (the reset before every POST or PUT): no
  // header, parameter or body of an earlier call is carried over.
  TPedidoHttp p;
  p.FMetodo = metodo;
  p.FUrl = servidor + resource;
  p.FCabecalhos = CabecalhosJson();
  p.FCorpo = corpo.toUtf8();
  p.FTimeoutConexaoMs = FTimeoutRequest;
  p.FTimeoutLeituraMs = FTimeoutRequest;
  TRespostaHttp r = ExecutaHttp(p);
  FUltimoStatus = r.FStatus;
  // Bodies are never logged: company and operator records carry the password.
  Log(QString::fromLatin1(metodo) + " " + p.FUrl + " status " + QString::number(r.FStatus) +
      (r.FTransporteOk ? QString() : " falhou: " + r.FErro));
  if (!r.FTransporteOk) throw ERestErro(QString(QString::fromLatin1(metodo) + " " + p.FUrl + ": " + r.FErro).toStdString());
  return {r.FStatus, QString::fromUtf8(r.FCorpo)};
}

namespace {
QString RespostaOk(const QString& corpo) {
  QString texto = corpo;
  try {
    texto = QString::fromStdString(Json::parse(corpo.toStdString()).dump());
  } catch (const std::exception&) {
    // Not JSON: the raw reply text goes to the caller.
  }
  return texto == "{\"result\":[\"OK\"]}" ? QString(sentinela::kOk) : texto;
}
}  // namespace

QString TClass_RestLib::POSTObject(const QString& _Servidor, const Json& _Obj, const QString& _Resource) {
  return RespostaOk(Envia("POST", _Servidor, _Resource, QString::fromStdString(_Obj.dump())).corpo);
}

QString TClass_RestLib::PUTObject(const QString& _Servidor, const Json& _Obj, const QString& _Resource) {
  return RespostaOk(Envia("PUT", _Servidor, _Resource, QString::fromStdString(_Obj.dump())).corpo);
}

QString TClass_RestLib::POSTNETObject(const QString& _Servidor, const Json& _Obj, const QString& _Resource) {
  TResposta r = Envia("POST", _Servidor, _Resource, CorpoNET(_Obj));
  if (r.status == 200 || r.status == 201 || r.status == 202 || r.status == 302) return r.corpo;
  return QString();
}

// ---------------------------------------------------------------------------
// TClassHttpLib

TClassHttpLib::TClassHttpLib() = default;

void TClassHttpLib::DefineTimeouts(int conexaoMs, int leituraMs) {
  FTimeoutConexao = conexaoMs;
  FTimeoutLeitura = leituraMs;
}

QString TClassHttpLib::NomeTemporario(const QString& nome) {
  int barra = nome.lastIndexOf('/');
  int ponto = nome.lastIndexOf('.');
  if (ponto <= barra) return nome + "_new";
  return nome.left(ponto) + "_new" + nome.mid(ponto);
}

int TClassHttpLib::PorcentagemBaixada() const {
  if (FTotalBytes <= 0) return 0;
  double p = std::nearbyint(static_cast<double>(FBytesBaixados) * 100.0 / static_cast<double>(FTotalBytes));
  if (p < 0) return 0;
  if (p > 100) return 100;
  return static_cast<int>(p);
}

long long TClassHttpLib::GetFileSize(const QString& _FTPFolder, const QString& _FileName) {
  TPedidoHttp p;
  p.FMetodo = "HEAD";
  p.FUrl = _FTPFolder + CodificaCaminho(_FileName);
  p.FTimeoutConexaoMs = FTimeoutConexao;
  p.FTimeoutLeituraMs = FTimeoutLeitura;
  TRespostaHttp r = ExecutaHttp(p);
  if (!r.Sucesso()) {
    Log("HEAD " + p.FUrl + " falhou: " + r.FErro);
    return 0;
  }
  return r.FTamanhoAnunciado > 0 ? r.FTamanhoAnunciado : 0;
}

bool TClassHttpLib::GetFile(const QString& _FTPFolder, const QString& _DestFolder,
                            const QString& _FileNameOrigem, const QString& _FileNameDestino) {
  try {
    const QString nomeDestino = _FileNameDestino.isEmpty() ? _FileNameOrigem : _FileNameDestino;
    const QString nomeNovo = NomeTemporario(nomeDestino);
    Log("FTPFolder: " + _FTPFolder);
    Log("DestFolder: " + _DestFolder);
    Log("FileNameOrigem: " + _FileNameOrigem);
    Log("FileNameDestino: " + nomeDestino);
    Log("NewFileName: " + nomeNovo);

    const QString destino = _DestFolder + nomeDestino;
    const QString novo = _DestFolder + nomeNovo;
    if (QDir(_DestFolder).exists()) {
      Log("Diretorio ja existia: " + _DestFolder);
    } else {
      Log("Diretorio não existia: " + _DestFolder);
      if (!QDir().mkpath(_DestFolder)) {
        Log("Não conseguiu criar diretorio: " + _DestFolder);
        return false;
      }
    }
    // A sub-path in the name ("adaptadores/OBD.png") needs its folder too.
    const QString pastaArquivo = QFileInfo(destino).absolutePath();
    if (!QDir().mkpath(pastaArquivo)) {
      Log("Não conseguiu criar diretorio: " + pastaArquivo);
      return false;
    }
    if (QFile::exists(novo)) {
      if (QFile::remove(novo)) Log("Arquivo já existia (apagando): " + novo);
      else Log("Arquivo já existia (não conseguiu apagar): " + novo);
    }

    Log("Obtendo tamanho do arquivo");
    const long long tamanho = GetFileSize(_FTPFolder, _FileNameOrigem);
    Log("tamanho do arquivo: " + QString::number(tamanho));

    Log("baixando arquivo");
    QFile arquivo(novo);
    if (!arquivo.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
      Log("Falha ao criar " + novo + ": " + arquivo.errorString());
      return false;
    }
    FTotalBytes = 0;
    FBytesBaixados = 0;
    TPedidoHttp p;
    p.FUrl = _FTPFolder + CodificaCaminho(_FileNameOrigem);
    p.FTimeoutConexaoMs = FTimeoutConexao;
    p.FTimeoutLeituraMs = FTimeoutLeitura;
    p.FAoReceber = [&arquivo](const char* d, size_t n) {
      return arquivo.write(d, static_cast<qint64>(n)) == static_cast<qint64>(n);
    };
    p.FAoIniciar = [this, tamanho](long long total) {
      FTotalBytes = total > 0 ? total : tamanho;
      FBytesBaixados = 0;
      if (FStartWork) FStartWork();
    };
    p.FAoProgredir = [this](long long recebidos) {
      FBytesBaixados = recebidos;
      if (FEventWork) FEventWork();
    };
    TRespostaHttp r = ExecutaHttp(p);
    arquivo.close();
    Log("arquivo baixado");
    if (!r.Sucesso()) {
      Log("GET " + p.FUrl + " falhou: " + r.FErro);
      return false;
    }

    QFileInfo info(novo);
    if (!info.exists() || tamanho <= 0 || info.size() != tamanho) {
      Log("tamanho do arquivo baixado (" + QString::number(info.exists() ? info.size() : -1) +
          ") difere do anunciado (" + QString::number(tamanho) + ")");
      return false;
    }
    Log("conseguiu baixar");
    if (QFile::exists(destino)) Log("Apagando arquivo antigo");
    // The new file takes the old one's name in one step: the old file is never
    // removed before the new one is in place.
    Log("copiando arquivo novo com nome do velho");
    if (std::rename(QFile::encodeName(novo).constData(), QFile::encodeName(destino).constData()) != 0) {
      Log("falha ao copiar");
      return false;
    }
    Log("copiado com sucesso");
    return true;
  } catch (const std::exception& e) {
    Log(QStringLiteral("GetFile: ") + QString::fromUtf8(e.what()));
    return false;
  }
}

// ---------------------------------------------------------------------------
// Process-wide download object and the internet check

namespace {
std::unique_ptr<TClassHttpLib> GHttpLib;
bool GInternetOk = false;
int GInternetConexaoMs = 10000;
int GInternetLeituraMs = 10000;
}  // namespace

TClassHttpLib* HttpLibGlobal() { return GHttpLib.get(); }
void DefineHttpLibGlobal(std::unique_ptr<TClassHttpLib> http) { GHttpLib = std::move(http); }

bool VerificaInternet(bool _SempreVerifica) {
  if (GInternetOk && !_SempreVerifica) return true;
  TPedidoHttp p;
  p.FUrl = TServicos::PaginaInternet();
  p.FCabecalhos = {{"Cache-Control", "no-cache"}};
  p.FTimeoutConexaoMs = GInternetConexaoMs;
  p.FTimeoutLeituraMs = GInternetLeituraMs;
  TRespostaHttp r = ExecutaHttp(p);
  // Any HTTP answer short of an error status proves the way out.
  bool ok = r.FTransporteOk && r.FStatus >= 200 && r.FStatus < 400;
  if (!ok) Log("Verificação de internet falhou: " + p.FUrl + " " + r.FErro);
  GInternetOk = ok;
  return ok;
}

void EsqueceVerificacaoInternet() { GInternetOk = false; }

void DefineTimeoutsVerificaInternet(int conexaoMs, int leituraMs) {
  GInternetConexaoMs = conexaoMs;
  GInternetLeituraMs = leituraMs;
}

}  // namespace tovra
