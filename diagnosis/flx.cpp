#include "diagnosis/flx.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <stdexcept>
#include <zip.h>

#include "common/debug.h"

namespace tovra {

bool TClass_ZipInfo::LeExtensao() const {
  const qsizetype ponto = Farquivo.lastIndexOf('.');
  FExtensao = ponto >= 0 ? Farquivo.mid(ponto + 1) : QString();
  if (FExtensao.isEmpty()) return false;
  FarquivoSemExtensao = Farquivo.left(ponto);
  return true;
}

uint32_t TClass_ZipInfo::SistemaID() const {
  if (FSistemaID != 0 || Farquivo.isEmpty()) return FSistemaID;
  if (!LeExtensao()) return FSistemaID;
  if (FExtensao.toUpper() == "MNU") {
    FSistemaID = 0;
  } else {
    bool ok = false;
    const uint32_t id = FarquivoSemExtensao.toUInt(&ok, 10);
    FSistemaID = ok ? id : 0;
  }
  return FSistemaID;
}

QString TClass_ZipInfo::ZipName() const {
  if (LeExtensao()) {
    SistemaID();
    return FarquivoSemExtensao + "_" + FExtensao + "_" + Fcrc + ".zip";
  }
  return Farquivo + "_" + Fcrc + ".zip";
}

QString TClass_ZipInfo::FWZipName() {
  FarquivoSemExtensao = Farquivo;
  FExtensao.clear();
  FSistemaID = 0;
  return Farquivo + "_" + Fcrc + ".zip";
}

TClass_ZipInfo* TLista_ZipInfo::GetInfoBySistemaID(uint32_t sistemaId) const {
  for (const auto& z : Raw())
    if (z->SistemaID() == sistemaId) return z.get();
  return nullptr;
}

TClass_ZipInfo* TLista_ZipInfo::GetInfoBySistemaArquivo(const QString& nome) const {
  for (const auto& z : Raw())
    if (z->Farquivo == nome || z->ZipName() == nome) return z.get();
  return nullptr;
}

bool TLista_ZipInfo::TemArquivoPraBaixar() const {
  for (const auto& z : Raw())
    if (z->Fbaixar) return true;
  return false;
}
bool TLista_ZipInfo::TemArquivoPraAtualizar() const {
  for (const auto& z : Raw())
    if (z->FAtualizar) return true;
  return false;
}
bool TLista_ZipInfo::TemArquivoComErro() const {
  for (const auto& z : Raw())
    if (z->FErro) return true;
  return false;
}

std::unique_ptr<TLista_ZipInfo> CarregaListaZipInfo(const QString& arquivo) {
  if (!QFile::exists(arquivo)) {
    TDebug::Linha("File not found: " + arquivo);
    return nullptr;
  }
  try {
    std::optional<Json> j = TJsonLib::LoadFileToJson(arquivo);
    if (!j) throw std::runtime_error("não é um objeto JSON");
    auto lista = std::make_unique<TLista_ZipInfo>();
    ListaDeJson<TClass_ZipInfo>(*j, *lista);
    return lista;
  } catch (const std::exception& e) {
    TDebug::Linha("Falha ao ler json: " + arquivo + " - " + QString::fromUtf8(e.what()));
    return nullptr;
  }
}

void SalvaListaZipInfo(const TLista_ZipInfo& lista, const QString& arquivo) {
  TJsonLib::SaveJsonToFile(ListaParaJson<TClass_ZipInfo>(lista), arquivo);
}

namespace {
// The entry's path inside the folder, or empty when it would leave it.
QString CaminhoSeguro(const QString& pasta, const QString& nome) {
  QString n = nome;
  n.replace('\\', '/');
  if (n.isEmpty() || n.startsWith('/') || (n.size() >= 2 && n[1] == ':')) return QString();
  for (const QString& parte : n.split('/'))
    if (parte == "..") return QString();
  return QDir(pasta).absolutePath() + "/" + n;
}

struct Zip {
  zip_t* z = nullptr;
  ~Zip() {
    if (z) zip_discard(z);
  }
};
}  // namespace

void ExtraiZip(const QString& arquivoZip, const QString& pasta, bool apagarDepois) {
  int erro = 0;
  Zip zip;
  zip.z = zip_open(QFile::encodeName(arquivoZip).constData(), ZIP_RDONLY, &erro);
  if (!zip.z) {
    zip_error_t ze;
    zip_error_init_with_code(&ze, erro);
    const QString msg = QString::fromUtf8(zip_error_strerror(&ze));
    zip_error_fini(&ze);
    throw std::runtime_error(("Falha ao abrir o zip " + arquivoZip + ": " + msg).toStdString());
  }
  const zip_int64_t n = zip_get_num_entries(zip.z, 0);
  QStringList destinos;
  for (zip_int64_t i = 0; i < n; ++i) {
    const char* nome = zip_get_name(zip.z, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS);
    const QString q = QString::fromUtf8(nome ? nome : "");
    const QString destino = CaminhoSeguro(pasta, q);
    if (destino.isEmpty()) {
      TDebug::Linha("Entrada recusada no zip " + arquivoZip + ": " + q);
      throw std::runtime_error(
          ("Entrada do zip fora da pasta de destino, arquivo recusado: " + q + " (" + arquivoZip + ")").toStdString());
    }
    destinos << destino;
  }
  QDir().mkpath(pasta);
  for (zip_int64_t i = 0; i < n; ++i) {
    const QString& destino = destinos[static_cast<qsizetype>(i)];
    if (destino.endsWith('/')) {
      QDir().mkpath(destino);
      continue;
    }
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(zip.z, static_cast<zip_uint64_t>(i), 0, &st) != 0)
      throw std::runtime_error(("Falha ao ler o zip " + arquivoZip).toStdString());
    zip_file_t* f = zip_fopen_index(zip.z, static_cast<zip_uint64_t>(i), 0);
    if (!f) throw std::runtime_error(("Falha ao ler o zip " + arquivoZip + ": " + destino).toStdString());
    QByteArray dados;
    dados.resize(static_cast<qsizetype>(st.size));
    zip_int64_t lidos = 0;
    while (lidos < static_cast<zip_int64_t>(st.size)) {
      const zip_int64_t r = zip_fread(f, dados.data() + lidos, st.size - static_cast<zip_uint64_t>(lidos));
      if (r <= 0) break;
      lidos += r;
    }
    zip_fclose(f);
    if (lidos != static_cast<zip_int64_t>(st.size))
      throw std::runtime_error(("Zip corrompido " + arquivoZip + ": " + destino).toStdString());
    QDir().mkpath(QFileInfo(destino).absolutePath());
    GravaArquivoAtomico(destino, dados);
  }
  zip_discard(zip.z);
  zip.z = nullptr;
  if (apagarDepois) QFile::remove(arquivoZip);
}

