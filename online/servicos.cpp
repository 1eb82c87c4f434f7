#include "online/servicos.h"

#include "common/debug.h"
#include "online/http_transporte.h"
#include "online/restlib.h"
#include "online/servicos_config.h"

namespace tovra {

namespace {

TClass_RestLib& Rest() { return TClass_RestLib::GetInstance(); }
QString Seg(const QString& s) { return CodificaSegmento(s); }
QString Num(long long n) { return QString::number(n); }

void Log(const QString& texto) {
  if (TDebug::Ativo()) TDebug::Linha(texto);
}

// A reply read as a boolean: true/false in any case, or an integer (0 is false).
bool LeBooleano(const QString& texto, bool& ok) {
  QString t = texto.trimmed();
  ok = true;
  if (t.compare("true", Qt::CaseInsensitive) == 0) return true;
  if (t.compare("false", Qt::CaseInsensitive) == 0) return false;
  bool num = false;
  long long n = t.toLongLong(&num);
  if (num) return n != 0;
  ok = false;
  return false;
}

bool BooleanoCore(const QString& resource, const QString& param) {
  try {
    QString r = Rest().GetNETResponseAsObjStr(TServicos::BrevantaCore(), resource, param);
    if (r == sentinela::kErro) return false;
    bool ok = false;
    bool v = LeBooleano(r, ok);
    return ok && v;
  } catch (const std::exception& e) {
    Log(resource + ": " + QString::fromUtf8(e.what()));
    return false;
  }
}

int InteiroCore(const QString& resource, const QString& param) {
  try {
    QString r = Rest().GetNETResponseAsObjStr(TServicos::BrevantaCore(), resource, param);
    bool ok = false;
    int n = r.trimmed().toInt(&ok);
    return ok ? n : 0;
  } catch (const std::exception& e) {
    Log(resource + ": " + QString::fromUtf8(e.what()));
    return 0;
  }
}

// A GET of the method (or sync) root whose mapped reply must equal `esperado`.
bool SentinelaMetodo(const QString& raiz, const QString& resource, const QString& param, const char* esperado,
                     bool sigiloso = false) {
  try {
    return Rest().GetResponseAsString(raiz, resource, param, sigiloso) == QLatin1String(esperado);
  } catch (const std::exception& e) {
    Log(resource + ": " + QString::fromUtf8(e.what()));
    return false;
  }
}

// A core reply holding a JSON array read element by element; an element that
// cannot be read is skipped.
template <class T>
std::unique_ptr<TObjectList<T>> LeListaCore(const QString& resposta) {
  Json j = Json::parse(resposta.toStdString());
  if (!j.is_array()) return nullptr;
  auto lista = std::make_unique<TObjectList<T>>();
  for (const Json& e : j) {
    try {
      auto item = std::make_unique<T>(LeRegistro<T>(QString::fromStdString(e.dump())));
      lista->Add(std::move(item));
    } catch (const std::exception& ex) {
      Log("Elemento ignorado: " + QString::fromUtf8(ex.what()));
    }
  }
  return lista;
}

template <class T>
std::unique_ptr<T> RegistroMetodo(const QString& resource, const QString& param, bool vazioDaVazio) {
  QString r = Rest().GetResponseAsObjStr(TServicos::BrevantaMetodo(), resource, param);
  if (r == sentinela::kErro) return nullptr;
  if (r == sentinela::kVazio) return vazioDaVazio ? std::make_unique<T>() : nullptr;
  return std::make_unique<T>(LeRegistro<T>(r));
}

template <class F>
QString EnvioMetodo(const QString& resource, F envia) {
  try {
    return envia();
  } catch (const std::exception& e) {
    Log(resource + ": " + QString::fromUtf8(e.what()));
    return QString();
  }
}

const char* kServidorOnlineInvertido = "{\"result\":[\"enilnOrodivreS\"]}";

}  // namespace

// ---------------------------------------------------------------------------
// Portal core root

bool TServicosPortal::LogHabilitado(long long nrSerie) {
  try {
    return Rest().GetResponseAsString(TServicos::PortalCore(), "v1/GER_COMPACTFLASH/",
                                      Num(nrSerie) + "/LogHabilitado") == "true";
  } catch (const std::exception&) {
    return false;
  }
}

QString TServicosPortal::VersaoHost() {
  try {
    QString r = Rest().GetResponseAsString(TServicos::PortalCore(), "v1/JsonConverter/", "localDbDate");
    return r == sentinela::kErro ? QString() : r;
  } catch (const std::exception&) {
    return QString();
  }
}

// ---------------------------------------------------------------------------
// Brevanta core root

bool TServicosBrevantaCore::GravaLogAcesso(int empresaId, long long nrSerie, long long sistemaId) {
  try {
    QString r = Rest().GetNETResponseAsObjStr(TServicos::BrevantaCore(), "v1/LogAcesso/Save/",
                                              Num(empresaId) + "/" + Num(nrSerie) + "/" + Num(sistemaId));
    return r.isEmpty();
  } catch (const std::exception&) {
    return false;
  }
}

bool TServicosBrevantaCore::AceitarTermo(int empresaId, const QString& termo) {
  return BooleanoCore("v1/TermosUso/", Num(empresaId) + "/" + Seg(termo) + "/Aceitar");
}

bool TServicosBrevantaCore::RecusarTermo(int empresaId, const QString& termo) {
  return BooleanoCore("v1/TermosUso/", Num(empresaId) + "/" + Seg(termo) + "/Recusar");
}

bool TServicosBrevantaCore::ExisteRegistroTermo(int empresaId, const QString& termo, bool& _Falhou) {
  _Falhou = true;
  try {
    QString r = Rest().GetNETResponseAsObjStr(TServicos::BrevantaCore(), "v1/TermosUso/",
                                              Num(empresaId) + "/" + Seg(termo) + "/ExisteRegistroTermo");
    if (r == sentinela::kErro) return false;
    bool ok = false;
    bool v = LeBooleano(r, ok);
    _Falhou = !ok;
    return ok && v;
  } catch (const std::exception&) {
    return false;
  }
}

bool TServicosBrevantaCore::TermoAceito(int empresaId, const QString& termo) {
  return BooleanoCore("v1/TermosUso/", Num(empresaId) + "/" + Seg(termo) + "/TermoAceito");
}

int TServicosBrevantaCore::AddLike(int empresaId, int falhaId, int solucaoId) {
  return InteiroCore("v1/Solucoes/", Num(empresaId) + "/" + Num(falhaId) + "/" + Num(solucaoId) + "/AddLike");
}

int TServicosBrevantaCore::RemoveLike(int empresaId, int falhaId, int solucaoId) {
  return InteiroCore("v1/Solucoes/", Num(empresaId) + "/" + Num(falhaId) + "/" + Num(solucaoId) + "/RemoveLike");
}

std::unique_ptr<TListaFalhasComQtdSolucoes> TServicosBrevantaCore::QtdSolucoes(int empresaId,
                                                                                const TListaFalhasObj& falhas) {
  try {
    QString r = Rest().POSTNETObject(TServicos::BrevantaCore(), ListaParaJson(falhas),
                                     "v1/Falhas/" + Num(empresaId) + "/QtdSolucoes");
    if (r.trimmed().isEmpty() || MapeiaRespostaNETObjStr(r) == sentinela::kErro) return nullptr;
    return LeListaCore<TClassFalhasComQtdSolucoesViewModel>(r);
  } catch (const std::exception& e) {
    Log("QtdSolucoes: " + QString::fromUtf8(e.what()));
    return nullptr;
  }
}

std::unique_ptr<TListaSolucoesComEmpresa> TServicosBrevantaCore::ListaSolucoes(int empresaId, int falhaId) {
  try {
    QString r = Rest().GetNETResponseAsObjStr(TServicos::BrevantaCore(), "v1/Solucoes/",
                                              Num(empresaId) + "/" + Num(falhaId));
    if (r.trimmed().isEmpty() || r == sentinela::kErro || r == sentinela::kVazio) return nullptr;
    return LeListaCore<TClassSolucaoComEmpresaViewModel>(r);
  } catch (const std::exception& e) {
    Log("ListaSolucoes: " + QString::fromUtf8(e.what()));
    return nullptr;
  }
}

std::unique_ptr<TClassSolucaoObj> TServicosBrevantaCore::PostNovaSolucao(
    const TClassEditorSolucaoParaFalhaViewModel& editor, int falhaId) {
  QString r;
  try {
    r = Rest().POSTNETObject(TServicos::BrevantaCore(), ParaJson(editor), "v1/Solucoes/" + Num(falhaId));
    if (r.trimmed().isEmpty()) return nullptr;
    return std::make_unique<TClassSolucaoObj>(LeRegistro<TClassSolucaoObj>(r));
  } catch (const std::exception& e) {
    Log("PostNovaSolucao: resposta " + r + " erro " + QString::fromUtf8(e.what()));
    return nullptr;
  }
}

// ---------------------------------------------------------------------------
// Brevanta method root

bool TServicosBrevanta::ServidorOnline() {
  try {
    return Rest().GetResponseAsString(TServicos::BrevantaMetodo(), "ReverseString/", "ServidorOnline") ==
           QLatin1String(kServidorOnlineInvertido);
  } catch (const std::exception&) {
    return false;
  }
}

bool TServicosBrevanta::ClienteCadastrado(const QString& email) {
  return SentinelaMetodo(TServicos::BrevantaMetodo(), "ClienteCadastrado/", Seg(email.toLower()), sentinela::kS);
}

bool TServicosBrevanta::CadastrarCliente(const QString& email) {
  return SentinelaMetodo(TServicos::BrevantaMetodo(), "CadastrarCliente/", Seg(email.toLower()), sentinela::kS);
}

bool TServicosBrevanta::LoginCliente(const QString& email, const QString& senhaBase64) {
  return SentinelaMetodo(TServicos::BrevantaMetodo(), "LoginCliente/",
                         Seg(email.toLower()) + "/" + Seg(senhaBase64), sentinela::kS, true);
}

bool TServicosBrevanta::LoginAtivo(const QString& email) {
  return SentinelaMetodo(TServicos::BrevantaMetodo(), "LoginAtivo/", Seg(email.toLower()), sentinela::kS);
}

bool TServicosBrevanta::AtivarLogin(const QString& email) {
  return SentinelaMetodo(TServicos::BrevantaMetodo(), "AtivarLogin/", Seg(email.toLower()), sentinela::kS);
}

bool TServicosBrevanta::GetPassUsuario(const QString& email) {
  return SentinelaMetodo(TServicos::BrevantaMetodo(), "getPassUsuario/", Seg(email.trimmed()), sentinela::kOk);
}

std::unique_ptr<TClassBrevantaEmpresa> TServicosBrevanta::GetEmpresa(const QString& email) {
  return RegistroMetodo<TClassBrevantaEmpresa>("Empresa/", Seg(email), false);
}

QString TServicosBrevanta::PostEmpresa(const TClassBrevantaEmpresa& empresa) {
  return EnvioMetodo("Empresa", [&] {
    return Rest().POSTObject(TServicos::BrevantaMetodo(), ParaJson(empresa), "Empresa");
  });
}

std::unique_ptr<TClassBrevantaUsuario> TServicosBrevanta::GetUsuario(const QString& email) {
  return RegistroMetodo<TClassBrevantaUsuario>("Usuario/", Seg(email), false);
}

QString TServicosBrevanta::PostUsuario(const TClassBrevantaUsuario& usuario) {
  return EnvioMetodo("/Usuario", [&] {
    return Rest().POSTObject(TServicos::BrevantaMetodo(), ParaJson(usuario), "/Usuario");
  });
}

std::unique_ptr<TListaBrevantaScanners> TServicosBrevanta::GetScanners(int empresaId) {
  return RegistroMetodo<TListaBrevantaScanners>("Scanner/", Num(empresaId), true);
}

QString TServicosBrevanta::PutScanner(const TClassBrevantaScanner& scanner) {
  return EnvioMetodo("/Scanner", [&] {
    return Rest().PUTObject(TServicos::BrevantaMetodo(), ParaJson(scanner), "/Scanner");
  });
}

QString TServicosBrevanta::GetEmailPorNrSerie(long long nrSerie) {
  QString r = Rest().GetResponseAsString(TServicos::BrevantaMetodo(), "GETEmailPorNrSerie/", Num(nrSerie));
  if (r == "{\"result\":[\"\"]}") return QString();
  if (!r.contains('@')) throw std::runtime_error("Falha");
  int inicio = r.indexOf(":[\"");
  if (inicio < 0) throw std::runtime_error("Falha");
  inicio += 3;
  int fim = r.indexOf('"', inicio);
  return fim < 0 ? r.mid(inicio) : r.mid(inicio, fim - inicio);
}

std::unique_ptr<TClassBrevantaRelatorio> TServicosBrevanta::GetRelatorio(const QString& id) {
  return RegistroMetodo<TClassBrevantaRelatorio>("Relatorio/", Seg(id), true);
}

std::unique_ptr<TClassBrevantaListaRelatorios> TServicosBrevanta::GetListaRelatoriosPorData(int empresaId,
                                                                                           const QDate& primeiro,
                                                                                           const QDate& ultimo) {
  return RegistroMetodo<TClassBrevantaListaRelatorios>(
      "GetListaRelatoriosPorData/",
      Num(empresaId) + "/" + primeiro.toString("yyyy-MM-dd") + "/" + ultimo.toString("yyyy-MM-dd"), true);
}

std::unique_ptr<TClassBrevantaListaRelatorios> TServicosBrevanta::GetListaRelatorios(int empresaId,
                                                                                    const QString& texto,
                                                                                    const QString& campo) {
  return RegistroMetodo<TClassBrevantaListaRelatorios>(
      "GetListaRelatorios/", Num(empresaId) + "/" + Seg(texto) + "/" + Seg(campo), true);
}

std::unique_ptr<TClassBrevantaListaRelatorios> TServicosBrevanta::GetUltimosRelatorios(int empresaId) {
  return RegistroMetodo<TClassBrevantaListaRelatorios>("GetUltimosRelatorios/", Num(empresaId), true);
}

QString TServicosBrevanta::PutRelatorio(const TClassBrevantaRelatorio& relatorio) {
  return EnvioMetodo("/Relatorio", [&] {
    return Rest().PUTObject(TServicos::BrevantaMetodo(), ParaJson(relatorio), "/Relatorio");
  });
}

QString TServicosBrevanta::PutRelatorioPorEmail(const TClassBrevantaRelatorio& relatorio) {
  return EnvioMetodo("/RelatorioPorEmail", [&] {
    return Rest().PUTObject(TServicos::BrevantaMetodo(), ParaJson(relatorio), "/RelatorioPorEmail");
  });
}

QString TServicosBrevanta::RelatorioPorEmail(const QString& id, const QString& email) {
  try {
    return Rest().GetResponseAsString(TServicos::BrevantaMetodo(), "RelatorioPorEmail/",
                                      Seg(id) + "/" + Seg(email.toLower()));
  } catch (const std::exception&) {
    return QString();
  }
}

// ---------------------------------------------------------------------------
// Brevanta sync root

bool TServicosSincronismo::ServidorSincronismoOnline() {
  try {
    return Rest().GetResponseAsString(TServicos::BrevantaSync(), "ReverseString/", "ServidorOnline") ==
           QLatin1String(kServidorOnlineInvertido);
  } catch (const std::exception&) {
    return false;
  }
}

bool TServicosSincronismo::SincronizaNrSerie(long long nrSerie, int empresaId) {
  return SentinelaMetodo(TServicos::BrevantaSync(), "SincronizaNrSerie/", Num(nrSerie) + "/" + Num(empresaId),
                         sentinela::kOk);
}

bool TServicosSincronismo::SincronizaTelefones(int empresaId) {
  return SentinelaMetodo(TServicos::BrevantaSync(), "SincronizaTelefones/", Num(empresaId), sentinela::kOk);
}

// ---------------------------------------------------------------------------
// Postal-code lookup

namespace {
int GCepConexaoMs = 3000;
int GCepLeituraMs = 3000;
}  // namespace

void TClassWSCEP::DefineTimeouts(int conexaoMs, int leituraMs) {
  GCepConexaoMs = conexaoMs;
  GCepLeituraMs = leituraMs;
}

bool TClassWSCEP::Consulta(const QString& cep, QString& _Erro) {
  _Erro.clear();
  QString codigo = cep.trimmed();
  if (codigo.isEmpty()) {
    _Erro = "CEP em branco. Verifique!";
    return false;
  }
  codigo.remove('-');
  if (codigo.size() != 8) {
    _Erro = "CEP inválido, não possui 8 dígitos.";
    return false;
  }
  try {
    TPedidoHttp p;
    p.FUrl = TServicos::Cep() + Seg(codigo) + "/json/";
    p.FTimeoutConexaoMs = GCepConexaoMs;
    p.FTimeoutLeituraMs = GCepLeituraMs;
    TRespostaHttp r = ExecutaHttp(p);
    if (!r.Sucesso()) throw std::runtime_error(r.FErro.toStdString());
    QString texto = QString::fromUtf8(r.FCorpo);
    if (texto.contains("\"erro\"")) {
      _Erro = "CEP não encontrado.";
      return false;
    }
    Json j = Json::parse(r.FCorpo.toStdString());
    ExigeObjeto(j);
    auto le = [&j](const char* chave) {
      auto it = j.find(chave);
      return it != j.end() && it->is_string() ? QString::fromStdString(it->get<std::string>()) : QString();
    };
    FCEP = codigo;
    FLogradouro = le("logradouro");
    FBairro = le("bairro");
    FCidade = le("localidade");
    FEstado = le("uf");
    return true;
  } catch (const std::exception& e) {
    _Erro = "Falha ao consultar CEP.\n" + QString::fromUtf8(e.what());
    return false;
  }
}

}  // namespace tovra
