#pragma once
// The update flow as the update screen runs it, and the start-up fetch of the
// catalogue lists. Messages go through the dialog service; progress through the
// engine's four events (the screen connects them to its panel).
#include <QString>

#include "update/atualizacao.h"
#include "update/autoupdate.h"

namespace tovra {

// Before anything else at start-up, online or not: a missing current package list
// is replaced by the freshly downloaded one ("zinfocrc_new.json" -> "zinfocrc.json",
// and the same for the firmware list).
void PromoveListasPacotes();

// Start-up, online: "conf.json" and "tovra_lista_filecrc.json" into the files folder,
// the server's "zinfocrc.json" and "zfirmwarecrc.json" into the zips folder as their
// "_new" names, and "v3/00700_app.zip"; each only while the earlier ones succeeded.
// Answers the first failure text, empty when all arrived.
QString BaixaListasCatalogo(const TBaixaArquivo& baixa, const QString& raizRelease);

// The full check (true: offer the update). Stores the package list's CRC under
// "CRC_FLX" when every package is in place.
bool FluxoTemAtualizacao(TClassAtualizacao& a);
// Applies the update: tables, then packages (only when the tables arrived), then the
// package lists move into place and "OK_UPDATE" is set to false, whatever happened.
// Answers whether tables and packages all arrived.
bool FluxoAtualiza(TClassAtualizacao& a);

// The selection screen's check, online: with "OK_UPDATE" the update runs at once;
// otherwise, when the server has news and the full check agrees, the user is asked
// "Informacao" / "ExisteAtualizacao" (yes applies, no reloads the current lists).
// aoTerminar is called when the flow is over (after the answer, when one is asked).
void VerificaAtualizacaoSelecao(TClassAtualizacao& a, std::function<void(bool aplicou)> aoTerminar = {});

// The engine's download object as a download function of the start screen.
TBaixaArquivo BaixaPorHttp(TClassHttpLib* http);

}  // namespace tovra
