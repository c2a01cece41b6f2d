#pragma once
// Error messages shown to the user. The exceptions and the guard that runs handlers live in
// the core (inhouse/errors.h); these show a dialog, so they belong to the widget layer.
#include <inhouse/errors.h>
#include <inhouse/inhouse_export.h>

#include <QString>

// Shows `text` as an error through the prompt seam, then ends the running handler (EAbort).
// The flag is kept for callers written as MensErro(text, true); a handler that must go on after
// an error message uses ShowError instead, so MensErro always ends the handler.
[[noreturn]] INHOUSE_EXPORT void MensErro(const QString &text, bool abort = true);
INHOUSE_EXPORT void ShowError(const QString &text);