QString NomeSemExtensao(const QString& arquivo) { return QFileInfo(arquivo).completeBaseName(); }

QString TiraZerosEsquerda(const QString& texto) {
  qsizetype i = 0;
  while (i < texto.size() && texto[i] == '0') ++i;
  return texto.mid(i);
}

QString NumeroComZeros(long long n, int largura) { return QString::number(n).rightJustified(largura, '0'); }

QString MaiorVersao(const QString& a, const QString& b) {
  const QStringList pa = a.split('.');
  const QStringList pb = b.split('.');
  const qsizetype n = std::max(pa.size(), pb.size());
  for (qsizetype i = 0; i < n; ++i) {
    const long long va = i < pa.size() ? pa[i].trimmed().toLongLong() : 0;
    const long long vb = i < pb.size() ? pb[i].trimmed().toLongLong() : 0;
    if (vb < va) return a;
    if (va < vb) return b;
  }
  return QString();
}

bool VersaoMaisNova(const QString& a, const QString& b) {
  const QString m = MaiorVersao(a, b);
  return !m.isEmpty() && m == a;
}

QString EscolheScriptSistema(const TLista_ZipInfo* lista, uint32_t sistemaId, bool modoTeste,
                             const QString& pastaFlxTeste, bool equipamentoV3) {
  if (sistemaId == 700 && equipamentoV3) return "00700.app";
  const TClass_ZipInfo* z = lista ? lista->GetInfoBySistemaID(sistemaId) : nullptr;
  if (!modoTeste) return z ? z->FlxName() : QString();
  if (z) return z->FlxName();
  const QString v4 = NumeroComZeros(sistemaId, 5) + ".v4";
  if (QFile::exists(pastaFlxTeste + v4)) return v4;
  return NumeroComZeros(sistemaId, 5) + ".flx";
}

bool EhScriptV4(const QString& nomeScript, uint32_t sistemaId) {
  return nomeScript.toUpper().contains(".V4") || sistemaId == 700;
}

}  // namespace tovra
