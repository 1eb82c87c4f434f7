// tovra-monta_catalogo: builds the demo catalogue from data/demo into a ready
// "Tovra.s3db" and the file-server release tree that the catalogue update and the
// start-up download ("files/" and its test twin "homolog/").
//
//   tovra-monta_catalogo --saida DIR [--dados data/demo]
//
// DIR/Tovra.s3db, DIR/conf.json     the ready catalogue
// DIR/release/files/...             the server's files folder
// DIR/release/homolog/...           the same for test mode
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QSet>
#include <cstdio>
#include <cstring>

#include "catalogue/carga_sql.h"
#include "catalogue/dmtovra.h"
#include "common/dbtojson.h"
#include "common/jsonobj.h"
#include "common/texto.h"
#include "tools/ferramentas.h"

using namespace tovra;
using namespace tovra::ferramentas;

namespace {

void Diz(const QString& t) { std::fputs((t + "\n").toUtf8().constData(), stdout); }

QString HexaSingle(float v) {
  unsigned char b[4];
  std::memcpy(b, &v, 4);
  return QString::asprintf("%02X %02X %02X %02X", b[0], b[1], b[2], b[3]);
}
QString HexaTexto(const QByteArray& t) {
  QStringList r;
  for (char c : t) r << QString::asprintf("%02X", static_cast<unsigned char>(c));
  r << "00";
  return r.join(' ');
}

// Display format the script reports for a parameter, by its unit (or, without a
// unit, by what the parameter is).
int FormatoParametro(qint64 id, qint64 unidade) {
  switch (id) {
    case 1012: return 0x6F;  // VIN as text
    case 1014: return 0x93;  // status word as bits
    case 1401: return 0x81;  // key count
    case 1010: return 0x13;  // lambda, three decimals
    default: break;
  }
  switch (unidade) {
    case 1: case 3: case 6: case 9: case 12: case 15: return 0x81;
    case 2: case 5: case 8: return 0x11;
    case 4: case 7: case 10: case 11: case 14: return 0x12;
    case 13: return 0x91;
    case 0: return 0x8F;  // status code with a text in STATUS_PARAMETROS
    default: return 0x12;
  }
}

// The value a simulated vehicle shows at idle.
QString ValorParametro(qint64 id, int formato) {
  static const QMap<qint64, float> nominal = {
      {1001, 850}, {1002, 92}, {1003, 31}, {1004, 380}, {1005, 13.9f}, {1006, 3.5f}, {1007, 2.8f}, {1008, 12},
      {1009, 0}, {1010, 0.45f}, {1011, 0}, {1013, 3725}, {1015, 3.2f}, {1016, 10}, {1101, 320}, {1102, 330},
      {1103, 8.5f}, {1104, 105}, {1105, 12}, {1106, 210}, {1107, 65}, {1201, 0}, {1202, 0}, {1203, 0},
      {1204, 0}, {1205, 0.5f}, {1206, -2.5f}, {1301, 7}, {1302, 78}, {1303, 0}, {1401, 2}, {1402, 1},
      {1501, 48}, {1502, 4.5f}, {1503, 23}};
  if (formato == 0x6F) return HexaTexto("9BWAB45U0ET123456");
  if (formato == 0x93) return "A5 01";
  return HexaSingle(nominal.value(id, 1.0f));
}

Json Linhas(TDmTovra& dm, const QString& sql, const QVariantList& p = {}) {
  Json a = Json::array();
  auto q = dm.Search(sql, p);
  for (q->First(); !q->Eof(); q->Next()) {
    Json o = Json::object();
    for (int c = 0; c < q->FieldCount(); ++c) {
      const TCampo f = q->Field(c);
      const std::string n = q->FieldNames()[c].toStdString();
      if (f.IsNull()) o[n] = nullptr;
      else if (f.Valor().typeId() == QMetaType::LongLong) o[n] = f.AsInteger();
      else if (f.Valor().typeId() == QMetaType::Double) o[n] = f.AsFloat();
      else o[n] = f.AsString().toStdString();
    }
    a.push_back(std::move(o));
  }
  return a;
}

// The FLX script of one system: what the device knows about it (models, fault
// codes with the numbers it reports, parameters with their formats, tests) and
// what a simulated vehicle answers. Everything comes from the catalogue rows.
QByteArray ScriptSistema(TDmTovra& dm, qint64 sid) {
  auto s = dm.Search("SELECT NOME_SISTEMA_PT, ID_SIGLA, OTTO_DIESEL FROM SISTEMAS WHERE ID_SISTEMA = ?", {sid});
  Json j = Json::object();
  j["formato"] = "tovra-flx-json";
  j["versao"] = 1;
  j["sistemaID"] = sid;
  j["nome"] = s->Field(0).AsString().toStdString();
  j["sigla"] = s->Field(1).AsString().toStdString();
  j["diesel"] = s->Field(2).AsString() == "D";
  j["modelos"] = Linhas(dm,
                        "SELECT ID_MODELO AS modeloID, ID_MODELO_FLX AS modeloFlx, ID_MODELO_CF AS modeloCF, "
                        "ID_ADAP AS adaptador FROM ASSOCIACAO_MODELO_SISTEMA WHERE ID_SISTEMA = ? ORDER BY ID_MODELO",
                        {sid});
  // Fault groups of the system's associations; a group kept in the twin table is
  // served from there, as the program loads it.
  auto g = dm.Search("SELECT DISTINCT ID_GRUPO_FALHAS FROM ASSOCIACAO_MODELO_SISTEMA WHERE ID_SISTEMA = ? "
                     "UNION SELECT DISTINCT ID_GRUPO_FALHAS_GEN FROM ASSOCIACAO_MODELO_SISTEMA WHERE ID_SISTEMA = ?",
                     {sid, sid});
  Json falhas = Json::array();
  for (g->First(); !g->Eof(); g->Next()) {
    if (g->Field(0).IsNull()) continue;
    const qint64 grupo = g->Field(0).AsInteger();
    const bool old = !dm.Search("SELECT 1 FROM FALHAS_OLD WHERE ID_GRUPO_FALHAS = ? LIMIT 1", {grupo})->IsEmpty();
    Json f = Linhas(dm,
                    QString("SELECT F.ID_GRUPO_FALHAS AS grupoID, F.ID_SCANNER AS scannerID, F.COD_HEXA AS codHexa, "
                            "F.FALHA_PC AS falhaPC FROM %1 F WHERE F.ID_GRUPO_FALHAS = ? ORDER BY F.FALHA_PC")
                        .arg(old ? "FALHAS_OLD" : "FALHAS"),
                    {grupo});
    // A simulated vehicle holds the first two codes of the system's own group and
    // the first generic one.
    for (size_t i = 0; i < f.size(); ++i) {
      const bool generico = grupo != sid;
      f[i]["presente"] = generico ? i == 0 : i < 2;
      f[i]["status"] = static_cast<int>(i % 2);
      falhas.push_back(f[i]);
    }
  }
  j["falhas"] = falhas;
  auto p = dm.Search(
      "SELECT DISTINCT P.ID_PARAMETRO, P.ID_UNIDADE FROM PARAMETROS P WHERE P.ID_PARAMETRO IN ("
      " SELECT PG.ID_PARAMETRO FROM PARAMETROS_POR_GRUPO PG, ASSOCIACAO_MODELO_SISTEMA A"
      "  WHERE A.ID_SISTEMA = ?1 AND PG.ID_GRUPO_PARAMETROS = A.ID_GRUPO_PARAMETROS"
      " UNION SELECT PO.ID_PARAMETRO FROM PARAMETROS_POR_GRUPO_OLD PO, ASSOCIACAO_MODELO_SISTEMA A"
      "  WHERE A.ID_SISTEMA = ?1 AND PO.ID_GRUPO_PARAMETROS = A.ID_GRUPO_PARAMETROS"
      " UNION SELECT V.ID_PARAMETRO FROM VISUALGRAPH V, ASSOCIACAO_MODELO_SISTEMA A"
      "  WHERE A.ID_SISTEMA = ?1 AND V.ID_GRUPO_VISUALGRAPH = A.ID_GRUPO_VISUALGRAPH"
      " UNION SELECT PA.ID_PARAMETRO FROM PARAMETRO_POR_ATUADOR PA, ASSOCIACAO_MODELO_SISTEMA A"
      "  WHERE A.ID_SISTEMA = ?1 AND PA.ID_GRUPO_ATUADORES = A.ID_GRUPO_ATUADORES"
      " UNION SELECT PJ.ID_PARAMETRO FROM PARAMETRO_POR_AJUSTE PJ, ASSOCIACAO_MODELO_SISTEMA A"
      "  WHERE A.ID_SISTEMA = ?1 AND PJ.ID_GRUPO_AJUSTES = A.ID_GRUPO_AJUSTES) ORDER BY P.ID_PARAMETRO",
      {sid});
  Json params = Json::array();
  for (p->First(); !p->Eof(); p->Next()) {
    const qint64 id = p->Field(0).AsInteger();
    const int fmt = FormatoParametro(id, p->Field(1).AsInteger());
    params.push_back({{"id", id}, {"formato", QString::asprintf("%02X", fmt).toStdString()},
                      {"valor", ValorParametro(id, fmt).toStdString()}});
  }
  j["parametros"] = params;
  for (const auto& [nome, tabela, tabelaOld, id, grupo, paramTab] :
       {std::tuple{"atuadores", "ASSOCIACAO_GRUPO_ATUADORES", "ASSOCIACAO_GRUPO_ATUADORES_OLD", "ID_ATUADOR",
                   "ID_GRUPO_ATUADORES", "PARAMETRO_POR_ATUADOR"},
        std::tuple{"ajustes", "ASSOCIACAO_GRUPO_AJUSTES", "ASSOCIACAO_GRUPO_AJUSTES_OLD", "ID_AJUSTE",
                   "ID_GRUPO_AJUSTES", "PARAMETRO_POR_AJUSTE"}}) {
    Json lista = Json::array();
    auto gs = dm.Search(QString("SELECT DISTINCT %1 FROM ASSOCIACAO_MODELO_SISTEMA WHERE ID_SISTEMA = ? AND %1 IS NOT NULL")
                            .arg(grupo),
                        {sid});
    QSet<qint64> vistos;
    for (gs->First(); !gs->Eof(); gs->Next()) {
      const qint64 gid = gs->Field(0).AsInteger();
      const bool old =
          !dm.Search(QString("SELECT 1 FROM %1 WHERE %2 = ? LIMIT 1").arg(tabelaOld, grupo), {gid})->IsEmpty();
      auto t = dm.Search(QString("SELECT %1 FROM %2 WHERE %3 = ? ORDER BY INDICE").arg(id, old ? tabelaOld : tabela, grupo),
                         {gid});
      for (t->First(); !t->Eof(); t->Next()) {
        const qint64 aid = t->Field(0).AsInteger();
        if (vistos.contains(aid)) continue;
        vistos.insert(aid);
        Json ps = Json::array();
        auto pp = dm.Search(QString("SELECT ID_PARAMETRO FROM %1 WHERE %2 = ? AND %3 = ? ORDER BY INDICE_PAINEL")
                                .arg(paramTab, grupo, id),
                            {gid, aid});
        for (pp->First(); !pp->Eof(); pp->Next()) ps.push_back(pp->Field(0).AsInteger());
        lista.push_back({{"id", aid}, {"parametros", ps}});
      }
    }
    j[nome] = lista;
  }
  j["infoSolicitada"] = Linhas(dm, "SELECT ID_MODELO AS modeloID, ID_INFO AS infoID FROM ASSOC_INFO_SOLICITADA "
                                   "WHERE ID_SISTEMA = ? ORDER BY ID_MODELO, ID_INFO",
                               {sid});
  return QByteArray::fromStdString(j.dump(1));
}

Json EntradaZip(const QString& arquivo, const QString& crc) {
  const qsizetype ponto = arquivo.lastIndexOf('.');
  const QString sem = ponto >= 0 ? arquivo.left(ponto) : arquivo;
  const QString ext = ponto >= 0 ? arquivo.mid(ponto + 1) : QString();
  bool ok = false;
  const uint id = ext.compare("mnu", Qt::CaseInsensitive) == 0 ? 0 : sem.toUInt(&ok);
  return {{"arquivo", arquivo.toStdString()}, {"arquivoSemExtensao", sem.toStdString()}, {"extensao", ext.toStdString()},
          {"crc", crc.toStdString()}, {"sistemaID", ok ? id : 0}, {"baixar", false}, {"atualizar", false}, {"erro", false}};
}
Json ListaObjetos(const Json& itens) {
  return {{"ownsObjects", true}, {"listHelper", {itens.size()}}, {"items", itens}};
}

// The dictionaries are kept as UTF-8 in the source tree and published the way the
// maker's tools write them, in Windows-1252.
QByteArray Win1252(const QString& arq) {
  const QString t = DecodeTextFile(LeArquivo(arq));
  auto b = EncodeWin1252(t);
  if (!b) throw std::runtime_error(("texto fora do Windows-1252 em " + arq).toStdString());
  return *b;
}

void MontaRelease(TDmTovra& dm, const QString& dados, const QString& raiz, const QString& servidor) {
  const QString files = raiz + servidor;
  QDir(files).removeRecursively();
  QDir().mkpath(files);
  QFile::copy(dados + "conf.json", files + "conf.json");

  // Tables: one zip per SQL data file, listed in table order with the file's CRC.
  auto desc = TClassDbToJson::LerArquivo(dados + "conf.json");
  Json tabelas = Json::array();
  int nZips = 0;
  for (const TClassNorvikTable& t : desc->FListaDeTabelas) {
    Json arquivos = Json::array();
    for (const QString& caminho : ArquivosDaTabela(dados + "sql", t.FTableName)) {
      const QString nome = QFileInfo(caminho).fileName();
      const QByteArray sql = LeArquivo(caminho);
      GravaZip(files + QFileInfo(caminho).completeBaseName() + ".zip", {{nome, sql}});
      arquivos.push_back({{"fileName", nome.toStdString()}, {"fileCRC", CrcTexto(sql).toStdString()},
                          {"atualizar", false}, {"erro", false}, {"inserido", false}});
      ++nZips;
    }
    tabelas.push_back({{"nomeTabela", t.FTableName.toUpper().toStdString()}, {"listaFiles", ListaObjetos(arquivos)}});
  }
  TJsonLib::SaveJsonToFile(ListaObjetos(tabelas), files + "tovra_lista_filecrc.json");

  // Script packages: one per published system, and the device menu.
  Json pacotes = Json::array();
  auto sis = dm.Search("SELECT ID_SISTEMA FROM SISTEMAS WHERE ID_SISTEMA <> 700 ORDER BY ID_SISTEMA");
  for (sis->First(); !sis->Eof(); sis->Next()) {
    const qint64 sid = sis->Field(0).AsInteger();
    // The newest scripts are ".v4"; the others keep the older ".flx" name.
    const QString nome = QString("%1.%2").arg(sid, 5, 10, QChar('0')).arg(sid == 101 || sid == 107 || sid == 201 ? "v4" : "flx");
    const QByteArray script = ScriptSistema(dm, sid);
    const QString crc = CrcTexto(script);
    const qsizetype ponto = nome.lastIndexOf('.');
    GravaZip(files + "zips/" + nome.left(ponto) + "_" + nome.mid(ponto + 1) + "_" + crc + ".zip", {{nome, script}});
    pacotes.push_back(EntradaZip(nome, crc));
  }
  {
    Json menu = Json::array();
    auto m = dm.Search("SELECT ID_MONTADORA, NOME_MONTADORA_PT FROM MONTADORAS WHERE LIBERADO = 1 ORDER BY 2");
    for (m->First(); !m->Eof(); m->Next())
      menu.push_back({{"id", m->Field(0).AsInteger()}, {"nome", m->Field(1).AsString().toStdString()}});
    const QByteArray mnu = QByteArray::fromStdString(Json{{"formato", "tovra-menu-json"}, {"montadoras", menu}}.dump(1));
    const QString crc = CrcTexto(mnu);
    GravaZip(files + "zips/m000_mnu_" + crc + ".zip", {{"m000.mnu", mnu}});
    pacotes.push_back(EntradaZip("m000.mnu", crc));
  }
  TJsonLib::SaveJsonToFile(ListaObjetos(pacotes), files + "zips/zinfocrc.json");

  // Firmware package.
  {
    QByteArray fw = "VEXLIN-FW 2.1.0\n";
    for (int i = 0; i < 4096; ++i) fw.append(static_cast<char>((i * 31 + 7) & 0xFF));
    const QString nome = "VX3_FW_2_1_0.bin";
    const QString crc = CrcTexto(fw);
    GravaZip(files + "zips/" + nome + "_" + crc + ".zip", {{nome, fw}});
    Json e = EntradaZip(nome, crc);
    e["arquivoSemExtensao"] = nome.toStdString();
    e["extensao"] = "";
    e["sistemaID"] = 0;
    TJsonLib::SaveJsonToFile(ListaObjetos(Json::array({e})), files + "zips/zfirmwarecrc.json");
  }

  // The generic OBD application (system 700), fetched at every online start.
  GravaZip(files + "v3/00700_app.zip", {{"00700.app", ScriptSistema(dm, 700)}});

  // Dictionaries.
  {
    std::vector<std::pair<QString, QByteArray>> dic;
    for (const QString& n : QDir(dados + "dicionarios").entryList({"*.ini"}, QDir::Files, QDir::Name))
      dic.push_back({n, Win1252(dados + "dicionarios/" + n)});
    GravaZip(files + "dicionarios.zip", dic);
  }

  // Pictures: connector locations and adapters.
  auto loc = dm.Search("SELECT DISTINCT A.LOCAL_CONECT FROM ASSOCIACAO_MODELO_SISTEMA A WHERE (1=1) "
                       "AND A.LOCAL_CONECT IS NOT NULL AND A.LOCAL_CONECT <> '0' AND A.LOCAL_CONECT <> '+' "
                       "AND A.LOCAL_CONECT <> '--' AND A.LOCAL_CONECT <> '' ORDER BY 1");
  int k = 0;
  for (loc->First(); !loc->Eof(); loc->Next(), ++k)
    GravaArquivo(files + "localizacao/LOC_GEN_" + loc->Field(0).AsString() + ".png",
                 Png(160, 120, 0x3A7BD5 + 0x101010u * static_cast<uint32_t>(k), 4 + 3 * k));
  auto ad = dm.Search("SELECT DISTINCT A.arquivo_adaptador_v3 FROM ADAPTADORES A WHERE A.arquivo_adaptador_v3 IS NOT NULL "
                      "ORDER BY 1");
  QStringList figuras;
  for (ad->First(); !ad->Eof(); ad->Next()) figuras << ad->Field(0).AsString();
  if (!figuras.contains("OBD.png")) figuras << "OBD.png";
  k = 0;
  for (const QString& f : figuras) {
    GravaArquivo(files + "adaptadores/" + f, Png(128, 96, 0xE0A030 - 0x0A0A00u * static_cast<uint32_t>(k), 3 + 2 * k));
    ++k;
  }

  // The program package descriptors live only on the release folder of "files/".
  if (servidor == "files/") {
    const QString versao = TOVRA_VERSION_TEXT;
    const QString pacote = "Tovra_" + versao + ".zip";
    GravaZip(files + "exe/" + pacote, {{"LEIAME.txt", "Pacote de demonstração do programa Tovra " + versao.toUtf8() + "\n"}});
    TJsonLib::SaveJsonToFile({{"fileName", pacote.toStdString()}, {"versao", versao.toStdString()}},
                             files + "exe/update_tovra.json");
    GravaZip(files + "exe/AutoUpdate_1.0.0.0.zip", {{"LEIAME.txt", "Atualizador de demonstração\n"}});
    TJsonLib::SaveJsonToFile({{"fileName", "AutoUpdate_1.0.0.0.zip"}, {"versao", "1.0.0.0"}},
                             files + "exe/autoupdate.json");
  }
  Diz(QString("%1: %2 tabelas, %3 zips de tabela, %4 pacotes").arg(files).arg(tabelas.size()).arg(nZips).arg(pacotes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QString dados = "data/demo/";
  QString saida;
  const QStringList a = app.arguments();
  for (int i = 1; i < a.size(); ++i) {
    if (a[i] == "--dados" && i + 1 < a.size()) dados = a[++i];
    else if (a[i] == "--saida" && i + 1 < a.size()) saida = a[++i];
    else {
      std::fputs("uso: tovra-monta_catalogo --saida PASTA [--dados data/demo]\n", stderr);
      return 2;
    }
  }
  if (saida.isEmpty()) {
    std::fputs("uso: tovra-monta_catalogo --saida PASTA [--dados data/demo]\n", stderr);
    return 2;
  }
  if (!dados.endsWith('/')) dados += '/';
  if (!saida.endsWith('/')) saida += '/';
  try {
    QDir().mkpath(saida);
    QFile::remove(saida + "Tovra.s3db");
    QString erro;
    TEstatisticaCarga est;
    if (!MontaBancoDeSql(dados, saida, erro, &est)) {
      std::fputs(("falha: " + erro + "\n").toUtf8().constData(), stderr);
      return 1;
    }
    Diz(QString("%1Tovra.s3db: %2 comandos de %3 arquivos em %4 ms")
            .arg(saida).arg(est.comandos).arg(est.arquivos).arg(est.milissegundos));
    TDmTovra dm;
    dm.IniciaDataModule(saida, "conf.json");
    MontaRelease(dm, dados, saida + "release/", "files/");
    MontaRelease(dm, dados, saida + "release/", "homolog/");
  } catch (const std::exception& e) {
    std::fputs((QString("falha: ") + QString::fromUtf8(e.what()) + "\n").toUtf8().constData(), stderr);
    return 1;
  }
  return 0;
}
