#pragma once
// Script (FLX) and firmware packages: the entries of the package lists
// "zinfocrc.json" and "zfirmwarecrc.json", how an entry names its file, its zip and
// its system, and the small file and version helpers that go with them.
#include <QString>
#include <cstdint>
#include <memory>

#include "common/jsonobj.h"

namespace tovra {

class TClass_ZipInfo {
 public:
  QString Farquivo;
  mutable QString FarquivoSemExtensao;
  mutable QString FExtensao;
  QString Fcrc;
  mutable uint32_t FSistemaID = 0;
  bool Fbaixar = false;
  bool FAtualizar = false;
  bool FErro = false;

  // "00123.flx" belongs to system 123; "m000.mnu" and names that are no number to none (0).
  uint32_t SistemaID() const;
  // "00123_flx_987.zip" for "00123.flx" with crc 987; a name without extension: name + "_" + crc + ".zip".
  QString ZipName() const;
  // The firmware package's zip: arquivo + "_" + crc + ".zip".
  QString FWZipName();
  QString FlxName() const { return Farquivo; }

  TOVRA_JSON_CAMPOS(TClass_ZipInfo, TOVRA_CAMPO(Farquivo), TOVRA_CAMPO(FarquivoSemExtensao), TOVRA_CAMPO(FExtensao),
                    TOVRA_CAMPO(Fcrc), TOVRA_CAMPO(FSistemaID), TOVRA_CAMPO(Fbaixar), TOVRA_CAMPO(FAtualizar),
                    TOVRA_CAMPO(FErro))

 private:
  bool LeExtensao() const;  // fills FExtensao and FarquivoSemExtensao; false without extension
};

class TLista_ZipInfo : public TObjectList<TClass_ZipInfo> {
 public:
  TClass_ZipInfo* GetInfoBySistemaID(uint32_t sistemaId) const;
  TClass_ZipInfo* GetInfoBySistemaArquivo(const QString& nome) const;
  bool TemArquivoPraBaixar() const;
  bool TemArquivoPraAtualizar() const;
  bool TemArquivoComErro() const;
};

// A package list file; nothing when the file is missing ("File not found: " + name in
// the debug log) or cannot be read ("Falha ao ler json: " + name + " - " + error).
std::unique_ptr<TLista_ZipInfo> CarregaListaZipInfo(const QString& arquivo);
// Writes a package list (atomically).
void SalvaListaZipInfo(const TLista_ZipInfo& lista, const QString& arquivo);

// Extracts every entry of the zip into the folder, overwriting. An entry whose name
// would land outside the folder (".." parts, an absolute path) refuses the whole
// archive before anything is written: std::runtime_error naming the entry. With
// apagarDepois the zip is deleted after a successful extraction.
void ExtraiZip(const QString& arquivoZip, const QString& pasta, bool apagarDepois);

QString NomeSemExtensao(const QString& arquivo);          // "a/b/00123.flx" -> "00123"
QString TiraZerosEsquerda(const QString& texto);           // "000A1" -> "A1"
QString NumeroComZeros(long long n, int largura);         // (7, 4) -> "0007"

// The greater of two dotted versions, or empty when they are equal. A missing
// component reads as 0, so "1.2" equals "1.2.0".
QString MaiorVersao(const QString& a, const QString& b);
// True when a is newer than b.
bool VersaoMaisNova(const QString& a, const QString& b);

// The script file of a system. Outside test mode, the entry of the package list for
// the system (empty when none). In test mode, the entry when there is one, otherwise
// "NNNNN.v4", or "NNNNN.flx" when that .v4 is not in the test FLX folder. System 700 on
// a VexlinV3 is "00700.app".
QString EscolheScriptSistema(const TLista_ZipInfo* lista, uint32_t sistemaId, bool modoTeste,
                             const QString& pastaFlxTeste, bool equipamentoV3);
// A V4 script: the name contains ".V4" (any case), or the system is 700.
bool EhScriptV4(const QString& nomeScript, uint32_t sistemaId);

}  // namespace tovra
