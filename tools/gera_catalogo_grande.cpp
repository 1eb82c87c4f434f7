// tovra-gera_catalogo_grande: writes a full-scale synthetic catalogue with the
// schema of the demo catalogue, for the benchmarks. Never committed.
//
//   tovra-gera_catalogo_grande [--saida data/fullscale] [--conf data/demo/conf.json] [--banco | --so-banco]
//
// SAIDA/conf.json and SAIDA/sql/<table>_NN.sql (Windows-1252, ten statements per
// line, at most 50 000 lines per file); with --banco also SAIDA/Tovra.s3db.
//
// About 60 manufacturers, 20 000 models, 5 000 systems, 100 000 associations,
// 1 000 000 fault rows and 200 000 parameter-group rows.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "catalogue/carga_sql.h"
#include "common/texto.h"

using namespace tovra;

namespace {

constexpr int kMontadoras = 60;
constexpr int kGruposPorMontadora = 10;
constexpr int kModelos = 20000;
constexpr int kSistemas = 5000;
constexpr int kSistemasPorModelo = 5;  // 100 000 associations
constexpr int kGruposGenericos = 20;
constexpr int kFalhasPorSistema = 198;  // 990 000 + generic 10 000
constexpr int kFalhasPorGenerico = 500;
constexpr int kTitulos = 40000;
constexpr int kParametros = 3000;
constexpr int kParamPorGrupo = 40;  // 200 000
constexpr int kLinhasPorArquivo = 50000;
constexpr int kComandosPorLinha = 10;

struct Rng {
  uint64_t s = 0x9E3779B97F4A7C15ull;
  uint32_t Proximo() {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return static_cast<uint32_t>(s >> 11);
  }
  int Ate(int n) { return static_cast<int>(Proximo() % static_cast<uint32_t>(n)); }
};

QString Texto(const QString& s) {
  QString r = s;
  r.replace("'", "''");
  return "'" + r + "'";
}

// Writes the statements of one table into files of at most kLinhasPorArquivo lines.
class Escritor {
 public:
  Escritor(QString pasta, QString tabela) : FPasta(std::move(pasta)), FTabela(std::move(tabela)) {}
  ~Escritor() { Fecha(); }
  void Insere(const QString& colunas, const QString& valores) {
    FLinha += "INSERT INTO " + FTabela + " (" + colunas + ") VALUES (" + valores + ");";
    ++FLinhas;
    if (++FNaLinha == kComandosPorLinha) QuebraLinha();
  }
  qint64 Linhas() const { return FLinhas; }

