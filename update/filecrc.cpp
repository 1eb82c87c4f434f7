#include "update/filecrc.h"

#include <QFile>
#include <stdexcept>

#include "device/crc.h"

namespace tovra {

namespace {
QString TrocaExtensao(const QString& nome, const QString& nova) {
  const qsizetype ponto = nome.lastIndexOf('.');
  return (ponto >= 0 ? nome.left(ponto) : nome) + nova;
}
}  // namespace

QString TClassFileCRC::ZipName() const { return TrocaExtensao(FFileName, ".zip"); }
QString TClassFileCRC::SqlName() const { return TrocaExtensao(FFileName, ".sql"); }

TClassFileCRC* TListaFileCRC::PorZip(const QString& zipName) const {
  for (const auto& f : Raw())
    if (f->ZipName() == zipName) return f.get();
  return nullptr;
}

TClassArquivosPorTabela* TListaArquivosPorTabela::PorTabela(const QString& nome) const {
  for (const auto& t : Raw())
    if (t->FNomeTabela == nome) return t.get();
  return nullptr;
}

TClassFileCRC* TListaArquivosPorTabela::Busca(const QString& tabela, const QString& zipName) const {
  const TClassArquivosPorTabela* t = PorTabela(tabela);
  return t ? t->FListaFiles.PorZip(zipName) : nullptr;
}

std::unique_ptr<TListaArquivosPorTabela> TListaArquivosPorTabela::LerArquivo(const QString& arquivo) {
  if (!QFile::exists(arquivo)) throw std::runtime_error(("Arquivo não encontrado: \n" + arquivo).toStdString());
  std::optional<Json> j = TJsonLib::LoadFileToJson(arquivo);
  if (!j) throw std::runtime_error(("Arquivo inválido: \n" + arquivo).toStdString());
  auto l = std::make_unique<TListaArquivosPorTabela>();
  ListaDeJson<TClassArquivosPorTabela>(*j, *l);
  return l;
}

void TListaArquivosPorTabela::SalvaArquivo(const QString& arquivo) const {
  TJsonLib::SaveJsonToFile(ListaParaJson<TClassArquivosPorTabela>(*this), arquivo);
}

QString CrcArquivo(const QString& arquivo) {
  QFile f(arquivo);
  if (!f.exists() || f.size() == 0 || !f.open(QIODevice::ReadOnly)) return QString();
  const QByteArray bytes = f.readAll();
  if (bytes.isEmpty()) return QString();
  return QString::number(CalcCRC64Bytes(bytes.constData(), bytes.size()));
}

}  // namespace tovra
