// The sheet's page shown, printed: the orders list, the week grid with its shading, the month
// calendar or the twelve calendars of the year.
#include "sheet/frmplanilha.h"
#include "sheet/occupancy.h"
#include "sheet/period.h"

#include "shared/printheader.h"

#include <inhouse/ui/report.h>

#include <QHeaderView>

namespace {
TReportMonth MonthOf(const TDBCalendar &calendar)
{
  TReportMonth month;
  month.year = calendar.GetDateElement(1);
  month.month = calendar.GetDateElement(2);
  QString name;
  NomeMes(quint16(month.month), name);
  month.caption = name + QLatin1Char(' ') + QString::number(month.year);
  month.startOfWeek = calendar.StartOfWeek();
  // The whole names; the report cuts them to what its columns hold.
  for (int c = 0; c < 7; ++c)
    month.weekdays << calendar.model()->headerData(c, Qt::Horizontal, Qt::ToolTipRole).toString();
  for (QDate day(month.year, month.month, 1); day.month() == month.month; day = day.addDays(1))
    if (calendar.IsMarked(day))
      month.marked.insert(day.day());
  month.markColor = calendar.HollidayColor();
  return month;
}
} // namespace

bool TfrmPlanilha::BuildPrintReport(TReport &report)
{
  QString equipment;
  if (qryEquipamento->Active() && !qryEquipamento->IsEmpty())
    equipment = qryEquipamento->FieldByName(QStringLiteral("CDEQUIPPRO")).AsString() + QStringLiteral(" - ") +
                qryEquipamento->FieldByName(QStringLiteral("NMEQUIPPRO")).AsString();
  const QString period = depInicio->text() + QLatin1Char(' ') + medHoraIni->text() + QStringLiteral(" a ") + depFinal->text() +
                         QLatin1Char(' ') + medHoraFin->text();
  QWidget *page = pgcOrdemProd->ActivePage();
  SetPrintHeader(report, windowTitle(), pgcOrdemProd->tabText(pgcOrdemProd->indexOf(page)), equipment, period, *ToolBar2);

  if (page == tshDia) {
    report.AddView(*dbgOrdemProd);
    if (!lblUtilizacao->text().isEmpty())
      report.AddKeys({{QBrush(), lblUtilizacao->text()}});
  } else if (page == tshSemana) {
    // The hour column repeats on every page to the right.
    report.AddView(*stgSemana, stgSemana->ColWidths(0), stgSemana->Cells(0, 0));
    report.AddKeys(OccupancyKeys());
  } else if (page == tshMes) {
    report.AddCalendars({MonthOf(*dbcMes)});
  } else if (page == tshAno) {
    QList<TReportMonth> months;
    for (const TDBCalendar *calendar : dbcAno)
      months << MonthOf(*calendar);
    report.AddCalendars(months);
  }
  return true;
}
