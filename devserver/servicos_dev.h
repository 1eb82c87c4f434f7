#pragma once
// The stand-in services: portal, Brevanta core, method and sync roots, postal codes.
#include <string>
#include <vector>

#include "devserver/banco_dev.h"

namespace tovra::devserver {

struct TRespostaDev {
  int FStatus = 200;
  std::string FCorpo;
  std::string FTipo = "application/json";
};

// raiz: "portal", "core", "metodo", "sync" or "cep"; segs: the decoded path
// segments after the root (empty segments kept).
TRespostaDev AtendeServico(TDevBanco& banco, const std::string& raiz, const std::vector<std::string>& segs,
                           const std::string& metodo, const std::string& corpo);

// The password a registration gives a new account (the real service mails it).
inline constexpr const char* kSenhaNovaContaDev = "tovra123";

// Seeding used by TDevServer.
int CriaContaDev(TDevBanco& banco, const std::string& email, const std::string& senhaBase64,
                 const std::string& razaoSocial);
std::string Base64(const std::string& texto);

}  // namespace tovra::devserver
