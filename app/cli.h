#pragma once
// tovra-cli subcommands. Each cli_*.cpp registers its own with a static
// TCliRegistro, so adding a command touches no other file:
//
//   static tovra::cli::TCliRegistro r{"ports", "lists the serial ports", &Ports};
#include <QString>
#include <QStringList>
#include <functional>
#include <map>

namespace tovra::cli {

// Arguments after the subcommand name. Options are "--name value" or "--flag".
class TArgs {
 public:
  explicit TArgs(QStringList args);
  QString Opcao(const QString& nome, const QString& padrao = QString()) const;
  bool TemOpcao(const QString& nome) const;
  const QStringList& Posicionais() const { return FPosicionais; }
  const QStringList& Todos() const { return FTodos; }

 private:
  QStringList FTodos, FPosicionais;
  std::map<QString, QString> FOpcoes;
};

using TCliComando = std::function<int(const TArgs&)>;

struct TCliRegistro {
  TCliRegistro(const char* nome, const char* ajuda, TCliComando comando);
};

// Output helpers (UTF-8 on standard output and standard error).
void Out(const QString& texto);
void Err(const QString& texto);

}  // namespace tovra::cli
