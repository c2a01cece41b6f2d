#pragma once
// Data grids over the data-aware layer: one TDataSetModel on a TDataSource per grid. The grid's
// current row and the data set's cursor follow each other both ways: choosing a row moves the
// cursor (so the data set's AfterScroll runs), moving the cursor selects the row.
#include <inhouse/data/datasource.h>
#include <inhouse/inhouse_export.h>

#include <QFlags>
#include <QList>
#include <QPointer>
#include <QTableView>
#include <functional>

class TDataSetModel;
class TField;
class QSortFilterProxyModel;

enum TGridOption {
  dgEditing = 0x001,             // in-cell editing
  dgTitles = 0x002,              // column titles shown
  dgIndicator = 0x004,           // row indicator column
  dgColumnResize = 0x008,        // user may resize columns
  dgColLines = 0x010,            // vertical lines
  dgRowLines = 0x020,            // horizontal lines
  dgTabs = 0x040,                // Tab moves between cells
  dgRowSelect = 0x080,           // whole row selected
  dgAlwaysShowSelection = 0x100, // selection drawn also without the focus
  dgConfirmDelete = 0x200,
  dgCancelOnExit = 0x400,
};
Q_DECLARE_FLAGS(TGridOptions, TGridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridOptions)

struct INHOUSE_EXPORT TColumn {
  QString FieldName;
  int Width = -1; // -1: the grid's default width
  QString Title;  // empty: the field's display label
};

class INHOUSE_EXPORT TDBGrid : public QTableView {
  Q_OBJECT
public:
  explicit TDBGrid(QWidget *parent = nullptr);
  ~TDBGrid() override;

  void SetDataSource(TDataSource *source);
  TDataSource *DataSource() const { return m_source; }
  TDataSet *DataSet() const;

  // Empty list: every visible field of the data set, in field order.
  void SetColumns(const QList<TColumn> &columns);
  QList<TColumn> Columns() const { return m_columns; }

  TGridOptions Options() const { return m_options; }
  void SetOptions(TGridOptions options);
  bool ReadOnly() const { return !(m_options & dgEditing); }

  void SetTooltipBackground(bool on);

  // Field of the current column (nullptr with no open data set or no column).
  TField *SelectedField() const;
  int SelectedIndex() const;
  void SetSelectedIndex(int column);
  // The open in-cell editor, or nullptr.
  QWidget *InplaceEditor() const;

  TDataSetModel *Model() const { return m_model; }

  // After the row change (if any) that a mouse click on a cell causes. Runs guarded.
  std::function<void(TDBGrid &, TField *)> OnCellClick;
  // A double click inside the grid's cells area, after the first click has moved the current
  // row. Runs guarded.
  std::function<void(TDBGrid &)> OnDblClick;
  // Keys reaching the grid (or its in-cell editor), after the form's key preview. Set the key
  // to 0 to discard it. Run guarded; an abort discards the key too.
  std::function<void(TDBGrid &, int &key, Qt::KeyboardModifiers)> OnKeyDown;
  std::function<void(TDBGrid &, QChar &key)> OnKeyPress;

protected:
  void keyPressEvent(QKeyEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;
  void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
  void focusOutEvent(QFocusEvent *event) override;

  // Rows and columns of the view are those of a proxy over the data model: identity order
  // here, the chosen sort order in TDBSortGrid.
  QSortFilterProxyModel *Proxy() const { return m_proxy; }
  void syncFromCursor();

private:
  void applyColumns();
  void applyOptions();
  void afterReset();
  bool runKeyHandlers(QKeyEvent *event); // true when a handler discarded the key

  QPointer<TDataSource> m_source;
  TDataSetModel *m_model = nullptr;
  QSortFilterProxyModel *m_proxy = nullptr;
  QPointer<QWidget> m_editor;
  QList<TColumn> m_columns;
  TGridOptions m_options =
      TGridOptions(dgTitles | dgColumnResize | dgColLines | dgRowLines | dgTabs | dgConfirmDelete | dgCancelOnExit);
  bool m_syncing = false;
  bool m_tooltipBackground = false;

  friend class TDBGridDelegate;
  friend class TDBSortGrid;
};

// A grid the user sorts by clicking a column title (again: descending). Sorting changes only
// what the view shows; the data set keeps its order and its cursor stays on the same record.
class INHOUSE_EXPORT TDBSortGrid : public TDBGrid {
  Q_OBJECT
public:
  explicit TDBSortGrid(QWidget *parent = nullptr);

  void SortBy(const QString &fieldName, Qt::SortOrder order = Qt::AscendingOrder);
  void ClearSort();
  QString SortField() const { return m_sortField; }
  Qt::SortOrder SortOrder() const { return m_sortOrder; }

private:
  void reapplySort();
  QString m_sortField;
  Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
