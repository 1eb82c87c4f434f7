#include "devserver/servicos_dev.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <algorithm>
#include <nlohmann/json.hpp>

namespace tovra::devserver {

namespace {

using Json = nlohmann::ordered_json;

// ---------------------------------------------------------------------------
// Small helpers

std::string Hoje() { return QDate::currentDate().toString("yyyy-MM-dd").toStdString(); }
std::string Agora() { return QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toStdString(); }

std::string Minusculas(const std::string& s) { return QString::fromStdString(s).toLower().toStdString(); }
bool Contem(const std::string& texto, const std::string& trecho) {
  return QString::fromStdString(texto).contains(QString::fromStdString(trecho), Qt::CaseInsensitive);
}
bool Igual(const std::string& a, const char* b) {
  return QString::fromStdString(a).compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

bool Inteiro(const std::string& s, long long& v) {
  if (s.empty()) return false;
  size_t i = s[0] == '-' ? 1 : 0;
  if (i == s.size()) return false;
  for (size_t k = i; k < s.size(); ++k)
    if (s[k] < '0' || s[k] > '9') return false;
  try {
    v = std::stoll(s);
  } catch (...) {
    return false;
  }
  return true;
}

long long JInt(const Json& j, const char* chave) {
  auto it = j.find(chave);
  if (it == j.end()) return 0;
  if (it->is_number()) return it->get<long long>();
  if (it->is_string()) {
    long long v = 0;
    return Inteiro(it->get<std::string>(), v) ? v : 0;
  }
  return 0;
}

std::string JTexto(const Json& j, const char* chave) {
  auto it = j.find(chave);
  if (it == j.end() || it->is_null()) return {};
  if (it->is_string()) return it->get<std::string>();
  return it->dump();
}

TRespostaDev Envelope(const Json& valor) {
  TRespostaDev r;
  r.FCorpo = Json{{"result", Json::array({valor})}}.dump();
  return r;
}
TRespostaDev Texto(const std::string& t, int status = 200) {
  TRespostaDev r;
  r.FStatus = status;
  r.FCorpo = t;
  r.FTipo = "text/plain; charset=utf-8";
  return r;
}
TRespostaDev JsonBruto(const Json& j, int status = 200) {
  TRespostaDev r;
  r.FStatus = status;
  r.FCorpo = j.dump();
  return r;
}
TRespostaDev Erro(int status = 400) { return Texto("ERRO", status); }

// An owning list in object JSON form.
Json Lista(const Json& itens) {
  Json o;
  o["ownsObjects"] = true;
  o["listHelper"] = Json::array({itens.size()});
  o["items"] = itens;
  return o;
}

// The items of an owning list, or of a bare array.
Json ItensDe(const Json& j) {
  if (j.is_array()) return j;
  if (j.is_object()) {
    auto it = j.find("items");
    if (it != j.end() && it->is_array()) return *it;
  }
  return Json::array();
}

bool LeCorpo(const std::string& corpo, Json& j) {
  try {
    j = Json::parse(corpo);
    return true;
  } catch (...) {
    return false;
  }
}

// ---------------------------------------------------------------------------
// Records as the service keeps them

Json NovaEmpresa(long long id, const std::string& email, const std::string& razao) {
  Json o;
  o["iD"] = id;
  o["cod_Norvik"] = 0;
  o["cNPJ"] = "";
  o["insc_Estadual"] = "";
  o["razao_Social"] = razao;
  o["razao_Social_Norvik"] = "";
  o["nome_Fantasia"] = "";
  o["email"] = email;
  o["site"] = "";
  o["endereco_ID"] = 0;
  o["pais"] = "BRASIL";
  o["estado"] = "";
  o["cidade"] = "";
  o["endereco"] = "";
  o["bairro"] = "";
  o["cep"] = "00000-000";
  o["numero"] = "";
  o["complemento"] = "";
  o["data_Cadastro"] = Hoje();
  o["ult_Alteracao"] = Hoje();
  o["data_Aceite"] = "1899-12-30";
  o["ativo"] = "S";
  return o;
}

Json NovoUsuario(const std::string& email, const std::string& pw) {
  Json o;
  o["iD"] = 0;
  o["cPF"] = "";
  o["nome"] = "";
  o["email"] = email;
  o["enderecoID"] = 0;
  o["pW"] = pw;
  o["admin"] = "S";
  o["ativo"] = "S";
  o["ultAlteracao"] = Hoje();
  return o;
}

Json NovoTelefone(long long id, const Json& origem) {
  Json o;
  o["iD"] = id;
  o["dDI"] = JTexto(origem, "dDI");
  o["dDD"] = JTexto(origem, "dDD");
  o["telefone"] = JTexto(origem, "telefone");
  o["ult_Alteracao"] = JTexto(origem, "ult_Alteracao").empty() ? Hoje() : JTexto(origem, "ult_Alteracao");
  o["num_Lig_OK"] = JInt(origem, "num_Lig_OK");
  o["info_Extra"] = JTexto(origem, "info_Extra");
  o["origem"] = JTexto(origem, "origem");
  return o;
}

bool ClienteExiste(TDevBanco& b, const std::string& email) {
  return !b.Consulta("SELECT 1 FROM clientes WHERE email = ?", {email}).empty();
}

long long EmpresaIdPorEmail(TDevBanco& b, const std::string& email) {
  auto l = b.Consulta("SELECT id FROM empresas WHERE email = ?", {email});
  return l.empty() ? 0 : ComoInt(l[0][0]);
}

// The company with its phones; null when there is none.
Json EmpresaJson(TDevBanco& b, long long id) {
  auto l = b.Consulta("SELECT json FROM empresas WHERE id = ?", {id});
  if (l.empty()) return nullptr;
  Json o = Json::parse(ComoTexto(l[0][0]));
  o["iD"] = id;
  Json fones = Json::array();
  for (auto& f : b.Consulta("SELECT id, json FROM telefones WHERE empresa_id = ? ORDER BY id", {id})) {
    Json t = Json::parse(ComoTexto(f[1]));
    t["iD"] = ComoInt(f[0]);
    fones.push_back(t);
  }
  o.erase("listaTelefone");
  o["listaTelefone"] = Lista(fones);
  return o;
}

void GravaEmpresaJson(TDevBanco& b, long long id, Json o) {
  o.erase("listaTelefone");
  o["iD"] = id;
  b.Executa("UPDATE empresas SET json = ?, email = ? WHERE id = ?", {o.dump(), JTexto(o, "email"), id});
}

void AdicionaTelefone(TDevBanco& b, long long empresa, const Json& fone) {
  b.Executa("INSERT INTO telefones(empresa_id, json) VALUES(?, '{}')", {empresa});
  long long id = b.UltimoId();
  b.Executa("UPDATE telefones SET json = ? WHERE id = ?", {NovoTelefone(id, fone).dump(), id});
}

// Stores a company sent by the program; its phone list replaces the stored one.
TRespostaDev SalvaEmpresa(TDevBanco& b, const Json& corpo) {
  if (!corpo.is_object()) return Erro();
  long long id = JInt(corpo, "iD");
  std::string email = Minusculas(JTexto(corpo, "email"));
  if (id > 0 && b.Consulta("SELECT 1 FROM empresas WHERE id = ?", {id}).empty()) id = 0;
  if (id == 0 && !email.empty()) id = EmpresaIdPorEmail(b, email);
  long long dono = email.empty() ? 0 : EmpresaIdPorEmail(b, email);
  if (dono != 0 && dono != id) return Envelope("EMAIL_EM_USO");
  if (id == 0) {
    b.Executa("INSERT INTO empresas(email, json) VALUES(?, '{}')", {email});
    id = b.UltimoId();
  }
  Json o = corpo;
  o["email"] = email;
  o["ult_Alteracao"] = Hoje();
  Json fones = ItensDe(corpo.value("listaTelefone", Json()));
  std::vector<long long> mantidos;
  for (const Json& f : fones) {
    if (!f.is_object()) continue;
    long long fid = JInt(f, "iD");
    if (fid > 0 && !b.Consulta("SELECT 1 FROM telefones WHERE id = ? AND empresa_id = ?", {fid, id}).empty()) {
      b.Executa("UPDATE telefones SET json = ? WHERE id = ?", {NovoTelefone(fid, f).dump(), fid});
      mantidos.push_back(fid);
    } else {
      AdicionaTelefone(b, id, f);
      mantidos.push_back(b.UltimoId());
    }
  }
  for (auto& l : b.Consulta("SELECT id FROM telefones WHERE empresa_id = ?", {id})) {
    long long fid = ComoInt(l[0]);
    if (std::find(mantidos.begin(), mantidos.end(), fid) == mantidos.end())
      b.Executa("DELETE FROM telefones WHERE id = ?", {fid});
  }
  GravaEmpresaJson(b, id, o);
  return Envelope("OK");
}

Json UsuarioJson(TDevBanco& b, const std::string& email) {
  auto l = b.Consulta("SELECT id, json FROM usuarios WHERE email = ?", {email});
  if (l.empty()) return nullptr;
  Json o = Json::parse(ComoTexto(l[0][1]));
  o["iD"] = ComoInt(l[0][0]);
  return o;
}

TRespostaDev SalvaUsuario(TDevBanco& b, const Json& corpo) {
  if (!corpo.is_object()) return Erro();
  std::string email = Minusculas(JTexto(corpo, "email"));
  long long id = JInt(corpo, "iD");
  if (id > 0) {
    auto l = b.Consulta("SELECT email FROM usuarios WHERE id = ?", {id});
    if (l.empty()) id = 0;
    else if (email.empty()) email = ComoTexto(l[0][0]);
  }
  if (id == 0) {
    auto l = b.Consulta("SELECT id FROM usuarios WHERE email = ?", {email});
    if (!l.empty()) id = ComoInt(l[0][0]);
  }
  if (email.empty()) return Envelope("EMAIL_VAZIO");
  if (id == 0) {
    b.Executa("INSERT INTO usuarios(email, json) VALUES(?, '{}')", {email});
    id = b.UltimoId();
  }
  Json o = corpo;
  o["iD"] = id;
  o["email"] = email;
  o["ultAlteracao"] = Hoje();
  b.Executa("UPDATE usuarios SET json = ?, email = ? WHERE id = ?", {o.dump(), email, id});
  // A changed operator password is the new login password.
  std::string pw = JTexto(corpo, "pW");
  if (!pw.empty()) b.Executa("UPDATE clientes SET pw = ? WHERE email = ?", {pw, email});
  return Envelope("OK");
}

Json ScannerJson(const TLinha& l) {
  Json o;
  o["serieReduzido"] = ComoInt(l[0]);
  o["macAddress"] = ComoTexto(l[1]);
  o["empresaID"] = ComoInt(l[2]);
  o["ativo"] = ComoTexto(l[3]);
  return o;
}

Json RelatorioJson(const TLinha& l) {
  Json o = Json::parse(ComoTexto(l[0]));
  return o;
}

TRespostaDev ListaRelatorios(const std::vector<Json>& relatorios) {
  if (relatorios.empty()) return Envelope("VAZIO");
  Json itens = Json::array();
  for (const Json& r : relatorios) itens.push_back(r);
  Json o;
  o["lista"] = Lista(itens);
  return Envelope(o);
}

std::vector<Json> RelatoriosDaEmpresa(TDevBanco& b, long long empresa, const char* sql,
                                      std::vector<TValor> params) {
  std::vector<Json> r;
  for (auto& l : b.Consulta(sql, params)) r.push_back(RelatorioJson(l));
  (void)empresa;
  return r;
}

TRespostaDev GravaRelatorio(TDevBanco& b, Json& corpo) {
  if (!corpo.is_object()) return Erro();
  std::string id = JTexto(corpo, "iD");
  if (id.empty()) {
    long long n = 0;
    Inteiro(b.Config("proximo_relatorio"), n);
    if (n <= 0) n = 1;
    while (!b.Consulta("SELECT 1 FROM relatorios WHERE id = ?", {std::to_string(n)}).empty()) ++n;
    id = std::to_string(n);
    b.DefineConfig("proximo_relatorio", std::to_string(n + 1));
    corpo["iD"] = id;
  }
  long long empresa = corpo.contains("empresa") && corpo["empresa"].is_object() ? JInt(corpo["empresa"], "iD") : 0;
  b.Executa(
      "INSERT INTO relatorios(id, empresa_id, data_sql, hora_sql, json) VALUES(?,?,?,?,?) "
      "ON CONFLICT(id) DO UPDATE SET empresa_id = excluded.empresa_id, data_sql = excluded.data_sql, "
      "hora_sql = excluded.hora_sql, json = excluded.json",
      {id, empresa, JTexto(corpo, "dataSQL"), JTexto(corpo, "horaSQL"), corpo.dump()});
  return Envelope("OK");
}

void RegistraEmail(TDevBanco& b, const std::string& para, const std::string& assunto) {
  b.Executa("INSERT INTO emails(para, assunto, quando) VALUES(?,?,?)", {para, assunto, Agora()});
}

// Vehicles of a report's customer.
Json VeiculosDe(const Json& rel) {
  if (!rel.contains("cliente") || !rel["cliente"].is_object()) return Json::array();
  return ItensDe(rel["cliente"].value("listaVeiculos", Json()));
}

bool RelatorioCombina(const Json& rel, const std::string& texto, const std::string& campo) {
  if (texto.empty()) return true;
  if (Igual(campo, "CLIENTE"))
    return rel.contains("cliente") && rel["cliente"].is_object() && Contem(JTexto(rel["cliente"], "nOME"), texto);
  for (const Json& v : VeiculosDe(rel)) {
    if (!v.is_object()) continue;
    if (Igual(campo, "PLACA") && Contem(JTexto(v, "pLACA"), texto)) return true;
    if (Igual(campo, "VEICULO") &&
        (Contem(JTexto(v, "mONTADORA_STR"), texto) || Contem(JTexto(v, "gRUPO_MODELO_STR"), texto) ||
         Contem(JTexto(v, "mODELO_STR"), texto)))
      return true;
  }
  return false;
}

// ---------------------------------------------------------------------------
// Solutions

bool AceitouDicas(TDevBanco& b, long long empresa) {
  auto l = b.Consulta("SELECT aceito FROM termos WHERE empresa_id = ? AND termo = 'DICAS'", {empresa});
  return !l.empty() && ComoInt(l[0][0]) == 1;
}

// A company sees its own solutions and, once it shares, those of every sharing company.
const char* kSolucoesVisiveis =
    "FROM solucoes s WHERE s.falha_id = ?2 AND (s.empresa_id = ?1 OR (?3 = 1 AND EXISTS("
    "SELECT 1 FROM termos t WHERE t.empresa_id = s.empresa_id AND t.termo = 'DICAS' AND t.aceito = 1)))";

long long QtdVisiveis(TDevBanco& b, long long empresa, long long falha) {
  std::string sql = std::string("SELECT COUNT(*) ") + kSolucoesVisiveis;
  return ComoInt(b.Consulta(sql.c_str(), {empresa, falha, AceitouDicas(b, empresa) ? 1LL : 0LL})[0][0]);
}

long long Likes(TDevBanco& b, long long solucao) {
  return ComoInt(b.Consulta("SELECT COUNT(*) FROM likes WHERE solucao_id = ?", {solucao})[0][0]);
}

std::string NomeEmpresa(TDevBanco& b, long long id) {
  auto l = b.Consulta("SELECT json FROM empresas WHERE id = ?", {id});
  if (l.empty()) return {};
  return JTexto(Json::parse(ComoTexto(l[0][0])), "razao_Social");
}

TRespostaDev QtdSolucoes(TDevBanco& b, long long empresa, const std::string& corpo) {
  Json j;
  if (!LeCorpo(corpo, j) || !j.is_array()) return Erro();
  Json resposta = Json::array();
  for (const Json& f : j) {
    if (!f.is_object()) continue;
    long long sistema = JInt(f, "sISTEMA_ID");
    std::string pc = JTexto(f, "fALHA_PC"), desc = JTexto(f, "fALHA_DESC");
    auto l = b.Consulta("SELECT id FROM falhas WHERE sistema_id = ? AND falha_pc = ? AND falha_desc = ?",
                        {sistema, pc, desc});
    long long id;
    if (l.empty()) {
      b.Executa("INSERT INTO falhas(sistema_id, sistema_str, falha_pc, falha_desc, qtd, qtd_diag4) "
                "VALUES(?,?,?,?,?,?)",
                {sistema, JTexto(f, "sISTEMA_STR"), pc, desc, JInt(f, "qTD"), JInt(f, "qTD_DIAG4")});
      id = b.UltimoId();
    } else {
      id = ComoInt(l[0][0]);
      b.Executa("UPDATE falhas SET qtd = qtd + ?, qtd_diag4 = qtd_diag4 + ? WHERE id = ?",
                {JInt(f, "qTD"), JInt(f, "qTD_DIAG4"), id});
    }
    Json o;
    o["iD"] = id;
    o["fALHA_PC"] = pc;
    o["fALHA_DESC"] = desc;
    o["qTD_SOLUCOES"] = QtdVisiveis(b, empresa, id);
    resposta.push_back(o);
  }
  return JsonBruto(resposta);
}

TRespostaDev ListaSolucoes(TDevBanco& b, long long empresa, long long falha) {
  std::string sql = std::string("SELECT s.id, s.descricao, s.empresa_id, "
                                "(SELECT COUNT(*) FROM likes l WHERE l.solucao_id = s.id) AS n, "
                                "EXISTS(SELECT 1 FROM likes l WHERE l.solucao_id = s.id AND l.empresa_id = ?1) ") +
                    kSolucoesVisiveis + " ORDER BY n DESC, s.id";
  Json lista = Json::array();
  int indice = 0;
  for (auto& l : b.Consulta(sql.c_str(), {empresa, falha, AceitouDicas(b, empresa) ? 1LL : 0LL})) {
    Json o;
    o["iD"] = ComoInt(l[0]);
    o["dESCRICAO"] = ComoTexto(l[1]);
    o["nOME_EMPRESA"] = NomeEmpresa(b, ComoInt(l[2]));
    o["lIKES"] = ComoInt(l[3]);
    o["lIKED"] = ComoInt(l[4]) != 0;
    o["iNDICE"] = indice++;
    lista.push_back(o);
  }
  return JsonBruto(lista);
}

TRespostaDev NovaSolucao(TDevBanco& b, long long falha, const std::string& corpo) {
  Json j;
  if (!LeCorpo(corpo, j) || !j.is_object()) return Erro();
  if (b.Consulta("SELECT 1 FROM falhas WHERE id = ?", {falha}).empty()) return Erro(404);
  std::string desc = JTexto(j, "dESCRICAO");
  if (desc.empty()) return Erro();
  long long empresa = JInt(j, "eMPRESA_ID");
  b.Executa("INSERT INTO solucoes(falha_id, empresa_id, descricao) VALUES(?,?,?)", {falha, empresa, desc});
  Json o;
  o["iD"] = b.UltimoId();
  o["dESCRICAO"] = desc;
  o["eMPRESA_ID"] = empresa;
  o["bONUS"] = 0;
  o["lIKES"] = 0;
  return JsonBruto(o);
}

// ---------------------------------------------------------------------------
// Roots

TRespostaDev Portal(TDevBanco& b, const std::vector<std::string>& s) {
  long long serie = 0;
  if (s.size() == 4 && s[0] == "v1" && s[1] == "GER_COMPACTFLASH" && s[3] == "LogHabilitado" &&
      Inteiro(s[2], serie)) {
    auto l = b.Consulta("SELECT habilitado FROM log_habilitado WHERE nr_serie = ?", {serie});
    return Texto(!l.empty() && ComoInt(l[0][0]) ? "true" : "false");
  }
  if (s.size() == 3 && s[0] == "v1" && s[1] == "JsonConverter" && s[2] == "localDbDate") {
    std::string v = b.Config("versao_host");
    return Texto(v.empty() ? "2026-12-01 00:00:00" : v);
  }
  return Erro(404);
}

TRespostaDev Core(TDevBanco& b, const std::vector<std::string>& s, const std::string& metodo,
                  const std::string& corpo) {
  if (s.size() < 2 || s[0] != "v1") return Erro(404);
  long long a = 0, c = 0, d = 0;
  if (metodo == "GET" && s.size() == 6 && s[1] == "LogAcesso" && s[2] == "Save") {
    if (!Inteiro(s[3], a) || !Inteiro(s[4], c) || !Inteiro(s[5], d)) return Erro();
    b.Executa("INSERT INTO logs_acesso(empresa_id, nr_serie, sistema_id, quando) VALUES(?,?,?,?)",
              {a, c, d, Agora()});
    return Texto("");
  }
  if (metodo == "GET" && s.size() == 5 && s[1] == "TermosUso") {
    if (!Inteiro(s[2], a) || s[3].empty()) return Erro();
    const std::string& termo = s[3];
    const std::string& acao = s[4];
    if (acao == "Aceitar" || acao == "Recusar") {
      b.Executa("INSERT INTO termos(empresa_id, termo, aceito, quando) VALUES(?,?,?,?) "
                "ON CONFLICT(empresa_id, termo) DO UPDATE SET aceito = excluded.aceito, quando = excluded.quando",
                {a, termo, acao == "Aceitar" ? 1LL : 0LL, Agora()});
      return JsonBruto(true);
    }
    auto l = b.Consulta("SELECT aceito FROM termos WHERE empresa_id = ? AND termo = ?", {a, termo});
    if (acao == "ExisteRegistroTermo") return JsonBruto(!l.empty());
    if (acao == "TermoAceito") return JsonBruto(!l.empty() && ComoInt(l[0][0]) == 1);
    return Erro(404);
  }
  if (s[1] == "Solucoes") {
    if (metodo == "GET" && s.size() == 6 && (s[5] == "AddLike" || s[5] == "RemoveLike")) {
      if (!Inteiro(s[2], a) || !Inteiro(s[3], c) || !Inteiro(s[4], d)) return Erro();
      if (b.Consulta("SELECT 1 FROM solucoes WHERE id = ? AND falha_id = ?", {d, c}).empty()) return Erro(404);
      if (s[5] == "AddLike")
        b.Executa("INSERT OR IGNORE INTO likes(solucao_id, empresa_id) VALUES(?,?)", {d, a});
      else
        b.Executa("DELETE FROM likes WHERE solucao_id = ? AND empresa_id = ?", {d, a});
      return JsonBruto(Likes(b, d));
    }
    if (metodo == "GET" && s.size() == 4) {
      if (!Inteiro(s[2], a) || !Inteiro(s[3], c)) return Erro();
      return ListaSolucoes(b, a, c);
    }
    if (metodo == "POST" && s.size() == 3) {
      if (!Inteiro(s[2], c)) return Erro();
      return NovaSolucao(b, c, corpo);
    }
  }
  if (metodo == "POST" && s.size() == 4 && s[1] == "Falhas" && s[3] == "QtdSolucoes") {
    if (!Inteiro(s[2], a)) return Erro();
    return QtdSolucoes(b, a, corpo);
  }
  return Erro(404);
}

TRespostaDev Reverso(const std::vector<std::string>& s) {
  if (s.size() != 2) return Erro(404);
  QString t = QString::fromStdString(s[1]);
  std::reverse(t.begin(), t.end());
  return Envelope(t.toStdString());
}

TRespostaDev Metodo(TDevBanco& b, const std::vector<std::string>& s, const std::string& metodo,
                    const std::string& corpo) {
  if (s.empty()) return Erro(404);
  const std::string& nome = s[0];
  const bool get = metodo == "GET";
  auto sn = [](bool v) { return Envelope(v ? "S" : "N"); };

  if (get && Igual(nome, "ReverseString")) return Reverso(s);
  if (get && s.size() == 2 && Igual(nome, "ClienteCadastrado")) return sn(ClienteExiste(b, s[1]));
  if (get && s.size() == 2 && Igual(nome, "CadastrarCliente")) {
    std::string email = Minusculas(s[1]);
    if (email.find('@') == std::string::npos || ClienteExiste(b, email)) return sn(false);
    CriaContaDev(b, email, Base64(kSenhaNovaContaDev), "");
    b.Executa("UPDATE clientes SET ativo = 0 WHERE email = ?", {email});
    RegistraEmail(b, email, "Senha Brevanta");
    return sn(true);
  }
  if (get && Igual(nome, "LoginCliente")) {
    if (s.size() != 3) return sn(false);
    auto l = b.Consulta("SELECT pw FROM clientes WHERE email = ?", {s[1]});
    return sn(!l.empty() && ComoTexto(l[0][0]) == s[2]);
  }
  if (get && s.size() == 2 && Igual(nome, "LoginAtivo")) {
    auto l = b.Consulta("SELECT ativo FROM clientes WHERE email = ?", {s[1]});
    return sn(!l.empty() && ComoInt(l[0][0]) == 1);
  }
  if (get && s.size() == 2 && Igual(nome, "AtivarLogin")) {
    return sn(b.Executa("UPDATE clientes SET ativo = 1 WHERE email = ?", {s[1]}) > 0);
  }
  if (get && s.size() == 2 && Igual(nome, "getPassUsuario")) {
    if (!ClienteExiste(b, s[1])) return Envelope("N");
    RegistraEmail(b, Minusculas(s[1]), "Senha Brevanta");
    return Envelope("OK");
  }
  if (Igual(nome, "Empresa")) {
    if (get && s.size() == 2) {
      long long id = EmpresaIdPorEmail(b, s[1]);
      return id ? Envelope(EmpresaJson(b, id)) : Envelope("VAZIO");
    }
    if (metodo == "POST" && s.size() == 1) {
      Json j;
      if (!LeCorpo(corpo, j)) return Erro();
      return SalvaEmpresa(b, j);
    }
    return Erro(405);
  }
  if (Igual(nome, "Usuario")) {
    if (get && s.size() == 2) {
      Json u = UsuarioJson(b, s[1]);
      return u.is_null() ? Envelope("VAZIO") : Envelope(u);
    }
    if (metodo == "POST" && s.size() == 1) {
      Json j;
      if (!LeCorpo(corpo, j)) return Erro();
      return SalvaUsuario(b, j);
    }
    return Erro(405);
  }
  if (Igual(nome, "Scanner")) {
    long long empresa = 0;
    if (get && s.size() == 2) {
      if (!Inteiro(s[1], empresa)) return Erro();
      Json itens = Json::array();
      for (auto& l : b.Consulta("SELECT serie, mac, empresa_id, ativo FROM scanners WHERE empresa_id = ? "
                                "ORDER BY serie", {empresa}))
        itens.push_back(ScannerJson(l));
      if (itens.empty()) return Envelope("VAZIO");
      Json o;
      o["lista"] = Lista(itens);
      return Envelope(o);
    }
    if (metodo == "PUT" && s.size() == 1) {
      Json j;
      if (!LeCorpo(corpo, j) || !j.is_object()) return Erro();
      long long serie = JInt(j, "serieReduzido");
      empresa = JInt(j, "empresaID");
      if (serie == 0 || empresa == 0) return Envelope("DADOS_INVALIDOS");
      auto l = b.Consulta("SELECT empresa_id FROM scanners WHERE serie = ?", {serie});
      if (!l.empty() && ComoInt(l[0][0]) != empresa) return Envelope("OUTRA_EMPRESA");
      b.Executa("INSERT INTO scanners(serie, empresa_id, mac, ativo) VALUES(?,?,?,?) "
                "ON CONFLICT(serie) DO UPDATE SET mac = excluded.mac, ativo = excluded.ativo",
                {serie, empresa, JTexto(j, "macAddress"), JTexto(j, "ativo")});
      return Envelope("OK");
    }
    return Erro(405);
  }
  if (get && s.size() == 2 && Igual(nome, "GETEmailPorNrSerie")) {
    long long serie = 0;
    if (!Inteiro(s[1], serie)) return Erro();
    auto l = b.Consulta("SELECT e.email FROM scanners s JOIN empresas e ON e.id = s.empresa_id WHERE s.serie = ?",
                        {serie});
    return Envelope(l.empty() ? std::string() : ComoTexto(l[0][0]));
  }
  if (Igual(nome, "Relatorio")) {
    if (get && s.size() == 2) {
      auto l = b.Consulta("SELECT json FROM relatorios WHERE id = ?", {s[1]});
      return l.empty() ? Envelope("VAZIO") : Envelope(RelatorioJson(l[0]));
    }
    if (metodo == "PUT" && s.size() == 1) {
      Json j;
      if (!LeCorpo(corpo, j)) return Erro();
      return GravaRelatorio(b, j);
    }
    return Erro(405);
  }
  if (Igual(nome, "RelatorioPorEmail")) {
    if (get && s.size() == 3) {
      if (b.Consulta("SELECT 1 FROM relatorios WHERE id = ?", {s[1]}).empty())
        return Envelope("RELATORIO_INEXISTENTE");
      if (s[2].find('@') == std::string::npos) return Envelope("EMAIL_INVALIDO");
      RegistraEmail(b, s[2], "Relatório " + s[1]);
      return Envelope("OK");
    }
    if (metodo == "PUT" && s.size() == 1) {
      Json j;
      if (!LeCorpo(corpo, j) || !j.is_object()) return Erro();
      TRespostaDev r = GravaRelatorio(b, j);
      if (r.FStatus != 200) return r;
      std::string para = j.contains("cliente") && j["cliente"].is_object() ? JTexto(j["cliente"], "eMAIL") : "";
      if (para.empty()) return Envelope("CLIENTE_SEM_EMAIL");
      RegistraEmail(b, para, "Relatório " + JTexto(j, "iD"));
      return Envelope("OK");
    }
    return Erro(405);
  }
  const char* kOrdem = " ORDER BY data_sql DESC, hora_sql DESC, id DESC";
  if (get && s.size() == 4 && Igual(nome, "GetListaRelatoriosPorData")) {
    long long empresa = 0;
    if (!Inteiro(s[1], empresa)) return Erro();
    std::string sql = std::string("SELECT json FROM relatorios WHERE empresa_id = ? AND data_sql >= ? AND "
                                  "data_sql <= ?") + kOrdem;
    return ListaRelatorios(RelatoriosDaEmpresa(b, empresa, sql.c_str(), {empresa, s[2], s[3]}));
  }
  if (get && s.size() == 4 && Igual(nome, "GetListaRelatorios")) {
    long long empresa = 0;
    if (!Inteiro(s[1], empresa)) return Erro();
    if (!Igual(s[3], "VEICULO") && !Igual(s[3], "PLACA") && !Igual(s[3], "CLIENTE")) return Erro();
    std::string sql = std::string("SELECT json FROM relatorios WHERE empresa_id = ?") + kOrdem;
    std::vector<Json> achados;
    for (Json& r : RelatoriosDaEmpresa(b, empresa, sql.c_str(), {empresa}))
      if (RelatorioCombina(r, s[2], s[3])) achados.push_back(std::move(r));
    return ListaRelatorios(achados);
  }
  if (get && s.size() == 2 && Igual(nome, "GetUltimosRelatorios")) {
    long long empresa = 0;
    if (!Inteiro(s[1], empresa)) return Erro();
    std::string sql = std::string("SELECT json FROM relatorios WHERE empresa_id = ?") + kOrdem + " LIMIT 20";
    return ListaRelatorios(RelatoriosDaEmpresa(b, empresa, sql.c_str(), {empresa}));
  }
  return Erro(404);
}

TRespostaDev Sync(TDevBanco& b, const std::vector<std::string>& s, const std::string& metodo) {
  if (metodo != "GET" || s.empty()) return Erro(404);
  if (Igual(s[0], "ReverseString")) return Reverso(s);
  long long serie = 0, empresa = 0;
  if (Igual(s[0], "SincronizaNrSerie") && s.size() == 3) {
    if (!Inteiro(s[1], serie) || !Inteiro(s[2], empresa)) return Erro();
    Json e = EmpresaJson(b, empresa);
    if (e.is_null()) return Envelope("N");
    auto l = b.Consulta("SELECT json FROM cadastro_norvik WHERE nr_serie = ?", {serie});
    if (!l.empty()) {
      Json cad = Json::parse(ComoTexto(l[0][0]));
      for (auto it = cad.begin(); it != cad.end(); ++it)
        if (it.key() != "telefones" && it.key() != "iD" && it.key() != "email" && e.contains(it.key()))
          e[it.key()] = it.value();
      GravaEmpresaJson(b, empresa, e);
    }
    return Envelope("OK");
  }
  if (Igual(s[0], "SincronizaTelefones") && s.size() == 2) {
    if (!Inteiro(s[1], empresa)) return Erro();
    Json e = EmpresaJson(b, empresa);
    if (e.is_null()) return Envelope("N");
    long long cod = JInt(e, "cod_Norvik");
    if (cod == 0) return Envelope("OK");
    for (auto& l : b.Consulta("SELECT json FROM cadastro_norvik")) {
      Json cad = Json::parse(ComoTexto(l[0]));
      if (JInt(cad, "cod_Norvik") != cod) continue;
      for (const Json& f : cad.value("telefones", Json::array())) {
        if (!f.is_object()) continue;
        Json fone = f;
        if (JTexto(fone, "origem").empty()) fone["origem"] = "Norvik";
        bool existe = false;
        for (const Json& t : ItensDe(e["listaTelefone"]))
          if (JTexto(t, "dDD") == JTexto(fone, "dDD") && JTexto(t, "telefone") == JTexto(fone, "telefone"))
            existe = true;
        if (!existe) AdicionaTelefone(b, empresa, fone);
      }
    }
    return Envelope("OK");
  }
  return Erro(404);
}

TRespostaDev Cep(TDevBanco& b, const std::vector<std::string>& s) {
  if (s.size() != 2 || s[1] != "json") return Erro(404);
  long long n = 0;
  if (s[0].size() != 8 || !Inteiro(s[0], n)) return Erro(400);
  auto l = b.Consulta("SELECT logradouro, bairro, localidade, uf FROM ceps WHERE cep = ?", {s[0]});
  if (l.empty()) return JsonBruto(Json{{"erro", true}});
  Json o;
  o["cep"] = s[0].substr(0, 5) + "-" + s[0].substr(5);
  o["logradouro"] = ComoTexto(l[0][0]);
  o["complemento"] = "";
  o["bairro"] = ComoTexto(l[0][1]);
  o["localidade"] = ComoTexto(l[0][2]);
  o["uf"] = ComoTexto(l[0][3]);
  return JsonBruto(o);
}

}  // namespace

std::string Base64(const std::string& texto) {
  return QByteArray::fromStdString(texto).toBase64().toStdString();
}

int CriaContaDev(TDevBanco& b, const std::string& emailDado, const std::string& senhaBase64,
                 const std::string& razaoSocial) {
  std::string email = Minusculas(emailDado);
  b.Executa("INSERT INTO clientes(email, pw, ativo) VALUES(?,?,1) "
            "ON CONFLICT(email) DO UPDATE SET pw = excluded.pw",
            {email, senhaBase64});
  long long id = EmpresaIdPorEmail(b, email);
  if (id == 0) {
    b.Executa("INSERT INTO empresas(email, json) VALUES(?, '{}')", {email});
    id = b.UltimoId();
    GravaEmpresaJson(b, id, NovaEmpresa(id, email, razaoSocial));
  }
  if (UsuarioJson(b, email).is_null()) {
    b.Executa("INSERT INTO usuarios(email, json) VALUES(?, '{}')", {email});
    long long uid = b.UltimoId();
    Json u = NovoUsuario(email, senhaBase64);
    u["iD"] = uid;
    b.Executa("UPDATE usuarios SET json = ? WHERE id = ?", {u.dump(), uid});
  } else {
    b.Executa("UPDATE usuarios SET json = json_set(json, '$.pW', ?) WHERE email = ?", {senhaBase64, email});
  }
  return static_cast<int>(id);
}

TRespostaDev AtendeServico(TDevBanco& banco, const std::string& raiz, const std::vector<std::string>& segs,
                           const std::string& metodoHttp, const std::string& corpo) {
  // A HEAD is answered as the GET would be (without its body).
  const std::string metodo = metodoHttp == "HEAD" ? "GET" : metodoHttp;
  try {
    if (raiz == "portal") return metodo == "GET" ? Portal(banco, segs) : Erro(405);
    if (raiz == "core") return Core(banco, segs, metodo, corpo);
    if (raiz == "metodo") return Metodo(banco, segs, metodo, corpo);
    if (raiz == "sync") return Sync(banco, segs, metodo);
    if (raiz == "cep") return metodo == "GET" ? Cep(banco, segs) : Erro(405);
  } catch (const std::exception& e) {
    return Texto(std::string("ERRO: ") + e.what(), 500);
  }
  return Erro(404);
}

}  // namespace tovra::devserver
