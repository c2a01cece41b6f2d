#include <inhouse/services/options.h>
#include <inhouse/text/regional.h>
#include <inhouse/ui/dateedit.h>

#include <inhouse/services/errors.h>
#include <inhouse/ui/colours.h>

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

#include <zrt/common/datetime.h>

namespace {
constexpr int kDigits = 8;
// Positions of the separators in "dd/mm/aaaa".
bool isSeparator(int i) { return i == 2 || i == 5; }
} // namespace

TDateEditPlus::TDateEditPlus(QWidget *parent) : QLineEdit(parent)
{
  // '9' is a required digit for Qt; blanks stand for positions not typed yet.
  setInputMask(QStringLiteral("99/99/9999; "));
  connect(this, &QLineEdit::textChanged, this, [this] { textEdited_(); });
  applyColor_();
}

QString TDateEditPlus::DigitsText() const
{
  const QString shown = displayText();
  QString digits;
  for (int i = 0; i < shown.size(); ++i)
    if (!isSeparator(i))
      digits += shown.at(i);
  return digits.leftJustified(kDigits, QLatin1Char(' '), true);
}

void TDateEditPlus::SetDigitsText(const QString &digits)
{
  const QString d = digits.leftJustified(kDigits, QLatin1Char(' '), true);
  // Qt's mask parser does not take blanks for required digits in setText, so the text is
  // typed position by position: a blank position is skipped and stays blank.
  clear();
  QString shown = QStringLiteral("  /  /    ");
  int k = 0;
  for (int i = 0; i < shown.size(); ++i)
    if (!isSeparator(i))
      shown[i] = d.at(k++);
  if (!shown.contains(QLatin1Char(' '))) {
    setText(shown);
    return;
  }
  for (int i = 0; i < shown.size(); ++i) {
    if (isSeparator(i) || shown.at(i) == QLatin1Char(' '))
      continue;
    setCursorPosition(i);
    insert(QString(shown.at(i)));
  }
  setCursorPosition(0);
}

QDate TDateEditPlus::GetDate() const
{
  const QString d = DigitsText();
  for (QChar c : d)
    if (!c.isDigit())
      return {};
  const QDate date(d.mid(4, 4).toInt(), d.mid(2, 2).toInt(), d.mid(0, 2).toInt());
  // Years below 100 do not exist for the day-based values the system exchanges.
  if (!date.isValid() || date.year() < 100)
    return {};
  return date;
}

void TDateEditPlus::SetDate(const QDate &date)
{
  if (!date.isValid()) {
    Clear();
    return;
  }
  setText(QStringLiteral("%1/%2/%3")
              .arg(date.day(), 2, 10, QLatin1Char('0'))
              .arg(date.month(), 2, 10, QLatin1Char('0'))
              .arg(date.year(), 4, 10, QLatin1Char('0')));
}

void TDateEditPlus::SetDate(double dayBased) { SetDate(zrt::dateOf(dayBased)); }

void TDateEditPlus::Clear() { clear(); }

bool TDateEditPlus::IsValidDate() const { return GetDate().isValid(); }

void TDateEditPlus::CheckValidDate()
{
  if (IsValidDate())
    return;
  setFocus(Qt::OtherFocusReason);
  selectAll();
  throw EConvertError(QStringLiteral("'%1' não é uma data válida.").arg(displayText()));
}

void TDateEditPlus::SetWeekdayNames(const QStringList &names)
{
  m_weekdayNames = names;
  update();
}

QString TDateEditPlus::WeekdayName() const
{
  const QDate d = GetDate();
  if (!d.isValid() || m_weekdayNames.size() < 7)
    return {};
  return m_weekdayNames.at(d.dayOfWeek() % 7); // Qt counts Monday 1 .. Sunday 7
}

void TDateEditPlus::SetValidDateColor(const QColor &color)
{
  m_validColor = color;
  applyColor_();
}

void TDateEditPlus::SetShowValidColor(bool on)
{
  m_showValidColor = on;
  applyColor_();
}

void TDateEditPlus::SetTooltipBackground(bool on)
{
  m_tooltipBackground = on;
  applyColor_();
}

void TDateEditPlus::textEdited_()
{
  applyColor_();
  setToolTip(WeekdayName());
  const QDate d = GetDate();
  if (d != m_lastDate) {
    m_lastDate = d;
    emit dateChanged(d);
  }
  update();
}

void TDateEditPlus::applyColor_()
{
  QPalette p = QPalette();
  if (m_tooltipBackground) {
    p.setColor(QPalette::Base, p.color(QPalette::ToolTipBase));
    p.setColor(QPalette::Text, Colours::InkOn(p.color(QPalette::Base), p));
  }
  if (m_showValidColor && IsValidDate())
    p.setColor(QPalette::Text, Colours::ReadableOn(m_validColor, p.color(QPalette::Base)));
  setPalette(p);
}

void TDateEditPlus::paintEvent(QPaintEvent *event)
{
  QLineEdit::paintEvent(event);
  const QString name = WeekdayName();
  if (name.isEmpty())
    return;
  // The weekday goes in the free room right of the date, smaller and grey: the full name
  // when it fits, else its first three letters, else nothing.
  QStyleOptionFrame opt;
  initStyleOption(&opt);
  const QRect r = style()->subElementRect(QStyle::SE_LineEditContents, &opt, this).adjusted(2, 0, -2, 0);
  const int used = fontMetrics().horizontalAdvance(displayText()) + 4;
  QFont small = font();
  if (small.pointSizeF() > 0)
    small.setPointSizeF(qMax(6.0, small.pointSizeF() - 1.5));
  else
    small.setPixelSize(qMax(8, small.pixelSize() - 2));
  const QFontMetrics sfm(small);
  const int room = r.width() - used;
  QString shown = name;
  if (sfm.horizontalAdvance(shown) > room)
    shown = name.left(3);
  if (sfm.horizontalAdvance(shown) > room)
    return;
  QPainter painter(this);
  painter.setFont(small);
  painter.setPen(palette().color(QPalette::PlaceholderText));
  painter.drawText(r, Qt::AlignRight | Qt::AlignVCenter, shown);
}

void TDateEditPlus::focusInEvent(QFocusEvent *event) { QLineEdit::focusInEvent(event); }

namespace {
// Saved option sets keep the date in the short date format, empty for none; an empty value
// leaves the date as it is.
[[maybe_unused]] const bool g_optionCodecRegistered = [] {
  RegisterOptionCodec(QStringLiteral("TDateEditPlus"),
                      {[](const QObject *c) {
                         const QDate date = static_cast<const TDateEditPlus *>(c)->GetDate();
                         return date.isValid() ? DateToStr(zrt::toDateTime(date)) : QString();
                       },
                       [](QObject *c, const QString &value) {
                         if (!value.isEmpty())
                           static_cast<TDateEditPlus *>(c)->SetDate(zrt::dateOf(StrToDate(value)));
                       }});
  return true;
}();
} // namespace
