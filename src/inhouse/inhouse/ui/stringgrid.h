#pragma once
// Text grid addressed by (column, row) from 0, with one fixed column and one fixed row drawn
// like headers (they stay in place while the rest scrolls). Not editable. Cells live in one
// flat table; a rebuild between BeginUpdate/EndUpdate costs one model reset, not one per cell.
// The user resizes columns and rows by their borders, the fixed row and column too (by the
// bottom edge of the fixed row, the right edge of the fixed column); sizes stay with their
// column or row number across changes of the counts and rebuilds, as set.
#include <inhouse/inhouse_export.h>

#include <QBrush>
#include <QTableView>

#include <functional>

class TStringGridModel;

class INHOUSE_EXPORT TStringGrid : public QTableView {
  Q_OBJECT
public:
  explicit TStringGrid(QWidget *parent = nullptr);
  ~TStringGrid() override;

  int ColCount() const;
  void SetColCount(int n); // at least 1; cells kept where they still fit
  int RowCount() const;
  void SetRowCount(int n); // at least 1

  QString Cells(int col, int row) const;                // "" outside the grid
  void SetCells(int col, int row, const QString &text); // ignored outside the grid
  // Background of a data cell (the fixed row and column keep the headers' look); a default
  // QBrush gives the cell back the grid's own background. Cells keep their brush like their text.
  QBrush CellBrush(int col, int row) const;
  void SetCellBrush(int col, int row, const QBrush &brush);
  void ClearCellBrushes();
  // The text a data cell shows when hovered or reached with the keyboard, and tells to
  // assistive technology; asked only then, so it may be costly to build.
  void SetCellHint(std::function<QString(int col, int row)> hint);
  QString CellHint(int col, int row) const;

  int DefaultColWidth() const { return m_defaultColWidth; }
  void SetDefaultColWidth(int w);
  int DefaultRowHeight() const { return m_defaultRowHeight; }
  void SetDefaultRowHeight(int h);
  int RowHeights(int row) const;
  void SetRowHeight(int row, int h);
  int ColWidths(int col) const;
  void SetColWidth(int col, int w);
  // Every column and row back to the default width and height, the fixed ones included.
  void ResetSizes();

  // Bulk changes: nest freely; the view is reset once when the outermost EndUpdate runs.
  void BeginUpdate();
  void EndUpdate();

  void SetGridLines(bool on);
  void SetTooltipBackground(bool on);

  // The cell under a viewport point in grid coordinates (fixed ones included), or (-1,-1).
  QPoint CellAt(const QPoint &viewportPos) const;
  // Rectangle of selected data cells in grid coordinates (left, top, right, bottom); the
  // current cell alone when nothing is selected.
  QRect Selection() const;

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;
  void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
  void saveSizes_();
  void syncHeaders_();

  TStringGridModel *m_model;
  int m_defaultColWidth = 64;
  int m_defaultRowHeight = 24;
  QVector<int> m_savedColWidths, m_savedRowHeights; // across a model reset
  // A drag of the fixed row's bottom edge or the fixed column's right edge.
  struct EdgeDrag {
    QWidget *header = nullptr;
    int startPos = 0;
    int startSize = 0;
  } m_edgeDrag;
};

// BeginUpdate for the length of a scope: EndUpdate runs on every path, failures included, so
// a failed rebuild never leaves the grid frozen.
class TStringGridUpdate {
public:
  explicit TStringGridUpdate(TStringGrid &grid) : m_grid(grid) { m_grid.BeginUpdate(); }
  ~TStringGridUpdate() { m_grid.EndUpdate(); }
  TStringGridUpdate(const TStringGridUpdate &) = delete;
  TStringGridUpdate &operator=(const TStringGridUpdate &) = delete;

private:
  TStringGrid &m_grid;
};
