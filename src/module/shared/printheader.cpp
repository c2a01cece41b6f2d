#include "shared/printheader.h"

#include <inhouse/services/brivon.h>
#include <inhouse/text/regional.h>
#include <inhouse/ui/report.h>
#include <inhouse/ui/statustoggles.h>
#include <zrt/common/datetime.h>

#include <QDateTime>
#include <QStringList>

void SetPrintHeader(TReport &report, const QString &title, const QString &view, const QString &equipment, const QString &period,
                    const TStatusToggles &statuses)
{
  const QStringList chosen = statuses.CheckedNames();
  report.Title = title;
  report.Lines = {
      {QStringLiteral("Equipamento:"), equipment},
      {QStringLiteral("Período:"), period},
      {QStringLiteral("Situações:"), chosen.isEmpty() ? QStringLiteral("Nenhuma") : chosen.join(QStringLiteral(", "))}};
  if (!view.isEmpty())
    report.Lines.append({QStringLiteral("Visão:"), view});
  report.Lines.append({QStringLiteral("Impresso em:"), DateTimeToStr(zrt::toDateTime(QDateTime::currentDateTime()))});
  report.Lines.append({QStringLiteral("Operador:"), Brivon::Operador()});
}
