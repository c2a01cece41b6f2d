#include <inhouse/errors.h>
#include <inhouse/text/regional.h>

#include <QDate>
#include <QLocale>
#include <QStringList>
#include <QTime>
#include <cmath>
#include <optional>

namespace {
TFormatSettings &Settings()
{
  static TFormatSettings settings;
  return settings;
}

// Whole-number parts of a text split by a separator; nullopt unless every part is 1..4 digits.
std::optional<QList<int>> Numbers(const QString &text, QChar separator, int minParts, int maxParts)
{
  const QStringList parts = text.split(separator);
  if (parts.size() < minParts || parts.size() > maxParts)
    return std::nullopt;
  QList<int> out;
  for (const QString &part : parts) {
    if (part.isEmpty() || part.size() > 4)
      return std::nullopt;
    for (QChar c : part)
      if (c < u'0' || c > u'9')
        return std::nullopt;
    out.append(part.toInt());
  }
  return out;
}

// Which field of the short date format comes first: 'd', 'M' or 'y', in order.
QString DateOrder()
{
  QString order;
  for (QChar c : Settings().shortDateFormat) {
    const QChar k = c == u'm' ? u'M' : c;
    if ((k == u'd' || k == u'M' || k == u'y') && !order.contains(k))
      order.append(k);
  }
  return order.size() == 3 ? order : QStringLiteral("dMy");
}

int ExpandYear(int year, int digits)
{
  if (digits > 2)
    return year;
  // Two-digit years fall within 50 years of today.
  const int now = QDate::currentDate().year();
  int full = now / 100 * 100 + year;
  if (full > now + 50)
    full -= 100;
  else if (full <= now - 50)
    full += 100;
  return full;
}

std::optional<QDate> ParseDate(const QString &raw)
{
  const QString text = raw.trimmed();
  const QStringList parts = text.split(Settings().dateSeparator);
  auto numbers = Numbers(text, Settings().dateSeparator, 2, 3);
  if (!numbers)
    return std::nullopt;
  const QString order = DateOrder();
  int d = 0, m = 0, y = QDate::currentDate().year();
  int yDigits = 4;
  if (numbers->size() == 3) {
    for (int i = 0; i < 3; ++i) {
      const int v = numbers->at(i);
      if (order[i] == u'd')
        d = v;
      else if (order[i] == u'M')
        m = v;
      else {
        y = v;
        yDigits = int(parts[i].size());
      }
    }
    y = ExpandYear(y, yDigits);
  } else {
    // Without a year: the day and the month in the format's order.
    const QString dm = QString(order).remove(u'y');
    d = numbers->at(dm[0] == u'd' ? 0 : 1);
    m = numbers->at(dm[0] == u'd' ? 1 : 0);
  }
  if (y < 1 || y > 9999)
    return std::nullopt;
  const QDate date(y, m, d);
  if (!date.isValid())
    return std::nullopt;
  return date;
}

std::optional<QTime> ParseTime(const QString &raw)
{
  QString text = raw.trimmed();
  int ms = 0;
  const qsizetype dot = text.indexOf(u'.');
  if (dot >= 0) {
    const QString frac = text.mid(dot + 1);
    bool ok = false;
    ms = frac.toInt(&ok);
    if (!ok || frac.size() != 3)
      return std::nullopt;
    text.truncate(dot);
  }
  // The hour may carry blanks inside ("8 :00" never, " 8:00" yes): only the whole is trimmed.
  auto numbers = Numbers(text, Settings().timeSeparator, 2, 3);
  if (!numbers)
    return std::nullopt;
  const int h = numbers->at(0), m = numbers->at(1), s = numbers->size() == 3 ? numbers->at(2) : 0;
  if (h > 23 || m > 59 || s > 59)
    return std::nullopt;
  return QTime(h, m, s, ms);
}

QString QuotedError(const QString &text, const char *what)
{
  return QStringLiteral("'%1' não é uma %2 válida.").arg(text, QString::fromUtf8(what));
}
} // namespace

void SetFormatSettings(const TFormatSettings &settings) { Settings() = settings; }

const TFormatSettings &FormatSettings() { return Settings(); }

QString DateToStr(zrt::TDateTime value)
{
  const QDate date = zrt::dateOf(value);
  return date.isValid() ? date.toString(Settings().shortDateFormat) : QString();
}

