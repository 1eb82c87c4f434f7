#pragma once
// The debug log. While debug mode is off every operation does nothing.
//
// Two outputs record the same lines: an in-memory line list, written out as a
// dump file "YYMMDD_HHNNSSZZZ_<label>.dbg" at each dump and emptied then, and a
// live file "YYMMDD_HHNNSSZZZ.ndbg" flushed after every line, renamed at each dump
// to "YYMMDD_HHNNSSZZZ_<label>.ndbg" and replaced by a fresh one.
#include <QDateTime>
#include <QFile>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace tovra {

// "HH:NN:SS.ZZZ" of a local time, and "YYMMDD_HHNNSSZZZ" for file names.
QString DebugHora(const QDateTime& t);
QString DebugNomeArquivo(const QDateTime& t);

inline constexpr const char* kInfoCabecalho = "*************** INFOS ADICIONAIS";

// The live-file writer: one per run, created with the line list.
class TClassSystemDebug {
 public:
  explicit TClassSystemDebug(const QString& pastaLogs);  // opens a live file
  ~TClassSystemDebug();                                  // closes it without renaming
  TClassSystemDebug(const TClassSystemDebug&) = delete;
  TClassSystemDebug& operator=(const TClassSystemDebug&) = delete;

  void AddText(const QString& texto);  // one time-stamped line, flushed at once
  void AddInfo(const QString& texto);
  void LimpaInfo();
  void SaveDebug(const QString& label);  // closes, renames with the label, opens a new one

  QString FileName() const { return FFileName; }
  QString FilePath() const { return FFilePath; }
  const QStringList& Info() const { return FInfo; }

 private:
  void Abre();
  QString FFileName;
  QString FFilePath;
  std::unique_ptr<QFile> FArquivo;
  QStringList FInfo;
};

// The process-wide log.
class TDebug {
 public:
  // The debug flag, decided once at start-up.
  static void DefineAtivo(bool ativo);
  static bool Ativo();

  static void Linha(const QString& texto);     // write debug line
  static void AddInfo(const QString& texto);   // add debug info
  static void LimpaInfo();                     // clear debug info
  static void SalvaDump(const QString& label); // save debug dump
  // The calling convention for a handled failure: the message as a line, then a dump.
  static void Erro(const QString& mensagem, const QString& label);

  // Frees the live-file writer (it closes its file without renaming) and the lists.
  static void Finaliza();
  // Start-up with the flag off: every file in the logs folder is deleted.
  static void ApagaLogs();

  static QStringList Linhas();  // the line list as it stands (empty when none)
  static QStringList Info();
  static TClassSystemDebug* Writer();
};

}  // namespace tovra
