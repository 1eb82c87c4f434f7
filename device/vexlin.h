#pragma once
// The device object: one per program run. It owns the link, turns commands into
// frames, waits for the device's answer to each command by polling the link, and
// dispatches the frames the device sends on its own as events.
//
// The class is spread over files by concern:
//   vexlin_motor.cpp     life cycle, exchanges and waits, state commands, errors
//   vexlin_recepcao.cpp  the receive path and the frame list
//   vexlin_despacho.cpp  the dispatcher of frames the device sends on its own
//   vexlin_localiza.cpp  finding the device on the serial ports
//   vexlin_bluetooth.cpp the Bluetooth device list
#include <QString>
#include <array>
#include <functional>
#include <memory>

#include "device/conexao.h"
#include "device/eventos.h"
#include "device/frame.h"
#include "device/receptor.h"
#include "device/equipamento.h"
#include "device/zintra.h"

namespace tovra {

enum class TTypeStatusProtocolo { protNone = 0, protAtivo = 1, protInativo = 2 };

// Time-outs of the engine's own exchanges, in milliseconds.
namespace tempos {
inline constexpr int kProbeUsbMs = 2000;            // 0x80 over a serial port
inline constexpr int kProbeBluetoothMs = 5000;      // 0x80 over Bluetooth
inline constexpr int kDiagnosticoAtivoMs = 3000;    // 0xDA
inline constexpr int kResetMs = 8000;               // 0x74
inline constexpr int kAguardaCCMs = 2000;           // the ready frame after a link opens
inline constexpr int kAguardaAckPassoMs = 200;      // step of the late-acknowledgement wait
inline constexpr int kAguardaAckLimiteMs = 30000;   // limit of the late-acknowledgement wait
}  // namespace tempos

// Opcodes the engine itself uses.
namespace opcodes {
inline constexpr const char* kProbe = "80";
inline constexpr const char* kDiagnosticoAtivo = "DA";
inline constexpr const char* kReset = "74";
inline constexpr const char* kHardReset = "76";
inline constexpr const char* kAck = "55";
inline constexpr const char* kAckReset = "55 74";
}  // namespace opcodes

class TClass_Vexlin {
 public:
  // _Transporte replaces the serial port (the simulator's loopback in tests).
  explicit TClass_Vexlin(const QString& _Path, std::unique_ptr<ITransporteVexlin> _Transporte = nullptr);
  ~TClass_Vexlin();
  TClass_Vexlin(const TClass_Vexlin&) = delete;
  TClass_Vexlin& operator=(const TClass_Vexlin&) = delete;

  // --- life cycle and link
  void Conectar(const QString& _Value, TTypeConexao _Tipo);
  void Desconectar();
  bool Conectado() const { return FConexao->Conectado(); }
  TTypeConexao TipoConexao() const { return FConexao->TipoConexao(); }
  QString NomeConexao() const { return FConexao->NomeDispositivo(); }
  QString PortaConectada() const { return FConexao->NomeDispositivo(); }
  QString MacAddress() const { return FConexao->MacAddress(); }
  bool BTEnabled() const { return FConexao->BTEnabled(); }
  const QList<TClass_BTVexlin>& BTVexlinList() const { return FConexao->BTVexlinList(); }
  bool DeviceIsOnline(const QString& _DeviceName) { return FConexao->DeviceIsOnline(_DeviceName); }
  QStringList GetUsbPortList() { return FConexao->GetUsbPortList(); }
  // The connected handling: state cleared, then Event_Conectado.
  void TrataConectado();

  // --- exchanges
  bool EnviaComando(const HexaString& _ComandoEnvia, const HexaString& _DadosEnvia);
  bool EnviaAguarda(const HexaString& _ComandoEnvia, const HexaString& _DadosEnvia,
                    const QString& _ComandoAguarda, int _TimeoutLeitura, QString& _Erro);
  bool AguardaComando(const QString& _ComandoEsperado, quint16 _Timeout, QString& _Erro);
  void RespondeAck(const HexaString& _Comando);
  bool AguardaCC();
  bool AguardaAckComando();

  // --- liveness and polling
  bool ConexaoAtiva();
  bool DiagnosticoAtivo();
  void FazerLeitura(QString& _Erro);
  bool LendoFrames() const { return !FListaFrames.Vazia(); }
  quint16 TempoUltComando() const;
  void ResetTempoUltimoComando();

