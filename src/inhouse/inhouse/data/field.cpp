#include <inhouse/data/dataset.h>
#include <inhouse/data/field.h>
#include <inhouse/text/editmask.h>
#include <inhouse/text/formatfloat.h>
#include <inhouse/text/regional.h>

#include <zrt/common/datetime.h>

#include <QLocale>
#include <cmath>
#include <optional>

namespace {

const QLocale &ptBR()
{
  static const QLocale locale(QLocale::Portuguese, QLocale::Brazil);
  return locale;
}

QString invalidValue(const QVariant &value, const TField &field)
{
  return QStringLiteral("'%1' não é um valor válido para o campo '%2'.").arg(value.toString(), field.FieldName);
}

// Accepts both "1.234,5" (pt-BR) and "1234.5" (C) spellings.
std::optional<double> parseNumber(QString text)
{
  text = text.trimmed();
  if (text.isEmpty())
    return std::nullopt;
  bool ok = false;
  double d = ptBR().toDouble(text, &ok);
  if (ok)
    return d;
  d = QLocale::c().toDouble(text, &ok);
  if (ok)
    return d;
  QString plain = text;
  plain.remove(QLatin1Char('.')).replace(QLatin1Char(','), QLatin1Char('.'));
  d = QLocale::c().toDouble(plain, &ok);
  return ok ? std::optional<double>(d) : std::nullopt;
}

std::optional<double> parseDateTime(const QString &raw)
{
  const QString text = raw.trimmed();
  if (auto v = zrt::fromSqlText(text))
    return v;
  static const char *const formats[] = {"dd/MM/yyyy hh:mm:ss", "dd/MM/yyyy hh:mm", "dd/MM/yyyy",          "d/M/yyyy H:mm:ss",
                                        "d/M/yyyy H:mm",       "d/M/yyyy",         "yyyy-MM-ddThh:mm:ss", "yyyy-MM-dd"};
  for (const char *f : formats) {
    const QDateTime dt = QDateTime::fromString(text, QString::fromLatin1(f));
    if (dt.isValid())
      return zrt::toDateTime(dt.date(), dt.time());
  }
  return std::nullopt;
}

QString defaultDateText(double value, bool withTime)
{
  return FormatDateTimeText(withTime ? QStringLiteral("dd/mm/yyyy hh:nn:ss") : QStringLiteral("dd/mm/yyyy"), value);
}

QString generalNumber(double value)
{
  QString text = ptBR().toString(value, 'g', 15);
  text.remove(ptBR().groupSeparator());
  return text;
}

} // namespace

TField::TField(TDataSet *dataSet, const QString &fieldName, TFieldType type, int size)
    : FieldName(fieldName), DataType(type), Size(size), m_dataSet(dataSet)
{}

QVariant TField::Value() const
{
  if (!m_dataSet || m_index < 0)
    return {};
  return m_dataSet->CurrentValue(m_index);
}

void TField::SetValue(const QVariant &value)
{
  if (!m_dataSet)
    throw EDatabaseError(QStringLiteral("Campo '%1' sem conjunto de dados.").arg(FieldName));
  m_dataSet->SetFieldValue(*this, value);
}

bool TField::IsNull() const { return Value().isNull(); }

QString TField::AsString() const
{
  const QVariant v = Value();
  if (v.isNull())
    return {};
  switch (DataType) {
  case ftString: return v.toString();
  case ftBoolean: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
  default: return TextOf(v);
  }
}

double TField::AsFloat() const
{
  const QVariant v = Value();
  if (v.isNull())
    return 0.0;
  if (DataType == ftString) {
    if (auto d = parseNumber(v.toString()))
      return *d;
    throw EDatabaseError(QStringLiteral("'%1' não é um valor de ponto flutuante válido.").arg(v.toString()));
  }
  return v.toDouble();
}

qint64 TField::AsInteger() const
{
  const QVariant v = Value();
  if (v.isNull())
    return 0;
  if (DataType == ftString) {
    bool ok = false;
    const qint64 i = v.toString().trimmed().toLongLong(&ok);
    if (!ok)
      throw EDatabaseError(QStringLiteral("'%1' não é um valor inteiro válido.").arg(v.toString()));
    return i;
  }
  return qint64(std::llround(v.toDouble()));
}

double TField::AsDateTime() const
{
  const QVariant v = Value();
  if (v.isNull())
    return 0.0;
  if (DataType == ftString) {
    if (auto d = parseDateTime(v.toString()))
      return *d;
    throw EDatabaseError(QStringLiteral("'%1' não é uma data e hora válida.").arg(v.toString()));
  }
  return v.toDouble();
}

bool TField::AsBoolean() const
{
  const QVariant v = Value();
  if (v.isNull())
    return false;
  if (DataType == ftString) {
    const QString s = v.toString().trimmed().toUpper();
    return s == QLatin1String("T") || s == QLatin1String("S") || s == QLatin1String("TRUE") || s == QLatin1String("1");
  }
  return v.toBool();
}

QString TField::DisplayText() const { return DisplayTextOf(Value()); }
QString TField::Text() const { return TextOf(Value()); }

