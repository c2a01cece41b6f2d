#pragma once
// Time-of-day picker: hours and minutes in the regional short time format. Typing fills the
// hour and moves on to the minutes by itself, ':' moves too, the arrow keys step the section
// under the cursor (wrapping round midnight), Tab leaves the field from the minutes.
#include <inhouse/inhouse_export.h>

#include <QTimeEdit>
#include <zrt/common/datetime.h>

class INHOUSE_EXPORT TTimePicker : public QTimeEdit {
  Q_OBJECT
public:
  explicit TTimePicker(QWidget *parent = nullptr);

  // The time as a day fraction (08:00 is 1/3), seconds always 0.
  zrt::TDateTime Time() const;
  void SetTime(zrt::TDateTime value);
  void SetTime(const QTime &time);
  // The time as text in the regional long time format ("08:00:00").
  QString TimeText() const;

  // Paint the background in the tool-tip colour of the palette.
  void SetTooltipBackground(bool on);

protected:
  // Coming in by keyboard or by code selects the hours, so typing starts there.
  void focusInEvent(QFocusEvent *event) override;
  // The text field inside takes the focus: it says the picker's name (its own or its label's).
  void showEvent(QShowEvent *event) override;
};
