#include "sim/cenario.h"

#include <QFile>
#include <nlohmann/json.hpp>

#include "device/hexa.h"

namespace tovra::sim {

namespace {
using J = nlohmann::ordered_json;

QString Texto(const J& o, const char* k, const QString& padrao) {
  if (!o.contains(k)) return padrao;
  const J& v = o[k];
  if (v.is_string()) return QString::fromStdString(v.get<std::string>());
  if (v.is_number()) return QString::fromStdString(v.dump());
  throw std::runtime_error(std::string("campo ") + k + " deve ser texto");
}

int Opcode(const QString& t) {
  bool ok = false;
  const int v = t.trimmed().toInt(&ok, 16);
  if (!ok || v < 0 || v > 255) throw std::runtime_error("opcode inválido: " + t.toStdString());
  return v;
}
}  // namespace

std::optional<TSimCenario> LeCenario(const QByteArray& json, QString& erro) {
  try {
    const J j = J::parse(json.toStdString());
    if (!j.is_object()) throw std::runtime_error("o cenário deve ser um objeto JSON");
    TSimCenario c;
    if (j.contains("identidade")) {
      const J& i = j["identidade"];
      c.identidade.tipoModelo = i.value("tipoModelo", c.identidade.tipoModelo);
      c.identidade.numeroSerie = Texto(i, "numeroSerie", c.identidade.numeroSerie);
      c.identidade.versaoFirmware = Texto(i, "versaoFirmware", c.identidade.versaoFirmware);
      c.identidade.versaoHardware = Texto(i, "versaoHardware", c.identidade.versaoHardware);
      c.identidade.versaoBootloader = Texto(i, "versaoBootloader", c.identidade.versaoBootloader);
      c.identidade.idioma = Texto(i, "idioma", c.identidade.idioma);
    }
    if (j.contains("dispositivo")) {
      const J& d = j["dispositivo"];
      auto& x = c.dispositivo;
      x.servicePack = d.value("servicePack", x.servicePack);
      x.empresaID = d.value("empresaID", x.empresaID);
      x.uuid = Texto(d, "uuid", x.uuid);
      x.relogio = Texto(d, "relogio", x.relogio);
      x.arquivos = Texto(d, "arquivos", x.arquivos);
      x.intervaloContinuoMs = d.value("intervaloContinuoMs", x.intervaloContinuoMs);
      x.layoutFalhas = Texto(d, "layoutFalhas", x.layoutFalhas);
      x.zintra = d.value("zintra", x.zintra);
      x.qtdDiagnosticos = d.value("qtdDiagnosticos", x.qtdDiagnosticos);
      static const QStringList layouts = {"16", "17", "32", "34", "36"};
      if (!layouts.contains(x.layoutFalhas)) throw std::runtime_error("layoutFalhas deve ser 16, 17, 32, 34 ou 36");
      if (x.relogio.size() != 12) throw std::runtime_error("relogio deve ter 12 dígitos");
    }
    c.pronto = j.value("pronto", c.pronto);
    if (j.contains("falhas")) {
      const J& f = j["falhas"];
      c.falhas.silencio = f.value("silencio", false);
      c.falhas.checksumErradoACada = f.value("checksumErradoACada", 0);
      c.falhas.lixoEntreFrames = Texto(f, "lixoEntreFrames", {});
      c.falhas.dividirEm = f.value("dividirEm", 0);
      c.falhas.fecharNoComando = Texto(f, "fecharNoComando", {});
      if (!c.falhas.fecharNoComando.isEmpty()) Opcode(c.falhas.fecharNoComando);
    }
    if (j.contains("reacoes")) {
      for (const J& r : j["reacoes"]) {
        TSimReacao x;
        x.comando = Opcode(Texto(r, "comando", {}));
        for (const J& e : r.value("enviar", J::array())) x.enviar << QString::fromStdString(e.get<std::string>());
        x.antes = r.value("antes", false);
        x.vezes = r.value("vezes", 0);
        c.reacoes << x;
      }
    }
    c.transcricao = Texto(j, "transcricao", {});
    return c;
  } catch (const std::exception& e) {
    erro = QString::fromUtf8(e.what());
    return std::nullopt;
  }
}

std::optional<TSimCenario> LeCenarioArquivo(const QString& caminho, QString& erro) {
  QFile f(caminho);
  if (!f.open(QIODevice::ReadOnly)) {
    erro = "não foi possível ler " + caminho + ": " + f.errorString();
    return std::nullopt;
  }
  return LeCenario(f.readAll(), erro);
}

}  // namespace tovra::sim
