#pragma once
// The host's regional formats (pt-BR unless the host says otherwise) and the conversions of
// day-based date-times and numbers to and from text with them.
#include <inhouse/export.h>

#include <QChar>
#include <QString>
#include <zrt/common/datetime.h>

class TField;

struct TFormatSettings {
    QString shortDateFormat = QStringLiteral("dd/MM/yyyy"); // QDate format letters
    QString shortTimeFormat = QStringLiteral("hh:mm");
    QString longTimeFormat = QStringLiteral("hh:mm:ss");
    QChar dateSeparator = u'/';
    QChar timeSeparator = u':';
    QChar decimalSeparator = u',';
    QChar thousandSeparator = u'.';
};

INHOUSE_EXPORT void SetFormatSettings(const TFormatSettings &settings);
INHOUSE_EXPORT const TFormatSettings &FormatSettings();

INHOUSE_EXPORT QString DateToStr(zrt::TDateTime value);
INHOUSE_EXPORT QString TimeToStr(zrt::TDateTime value);     // long time format
INHOUSE_EXPORT QString DateTimeToStr(zrt::TDateTime value); // date, and the time when not midnight

// Parse day/month[/year] and hh:mm[:ss]; blanks around are ignored; a two-digit year is taken
// within 50 years of today; a missing year is this year. Failures throw EConvertError
// "'x' não é uma data válida." / "'x' não é uma hora válida." / "'x' não é uma data e hora válida.".
INHOUSE_EXPORT zrt::TDateTime StrToDate(const QString &text);
INHOUSE_EXPORT zrt::TDateTime StrToTime(const QString &text);
INHOUSE_EXPORT zrt::TDateTime StrToDateTime(const QString &text);

// Formats like "#,##0.0000", "0.00", "#,##0.00;(#,##0.00);Zero": '0' a digit always shown,
// '#' a digit shown when significant, '.' the decimal point, ',' anywhere in the integer part
// groups thousands, up to three ';' sections (positive; negative; zero), quoted literals.
// Halves round away from zero on the value's shortest decimal form (1.005 -> "1,01").
INHOUSE_EXPORT QString FormatFloat(const QString &format, double value);

// Text into a date-time field: DateSetText keeps the field's time and sets the date typed,
// TimeSetText keeps the date and sets the time; an empty text clears the field.
INHOUSE_EXPORT void DateSetText(TField &field, const QString &text);
INHOUSE_EXPORT void TimeSetText(TField &field, const QString &text);
