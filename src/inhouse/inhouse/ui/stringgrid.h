#pragma once
// Text grid addressed by (column, row) from 0, with one fixed column and one fixed row drawn
// like headers (they stay in place while the rest scrolls). Not editable. Cells live in one
// flat table; a rebuild between BeginUpdate/EndUpdate costs one model reset, not one per cell.
#include <inhouse/inhouse_export.h>

#include <QTableView>

class TStringGridModel;

class INHOUSE_EXPORT TStringGrid : public QTableView
{
    Q_OBJECT
public:
    explicit TStringGrid(QWidget *parent = nullptr);
    ~TStringGrid() override;

    int ColCount() const;
    void SetColCount(int n); // at least 1; cells kept where they still fit
    int RowCount() const;
    void SetRowCount(int n); // at least 1

    QString Cells(int col, int row) const; // "" outside the grid
    void SetCells(int col, int row, const QString &text); // ignored outside the grid

    int DefaultColWidth() const { return m_defaultColWidth; }
    void SetDefaultColWidth(int w);
    int DefaultRowHeight() const { return m_defaultRowHeight; }
    void SetDefaultRowHeight(int h);
    int RowHeights(int row) const;
    void SetRowHeight(int row, int h);
    int ColWidths(int col) const;
    void SetColWidth(int col, int w);

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

private:
    void syncHeaders_();

    TStringGridModel *m_model;
    int m_defaultColWidth = 64;
    int m_defaultRowHeight = 24;
};
