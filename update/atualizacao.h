#pragma once
// The catalogue update: keeps the catalogue tables, the script packages and the
// pictures in step with the maker's file server, downloading only what changed and
// re-filling a changed table completely inside one transaction.
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "diagnosis/flx.h"
#include "update/filecrc.h"

namespace tovra {

class TClassHttpLib;
class TDmTovra;

// Caption handler: a dictionary key, its arguments and their count (-1: show the
// text unchanged). An empty key clears the line.
using TEventoTitulo = std::function<void(const QString& chave, const QStringList& args, int quantidade)>;
using TEventoPorcentagem = std::function<void(int porcentagem)>;

class TClassAtualizacao {
 public:
  // Creates the unzip folder and loads the CRC lists. Without a download object
  // (offline) nothing can be fetched. raizServidor is the catalogue file root
  // (ending in "files/" or "homolog/").
  TClassAtualizacao(TClassHttpLib* _PHttp, TDmTovra* dm, const QString& raizServidor);
  ~TClassAtualizacao();

  void CarregarListasNew();
  void CarregaListasAtuais();
  // The quick check: true when the server has news.
  bool TemArquivoNovo();
  bool TabelasAtualizadas();
  bool ZipsBaixados();
  bool TemAtualizacao();
  // False when a table file failed to download; _ErroTabelas gets the failing names.
  bool AtualizaTabelas(QString& _ErroTabelas);
  bool BaixarZips();

  // The steps, public for the screens and the tests.
  bool ConferirArquivos();
  void ApagaArquivosNaoUsados();
  bool ConfereZip(TClass_ZipInfo& zip);
  void AtualizaImagensLocalizacao();
  void AtualizaImagensAdaptadores();

  TLista_ZipInfo* ListaZips() const { return FLista_Zips.get(); }
  TLista_ZipInfo* ListaFirmware() const { return FLista_Firmware.get(); }
  TListaArquivosPorTabela* Lista() const { return FLista.get(); }
  TListaArquivosPorTabela* ListaAtual() const { return FLista_Atual.get(); }
  QString PathUnzip() const { return FPathUnzip; }

  TEventoPorcentagem Event_PorcAtualizacao;
  TEventoPorcentagem Event_PorcDownload;
  TEventoTitulo Event_TituloAtualizacao;
  TEventoTitulo Event_TituloDownload;

 private:
  bool Baixa(const QString& raiz, const QString& pasta, const QString& nome);
  void TituloAtualizacao(const QString& chave, const QStringList& args = {}, int n = -1);
  void TituloDownload(const QString& chave, const QStringList& args = {}, int n = -1);
  void PorcAtualizacao(int p);
  void PorcDownload(int p);
  bool BaixarEUnzip(QString& _ErroTabelas);
  void AplicaTabela(TClassArquivosPorTabela& tabela, int t, int total, QString& erro);
  void SalvaListas();
  qint64 ContaLinhas(const QString& tabela);
  void AtualizaImagens(const QString& sql, const QString& pastaServidor, const QString& pastaLocal,
                       const QStringList& extras, const QString& prefixo, const QString& sufixo,
                       const QString& rotuloErro);

  QString FPathUnzip;
  TClassHttpLib* FPHttp = nullptr;
  TDmTovra* FDm = nullptr;
  QString FRaiz;
  std::unique_ptr<TListaArquivosPorTabela> FLista;
  std::unique_ptr<TListaArquivosPorTabela> FLista_Atual;
  std::unique_ptr<TLista_ZipInfo> FLista_Zips;
  std::unique_ptr<TLista_ZipInfo> FLista_Firmware;
};

// A table name as it enters assembled SQL: double-quoted, inner quotes doubled.
QString SqlIdentificador(const QString& nome);

// The SQL file's batches: line 0 alone, then every 100 lines, then the rest; lines
// are joined with nothing between them.
QStringList LotesSql(const QStringList& linhas);

}  // namespace tovra