QString TimeToStr(zrt::TDateTime value)
{
  if (!std::isfinite(value))
    return {};
  return zrt::timeOf(value).toString(Settings().longTimeFormat);
}

QString DateTimeToStr(zrt::TDateTime value)
{
  if (!zrt::isValidDateTime(value))
    return {};
  const QTime time = zrt::timeOf(value);
  QString text = DateToStr(value);
  if (time != QTime(0, 0))
    text += u' ' + time.toString(Settings().longTimeFormat);
  return text;
}

zrt::TDateTime StrToDate(const QString &text)
{
  const auto date = ParseDate(text);
  if (!date)
    throw EConvertError(QuotedError(text, "data"));
  return zrt::toDateTime(*date);
}

zrt::TDateTime StrToTime(const QString &text)
{
  const auto time = ParseTime(text);
  if (!time)
    throw EConvertError(QuotedError(text, "hora"));
  return (time->msecsSinceStartOfDay()) / 86400000.0;
}

zrt::TDateTime StrToDateTime(const QString &text)
{
  const QString trimmed = text.trimmed();
  const qsizetype blank = trimmed.indexOf(u' ');
  std::optional<QDate> date;
  std::optional<QTime> time = QTime(0, 0);
  if (blank < 0) {
    date = ParseDate(trimmed);
  } else {
    date = ParseDate(trimmed.left(blank));
    time = ParseTime(trimmed.mid(blank + 1));
  }
  if (!date || !time)
    throw EConvertError(QuotedError(text, "data e hora"));
  return zrt::toDateTime(*date, *time);
}

QString FormatDateTimeText(const QString &format, double value)
{
  const QDate date = zrt::dateOf(value);
  if (!date.isValid())
    return {};
  const QTime time = zrt::timeOf(value);
  static const QLocale loc(QLocale::Portuguese, QLocale::Brazil);
  QString out;
  bool afterHour = false;
  for (int i = 0; i < format.size();) {
    const QChar c = format[i];
    const QChar lc = c.toLower();
    int n = 1;
    while (i + n < format.size() && format[i + n].toLower() == lc)
      ++n;
    if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
      const int end = int(format.indexOf(c, i + 1));
      out += format.mid(i + 1, end < 0 ? -1 : end - i - 1);
      i = end < 0 ? int(format.size()) : end + 1;
      continue;
    }
    if (lc == QLatin1Char('y'))
      out += n >= 3 ? QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'))
                    : QStringLiteral("%1").arg(date.year() % 100, 2, 10, QLatin1Char('0'));
    else if (lc == QLatin1Char('m') && (afterHour && n <= 2))
      out += n == 2 ? QStringLiteral("%1").arg(time.minute(), 2, 10, QLatin1Char('0')) : QString::number(time.minute());
    else if (lc == QLatin1Char('m'))
      out += n >= 4   ? loc.monthName(date.month())
             : n == 3 ? loc.monthName(date.month(), QLocale::ShortFormat)
             : n == 2 ? QStringLiteral("%1").arg(date.month(), 2, 10, QLatin1Char('0'))
                      : QString::number(date.month());
    else if (lc == QLatin1Char('d'))
      out += n >= 4   ? loc.dayName(date.dayOfWeek())
             : n == 3 ? loc.dayName(date.dayOfWeek(), QLocale::ShortFormat)
             : n == 2 ? QStringLiteral("%1").arg(date.day(), 2, 10, QLatin1Char('0'))
                      : QString::number(date.day());
    else if (lc == QLatin1Char('h'))
      out += n >= 2 ? QStringLiteral("%1").arg(time.hour(), 2, 10, QLatin1Char('0')) : QString::number(time.hour());
    else if (lc == QLatin1Char('n'))
      out += n >= 2 ? QStringLiteral("%1").arg(time.minute(), 2, 10, QLatin1Char('0')) : QString::number(time.minute());
    else if (lc == QLatin1Char('s'))
      out += n >= 2 ? QStringLiteral("%1").arg(time.second(), 2, 10, QLatin1Char('0')) : QString::number(time.second());
    else if (lc == QLatin1Char('z'))
      out += QStringLiteral("%1").arg(time.msec(), 3, 10, QLatin1Char('0'));
    else
      out += QString(n, c);
    if (lc == QLatin1Char('h'))
      afterHour = true;
    else if (lc != QLatin1Char(':') && lc != QLatin1Char(' '))
      afterHour = false;
    i += n;
  }
  return out;
}
