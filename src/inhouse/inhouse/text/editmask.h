#pragma once
// Edit masks in the notation "mask;saveLiterals;blank", read once here for both the field's
// masked text and the masked line edit:
//   0 required digit, 9 optional digit, # optional digit or sign, L/l letter, A/a letter or
//   digit, C/c any character (upper case required, lower case optional), > upper case from
//   here, < lower case, <> no case change, \ next character literal, ! blanks of a part go
//   before its characters, _ a blank literal, anything else a literal.
// The two trailing sections are optional: saveLiterals "0" keeps the literals out of the text
// read (anything else keeps them), blank is the character shown where nothing was typed ('_'
// when absent or empty). A ';' escaped with '\' belongs to the mask.
#include <inhouse/inhouse_core_export.h>

#include <QChar>
#include <QList>
#include <QString>

class INHOUSE_CORE_EXPORT TEditMask {
public:
  enum class Kind : char { Literal, Digit, DigitOrSign, Letter, LetterOrDigit, Any };
  enum class Case : char { Keep, Upper, Lower };
  struct Item {
    Kind kind = Kind::Literal;
    bool required = false;
    Case letterCase = Case::Keep;
    QChar literal; // the character shown, for literals
  };

  TEditMask() = default;
  explicit TEditMask(const QString &editMask);

  bool IsEmpty() const { return m_items.isEmpty(); }
  const QList<Item> &Items() const { return m_items; }
  bool SaveLiterals() const { return m_saveLiterals; }
  QChar Blank() const { return m_blank; }
  bool LeadingBlanks() const { return m_leadingBlanks; }
  QList<int> LiteralPositions() const; // in the shown text

  // The shown text of a stored value: literals put in, each part between literals filled
  // from the value (a part typed short, "8:00" in "!90:00", gets its blanks before it).
  QString Format(const QString &value) const;
  // A shown text with the blanks of each part moved before its characters, when '!' says so.
  QString AlignParts(const QString &shown) const;
  // A shown text as it is read: the literals dropped unless they are saved.
  QString Stored(const QString &shown) const;
  // The same mask in Qt's input-mask notation; empty for an empty mask.
  QString ToQtInputMask() const;

private:
  QList<Item> m_items;
  bool m_saveLiterals = true;
  QChar m_blank = u'_';
  bool m_leadingBlanks = false;
};

// TEditMask(editMask).Format(value).
INHOUSE_CORE_EXPORT QString FormatMaskText(const QString &editMask, const QString &value);
