#pragma once
// The catalogue's CRC list ("tovra_lista_filecrc.json" from the server and the
// current "tovra_lista_filecrc_atual.json"): for every table the SQL data files
// that fill it, each with its CRC text and the flags the update keeps.
#include <QString>

#include "common/jsonobj.h"

namespace tovra {

struct TClassFileCRC {
  QString FFileName;
  QString FFileCRC;
  bool FAtualizar = false;
  bool FErro = false;
  bool FInserido = false;

  // The name with its last extension replaced: "MODELOS_1.txt" -> "MODELOS_1.zip" / ".sql".
  QString ZipName() const;
  QString SqlName() const;

  TOVRA_JSON_CAMPOS(TClassFileCRC, TOVRA_CAMPO(FFileName), TOVRA_CAMPO(FFileCRC), TOVRA_CAMPO(FAtualizar),
                    TOVRA_CAMPO(FErro), TOVRA_CAMPO(FInserido))
};

class TListaFileCRC : public TObjectList<TClassFileCRC> {
 public:
  TClassFileCRC* PorZip(const QString& zipName) const;
};

struct TClassArquivosPorTabela {
  QString FNomeTabela;
  TListaFileCRC FListaFiles;
  TOVRA_JSON_CAMPOS(TClassArquivosPorTabela, TOVRA_CAMPO(FNomeTabela), TOVRA_CAMPO(FListaFiles))
};

class TListaArquivosPorTabela : public TObjectList<TClassArquivosPorTabela> {
 public:
  TClassArquivosPorTabela* PorTabela(const QString& nome) const;
  // The entry of the same table and zip name, or null (exact text comparison).
  TClassFileCRC* Busca(const QString& tabela, const QString& zipName) const;

  // Reading a missing file raises "Arquivo não encontrado: " + line break + path.
  static std::unique_ptr<TListaArquivosPorTabela> LerArquivo(const QString& arquivo);
  // Written atomically: a crash leaves the old list or the new one.
  void SalvaArquivo(const QString& arquivo) const;
};

// CRC-64/WE of a whole file as unsigned decimal text; empty for a missing or empty file.
QString CrcArquivo(const QString& arquivo);

}  // namespace tovra