  // --- state commands
  bool Reset();
  void HardReset();
  void LimpaListaFrames();
  void IniciaNovoDiagnostico() { FQtd5ARecebidos = 0; }
  void FinalizaDiagnostico();

  // --- serial discovery
  bool LocalizarVexlinNaUSB(const QString& _Porta);
  bool LocalizarVexlinEmTodasPortasUSB();
  bool LocalizarUSBVexlin(const QString& _Porta);

  // --- Bluetooth discovery (vexlin_bluetooth.cpp): the list arrives through Event_ListaLida.
  bool LocalizarBTVexlin();
  bool LimpaListaDevices();

  // --- receive path (the link's bytes-received handler)
  void RecebeBytes(const QByteArray& _Chunk);
  void RecebeBytes(const HexaString& _Chunk);
  void TrataFrameEmLista();
  void RegistraErro(const QString& _Texto);

  // --- state
  quint8 Qtd5ARecebidos() const { return FQtd5ARecebidos; }
  bool EmContinuo() const { return FReceptor.EmContinuo; }
  bool EmAjuste() const { return FEmAjuste; }
  bool EmAtuador() const { return FEmAtuador; }
  TTypeStatusProtocolo ProtocoloAtivo() const { return FProtocoloAtivo; }
  bool FalhaRespondida() const { return FFalhaRespondida; }
  bool ZintraAvailable() const { return FZintraAvailable; }
  bool AckComandoRecebido() const { return FAckComandoRecebido; }
  quint32 SistemaID() const { return FSistemaID; }
  HexaString ModeloFLX() const { return FModeloFLX; }
  HexaString Dados72() const { return FDados72; }
  HexaString FrameConfirmado() const { return FFrameConfirmado; }
  HexaString DadosUCE() const { return FDadosUCE; }
  HexaString UltimaMensagem() const { return FUltimaMensagem; }
  QString ComandoAguardado() const { return FComandoAguardado; }
  HexaString Buffer() const { return FReceptor.BufferTexto(); }
  HexaString LastFileReceived() const { return FBufferArqRecebido; }
  const TTypeListaFrame& ListaFrames() const { return FListaFrames; }
  TClass_VexlinConexao& Conexao() { return *FConexao; }

  // The command set sets these (streaming, tests, actuators, script load, file reads).
  void DefineEmContinuo(bool _Valor) { FReceptor.EmContinuo = _Valor; }
  void DefineEmAjuste(bool _Valor) { FEmAjuste = _Valor; }
  void DefineEmAtuador(bool _Valor) { FEmAtuador = _Valor; }
  void DefineSistemaID(quint32 _Valor) { FSistemaID = _Valor; }
  void DefineModeloFLX(const HexaString& _Valor) { FModeloFLX = _Valor; }
  void DefineWaitingFile(bool _Valor) { FReceptor.WaitingFile = _Valor; }
  void LimpaAckComando() { FAckComandoRecebido = false; }

  // ===== diagnostic command set (vexlin_comandos.cpp)
  struct TDescritorComando;  // one row of the command table
  // Preparing the device for a vehicle, faults, live parameters, actuator tests
  // and adjustments, answers to the device's questions. Failures raise EVexlin,
  // answer false or are only logged, row by row as the command table says.
  void ProgramarAdaptador(const QString& _ProgramacaoV3);
  void ProgramarModeloFLX(int _ID);
  void InicioComunicacao();
  void SolicitaFalhas();
  void GetUCE();
  void ApagaFalhas();
  bool LimpaPIDS();
  void SelecionaTodosPids();
  void ConfiguraPID(int _ID);
  void ComandoIniciaContinuo();
  bool ComandoFinalizaContinuo();
  void RespondeEntradaDados(const QString& _Dados, int _Tipo);
  void RespondeInfoAdicional(const QString& _Comando, const QString& _BtnCod);
  void ConfiguraAtuador(int _ID);
  bool IniciaAtuador(int _ID);
  void IncAtuador(int _ID);
  void DecAtuador(int _ID);
  void FinalizaAtuador(int _ID);
  void PassoAtuador(int _ID);
  void ConfiguraAjuste(int _ID);
  bool IniciaAjuste(int _ID);
  void IncAjuste(int _ID);
  void DecAjuste(int _ID);
  void FinalizaAjuste(int _ID);
  void PassoAjuste(int _ID);

