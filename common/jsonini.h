#pragma once
// The local settings store: a two-level table (category, key) of text values,
// kept in base folder + "conf_locais.jsn". Category and key names are upper-cased;
// booleans are "TRUE"/"FALSE"; an empty stored value reads as the caller's default;
// every backslash of a value is doubled in the store and halved on reading.
#include <QString>
#include <cstdint>
#include <memory>

#include "common/jsonobj.h"

namespace tovra {

// The categories and keys in use.
namespace conf {
inline constexpr const char* kEquipamento = "EQUIPAMENTO";
inline constexpr const char* kNrSerie = "NR_SERIE";
inline constexpr const char* kDeviceName = "DEVICE_NAME";
inline constexpr const char* kTipoConexao = "TIPO_CONEXAO";
inline constexpr const char* kPortaUsb = "PORTA_USB";
inline constexpr const char* kBrevanta = "BREVANTA";
inline constexpr const char* kOperador = "OPERADOR";
inline constexpr const char* kPw = "PW";
inline constexpr const char* kManterConectado = "MANTER_CONECTADO";
inline constexpr const char* kTutorialBrevanta = "TUTORIAL_BREVANTA";
inline constexpr const char* kMostrarDicasFalha = "MOSTRAR_DICAS_FALHA";
inline constexpr const char* kAtualizacao = "ATUALIZACAO";
inline constexpr const char* kCrcFlx = "CRC_FLX";
inline constexpr const char* kOkUpdate = "OK_UPDATE";
}  // namespace conf

struct TClass_Chave {
  QString FIdentificador;
  QString FValor;
  TOVRA_JSON_CAMPOS(TClass_Chave, TOVRA_CAMPO(FIdentificador), TOVRA_CAMPO(FValor))
};

class TListaChaves : public TObjectList<TClass_Chave> {
 public:
  bool ContainsIdentificador(const QString& identificador) const;
  // The first key whose identifier equals the given one exactly, or null.
  TClass_Chave* TryGetValue(const QString& identificador) const;
};

struct TClass_Categoria {
  QString FIdentificador;
  TListaChaves FChaves;
  TOVRA_JSON_CAMPOS(TClass_Categoria, TOVRA_CAMPO(FIdentificador), TOVRA_CAMPO(FChaves))
};

class TClass_JsonIni : public TObjectList<TClass_Categoria> {
 public:
  void AddString(const QString& categoria, const QString& chave, const QString& valor);
  void AddInteger(const QString& categoria, const QString& chave, long long valor);
  void AddBoolean(const QString& categoria, const QString& chave, bool valor);

  QString ReadString(const QString& categoria, const QString& chave, const QString& padrao) const;
  bool ReadBoolean(const QString& categoria, const QString& chave, bool padrao) const;
  // A stored text that is not an integer raises std::invalid_argument.
  long long ReadInteger(const QString& categoria, const QString& chave, long long padrao) const;
  uint64_t ReadUInt64(const QString& categoria, const QString& chave, uint64_t padrao) const;

  bool ContainsIdentificador(const QString& identificador) const;
  TClass_Categoria* TryGetValue(const QString& identificador) const;

  Json ToJson() const;
  // A new store from the file; nothing when the file is missing or holds no JSON object.
  static std::unique_ptr<TClass_JsonIni> LoadFromFile(const QString& arquivo);
  // Writes the whole store (owner-only permissions; the old file is replaced atomically).
  void SaveToFile(const QString& arquivo);

 private:
  const TClass_Chave* Busca(const QString& categoria, const QString& chave) const;
};

// Process-wide settings: one store per run. While none is loaded the writers do
// nothing and the readers answer the default.
TClass_JsonIni* ConfLocal();
void DefineConfLocal(std::unique_ptr<TClass_JsonIni> store);
// Start-up loading of base + "conf_locais.jsn": a file that yields nothing is deleted
// and an empty store starts; an exception deletes the file, is logged with the dump
// label "ConfLocaisErro", and leaves no store loaded.
void CarregaConfLocal();
void EscreveConfString(const QString& categoria, const QString& chave, const QString& valor);
void EscreveConfInteger(const QString& categoria, const QString& chave, long long valor);
void EscreveConfBoolean(const QString& categoria, const QString& chave, bool valor);
QString LeConfString(const QString& categoria, const QString& chave, const QString& padrao = QString());
long long LeConfInteger(const QString& categoria, const QString& chave, long long padrao);
bool LeConfBoolean(const QString& categoria, const QString& chave, bool padrao);
// Saves the store to base + "conf_locais.jsn" (nothing while none is loaded).
void SalvaConfLocal();

}  // namespace tovra
