#include "update/atualizacao.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cmath>
#include <stdexcept>

#include "catalogue/dmtovra.h"
#include "common/dbtojson.h"
#include "common/debug.h"
#include "common/jsonini.h"
#include "common/pastas.h"
#include "common/texto.h"
#include "online/restlib.h"

namespace tovra {

namespace {
int Porcento(long long parte, long long total) {
  return total <= 0 ? 0 : static_cast<int>(std::floor(static_cast<double>(parte) / static_cast<double>(total) * 100.0));
}
QString Msg(const std::exception& e) { return QString::fromUtf8(e.what()); }

// A file name from a list or the catalogue must name a file inside its folder.
bool NomeSeguro(const QString& nome) {
  return !nome.isEmpty() && !nome.contains('/') && !nome.contains('\\') && nome != "." && nome != "..";
}
}  // namespace

QString SqlIdentificador(const QString& nome) {
  QString n = nome;
  n.replace("\"", "\"\"");
  return "\"" + n + "\"";
}

QStringList LotesSql(const QStringList& linhas) {
  QStringList lotes;
  QString lote;
  for (qsizetype i = 0; i < linhas.size(); ++i) {
    lote += linhas[i];
    if (i % 100 == 0) {
      lotes << lote;
      lote.clear();
    }
  }
  if (!lote.isEmpty()) lotes << lote;
  return lotes;
}

TClassAtualizacao::TClassAtualizacao(TClassHttpLib* _PHttp, TDmTovra* dm, const QString& raizServidor)
    : FPHttp(_PHttp), FDm(dm), FRaiz(raizServidor) {
  FPathUnzip = Pastas::Files() + "unzip/";
  QDir().mkpath(FPathUnzip);
  FLista_Zips = std::make_unique<TLista_ZipInfo>();
  FLista_Firmware = std::make_unique<TLista_ZipInfo>();
  const QString nova = Pastas::Files() + nomes::kListaFileCrc;
  const QString atual = Pastas::Files() + nomes::kListaFileCrcAtual;
  if (QFile::exists(Pastas::Files() + nomes::kConfJson) && QFile::exists(nova)) {
    FLista = TListaArquivosPorTabela::LerArquivo(nova);
    FLista_Atual = TListaArquivosPorTabela::LerArquivo(QFile::exists(atual) ? atual : nova);
  }
}

TClassAtualizacao::~TClassAtualizacao() = default;

void TClassAtualizacao::TituloAtualizacao(const QString& chave, const QStringList& args, int n) {
  if (Event_TituloAtualizacao) Event_TituloAtualizacao(chave, args, n);
}
void TClassAtualizacao::TituloDownload(const QString& chave, const QStringList& args, int n) {
  if (Event_TituloDownload) Event_TituloDownload(chave, args, n);
}
void TClassAtualizacao::PorcAtualizacao(int p) {
  if (Event_PorcAtualizacao) Event_PorcAtualizacao(p);
}
void TClassAtualizacao::PorcDownload(int p) {
  if (Event_PorcDownload) Event_PorcDownload(p);
}

bool TClassAtualizacao::Baixa(const QString& raiz, const QString& pasta, const QString& nome) {
  if (!FPHttp) return false;
  TituloDownload("BaixandoNomeArquivo", {nome}, 1);
  FPHttp->SetWorkStart([this] { PorcDownload(0); });
  FPHttp->SetOnWork([this] { PorcDownload(FPHttp->PorcentagemBaixada()); });
  const bool ok = FPHttp->GetFile(raiz, pasta, nome, QString());
  FPHttp->SetWorkStart(nullptr);
  FPHttp->SetOnWork(nullptr);
  TituloDownload(QString());
  PorcDownload(0);
  return ok;
}

void TClassAtualizacao::CarregarListasNew() {
  FLista_Zips = std::make_unique<TLista_ZipInfo>();
  const QString zips = Pastas::Zips() + nomes::kZInfoCrcNew;
  if (!QFile::exists(zips)) TDebug::Linha("Arquivo não encontrado: " + zips);
  else if (auto l = CarregaListaZipInfo(zips)) FLista_Zips = std::move(l);
  FLista_Firmware = std::make_unique<TLista_ZipInfo>();
  if (auto l = CarregaListaZipInfo(Pastas::Zips() + nomes::kZFirmwareCrcNew)) FLista_Firmware = std::move(l);
}

void TClassAtualizacao::CarregaListasAtuais() {
  FLista_Zips = std::make_unique<TLista_ZipInfo>();
  const QString zips = Pastas::Zips() + nomes::kZInfoCrc;
  if (!QFile::exists(zips)) TDebug::Linha("Arquivo não encontrado: " + zips);
  else if (auto l = CarregaListaZipInfo(zips)) FLista_Zips = std::move(l);
  FLista_Firmware = std::make_unique<TLista_ZipInfo>();
  if (auto l = CarregaListaZipInfo(Pastas::Zips() + nomes::kZFirmwareCrc)) FLista_Firmware = std::move(l);
}

bool TClassAtualizacao::TemArquivoNovo() {
  CarregarListasNew();
  const QString atual = Pastas::Files() + nomes::kListaFileCrcAtual;
  const QString crcFlx = LeConfString(conf::kAtualizacao, conf::kCrcFlx);
  if (crcFlx.isEmpty() || !QFile::exists(atual)) {
    TDebug::Linha("TemArquivoNovo - Result: true");
    return true;
  }
  if (CrcArquivo(Pastas::Zips() + nomes::kZInfoCrcNew) != crcFlx) return true;
  auto listaAtual = TListaArquivosPorTabela::LerArquivo(atual);
  auto listaNova = TListaArquivosPorTabela::LerArquivo(Pastas::Files() + nomes::kListaFileCrc);
  for (const TClassArquivosPorTabela& t : *listaNova)
    for (const TClassFileCRC& f : t.FListaFiles) {
      const TClassFileCRC* c = listaAtual->Busca(t.FNomeTabela, f.ZipName());
      if (!c || c->FFileCRC != f.FFileCRC) return true;
    }
  return false;
}

qint64 TClassAtualizacao::ContaLinhas(const QString& tabela) {
  try {
    TQueryRef q = FDm->Search("SELECT COUNT(*) AS QTD FROM " + SqlIdentificador(tabela));
    if (!q || q->IsEmpty()) return 0;
    return q->FieldByName("QTD").AsInteger();
  } catch (const std::exception&) {
    return 0;  // a table that cannot be counted is as good as empty
  }
}

bool TClassAtualizacao::TabelasAtualizadas() {
  if (!FLista || !FLista_Atual || !FDm) return false;
  try {
    TClassDbToJson::LerArquivo(Pastas::Files() + nomes::kConfJson);
  } catch (const std::exception& e) {
    TDebug::Linha("Exception ReadJsonToDb: " + Msg(e));
    return false;
  }
  try {
    return ConferirArquivos();
  } catch (const std::exception& e) {
    TDebug::Linha("Exception ConferirArquivos: " + Msg(e));
    return false;
  }
}

bool TClassAtualizacao::ConferirArquivos() {
  bool tudoEmDia = true;
  const int total = FLista->Count();
  for (int ti = 0; ti < total; ++ti) {
    TClassArquivosPorTabela& t = (*FLista)[ti];
    const qint64 linhas = ContaLinhas(t.FNomeTabela);
    const int nf = t.FListaFiles.Count();
    for (int fi = 0; fi < nf; ++fi) {
      TClassFileCRC& f = t.FListaFiles[fi];
      TituloAtualizacao("ConferindoArquivos", {QString::number(ti + 1), QString::number(total)}, 2);
      PorcAtualizacao(Porcento(ti + 1, total));
      TituloDownload("ConferindoArquivos", {QString::number(fi + 1), QString::number(nf)}, 2);
      PorcDownload(Porcento(fi + 1, nf));
      const TClassFileCRC* atual = FLista_Atual->Busca(t.FNomeTabela, f.ZipName());
      if (linhas <= 0) {
        f.FAtualizar = true;
        TDebug::Linha("Tabela vazia: " + t.FNomeTabela);
      } else if (!atual || !atual->FInserido) {
        f.FAtualizar = true;
        TDebug::Linha("Arquivo não inserido: " + f.FFileName);
      } else if (!QFile::exists(Pastas::Files() + f.ZipName())) {
        f.FAtualizar = true;
        TDebug::Linha("Zip não existe: " + f.ZipName());
      } else if (atual->FFileCRC != f.FFileCRC) {
        f.FAtualizar = true;
        TDebug::Linha("Crc invalido: " + f.FFileName);
      } else {
        f.FInserido = true;
        TDebug::Linha("Crc confere: " + f.FFileName);
      }
      if (f.FAtualizar) tudoEmDia = false;
    }
  }
  return tudoEmDia;
}

void TClassAtualizacao::ApagaArquivosNaoUsados() {
  const QFileInfoList arquivos = QDir(Pastas::Zips()).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
  const int pacotes = FLista_Zips ? FLista_Zips->Count() : 0;
  if (arquivos.size() <= 2 * pacotes + 10) return;
  QSet<QString> manter{nomes::kZInfoCrc, nomes::kZFirmwareCrc, nomes::kZInfoCrcNew, nomes::kZFirmwareCrcNew};
  if (FLista_Zips)
    for (const TClass_ZipInfo& z : *FLista_Zips) {
      manter.insert(z.Farquivo);
      manter.insert(z.ZipName());
    }
  for (qsizetype i = 0; i < arquivos.size(); ++i) {
    if (i % 100 == 0)
      TituloAtualizacao("ConferindoArquivos", {QString::number(i), QString::number(arquivos.size())}, 2);
    if (!manter.contains(arquivos[i].fileName())) QFile::remove(arquivos[i].absoluteFilePath());
  }
}

bool TClassAtualizacao::ConfereZip(TClass_ZipInfo& zip) {
  const QString arquivoZip = Pastas::Zips() + zip.ZipName();
  if (!NomeSeguro(zip.Farquivo)) return true;
  if (!QFile::exists(arquivoZip) || QFileInfo(arquivoZip).size() == 0) return true;
  try {
    ExtraiZip(arquivoZip, Pastas::Zips(), false);
  } catch (const std::exception& e) {
    TDebug::Linha("Falha ao descompactar: " + arquivoZip + " " + Msg(e));
  }
  const QString arquivo = Pastas::Zips() + zip.Farquivo;
  if (!QFile::exists(arquivo)) {
    TDebug::Linha("Falha ao descompactar? Arq. não encontrado " + arquivo);
    return true;
  }
  const QString crc = CrcArquivo(arquivo);
  if (crc.isEmpty()) return true;
  if (crc != zip.Fcrc) {
    TDebug::Linha("CRC não bate: " + arquivo + " - Lista: " + zip.Fcrc + " - Arq: " + crc);
    return true;
  }
  return false;
}

bool TClassAtualizacao::ZipsBaixados() {
  ApagaArquivosNaoUsados();
  bool tudo = true;
  const int total = FLista_Zips ? FLista_Zips->Count() : 0;
  for (int p = 0; p < total; ++p) {
    TClass_ZipInfo& z = (*FLista_Zips)[p];
    if (p % 100 == 0) {
      TituloAtualizacao("ConferindoArquivos", {QString::number(p + 1), QString::number(total)}, 2);
      PorcAtualizacao(Porcento(p + 1, total));
    }
    const QString arquivo = Pastas::Zips() + z.Farquivo;
    const QFileInfo fi(arquivo);
    if (!NomeSeguro(z.Farquivo)) {
      z.Fbaixar = true;
    } else if (fi.exists() && fi.size() > 0) {
      const QString crc = CrcArquivo(arquivo);
      if (crc.isEmpty()) {
        z.Fbaixar = true;
      } else if (crc != z.Fcrc) {
        QFile::remove(arquivo);
        z.Fbaixar = ConfereZip(z);
      }
    } else if (fi.exists()) {
      z.Fbaixar = true;
    } else {
      z.Fbaixar = ConfereZip(z);
    }
    if (z.Fbaixar) tudo = false;
  }
  return tudo;
}

bool TClassAtualizacao::TemAtualizacao() {
  CarregarListasNew();
  const bool tabelas = TabelasAtualizadas();
  const bool zips = ZipsBaixados();
  return !(tabelas && zips);
}

bool TClassAtualizacao::BaixarEUnzip(QString& _ErroTabelas) {
  for (TClassArquivosPorTabela& t : *FLista)
    for (TClassFileCRC& f : t.FListaFiles) {
      if (!f.FAtualizar) continue;
      const QString zip = f.ZipName();
      if (!NomeSeguro(zip)) {
        f.FErro = true;
      } else {
        QFile::remove(Pastas::Files() + zip);
        if (!Baixa(FRaiz, Pastas::Files(), zip))
          TDebug::Linha("BaixarEUnzip - DownloadFile - FPathServidor: " + FRaiz + " - FPathFiles: " +
                        Pastas::Files() + " - FileNameZip: " + zip + " Error: falha no download");
        if (!QFile::exists(Pastas::Files() + zip)) {
          f.FErro = true;
        } else {
          try {
            QFile::remove(FPathUnzip + f.SqlName());
            ExtraiZip(Pastas::Files() + zip, FPathUnzip, false);
            if (!QFile::exists(FPathUnzip + f.SqlName()))
              throw std::runtime_error(("arquivo não encontrado no zip: " + f.SqlName()).toStdString());
            f.FErro = false;
          } catch (const std::exception& e) {
            TDebug::Linha("BaixarEUnzip - Unzip - _FolderZip: " + Pastas::Files() + " - _FolderSql: " + FPathUnzip +
                          " - _File: " + zip + " Error: " + Msg(e));
            f.FErro = true;
          }
        }
      }
      if (f.FErro) {
        _ErroTabelas = zip;
        TDebug::Linha("falha na atualização de tabelas");
        return false;
      }
    }
  return true;
}

void TClassAtualizacao::AplicaTabela(TClassArquivosPorTabela& t, int pos, int total, QString& erro) {
  TDebug::Linha("Verificando tabela: " + t.FNomeTabela);
  bool temErro = false, temAtualizacao = false;
  for (const TClassFileCRC& f : t.FListaFiles) {
    temErro |= f.FErro;
    temAtualizacao |= f.FAtualizar;
  }
  if (temErro) {
    erro += t.FNomeTabela + "\n";
    return;
  }
  if (!temAtualizacao) return;
  TDebug::Linha("Tabela tem atualização: " + t.FNomeTabela);
  // On any failure the table goes back to its state before the DELETE and none of
  // its files counts as inserted, so the next check fills it again.
  auto desfaz = [&] {
    FDm->Rollback();
    for (TClassFileCRC& f : t.FListaFiles) f.FInserido = false;
  };
  FDm->StartTransaction();
  const QString apaga = "DELETE FROM " + SqlIdentificador(t.FNomeTabela);
  TDebug::Linha("Apagando dados da tabela: " + t.FNomeTabela + " - " + apaga);
  // The table's indexes are dropped for the refill and built again before the
  // commit, inside the same transaction: building an index once is far cheaper
  // than keeping it up to date row by row, and a rollback restores them with the rows.
  QStringList indices;
  try {
    FDm->Exec(apaga);
    TQueryRef q = FDm->Search(
        "SELECT name, sql FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL AND tbl_name = ? COLLATE NOCASE",
        {t.FNomeTabela});
    for (q->First(); !q->Eof(); q->Next()) {
      indices << q->Field(1).AsString();
      FDm->Exec("DROP INDEX " + SqlIdentificador(q->Field(0).AsString()));
    }
  } catch (const std::exception& e) {
    TDebug::Linha("Falha na tabela: " + t.FNomeTabela + " - " + Msg(e));
    erro += t.FNomeTabela + "\n";
    desfaz();
    return;
  }
  const int nf = t.FListaFiles.Count();
  for (int fi = 0; fi < nf; ++fi) {
    TClassFileCRC& f = t.FListaFiles[fi];
    TDebug::Linha("vArquivo.Inserido: " + f.SqlName());
    f.FInserido = true;
    QFile arq(FPathUnzip + f.SqlName());
    if (!arq.open(QIODevice::ReadOnly)) {
      desfaz();
      throw std::runtime_error(("Falha ao ler arquivo: \n" + f.SqlName()).toStdString());
    }
    // The maker's SQL files are Windows-1252 text.
    QStringList linhas = DecodeTextFile(arq.readAll()).split('\n');
    for (QString& l : linhas)
      if (l.endsWith('\r')) l.chop(1);
    if (!linhas.isEmpty() && linhas.last().isEmpty()) linhas.removeLast();
    TituloAtualizacao("InserindoTabela", {QString::number(pos), QString::number(total)}, 2);
    PorcAtualizacao(Porcento(pos, total));
    TituloDownload("InserindoArquivo", {QString::number(fi + 1), QString::number(nf)}, 2);
    const QStringList lotes = LotesSql(linhas);
    qsizetype linha = 0;
    for (qsizetype b = 0; b < lotes.size(); ++b) {
      linha = b == 0 ? 0 : std::min<qsizetype>(b * 100, linhas.size() - 1);
      try {
        if (!lotes[b].trimmed().isEmpty()) FDm->Exec(lotes[b]);
      } catch (const std::exception& e) {
        TDebug::Linha("Falha no arquivo: " + f.FFileName + " - " + Msg(e));
        erro += f.FFileName + "\n";
        QFile::remove(Pastas::Files() + f.ZipName());
        f.FInserido = false;
        FDm->Rollback();
        return;
      }
      PorcDownload(Porcento(linha, linhas.size()));
    }
    PorcDownload(100);
  }
  try {
    for (const QString& i : indices) FDm->Exec(i);
  } catch (const std::exception& e) {
    TDebug::Linha("Falha na tabela: " + t.FNomeTabela + " - " + Msg(e));
    erro += t.FNomeTabela + "\n";
    desfaz();
    return;
  }
  FDm->Commit();
}

void TClassAtualizacao::SalvaListas() {
  const QString atual = Pastas::Files() + nomes::kListaFileCrcAtual;
  TDebug::Linha("Verificando se lista atual existe");
  if (QFile::exists(atual)) TDebug::Linha("lista atual existe - apagar");
  TDebug::Linha("destruindo FLista_Atual");
  FLista_Atual.reset();
  TDebug::Linha("FLista_Atual apagada");
  // The new list replaces the old one in a single rename: a crash leaves one of them.
  TDebug::Linha("lista atual existe - apagada");
  TDebug::Linha("salvando lista nova");
  FLista->SalvaArquivo(atual);
  TDebug::Linha("lista nova salva");
  TDebug::Linha("lendo lista nova");
  FLista_Atual = TListaArquivosPorTabela::LerArquivo(atual);
  TDebug::Linha("lista nova lida");
}

bool TClassAtualizacao::AtualizaTabelas(QString& _ErroTabelas) {
  _ErroTabelas.clear();
  if (!FLista || !FDm) return false;
  if (!BaixarEUnzip(_ErroTabelas)) return false;
  QString erro;
  std::exception_ptr escapou;
  try {
    const int total = FLista->Count();
    for (int t = 0; t < total; ++t) AplicaTabela((*FLista)[t], t + 1, total, erro);
  } catch (...) {
    escapou = std::current_exception();
  }
  if (!erro.isEmpty()) {
    TDebug::Linha(erro);
    _ErroTabelas = erro;
  }
  SalvaListas();
  if (escapou) std::rethrow_exception(escapou);
  AtualizaImagensLocalizacao();
  AtualizaImagensAdaptadores();
  TDebug::Linha("resultado ok atualização de tabelas");
  return true;
}

bool TClassAtualizacao::BaixarZips() {
  const int total = FLista_Zips ? FLista_Zips->Count() : 0;
  for (int p = 0; p < total; ++p) {
    TClass_ZipInfo& z = (*FLista_Zips)[p];
    if ((p + 1) % 10 == 0) {
      TituloAtualizacao("BaixandoArquivoFLX", {QString::number(p + 1), QString::number(total)}, 2);
      PorcAtualizacao(Porcento(p + 1, total));
    }
    if (!z.Fbaixar) continue;
    const QString nomeZip = z.ZipName();
    if (!NomeSeguro(z.Farquivo) || !NomeSeguro(nomeZip)) {
      z.FErro = true;
    } else {
      QFile::remove(Pastas::Zips() + nomeZip);
      const bool ok = Baixa(FRaiz + "zips/", Pastas::Zips(), nomeZip);
      if (!ok || !QFile::exists(Pastas::Zips() + nomeZip)) {
        z.FErro = true;
      } else {
        try {
          ExtraiZip(Pastas::Zips() + nomeZip, Pastas::Zips(), false);
        } catch (const std::exception& e) {
          TDebug::Linha("Falha ao descompactar: " + Pastas::Zips() + nomeZip + " " + Msg(e));
          z.FErro = true;
        }
      }
    }
    if (z.FErro) return false;
    z.Fbaixar = false;
  }
  return true;
}

void TClassAtualizacao::AtualizaImagens(const QString& sql, const QString& pastaServidor, const QString& pastaLocal,
                                        const QStringList& extras, const QString& prefixo, const QString& sufixo,
                                        const QString& rotuloErro) {
  TituloDownload(QString());
  PorcDownload(0);
  QDir().mkpath(pastaLocal);
  QStringList nomesImagens;
  try {
    TQueryRef q = FDm->Search(sql);
    for (q->First(); !q->Eof(); q->Next()) {
      const QString v = q->Field(0).AsString();
      if (v.isEmpty() || v == "+" || v == "--") continue;
      nomesImagens << prefixo + v + sufixo;
    }
  } catch (const std::exception& e) {
    TDebug::Linha(rotuloErro + Msg(e));
  }
  nomesImagens << extras;
  const int total = static_cast<int>(nomesImagens.size());
  for (int i = 0; i < total; ++i) {
    const QString& nome = nomesImagens[i];
    try {
      if (!NomeSeguro(nome)) throw std::runtime_error(("nome de imagem inválido: " + nome).toStdString());
      const QFileInfo local(pastaLocal + nome);
      const bool igual = local.exists() && local.size() > 0 && FPHttp &&
                         FPHttp->GetFileSize(pastaServidor, nome) == local.size();
      if (!igual && FPHttp) {
        TituloDownload("BaixandoImagem", {nome}, 1);
        if (!FPHttp->GetFile(pastaServidor, pastaLocal, nome, QString()))
          throw std::runtime_error(("falha ao baixar " + nome).toStdString());
        TituloDownload(QString());
      }
    } catch (const std::exception& e) {
      TDebug::Linha(rotuloErro + Msg(e));
    }
    PorcAtualizacao(Porcento(i + 1, total));
  }
}

void TClassAtualizacao::AtualizaImagensLocalizacao() {
  TituloAtualizacao("VerificandoLocalizacoes", {}, -1);
  AtualizaImagens(
      "SELECT DISTINCT A.LOCAL_CONECT FROM ASSOCIACAO_MODELO_SISTEMA A  WHERE (1=1)     AND A.LOCAL_CONECT IS NOT "
      "NULL     AND A.LOCAL_CONECT <> '0'     AND A.LOCAL_CONECT <> '+'     AND A.LOCAL_CONECT <> '--' ",
      FRaiz + "localizacao/", Pastas::Localizacao(), {}, "LOC_GEN_", ".png", "Erro DownloadLocalizacao: ");
}

void TClassAtualizacao::AtualizaImagensAdaptadores() {
  TituloAtualizacao("VerificandoAdaptadores", {}, -1);
  AtualizaImagens("SELECT DISTINCT A.arquivo_adaptador_v3 FROM ADAPTADORES A WHERE A.arquivo_adaptador_v3 IS NOT NULL",
                  FRaiz + "adaptadores/", Pastas::Adaptadores(), {nomes::kAdaptadorPadrao}, "", "",
                  "Erro DownloadAdaptadores: ");
}

}  // namespace tovra
