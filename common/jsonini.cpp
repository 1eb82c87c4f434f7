#include "common/jsonini.h"

#include <QFile>
#include <stdexcept>

#include "common/debug.h"
#include "common/pastas.h"

namespace tovra {

bool TListaChaves::ContainsIdentificador(const QString& identificador) const {
  return TryGetValue(identificador) != nullptr;
}

TClass_Chave* TListaChaves::TryGetValue(const QString& identificador) const {
  for (const auto& c : Raw())
    if (c->FIdentificador == identificador) return c.get();
  return nullptr;
}

bool TClass_JsonIni::ContainsIdentificador(const QString& identificador) const {
  return TryGetValue(identificador) != nullptr;
}

TClass_Categoria* TClass_JsonIni::TryGetValue(const QString& identificador) const {
  for (const auto& c : Raw())
    if (c->FIdentificador == identificador) return c.get();
  return nullptr;
}

void TClass_JsonIni::AddString(const QString& categoria, const QString& chave, const QString& valor) {
  if (categoria.isEmpty() || chave.isEmpty()) return;
  const QString cat = categoria.toUpper();
  const QString key = chave.toUpper();
  QString guardado = valor;
  guardado.replace("\\", "\\\\");
  TClass_Categoria* c = TryGetValue(cat);
  if (!c) {
    auto nova = std::make_unique<TClass_Categoria>();
    nova->FIdentificador = cat;
    c = &Add(std::move(nova));
  }
  if (TClass_Chave* k = c->FChaves.TryGetValue(key)) {
    k->FValor = guardado;
  } else {
    c->FChaves.Add(TClass_Chave{key, guardado});
  }
}

void TClass_JsonIni::AddInteger(const QString& categoria, const QString& chave, long long valor) {
  AddString(categoria, chave, QString::number(valor));
}

void TClass_JsonIni::AddBoolean(const QString& categoria, const QString& chave, bool valor) {
  AddString(categoria, chave, valor ? "TRUE" : "FALSE");
}

const TClass_Chave* TClass_JsonIni::Busca(const QString& categoria, const QString& chave) const {
  if (categoria.isEmpty() || chave.isEmpty()) return nullptr;
  const TClass_Categoria* c = TryGetValue(categoria.toUpper());
  if (!c) return nullptr;
  return c->FChaves.TryGetValue(chave.toUpper());
}

QString TClass_JsonIni::ReadString(const QString& categoria, const QString& chave, const QString& padrao) const {
  const TClass_Chave* k = Busca(categoria, chave);
  if (!k || k->FValor.isEmpty()) return padrao;
  QString v = k->FValor;
  v.replace("\\\\", "\\");
  return v;
}

bool TClass_JsonIni::ReadBoolean(const QString& categoria, const QString& chave, bool padrao) const {
  const QString v = ReadString(categoria, chave, QString());
  if (v.isEmpty()) return padrao;
  return v == "TRUE";
}

long long TClass_JsonIni::ReadInteger(const QString& categoria, const QString& chave, long long padrao) const {
  const QString v = ReadString(categoria, chave, QString());
  if (v.isEmpty()) return padrao;
  bool ok = false;
  long long n = v.trimmed().toLongLong(&ok);
  if (!ok) throw std::invalid_argument(("'" + v + "' não é um valor inteiro válido").toStdString());
  return n;
}

uint64_t TClass_JsonIni::ReadUInt64(const QString& categoria, const QString& chave, uint64_t padrao) const {
  const QString v = ReadString(categoria, chave, QString());
  if (v.isEmpty()) return padrao;
  bool ok = false;
  uint64_t n = v.trimmed().toULongLong(&ok);
  return ok ? n : padrao;
}

Json TClass_JsonIni::ToJson() const { return ListaParaJson<TClass_Categoria>(*this); }

std::unique_ptr<TClass_JsonIni> TClass_JsonIni::LoadFromFile(const QString& arquivo) {
  if (!QFile::exists(arquivo)) return nullptr;
  std::optional<Json> j = TJsonLib::LoadFileToJson(arquivo);
  if (!j) return nullptr;
  auto store = std::make_unique<TClass_JsonIni>();
  ListaDeJson<TClass_Categoria>(*j, *store);
  return store;
}

void TClass_JsonIni::SaveToFile(const QString& arquivo) {
  TrimExcess();
  for (auto& c : *this) c.FChaves.TrimExcess();
  TJsonLib::SaveJsonToFile(ToJson(), arquivo, /*privado=*/true);
}

namespace {
std::unique_ptr<TClass_JsonIni>& Store() {
  static std::unique_ptr<TClass_JsonIni> s;
  return s;
}
}  // namespace

TClass_JsonIni* ConfLocal() { return Store().get(); }
void DefineConfLocal(std::unique_ptr<TClass_JsonIni> store) { Store() = std::move(store); }

void CarregaConfLocal() {
  const QString arquivo = Pastas::ConfLocais();
  try {
    if (QFile::exists(arquivo)) {
      auto s = TClass_JsonIni::LoadFromFile(arquivo);
      if (!s) {
        QFile::remove(arquivo);
        s = std::make_unique<TClass_JsonIni>();
      }
      Store() = std::move(s);
    } else if (!Store()) {
      Store() = std::make_unique<TClass_JsonIni>();
    }
  } catch (const std::exception& e) {
    QFile::remove(arquivo);
    TDebug::Erro(QString::fromUtf8(e.what()), "ConfLocaisErro");
  }
}

void EscreveConfString(const QString& categoria, const QString& chave, const QString& valor) {
  if (auto* s = ConfLocal()) s->AddString(categoria, chave, valor);
}
void EscreveConfInteger(const QString& categoria, const QString& chave, long long valor) {
  if (auto* s = ConfLocal()) s->AddInteger(categoria, chave, valor);
}
void EscreveConfBoolean(const QString& categoria, const QString& chave, bool valor) {
  if (auto* s = ConfLocal()) s->AddBoolean(categoria, chave, valor);
}
QString LeConfString(const QString& categoria, const QString& chave, const QString& padrao) {
  auto* s = ConfLocal();
  return s ? s->ReadString(categoria, chave, padrao) : padrao;
}
long long LeConfInteger(const QString& categoria, const QString& chave, long long padrao) {
  auto* s = ConfLocal();
  return s ? s->ReadInteger(categoria, chave, padrao) : padrao;
}
bool LeConfBoolean(const QString& categoria, const QString& chave, bool padrao) {
  auto* s = ConfLocal();
  return s ? s->ReadBoolean(categoria, chave, padrao) : padrao;
}
void SalvaConfLocal() {
  if (auto* s = ConfLocal()) s->SaveToFile(Pastas::ConfLocais());
}

}  // namespace tovra
