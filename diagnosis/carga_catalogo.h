#pragma once
// The session's lists filled from the catalogue loads. Each load clears its
// target first and fills it in the order of the rows.
#include "catalogue/controller.h"
#include "diagnosis/atuadoresajustes.h"
#include "diagnosis/falhas.h"
#include "diagnosis/infoadicional.h"
#include "diagnosis/parametros.h"

namespace tovra {

void CarregaListaFalhas(TCatalogo& cat, const TGruposAssociacao& g, TListaFalhasDTB& lista);
void CarregaListaParametros(TCatalogo& cat, qint64 m, qint64 s, TListaParametros& lista);
void CarregaListaParametrosVG(TCatalogo& cat, qint64 m, qint64 s, TListaParametrosVG& lista);
void CarregaListaAtuadores(TCatalogo& cat, const TGruposAssociacao& g, TListaAtuadoresAjustes& lista);
void CarregaListaAjustes(TCatalogo& cat, const TGruposAssociacao& g, TListaAtuadoresAjustes& lista);
void CarregaInfoAdicional(TCatalogo& cat, const QString& idioma, qint64 m, qint64 s,
                          TObjectList<TClassInfoAdicional>& lista);

// The status and additional-message texts of the catalogue and the dictionary's
// "CodigoReservado", for the fault resolution.
TTextosFalha TextosFalhaDoCatalogo(TCatalogo& cat);

}  // namespace tovra
