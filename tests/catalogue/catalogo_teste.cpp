#include "tests/catalogue/catalogo_teste.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "catalogue/carga_sql.h"
#include "common/jsonobj.h"
#include "tests/support/testsupport.h"

namespace tovra::test {

QByteArray ConfJson(const std::vector<TTabelaTeste>& tabelas) {
  Json itens = Json::array();
  for (const auto& t : tabelas) {
    Json campos = Json::array();
    for (const auto& c : t.colunas)
      campos.push_back({{"nomeField", c.nome.toStdString()}, {"tipoDados", c.tipo.toStdString()},
                        {"size", c.size}, {"isAutoIncremento", false}, {"isPK", c.pk}, {"notNull", c.pk}});
    itens.push_back({{"tableName", t.nome.toStdString()},
                     {"fieldList", {{"ownsObjects", true}, {"listHelper", {campos.size()}}, {"items", campos}}},
                     {"tipoDTB", "SQLITE"}});
  }
  Json j = {{"listaDeTabelas", {{"ownsObjects", true}, {"listHelper", {itens.size()}}, {"items", itens}}}};
  return QByteArray::fromStdString(j.dump());
}

QString FonteDados() {
  const QString s = SourceDir();
  return s.isEmpty() ? QString::fromUtf8(TOVRA_TEST_SOURCE_DIR) : s;
}

void CopiaCatalogoDemo(const QString& pasta) {
  static QTemporaryDir modelo;
  static bool pronto = false;
  const QString origem = FonteDados() + "/data/demo/";
  if (!pronto) {
    ASSERT_TRUE(modelo.isValid());
    const QString destino = modelo.path() + "/";
    QFile orig(origem + "conf.json");
    ASSERT_TRUE(orig.copy(destino + "conf.json")) << (origem + " -> " + destino + ": " + orig.errorString()).toStdString();
    QString erro;
    ASSERT_TRUE(MontaBancoDeSql(origem, destino, erro)) << erro.toStdString();
    pronto = true;
  }
  QDir().mkpath(pasta);
  for (const char* n : {"conf.json", "Tovra.s3db"}) {
    QFile::remove(pasta + n);
    ASSERT_TRUE(QFile::copy(modelo.path() + "/" + n, pasta + n));
  }
}

}  // namespace tovra::test
