// Measures "Copiar" and "Exportar..." over 20,000 rows: a sorted data grid of orders (texts, a
// formatted quantity, two date-times) written as CSV, and a string grid copied with every row
// selected; each next to its floor (the same cells read as display texts into a list).
// Prints figures; never fails on timing.
#include <inhouse/data/clientdataset.h>
#include <inhouse/data/datasource.h>
#include <inhouse/errors.h>
#include <inhouse/ui/gridexport.h>
#include <inhouse/ui/grids.h>
#include <inhouse/ui/stringgrid.h>
#include <zrt/common/datetime.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QItemSelectionModel>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

namespace {
constexpr int kRows = 20000;
constexpr int kRuns = 5;

// Best of kRuns, in milliseconds.
double Best(const std::function<void()> &run)
{
  double best = 1e9;
  for (int i = 0; i < kRuns; ++i) {
    QElapsedTimer t;
    t.start();
    run();
    best = std::min(best, double(t.nsecsElapsed()) / 1e6);
  }
  return best;
}

zrt::DataPacket Orders()
{
  zrt::DataPacket p;
  p.fields = {{"NRORDPROD", zrt::FieldType::String, 10},    {"CDARVPROD", zrt::FieldType::String, 20},
              {"PRODUTO", zrt::FieldType::String, 50},      {"DTHRINIPROD", zrt::FieldType::DateTime, 0},
              {"DTHRFINPROD", zrt::FieldType::DateTime, 0}, {"QTPRODRESPROC", zrt::FieldType::Float, 0}};
  p.rows.reserve(kRows);
  const double start = zrt::toDateTime(QDate(2026, 12, 1), QTime(8, 0));
  for (int i = 0; i < kRows; ++i)
    p.rows.push_back({"OP" + std::to_string(i), "1.01." + std::to_string(i % 1000), "Produto \"" + std::to_string(i) + "\"; ação",
                      start + i / 24.0, start + i / 24.0 + 0.5, 1234.5 + i});
  return p;
}
} // namespace

int main(int argc, char **argv)
{
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  SetErrorReporter([](const QString &e) { std::fprintf(stderr, "error: %s\n", qPrintable(e)); });

  TClientDataSet set;
  set.AddField(QStringLiteral("QTPRODRESPROC"), ftFloat).DisplayFormat = QStringLiteral("#,##0.0000");
  set.SetData(Orders());
  TDataSource source(nullptr, &set);
  TDBSortGrid grid;
  grid.SetDataSource(&source);
  grid.SortBy(QStringLiteral("PRODUTO"), Qt::DescendingOrder);
  std::printf("Data grid of %d orders, 6 columns, sorted\n", int(grid.model()->rowCount()));
  qsizetype bytes = 0;
  const double csv = Best([&] { bytes = GridCsv(grid).size(); });
  const double gridFloor = Best([&] {
    QStringList cells;
    cells.reserve(qsizetype(kRows) * 6);
    for (int r = 0; r < grid.model()->rowCount(); ++r)
      for (int c = 0; c < 6; ++c)
        cells << grid.model()->index(r, c).data().toString();
  });
  std::printf("  CSV of every row:        %7.2f ms (%lld bytes); floor, display texts into a list: %.2f ms\n", csv,
              static_cast<long long>(bytes), gridFloor);

  TStringGrid week;
  week.SetColCount(9);
  week.SetRowCount(kRows + 1);
  {
    TStringGridUpdate update(week);
    for (int r = 0; r < week.RowCount(); ++r)
      for (int c = 0; c < week.ColCount(); ++c)
        week.SetCells(c, r, (r + c) % 3 ? QString() : QStringLiteral("OP%1 //  - OP%2").arg(r).arg(c));
  }
  week.selectAll();
  std::printf("String grid of %d rows, 8 columns and the fixed one, all selected\n", kRows);
  qsizetype chars = 0;
  const double copy = Best([&] { chars = GridCopyText(week).size(); });
  const double weekFloor = Best([&] {
    QStringList cells;
    cells.reserve(qsizetype(kRows) * 9);
    for (int r = 0; r < week.RowCount(); ++r)
      for (int c = 0; c < week.ColCount(); ++c)
        cells << week.Cells(c, r);
  });
  std::printf("  copy of the selection:   %7.2f ms (%lld characters); floor, cells into a list: %.2f ms\n", copy,
              static_cast<long long>(chars), weekFloor);
  return 0;
}
