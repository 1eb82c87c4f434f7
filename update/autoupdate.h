#pragma once
// The program's self-update: the version check against the maker's descriptor
// "update_tovra.json", the hand-over record "info_autoupdate.json" and the start of
// the separate updater "AutoUpdate.exe" from the update folder.
#include <QString>
#include <functional>

#include "common/jsonobj.h"

namespace tovra {

// A version descriptor: the package file on the program file root and its version.
struct TClassJsonApp {
  QString FFileName;
  QString FVersao;
  TOVRA_JSON_CAMPOS(TClassJsonApp, TOVRA_CAMPO(FFileName), TOVRA_CAMPO(FVersao))
};

// What the updater is told; every text is escaped (":" "/" " " "." "\") before writing.
struct TClassExeAutoUpdate {
  QString FServerZip;
  QString FVersaoNova;
  QString FServerLogo;
  QString FNomeApp;
  QString FNomeExetutavel;
  QString FVersaoAtual;
  QString FPathServidor;
  TOVRA_JSON_CAMPOS(TClassExeAutoUpdate, TOVRA_CAMPO(FServerZip), TOVRA_CAMPO(FVersaoNova),
                    TOVRA_CAMPO(FServerLogo), TOVRA_CAMPO(FNomeApp), TOVRA_CAMPO(FNomeExetutavel),
                    TOVRA_CAMPO(FVersaoAtual), TOVRA_CAMPO(FPathServidor))
};

// Fetches server folder + server name into destination folder + local name; true on
// success. The program wires it to TClassHttpLib::GetFile.
using TBaixaArquivo = std::function<bool(const QString& pastaServidor, const QString& pastaDestino,
                                         const QString& nomeServidor, const QString& nomeLocal)>;

// The start screen's download of one file: a line of 41 "*" in the debug log, the
// local file deleted first, the status "BaixandoNomeArquivo" shown, then the
// download. Answers the failure text, empty on success.
QString BaixaUmArquivo(const TBaixaArquivo& baixa, const QString& pastaServidor, const QString& pastaDestino,
                       const QString& nomeLocal, const QString& nomeServidor);

// The running program's version, "major.minor.release.build".
QString VersaoPrograma();

// A file's version. Linux executables carry no version resource, so the version of
// a file is kept beside it in "<file>.versao" (written when an updater package is
// unpacked); a file without one reads "0.0.0.0", a missing file "0".
QString VersaoArquivo(const QString& arquivo);

enum class TResultadoVersao { rvAtualizado, rvNovaVersao, rvFalha };

struct TVerificacaoVersao {
  TResultadoVersao FResultado = TResultadoVersao::rvFalha;
  QString FErro;           // the failure text of the download (rvFalha)
  TClassJsonApp FDescritor;
};

// The check at start-up: fetches "update_tovra.json" from the program file root into
// the files folder and compares its version with versaoAtual.
TVerificacaoVersao VerificaVersao(const TBaixaArquivo& baixa, const QString& raizPrograma,
                                  const QString& pastaFiles, const QString& versaoAtual);

// Starts a program and answers whether it started (the program wires it to a
// detached process).
using TIniciaPrograma = std::function<bool(const QString& executavel)>;

struct TParametrosAutoUpdate {
  QString FRaizPrograma;    // the program file root
  QString FPastaFiles;      // holds "update_tovra.json"
  QString FPastaAutoUpdate; // the update folder
  QString FExecutavel;      // the running program's executable
  QString FVersaoAtual;
};

// The hand-over. True when the updater was started: the caller then ends the
// program. False leaves the program where it was (nothing more happens).
bool IniciaAutoUpdate(const TParametrosAutoUpdate& p, const TBaixaArquivo& baixa, const TIniciaPrograma& inicia);

}  // namespace tovra
