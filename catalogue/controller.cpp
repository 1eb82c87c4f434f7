#include "catalogue/controller.h"

#include <QRegularExpression>
#include <cmath>
#include <utility>

#include "common/debug.h"
#include "common/pastas.h"

namespace tovra {

namespace {

QString N(qint64 v) { return QString::number(v); }

QString CodigoMsg(qint64 id) {
  return QString::asprintf("%02X %02X", static_cast<unsigned>((id >> 8) & 0xFF), static_cast<unsigned>(id & 0xFF));
}

QString Assoc(qint64 m, qint64 s) {
  return "SELECT A.ID_GRUPO_AJUSTES, A.ID_GRUPO_ATUADORES, A.ID_GRUPO_FALHAS, A.ID_GRUPO_FALHAS_GEN, "
         "A.ID_GRUPO_PARAMETROS, A.ID_GRUPO_VISUALGRAPH FROM ASSOCIACAO_MODELO_SISTEMA A WHERE (1=1) AND A.ID_MODELO = " +
         N(m) + " AND A.ID_SISTEMA = " + N(s);
}

// "group has content" for Algorithm A, as a SQL condition on the association row A.
QString TemConteudo(const QString& tabela, const QString& grupo, const QString& contado) {
  const QString old = tabela + "_OLD";
  return "(EXISTS (SELECT 1 FROM " + old + " T1 WHERE T1." + grupo + " = A.%1 AND T1." + contado +
         " IS NOT NULL) OR (NOT EXISTS (SELECT 1 FROM " + old + " T2 WHERE T2." + grupo +
         " = A.%1) AND EXISTS (SELECT 1 FROM " + tabela + " T3 WHERE T3." + grupo + " = A.%1 AND T3." + contado +
         " IS NOT NULL)))";
}

QString RemoveTodos(QString s, const QStringList& textos) {
  for (const QString& t : textos) s.remove(t);
  return s;
}

}  // namespace

TCatalogo::TCatalogo(TDmTovra& dm) : FDm(dm), FModoTeste(Pastas::ModoTeste()) {}

void TCatalogo::DefineIdioma(const QString& idioma) {
  static const QRegularExpression letras("^[A-Za-z]{1,8}$");
  if (letras.match(idioma).hasMatch()) FIdioma = idioma.toUpper();
}

TQueryRef TCatalogo::BuscaComGemeo(const QString& sql, const QString& tabela, const QString& gemeo) {
  if (!FModoTeste) {
    QString outro = sql;
    outro.replace(tabela, gemeo);
    TQueryRef q = FDm.Search(outro);
    if (!q->IsEmpty()) return q;
  }
  return FDm.Search(sql);
}

// ---- resolution ---------------------------------------------------------------

TAdaptadorAssociacao TCatalogo::AdaptadorAssociacao(qint64 m, qint64 s) {
  TAdaptadorAssociacao r;
  TQueryRef q = FDm.Search(
      "SELECT X.ID_ADAP1, X.ID_ADAP2, AD.nome_adaptador_v3, AD.arquivo_adaptador_v3, AD.programacao_v3 FROM "
      "(SELECT CASE WHEN A.ID_ADAP < 100 THEN A.ID_ADAP ELSE G.id_adaptador_1 END AS ID_ADAP1, "
      " CASE WHEN A.ID_ADAP < 100 THEN NULL ELSE G.id_adaptador_2 END AS ID_ADAP2 "
      " FROM ASSOCIACAO_MODELO_SISTEMA A LEFT JOIN grupo_adaptadores G ON G.id_grupo_adaptador = A.ID_ADAP "
      " WHERE (1=1) AND A.ID_MODELO = " + N(m) + " AND A.ID_SISTEMA = " + N(s) + ") X "
      "LEFT JOIN ADAPTADORES AD ON AD.ID_ADAPTADOR = X.ID_ADAP1");
  if (q->IsEmpty()) return r;
  if (q->Field(2).AsString() != "OBD" || !q->Field(1).IsNull()) return r;
  r.id = q->Field(0).AsInteger();
  r.nome = q->Field(2).AsString();
  r.arquivo = q->Field(3).AsString();
  r.programacao = q->Field(4).AsString();
  return r;
}

TModelosScript TCatalogo::ModelosScript(qint64 m, qint64 s) {
  if (s == 700) return {1, 0};
  TQueryRef q = FDm.Search("SELECT ID_MODELO_CF, ID_MODELO_FLX FROM ASSOCIACAO_MODELO_SISTEMA WHERE (1=1)  AND ID_MODELO = " +
                           N(m) + " AND ID_SISTEMA = " + N(s));
  if (q->IsEmpty()) throw EBancoDados(("Modelo CF não encontrado: " + N(s)).toStdString());
  return {q->FieldByName("ID_MODELO_FLX").AsInteger(), q->FieldByName("ID_MODELO_CF").AsInteger()};
}

qint64 TCatalogo::MontadoraDoModelo(qint64 m) {
  TQueryRef q = FDm.Search(
      "SELECT GM.id_montadora FROM grupo_modelos GM  WHERE GM.id_grupo_modelo = (SELECT MD.id_grupo_modelo FROM modelos MD "
      "WHERE MD.id_modelo = " + N(m) + ")");
  return q->IsEmpty() ? 0 : q->Field(0).AsInteger();
}

qint64 TCatalogo::GrupoDoModelo(qint64 m) {
  TQueryRef q = FDm.Search("SELECT MD.id_grupo_modelo FROM modelos MD WHERE MD.id_modelo = " + N(m));
  return q->IsEmpty() ? 0 : q->Field(0).AsInteger();
}

TSiglaSistema TCatalogo::SiglaDoSistema(qint64 s) {
  TQueryRef q = FDm.Search(
      "SELECT SS.id_sigla, SS.titulo_pt FROM siglas_sistema SS WHERE SS.id_sigla = (SELECT SIS.ID_SIGLA FROM sistemas SIS "
      "WHERE SIS.id_sistema = " + N(s) + ")");
  if (q->IsEmpty()) return {};
  return {q->Field(0).AsString(), q->Field(1).AsString()};
}

bool TCatalogo::SistemaDiesel(qint64 s) {
  TQueryRef q = FDm.Search("SELECT SIS.OTTO_DIESEL FROM SISTEMAS SIS WHERE (1=1) AND SIS.ID_SISTEMA = " + N(s));
  if (q->IsEmpty()) throw EBancoDados(("Sistema não encontrado: " + N(s)).toStdString());
  return q->Field(0).AsString() == "D";
}

bool TCatalogo::GruposAssociacao(qint64 m, qint64 s, TGruposAssociacao& g) {
  QString sql;
  if (FModoTeste) {
    sql = "SELECT A.ID_ASSOCIACAO_MODELO_SISTEMA, A.ID_GRUPO_FALHAS, A.ID_GRUPO_FALHAS_GEN, A.ID_GRUPO_PARAMETROS, "
          "A.ID_GRUPO_VISUALGRAPH, A.ID_GRUPO_AJUSTES, A.ID_GRUPO_ATUADORES";
  } else {
    auto coluna = [](const QString& tabela, const QString& grupo, const QString& contado, const QString& colAssoc) {
      return "CASE WHEN " + TemConteudo(tabela, grupo, contado).arg(colAssoc) + " THEN A." + colAssoc +
             " ELSE 0 END AS " + colAssoc;
    };
    sql = "SELECT A.ID_ASSOCIACAO_MODELO_SISTEMA, " +
          coluna("FALHAS", "ID_GRUPO_FALHAS", "ID_FALHA", "ID_GRUPO_FALHAS") + ", " +
          coluna("FALHAS", "ID_GRUPO_FALHAS", "ID_FALHA", "ID_GRUPO_FALHAS_GEN") + ", " +
          coluna("PARAMETROS_POR_GRUPO", "ID_GRUPO_PARAMETROS", "ID_PARAMETRO", "ID_GRUPO_PARAMETROS") + ", " +
          coluna("VISUALGRAPH", "ID_GRUPO_VISUALGRAPH", "ID_PARAMETRO", "ID_GRUPO_VISUALGRAPH") + ", " +
          coluna("ASSOCIACAO_GRUPO_AJUSTES", "ID_GRUPO_AJUSTES", "ID_AJUSTE", "ID_GRUPO_AJUSTES") + ", " +
          coluna("ASSOCIACAO_GRUPO_ATUADORES", "ID_GRUPO_ATUADORES", "ID_ATUADOR", "ID_GRUPO_ATUADORES");
  }
  sql += " FROM ASSOCIACAO_MODELO_SISTEMA A WHERE (1=1) AND A.ID_MODELO = " + N(m) + " AND A.ID_SISTEMA = " + N(s);
  TQueryRef q = FDm.Search(sql);
  if (q->IsEmpty()) return false;
  g.associacao = q->Field(0).AsInteger();
  g.falhas = q->Field(1).AsInteger();
  g.falhasGen = q->Field(2).AsInteger();
  g.parametros = q->Field(3).AsInteger();
  g.visualGraph = q->Field(4).AsInteger();
  g.ajustes = q->Field(5).AsInteger();
  g.atuadores = q->Field(6).AsInteger();
  return true;
}

// ---- loads --------------------------------------------------------------------

std::vector<TRegFalha> TCatalogo::CarregaFalhas(const TGruposAssociacao& g) {
  const QString sql = "SELECT F.ID_GRUPO_FALHAS, F.ID_FALHA, F.COD_HEXA, F.FALHA_PC, F.ID_SCANNER, F.ID_TITULO, TF." +
                      L("TITULO_") + " AS DESCRICAO FROM FALHAS F INNER JOIN TITULOS_FALHAS TF ON TF.ID_TITULO = F.ID_TITULO "
                      "WHERE (1=1) AND ((F.ID_GRUPO_FALHAS = " + N(g.falhas) + ") OR (F.ID_GRUPO_FALHAS = " +
                      N(g.falhasGen) + ")) ORDER BY F.FALHA_PC, F.ID_SCANNER";
  TQueryRef q = BuscaComGemeo(sql, " FALHAS F ", " FALHAS_OLD F ");
  std::vector<TRegFalha> r;
  if (q->IsEmpty() || q->Field(1).IsNull()) return r;
  r.reserve(static_cast<size_t>(q->RecordCount()));
  for (q->First(); !q->Eof(); q->Next()) {
    TRegFalha f;
    f.grupoID = q->Field(0).AsInteger();
    f.falhaID = q->Field(1).AsInteger();
    f.codHexa = q->Field(2).AsString();
    f.falhaPC = q->Field(3).AsString();
    f.scannerID = static_cast<quint64>(q->Field(4).AsInteger());
    f.tituloID = q->Field(5).AsInteger();
    f.descricao = q->Field(6).AsString();
    r.push_back(std::move(f));
  }
  return r;
}

std::vector<TRegParametro> TCatalogo::CarregaParametros(qint64 m, qint64 s) {
  const QString sql =
      "SELECT PG.ID_GRUPO_PARAMETROS, PG.ID_PARAMETRO, PG.INDICE_PAINEL, P." + L("TITULO_") + ", P." + L("ABREV_DIAG_") +
      ", PG.CATEGORIA_PARAMETRO, P.ID_UNIDADE, U." + L("TITULO_") +
      " AS UNIDADE FROM ASSOCIACAO_MODELO_SISTEMA A INNER JOIN PARAMETROS_POR_GRUPO PG ON PG.ID_GRUPO_PARAMETROS = "
      "A.ID_GRUPO_PARAMETROS INNER JOIN PARAMETROS P ON P.ID_PARAMETRO = PG.ID_PARAMETRO LEFT JOIN UNIDADES U ON "
      "U.ID_UNIDADE = P.ID_UNIDADE WHERE (1=1) AND A.ID_MODELO = " + N(m) + " AND A.ID_SISTEMA = " + N(s) +
      " AND ((PG.CATEGORIA_PARAMETRO IS NULL) OR (PG.CATEGORIA_PARAMETRO NOT IN ('VGC', 'VGA'))) ORDER BY PG.INDICE_PAINEL";
  TQueryRef q = BuscaComGemeo(sql, " PARAMETROS_POR_GRUPO PG ", " PARAMETROS_POR_GRUPO_OLD PG ");
  std::vector<TRegParametro> r;
  if (q->IsEmpty() || q->Field(1).IsNull()) return r;
  for (q->First(); !q->Eof(); q->Next()) {
    TRegParametro p;
    p.grupoID = q->Field(0).AsInteger();
    p.id = q->Field(1).AsInteger();
    p.indice = q->Field(2).AsInteger();
    p.titulo = q->Field(3).AsString();
    p.abreviacao = q->Field(4).AsString();
    p.categoria = q->Field(5).AsString();
    p.temUnidade = !q->Field(6).IsNull();
    p.unidadeID = q->Field(6).AsInteger();
    p.unidadeTitulo = q->Field(7).AsString();
    r.push_back(std::move(p));
  }
  return r;
}

std::vector<TRegParametro> TCatalogo::CarregaParametrosVG(qint64 m, qint64 s) {
  const QString sql =
      "SELECT V.ID_GRUPO_VISUALGRAPH, V.ID_PARAMETRO, V.INDICE_PAINEL, P." + L("TITULO_") + ", P." + L("ABREV_DIAG_") +
      ", P.ID_UNIDADE, U." + L("TITULO_") +
      " AS UNIDADE, V.LIMITE_INFERIOR, V.LIMITE_SUPERIOR FROM ASSOCIACAO_MODELO_SISTEMA A INNER JOIN VISUALGRAPH V ON "
      "V.ID_GRUPO_VISUALGRAPH = A.ID_GRUPO_VISUALGRAPH INNER JOIN PARAMETROS P ON P.ID_PARAMETRO = V.ID_PARAMETRO LEFT "
      "JOIN UNIDADES U ON U.ID_UNIDADE = P.ID_UNIDADE WHERE (1=1) AND A.ID_MODELO = " + N(m) + " AND A.ID_SISTEMA = " +
      N(s) + " ORDER BY V.INDICE_PAINEL";
  TQueryRef q = FDm.Search(sql);
  std::vector<TRegParametro> r;
  if (q->IsEmpty() || q->Field(1).IsNull()) return r;
  for (q->First(); !q->Eof(); q->Next()) {
    TRegParametro p;
    p.grupoID = q->Field(0).AsInteger();
    p.id = q->Field(1).AsInteger();
    p.indice = q->Field(2).AsInteger();
    p.titulo = q->Field(3).AsString();
    p.abreviacao = q->Field(4).AsString();
    p.categoria = "VGC";
    p.temUnidade = !q->Field(5).IsNull();
    p.unidadeID = q->Field(5).AsInteger();
    p.unidadeTitulo = q->Field(6).AsString();
    p.limiteInferior = q->Field(7).AsFloat();
    p.limiteSuperior = q->Field(8).AsFloat();
    p.visualGraph = true;
    r.push_back(std::move(p));
  }
  return r;
}

std::vector<TRegAtuadorAjuste> TCatalogo::CarregaTestes(bool ajustes, const TGruposAssociacao& g) {
  const QString tabela = ajustes ? "ASSOCIACAO_GRUPO_AJUSTES" : "ASSOCIACAO_GRUPO_ATUADORES";
  const QString id = ajustes ? "ID_AJUSTE" : "ID_ATUADOR";
  const QString grupoCol = ajustes ? "ID_GRUPO_AJUSTES" : "ID_GRUPO_ATUADORES";
  const QString mestre = ajustes ? "AJUSTES" : "ATUADORES";
  const QString comando = ajustes ? "COMANDO_AJUSTE" : "COMANDO_ATUADOR";
  const QString inicia = ajustes ? "INICIA_AJUSTANDO" : "INICIA_ATUANDO";
  const QString paramTab = ajustes ? "PARAMETRO_POR_AJUSTE" : "PARAMETRO_POR_ATUADOR";
  const qint64 grupo = ajustes ? g.ajustes : g.atuadores;
  const QString sql = "SELECT AGA." + id + ", M." + L("TITULO_") + ", AGA." + inicia + ", AGA.ESPERA_CMD_SAIDA, " +
                      (ajustes ? QString("AGA.ENTRADA_DADOS") : QString("0")) + " AS ENTRADA, AGA.ID_COMANDO, C." +
                      L("COMANDO_ON_") + ", C." + L("COMANDO_OFF_") + ", C." + L("COMANDO_ADD_") + " FROM " + tabela +
                      " AGA INNER JOIN " + comando + " C ON C.ID_COMANDO = AGA.ID_COMANDO INNER JOIN " + mestre +
                      " M ON M." + id + " = AGA." + id + " WHERE (1=1) AND AGA." + grupoCol + " = " + N(grupo) +
                      " ORDER BY AGA.INDICE";
  TQueryRef q = BuscaComGemeo(sql, " " + tabela + " AGA ", " " + tabela + "_OLD AGA ");
  std::vector<TRegAtuadorAjuste> r;
  if (q->IsEmpty() || q->Field(0).IsNull()) return r;
  for (q->First(); !q->Eof(); q->Next()) {
    TRegAtuadorAjuste a;
    a.id = q->Field(0).AsInteger();
    a.titulo = q->Field(1).AsString();
    a.iniciaExecutando = static_cast<int>(q->Field(2).AsInteger());
    a.esperaCmdSaida = static_cast<int>(q->Field(3).AsInteger());
    a.entradaDados = static_cast<int>(q->Field(4).AsInteger());
    a.comandoID = q->Field(5).AsInteger();
    a.comandoOn = q->Field(6).AsString();
    a.comandoOff = q->Field(7).AsString();
    a.comandoAdd = q->Field(8).AsString();
    r.push_back(std::move(a));
  }
  for (TRegAtuadorAjuste& a : r) {
    TQueryRef p = FDm.Search("SELECT PA.ID_PARAMETRO, PA.INDICE_PAINEL, P." + L("TITULO_") +
                             ", P.ID_UNIDADE, U.TITULO_PT FROM " + paramTab +
                             " PA INNER JOIN PARAMETROS P ON P.ID_PARAMETRO = PA.ID_PARAMETRO LEFT JOIN UNIDADES U ON "
                             "U.ID_UNIDADE = P.ID_UNIDADE WHERE (1=1) AND PA." + grupoCol + " = " + N(grupo) + " AND PA." +
                             id + " = " + N(a.id) + " ORDER BY PA." + id + ", PA.INDICE_PAINEL");
    for (p->First(); !p->Eof(); p->Next()) {
      TRegParametro x;
      x.grupoID = grupo;
      x.id = p->Field(0).AsInteger();
      x.indice = p->Field(1).AsInteger();
      x.titulo = p->Field(2).AsString();
      x.temUnidade = !p->Field(3).IsNull();
      x.unidadeID = p->Field(3).AsInteger();
      x.unidadeTitulo = p->Field(4).AsString();
      a.parametros.push_back(std::move(x));
    }
  }
  return r;
}

std::vector<TRegAtuadorAjuste> TCatalogo::CarregaAtuadores(const TGruposAssociacao& g) { return CarregaTestes(false, g); }
std::vector<TRegAtuadorAjuste> TCatalogo::CarregaAjustes(const TGruposAssociacao& g) { return CarregaTestes(true, g); }

// ---- look-ups -----------------------------------------------------------------

QString TCatalogo::StatusFalha(qint64 statusId) {
  TQueryRef q = FDm.Search("SELECT SF." + L("TITULO_") + " FROM STATUS_FALHA SF WHERE (1=1) AND SF.ID_STATUS_FALHA = " +
                           N(statusId));
  return q->IsEmpty() ? QString() : q->Field(0).AsString();
}

QString TCatalogo::MsgUsuario(qint64 msgId) {
  TQueryRef q = FDm.Search("SELECT MU." + L("TITULO_") + " FROM MSG_USUARIO MU WHERE (1=1) AND MU.ID_MSGUSER = " + N(msgId));
  return q->IsEmpty() ? QString() : q->Field(0).AsString();
}

QString TCatalogo::MsgAdicionalFalha(qint64 msgId) {
  TQueryRef q = FDm.Search("SELECT MA." + L("TITULO_") + " FROM MSG_ADIC_FALHAS MA WHERE (1=1) AND MA.ID_MSG = " + N(msgId));
  return q->IsEmpty() ? QString() : q->Field(0).AsString();
}

TStatusParametro TCatalogo::StatusParametro(double valor) {
  TStatusParametro r{"Status não localizado", "n. localiz."};
  if (!std::isfinite(valor)) return r;
  TQueryRef q = FDm.Search("SELECT SP." + L("TITULO_") + ", SP." + L("ABREV_") +
                               " FROM STATUS_PARAMETROS SP WHERE (1=1) AND SP.ID_STATUS = ?",
                           {valor});
  if (q->IsEmpty()) return r;
  return {q->Field(0).AsString(), q->Field(1).AsString()};
}

QStringList TCatalogo::MsgUsuarioTextos(qint64 msgId, qint64 btn1Id, qint64 btn2Id) {
  const QString t = L("TITULO_");
  TQueryRef q = FDm.Search("SELECT (SELECT M." + t + " FROM MSG_USUARIO M WHERE M.ID_MSGUSER = " + N(msgId) +
                           ") AS MSG, (SELECT B1." + t + " FROM MSG_USUARIO B1 WHERE B1.ID_MSGUSER = " + N(btn1Id) +
                           ") AS BTN1, (SELECT B2." + t + " FROM MSG_USUARIO B2 WHERE B2.ID_MSGUSER = " + N(btn2Id) +
                           ") AS BTN2");
  return {q->Field(0).AsString(), q->Field(1).AsString(), q->Field(2).AsString()};
}

TMsgUsuarioBotoes TCatalogo::MsgUsuarioBotoes(qint64 msgId, qint64 btn1Id, qint64 btn2Id, const QString& extra) {
  const QStringList t = MsgUsuarioTextos(msgId, btn1Id, btn2Id);
  TMsgUsuarioBotoes r;
  r.titulo = t[0];
  r.texto = extra.isEmpty() ? t[0] : t[0] + " " + extra;
  r.btn1 = t[1];
  r.btn1Id = btn1Id;
  r.btn2 = t[2];
  r.btn2Id = btn2Id;
  if (r.btn1.isEmpty() && !r.btn2.isEmpty()) {
    r.btn1 = r.btn2;
    r.btn1Id = r.btn2Id;
    r.btn2.clear();
    r.btn2Id = 0;
  }
  if (!r.btn1.isEmpty()) r.btn1Cod = CodigoMsg(r.btn1Id);
  if (!r.btn2.isEmpty()) r.btn2Cod = CodigoMsg(r.btn2Id);
  TDebug::Linha("Msg: " + r.texto + " - btn1: " + r.btn1 + " - btn2: " + r.btn2);
  return r;
}

void TCatalogo::MostraMsgUsuario(qint64 msgId, qint64 btn1Id, qint64 btn2Id, const QString& extra,
                                 const TDialogosMsgUsuario& dialogos,
                                 const std::function<void(const QString&)>& resposta) {
  const TMsgUsuarioBotoes m = MsgUsuarioBotoes(msgId, btn1Id, btn2Id, extra);
  if (m.TemBotao()) {
    QStringList botoes{m.btn1}, codigos{m.btn1Cod};
    if (m.TemSegundoBotao()) {
      botoes << m.btn2;
      codigos << m.btn2Cod;
    }
    if (dialogos.pergunta) dialogos.pergunta("Informacao", m.texto, botoes, codigos, resposta);
  } else if (dialogos.informacao) {
    dialogos.informacao(m.texto);
  }
}

std::vector<TRegInfoAdicional> TCatalogo::InfoSolicitada(const QString& idioma, qint64 m, qint64 s) {
  static const QRegularExpression letras("^[A-Za-z]{1,8}$");
  const QString lang = letras.match(idioma).hasMatch() ? idioma.toUpper() : FIdioma;
  const QString t = "TITULO_" + lang;
  TQueryRef q = FDm.Search("SELECT AIS.ID_INFO, I." + t + ", I.OPCAO_1, O1." + t + ", I.OPCAO_2, O2." + t +
                           " FROM ASSOC_INFO_SOLICITADA AIS INNER JOIN INFO_SOLICITADA I ON I.ID_INFO = AIS.ID_INFO LEFT "
                           "JOIN OPCOES_INFO_SOLICITADA O1 ON O1.ID_OPCAO = I.OPCAO_1 LEFT JOIN OPCOES_INFO_SOLICITADA O2 "
                           "ON O2.ID_OPCAO = I.OPCAO_2 WHERE (1=1) AND AIS.ID_MODELO = " + N(m) +
                           " AND AIS.ID_SISTEMA = " + N(s) + " ORDER BY AIS.ID_INFO");
  std::vector<TRegInfoAdicional> r;
  for (q->First(); !q->Eof(); q->Next()) {
    TRegInfoAdicional i;
    i.codigo = q->Field(0).AsInteger();
    i.texto = q->Field(1).AsString();
    i.btn1Cod = q->Field(2).AsInteger();
    i.btn1Texto = q->Field(3).AsString();
    i.btn2Cod = q->Field(4).AsInteger();
    i.btn2Texto = q->Field(5).AsString();
    r.push_back(std::move(i));
  }
  return r;
}

// ---- counts -------------------------------------------------------------------

int TCatalogo::Conta(const QString& sql) {
  TQueryRef q = FDm.Search(sql);
  return q->IsEmpty() ? 0 : static_cast<int>(q->FieldByName("QTD_INFO").AsInteger());
}

int TCatalogo::ContaComGemeo(const QString& sqlGemeo, const QString& sql) {
  const int old = Conta(sqlGemeo);
  return old > 0 ? old : Conta(sql);
}

int TCatalogo::QtdAjustes(qint64 m, qint64 s) {
  auto sql = [&](const QString& t) {
    return "SELECT COUNT(AGA.ID_AJUSTE) AS QTD_INFO FROM " + t + " AGA WHERE (1=1) AND AGA.ID_AJUSTE IS NOT NULL AND "
           "AGA.ID_GRUPO_AJUSTES = (SELECT A.ID_GRUPO_AJUSTES FROM ASSOCIACAO_MODELO_SISTEMA A WHERE A.ID_MODELO = " +
           N(m) + " AND A.ID_SISTEMA = " + N(s) + ")";
  };
  return ContaComGemeo(sql("ASSOCIACAO_GRUPO_AJUSTES_OLD"), sql("ASSOCIACAO_GRUPO_AJUSTES"));
}

int TCatalogo::QtdAtuadores(qint64 m, qint64 s) {
  auto sql = [&](const QString& t) {
    return "SELECT COUNT(AGA.ID_ATUADOR) AS QTD_INFO FROM " + t + " AGA WHERE (1=1) AND AGA.ID_ATUADOR IS NOT NULL AND "
           "AGA.ID_GRUPO_ATUADORES = (SELECT A.ID_GRUPO_ATUADORES FROM ASSOCIACAO_MODELO_SISTEMA A WHERE A.ID_MODELO = " +
           N(m) + " AND A.ID_SISTEMA = " + N(s) + ")";
  };
  return ContaComGemeo(sql("ASSOCIACAO_GRUPO_ATUADORES_OLD"), sql("ASSOCIACAO_GRUPO_ATUADORES"));
}

int TCatalogo::QtdFalhas(qint64 m, qint64 s) {
  return Conta("SELECT COUNT(F.ID_FALHA) AS QTD_INFO FROM FALHAS F, (" + Assoc(m, s) +
               ") X WHERE (1=1) AND F.ID_FALHA IS NOT NULL AND ((F.ID_GRUPO_FALHAS = X.ID_GRUPO_FALHAS) OR "
               "(F.ID_GRUPO_FALHAS = X.ID_GRUPO_FALHAS_GEN))");
}

int TCatalogo::QtdParametros(qint64 m, qint64 s) {
  auto lista = [&](const QString& t, const QString& a) {
    return "SELECT COUNT(" + a + ".ID_PARAMETRO) AS QTD_INFO FROM " + t + " " + a + ", (" + Assoc(m, s) +
           ") X WHERE (1=1) AND " + a + ".ID_PARAMETRO IS NOT NULL AND " + a +
           ".ID_GRUPO_PARAMETROS = X.ID_GRUPO_PARAMETROS";
  };
  auto grafico = [&](const QString& t, const QString& a) {
    return "SELECT COUNT(" + a + ".ID_PARAMETRO) AS QTD_INFO FROM " + t + " " + a + ", (" + Assoc(m, s) +
           ") X WHERE (1=1) AND " + a + ".ID_PARAMETRO IS NOT NULL AND " + a +
           ".ID_GRUPO_VISUALGRAPH = X.ID_GRUPO_VISUALGRAPH";
  };
  return ContaComGemeo(lista("PARAMETROS_POR_GRUPO_OLD", "PGO"), lista("PARAMETROS_POR_GRUPO", "PG")) +
         ContaComGemeo(grafico("VISUALGRAPH_OLD", "VO"), grafico("VISUALGRAPH", "V"));
}

// ---- names and filters --------------------------------------------------------

QString TCatalogo::NomeCurtoMontadora(const QString& nome) {
  static const QList<std::pair<QString, QString>> t = {
      {"VOLKSWAGEN", "VW"},         {"ALFA ROMEO", "A. ROMEO"}, {"INTERNATIONAL", "INTERN."},
      {"LAND ROVER", "L. ROVER"},   {"MERCEDES BENZ", "MERCEDES"}, {"MITSUBISHI", "MITSUB."},
      {"SAE GENÉRICO", "SAE G."},   {"SSANGYOUNG", "SSANG."},   {"TAC MOTORS", "TAC M."}};
  for (const auto& [n, c] : t)
    if (nome == n) return c;
  return nome;
}

QString TCatalogo::NomeCurtoSigla(const QString& titulo) {
  static const QList<std::pair<QString, QString>> t = {
      {"AC/AQUECIMENTO", "AC/AQUEC"},
      {"ACELERADOR ELETRÔNICO", "ACEL"},
      {"ARREFECIMENTO", "ARREF"},
      {"AUTO RADIO", "A. RADIO"},
      {"BOMBA DIESEL", "B. DIESEL"},
      {"CONFORTO E CONVENIÊNCIA", "CONF"},
      {"CONTROLE DE BANCOS", "BANCOS"},
      {"CONTROLE DE CARROCERIA", "CARROC."},
      {"CONTROLE DE MARCHA LENTA", "M. LENTA"},
      {"CONTROLE DE TRAVAS", "TRAVAS"},
      {"CONTROLE DE TRAÇÃO", "C. TRAÇÃO"},
      {"CONTROLE DE VELOCIDADE", "VELOC."},
      {"DISTRIBUIDOR DE IGNIÇÃO", "IGN"},
      {"EMBREAGEM ELETRÔNICA", "EMBR"},
      {"EQUIPAMENTOS PNEUMÁTICOS", "PNEUM"},
      {"FREIO DE ESTACIONAMENTO", "FREIO"},
      {"GERAÇÃO DE ENERGIA", "ENERG"},
      {"IMOBILIZADOR", "IMOB"},
      {"INJEÇÃO ELETRÔNICA", "INJ"},
      {"LEVANTADOR DE VIDROS", "VIDROS"},
      {"MOSTRADOR MULTIFUNÇÃO", "MULTIFUNC"},
      {"PARKING ASSIST", "PARKING"},
      {"SANTO ANTONIO", "S. ANTONIO"},
      {"TRANSMISSÃO AUTOMÁTICA", "TA"},
      {"UNIDADE DOSADORA", "U. DOSAD"},
      {"VEÍCULO ELÉTRICO", "V. ELET"}};
  for (const auto& [n, c] : t)
    if (titulo == n) return c;
  return titulo;
}

// Literals with accents are compared as UTF-16 (u"..."): comparing a QString with
// a long UTF-8 literal is not reliable in every Qt 6 release.
QString TCatalogo::SistemaSemSigla(const QString& sigla, const QString& sistema) {
  if (sigla.isEmpty() || sigla == sistema) return sistema;
  QString r = sistema;
  r.remove(sigla + " ");
  if (sigla == u"INJEÇÃO ELETRÔNICA") return RemoveTodos(r, {"INJ. ", "INJ ", "INJ.", "INJEÇÃO "});
  if (sigla == u"CONTROLE DE CARROCERIA") return RemoveTodos(r, {"CARROCERIA "});
  if (sigla == u"CONFORTO E CONVENIÊNCIA") return RemoveTodos(r, {"CONFORTO "});
  if (sigla == u"TRANSMISSÃO AUTOMÁTICA")
    return RemoveTodos(r, {"TRANSM. ", "TRANSM ", "TRANSM.", "TRANS. ", "TRANS ", "TRANS.", "TRANSMISSÃO "});
  if (sigla == u"IMOBILIZADOR") return RemoveTodos(r, {"IMOB. ", "IMOB ", "IMOB.", "IMOBILIZADOR "});
  if (sigla == u"PAINEL") return RemoveTodos(r, {"PNL. ", "PNL."});
  return r;
}

QString TCatalogo::TextoAnos(const QString& de, const QString& ate) {
  if (de == "--" && ate == "--") return " (todos)";
  if (ate.isEmpty() || ate == "--") return " (" + de + " >)";
  return " (" + de + " > " + ate + ")";
}

QString TCatalogo::FiltroClasseVeiculo(const QString& classe, const QString& coluna) {
  if (classe == "icon_auto") return " AND ((" + coluna + " = 0) OR (" + coluna + " = 3)) ";
  if (classe == "icon_diesel") return " AND ((" + coluna + " = 1) OR (" + coluna + " = 2)) ";
  return QString();
}

QString TCatalogo::MontadoraParaBusca(const QString& nome) {
  QString r = nome;
  r.remove(" (PESADOS)");
  r.remove(" PESADOS");
  r.replace("&", "&&");
  if (r == "SSANGYOUNG") return "SSANGYONG";
  if (r == "MERCEDES") return "MERCEDES BENZ";
  return r;
}

QString TCatalogo::FiguraSigla(const QString& codigo) {
  static const QList<std::pair<QStringList, QString>> t = {
      {{"IJ", "DI", "ML", "ID", "OF", "AE", "BD", "VE"}, "motorW"},
      {{"AS"}, "absW"},
      {{"AB"}, "airbagW"},
      {{"PA"}, "painelW"},
      {{"CC", "LV", "CF", "CP"}, "bodyW"},
      {{"PO"}, "doorW"},
      {{"AC"}, "acW"},
      {{"AL"}, "alarmeW"},
      {{"DR"}, "direcaoW"},
      {{"IM"}, "imobW"},
      {{"FE"}, "parkingW"},
      {{"AR"}, "radioW"},
      {{"TA"}, "taW"},
      {{"CT"}, "tracaoW"},
      {{"ALLT"}, "allW"},
      {{"CV"}, "cruiseW"},
      {{"AF"}, "arrefecimentoW"},
      {{"MM"}, "multi_funcW"},
      {{"PS"}, "parkAssistW"},
      {{"UD"}, "unidadeDosW"}};
  if (codigo.isEmpty()) return QString();
  for (const auto& [codigos, figura] : t)
    if (codigos.contains(codigo)) return figura;
  return QString();
}

}  // namespace tovra
