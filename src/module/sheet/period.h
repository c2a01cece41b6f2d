#pragma once
// The period the sheet asks reservations for: defaults, the hour check, the join of a date
// with an hour text into one date-time, and the month names of the calendars.
#include <zrt/common/datetime.h>

#include <QDate>
#include <QString>

struct TPeriodDefaults {
  QDate startDate, endDate;
  QString startHour, endHour;
};
// Today "08:00" to today plus 30 days "18:00", by the local clock.
TPeriodDefaults DefaultPeriod(const QDate &today);

// An hour text "HH:MM" (the first hour digit may be blank) naming a time of day 00:00..23:59.
bool HoraValida(const QString &hourText);

// The date's text, a blank and the hour fitted to 5 characters, read as one date-time.
// Throws EConvertError when the date is not valid or the hour is not a time.
zrt::TDateTime JuntaDataHora(const QDate &date, const QString &hourText);

// The hour of an hour text's first two characters (" 8:00" -> 8); -1 when not a number.
int HoraInteira(const QString &hourText);

// "Janeiro" to "Dezembro" into `nome` for 1 to 12; any other number leaves `nome` as it was.
void NomeMes(quint16 mes, QString &nome);
