#include "sheet/utilisation.h"

#include <inhouse/text/formatfloat.h>

#include <algorithm>
#include <cmath>

namespace {
// Date-times carry seconds: sums are kept to them so rounding never shows 0,1 h too many.
double HoursToTheSecond(double days) { return std::round(days * 86400.0) / 3600.0; }
} // namespace

TUtilisation Utilisation(std::vector<TReservedSpan> spans, zrt::TDateTime periodStart, zrt::TDateTime periodEnd)
{
  TUtilisation u;
  u.reservations = int(spans.size());
  u.periodHours = HoursToTheSecond(std::max(0.0, periodEnd - periodStart));
  std::sort(spans.begin(), spans.end(), [](const TReservedSpan &a, const TReservedSpan &b) { return a.start < b.start; });
  // Spans clipped to the period and merged where they touch or overlap.
  double busyDays = 0, runStart = 0, runEnd = 0;
  bool inRun = false;
  for (const TReservedSpan &s : spans) {
    const double from = std::max(s.start, periodStart);
    const double to = std::min(s.end, periodEnd);
    if (!(to > from))
      continue;
    if (inRun && from <= runEnd) {
      runEnd = std::max(runEnd, to);
      continue;
    }
    if (inRun)
      busyDays += runEnd - runStart;
    runStart = from, runEnd = to, inRun = true;
  }
  if (inRun)
    busyDays += runEnd - runStart;
  u.reservedHours = HoursToTheSecond(busyDays);
  return u;
}

QString UtilisationText(const TUtilisation &u)
{
  const QString hours = QStringLiteral("#,##0.0");
  QString text = (u.reservations == 1 ? QStringLiteral("1 reserva") : QStringLiteral("%1 reservas").arg(u.reservations)) +
                 QStringLiteral(" · ") + FormatFloat(hours, u.reservedHours) + QStringLiteral(" h reservadas de ") +
                 FormatFloat(hours, u.periodHours) + QStringLiteral(" h");
  if (u.periodHours > 0)
    text +=
        QStringLiteral(" (") + FormatFloat(QStringLiteral("0.0"), 100.0 * u.reservedHours / u.periodHours) + QStringLiteral("%)");
  return text;
}
