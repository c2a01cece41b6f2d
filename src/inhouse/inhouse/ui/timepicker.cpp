#include <inhouse/text/regional.h>
#include <inhouse/ui/timepicker.h>

#include <QAccessible>
#include <QFocusEvent>
#include <QLineEdit>

#include <cmath>

TTimePicker::TTimePicker(QWidget *parent) : QTimeEdit(parent)
{
  // The regional short format with 24-hour hours whatever letters the region uses for them.
  QString format = FormatSettings().shortTimeFormat;
  if (!format.contains(QLatin1String("ap"), Qt::CaseInsensitive))
    format.replace(QLatin1String("hh"), QLatin1String("HH")).replace(QLatin1Char('h'), QLatin1Char('H'));
  setDisplayFormat(format);
  setWrapping(true);
  setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
  setKeyboardTracking(true);
  setTime(QTime(0, 0));
}

zrt::TDateTime TTimePicker::Time() const
{
  const QTime t = time();
  return (t.hour() * 60 + t.minute()) / 1440.0;
}

void TTimePicker::SetTime(zrt::TDateTime value)
{
  if (!std::isfinite(value))
    return;
  const double fraction = value - std::floor(value);
  const int minutes = int(std::lround(fraction * 1440.0)) % 1440;
  setTime(QTime(minutes / 60, minutes % 60));
}

void TTimePicker::SetTime(const QTime &time) { setTime(QTime(time.hour(), time.minute())); }

QString TTimePicker::TimeText() const { return TimeToStr(Time()); }

void TTimePicker::SetTooltipBackground(bool on)
{
  QPalette p = palette();
  p.setColor(QPalette::Base, on ? QPalette().color(QPalette::ToolTipBase) : QPalette().color(QPalette::Base));
  setPalette(p);
}

void TTimePicker::focusInEvent(QFocusEvent *event)
{
  QTimeEdit::focusInEvent(event);
  if (event->reason() != Qt::MouseFocusReason && event->reason() != Qt::BacktabFocusReason)
    setSelectedSection(QDateTimeEdit::HourSection);
}

void TTimePicker::showEvent(QShowEvent *event)
{
  QTimeEdit::showEvent(event);
  if (QAccessibleInterface *picker = QAccessible::queryAccessibleInterface(this))
    lineEdit()->setAccessibleName(picker->text(QAccessible::Name));
}
