#include "zrt/common/datetime.h"

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

QString toSqlText(TDateTime value) { return fromDateTime(value).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); }

std::optional<TDateTime> fromSqlText(const QString &text)
{
  const QString t = text.trimmed();
  for (const auto *format : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-ddTHH:mm:ss", "yyyy-MM-ddTHH:mm:ss.zzz",
                             "yyyy-MM-dd HH:mm", "yyyy-MM-dd"}) {
    const QDateTime dt = QDateTime::fromString(t, QLatin1String(format));
    if (dt.isValid())
      return toDateTime(dt);
  }
  return std::nullopt;
}

} // namespace zrt
