#include <inhouse/services/options.h>
#include <inhouse/ui/maskedit.h>

#include <QPalette>
#include <QStyle>
#include <QStyleOptionFrame>

TMaskEdit::TMaskEdit(QWidget *parent) : QLineEdit(parent) {}

QString TMaskEdit::ToQtInputMask(const QString &hostMask) { return TEditMask(hostMask).ToQtInputMask(); }

void TMaskEdit::SetEditMask(const QString &mask)
{
  m_editMask = mask;
  m_mask = TEditMask(mask);
  m_qtMask = m_mask.ToQtInputMask();
  setInputMask(m_qtMask);
  if (m_maxLength > 0 && m_qtMask.isEmpty())
    setMaxLength(m_maxLength);
  fitFont_();
}

void TMaskEdit::SetMaxLength(int n)
{
  m_maxLength = n;
  // With a mask the mask fixes the length; without one the limit applies as such.
  if (m_qtMask.isEmpty())
    setMaxLength(n > 0 ? n : 32767);
}

QString TMaskEdit::EditText() const { return m_qtMask.isEmpty() ? text() : m_mask.AlignParts(displayText()); }

QString TMaskEdit::Text() const
{
  if (m_qtMask.isEmpty())
    return text();
  return m_mask.Stored(m_mask.AlignParts(displayText()));
}

void TMaskEdit::SetText(const QString &value) { setText(value); }

void TMaskEdit::SetTooltipBackground(bool on)
{
  QPalette p = palette();
  p.setColor(QPalette::Base, on ? p.color(QPalette::ToolTipBase) : QPalette().color(QPalette::Base));
  setPalette(p);
}

void TMaskEdit::focusOutEvent(QFocusEvent *event)
{
  // Show what the program reads: a part typed short is moved right on leaving the field.
  if (m_mask.LeadingBlanks() && !m_qtMask.isEmpty()) {
    const QString normal = m_mask.AlignParts(displayText());
    if (normal != displayText()) {
      setText(normal);
      if (displayText() != normal) { // the mask cannot hold it so: put it position by position
        clear();
        for (int i = 0; i < normal.size(); ++i) {
          if (normal.at(i) == m_mask.Blank() || m_mask.LiteralPositions().contains(i))
            continue;
          setCursorPosition(i);
          insert(QString(normal.at(i)));
        }
      }
    }
  }
  QLineEdit::focusOutEvent(event);
}

void TMaskEdit::resizeEvent(QResizeEvent *event)
{
  QLineEdit::resizeEvent(event);
  fitFont_();
}

void TMaskEdit::fitFont_()
{
  // Narrow fields sized for a narrower font (an hour edit 33 pixels wide) would scroll their
  // first character out of sight: shrink the font until a full text fits.
  if (m_fitting || m_qtMask.isEmpty())
    return;
  m_fitting = true;
  if (!m_designFontKnown) {
    m_designFont = font();
    m_designFontKnown = true;
  }
  QString sample = displayText();
  for (QChar &c : sample)
    if (c == m_mask.Blank())
      c = QLatin1Char('0');
  QStyleOptionFrame opt;
  initStyleOption(&opt);
  const int room = style()->subElementRect(QStyle::SE_LineEditContents, &opt, this).width() - 5;
  QFont f = m_designFont;
  int px = QFontInfo(f).pixelSize();
  while (px > 7 && QFontMetrics(f).horizontalAdvance(sample) > room)
    f.setPixelSize(--px);
  if (f != font())
    setFont(f);
  m_fitting = false;
}

namespace {
// Saved option sets keep the edit's text.
[[maybe_unused]] const bool g_optionCodecRegistered = [] {
  RegisterOptionCodec(QStringLiteral("TMaskEdit"),
                      {[](const QObject *c) { return static_cast<const TMaskEdit *>(c)->Text(); },
                       [](QObject *c, const QString &value) { static_cast<TMaskEdit *>(c)->SetText(value); }});
  return true;
}();
} // namespace
