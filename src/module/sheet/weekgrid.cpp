#include "sheet/weekgrid.h"

#include <inhouse/services/errors.h>
#include <inhouse/services/texts.h>
#include <inhouse/text/regional.h>

#include <QHash>

#include <cmath>

namespace {
constexpr qint64 kMsPerHour = 3600 * 1000;
constexpr qint64 kMsPerDay = 24 * kMsPerHour;

qint64 floorDiv(qint64 a, qint64 b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// The hours a reservation shares any part of, counted from hour 0 of the grid's first day, as
// the first and the last (inclusive). False when a date-time has no date.
bool HourSpan(const TWeekGridShape &shape, const TWeekReservation &r, qint64 &first, qint64 &last)
{
  auto ms = [&shape](zrt::TDateTime v, qint64 &out) {
    const QDate day = zrt::dateOf(v);
    const QTime time = zrt::timeOf(v);
    if (!day.isValid() || !time.isValid())
      return false;
    out = shape.firstDay.daysTo(day) * kMsPerDay + time.msecsSinceStartOfDay();
    return true;
  };
  qint64 start = 0, end = 0;
  if (!ms(r.start, start))
    return false;
  first = floorDiv(start, kMsPerHour);
  last = first;
  if (r.end > r.start && ms(r.end, end) && end > start)
    last = floorDiv(end + kMsPerHour - 1, kMsPerHour) - 1; // an end on the hour leaves that hour free
  return true;
}

// Calls visit(col, row) for each cell of the grid within the hours first..last.
template <class Visit>
void ForEachCell(const TWeekGridShape &shape, qint64 first, qint64 last, Visit &&visit)
{
  const int days = shape.colCount - 1;
  const int lowHour = std::max(0, shape.startHour);
  const int highHour = std::min(23, shape.startHour + shape.rowCount - 2);
  if (days <= 0 || lowHour > highHour)
    return;
  const qint64 firstDay = std::max<qint64>(0, floorDiv(first, 24));
  const qint64 lastDay = std::min<qint64>(days - 1, floorDiv(last, 24));
  for (qint64 d = firstDay; d <= lastDay; ++d) {
    const int from = std::max(lowHour, d == floorDiv(first, 24) ? int(first - d * 24) : 0);
    const int to = std::min(highHour, d == floorDiv(last, 24) ? int(last - d * 24) : 23);
    for (int h = from; h <= to; ++h)
      visit(int(d) + 1, h - shape.startHour + 1);
  }
}
} // namespace

quint8 WeekStatusBit(QChar status)
{
  switch (status.unicode()) {
  case u'1': return TWeekCellLoad::Pending;
  case u'2': return TWeekCellLoad::InProgress;
  case u'3': return TWeekCellLoad::Concluded;
  default: return 0;
  }
}

std::vector<TWeekCellLoad> WeekOccupancy(const TWeekGridShape &shape, const std::vector<TWeekReservation> &reservations)
{
  std::vector<TWeekCellLoad> load(size_t(shape.colCount) * size_t(shape.rowCount));
  for (const auto &r : reservations) {
    qint64 first = 0, last = 0;
    if (!HourSpan(shape, r, first, last))
      continue;
    const quint8 bit = WeekStatusBit(r.status);
    ForEachCell(shape, first, last, [&](int col, int row) {
      TWeekCellLoad &cell = load[size_t(col) + size_t(row) * size_t(shape.colCount)];
      ++cell.count;
      cell.statuses |= bit;
    });
  }
  return load;
}

std::vector<int> CoveringReservations(const TWeekGridShape &shape, const std::vector<TWeekReservation> &reservations, int col,
                                      int row)
{
  std::vector<int> found;
  const qint64 hour = qint64(col - 1) * 24 + shape.startHour + row - 1;
  for (size_t i = 0; i < reservations.size(); ++i) {
    qint64 first = 0, last = 0;
    if (HourSpan(shape, reservations[i], first, last) && first <= hour && hour <= last)
      found.push_back(int(i));
  }
  return found;
}

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
