// Measures the print report over a year-long week grid (366 days by 24 hours, a reservation in
// every fifth cell, overlapping ones patterned): copying the grid into the report, laying the
// pages out, and printing every page into a PDF file, next to its floor: the same cells painted
// into the same PDF at fixed places, seven days a page, with nothing measured or laid out.
// Prints figures; never fails on timing.
#include <inhouse/ui/report.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QPrinter>
#include <QStandardItemModel>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {
constexpr int kDays = 366;
constexpr int kHours = 24;

double Ms(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

void PaintFloor(const QStandardItemModel &model, QPrinter &printer)
{
  QPainter p(&printer);
  const qreal w = 90, h = 38;
  for (int first = 0; first < kDays; first += 7) {
    if (first > 0)
      printer.newPage();
    for (int hour = 0; hour < kHours; ++hour)
      for (int d = first; d < std::min(first + 7, kDays); ++d) {
        const QRectF cell(90 + (d - first) * w, 100 + hour * h, w, h);
        const QModelIndex index = model.index(hour, d);
        const QVariant brush = index.data(Qt::BackgroundRole);
        if (brush.isValid())
          p.fillRect(cell, brush.value<QBrush>());
        p.drawRect(cell);
        p.drawText(cell, Qt::AlignLeft | Qt::TextWordWrap, index.data().toString());
      }
  }
}
} // namespace

int main(int argc, char **argv)
{
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);

  QStandardItemModel model(kHours, kDays);
  const QDate first(2028, 1, 1);
  for (int d = 0; d < kDays; ++d)
    model.setHeaderData(d, Qt::Horizontal, first.addDays(d).toString(QStringLiteral("ddd dd/MM/yyyy")));
  for (int h = 0; h < kHours; ++h) {
    model.setHeaderData(h, Qt::Vertical, QStringLiteral("%1:00").arg(h));
    for (int d = 0; d < kDays; ++d) {
      if ((h * kDays + d) % 5)
        continue;
      auto *item = new QStandardItem(QStringLiteral("OP%1 // - OP%2").arg(d).arg(h));
      item->setBackground(QBrush(QColor(255, 200, 120), d % 2 ? Qt::BDiagPattern : Qt::SolidPattern));
      model.setItem(h, d, item);
    }
  }
  QList<TReport::TColumnSpec> columns;
  for (int d = 0; d < kDays; ++d)
    columns.append({d, 90});
  QVector<int> heights(kHours, 38);

  QTemporaryDir dir;
  QPrinter printer(QPrinter::ScreenResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(dir.filePath(QStringLiteral("year.pdf")));

  for (int run = 0; run < 3; ++run) {
    QElapsedTimer t;
    t.start();
    TReport report;
    report.Title = QStringLiteral("Planilha");
    report.AddTable(model, columns, 90, QString(), heights);
    const double copied = Ms(t);
    t.restart();
    const int pages = report.PageCount(printer);
    const double laidOut = Ms(t);
    t.restart();
    report.Print(printer);
    const double printed = Ms(t);
    t.restart();
    PaintFloor(model, printer);
    const double floor = Ms(t);
    std::printf("year-long week grid, %d cells: copy %.1f ms, layout %.1f ms (%d pages), print to PDF %.1f ms; "
                "floor %.1f ms (under 1 s)\n",
                kDays * kHours, copied, laidOut, pages, printed, floor);
  }
  return 0;
}