  // ===== device files, information, diagnosis log, Zintra (vexlin_arquivos.cpp)
  bool CarregarFLX(int _SistemaID);
  // Raises EVexlin when the destination name breaks the 8.3 rule or has a
  // character outside Windows-1252 (the device's character set).
  bool GravaArquivo(const QString& _ArquivoOrigem, const QString& _ArquivoDestino);
  quint64 ReadCRC(const QString& _Arquivo);
  qint64 RequestFileSize(const QString& _FileName);
  bool RequestFileBytes(const QString& _FileName);
  bool GetInfo72();
  quint32 NrSerie();
  quint32 QtdDiagnosticos();
  QString GetVersaoFLX();
  QString VersaoFirmware();
  int TipoEquipamento();  // TType_Equipamento value; 0 when the block cannot be read
  int VersaoServicePack();
  QString Idioma();
  int EmpresaID();
  QString UUID();
  QString DataHoraV4();
  void GravaDataHora(const QString& _DataHora);
  bool RequestSetInfoLastSystem(quint8 infoID, const QString& text);
  bool RequestSetInfoLastSystemEnd(int modelID, int systemID, bool diesel);
  bool RequestStartLogV4(int modelID, int systemID, bool diesel, quint8 adapID, const QString& adapProg);
  bool RequestSetInfoDtc(quint8 total, quint8 index, const QString& falhaPC, const QString& descricao,
                         const QString& status);
  bool RequestCheckZINTRA(int modelFlxID, int systemID, bool diesel);
  bool RequestCheckZINTRA(int modelFlxID, int systemID);
  bool RequestZINTRAType(quint8 typeID);
  const TListaDtcZintra& DtcZintraList() const { return FDtcZintraList; }
  const TListaReportZintra& PidZintraList() const { return FPidZintraList; }
  // Packet size of uploads: 128 bytes over Bluetooth, 512 over a serial port.
  int TamanhoPacote() const;
  // ===== end of the command set and files block

  // Monotonic milliseconds; tests may replace the clock.
  std::function<qint64()> Relogio;

  // --- events (single owner each; an unset event is skipped)
  TNotifyEvent Event_Conectado;
  TNotifyEvent Event_Desconectado;
  TOnReturnHexaString Event_BytesEnviados;
  TOnReturnHexaString Event_BytesRecebidos;
  TNotifyEvent Event_PerdaComunicacao;
  TNotifyEvent Event_EmContinuo;
  TNotifyEvent Event_StartLeitura;
  TEvent_RetornaStr Event_DebugStatus;
  TEvent_StatusTemporizado Event_StatusTemp;
  TNotifyEvent Event_ListaLida;
  TNotifyEvent Event_PIDSRecebidos;
  TNotifyEvent Event_InfoDTCZintraFinished;
  TNotifyEvent Event_ParamZintraFinished;
  TNotifyEvent Event_ReportZintraFinished;
  TEvent_ProgressoDownloadArquivo OnProgressoDownload;
  // raised by the dispatcher
  TNotifyEvent Event_ProtocoloAtivo, Event_ProtocoloInativo, Event_ProtocoloInativoGen, Event_FalhaCarga,
      Event_FalhaRecebida, Event_FalhasApagadas, Event_FimPids, Event_AtuadorAjusteFinalizado,
      Event_AtuadorAjusteInvalido, Event_FuncaoIndisp, Event_FechaMsg, Event_StopKeepAlive,
      Event_StartKeepAlive, Event_EndLogV4, Event_EndAutoSearch;
  TEvent_ReturnString Event_CodigoUCELido;
  TEvent_ReturnFalha Event_DadosFalhasRecebidos;
  TOnReturnHexaString Event_ParamDisp, Event_DadosPidsRecebidos;
  TEvent_MostraMsgUsuario Event_MostraMsgUsuario;
  TEvent_MostraStatusUsuario Event_MostraStatusUsuario, Event_MostraStatusSinalizacao;
  TEvent_MostraMsgTemporizada Event_MostraMsgTemporizada;
  TEvent_MostraEntradaDados Event_EntradaDados;
  TEvent_Progress Event_ProgressZintraRuning;

 private:
  using TLinhaDespacho = void (TClass_Vexlin::*)(const TTypeFrameVexlin&);
  static const std::array<TLinhaDespacho, 256>& TabelaDespacho();

