#include "sheet/weekgrid.h"

#include <inhouse/services/errors.h>
#include <inhouse/services/texts.h>
#include <inhouse/text/regional.h>

#include <QHash>

TWeekGridShape WeekGridShape(const QDate &startDate, const QDate &endDate, int startHour, int endHour)
{
  // An invalid date has no day count and no next day: the columns could not be counted.
  if (!startDate.isValid() || !endDate.isValid())
    throw EConvertError(QStringLiteral("Informe uma data válida."));
  TWeekGridShape s;
  s.firstDay = startDate;
  s.lastDay = endDate;
  s.startHour = startHour;
  s.colCount = int(startDate.daysTo(endDate)) + 2;
  if (s.colCount < 1)
    s.colCount = 1;
  s.rowCount = endHour - startHour + 2;
  if (s.rowCount < 1)
    s.rowCount = 1;
  return s;
}

QString DayHeader(const QDate &day) { return NomeDia(day).left(3) + QLatin1Char(' ') + DateToStr(zrt::toDateTime(day)); }

QString HourLabel(int hour) { return hour >= 0 && hour < 24 ? QString::number(hour) + QStringLiteral(":00") : QString(); }

void FillWeekGrid(const TWeekGridShape &shape, const std::vector<TWeekReservation> &reservations,
                  const std::function<void(int, int, const QString &)> &setCell)
{
  QHash<quint64, QString> cells;
  std::vector<quint64> order; // cells in the order they were first written
  for (const auto &r : reservations) {
    const QDate day = zrt::dateOf(r.start);
    const QTime time = zrt::timeOf(r.start);
    if (!day.isValid() || !time.isValid())
      continue;
    // A reservation at exactly midnight belongs to hour 0 of its day.
    const int hour = time.hour();
    const int col = int(shape.firstDay.daysTo(day)) + 1;
    const int row = hour - shape.startHour + 1;
    if (col < 1 || col >= shape.colCount || row < 1 || row >= shape.rowCount || hour < 0 || hour > 23)
      continue;
    const quint64 key = (quint64(col) << 32) | quint32(row);
    auto it = cells.find(key);
    if (it == cells.end()) {
      cells.insert(key, r.order);
      order.push_back(key);
    } else {
      it->append(QLatin1String(" //  - ")).append(r.order);
    }
  }
  for (quint64 key : order)
    setCell(int(key >> 32), int(key & 0xffffffffu), cells.value(key));
}
