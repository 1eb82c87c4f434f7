#include "common/pastas.h"

#include <QDir>
#include <QStandardPaths>

namespace tovra {

namespace {
struct Estado {
  bool inicializado = false;
  bool modoTeste = false;
  QString documentos, base, logs, files, homologFlx;
};
Estado& E() {
  static Estado e;
  return e;
}
QString ComBarra(QString p) {
  if (!p.endsWith('/')) p += '/';
  return p;
}
}  // namespace

void Pastas::Inicializa() {
  Estado& e = E();
  QString docs = QString::fromUtf8(qgetenv("TOVRA_DOCUMENTS"));
  if (docs.isEmpty()) docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (docs.isEmpty()) docs = QDir::homePath();
  e.documentos = ComBarra(QDir(docs).absolutePath());
  e.base = e.documentos + nomes::kPastaBase + "/";
  e.logs = e.base + "logs/";
  e.modoTeste = QDir(e.base + "homolog").exists();
  e.files = e.modoTeste ? e.base + "homolog/" : e.base + "files/";
  e.homologFlx = e.modoTeste ? e.base + "homolog_flx/" : QString();
  e.inicializado = true;
}

void Pastas::Garante() {
  if (!E().inicializado) Inicializa();
}

void Pastas::CriaPastas() {
  Garante();
  QDir d;
  for (const QString& p : {Base(), Logs(), Files(), Adaptadores(), Localizacao(), Zips(), AutoUpdate()})
    d.mkpath(p);
  if (ModoTeste()) d.mkpath(HomologFlx());
}

QString Pastas::Documentos() { Garante(); return E().documentos; }
QString Pastas::Base() { Garante(); return E().base; }
QString Pastas::Logs() { Garante(); return E().logs; }
QString Pastas::Files() { Garante(); return E().files; }
QString Pastas::Adaptadores() { return Files() + "adaptadores/"; }
QString Pastas::Localizacao() { return Files() + "localizacao/"; }
QString Pastas::Zips() { return Files() + "zips/"; }
QString Pastas::AutoUpdate() { return Files() + "autoupdate/"; }
QString Pastas::HomologFlx() { Garante(); return E().homologFlx; }
bool Pastas::ModoTeste() { Garante(); return E().modoTeste; }
QString Pastas::PastaServidor() { return ModoTeste() ? "homolog/" : "files/"; }
QString Pastas::ConfLocais() { return Base() + nomes::kConfLocais; }

}  // namespace tovra
