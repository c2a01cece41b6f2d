#include <inhouse/data/dataset.h>
#include <inhouse/data/field.h>
#include <inhouse/services/errors.h>
#include <inhouse/services/regional.h>

#include <QDate>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <QTime>
#include <cmath>

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

void SetFormatSettings(const TFormatSettings &settings)
{
    Settings() = settings;
}

const TFormatSettings &FormatSettings()
{
    return Settings();
}

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

// ---- FormatFloat -------------------------------------------------------------------------

namespace {
struct Section {
    QString prefix, suffix;      // literals before the first and after the last placeholder
    int intZeros = 0;            // '0's before the point: minimum integer digits
    int fracZeros = 0;           // '0's after the point: decimals always shown
    int fracDigits = 0;          // '0's and '#'s after the point: decimals at most
    bool hasDigits = false;      // any placeholder at all
    bool thousands = false;
};

QList<QString> SplitSections(const QString &format)
{
    QList<QString> sections;
    QString current;
    QChar quote;
    for (QChar c : format) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            current += c;
        } else if (c == u'"' || c == u'\'') {
            quote = c;
            current += c;
        } else if (c == u';') {
            sections.append(current);
            current.clear();
        } else {
            current += c;
        }
    }
    sections.append(current);
    return sections;
}

Section ParseSection(const QString &text)
{
    Section s;
    bool afterPoint = false;
    bool seenDigit = false;
    QString pending; // literals seen since the last placeholder
    QChar quote;
    for (QChar c : text) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                pending += c;
            continue;
        }
        if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'0' || c == u'#') {
            if (!seenDigit)
                s.prefix = pending;
            pending.clear();
            seenDigit = true;
            if (afterPoint) {
                ++s.fracDigits;
                if (c == u'0')
                    s.fracZeros = s.fracDigits;
            } else if (c == u'0') {
                ++s.intZeros;
            }
        } else if (c == u'.' && !afterPoint) {
            if (!seenDigit)
                s.prefix = pending, pending.clear();
            afterPoint = true;
            seenDigit = true;
        } else if (c == u',' && !afterPoint) {
            s.thousands = true;
        } else {
            pending += c;
        }
    }
    s.hasDigits = seenDigit;
    if (seenDigit)
        s.suffix = pending;
    else
        s.prefix = pending;
    return s;
}

// The value's shortest round-trip decimal digits rounded half away from zero to `decimals`.
// Returns the integer digits and the fraction digits, without sign.
std::pair<QString, QString> RoundDecimal(double value, int decimals)
{
    QString digits = QString::number(std::fabs(value), 'f', QLocale::FloatingPointShortest);
    qsizetype point = digits.indexOf(u'.');
    QString intPart = point < 0 ? digits : digits.left(point);
    QString frac = point < 0 ? QString() : digits.mid(point + 1);
    if (frac.size() > decimals) {
        const bool up = frac[decimals] >= u'5';
        frac.truncate(decimals);
        if (up) {
            QString all = intPart + frac;
            int i = int(all.size()) - 1;
            for (; i >= 0; --i) {
                if (all[i] == u'9') {
                    all[i] = u'0';
                } else {
                    all[i] = QChar(all[i].unicode() + 1);
                    break;
                }
            }
            if (i < 0)
                all.prepend(u'1');
            intPart = all.left(all.size() - decimals);
            frac = all.right(decimals);
        }
    }
    while (frac.size() < decimals)
        frac += u'0';
    // Drop leading zeros of the integer part; the section decides how many to show.
    qsizetype lead = 0;
    while (lead < intPart.size() && intPart[lead] == u'0')
        ++lead;
    intPart = intPart.mid(lead);
    return {intPart, frac};
}

QString Render(const Section &s, const QString &intDigits, const QString &fracDigits)
{
    if (!s.hasDigits)
        return s.prefix;
    const TFormatSettings &fs = Settings();
    QString intPart = intDigits;
    while (intPart.size() < s.intZeros)
        intPart.prepend(u'0');
    if (s.thousands && intPart.size() > 3) {
        QString grouped;
        const int n = int(intPart.size());
        for (int i = 0; i < n; ++i) {
            if (i > 0 && (n - i) % 3 == 0)
                grouped += fs.thousandSeparator;
            grouped += intPart[i];
        }
        intPart = grouped;
    }
    QString frac = fracDigits;
    while (frac.size() > s.fracZeros && frac.endsWith(u'0'))
        frac.chop(1);
    QString out = s.prefix + intPart;
    if (!frac.isEmpty())
        out += fs.decimalSeparator + frac;
    return out + s.suffix;
}
} // namespace

