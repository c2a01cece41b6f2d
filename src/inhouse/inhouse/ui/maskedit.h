#pragma once
// Line edit driven by an edit mask, "mask;save literals;blank" (the notation is read by
// TEditMask, the same reader the fields' masked texts use).
#include <inhouse/inhouse_export.h>
#include <inhouse/text/editmask.h>

#include <QFont>
#include <QLineEdit>

class INHOUSE_EXPORT TMaskEdit : public QLineEdit {
  Q_OBJECT
  Q_CLASSINFO("ClassName", "TMaskEdit") // its class in saved option sets
public:
  explicit TMaskEdit(QWidget *parent = nullptr);

  void SetEditMask(const QString &mask);
  QString EditMask() const { return m_editMask; }

  void SetMaxLength(int n);
  int MaxLength() const { return m_maxLength; }

  // Text as the program reads it: with the blanks where nothing was typed ("  :  " empty,
  // "08:00" full); literals included unless the mask says not to save them.
  QString Text() const;
  void SetText(const QString &text);
  // Text with the literals, whatever the mask says.
  QString EditText() const;

  void SetTooltipBackground(bool on);

  // The Qt input mask a host mask converts to (empty for an empty mask).
  static QString ToQtInputMask(const QString &hostMask);

protected:
  void resizeEvent(QResizeEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;

private:
  void fitFont_();

  QString m_editMask;
  TEditMask m_mask;
  QString m_qtMask;
  int m_maxLength = 0;
  QFont m_designFont; // the font before any shrinking
  bool m_designFontKnown = false;
  bool m_fitting = false;
};
