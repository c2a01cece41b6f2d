#pragma once
// Date entry field shown as dd/mm/aaaa. Its text, for the code that reads it, is the day, month
// and year digits without separators; the weekday of a valid date is painted inside the field.
#include <inhouse/inhouse_export.h>

#include <QColor>
#include <QDate>
#include <QLineEdit>
#include <QStringList>

class INHOUSE_EXPORT TDateEditPlus : public QLineEdit {
  Q_OBJECT
  Q_CLASSINFO("ClassName", "TDateEditPlus") // its class in saved option sets
public:
  explicit TDateEditPlus(QWidget *parent = nullptr);

  // "06122026"; a position not typed reads as a blank ("  122026"), a cleared field as 8 blanks.
  QString DigitsText() const;
  // Takes up to 8 digits (or blanks) in the same layout.
  void SetDigitsText(const QString &digits);

  // The typed date, or an invalid QDate when the text is not a whole, existing date.
  QDate GetDate() const;
  // Shows the date; an invalid date clears the field. Only the day is kept, never a time.
  void SetDate(const QDate &date);
  // Same from a day-based value (the fraction is dropped).
  void SetDate(double dayBased);
  void Clear();

  bool IsValidDate() const;
  // Throws EConvertError "'31/02/2026' não é uma data válida." after putting the focus back
  // into the field when the text is not a valid date.
  void CheckValidDate();

  // Sunday first; when empty no weekday is painted.
  void SetWeekdayNames(const QStringList &names);
  QStringList WeekdayNames() const { return m_weekdayNames; }
  // The weekday name of the current valid date ("" when none).
  QString WeekdayName() const;

  // Valid dates are drawn in this colour (blue unless told otherwise); invalid ones in the
  // normal text colour.
  void SetValidDateColor(const QColor &color);
  void SetShowValidColor(bool on);
  // Paint the background in the tool-tip colour of the palette.
  void SetTooltipBackground(bool on);

signals:
  void dateChanged(const QDate &date); // also with an invalid date when the text stops being one

protected:
  void paintEvent(QPaintEvent *event) override;
  void focusInEvent(QFocusEvent *event) override;

private:
  void textEdited_();
  void applyColor_();

  QStringList m_weekdayNames;
  QColor m_validColor = QColor(Qt::blue);
  bool m_showValidColor = true;
  bool m_tooltipBackground = false;
  QDate m_lastDate;
};
