#include "zrt/common/datetime.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace zrt {
namespace {
constexpr qint64 kMsecsPerDay = 86400000;
const qint64 kEpochJulianDay = QDate(1899, 12, 30).toJulianDay();

// Days before the epoch keep the time as a positive fraction after the negative whole day
// (-1.25 is 29 December 1899 06:00), so whole day and time are split by truncation.
TDateTime compose(qint64 days, qint64 msecs)
{
  const double frac = double(msecs) / double(kMsecsPerDay);
  return days >= 0 ? double(days) + frac : double(days) - frac;
}
} // namespace

TDateTime composeDateTime(qint64 days, qint64 msecs) { return compose(days, msecs); }

bool isValidDateTime(TDateTime value) { return std::isfinite(value) && value >= kMinDateTime && value < kMaxDateTime; }

TDateTime toDateTime(const QDate &date, const QTime &time)
{
  // An invalid date's day number is the lowest 64-bit value: subtracting the epoch would overflow.
  if (!date.isValid())
    return std::numeric_limits<TDateTime>::quiet_NaN();
  return compose(date.toJulianDay() - kEpochJulianDay, time.isValid() ? time.msecsSinceStartOfDay() : 0);
}

TDateTime toDateTime(const QDate &date) { return toDateTime(date, QTime()); }

TDateTime toDateTime(const QDateTime &dateTime) { return toDateTime(dateTime.date(), dateTime.time()); }

static bool split(TDateTime value, qint64 &days, qint64 &msecs)
{
  if (!isValidDateTime(value))
    return false;
  double whole = std::trunc(value);
  msecs = std::llround(std::fabs(value - whole) * double(kMsecsPerDay));
  days = qint64(whole);
  if (msecs >= kMsecsPerDay) { // rounding reached the next day
    msecs -= kMsecsPerDay;
    days += value >= 0 ? 1 : -1;
  }
  return true;
}

QDate dateOf(TDateTime value)
{
  qint64 days, msecs;
  if (!split(value, days, msecs))
    return {};
  return QDate::fromJulianDay(days + kEpochJulianDay);
}

QTime timeOf(TDateTime value)
{
  qint64 days, msecs;
  if (!split(value, days, msecs))
    return {};
  return QTime::fromMSecsSinceStartOfDay(int(msecs));
}

QDateTime fromDateTime(TDateTime value)
{
  qint64 days, msecs;
  if (!split(value, days, msecs))
    return {};
  return QDateTime(QDate::fromJulianDay(days + kEpochJulianDay), QTime::fromMSecsSinceStartOfDay(int(msecs)));
}

TDateTime dayOf(TDateTime value) { return toDateTime(dateOf(value)); }

// From the day and time themselves: a QDateTime would be local time, costly to format and moved
// by an hour inside a daylight-saving gap, while these texts are wall-clock readings.
QString toSqlText(TDateTime value)
{
  qint64 days, msecs;
  if (!split(value, days, msecs))
    return {};
  const QDate d = QDate::fromJulianDay(days + kEpochJulianDay);
  const qint64 s = msecs / 1000;
  return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", d.year(), d.month(), d.day(), int(s / 3600), int(s / 60 % 60),
                           int(s % 60));
}

std::optional<TDateTime> fromSqlText(const QString &text)
{
  // "yyyy-MM-dd", then " HH:mm" or "THH:mm", ":ss", a fraction of a second (milliseconds are
  // kept); read as a wall-clock reading, as written (see toSqlText).
  static const QRegularExpression form(
      QStringLiteral(R"(^(\d{4})-(\d{2})-(\d{2})(?:[ T](\d{2}):(\d{2})(?::(\d{2})(?:\.(\d{1,9}))?)?)?$)"));
  const QRegularExpressionMatch m = form.match(text.trimmed());
  if (!m.hasMatch())
    return std::nullopt;
  auto part = [&m](int i) { return m.captured(i).toInt(); };
  const QDate date(part(1), part(2), part(3));
  const QTime time(part(4), part(5), part(6), m.captured(7).left(3).leftJustified(3, QLatin1Char('0')).toInt());
  if (!date.isValid() || !time.isValid())
    return std::nullopt;
  return toDateTime(date, time);
}

} // namespace zrt
