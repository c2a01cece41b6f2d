#pragma once
// The host's regional formats (pt-BR unless the host says otherwise) and the conversions of
// day-based date-times to and from text with them.
#include <inhouse/inhouse_core_export.h>

#include <QChar>
#include <QString>
#include <zrt/common/datetime.h>

struct TFormatSettings {
  QString shortDateFormat = QStringLiteral("dd/MM/yyyy"); // QDate format letters
  QString shortTimeFormat = QStringLiteral("hh:mm");
  QString longTimeFormat = QStringLiteral("hh:mm:ss");
  QChar dateSeparator = u'/';
  QChar timeSeparator = u':';
  QChar decimalSeparator = u',';
  QChar thousandSeparator = u'.';
};

INHOUSE_CORE_EXPORT void SetFormatSettings(const TFormatSettings &settings);
INHOUSE_CORE_EXPORT const TFormatSettings &FormatSettings();

INHOUSE_CORE_EXPORT QString DateToStr(zrt::TDateTime value);
INHOUSE_CORE_EXPORT QString TimeToStr(zrt::TDateTime value);     // long time format
INHOUSE_CORE_EXPORT QString DateTimeToStr(zrt::TDateTime value); // date, and the time when not midnight

// Parse day/month[/year] and hh:mm[:ss]; blanks around are ignored; a two-digit year is taken
// within 50 years of today; a missing year is this year. Failures throw EConvertError
// "'x' não é uma data válida." / "'x' não é uma hora válida." / "'x' não é uma data e hora válida.".
INHOUSE_CORE_EXPORT zrt::TDateTime StrToDate(const QString &text);
INHOUSE_CORE_EXPORT zrt::TDateTime StrToTime(const QString &text);
INHOUSE_CORE_EXPORT zrt::TDateTime StrToDateTime(const QString &text);

// A date-time in the system's own format letters: "dd/mm/yyyy hh:nn:ss", "d/m/yy", "dddd",
// "mmm"; "m" right after an hour means minutes; quoted text is kept as it is.
INHOUSE_CORE_EXPORT QString FormatDateTimeText(const QString &format, double value);
