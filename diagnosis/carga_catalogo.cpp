#include "diagnosis/carga_catalogo.h"

#include "common/dicionario.h"

namespace tovra {

namespace {
template <class P>
void Preenche(P& p, const TRegParametro& r) {
  p.FGrupoID = static_cast<uint16_t>(r.grupoID);
  p.FID = static_cast<uint32_t>(r.id);
  p.FIndice = static_cast<uint16_t>(r.indice);
  p.FTitulo = r.titulo;
  p.FAbreviacao = r.abreviacao;
  p.FCategoriaStr = r.categoria;
  p.FVisualGraph = r.visualGraph;
  if (r.temUnidade) p.AddUnidade(static_cast<uint32_t>(r.unidadeID), r.unidadeTitulo);
}

void Testes(const std::vector<TRegAtuadorAjuste>& rows, TListaAtuadoresAjustes& lista) {
  lista.Clear();
  for (const TRegAtuadorAjuste& r : rows) {
    auto a = std::make_unique<TClassAtuadorAjuste>();
    a->FID = static_cast<int32_t>(r.id);
    a->FTitulo = r.titulo;
    a->FIniciaExecutando = static_cast<uint8_t>(r.iniciaExecutando);
    a->FEsperaCmdSaida = static_cast<uint8_t>(r.esperaCmdSaida);
    a->FEntradaDados = static_cast<uint8_t>(r.entradaDados);
    a->FComandoID = static_cast<uint32_t>(r.comandoID);
    a->FComandoOn = r.comandoOn;
    a->FComandoOff = r.comandoOff;
    a->FComandoAdd = r.comandoAdd;
    for (const TRegParametro& p : r.parametros) Preenche(a->FListaParam.AddNew(), p);
    lista.Add(std::move(a));
  }
}
}  // namespace

void CarregaListaFalhas(TCatalogo& cat, const TGruposAssociacao& g, TListaFalhasDTB& lista) {
  lista.Clear();
  for (const TRegFalha& r : cat.CarregaFalhas(g)) {
    auto f = std::make_unique<TClassFalhaDTB>();
    f->FGrupoID = static_cast<uint32_t>(r.grupoID);
    f->FFalhaID = static_cast<uint32_t>(r.falhaID);
    f->FCodHexa = r.codHexa;
    f->FFalhaPC = r.falhaPC;
    f->FScannerID = r.scannerID;
    f->FTituloID = static_cast<uint32_t>(r.tituloID);
    f->FDescricao = r.descricao;
    lista.Add(std::move(f));
  }
}

void CarregaListaParametros(TCatalogo& cat, qint64 m, qint64 s, TListaParametros& lista) {
  lista.Clear();
  for (const TRegParametro& r : cat.CarregaParametros(m, s)) Preenche(lista.AddNew(), r);
}

void CarregaListaParametrosVG(TCatalogo& cat, qint64 m, qint64 s, TListaParametrosVG& lista) {
  lista.Clear();
  for (const TRegParametro& r : cat.CarregaParametrosVG(m, s)) {
    TClassParametroVG& p = lista.AddNew();
    Preenche(p, r);
    p.FLimiteInferior = r.limiteInferior;
    p.FLimiteSuperior = r.limiteSuperior;
  }
}

void CarregaListaAtuadores(TCatalogo& cat, const TGruposAssociacao& g, TListaAtuadoresAjustes& lista) {
  Testes(cat.CarregaAtuadores(g), lista);
}

void CarregaListaAjustes(TCatalogo& cat, const TGruposAssociacao& g, TListaAtuadoresAjustes& lista) {
  Testes(cat.CarregaAjustes(g), lista);
}

void CarregaInfoAdicional(TCatalogo& cat, const QString& idioma, qint64 m, qint64 s,
                          TObjectList<TClassInfoAdicional>& lista) {
  lista.Clear();
  for (const TRegInfoAdicional& r : cat.InfoSolicitada(idioma, m, s)) {
    TClassInfoAdicional& i = lista.AddNew();
    i.FCodigo = static_cast<int>(r.codigo);
    i.FTexto = r.texto;
    i.FBtn1Cod = static_cast<int>(r.btn1Cod);
    i.FBtn2Cod = static_cast<int>(r.btn2Cod);
    i.FBtn1Texto = r.btn1Texto;
    i.FBtn2Texto = r.btn2Texto;
  }
}

TTextosFalha TextosFalhaDoCatalogo(TCatalogo& cat) {
  TTextosFalha t;
  t.statusFalha = [&cat](int64_t id) { return cat.StatusFalha(id); };
  t.msgAdicional = [&cat](int64_t id) { return cat.MsgAdicionalFalha(id); };
  t.codigoReservado = TDicionario::Traduz("CodigoReservado");
  return t;
}

}  // namespace tovra
