#pragma once
// The week grid's arithmetic: one column per day of the period plus the hour column, one row
// per whole hour from the start hour to the end hour plus the header row, and each
// reservation's order number in the cell of the day and hour in which it starts.
#include <zrt/common/datetime.h>

#include <QDate>
#include <QString>

#include <functional>
#include <vector>

struct TWeekGridShape {
  QDate firstDay, lastDay;
  int startHour = 0;
  int colCount = 1; // days + 1
  int rowCount = 1; // hours + 1, never below 1
  bool operator==(const TWeekGridShape &) const = default;
};

// Throws EConvertError when a date is not valid.
TWeekGridShape WeekGridShape(const QDate &startDate, const QDate &endDate, int startHour, int endHour);

// "Seg 07/12/2026": three letters of the weekday name, a blank, the date in the regional short
// date format.
QString DayHeader(const QDate &day);
// "8:00", "14:00"; empty from hour 24 on.
QString HourLabel(int hour);

struct TWeekReservation {
  zrt::TDateTime start;
  QString order;
  zrt::TDateTime end = 0; // not after start: the reservation covers the hour it starts in
  QChar status = {};      // "1" pending, "2" in progress, "3" concluded
  QString product = {};
};

// What covers one hour cell: how many reservations and which statuses among them.
struct TWeekCellLoad {
  enum : quint8 { Pending = 1, InProgress = 2, Concluded = 4 };
  int count = 0;
  quint8 statuses = 0;
};
quint8 WeekStatusBit(QChar status); // 0 for a code the grid does not know

// The load of every cell, at col + row * colCount (the fixed row and column stay empty): a
// reservation covers each hour cell it shares any part of. Cost: the reservations plus the
// cells they cover within the grid.
std::vector<TWeekCellLoad> WeekOccupancy(const TWeekGridShape &shape, const std::vector<TWeekReservation> &reservations);

// Positions in `reservations` of those covering one cell, in their order. Cost: one pass.
std::vector<int> CoveringReservations(const TWeekGridShape &shape, const std::vector<TWeekReservation> &reservations, int col,
                                      int row);

// Sets every data cell through setCell(col, row, text). Cost: the reservations plus the cells
// that receive text. Orders sharing a cell are joined in the given order by " //  - ".
void FillWeekGrid(const TWeekGridShape &shape, const std::vector<TWeekReservation> &reservations,
                  const std::function<void(int col, int row, const QString &text)> &setCell);
