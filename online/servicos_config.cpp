#include "online/servicos_config.h"

#include <QFile>
#include <optional>

#include "common/debug.h"
#include "common/pastas.h"

namespace tovra {

namespace {

QString ComBarra(QString s) {
  s = s.trimmed();
  if (!s.isEmpty() && !s.endsWith('/')) s += '/';
  return s;
}

std::optional<TClassServicosConfig> GConfig;

QString Env(const char* nome) { return QString::fromUtf8(qgetenv(nome)).trimmed(); }

TClassServicosConfig DoArquivo() {
  TClassServicosConfig c;
  QString arquivo = Env("TOVRA_SERVICOS");
  if (arquivo.isEmpty()) arquivo = Pastas::Base() + "servicos.json";
  if (!QFile::exists(arquivo)) return c;
  try {
    auto j = TJsonLib::LoadFileToJson(arquivo);
    if (j) DeJson(*j, c);
    else TDebug::Linha("Arquivo de serviços inválido: " + arquivo);
  } catch (const std::exception& e) {
    TDebug::Linha("Arquivo de serviços inválido: " + arquivo + " " + QString::fromUtf8(e.what()));
  }
  return c;
}

TClassServicosConfig DoAmbiente() {
  TClassServicosConfig c;
  c.FBase = Env("TOVRA_URL_BASE");
  c.FPortalCore = Env("TOVRA_URL_PORTAL");
  c.FBrevantaCore = Env("TOVRA_URL_BREVANTA_CORE");
  c.FBrevantaMetodo = Env("TOVRA_URL_BREVANTA_METODO");
  c.FBrevantaSync = Env("TOVRA_URL_BREVANTA_SYNC");
  c.FServidorArquivos = Env("TOVRA_URL_ARQUIVOS");
  c.FArquivosPrograma = Env("TOVRA_URL_PROGRAMA");
  c.FCep = Env("TOVRA_URL_CEP");
  c.FPaginaInternet = Env("TOVRA_URL_INTERNET");
  return c;
}

}  // namespace

TClassServicosConfig TClassServicosConfig::DoServidorLocal(const QString& base) {
  TClassServicosConfig c;
  QString b = ComBarra(base);
  c.FPortalCore = b + "portal/";
  c.FBrevantaCore = b + "core/";
  c.FBrevantaMetodo = b + "metodo/";
  c.FBrevantaSync = b + "sync/";
  c.FServidorArquivos = b;
  c.FArquivosPrograma = b + "files/exe/";
  c.FCep = b + "cep/";
  c.FPaginaInternet = b + "internet";
  return c;
}

TClassServicosConfig TClassServicosConfig::Padrao() {
  TClassServicosConfig c;
  c.FPortalCore = "https://portal.norvik.com.br/api/";
  c.FBrevantaCore = "https://brevanta.norvik.com.br/core/";
  c.FBrevantaMetodo = "https://brevanta.norvik.com.br/metodos/";
  c.FBrevantaSync = "https://sync.brevanta.norvik.com.br/metodos/";
  c.FServidorArquivos = "https://arquivos.norvik.com.br/tovra/";
  c.FArquivosPrograma = c.FServidorArquivos + "files/exe/";
  c.FCep = "https://viacep.com.br/ws/";
  c.FPaginaInternet = "https://www.google.com/";
  return c;
}

void TClassServicosConfig::Sobrepoe(const TClassServicosConfig& o) {
  const bool novoServidorArquivos = !o.FServidorArquivos.trimmed().isEmpty();
  if (!o.FBase.trimmed().isEmpty()) {
    TClassServicosConfig b = DoServidorLocal(o.FBase);
    b.FBase = ComBarra(o.FBase);
    *this = b;
  }
  auto copia = [](QString& destino, const QString& valor) {
    if (!valor.trimmed().isEmpty()) destino = ComBarra(valor);
  };
  copia(FPortalCore, o.FPortalCore);
  copia(FBrevantaCore, o.FBrevantaCore);
  copia(FBrevantaMetodo, o.FBrevantaMetodo);
  copia(FBrevantaSync, o.FBrevantaSync);
  copia(FServidorArquivos, o.FServidorArquivos);
  // The program file root follows a moved file server unless given itself.
  if (novoServidorArquivos && o.FArquivosPrograma.trimmed().isEmpty())
    FArquivosPrograma = FServidorArquivos + "files/exe/";
  copia(FArquivosPrograma, o.FArquivosPrograma);
  copia(FCep, o.FCep);
  if (!o.FPaginaInternet.trimmed().isEmpty()) FPaginaInternet = o.FPaginaInternet.trimmed();
}

const TClassServicosConfig& TServicos::Config() {
  if (!GConfig) Recarrega();
  return *GConfig;
}

void TServicos::Recarrega() {
  TClassServicosConfig c = TClassServicosConfig::Padrao();
  c.Sobrepoe(DoArquivo());
  c.Sobrepoe(DoAmbiente());
  GConfig = c;
}

void TServicos::Define(const TClassServicosConfig& config) { GConfig = config; }

QString TServicos::PortalCore() { return Config().FPortalCore; }
QString TServicos::BrevantaCore() { return Config().FBrevantaCore; }
QString TServicos::BrevantaMetodo() { return Config().FBrevantaMetodo; }
QString TServicos::BrevantaSync() { return Config().FBrevantaSync; }
QString TServicos::ServidorArquivos() { return Config().FServidorArquivos; }
QString TServicos::ReleaseServidor() { return Config().FServidorArquivos + Pastas::PastaServidor(); }
QString TServicos::ArquivosPrograma() { return Config().FArquivosPrograma; }
QString TServicos::Cep() { return Config().FCep; }
QString TServicos::PaginaInternet() { return Config().FPaginaInternet; }

}  // namespace tovra
