#include "diagnosis/falhas.h"

#include "diagnosis/dominio_hexa.h"

namespace tovra {

using namespace dominio;

uint64_t TClassFalha::ID() const {
  switch (FTipoFalha) {
    case TTipoFalha::tfOldConhecido: return (ValorHexa(FFalhaHexa) & 0x7F) + uint64_t(FPaginaFalha) * 128;
    default: return static_cast<uint64_t>(ByteHexa(FFalhaHexa, 0)) + uint64_t(FPaginaFalha) * 256;
  }
}

int TClassFalha::StatusID() const {
  switch (FTipoFalha) {
    case TTipoFalha::tfOldConhecido: return (ValorHexa(FFalhaHexa) & 0x80) ? 0 : 1;
    case TTipoFalha::tfGenerico: return static_cast<int>(ValorHexa(FStatusID) >> 4);
    default: return static_cast<int>(ValorHexa(FStatusID));
  }
}

bool TClassFalha::CodReservado() const {
  return FTipoFalha == TTipoFalha::tfGenerico && (ValorHexa(FStatusID) & 1) != 0;
}

QString TClassFalha::CodPCBU() const {
  if (FTipoFalha != TTipoFalha::tfGenerico) return QString();
  QString letra;
  switch (ValorHexa(FStatusID) & 0x0E) {
    case 2: letra = "P"; break;
    case 4: letra = "C"; break;
    case 6: letra = "B"; break;
    case 8: letra = "U"; break;
    case 10: letra = "S"; break;
    default: break;
  }
  return letra + SemEspacos(FFalhaHexa) + SemEspacos(FMsgAdicionalID);
}

QString TClassFalhaDTB::DescMsgAdic() const {
  return FMsgAdicionalDesc.isEmpty() ? FDescricao : FDescricao + " - " + FMsgAdicionalDesc;
}

QString TClassFalhaDTB::DescCompleta() const {
  const QString d = DescMsgAdic();
  return FStatusDesc.isEmpty() ? d : d + " - " + FStatusDesc;
}

TClassFalhaDTB* TListaFalhasDTB::GetFalhaByScannerID(uint64_t id) {
  for (TClassFalhaDTB& f : *this)
    if (f.FScannerID == id) return &f;
  return nullptr;
}
TClassFalhaDTB* TListaFalhasDTB::GetFalhaByHexa(const QString& hexa) {
  for (TClassFalhaDTB& f : *this)
    if (f.FCodHexa == hexa) return &f;
  return nullptr;
}
TClassFalhaDTB* TListaFalhasDTB::GetFalhaByCodDesc(const QString& codigo, const QString& descricao) {
  for (TClassFalhaDTB& f : *this)
    if (f.FFalhaPC == codigo && f.FDescricao == descricao) return &f;
  return nullptr;
}
TClassFalhaDTB* TListaFalhasDTB::GetFalhaByDescMsgAdic(const QString& texto) {
  for (TClassFalhaDTB& f : *this)
    if (f.DescMsgAdic() == texto) return &f;
  return nullptr;
}

namespace {

TFalhaResolvida NaoEncontrada(const TClassFalha& f, const TTextosFalha& t) {
  TFalhaResolvida r;
  const QString sem = SemEspacos(f.FFalhaHexa);
  r.codigo = f.FTipoFalha == TTipoFalha::tfOldReservado ? sem : SemZerosAEsquerda(sem);
  r.descricao = t.codigoReservado;
  return r;
}

void Status(TFalhaResolvida& r, int id, const TTextosFalha& t) {
  r.temStatus = true;
  r.statusID = static_cast<uint32_t>(id);
  r.status = t.statusFalha ? t.statusFalha(id) : QString();
}

void MsgAdicional(TFalhaResolvida& r, const TClassFalha& f, const TTextosFalha& t) {
  if (f.FMsgAdicionalID.trimmed().isEmpty()) return;
  const auto id = static_cast<int64_t>(ValorHexa(f.FMsgAdicionalID));
  r.msgAdicional = t.msgAdicional ? t.msgAdicional(id) : QString();
  r.temMsgAdicional = !r.msgAdicional.isEmpty();
  r.msgAdicionalID = static_cast<uint32_t>(id);
}

}  // namespace

namespace {
// A fault found in the catalogue: its code and description, the additional
// message where the kind carries one, and the status.
TFalhaResolvida Encontrada(const TClassFalhaDTB& c, const TClassFalha& f, const TTextosFalha& t, bool comMsg) {
  TFalhaResolvida r;
  r.catalogo = &c;
  r.codigo = c.FFalhaPC;
  r.descricao = c.FDescricao;
  if (comMsg) MsgAdicional(r, f, t);
  Status(r, f.StatusID(), t);
  return r;
}
}  // namespace

TFalhaResolvida ResolveFalha(const TClassFalha& f, TListaFalhasDTB& catalogo, const TTextosFalha& t) {
  switch (f.FTipoFalha) {
    case TTipoFalha::tfOldConhecido: {
      const TClassFalhaDTB* c = catalogo.GetFalhaByScannerID(f.ID());
      return c ? Encontrada(*c, f, t, false) : NaoEncontrada(f, t);
    }
    case TTipoFalha::tfGenerico: {
      if (f.CodReservado()) {
        TFalhaResolvida r;
        r.codigo = f.CodPCBU();
        r.descricao = t.codigoReservado;
        return r;
      }
      const TClassFalhaDTB* c = catalogo.GetFalhaByScannerID(f.ID());
      return c ? Encontrada(*c, f, t, true) : NaoEncontrada(f, t);
    }
    case TTipoFalha::tfOldReservado: return NaoEncontrada(f, t);
    case TTipoFalha::tfNew:
    case TTipoFalha::tfNewMsgAdicExt: {
      const TClassFalhaDTB* c = catalogo.GetFalhaByHexa(SemZerosAEsquerda(SemEspacos(f.FFalhaHexa)));
      return c ? Encontrada(*c, f, t, true) : NaoEncontrada(f, t);
    }
  }
  return NaoEncontrada(f, t);
}

TClassFalhaDTB& RegistraFalhaEncontrada(TListaFalhasDTB& encontradas, const TClassFalha& falha,
                                        const TFalhaResolvida& r) {
  const QString desc = r.msgAdicional.isEmpty() ? r.descricao : r.descricao + " - " + r.msgAdicional;
  for (TClassFalhaDTB& e : encontradas)
    if (e.FFalhaPC == r.codigo && e.DescMsgAdic() == desc) return e;
  auto n = std::make_unique<TClassFalhaDTB>();
  n->FFalhaID = static_cast<uint32_t>(falha.ID() & 0xFFFFFFFFu);
  n->FFalhaPC = r.codigo;
  n->FCodHexa = falha.FFalhaHexa;
  if (r.catalogo) {
    n->FGrupoID = r.catalogo->FGrupoID;
    n->FScannerID = r.catalogo->FScannerID;
    n->FTituloID = r.catalogo->FTituloID;
    n->FDescricao = r.catalogo->FDescricao;
  } else {
    n->FDescricao = r.descricao;
  }
  if (!r.msgAdicional.isEmpty()) {
    n->FMsgAdicionalID = r.msgAdicionalID;
    n->FMsgAdicionalDesc = r.msgAdicional;
  }
  if (r.temStatus) {
    n->FStatusID = r.statusID;
    n->FStatusDesc = r.status;
  }
  return encontradas.Add(std::move(n));
}

}  // namespace tovra
