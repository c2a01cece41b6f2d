#pragma once
// A printed listing of what a window shows: a header on every page (the title, labelled lines
// and "Página N de M") over blocks laid out top to bottom: tables copied from item models, and
// month calendars. The contents are copied when a block is added, so a report can be painted
// again later (a print preview repaints on every page set-up change) whatever the window did
// meanwhile. Pages are laid out once per device, before anything is painted.
#include <inhouse/inhouse_export.h>

#include <QBrush>
#include <QColor>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

class QAbstractItemModel;
class QPagedPaintDevice;
class QTableView;

struct TReportLine {
  QString label, value;
};

// One month as a calendar shows it.
struct TReportMonth {
  int year = 0, month = 0;
  QString caption;      // "Janeiro 2027"
  QStringList weekdays; // the seven weekday names, whole, from the first column on
  int startOfWeek = 0;  // weekday of the first column: 0 Sunday to 6 Saturday
  QSet<int> marked;     // days of the month drawn shaded
  QColor markColor = Qt::yellow;
};

// A swatch and its text, as a legend shows them; without a brush only the text.
struct TReportKey {
  QBrush brush;
  QString text;
};

class INHOUSE_EXPORT TReport {
public:
  TReport();
  ~TReport();
  TReport(const TReport &) = delete;
  TReport &operator=(const TReport &) = delete;

  QString Title;
  QList<TReportLine> Lines;

  // A table of the model's rows: column titles from the horizontal header, texts, background
  // brushes (colour and pattern) and alignments of the cells. `columns` are the model's
  // columns to print, in order, with their widths in screen pixels (96 per inch). With a
  // row-header width above 0 the vertical header's texts are printed as a first column, under
  // the corner text, and repeated on every page to the right. Long texts wrap within their
  // column and the row grows from its height on the screen (rowHeights, screen pixels; none:
  // one line); the title row repeats on every page down.
  struct TColumnSpec {
    int column;
    int width;
  };
  void AddTable(const QAbstractItemModel &model, const QList<TColumnSpec> &columns, int rowHeaderWidth = 0,
                const QString &corner = {}, const QVector<int> &rowHeights = {});
  // The same for the columns a view shows, in their visual order and widths, its rows at
  // their heights.
  void AddView(const QTableView &view, int rowHeaderWidth = 0, const QString &corner = {});
  // Months side by side, as many per row as fit the page (four on a landscape page, three on
  // a portrait one for a year), rows flowing down the pages; a single month takes the page.
  void AddCalendars(const QList<TReportMonth> &months);
  // One line (wrapping onto more when long) of keys side by side: a legend, a total.
  void AddKeys(const QList<TReportKey> &keys);

  // Lays the pages out for the device and returns how many there are (at least one).
  int PageCount(QPagedPaintDevice &device) const;
  // Lays out and paints every page on the device (a printer, a PDF writer, a preview).
  void Print(QPagedPaintDevice &device) const;

private:
  struct TBlock;
  struct TLayout;
  TLayout Layout(QPagedPaintDevice &device) const;
  std::vector<std::unique_ptr<TBlock>> m_blocks;
};