 private:
  void QuebraLinha() {
    if (FNaLinha == 0) return;
    if (!FArq || FLinhasArquivo == kLinhasPorArquivo) Novo();
    FLinha += "\r\n";
    auto b = EncodeWin1252(FLinha);
    FArq->write(b ? *b : FLinha.toLatin1());
    FLinha.clear();
    FNaLinha = 0;
    ++FLinhasArquivo;
  }
  void Novo() {
    if (FArq) FArq->close();
    ++FArquivos;
    FArq = std::make_unique<QFile>(FPasta + QString("%1_%2.sql").arg(FTabela.toLower()).arg(FArquivos, 2, 10, QChar('0')));
    if (!FArq->open(QIODevice::WriteOnly | QIODevice::Truncate)) throw std::runtime_error("não foi possível gravar");
    FLinhasArquivo = 0;
  }
  void Fecha() {
    QuebraLinha();
    if (FArq) FArq->close();
  }
  QString FPasta, FTabela, FLinha;
  std::unique_ptr<QFile> FArq;
  int FNaLinha = 0, FLinhasArquivo = 0, FArquivos = 0;
  qint64 FLinhas = 0;
};

const QStringList kSiglas = {"IJ", "DI", "AS", "AB", "TA", "IM", "PA", "AC", "CC", "CT", "DR", "UD", "AR", "AL", "CV", "MM"};
const QStringList kTitulosSigla = {"INJEÇÃO ELETRÔNICA", "INJEÇÃO DIESEL", "ABS", "AIRBAG", "TRANSMISSÃO AUTOMÁTICA",
                                   "IMOBILIZADOR", "PAINEL", "AC/AQUECIMENTO", "CONTROLE DE CARROCERIA",
                                   "CONTROLE DE TRAÇÃO", "DIREÇÃO ELÉTRICA", "UNIDADE DOSADORA", "AUTO RADIO", "ALARME",
                                   "CONTROLE DE VELOCIDADE", "MOSTRADOR MULTIFUNÇÃO"};
const QStringList kFabricantes = {"BOSCH", "DELPHI", "MAGNETI MARELLI", "SIEMENS", "CONTINENTAL", "DENSO", "VALEO",
                                  "TRW", "WABCO", "ZF", "AISIN", "KEIHIN", "HITACHI", "VISTEON"};
const QStringList kComponentes = {"Sensor de pressão", "Sensor de temperatura", "Válvula solenoide", "Atuador da borboleta",
                                  "Sonda lambda", "Injetor", "Relé de potência", "Sensor de rotação", "Módulo de controle",
                                  "Circuito de alimentação", "Chicote d'entrada", "Interruptor \"freio\""};
const QStringList kDefeitos = {"circuito aberto", "curto-circuito à massa", "curto-circuito ao positivo",
                               "sinal implausível", "valor acima do limite", "valor abaixo do limite", "sem comunicação",
                               "falha intermitente"};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QString saida = "data/fullscale/";
  QString conf = "data/demo/conf.json";
  bool banco = false;
  bool soBanco = false;  // the SQL files are already there
  const QStringList a = app.arguments();
  for (int i = 1; i < a.size(); ++i) {
    if (a[i] == "--saida" && i + 1 < a.size()) saida = a[++i];
    else if (a[i] == "--conf" && i + 1 < a.size()) conf = a[++i];
    else if (a[i] == "--banco") banco = true;
    else if (a[i] == "--so-banco") banco = soBanco = true;
    else {
      std::fputs("uso: tovra-gera_catalogo_grande [--saida data/fullscale] [--conf data/demo/conf.json] [--banco]\n", stderr);
      return 2;
    }
  }
  if (!saida.endsWith('/')) saida += '/';
  const QString sql = saida + "sql/";
  if (!soBanco) {
  QDir(sql).removeRecursively();
  QDir().mkpath(sql);
  QFile::remove(saida + "conf.json");
  if (!QFile::copy(conf, saida + "conf.json")) {
    std::fputs(("falha: não foi possível copiar " + conf + "\n").toUtf8().constData(), stderr);
    return 1;
  }

  QElapsedTimer relogio;
  relogio.start();
  Rng rng;
  std::map<QString, qint64> total;
  auto conta = [&](const Escritor& e, const QString& t) { total[t] = e.Linhas(); };

  {
    Escritor e(sql, "MONTADORAS");
    for (int i = 1; i <= kMontadoras; ++i)
      e.Insere("ID_MONTADORA, NOME_MONTADORA_PT, ICONE, LIBERADO",
               QString("%1, %2, %3, 1").arg(i).arg(Texto(QString("MONTADORA %1%2").arg(i).arg(i % 4 == 1 ? " (PESADOS)" : ""))).arg(i % 4));
    conta(e, "MONTADORAS");
  }
  const int nGrupos = kMontadoras * kGruposPorMontadora;
  {
    Escritor e(sql, "GRUPO_MODELOS");
    for (int g = 1; g <= nGrupos; ++g)
      e.Insere("ID_GRUPO_MODELO, NOME_GRUPO_MODELO_PT, ID_MONTADORA, LIBERADO",
               QString("%1, %2, %3, 1").arg(g).arg(Texto(QString("LINHA %1").arg(g))).arg((g - 1) / kGruposPorMontadora + 1));
    conta(e, "GRUPO_MODELOS");
  }
  {
    Escritor e(sql, "MODELOS");
    for (int m = 1; m <= kModelos; ++m)
      e.Insere("ID_MODELO, NOME_MODELO_PT, ID_GRUPO_MODELO, LIBERADO",
               QString("%1, %2, %3, 1").arg(m).arg(Texto(QString("MODELO %1 1.%2 FLEX").arg(m).arg(m % 9))).arg((m - 1) % nGrupos + 1));
    conta(e, "MODELOS");
  }
  {
    Escritor e(sql, "SIGLAS_SISTEMA");
    for (int i = 0; i < kSiglas.size(); ++i)
      e.Insere("ID_SIGLA, TITULO_PT", Texto(kSiglas[i]) + ", " + Texto(kTitulosSigla[i]));
    conta(e, "SIGLAS_SISTEMA");
  }
  {
    Escritor e(sql, "SISTEMAS");
    for (int s = 1; s <= kSistemas; ++s) {
      const int k = s % static_cast<int>(kSiglas.size());
      e.Insere("ID_SISTEMA, NOME_SISTEMA_PT, ID_SIGLA, OTTO_DIESEL, LIBERADO, STATUS",
               QString("%1, %2, %3, %4, 1, 1").arg(s)
                   .arg(Texto(kTitulosSigla[k] + " " + kFabricantes[s % kFabricantes.size()] + QString(" %1").arg(s)))
                   .arg(Texto(kSiglas[k])).arg(Texto(k == 1 ? "D" : "")));
    }
    conta(e, "SISTEMAS");
  }
  {
    Escritor e(sql, "ADAPTADORES");
    for (int i = 1; i <= 40; ++i)
      e.Insere("ID_ADAPTADOR, NOME_ADAPTADOR_V3, ARQUIVO_ADAPTADOR_V3, PROGRAMACAO_V3, PROGRAMACAO_MA",
               QString("%1, %2, %3, %4, ''").arg(i).arg(Texto(i == 12 ? "OBD" : QString("CABO %1").arg(i)))
                   .arg(Texto(QString("cabo_%1.png").arg(i))).arg(Texto(i == 12 ? "06 01 10 0E" : "")));
    conta(e, "ADAPTADORES");
    Escritor g(sql, "GRUPO_ADAPTADORES");
    for (int i = 100; i < 140; ++i)
      g.Insere("ID_GRUPO_ADAPTADOR, ID_ADAPTADOR_1, ID_ADAPTADOR_2",
               QString("%1, %2, %3").arg(i).arg(i % 2 ? 12 : i % 40 + 1).arg(i % 2 ? "NULL" : QString::number(i % 39 + 1)));
    conta(g, "GRUPO_ADAPTADORES");
  }
  // Systems with actuator tests (even ids) and adjustments (ids divisible by 4... every other even one).
  auto temAtuadores = [](int s) { return s % 2 == 0; };
  auto temAjustes = [](int s) { return s % 4 == 0; };
  {
    Escritor e(sql, "ASSOCIACAO_MODELO_SISTEMA");
    qint64 id = 0;
    for (int m = 1; m <= kModelos; ++m) {
      for (int k = 0; k < kSistemasPorModelo; ++k) {
        const int s = (m * 7 + k * 997) % kSistemas + 1;
        const int adap = k == 0 ? 12 : (k == 1 ? 100 + m % 40 : m % 40 + 1);
        e.Insere("ID_ASSOCIACAO_MODELO_SISTEMA, ID_MODELO, ID_SISTEMA, ID_ADAP, ID_MODELO_CF, ID_MODELO_FLX, "
                 "ID_GRUPO_FALHAS, ID_GRUPO_FALHAS_GEN, ID_GRUPO_PARAMETROS, ID_GRUPO_VISUALGRAPH, ID_GRUPO_AJUSTES, "
                 "ID_GRUPO_ATUADORES, ANO_DE, ANO_ATE, LOCAL_CONECT",
                 QString("%1, %2, %3, %4, %5, %6, %7, %8, %9, %10, %11, %12, '%13', '%14', '%15'")
                     .arg(++id).arg(m).arg(s).arg(adap).arg(m % 97).arg(1 + m % 7).arg(s)
                     .arg(100000 + s % kGruposGenericos).arg(s).arg(s)
                     .arg(temAjustes(s) ? QString::number(s) : QString("NULL"))
                     .arg(temAtuadores(s) ? QString::number(s) : QString("NULL"))
                     .arg(m % 20 + 2000 - 2000, 2, 10, QChar('0'))
                     .arg(m % 3 ? QString("--") : QString("%1").arg(m % 20 + 5, 2, 10, QChar('0')))
                     .arg(m % 5 ? QString("L%1").arg(m % 30) : QString("0")));
      }
    }
    conta(e, "ASSOCIACAO_MODELO_SISTEMA");
  }
  {
    Escritor e(sql, "TITULOS_FALHAS");
    for (int t = 1; t <= kTitulos; ++t)
      e.Insere("ID_TITULO, TITULO_PT",
               QString("%1, %2").arg(t).arg(Texto(kComponentes[t % kComponentes.size()] + QString(" %1 - ").arg(t % 8 + 1) +
                                                  kDefeitos[(t / 7) % kDefeitos.size()])));
    conta(e, "TITULOS_FALHAS");
  }
  {
    Escritor e(sql, "FALHAS");
    Escritor o(sql, "FALHAS_OLD");
    qint64 id = 0, idOld = 0;
    const char letras[] = {'P', 'C', 'B', 'U'};
    auto falha = [&](Escritor& w, qint64 fid, int grupo, int k) {
      const int codigo = (grupo * 31 + k * 17) % 0x3FFF;
      const int letra = (grupo + k) % 4;
      const QString pc = QString("%1%2").arg(letras[letra]).arg(codigo, 4, 16, QChar('0')).toUpper();
      const QString hexa = QString::number((letra << 14) | codigo, 16).toUpper();
      w.Insere("ID_FALHA, ID_GRUPO_FALHAS, ID_SCANNER, COD_HEXA, FALHA_PC, ID_TITULO",
               QString("%1, %2, %3, '%4', '%5', %6").arg(fid).arg(grupo).arg(k + 1).arg(hexa).arg(pc)
                   .arg((grupo * 13 + k) % kTitulos + 1));
    };
    for (int s = 1; s <= kSistemas; ++s) {
      for (int k = 0; k < kFalhasPorSistema; ++k) falha(e, ++id, s, k);
      if (s % 20 == 0)
        for (int k = 0; k < 100; ++k) falha(o, ++idOld, s, k);
    }
    for (int g = 0; g < kGruposGenericos; ++g)
      for (int k = 0; k < kFalhasPorGenerico; ++k) falha(e, ++id, 100000 + g, k);
    conta(e, "FALHAS");
    conta(o, "FALHAS_OLD");
  }
  {
    Escritor e(sql, "STATUS_FALHA");
    const QStringList st = {"Falha presente", "Falha memorizada", "Falha intermitente", "Falha não confirmada"};
    for (int i = 0; i < st.size(); ++i) e.Insere("ID_STATUS_FALHA, TITULO_PT", QString("%1, %2").arg(i).arg(Texto(st[i])));
    conta(e, "STATUS_FALHA");
    Escritor m(sql, "MSG_ADIC_FALHAS");
    for (int i = 1; i <= kDefeitos.size(); ++i) m.Insere("ID_MSG, TITULO_PT", QString("%1, %2").arg(i).arg(Texto(kDefeitos[i - 1])));
    conta(m, "MSG_ADIC_FALHAS");
  }
  {
    Escritor u(sql, "UNIDADES");
    const QStringList un = {"rpm", "°C", "km/h", "V", "%", "mbar", "ms", "°", "kPa", "A"};
    for (int i = 1; i <= un.size(); ++i) u.Insere("ID_UNIDADE, TITULO_PT", QString("%1, %2").arg(i).arg(Texto(un[i - 1])));
    conta(u, "UNIDADES");
    Escritor p(sql, "PARAMETROS");
    for (int i = 1; i <= kParametros; ++i)
      p.Insere("ID_PARAMETRO, TITULO_PT, ABREV_DIAG_PT, ID_UNIDADE",
               QString("%1, %2, %3, %4").arg(i).arg(Texto(QString("Parâmetro de medição nº %1").arg(i)))
                   .arg(Texto(QString("PAR%1").arg(i))).arg(i % 7 ? QString::number(i % un.size() + 1) : QString("NULL")));
    conta(p, "PARAMETROS");
  }
  {
    Escritor e(sql, "PARAMETROS_POR_GRUPO");
    Escritor o(sql, "PARAMETROS_POR_GRUPO_OLD");
    Escritor v(sql, "VISUALGRAPH");
    Escritor vo(sql, "VISUALGRAPH_OLD");
    const QString cols = "ID_GRUPO_PARAMETROS, ID_PARAMETRO, CATEGORIA_PARAMETRO, INDICE_PAINEL";
    const QString colsV = "ID_GRUPO_VISUALGRAPH, ID_PARAMETRO, LIMITE_INFERIOR, LIMITE_SUPERIOR, INDICE_PAINEL";
    for (int s = 1; s <= kSistemas; ++s) {
      for (int k = 0; k < kParamPorGrupo; ++k)
        e.Insere(cols, QString("%1, %2, '%3', %4").arg(s).arg((s * 11 + k * 71) % kParametros + 1)
                           .arg(k % 8 == 7 ? "VGC" : "LST").arg(k + 1));
      for (int k = 0; k < 6; ++k)
        v.Insere(colsV, QString("%1, %2, 0, %3, %4").arg(s).arg((s * 11 + k * 71) % kParametros + 1).arg(100 * (k + 1)).arg(k + 1));
      if (s % 50 == 0) {
        for (int k = 0; k < 30; ++k)
          o.Insere(cols, QString("%1, %2, 'LST', %3").arg(s).arg((s * 5 + k * 13) % kParametros + 1).arg(k + 1));
        for (int k = 0; k < 4; ++k)
          vo.Insere(colsV, QString("%1, %2, 0, 250, %3").arg(s).arg((s * 5 + k) % kParametros + 1).arg(k + 1));
      }
    }
    conta(e, "PARAMETROS_POR_GRUPO");
    conta(o, "PARAMETROS_POR_GRUPO_OLD");
    conta(v, "VISUALGRAPH");
    conta(vo, "VISUALGRAPH_OLD");
    Escritor sp(sql, "STATUS_PARAMETROS");
    for (int i = 0; i < 20; ++i)
      sp.Insere("ID_STATUS, TITULO_PT, ABREV_PT", QString("%1, %2, %3").arg(i).arg(Texto(QString("Estado %1").arg(i)))
                                                    .arg(Texto(QString("E%1").arg(i))));
    conta(sp, "STATUS_PARAMETROS");
  }
  for (const bool ajustes : {false, true}) {
    const QString mestre = ajustes ? "AJUSTES" : "ATUADORES";
    const QString id = ajustes ? "ID_AJUSTE" : "ID_ATUADOR";
    const QString grupo = ajustes ? "ID_GRUPO_AJUSTES" : "ID_GRUPO_ATUADORES";
    const QString assoc = ajustes ? "ASSOCIACAO_GRUPO_AJUSTES" : "ASSOCIACAO_GRUPO_ATUADORES";
    const QString cmd = ajustes ? "COMANDO_AJUSTE" : "COMANDO_ATUADOR";
    const QString par = ajustes ? "PARAMETRO_POR_AJUSTE" : "PARAMETRO_POR_ATUADOR";
    const int porGrupo = ajustes ? 4 : 8;
    Escritor m(sql, mestre);
    for (int i = 1; i <= 500; ++i)
      m.Insere(id + ", TITULO_PT, ABREV_VX_PT",
               QString("%1, %2, %3").arg(i).arg(Texto(QString(ajustes ? "Adaptação nº %1" : "Acionamento da válvula nº %1").arg(i)))
                   .arg(Texto(QString("T%1").arg(i))));
    conta(m, mestre);
    Escritor c(sql, cmd);
    for (int i = 1; i <= 10; ++i)
      c.Insere("ID_COMANDO, COMANDO_ON_PT, COMANDO_OFF_PT, COMANDO_ADD_PT",
               QString("%1, 'Ligar', 'Desligar', %2").arg(i).arg(Texto(i % 3 ? "" : "Gravar")));
    conta(c, cmd);
    Escritor g(sql, assoc);
    Escritor go(sql, assoc + "_OLD");
    Escritor p(sql, par);
    const QString colsG = ajustes ? "ID_GRUPO_AJUSTES, ID_AJUSTE, INDICE, INICIA_AJUSTANDO, ESPERA_CMD_SAIDA, ENTRADA_DADOS, ID_COMANDO"
                                  : "ID_GRUPO_ATUADORES, ID_ATUADOR, INDICE, INICIA_ATUANDO, ESPERA_CMD_SAIDA, ID_COMANDO";
    for (int s = 1; s <= kSistemas; ++s) {
      if (ajustes ? !temAjustes(s) : !temAtuadores(s)) continue;
      for (int k = 0; k < porGrupo; ++k) {
        const int t = (s * 3 + k * 37) % 500 + 1;
        const QString valores = ajustes ? QString("%1, %2, %3, 0, 0, %4, %5").arg(s).arg(t).arg(k + 1).arg(k % 3).arg(k % 10 + 1)
                                        : QString("%1, %2, %3, 0, 0, %4").arg(s).arg(t).arg(k + 1).arg(k % 10 + 1);
        g.Insere(colsG, valores);
        if (s % 100 == 0) go.Insere(colsG, valores);
        for (int j = 0; j < 2; ++j)
          p.Insere(grupo + ", " + id + ", ID_PARAMETRO, INDICE_PAINEL",
                   QString("%1, %2, %3, %4").arg(s).arg(t).arg((s + t * 7 + j) % kParametros + 1).arg(j + 1));
      }
    }
    conta(g, assoc);
    conta(go, assoc + "_OLD");
    conta(p, par);
  }
  {
    Escritor e(sql, "MSG_USUARIO");
    for (int i = 1; i <= 200; ++i) e.Insere("ID_MSGUSER, TITULO_PT", QString("%1, %2").arg(i).arg(Texto(QString("Mensagem ao usuário nº %1").arg(i))));
    conta(e, "MSG_USUARIO");
    Escritor o(sql, "OPCOES_INFO_SOLICITADA");
    for (int i = 1; i <= 20; ++i) o.Insere("ID_OPCAO, TITULO_PT", QString("%1, %2").arg(i).arg(Texto(QString("Opção %1").arg(i))));
    conta(o, "OPCOES_INFO_SOLICITADA");
    Escritor q(sql, "INFO_SOLICITADA");
    for (int i = 1; i <= 10; ++i)
      q.Insere("ID_INFO, TITULO_PT, OPCAO_1, OPCAO_2", QString("%1, %2, %3, %4").arg(i).arg(Texto(QString("Pergunta nº %1?").arg(i))).arg(2 * i - 1).arg(2 * i));
    conta(q, "INFO_SOLICITADA");
    Escritor a(sql, "ASSOC_INFO_SOLICITADA");
    for (int m = 1; m <= kModelos; m += 10) a.Insere("ID_MODELO, ID_SISTEMA, ID_INFO", QString("%1, %2, %3").arg(m).arg((m * 7) % kSistemas + 1).arg(m % 10 + 1));
    conta(a, "ASSOC_INFO_SOLICITADA");
    Escritor r(sql, "REGISTRODECRIACAO");
    r.Insere("ID, CREATEDATE", "1, '2026-12-01 08:00:00'");
    conta(r, "REGISTRODECRIACAO");
  }
  qint64 linhas = 0;
  for (const auto& [t, n] : total) {
    linhas += n;
    std::printf("%-32s %9lld\n", t.toUtf8().constData(), static_cast<long long>(n));
  }
  std::printf("total: %lld linhas em %lld ms\n", static_cast<long long>(linhas), static_cast<long long>(relogio.elapsed()));
  (void)rng;
  }
  if (banco) {
    QFile::remove(saida + "Tovra.s3db");
    QString erro;
    TEstatisticaCarga est;
    if (!MontaBancoDeSql(saida, saida, erro, &est)) {
      std::fputs(("falha: " + erro + "\n").toUtf8().constData(), stderr);
      return 1;
    }
    std::printf("Tovra.s3db: %lld comandos em %lld ms (%.0f linhas/s)\n", static_cast<long long>(est.comandos),
                static_cast<long long>(est.milissegundos), est.comandos * 1000.0 / std::max<qint64>(1, est.milissegundos));
  }
  return 0;
}
