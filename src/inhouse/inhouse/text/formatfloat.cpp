#include <inhouse/text/formatfloat.h>
#include <inhouse/text/regional.h>

#include <QLocale>
#include <QRegularExpression>
#include <cmath>
#include <utility>

namespace {
struct Section {
  QString prefix, suffix; // literals before the first and after the last placeholder
  int intZeros = 0;       // '0's before the point: minimum integer digits
  int fracZeros = 0;      // '0's after the point: decimals always shown
  int fracDigits = 0;     // '0's and '#'s after the point: decimals at most
  bool hasDigits = false; // any placeholder at all
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
  const TFormatSettings &fs = FormatSettings();
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
  const TFormatSettings &fs = FormatSettings();
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
