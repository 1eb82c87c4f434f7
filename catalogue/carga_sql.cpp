#include "catalogue/carga_sql.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include "common/dbtojson.h"
#include "common/texto.h"

namespace tovra {

QStringList ArquivosDaTabela(const QString& pastaSql, const QString& tabela) {
  QDir d(pastaSql);
  QStringList r = d.entryList({tabela.toLower() + "_*.sql"}, QDir::Files, QDir::Name);
  // "falhas_01.sql" must not pick up "falhas_old_01.sql": keep names whose rest is digits.
  QStringList ok;
  for (const QString& n : r) {
    const QString resto = n.mid(tabela.size() + 1).chopped(4);
    bool num = false;
    resto.toInt(&num);
    if (num) ok << d.filePath(n);
  }
  return ok;
}

void ExecutaArquivoSql(TDmTovra& dm, const QString& arquivo, TEstatisticaCarga* est) {
  QFile f(arquivo);
  if (!f.open(QIODevice::ReadOnly)) throw EBancoDados(("Falha ao ler arquivo: \r\n" + arquivo).toStdString());
  const QString texto = DecodeTextFile(f.readAll());
  QStringList linhas = texto.split('\n');
  for (QString& l : linhas)
    if (l.endsWith('\r')) l.chop(1);
  while (!linhas.isEmpty() && linhas.last().trimmed().isEmpty()) linhas.removeLast();
  QString lote;
  for (int i = 0; i < linhas.size(); ++i) {
    lote += linhas[i];
    if (i == 0 || i % 100 == 0 || i == linhas.size() - 1) {
      dm.Exec(lote);
      lote.clear();
    }
  }
  if (est) {
    est->linhas += linhas.size();
    for (const QString& l : linhas) est->comandos += l.count(QLatin1String("INSERT "));
    est->arquivos += 1;
  }
}

bool MontaBancoDeSql(const QString& pastaDados, const QString& destino, QString& erro, TEstatisticaCarga* est,
                     bool criaIndices) {
  QElapsedTimer relogio;
  relogio.start();
  QString dados = pastaDados.endsWith('/') ? pastaDados : pastaDados + "/";
  QString alvo = destino.endsWith('/') ? destino : destino + "/";
  QDir().mkpath(alvo);
  if (QFileInfo(dados + "conf.json").canonicalFilePath() != QFileInfo(alvo + "conf.json").canonicalFilePath()) {
    QFile::remove(alvo + "conf.json");
    if (!QFile::copy(dados + "conf.json", alvo + "conf.json")) {
      erro = "Arquivo de configuração não encontrado";
      return false;
    }
  }
  try {
    auto desc = TClassDbToJson::LerArquivo(alvo + "conf.json");
    TDmTovra dm;
    dm.DefineCriaIndices(criaIndices);
    if (!dm.IniciaDataModule(alvo, "conf.json")) {
      erro = "Arquivo de configuração não encontrado";
      return false;
    }
    for (const TClassNorvikTable& t : desc->FListaDeTabelas) {
      const QString nome = t.FTableName.toUpper();
      dm.StartTransaction();
      try {
        dm.Exec("DELETE FROM [" + nome + "]");
        for (const QString& arq : ArquivosDaTabela(dados + "sql", t.FTableName)) ExecutaArquivoSql(dm, arq, est);
        dm.Commit();
      } catch (const std::exception& e) {
        dm.Rollback();
        erro = nome + ": " + QString::fromUtf8(e.what());
        return false;
      }
    }
    dm.EncerraDataModule();
  } catch (const std::exception& e) {
    erro = QString::fromUtf8(e.what());
    return false;
  }
  if (est) est->milissegundos += relogio.elapsed();
  return true;
}

}  // namespace tovra
