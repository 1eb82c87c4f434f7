#pragma once
// The service calls: each builds a path below one of the four service roots,
// calls one operation of the REST client and returns a plain result. None shows
// or asks anything, none retries, none raises for a network failure.
//
// Every path value is percent-encoded as one segment ("/" gives %2F, "+" gives
// %2B), so a password's Base64 or a search text can never add a path segment.
#include <QDate>
#include <QString>
#include <memory>

#include "online/brevanta_registros.h"

namespace tovra {

// Portal core root (plain values).
class TServicosPortal {
 public:
  // True when the reply is exactly "true".
  static bool LogHabilitado(long long nrSerie);
  // The reply text; empty on error.
  static QString VersaoHost();
};

// Brevanta core root (bare JSON, no envelope).
class TServicosBrevantaCore {
 public:
  static bool GravaLogAcesso(int empresaId, long long nrSerie, long long sistemaId);
  static bool AceitarTermo(int empresaId, const QString& termo);
  static bool RecusarTermo(int empresaId, const QString& termo);
  // _Falhou is true when the reply was "ERRO" or not a boolean.
  static bool ExisteRegistroTermo(int empresaId, const QString& termo, bool& _Falhou);
  static bool TermoAceito(int empresaId, const QString& termo);
  // The solution's new like count; 0 on failure.
  static int AddLike(int empresaId, int falhaId, int solucaoId);
  static int RemoveLike(int empresaId, int falhaId, int solucaoId);
  // Null when the reply is empty, "ERRO" or unreadable; elements that cannot be
  // read are skipped.
  static std::unique_ptr<TListaFalhasComQtdSolucoes> QtdSolucoes(int empresaId, const TListaFalhasObj& falhas);
  static std::unique_ptr<TListaSolucoesComEmpresa> ListaSolucoes(int empresaId, int falhaId);
  // Null when the reply is empty or unreadable (logged).
  static std::unique_ptr<TClassSolucaoObj> PostNovaSolucao(const TClassEditorSolucaoParaFalhaViewModel& editor,
                                                           int falhaId);
};

// Brevanta method root (result envelope). The record getters answer null for
// "ERRO" (and, where said, for "VAZIO"); a reply that cannot be read as the record
// raises std::exception (the account controller shows it).
class TServicosBrevanta {
 public:
  static bool ServidorOnline();
  static bool ClienteCadastrado(const QString& email);
  static bool CadastrarCliente(const QString& email);
  static bool LoginCliente(const QString& email, const QString& senhaBase64);
  static bool LoginAtivo(const QString& email);
  static bool AtivarLogin(const QString& email);
  static bool GetPassUsuario(const QString& email);

  static std::unique_ptr<TClassBrevantaEmpresa> GetEmpresa(const QString& email);
  // "OK" or the reply text (an error text when no reply arrived).
  static QString PostEmpresa(const TClassBrevantaEmpresa& empresa);
  static std::unique_ptr<TClassBrevantaUsuario> GetUsuario(const QString& email);
  static QString PostUsuario(const TClassBrevantaUsuario& usuario);
  // An empty list for "VAZIO".
  static std::unique_ptr<TListaBrevantaScanners> GetScanners(int empresaId);
  // "OK", or the reply text ({"result":["OUTRA_EMPRESA"]} for another company's device).
  static QString PutScanner(const TClassBrevantaScanner& scanner);
  // The e-mail of the account owning the device; empty when none. Raises
  // std::runtime_error("Falha") for a non-empty answer without an at sign.
  static QString GetEmailPorNrSerie(long long nrSerie);

  // An empty report for "VAZIO".
  static std::unique_ptr<TClassBrevantaRelatorio> GetRelatorio(const QString& id);
  // Empty lists for "VAZIO".
  static std::unique_ptr<TClassBrevantaListaRelatorios> GetListaRelatoriosPorData(int empresaId, const QDate& primeiro,
                                                                                 const QDate& ultimo);
  // campo: "VEICULO", "PLACA" or "CLIENTE".
  static std::unique_ptr<TClassBrevantaListaRelatorios> GetListaRelatorios(int empresaId, const QString& texto,
                                                                          const QString& campo);
  static std::unique_ptr<TClassBrevantaListaRelatorios> GetUltimosRelatorios(int empresaId);
  static QString PutRelatorio(const TClassBrevantaRelatorio& relatorio);
  static QString PutRelatorioPorEmail(const TClassBrevantaRelatorio& relatorio);
  // The mapped reply ("OK" on success).
  static QString RelatorioPorEmail(const QString& id, const QString& email);
};

// Brevanta sync root (result envelope).
class TServicosSincronismo {
 public:
  static bool ServidorSincronismoOnline();
  static bool SincronizaNrSerie(long long nrSerie, int empresaId);
  static bool SincronizaTelefones(int empresaId);
};

// The public postal-code service: root + eight digits + "/json/".
class TClassWSCEP {
 public:
  QString FLogradouro;
  QString FBairro;
  QString FCEP;
  QString FCidade;
  QString FEstado;

  // Fills the fields from the service; false with the user's message in _Erro
  // ("CEP em branco. Verifique!", "CEP inválido, não possui 8 dígitos.",
  // "CEP não encontrado.", "Falha ao consultar CEP." + line break + the error).
  bool Consulta(const QString& cep, QString& _Erro);

  // Time-outs of the lookup (3000 ms each by default).
  static void DefineTimeouts(int conexaoMs, int leituraMs);
};

}  // namespace tovra