QString FormatFloat(const QString &format, double value)
{
    const TFormatSettings &fs = Settings();
    if (!std::isfinite(value))
        return std::isnan(value) ? QStringLiteral("NAN") : (value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF"));
    if (format.isEmpty()) {
        QString text = QString::number(value, 'g', 15);
        text.replace(u'.', fs.decimalSeparator);
        return text;
    }
    const QList<QString> texts = SplitSections(format);
    QList<Section> sections;
    for (int i = 0; i < std::min<qsizetype>(3, texts.size()); ++i)
        sections.append(ParseSection(texts[i]));

    const Section &positive = sections[0];
    const bool negative = value < 0;
    const Section &chosen = negative && sections.size() > 1 && !texts[1].isEmpty() ? sections[1] : positive;
    auto [intDigits, fracDigits] = RoundDecimal(value, chosen.fracDigits);
    const bool zero = intDigits.isEmpty() && !fracDigits.contains(QRegularExpression(QStringLiteral("[1-9]")));
    if (zero) {
        // A value that rounds to zero is shown as zero: no minus sign for it.
        if (sections.size() > 2 && !texts[2].isEmpty()) {
            auto [zi, zf] = RoundDecimal(0.0, sections[2].fracDigits);
            return Render(sections[2], zi, zf);
        }
        auto [zi, zf] = RoundDecimal(0.0, positive.fracDigits);
        return Render(positive, zi, zf);
    }
    QString out = Render(chosen, intDigits, fracDigits);
    if (negative && &chosen == &positive)
        out.prepend(u'-');
    return out;
}

// ---- set-text helpers of date-time fields ----------------------------------------------

namespace {
// A text with nothing typed: blanks and separators only (an empty masked edit).
bool EmptyDateText(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() > u' ' && c != Settings().dateSeparator && c != Settings().timeSeparator)
            return false;
    return true;
}

// The date part and the time part of a text that may hold either or both.
std::pair<QString, QString> SplitDateTime(const QString &text)
{
    const QString t = text.trimmed();
    const qsizetype blank = t.indexOf(u' ');
    if (blank >= 0)
        return {t.left(blank), t.mid(blank + 1)};
    if (t.contains(Settings().dateSeparator))
        return {t, QString()};
    return {QString(), t};
}
} // namespace

// Both parts of the text are checked before the field changes, so a text with a bad date
// leaves the field untouched also when the time is set first.
struct DateTimeParts {
    std::optional<QDate> date;
    std::optional<QTime> time;
};

static DateTimeParts ParseParts(const QString &text)
{
    const auto [datePart, timePart] = SplitDateTime(text);
    DateTimeParts parts;
    if (!datePart.isEmpty())
        parts.date = zrt::dateOf(StrToDate(datePart));
    if (!timePart.isEmpty())
        parts.time = zrt::timeOf(StrToTime(timePart));
    return parts;
}

void DateSetText(TField &field, const QString &text)
{
    if (EmptyDateText(text)) {
        field.Clear();
        return;
    }
    const DateTimeParts parts = ParseParts(text);
    if (!parts.date)
        return; // a time alone leaves the day as it is
    const QTime time = field.IsNull() ? QTime(0, 0) : zrt::timeOf(field.AsDateTime());
    field.SetAsDateTime(zrt::toDateTime(*parts.date, time));
}

void TimeSetText(TField &field, const QString &text)
{
    if (EmptyDateText(text)) {
        field.Clear();
        return;
    }
    const DateTimeParts parts = ParseParts(text);
    const QTime time = parts.time.value_or(QTime(0, 0));
    const QDate day = field.IsNull() ? QDate(1899, 12, 30) : zrt::dateOf(field.AsDateTime());
    field.SetAsDateTime(zrt::toDateTime(day, time));
}
