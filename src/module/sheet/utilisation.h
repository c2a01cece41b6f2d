#pragma once
// The line under the orders list: how many reservations are shown and how much of the period
// they keep the equipment busy.
#include <zrt/common/datetime.h>

#include <QString>

#include <vector>

struct TReservedSpan {
  zrt::TDateTime start, end;
};

struct TUtilisation {
  int reservations = 0;
  double reservedHours = 0; // within the period, overlapping reservations counted once
  double periodHours = 0;
};

// Cost: n log n in the spans (they are sorted by start here).
TUtilisation Utilisation(std::vector<TReservedSpan> spans, zrt::TDateTime periodStart, zrt::TDateTime periodEnd);

// "18 reservas · 144,0 h reservadas de 726,0 h (19,8%)" in the regional number format; no share
// for an empty period.
QString UtilisationText(const TUtilisation &u);
