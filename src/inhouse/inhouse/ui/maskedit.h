#pragma once
// Line edit driven by an edit mask in the host platform's notation, "mask;save literals;blank":
//   0 required digit, 9 optional digit, # optional digit or sign, L/l letter, A/a letter or
//   digit, C/c any character (upper case required, lower case optional), > upper case,
//   < lower case, <> no case change, \ next character literal, ! optional characters leading
//   (accepted and ignored), _ a blank literal, anything else a literal kept in the text when
//   "save literals" is 1.
#include <inhouse/export.h>

#include <QLineEdit>
#include <QList>

class INHOUSE_EXPORT TMaskEdit : public QLineEdit
{
    Q_OBJECT
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
    QString leadingBlanks_(const QString &shown) const;
    void fitFont_();

    QString m_editMask;
    QString m_qtMask;
    bool m_saveLiterals = true;
    QChar m_blank = QLatin1Char(' ');
    int m_maxLength = 0;
    QList<int> m_literalPositions;
    bool m_leadingBlanks = false; // '!' in the mask: blanks of a part go before its characters
    QFont m_designFont; // the font before any shrinking
    bool m_designFontKnown = false;
    bool m_fitting = false;
};
