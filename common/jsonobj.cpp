#include "common/jsonobj.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tovra {

std::string JsonNomeMembro(std::string_view nome) {
  std::string s(nome);
  if (!s.empty() && s[0] == 'F') s.erase(0, 1);
  if (!s.empty() && s[0] >= 'A' && s[0] <= 'Z') s[0] = static_cast<char>(s[0] - 'A' + 'a');
  return s;
}

namespace detalhe {
void ErroTipo(const char* esperado, const Json& j) {
  throw std::runtime_error(std::string("JSON: esperado ") + esperado + ", encontrado " + j.type_name());
}
}  // namespace detalhe

QString DataParaIso(const QDateTime& d) {
  if (!d.isValid()) return QString();
  return d.toUTC().toString("yyyy-MM-ddTHH:mm:ss.zzzZ");
}

QDateTime DataDeIso(const QString& texto) {
  QDateTime d = QDateTime::fromString(texto, Qt::ISODateWithMs);
  if (!d.isValid()) d = QDateTime::fromString(texto, Qt::ISODate);
  return d;
}

std::optional<Json> TJsonLib::LoadFileToJson(const QString& arquivo) {
  QFile f(arquivo);
  if (!f.exists()) throw std::runtime_error(("Arquivo não encotrado: \r" + arquivo).toStdString());
  if (!f.open(QIODevice::ReadOnly))
    throw std::runtime_error(("Falha ao abrir o arquivo: \r" + arquivo).toStdString());
  const QString texto = DecodeTextFile(f.readAll());
  Json j = Json::parse(texto.toStdString(), nullptr, false);
  if (j.is_discarded() || !j.is_object()) return std::nullopt;
  return j;
}

void TJsonLib::SaveJsonToFile(const Json& json, const QString& arquivo, bool privado) {
  GravaArquivoAtomico(arquivo, QByteArray::fromStdString(json.dump()), privado);
}

QString TJsonLib::TrocaCharEspec(const QString& s) {
  QString r = s;
  r.replace(":", "%3A");
  r.replace("/", "%2F");
  r.replace(" ", "%20");
  r.replace(".", "%2E");
  r.replace("\\", "%5C");
  return r;
}

namespace {
std::function<void(const QString&)>& Gancho() {
  static std::function<void(const QString&)> g;
  return g;
}
}  // namespace

void DefineGanchoAntesRenomear(std::function<void(const QString&)> gancho) { Gancho() = std::move(gancho); }

void GravaArquivoAtomico(const QString& arquivo, const QByteArray& conteudo, bool privado) {
  QSaveFile f(arquivo);
  if (!f.open(QIODevice::WriteOnly))
    throw std::runtime_error(("Falha ao gravar o arquivo " + arquivo + ": " + f.errorString()).toStdString());
  if (privado) f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  if (f.write(conteudo) != conteudo.size())
    throw std::runtime_error(("Falha ao gravar o arquivo " + arquivo + ": " + f.errorString()).toStdString());
  if (Gancho()) Gancho()(arquivo);  // a hook that throws discards the temporary file
  if (!f.commit())
    throw std::runtime_error(("Falha ao gravar o arquivo " + arquivo + ": " + f.errorString()).toStdString());
  if (privado) QFile::setPermissions(arquivo, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

}  // namespace tovra