  qint64 Agora() const { return Relogio(); }
  void TrataDesconectado();
  void LimpaEstado();
  void ProcessaListaFrames();
  void TrataFrameEspecial(const TTypeFrameVexlin& _Frame);
  bool Sonda(const QString& _Porta, bool _AguardaCC);
  QString NomeLog(const char* prefixo) const;

  // dispatcher rows (vexlin_despacho.cpp)
  void DespConsome(const TTypeFrameVexlin&) {}
  void DespIdentificacaoUCE(const TTypeFrameVexlin& f);
  void DespFalha(const TTypeFrameVexlin& f);
  void DespParamDisp(const TTypeFrameVexlin& f);
  void DespDadosPids(const TTypeFrameVexlin& f);
  void DespFalhaRecebida(const TTypeFrameVexlin& f);
  void DespFalhasApagadas(const TTypeFrameVexlin& f);
  void DespFimPids(const TTypeFrameVexlin& f);
  void DespProtocoloInativoGen(const TTypeFrameVexlin& f);
  void DespFuncaoIndisp(const TTypeFrameVexlin& f);
  void DespProtocoloAtivo(const TTypeFrameVexlin& f);
  void DespProtocoloInativo(const TTypeFrameVexlin& f);
  void DespAtuadorAjusteFim(const TTypeFrameVexlin& f);
  void DespStatusUsuario(const TTypeFrameVexlin& f);
  void DespKeepAlive(const TTypeFrameVexlin& f);
  void DespStatusSinalizacao(const TTypeFrameVexlin& f);
  void DespAckApenas(const TTypeFrameVexlin& f);
  void DespMsgUsuario(const TTypeFrameVexlin& f);
  void DespMsgTemporizada(const TTypeFrameVexlin& f);
  void DespFechaMsg(const TTypeFrameVexlin& f);
  void DespAckTardio(const TTypeFrameVexlin& f);
  void DespEntradaDados(const TTypeFrameVexlin& f);
  void DespMsgComTexto(const TTypeFrameVexlin& f);
  void Desp5A(const TTypeFrameVexlin& f);
  void DespZintra(const TTypeFrameVexlin& f);
  void DespAtuadorAjusteInvalido(const TTypeFrameVexlin& f);
  void DespCarroInvalido(const TTypeFrameVexlin& f);
  void DespNotAck(const TTypeFrameVexlin& f);

  QString FPath;
  qint64 FDateTimeStartTimeout = 0;
  quint8 FQtd5ARecebidos = 0;
  bool FAborta = false;
  TTypeListaFrame FListaFrames;
  TClassReceptorFrames FReceptor{FListaFrames};  // FBuffer, FEmContinuo, FWaitingFile
  bool FEmAjuste = false;
  bool FEmAtuador = false;
  TTypeStatusProtocolo FProtocoloAtivo = TTypeStatusProtocolo::protNone;
  bool FFalhaRespondida = false;
  bool FZintraAvailable = false;
  quint32 FSistemaID = 0;
  HexaString FModeloFLX;
  HexaString FDados72;
  QString FComandoAguardado;
  HexaString FFrameConfirmado;
  bool FFrameRespondido = false;
  HexaString FBufferArqRecebido;
  bool FAckComandoRecebido = false;
  HexaString FUltimaMensagem;
  std::unique_ptr<TClass_VexlinConexao> FConexao;
  HexaString FDadosUCE;
  qint64 FNowUltComando = 0;

  // ===== command set and files: private part
  bool ExecutaComando(const TDescritorComando& _C, const HexaString& _Dados, const QString& _Id = {},
                      const HexaString& _Opcode = {});
  void ComandoItem(const TDescritorComando& _C, int _ID);
  bool LerCodUCE();
  bool LerArquivo(qint64 _Qtd, QString& _Erro);
  bool Consulta(const char* _Nome, const HexaString& _Op, const HexaString& _Dados, int _Timeout,
                HexaString& _Resposta);
  bool RegistroLog(const char* _Nome, const HexaString& _Op, const HexaString& _Dados);
  HexaString DadosNomeArquivo(const QString& _Nome, const char* _Operacao, bool& _Ok);
  void TrataZintra(const HexaString& _Dados);
  void DespCargaConcluida(const TTypeFrameVexlin& f);  // 01 00 FF FF handed to the dispatcher
  bool FCargaConcluida = false;
  TListaDtcZintra FDtcZintraList;
  TListaReportZintra FPidZintraList;
  // ===== end of the command set and files private part
};

}  // namespace tovra
