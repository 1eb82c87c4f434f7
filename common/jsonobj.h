#pragma once
// The object JSON form: a record is a JSON object with one member per field, in
// field order, named by the field's name without its leading "F" and with the
// next letter in lower case ("FTableName" -> "tableName", "Fcrc" -> "crc"), unless
// the record names the member explicitly.
//
// A record declares its fields once and gets both directions:
//
//   struct TClass_Chave {
//     QString FIdentificador;
//     QString FValor;
//     TOVRA_JSON_CAMPOS(TClass_Chave, TOVRA_CAMPO(FIdentificador), TOVRA_CAMPO(FValor))
//   };
//   Json j = ParaJson(chave);  DeJson(j, chave);
//
// Texts are strings, numbers numbers, booleans booleans, enumerations the name of
// their value (declared with TOVRA_ENUM_NOMES), QDateTime an ISO 8601 text in UTC,
// std::vector an array, TObjectList the owning-list form, a nested record a nested
// object, std::unique_ptr<record> a nested object or null.
#include <QDateTime>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <vector>

#include "common/objectlist.h"
#include "common/texto.h"

namespace tovra {

using Json = nlohmann::ordered_json;

// The member name of a field: its name without the leading "F", first letter lower-cased.
std::string JsonNomeMembro(std::string_view nomeCampo);

template <class C, class M>
struct JsonCampo {
  std::string membro;
  M C::*ptr;
};

template <class C, class M>
JsonCampo<C, M> CampoJson(const char* nomeCampo, M C::*p) {
  return {JsonNomeMembro(nomeCampo), p};
}
template <class C, class M>
JsonCampo<C, M> CampoJsonNomeado(const char* membro, M C::*p) {
  return {membro, p};
}

// Inside TOVRA_JSON_CAMPOS: a field named by the rule, or with an explicit member name.
#define TOVRA_CAMPO(Campo_) ::tovra::CampoJson(#Campo_, &Self_::Campo_)
#define TOVRA_CAMPO_NOMEADO(Membro_, Campo_) ::tovra::CampoJsonNomeado(Membro_, &Self_::Campo_)
#define TOVRA_JSON_CAMPOS(Classe_, ...)                        \
  static const auto& CamposJson() {                            \
    using Self_ = Classe_;                                     \
    static const auto campos = std::make_tuple(__VA_ARGS__);   \
    return campos;                                             \
  }

// Names of an enumeration's values, in value order: TOVRA_ENUM_NOMES(TTypeConexao, "tcUSB", "tcBluetooth")
template <class E>
struct EnumNomes;
#define TOVRA_ENUM_NOMES(Enum_, ...)                                                 \
  template <>                                                                        \
  struct tovra::EnumNomes<Enum_> {                                                   \
    static constexpr auto nomes = std::array{__VA_ARGS__};                           \
  };

template <class E>
QString EnumNome(E v) {
  const auto& n = EnumNomes<E>::nomes;
  auto i = static_cast<size_t>(v);
  return i < n.size() ? QString::fromLatin1(n[i]) : QString::number(static_cast<int>(v));
}
template <class E>
std::optional<E> EnumDeNome(const QString& nome) {
  const auto& n = EnumNomes<E>::nomes;
  for (size_t i = 0; i < n.size(); ++i)
    if (nome == QLatin1String(n[i])) return static_cast<E>(i);
  return std::nullopt;
}

template <class T>
concept JsonRegistro = requires { T::CamposJson(); };

namespace detalhe {
template <class T> struct EhVetor : std::false_type {};
template <class T, class A> struct EhVetor<std::vector<T, A>> : std::true_type {};
// TObjectList or a list class derived from it (TListaChaves, TLista_ZipInfo, ...).
template <class T>
concept ListaObjetos = requires { typename T::value_type; } &&
                       std::is_base_of_v<TObjectList<typename T::value_type>, T>;
template <class T> struct EhUnique : std::false_type {};
template <class T> struct EhUnique<std::unique_ptr<T>> : std::true_type {};
template <class T> struct EhOptional : std::false_type {};
template <class T> struct EhOptional<std::optional<T>> : std::true_type {};
template <class> inline constexpr bool kSempreFalso = false;

[[noreturn]] void ErroTipo(const char* esperado, const Json& j);
}  // namespace detalhe

QString DataParaIso(const QDateTime& d);   // "2026-12-11T10:20:30.000Z"
QDateTime DataDeIso(const QString& texto); // invalid when the text is not ISO 8601

template <class T> Json ParaJson(const T& v);
template <class T> void DeJson(const Json& j, T& v);

template <class T>
Json ListaParaJson(const TObjectList<T>& lista) {
  Json o = Json::object();
  o["ownsObjects"] = true;
  o["listHelper"] = Json::array({lista.Count()});
  Json items = Json::array();
  for (const T& e : lista) items.push_back(ParaJson(e));
  o["items"] = std::move(items);
  return o;
}

// Reads an owning list: the count from "listHelper", the entries from "items".
template <class T>
void ListaDeJson(const Json& j, TObjectList<T>& lista) {
  lista.Clear();
  if (j.is_null()) return;
  if (!j.is_object()) detalhe::ErroTipo("lista", j);
  auto it = j.find("items");
  if (it == j.end() || it->is_null()) return;
  if (!it->is_array()) detalhe::ErroTipo("array", *it);
  size_t n = it->size();
  auto h = j.find("listHelper");
  if (h != j.end() && h->is_array() && !h->empty() && (*h)[0].is_number_integer()) {
    auto c = (*h)[0].get<long long>();
    n = c < 0 ? 0 : std::min(n, static_cast<size_t>(c));
  }
  for (size_t i = 0; i < n; ++i) {
    const Json& e = (*it)[i];
    if (e.is_null()) continue;
    auto p = std::make_unique<T>();
    DeJson(e, *p);
    lista.Add(std::move(p));
  }
}

template <class T>
Json ParaJson(const T& v) {
  if constexpr (std::is_same_v<T, QString>) {
    return v.toStdString();
  } else if constexpr (std::is_same_v<T, std::string>) {
    return v;
  } else if constexpr (std::is_same_v<T, bool>) {
    return v;
  } else if constexpr (std::is_enum_v<T>) {
    return EnumNome(v).toStdString();
  } else if constexpr (std::is_arithmetic_v<T>) {
    return v;
  } else if constexpr (std::is_same_v<T, QDateTime>) {
    return DataParaIso(v).toStdString();
  } else if constexpr (detalhe::ListaObjetos<T>) {
    return ListaParaJson(v);
  } else if constexpr (detalhe::EhVetor<T>::value) {
    Json a = Json::array();
    for (const auto& e : v) a.push_back(ParaJson(e));
    return a;
  } else if constexpr (detalhe::EhUnique<T>::value || detalhe::EhOptional<T>::value) {
    return v ? ParaJson(*v) : Json(nullptr);
  } else if constexpr (JsonRegistro<T>) {
    Json o = Json::object();
    std::apply([&](const auto&... c) { ((o[c.membro] = ParaJson(v.*(c.ptr))), ...); }, T::CamposJson());
    return o;
  } else {
    static_assert(detalhe::kSempreFalso<T>, "tipo sem forma JSON");
  }
}

template <class T>
void DeJson(const Json& j, T& v) {
  if constexpr (std::is_same_v<T, QString> || std::is_same_v<T, std::string>) {
    std::string s;
    if (j.is_string()) s = j.get<std::string>();
    else if (j.is_null()) s.clear();
    else if (j.is_number() || j.is_boolean()) s = j.dump();
    else detalhe::ErroTipo("texto", j);
    if constexpr (std::is_same_v<T, QString>) v = QString::fromStdString(s);
    else v = std::move(s);
  } else if constexpr (std::is_same_v<T, bool>) {
    if (j.is_boolean()) v = j.get<bool>();
    else if (j.is_string()) v = QString::fromStdString(j.get<std::string>()).compare("true", Qt::CaseInsensitive) == 0;
    else if (j.is_number()) v = j.get<double>() != 0;
    else if (!j.is_null()) detalhe::ErroTipo("booleano", j);
  } else if constexpr (std::is_enum_v<T>) {
    if (j.is_string()) {
      auto e = EnumDeNome<T>(QString::fromStdString(j.get<std::string>()));
      if (!e) detalhe::ErroTipo("nome de enumeração", j);
      v = *e;
    } else if (j.is_number_integer()) {
      v = static_cast<T>(j.get<int>());
    } else if (!j.is_null()) {
      detalhe::ErroTipo("enumeração", j);
    }
  } else if constexpr (std::is_arithmetic_v<T>) {
    if (j.is_number()) v = j.get<T>();
    else if (j.is_string()) {
      bool ok = false;
      QString s = QString::fromStdString(j.get<std::string>()).trimmed();
      if constexpr (std::is_floating_point_v<T>) v = static_cast<T>(s.toDouble(&ok));
      else if constexpr (std::is_unsigned_v<T>) v = static_cast<T>(s.toULongLong(&ok));
      else v = static_cast<T>(s.toLongLong(&ok));
      if (!ok) detalhe::ErroTipo("número", j);
    } else if (!j.is_null()) {
      detalhe::ErroTipo("número", j);
    }
  } else if constexpr (std::is_same_v<T, QDateTime>) {
    if (j.is_string()) v = DataDeIso(QString::fromStdString(j.get<std::string>()));
    else if (!j.is_null()) detalhe::ErroTipo("data", j);
  } else if constexpr (detalhe::ListaObjetos<T>) {
    ListaDeJson(j, v);
  } else if constexpr (detalhe::EhVetor<T>::value) {
    v.clear();
    if (j.is_null()) return;
    if (!j.is_array()) detalhe::ErroTipo("array", j);
    for (const auto& e : j) {
      typename T::value_type x{};
      DeJson(e, x);
      v.push_back(std::move(x));
    }
  } else if constexpr (detalhe::EhUnique<T>::value) {
    if (j.is_null()) { v.reset(); return; }
    v = std::make_unique<typename T::element_type>();
    DeJson(j, *v);
  } else if constexpr (detalhe::EhOptional<T>::value) {
    if (j.is_null()) { v.reset(); return; }
    typename T::value_type x{};
    DeJson(j, x);
    v = std::move(x);
  } else if constexpr (JsonRegistro<T>) {
    if (j.is_null()) return;
    if (!j.is_object()) detalhe::ErroTipo("objeto", j);
    std::apply(
        [&](const auto&... c) {
          (
              [&] {
                auto it = j.find(c.membro);
                if (it != j.end()) DeJson(*it, v.*(c.ptr));
              }(),
              ...);
        },
        T::CamposJson());
  } else {
    static_assert(detalhe::kSempreFalso<T>, "tipo sem forma JSON");
  }
}

template <class T>
T ObjDeJson(const Json& j) {
  T v{};
  DeJson(j, v);
  return v;
}

// Helpers for the program's JSON files.
class TJsonLib {
 public:
  // The file's JSON object; nothing when its text is not a JSON object.
  // A missing file raises "Arquivo não encotrado: " + CR + name.
  static std::optional<Json> LoadFileToJson(const QString& arquivo);
  // Writes the compact JSON text. The old file is replaced only once the new one is
  // complete on disk (temporary file, flush, rename), so a crash leaves one or the
  // other. With privado the file is readable and writable by its owner only.
  static void SaveJsonToFile(const Json& json, const QString& arquivo, bool privado = false);

  template <class T>
  static QString ConvertObjToJsonStr(const T& obj) {
    return QString::fromStdString(ParaJson(obj).dump());
  }

  // In every text field: ":" -> "%3A", "/" -> "%2F", " " -> "%20", "." -> "%2E", "\" -> "%5C".
  static QString TrocaCharEspec(const QString& s);
  template <class T>
  static void TrocaCharEspecToJson(T& obj) {
    std::apply(
        [&](const auto&... c) {
          (
              [&] {
                using M = std::remove_cvref_t<decltype(obj.*(c.ptr))>;
                if constexpr (std::is_same_v<M, QString>) obj.*(c.ptr) = TrocaCharEspec(obj.*(c.ptr));
              }(),
              ...);
        },
        T::CamposJson());
  }
};

// Writes bytes to a file atomically (temporary file in the same folder, flushed,
// then renamed over the old one). Raises std::runtime_error on failure; the old
// file is then untouched.
void GravaArquivoAtomico(const QString& arquivo, const QByteArray& conteudo, bool privado = false);

// Test seam: called after the temporary file is complete and before the rename.
// A hook that throws leaves the old file in place.
void DefineGanchoAntesRenomear(std::function<void(const QString&)> gancho);

}  // namespace tovra