void TField::SetText(const QString &text)
{
  if (OnSetText) {
    OnSetText(*this, text);
    return;
  }
  if (text.isEmpty() && DataType != ftString) {
    SetValue(QVariant());
    return;
  }
  SetValue(text);
}

QString TField::DisplayTextOf(const QVariant &value) const
{
  if (value.isNull())
    return {};
  switch (DataType) {
  case ftString: return value.toString();
  case ftDateTime:
  case ftDate:
    if (!DisplayFormat.isEmpty())
      return FormatDateTimeText(DisplayFormat, value.toDouble());
    return defaultDateText(value.toDouble(), DataType == ftDateTime);
  case ftFloat:
  case ftInteger:
    if (!DisplayFormat.isEmpty())
      return FormatFloat(DisplayFormat, value.toDouble());
    return DataType == ftInteger ? QString::number(value.toLongLong()) : generalNumber(value.toDouble());
  case ftBoolean: return value.toBool() ? QStringLiteral("Verdadeiro") : QStringLiteral("Falso");
  }
  return value.toString();
}

QString TField::TextOf(const QVariant &value) const
{
  if (value.isNull())
    return {};
  switch (DataType) {
  case ftFloat:
  case ftInteger:
    if (!EditFormat.isEmpty())
      return FormatFloat(EditFormat, value.toDouble());
    return DataType == ftInteger ? QString::number(value.toLongLong()) : generalNumber(value.toDouble());
  case ftDateTime:
  case ftDate:
    if (!EditFormat.isEmpty())
      return FormatDateTimeText(EditFormat, value.toDouble());
    return defaultDateText(value.toDouble(), DataType == ftDateTime);
  default: return DisplayTextOf(value);
  }
}

QString TField::MaskedDisplayTextOf(const QVariant &value) const
{
  const QString text = DisplayTextOf(value);
  if (EditMask.isEmpty() || DataType != ftString || !DisplayFormat.isEmpty() || text.isEmpty())
    return text;
  return FormatMaskText(EditMask, text);
}

QVariant TField::Coerce(const QVariant &value) const
{
  if (!value.isValid() || value.isNull())
    return {};
  const int id = value.metaType().id();
  const bool isText = id == QMetaType::QString || id == QMetaType::QByteArray;
  switch (DataType) {
  case ftString: {
    QString s = value.toString();
    if (id == QMetaType::Double)
      s = generalNumber(value.toDouble());
    if (Size > 0 && s.size() > Size)
      s.truncate(Size);
    return s.isNull() ? QVariant(QString::fromLatin1("")) : QVariant(s);
  }
  case ftDateTime:
  case ftDate: {
    std::optional<double> d;
    if (id == QMetaType::QDateTime)
      d = value.toDateTime().isValid() ? std::optional<double>(zrt::toDateTime(value.toDateTime())) : std::nullopt;
    else if (id == QMetaType::QDate)
      d = value.toDate().isValid() ? std::optional<double>(zrt::toDateTime(value.toDate())) : std::nullopt;
    else if (isText)
      d = parseDateTime(value.toString());
    else if (value.canConvert<double>())
      d = value.toDouble();
    if (!d || !zrt::isValidDateTime(*d))
      throw EDatabaseError(QStringLiteral("'%1' não é uma data e hora válida.").arg(value.toString()));
    return DataType == ftDate ? zrt::dayOf(*d) : *d;
  }
  case ftFloat: {
    std::optional<double> d;
    if (isText)
      d = parseNumber(value.toString());
    else if (id == QMetaType::Bool)
      d = std::nullopt;
    else {
      bool ok = false;
      const double x = value.toDouble(&ok);
      if (ok)
        d = x;
    }
    if (!d || !std::isfinite(*d))
      throw EDatabaseError(QStringLiteral("'%1' não é um valor de ponto flutuante válido.").arg(value.toString()));
    return *d;
  }
  case ftInteger: {
    bool ok = false;
    qint64 i = 0;
    if (isText)
      i = value.toString().trimmed().toLongLong(&ok);
    else if (id == QMetaType::Double) {
      const double x = value.toDouble();
      ok = std::isfinite(x) && x == std::floor(x);
      i = qint64(x);
    } else if (id != QMetaType::Bool)
      i = value.toLongLong(&ok);
    if (!ok)
      throw EDatabaseError(QStringLiteral("'%1' não é um valor inteiro válido.").arg(value.toString()));
    return i;
  }
  case ftBoolean:
    if (isText) {
      const QString s = value.toString().trimmed().toUpper();
      if (s == QLatin1String("T") || s == QLatin1String("S") || s == QLatin1String("TRUE") || s == QLatin1String("1"))
        return true;
      if (s == QLatin1String("F") || s == QLatin1String("N") || s == QLatin1String("FALSE") || s == QLatin1String("0"))
        return false;
      throw EDatabaseError(invalidValue(value, *this));
    }
    return value.toBool();
  }
  return value;
}

namespace {
// A text with nothing typed: blanks and separators only (an empty masked edit).
bool EmptyDateText(const QString &text)
{
  for (QChar c : text)
    if (c.unicode() > u' ' && c != FormatSettings().dateSeparator && c != FormatSettings().timeSeparator)
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
  if (t.contains(FormatSettings().dateSeparator))
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
