#pragma once
// A cursor over in-memory rows with the states inactive, browse, edit and insert.
// Subclasses only fill the rows (InternalOpen); navigation, editing and events live here.
#include <inhouse/data/databaseerror.h>
#include <inhouse/data/field.h>
#include <inhouse/inhouse_core_export.h>

#include <QObject>
#include <QString>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

class INHOUSE_CORE_EXPORT TDataSet : public QObject {
  Q_OBJECT
public:
  using Event = std::function<void(TDataSet &)>;
  using Row = QVector<QVariant>;

  explicit TDataSet(QObject *parent = nullptr);
  ~TDataSet() override;

  QString Name; // as the window names it (cdsReservados); also set as objectName
  bool ReadOnly = false;

  TDataSetState State() const { return m_state; }
  bool Active() const { return m_state != dsInactive; }
  void SetActive(bool active) { active ? Open() : Close(); }

  void Open();
  void Close();

  void First();
  void Prior();
  void Next();
  void Last();
  int MoveBy(int distance); // rows actually moved
  bool Bof() const { return m_bof; }
  bool Eof() const { return m_eof; }
  int RecNo() const { return m_cur + 1; } // 1-based; 0 when empty or closed
  void SetRecNo(int recNo);
  int RecordCount() const { return int(m_rows.size()); }
  bool IsEmpty() const { return m_rows.empty(); }

  void Insert();
  void Append();
  void Edit();
  void Post();
  void Cancel();
  void Delete();

  // Persistent fields: declared before opening, they keep labels, masks and formats across
  // every reload whose columns carry the same name.
  TField &AddField(const QString &name, TFieldType type, int size = 0);
  TField &FieldByName(const QString &name) const; // throws "Campo 'X' não encontrado."
  TField *FindField(const QString &name) const;   // nullptr when absent
  const std::vector<TField *> &Fields() const { return m_fields; }
  int FieldCount() const { return int(m_fields.size()); }
  TField &Field(int index) const { return *m_fields.at(size_t(index)); }

  // Cells by (0-based row, field index) without moving the cursor: for views and fast loops.
  const QVariant &CellValue(int row, int field) const;
  QString CellDisplayText(int row, int field) const;
  QVariant CurrentValue(int field) const; // current record, edit buffer included

  Event BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  Event BeforeScroll, AfterScroll;
  Event BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
  Event BeforePost, AfterPost, BeforeCancel, AfterCancel;
  Event BeforeDelete, AfterDelete;

signals:
  void stateChanged(TDataSetState state);
  void aboutToReset();            // the whole row set or the field list is about to change
  void dataReset();               // ... and has changed (open, close, reload, empty)
  void aboutToInsertRow(int row); // 0-based
  void rowInserted(int row);
  void aboutToRemoveRow(int row);
  void rowRemoved(int row);
  void rowChanged(int row);     // values of one row changed
  void currentChanged(int row); // cursor moved; -1 when there is no current row

protected:
  // Subclasses fill the field list and rows here; throwing leaves the set closed.
  virtual void InternalOpen() = 0;
  virtual void InternalClose() {}

  // For InternalOpen: declare the columns in order (persistent fields are reused by name),
  // then hand the rows over. Cells must already be in each field's storage kind. The rows are
  // taken only when the load succeeds: a throw leaves them with the caller.
  void BeginLoad();
  TField &LoadField(const QString &name, TFieldType type, int size);
  void EndLoad(std::vector<Row> &&rows);
  // Replaces the rows of an open set (EmptyDataSet and the like).
  void ResetRows(std::vector<Row> rows);
  const std::vector<Row> &Rows() const { return m_rows; }
  std::vector<Row> TakeRows() { return std::exchange(m_rows, {}); } // for InternalClose

  void CheckActive() const;
  void CheckInactive() const;
  void CheckModifiable() const;

private:
  friend class TField;
  void SetState(TDataSetState state);
  void SetFieldValue(TField &field, const QVariant &value);
  void CheckBrowseMode();
  void MoveTo(int row, bool alwaysScrollEvents);
  void BeginInsertAppend(bool append);
  void DiscardEdits();
  static void Fire(const Event &event, TDataSet &set)
  {
    if (event)
      event(set);
  }

  TDataSetState m_state = dsInactive;
  std::vector<std::unique_ptr<TField>> m_allFields; // persistent and loaded, never freed before the set
  std::vector<TField *> m_fields;                   // the loaded columns, in row order
  std::vector<Row> m_rows;
  int m_cur = -1;
  bool m_bof = true;
  bool m_eof = true;
  Row m_editOriginal;      // the row before Edit, restored by Cancel
  int m_insertReturn = -1; // the row to go back to when an insert is cancelled
};
