#pragma once
// Faults: as the vehicle reports them (TClassFalha), as the catalogue describes
// them (TClassFalhaDTB), and the pairing of the two.
#include <QString>
#include <cstdint>
#include <functional>

#include "common/jsonobj.h"

namespace tovra {

enum class TTipoFalha { tfOldConhecido, tfGenerico, tfOldReservado, tfNew, tfNewMsgAdicExt };

}  // namespace tovra

TOVRA_ENUM_NOMES(tovra::TTipoFalha, "tfOldConhecido", "tfGenerico", "tfOldReservado", "tfNew", "tfNewMsgAdicExt")

namespace tovra {

// One fault of a device answer. The byte fields hold hex text ("85", "23").
class TClassFalha {
 public:
  uint64_t FID = 0;
  QString FCodPC;
  QString FStatusID;        // Status
  QString FMsgAdicionalID;  // MsgAdicionalID
  TTipoFalha FTipoFalha = TTipoFalha::tfOldConhecido;
  uint32_t FPaginaFalha = 0;
  QString FFalhaHexa;

  void SetID(uint64_t id) { FID = id; }
  // The id derived from the code bytes and the page (the written id is not read back).
  uint64_t ID() const;
  int StatusID() const;
  bool CodReservado() const;
  // Letter by (status AND 0Eh) followed by the code and additional bytes (generic faults).
  QString CodPCBU() const;

  const QString& Status() const { return FStatusID; }
  const QString& MsgAdicionalID() const { return FMsgAdicionalID; }
  TTipoFalha TipoFalha() const { return FTipoFalha; }
  uint32_t PaginaFalha() const { return FPaginaFalha; }
  const QString& FalhaHexa() const { return FFalhaHexa; }
  const QString& CodPC() const { return FCodPC; }
};

// A catalogue fault, also the record of a fault found in the vehicle.
class TClassFalhaDTB {
 public:
  uint32_t FGrupoID = 0;
  uint32_t FFalhaID = 0;
  uint64_t FScannerID = 0;
  QString FCodHexa;
  QString FFalhaPC;
  uint32_t FTituloID = 0;
  QString FDescricao;
  uint32_t FMsgAdicionalID = 0;
  QString FMsgAdicionalDesc;
  uint32_t FStatusID = 0;
  QString FStatusDesc;
  bool FEnviadoVx = false;

  // Descricao + " - " + MsgAdicionalDesc when there is one.
  QString DescMsgAdic() const;
  // DescMsgAdic + " - " + StatusDesc when there is one.
  QString DescCompleta() const;

  TOVRA_JSON_CAMPOS(TClassFalhaDTB, TOVRA_CAMPO(FGrupoID), TOVRA_CAMPO(FFalhaID), TOVRA_CAMPO(FScannerID),
                    TOVRA_CAMPO(FCodHexa), TOVRA_CAMPO(FFalhaPC), TOVRA_CAMPO(FTituloID), TOVRA_CAMPO(FDescricao),
                    TOVRA_CAMPO(FMsgAdicionalID), TOVRA_CAMPO(FMsgAdicionalDesc), TOVRA_CAMPO(FStatusID),
                    TOVRA_CAMPO(FStatusDesc), TOVRA_CAMPO(FEnviadoVx))
};

class TListaFalhasDTB : public TObjectList<TClassFalhaDTB> {
 public:
  TClassFalhaDTB* GetFalhaByScannerID(uint64_t id);
  TClassFalhaDTB* GetFalhaByHexa(const QString& hexa);
  TClassFalhaDTB* GetFalhaByCodDesc(const QString& codigo, const QString& descricao);
  TClassFalhaDTB* GetFalhaByDescMsgAdic(const QString& texto);
};

// The texts a fault resolution needs: status and additional-message look-ups and
// the text shown for a reserved or unknown code.
struct TTextosFalha {
  std::function<QString(int64_t)> statusFalha;
  std::function<QString(int64_t)> msgAdicional;
  QString codigoReservado;
};

// What the fault view shows for one vehicle fault.
struct TFalhaResolvida {
  QString codigo;
  QString descricao;
  QString status;        // empty: none
  QString msgAdicional;  // empty: none
  bool temStatus = false;
  uint32_t statusID = 0;
  bool temMsgAdicional = false;
  uint32_t msgAdicionalID = 0;
  const TClassFalhaDTB* catalogo = nullptr;  // the matching catalogue fault, or none
};

// Pairs a vehicle fault with the session's catalogue faults. Hex texts that are
// not hexadecimal raise std::invalid_argument.
TFalhaResolvida ResolveFalha(const TClassFalha& falha, TListaFalhasDTB& catalogo, const TTextosFalha& textos);

// Records a shown fault once in the list of faults found (same code and same
// description with its additional message); answers the entry.
TClassFalhaDTB& RegistraFalhaEncontrada(TListaFalhasDTB& encontradas, const TClassFalha& falha,
                                        const TFalhaResolvida& r);

}  // namespace tovra
