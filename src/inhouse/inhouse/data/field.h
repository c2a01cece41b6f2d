#pragma once
// One column of a data set, seen at the data set's current record. Display properties
// (label, mask, formats, visibility) belong to the field object and survive reloads.
#include <inhouse/inhouse_core_export.h>

#include <QString>
#include <QVariant>
#include <functional>

class TDataSet;

enum TFieldType { ftString, ftDateTime, ftDate, ftFloat, ftInteger, ftBoolean };

class INHOUSE_CORE_EXPORT TField {
public:
  TField(TDataSet *dataSet, const QString &fieldName, TFieldType type, int size = 0);
  TField(const TField &) = delete;
  TField &operator=(const TField &) = delete;

  QString FieldName;
  TFieldType DataType = ftString;
  int Size = 0;          // characters, for strings; longer texts are cut on assignment
  QString DisplayLabel;  // column title; the field name when left empty
  QString EditMask;      // "mask;saveLiterals;blank", e.g. "!90:00;1; " or "999.999;0;_"
  QString DisplayFormat; // "#,##0.0000" for numbers, "dd/mm/yyyy hh:nn" for dates
  QString EditFormat;    // the same, for Text()
  bool Visible = true;
  int DisplayWidth = 0; // characters a column shows; 0: as many as the size
  int Tag = 0; // bit 0: key field
  // Replaces the default text conversion of SetText when bound.
  std::function<void(TField &, const QString &)> OnSetText;

  TDataSet *DataSet() const { return m_dataSet; }
  int Index() const { return m_index; } // position in DataSet()->Fields(); -1 when not loaded
  bool IsKeyField() const { return Tag & 1; }
  bool IsNumeric() const { return DataType == ftFloat || DataType == ftInteger; }
  QString Label() const { return DisplayLabel.isEmpty() ? FieldName : DisplayLabel; }

  // Value at the current record. Writing needs the data set in edit or insert state.
  QVariant Value() const;
  void SetValue(const QVariant &value);
  void Clear() { SetValue(QVariant()); }
  bool IsNull() const;

  QString AsString() const;
  double AsFloat() const;
  qint64 AsInteger() const;
  double AsDateTime() const; // day-based value (days since 30/12/1899)
  bool AsBoolean() const;
  void SetAsString(const QString &value) { SetValue(value); }
  void SetAsFloat(double value) { SetValue(value); }
  void SetAsInteger(qint64 value) { SetValue(value); }
  void SetAsDateTime(double value) { SetValue(value); }
  void SetAsBoolean(bool value) { SetValue(value); }

  // Shown text: dd/MM/yyyy, dd/MM/yyyy hh:mm:ss, or DisplayFormat with pt-BR separators.
  QString DisplayText() const;
  // Editing text (EditFormat), and its assignment (OnSetText when bound, else parsed).
  QString Text() const;
  void SetText(const QString &text);

  // The same conversions for any stored value, so views read rows without moving the cursor.
  QString DisplayTextOf(const QVariant &value) const;
  QString TextOf(const QVariant &value) const;
  // DisplayTextOf with the edit mask's literals put in (a grid shows masked codes this way).
  QString MaskedDisplayTextOf(const QVariant &value) const;
  // Converts a value to this field's storage kind; throws EDatabaseError when it cannot.
  QVariant Coerce(const QVariant &value) const;

private:
  friend class TDataSet;
  TDataSet *m_dataSet;
  int m_index = -1;
  bool m_persistent = false;
};

// Text into a date-time field: DateSetText keeps the field's time and sets the date typed,
// TimeSetText keeps the date and sets the time; an empty text clears the field. A text that
// is no date or time throws EConvertError and leaves the field as it was.
INHOUSE_CORE_EXPORT void DateSetText(TField &field, const QString &text);
INHOUSE_CORE_EXPORT void TimeSetText(TField &field, const QString &text);
