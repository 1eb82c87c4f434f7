#include "common/debug.h"

#include <QDir>
#include <QFileInfo>
#include <stdexcept>

#include "common/pastas.h"

namespace tovra {

QString DebugHora(const QDateTime& t) { return t.toString("HH:mm:ss.zzz"); }
QString DebugNomeArquivo(const QDateTime& t) { return t.toString("yyMMdd_HHmmsszzz"); }

namespace {
QString Carimbo(const QDateTime& t) { return DebugHora(t) + ": "; }

void Move(const QString& de, const QString& para) {
  if (QFile::exists(para)) QFile::remove(para);
  if (!QFile::rename(de, para))
    throw std::runtime_error(("Falha ao renomear o log " + de + " para " + para).toStdString());
}
}  // namespace

TClassSystemDebug::TClassSystemDebug(const QString& pastaLogs) : FFilePath(pastaLogs) { Abre(); }

TClassSystemDebug::~TClassSystemDebug() {
  if (FArquivo) FArquivo->close();
}

void TClassSystemDebug::Abre() {
  QDir().mkpath(FFilePath);
  FFileName = DebugNomeArquivo(QDateTime::currentDateTime()) + ".ndbg";
  FArquivo = std::make_unique<QFile>(FFilePath + FFileName);
  if (!FArquivo->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    QString erro = FArquivo->errorString();
    FArquivo.reset();
    throw std::runtime_error(("Falha ao abrir o log " + FFilePath + FFileName + ": " + erro).toStdString());
  }
}

void TClassSystemDebug::AddText(const QString& texto) {
  if (!FArquivo) return;
  FArquivo->write((Carimbo(QDateTime::currentDateTime()) + texto + "\n").toUtf8());
  FArquivo->flush();
}

void TClassSystemDebug::AddInfo(const QString& texto) { FInfo.append(texto); }
void TClassSystemDebug::LimpaInfo() { FInfo.clear(); }

void TClassSystemDebug::SaveDebug(const QString& label) {
  if (FArquivo) {
    if (!FInfo.isEmpty()) {
      AddText(kInfoCabecalho);
      for (const QString& i : FInfo) AddText("*** " + i);
    }
    FArquivo->close();
    FArquivo.reset();
    const QString atual = FFilePath + FFileName;
    if (QFile::exists(atual))
      Move(atual, FFilePath + DebugNomeArquivo(QDateTime::currentDateTime()) + "_" + label + ".ndbg");
  }
  Abre();
}

namespace {
struct EstadoDebug {
  bool ativo = false;
  std::optional<QStringList> linhas;  // created at the first line written
  std::optional<QStringList> info;    // created at the first information call
  std::unique_ptr<TClassSystemDebug> writer;
};
EstadoDebug& D() {
  static EstadoDebug d;
  return d;
}
}  // namespace

void TDebug::DefineAtivo(bool ativo) { D().ativo = ativo; }
bool TDebug::Ativo() { return D().ativo; }

void TDebug::Linha(const QString& texto) {
  EstadoDebug& d = D();
  if (!d.ativo) return;
  if (!d.linhas) {
    d.linhas.emplace();
    d.writer = std::make_unique<TClassSystemDebug>(Pastas::Logs());
    if (d.info)
      for (const QString& i : *d.info) d.writer->AddInfo(i);
  }
  d.linhas->append(Carimbo(QDateTime::currentDateTime()) + texto);
  d.writer->AddText(texto);
}

void TDebug::AddInfo(const QString& texto) {
  EstadoDebug& d = D();
  if (!d.ativo) return;
  if (!d.info) d.info.emplace();
  d.info->append(texto);
  if (d.writer) d.writer->AddInfo(texto);
}

void TDebug::LimpaInfo() {
  EstadoDebug& d = D();
  if (!d.ativo) return;
  if (!d.info) d.info.emplace();
  d.info->clear();
  if (d.writer) d.writer->LimpaInfo();
}

void TDebug::SalvaDump(const QString& label) {
  EstadoDebug& d = D();
  if (!d.ativo || !d.linhas) return;
  if (!d.linhas->isEmpty()) {
    const QDateTime agora = QDateTime::currentDateTime();
    const QString nome = Pastas::Logs() + DebugNomeArquivo(agora) + "_" + label + ".dbg";
    if (QFile::exists(nome)) QFile::remove(nome);
    if (d.info) {
      d.linhas->append(Carimbo(agora) + kInfoCabecalho);
      for (const QString& i : *d.info) d.linhas->append(Carimbo(agora) + "*** " + i);
    }
    QDir().mkpath(Pastas::Logs());
    QFile f(nome);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
      throw std::runtime_error(("Falha ao gravar o log " + nome + ": " + f.errorString()).toStdString());
    QByteArray tudo;
    for (const QString& l : *d.linhas) tudo += (l + "\n").toUtf8();
    f.write(tudo);
    f.close();
    d.linhas->clear();
  }
  if (d.writer) d.writer->SaveDebug(label);
}

void TDebug::Erro(const QString& mensagem, const QString& label) {
  Linha(mensagem);
  SalvaDump(label);
}

void TDebug::Finaliza() {
  EstadoDebug& d = D();
  d.writer.reset();
  d.linhas.reset();
  d.info.reset();
}

void TDebug::ApagaLogs() {
  QDir logs(Pastas::Logs());
  if (!logs.exists()) return;
  for (const QFileInfo& fi : logs.entryInfoList(QDir::Files | QDir::Hidden | QDir::System))
    QFile::remove(fi.absoluteFilePath());
}

QStringList TDebug::Linhas() { return D().linhas.value_or(QStringList{}); }
QStringList TDebug::Info() { return D().info.value_or(QStringList{}); }
TClassSystemDebug* TDebug::Writer() { return D().writer.get(); }

}  // namespace tovra
