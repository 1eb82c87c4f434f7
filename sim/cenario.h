#pragma once
// A simulator scenario: the device's identity, the vehicle's behaviour and the
// faults to inject. Read from a JSON file (see docs/device.md):
//
//   {"identidade": {"tipoModelo": 5, "numeroSerie": "VX5-000123", ...},
//    "pronto": true,
//    "falhas": {"silencio": false, "checksumErradoACada": 0, "lixoEntreFrames": "",
//               "dividirEm": 0, "fecharNoComando": ""},
//    "dispositivo": {"servicePack": 3, "empresaID": 1, "uuid": "00112233445566AA",
//                    "relogio": "261211120000", "arquivos": "DIR", "intervaloContinuoMs": 100,
//                    "layoutFalhas": "16", "zintra": true, "qtdDiagnosticos": 41},
//    "reacoes": [{"comando": "80", "enviar": ["52 00 01 00 02 00 03"],
//                 "antes": false, "vezes": 1}]}
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace tovra::sim {

struct TSimIdentidade {
  int tipoModelo = 5;
  QString numeroSerie = "VX5-000001";
  QString versaoFirmware = "4.2.0";
  QString versaoHardware = "2";
  QString versaoBootloader = "1.0";
  QString idioma = "PT";
};

struct TSimFalhas {
  bool silencio = false;            // answers nothing at all
  int checksumErradoACada = 0;      // every n-th frame sent carries a wrong checksum
  QString lixoEntreFrames;          // bytes (HexaString) sent in front of every frame
  int dividirEm = 0;                // deliver at most n bytes per read
  QString fecharNoComando;          // opcode (two hex digits) whose arrival closes the link
};

// Frames sent when a command arrives: before or after its own answer.
struct TSimReacao {
  int comando = -1;                 // opcode that triggers it
  QStringList enviar;               // each frame as opcode + data, HexaString
  bool antes = false;               // before the command's answer
  int vezes = 0;                    // how many times; 0 = every time
};

// The device's own data and the simulated vehicle's pace ("dispositivo" member).
struct TSimDispositivoCfg {
  int servicePack = 3;
  int empresaID = 1;
  QString uuid = "00112233445566AA";  // 16 hex digits, as the program shows it
  QString relogio = "261211120000";     // YYMMDDHHNNSS
  QString arquivos;                     // folder whose files the device holds from the start
  int intervaloContinuoMs = 100;        // one 0x35 frame per interval while streaming
  QString layoutFalhas = "16";          // fault frames: 16, 17, 32, 34 or 36
  bool zintra = true;                   // automatic-diagnosis data for every loaded script
  int qtdDiagnosticos = 41;
};

struct TSimCenario {
  TSimIdentidade identidade;
  TSimDispositivoCfg dispositivo;
  bool pronto = true;               // sends the ready frame 0xCC after the link opens
  TSimFalhas falhas;
  QList<TSimReacao> reacoes;
  QString transcricao;              // file the transcript is written to (optional)
};

// Reads a scenario text; nullopt and erro set when it is not valid JSON of this form.
std::optional<TSimCenario> LeCenario(const QByteArray& json, QString& erro);
std::optional<TSimCenario> LeCenarioArquivo(const QString& caminho, QString& erro);

}  // namespace tovra::sim
