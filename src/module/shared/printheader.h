#pragma once
// The header every printed view of the package carries: what is shown (equipment, period,
// statuses chosen), when it was printed and by whom.
#include <QString>

class TReport;
class TStatusToggles;

// view: the page printed ("Semana"), or empty for a window with one view.
void SetPrintHeader(TReport &report, const QString &title, const QString &view, const QString &equipment, const QString &period,
                    const TStatusToggles &statuses);
