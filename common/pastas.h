#pragma once
// The folder tree under the user's documents folder and the fixed file names.
// Every folder path is absolute and ends with "/".
#include <QString>

namespace tovra {

namespace nomes {
inline constexpr const char* kPastaBase = "{6f2fe5b1-aaff-4898-80b8-eb49fb0d9fd7}";
inline constexpr const char* kConfLocais = "conf_locais.jsn";
inline constexpr const char* kConfJson = "conf.json";
inline constexpr const char* kBancoDados = "Tovra.s3db";
inline constexpr const char* kDicionariosZip = "dicionarios.zip";
inline constexpr const char* kDicMsgs = "dic_tovra_msgs.ini";
inline constexpr const char* kDicFrmBrevanta = "dic_tovra_frmBrevanta.ini";
inline constexpr const char* kDicFrmBrevantaSolucoes = "dic_tovra_frmBrevantaSolucoes.ini";
inline constexpr const char* kDicFrmUltAcessados = "dic_tovra_frmUltAcessados.ini";
inline constexpr const char* kDicFrmConexao = "dic_tovra_frmConexao.ini";
inline constexpr const char* kDicFrameZintra = "dic_tovra_frameZintra.ini";
inline constexpr const char* kDebugAll = "tovra_debug_all.txt";
inline constexpr const char* kUpdateTovra = "update_tovra.json";
inline constexpr const char* kAutoUpdateJson = "autoupdate.json";
inline constexpr const char* kInfoAutoUpdate = "info_autoupdate.json";
inline constexpr const char* kAutoUpdateExe = "AutoUpdate.exe";
inline constexpr const char* kListaFileCrc = "tovra_lista_filecrc.json";
inline constexpr const char* kListaFileCrcAtual = "tovra_lista_filecrc_atual.json";
inline constexpr const char* kZInfoCrc = "zinfocrc.json";
inline constexpr const char* kZInfoCrcNew = "zinfocrc_new.json";
inline constexpr const char* kZFirmwareCrc = "zfirmwarecrc.json";
inline constexpr const char* kZFirmwareCrcNew = "zfirmwarecrc_new.json";
inline constexpr const char* kMenu = "m000.mnu";
inline constexpr const char* kApp = "00700.app";
inline constexpr const char* kAppZip = "00700_app.zip";
inline constexpr const char* kBuscaAutomatica = "busca_automatica.json";
inline constexpr const char* kAdaptadorPadrao = "OBD.png";
}  // namespace nomes

class Pastas {
 public:
  // Computes every path from the documents folder (TOVRA_DOCUMENTS when set,
  // otherwise the user's documents folder) and decides test mode: on exactly
  // when base + "homolog" exists now. Creates nothing.
  static void Inicializa();
  // Creates the folders of the tree that are missing (the test FLX folder too, in test mode).
  static void CriaPastas();

  static QString Documentos();
  static QString Base();          // documents + "{6f2f...}/"
  static QString Logs();          // base + "logs/"
  static QString Files();         // base + "files/", or base + "homolog/" in test mode
  static QString Adaptadores();   // files + "adaptadores/"
  static QString Localizacao();   // files + "localizacao/"
  static QString Zips();          // files + "zips/"
  static QString AutoUpdate();    // files + "autoupdate/"
  static QString HomologFlx();    // base + "homolog_flx/" in test mode, empty otherwise
  static bool ModoTeste();
  // The file server folder of this mode: "homolog/" in test mode, "files/" otherwise.
  static QString PastaServidor();

  // base + "conf_locais.jsn"
  static QString ConfLocais();

 private:
  static void Garante();
};

}  // namespace tovra
