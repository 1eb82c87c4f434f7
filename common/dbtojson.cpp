#include "common/dbtojson.h"

#include <stdexcept>

namespace tovra {

QString TClassNorvikTable::GetCreateToSqLite() const {
  QString sql = "CREATE TABLE IF NOT EXISTS [" + FTableName.toUpper() + "] ( ";
  for (const TClassNorvikField& f : FFieldList) {
    QString tipo;
    switch (f.FTipoDados) {
      case TFieldType::ftString:
        tipo = f.FSize < 3 ? " CHAR(" + QString::number(f.FSize) + ") "
                           : " VARCHAR(" + QString::number(f.FSize) + ") ";
        break;
      case TFieldType::ftInteger: tipo = " INT "; break;
      case TFieldType::ftFloat: tipo = " FLOAT "; break;
      case TFieldType::ftDate: tipo = " DATE "; break;
      case TFieldType::ftTime: tipo = " TIME "; break;
      default: break;
    }
    sql += "[" + f.FNomeField.toUpper() + "]" + tipo + (f.FIsPK ? " PRIMARY KEY " : " ") +
           (f.FNotNull ? " NOT NULL " : " ") + ", ";
  }
  if (sql.endsWith(", ")) sql.chop(2);
  sql += ");";
  return sql;
}

QString TClassNorvikTable::GetPkName() const {
  for (const TClassNorvikField& f : FFieldList)
    if (f.FIsPK) return f.FNomeField;
  return QString();
}

std::unique_ptr<TClassDbToJson> TClassDbToJson::LerArquivo(const QString& arquivo) {
  try {
    std::optional<Json> j = TJsonLib::LoadFileToJson(arquivo);
    if (!j) throw std::runtime_error("não é um objeto JSON");
    auto d = std::make_unique<TClassDbToJson>();
    DeJson(*j, *d);
    return d;
  } catch (const std::exception&) {
    throw std::runtime_error(("Arquivo inválido!\r" + arquivo).toStdString());
  }
}

}  // namespace tovra
