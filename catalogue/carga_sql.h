#pragma once
// Filling catalogue tables from the SQL data files the maker's server publishes:
// Windows-1252 text, whole statements on each line, one or more files per table
// named "<table in lower case>_NN.sql".
#include <QString>
#include <QStringList>
#include <functional>

#include "catalogue/dmtovra.h"

namespace tovra {

struct TEstatisticaCarga {
  qint64 linhas = 0;      // lines of SQL executed
  qint64 comandos = 0;    // statements (INSERT ...) executed
  qint64 arquivos = 0;
  qint64 milissegundos = 0;
};

// The data files of a table in a folder, in application order.
QStringList ArquivosDaTabela(const QString& pastaSql, const QString& tabela);

// Executes the lines of one SQL file: the first batch is line 0 alone, then
// batches of 100 lines joined without separators. Raises on the first failure.
void ExecutaArquivoSql(TDmTovra& dm, const QString& arquivo, TEstatisticaCarga* est = nullptr);

// Builds folder destino + "Tovra.s3db" from pastaDados ("conf.json" and sql/):
// copies the description, opens the database (tables aligned), and refills every
// described table from its files, each table in one transaction.
bool MontaBancoDeSql(const QString& pastaDados, const QString& destino, QString& erro,
                     TEstatisticaCarga* est = nullptr, bool criaIndices = true);

}  // namespace tovra
