#pragma once
// Day-based date-time values: whole days since 30 December 1899, time of day as the fraction.
// They travel on the wire as JSON numbers and are the unit of every date the system exchanges.
#include <QDate>
#include <QDateTime>
#include <QTime>
#include <optional>

namespace zrt {

using TDateTime = double;

// First and last day a value may name (1 January 0100 .. 31 December 9999).
inline constexpr TDateTime kMinDateTime = -657434.0;
inline constexpr TDateTime kMaxDateTime = 2958466.0;

bool isValidDateTime(TDateTime value); // finite and within the range above
// An invalid date gives NaN, which isValidDateTime rejects.
TDateTime toDateTime(const QDate &date);         // midnight of that day
TDateTime toDateTime(const QDateTime &dateTime); // local wall-clock reading, milliseconds kept
TDateTime toDateTime(const QDate &date, const QTime &time);
// Whole days since 30 December 1899 and milliseconds into that day, without a QDate in between.
TDateTime composeDateTime(qint64 days, qint64 msecs);
QDate dateOf(TDateTime value);           // invalid QDate when out of range
QTime timeOf(TDateTime value);           // rounded to the nearest millisecond
QDateTime fromDateTime(TDateTime value); // invalid when out of range
TDateTime dayOf(TDateTime value);        // the day, time part dropped

// "YYYY-MM-DD HH:MM:SS", the form SQLite stores date-times in.
QString toSqlText(TDateTime value);
std::optional<TDateTime> fromSqlText(const QString &text);

} // namespace zrt
