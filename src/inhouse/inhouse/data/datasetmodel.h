#pragma once
// The one table model behind every grid: rows of a data source's set, columns by field name.
#include <inhouse/data/datasource.h>
#include <inhouse/inhouse_core_export.h>

#include <QAbstractTableModel>
#include <QStringList>

class INHOUSE_CORE_EXPORT TDataSetModel : public QAbstractTableModel {
  Q_OBJECT
public:
  enum Roles { FieldNameRole = Qt::UserRole + 1, ValueRole };

  explicit TDataSetModel(TDataSource *source, QObject *parent = nullptr);

  TDataSource *DataSource() const { return m_source; }
  // Field names shown as columns; empty means the set's visible fields.
  void SetColumns(const QStringList &fieldNames);
  QStringList Columns() const;
  TField *ColumnField(int column) const; // nullptr when the set lacks that field

  // Current record as a model row (-1 when none) and moving the cursor to a row.
  int CurrentRow() const;
  void SetCurrentRow(int row);

  int rowCount(const QModelIndex &parent = {}) const override;
  int columnCount(const QModelIndex &parent = {}) const override;
  QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
  void currentRowChanged(int row);

private:
  void Attach(TDataSet *set);
  void BeginReset();
  void EndReset();
  QPointer<TDataSource> m_source;
  QPointer<TDataSet> m_set;
  QList<QMetaObject::Connection> m_conns;
  QStringList m_columns; // as given
  QStringList m_shown;   // in effect
  bool m_resetting = false;
};
