#pragma once
// Where the maker's services live. Every root ends in "/".
//
// The built-in defaults are overridden, in this order, by the settings file
// (TOVRA_SERVICOS when set, otherwise base folder + "servicos.json") and by the
// environment:
//
//   TOVRA_URL_BASE             one stand-in server for everything (its layout:
//                              portal/, core/, metodo/, sync/, cep/, internet,
//                              and the file server at the root)
//   TOVRA_URL_PORTAL           portal core root
//   TOVRA_URL_BREVANTA_CORE    Brevanta core root (bare JSON replies)
//   TOVRA_URL_BREVANTA_METODO  Brevanta method root (result envelope)
//   TOVRA_URL_BREVANTA_SYNC    Brevanta sync root
//   TOVRA_URL_ARQUIVOS         file-server root (holds "files/", "homolog/")
//   TOVRA_URL_PROGRAMA         program file root (default: file-server root + "files/exe/")
//   TOVRA_URL_CEP              postal-code service root (root + code + "/json/")
//   TOVRA_URL_INTERNET         the page the internet check asks for
//
// The settings file is the object JSON form of TClassServicosConfig; empty or
// missing members keep what stood before ("base" first expands like TOVRA_URL_BASE).
#include <QString>

#include "common/jsonobj.h"

namespace tovra {

struct TClassServicosConfig {
  QString FBase;
  QString FPortalCore;
  QString FBrevantaCore;
  QString FBrevantaMetodo;
  QString FBrevantaSync;
  QString FServidorArquivos;
  QString FArquivosPrograma;
  QString FCep;
  QString FPaginaInternet;
  TOVRA_JSON_CAMPOS(TClassServicosConfig, TOVRA_CAMPO(FBase), TOVRA_CAMPO(FPortalCore),
                    TOVRA_CAMPO(FBrevantaCore), TOVRA_CAMPO(FBrevantaMetodo),
                    TOVRA_CAMPO(FBrevantaSync), TOVRA_CAMPO(FServidorArquivos),
                    TOVRA_CAMPO(FArquivosPrograma), TOVRA_CAMPO(FCep),
                    TOVRA_CAMPO(FPaginaInternet))

  // Every root of the stand-in server's layout below one base address.
  static TClassServicosConfig DoServidorLocal(const QString& base);
  // The built-in defaults.
  static TClassServicosConfig Padrao();
  // Copies the non-empty members of o over this one ("base" expanded first).
  void Sobrepoe(const TClassServicosConfig& o);
};

class TServicos {
 public:
  // The configuration in force: computed on first use from defaults, file and
  // environment; Recarrega computes it again, Define replaces it (tests).
  static const TClassServicosConfig& Config();
  static void Recarrega();
  static void Define(const TClassServicosConfig& config);

  static QString PortalCore();
  static QString BrevantaCore();
  static QString BrevantaMetodo();
  static QString BrevantaSync();
  static QString ServidorArquivos();
  // The file-server release path: root + "files/" (test mode: "homolog/").
  static QString ReleaseServidor();
  static QString ArquivosPrograma();
  static QString Cep();
  static QString PaginaInternet();
};

}  // namespace tovra
