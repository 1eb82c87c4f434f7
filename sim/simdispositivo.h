#pragma once
// The simulated device's own state beside the protocol engine of TClassSimVexlin:
// its file store, information block, the loaded vehicle-system script and what
// the simulated control unit does with it (faults, parameters, tests, streams).
//
// The script is the FLX file of the demo catalogue (format "tovra-flx-json",
// written by tools/monta_catalogo): loading it decides how the vehicle behaves.
#include <QByteArray>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <optional>

namespace tovra::sim {

struct TSimModeloScript {
  int modeloID = 0;
  int modeloFlx = 0;
  int modeloCF = 0;
  int adaptador = 0;
};

struct TSimFalhaScript {
  int grupoID = 0;
  int scannerID = 0;
  QString codHexa;  // "100", "4561": the code bytes in hex digits
  QString falhaPC;  // "P0100"
  bool presente = false;
  int status = 0;
};

struct TSimParamScript {
  int id = 0;
  int formato = 0;
  QByteArray valor;  // numeric formats: an IEEE single, least significant byte first; 0x6F: text + 00
};

struct TSimTesteScript {
  int id = 0;
  QList<int> parametros;
};

struct TSimScript {
  int sistemaID = 0;
  int versao = 1;
  QString nome, sigla;
  bool diesel = false;
  QList<TSimModeloScript> modelos;
  QList<TSimFalhaScript> falhas;
  QList<TSimParamScript> parametros;
  QList<TSimTesteScript> atuadores, ajustes;
  const TSimParamScript* Parametro(int id) const;
  bool TemModelo(int modeloFlx) const;
};

// Reads a script; nothing and erro set when it is not one.
std::optional<TSimScript> LeScript(const QByteArray& bytes, QString& erro);

struct TSimDispositivo {
  // file store: name as written -> bytes; names compare without regard to case
  QMap<QString, QByteArray> arquivos;
  const QByteArray* Arquivo(const QString& nome) const;
  void GravaArquivo(const QString& nome, const QByteArray& bytes);
  QStringList recentes;  // systems loaded, newest first (LSYSLOAD.INF)

  // upload in progress: the next bytes are the file's, not frames
  bool recebendo = false;
  QString nomeUpload;
  qint64 tamanhoUpload = 0;
  QByteArray upload;

  QByteArray relogio;  // six BCD bytes
  int diagnosticos = 0;

  // the vehicle
  std::optional<TSimScript> script;
  QString arquivoScript;
  QByteArray modelo;  // the two bytes programmed with 0x11; empty before
  bool comunicando = false;
  QSet<QString> apagadas;  // "system:code" of faults cleared: they stay cleared across loads
  QList<int> pids;  // configured live parameters
  bool continuo = false;
  qint64 proximoContinuo = 0;
  int passo = 0;
  int testeAtivo = 0;        // actuator or adjustment id running
  bool aguardaBotao = false; // an adjustment waits for the user's button (0x50)

  // frames due later: (ms, opcode + data)
  QList<QPair<qint64, QByteArray>> agendados;
};

}  // namespace tovra::sim
