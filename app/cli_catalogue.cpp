// tovra-cli catalogue --db PATH <sub>: read-only look inside a catalogue database.
//
//   version                               creation date of the catalogue
//   counts                                rows per table
//   groups  --modelo M --sistema S        association id, group ids and menu counts
//   faults  --modelo M --sistema S        the fault catalogue of the association
//   systems --modelo M                    the systems of a model with adapter and years
//
// --teste reads the tables as test mode does (the twin tables ignored).
#include <QFileInfo>

#include "app/cli.h"
#include "catalogue/controller.h"
#include "catalogue/dmtovra.h"

namespace tovra::cli {
namespace {

bool Inteiro(const TArgs& a, const QString& nome, qint64& v) {
  bool ok = false;
  v = a.Opcao(nome).toLongLong(&ok);
  if (!ok) Err("--" + nome + " precisa de um número");
  return ok;
}

int Catalogo(const TArgs& a) {
  QString db = a.Opcao("db");
  // "--teste groups" reads as the option teste with the value "groups".
  QString sub = a.Posicionais().isEmpty() ? a.Opcao("teste") : a.Posicionais().first();
  if (db.isEmpty() || sub.isEmpty()) {
    Err("uso: tovra-cli catalogue --db PATH [--teste] version|counts|groups|faults|systems [--modelo M] [--sistema S]");
    return 2;
  }
  if (QFileInfo(db).isDir()) db = db + "/Tovra.s3db";
  TDmTovra dm;
  if (!dm.AbreSomenteLeitura(db)) {
    Err("não foi possível abrir " + db);
    return 1;
  }
  TCatalogo cat(dm);
  cat.DefineModoTeste(a.TemOpcao("teste"));
  try {
    if (sub == "version") {
      Out(TextoVersaoLocal(&dm));
      return 0;
    }
    if (sub == "counts") {
      auto t = dm.Search("SELECT NAME FROM sqlite_master WHERE TYPE = 'table' ORDER BY NAME");
      for (t->First(); !t->Eof(); t->Next()) {
        const QString n = t->Field(0).AsString();
        auto c = dm.Search("SELECT COUNT(*) FROM [" + QString(n).replace("]", "]]") + "]");
        Out(QString("%1 %2").arg(n, -32).arg(c->Field(0).AsInteger()));
      }
      return 0;
    }
    qint64 m = 0, s = 0;
    if (sub == "systems") {
      if (!Inteiro(a, "modelo", m)) return 2;
      auto q = dm.Search(
          "SELECT A.ID_SISTEMA, S.NOME_SISTEMA_PT, S.ID_SIGLA, A.ANO_DE, A.ANO_ATE, A.ID_ADAP FROM "
          "ASSOCIACAO_MODELO_SISTEMA A LEFT JOIN SISTEMAS S ON S.ID_SISTEMA = A.ID_SISTEMA WHERE A.ID_MODELO = ? "
          "ORDER BY S.ID_SIGLA, A.ID_SISTEMA",
          {m});
      for (q->First(); !q->Eof(); q->Next()) {
        const QString sigla = cat.SiglaDoSistema(q->Field(0).AsInteger()).titulo;
        Out(QString("%1 %2 %3%4 adaptador %5")
                .arg(q->Field(0).AsInteger(), 6)
                .arg(q->Field(2).AsString(), -4)
                .arg(TCatalogo::SistemaSemSigla(sigla, q->Field(1).AsString()))
                .arg(TCatalogo::TextoAnos(q->Field(3).AsString(), q->Field(4).AsString()))
                .arg(q->Field(5).AsInteger()));
      }
      return 0;
    }
    if (!Inteiro(a, "modelo", m) || !Inteiro(a, "sistema", s)) return 2;
    TGruposAssociacao g;
    if (!cat.GruposAssociacao(m, s, g)) {
      Err(QString("sem associação do modelo %1 com o sistema %2").arg(m).arg(s));
      return 1;
    }
    if (sub == "groups") {
      const TAdaptadorAssociacao ad = cat.AdaptadorAssociacao(m, s);
      Out(QString("associacao %1").arg(g.associacao));
      Out(QString("falhas %1 generico %2 parametros %3 visualgraph %4 ajustes %5 atuadores %6")
              .arg(g.falhas).arg(g.falhasGen).arg(g.parametros).arg(g.visualGraph).arg(g.ajustes).arg(g.atuadores));
      Out(QString("qtd falhas %1 parametros %2 atuadores %3 ajustes %4")
              .arg(cat.QtdFalhas(m, s)).arg(cat.QtdParametros(m, s)).arg(cat.QtdAtuadores(m, s)).arg(cat.QtdAjustes(m, s)));
      Out(QString("adaptador %1 %2").arg(ad.id).arg(ad.nome));
      return 0;
    }
    if (sub == "faults") {
      for (const TRegFalha& f : cat.CarregaFalhas(g))
        Out(QString("%1 %2 %3 %4 %5").arg(f.falhaPC, -7).arg(f.codHexa, -6).arg(f.scannerID, 5).arg(f.grupoID, 6).arg(f.descricao));
      return 0;
    }
  } catch (const std::exception& e) {
    Err(QString::fromUtf8(e.what()));
    return 1;
  }
  Err("subcomando desconhecido: " + sub);
  return 2;
}

TCliRegistro rCatalogo{"catalogue", "looks inside a catalogue database (read-only): version, counts, groups, faults, systems",
                       &Catalogo};

}  // namespace
}  // namespace tovra::cli
