#pragma once
// The catalogue's table description ("conf.json"): tables with their columns.
#include <QString>
#include <memory>

#include "common/jsonobj.h"

namespace tovra {

// The data-type names a table description may carry, in their conventional order.
enum class TFieldType {
  ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD, ftDate,
  ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic, ftFmtMemo, ftParadoxOle,
  ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString, ftLargeint, ftADT, ftArray, ftReference,
  ftDataSet, ftOraBlob, ftOraClob, ftVariant, ftInterface, ftIDispatch, ftGuid, ftTimeStamp, ftFMTBcd,
  ftFixedWideChar, ftWideMemo, ftOraTimeStamp, ftOraInterval, ftLongWord, ftShortint, ftByte, ftExtended,
  ftConnection, ftParams, ftStream, ftTimeStampOffset, ftObject, ftSingle
};

}  // namespace tovra

TOVRA_ENUM_NOMES(tovra::TFieldType, "ftUnknown", "ftString", "ftSmallint", "ftInteger", "ftWord", "ftBoolean",
                 "ftFloat", "ftCurrency", "ftBCD", "ftDate", "ftTime", "ftDateTime", "ftBytes", "ftVarBytes",
                 "ftAutoInc", "ftBlob", "ftMemo", "ftGraphic", "ftFmtMemo", "ftParadoxOle", "ftDBaseOle",
                 "ftTypedBinary", "ftCursor", "ftFixedChar", "ftWideString", "ftLargeint", "ftADT", "ftArray",
                 "ftReference", "ftDataSet", "ftOraBlob", "ftOraClob", "ftVariant", "ftInterface", "ftIDispatch",
                 "ftGuid", "ftTimeStamp", "ftFMTBcd", "ftFixedWideChar", "ftWideMemo", "ftOraTimeStamp",
                 "ftOraInterval", "ftLongWord", "ftShortint", "ftByte", "ftExtended", "ftConnection", "ftParams",
                 "ftStream", "ftTimeStampOffset", "ftObject", "ftSingle")

namespace tovra {

struct TClassNorvikField {
  QString FNomeField;
  TFieldType FTipoDados = TFieldType::ftUnknown;
  int FSize = 0;
  bool FIsAutoIncremento = false;
  bool FIsPK = false;
  bool FNotNull = false;

  QString TipoDadosStr() const { return EnumNome(FTipoDados); }

  TOVRA_JSON_CAMPOS(TClassNorvikField, TOVRA_CAMPO(FNomeField), TOVRA_CAMPO(FTipoDados), TOVRA_CAMPO(FSize),
                    TOVRA_CAMPO(FIsAutoIncremento), TOVRA_CAMPO(FIsPK), TOVRA_CAMPO(FNotNull))
};

struct TClassNorvikTable {
  QString FTableName;
  TObjectList<TClassNorvikField> FFieldList;
  QString FTipoDTB;

  // "CREATE TABLE IF NOT EXISTS [NAME] ( [COL] INT  PRIMARY KEY  NOT NULL , ...);"
  QString GetCreateToSqLite() const;
  // The first primary-key column, empty when none.
  QString GetPkName() const;

  TOVRA_JSON_CAMPOS(TClassNorvikTable, TOVRA_CAMPO(FTableName), TOVRA_CAMPO(FFieldList), TOVRA_CAMPO(FTipoDTB))
};

struct TClassDbToJson {
  TObjectList<TClassNorvikTable> FListaDeTabelas;

  // Reads a table description file; any failure raises "Arquivo inválido!" + CR + name.
  static std::unique_ptr<TClassDbToJson> LerArquivo(const QString& arquivo);

  TOVRA_JSON_CAMPOS(TClassDbToJson, TOVRA_CAMPO(FListaDeTabelas))
};

}  // namespace tovra
