// Measures the print report over a year-long week grid (366 days by 24 hours, a reservation in
// every fifth cell, overlapping ones patterned): copying the grid into the report, laying the
// pages out, and printing every page into a PDF file. Prints figures; never fails on timing.
#include <inhouse/ui/report.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPrinter>
#include <QStandardItemModel>
#include <QTemporaryDir>

#include <cstdio>

namespace {
constexpr int kDays = 366;
constexpr int kHours = 24;

double Ms(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }
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
    std::printf("year-long week grid, %d cells: copy %.1f ms, layout %.1f ms (%d pages), print to PDF %.1f ms\n", kDays * kHours,
                copied, laidOut, pages, printed);
  }
  return 0;
}
