// The print report's pagination at its edges, read back from real PDF files.
#include "pdftext.h"

#include <inhouse/ui/report.h>

#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {
QString Row(int r) { return QStringLiteral("L%1").arg(r, 3, 10, QLatin1Char('0')); }

// Columns "Ordem", "Produto", "Quantidade"; row r reads L00r in its first cell.
void Fill(QStandardItemModel &model, int rows)
{
  model.clear();
  model.setHorizontalHeaderLabels({QStringLiteral("Ordem"), QStringLiteral("Produto"), QStringLiteral("Quantidade")});
  for (int r = 1; r <= rows; ++r)
    model.appendRow(
        {new QStandardItem(Row(r)), new QStandardItem(QStringLiteral("Tampa")), new QStandardItem(QStringLiteral("10"))});
}

void Describe(TReport &report)
{
  report.Title = QStringLiteral("Listagem de teste");
  report.Lines = {{QStringLiteral("Equipamento:"), QStringLiteral("EQ1 - Injetora")}};
}

const QList<TReport::TColumnSpec> kColumns = {{0, 80}, {1, 200}, {2, 90}};
} // namespace

class tst_ui_report : public QObject {
  Q_OBJECT
  QTemporaryDir dir;
  QString Pdf(const char *name) const { return dir.filePath(QLatin1String(name)); }
  // A described report with what `add` puts in, printed into the file `name`; its path.
  QString Printed(const char *name, const std::function<void(TReport &)> &add) const
  {
    TReport report;
    Describe(report);
    add(report);
    const QString pdf = Pdf(name);
    pdftext::Print(report, pdf);
    return pdf;
  }

private slots:
  void initTestCase()
  {
    QVERIFY2(pdftext::ToolsFound(), "pdfinfo, pdftotext and pdftoppm are needed (poppler-utils)");
    QVERIFY(dir.isValid());
  }

  void emptyTableStillPrintsItsHeaderOnOnePage()
  {
    QStandardItemModel model;
    Fill(model, 0);
    const QString pdf = Printed("empty.pdf", [&](TReport &r) { r.AddTable(model, kColumns); });
    QCOMPARE(pdftext::PageCount(pdf), 1);
    const QString text = pdftext::PageText(pdf, 1);
    for (const char *expected : {"Listagem de teste", "Equipamento:", "EQ1 - Injetora", "Página 1 de 1", "Ordem", "Quantidade"})
      QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
  }

  void aRowThatJustFitsStaysAndTheNextOneStartsAPage()
  {
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(Pdf("count.pdf"));
    printer.setPageSize(QPageSize(QPageSize::A4));
    // The most rows one page holds.
    QStandardItemModel model;
    int fit = 0;
    for (int rows = 1; rows < 400; ++rows) {
      Fill(model, rows);
      TReport report;
      Describe(report);
      report.AddTable(model, kColumns);
      if (report.PageCount(printer) > 1)
        break;
      fit = rows;
    }
    QVERIFY(fit > 10 && fit < 399);

    Fill(model, fit);
    const QString onePage = Printed("full.pdf", [&](TReport &r) { r.AddTable(model, kColumns); });
    QCOMPARE(pdftext::PageCount(onePage), 1);
    QVERIFY(pdftext::PageText(onePage, 1).contains(Row(fit)));

    Fill(model, fit + 1);
    const QString twoPages = Printed("over.pdf", [&](TReport &r) { r.AddTable(model, kColumns); });
    QCOMPARE(pdftext::PageCount(twoPages), 2);
    QVERIFY(pdftext::PageText(twoPages, 1).contains(QStringLiteral("Página 1 de 2")));
    // The second page: the header and the title row again, then the one row left over.
    const QString second = pdftext::PageText(twoPages, 2);
    for (const QString &expected : {QStringLiteral("Listagem de teste"), QStringLiteral("Página 2 de 2"), QStringLiteral("Ordem"),
                                    QStringLiteral("Quantidade"), Row(fit + 1)})
      QVERIFY2(second.contains(expected), qPrintable(expected));
    QVERIFY(!second.contains(Row(fit)));

    // A short table that a page holds whole goes to the next page rather than split.
    Fill(model, fit - 3);
    QStandardItemModel shortTable;
    shortTable.setHorizontalHeaderLabels({QStringLiteral("Segunda"), QStringLiteral("Tabela"), QStringLiteral("Curta")});
    for (int r = 1; r <= 5; ++r)
      shortTable.appendRow({new QStandardItem(QStringLiteral("Y%1").arg(r)), new QStandardItem, new QStandardItem});
    const QString moved = Printed("moved.pdf", [&](TReport &r) {
      r.AddTable(model, kColumns);
      r.AddTable(shortTable, kColumns);
    });
    QCOMPARE(pdftext::PageCount(moved), 2);
    QVERIFY(!pdftext::PageText(moved, 1).contains(QStringLiteral("Segunda")));
    for (const char *text : {"Segunda", "Y1", "Y5"})
      QVERIFY(pdftext::PageText(moved, 2).contains(QLatin1String(text)));
  }

  void longTextsWrapWithinTheirColumn()
  {
    QStandardItemModel model;
    Fill(model, 2);
    const QStringList words = {QStringLiteral("alfa"),  QStringLiteral("bravo"), QStringLiteral("charlie"),
                               QStringLiteral("delta"), QStringLiteral("echo"),  QStringLiteral("foxtrot"),
                               QStringLiteral("golf"),  QStringLiteral("hotel"), QStringLiteral("india")};
    model.setItem(0, 0, new QStandardItem(words.join(QLatin1Char(' '))));
    // The first column is 80 pixels wide.
    const QString pdf = Printed("wrap.pdf", [&](TReport &r) { r.AddTable(model, kColumns); });
    const QString text = pdftext::PageText(pdf, 1);
    for (const QString &word : words)
      QVERIFY2(text.contains(word), qPrintable(word));
    // Nothing of the long cell ran over into its neighbour on the same line.
    QVERIFY(!text.contains(QStringLiteral("alfa bravo charlie delta")));
    QVERIFY(text.contains(Row(2)));
  }

  void cellBackgroundsKeepTheirColourAndPattern()
  {
    QStandardItemModel model;
    Fill(model, 2);
    model.item(0, 1)->setData(QColor(Qt::red), Qt::BackgroundRole); // a plain colour
    model.item(1, 1)->setBackground(QBrush(Qt::blue, Qt::BDiagPattern));
    const QString pdf = Printed("shading.pdf", [&](TReport &r) { r.AddTable(model, kColumns, 0, {}, {60, 60}); });
    const QImage page = pdftext::PageImage(pdf, 1, 96);
    QVERIFY(!page.isNull());

    // Pixels of each colour, and the white ones among the blue cell's (its pattern's gaps).
    int red = 0, blue = 0;
    QRect blueArea;
    for (int y = 0; y < page.height(); ++y)
      for (int x = 0; x < page.width(); ++x) {
        const QColor c = page.pixelColor(x, y);
        if (c.red() > 200 && c.green() < 80 && c.blue() < 80)
          ++red;
        if (c.blue() > 200 && c.red() < 80 && c.green() < 80) {
          ++blue;
          blueArea |= QRect(x, y, 1, 1);
        }
      }
    QVERIFY2(red > 1000, qPrintable(QString::number(red)));
    QVERIFY2(blue > 100, qPrintable(QString::number(blue)));
    int white = 0;
    for (int y = blueArea.top(); y <= blueArea.bottom(); ++y)
      for (int x = blueArea.left(); x <= blueArea.right(); ++x)
        white += page.pixelColor(x, y) == Qt::white;
    QVERIFY2(white > blueArea.width() * blueArea.height() / 4, "the pattern came out solid");
  }

  void bandsOfAWideTableFollowOnTheSamePageWhileTheyFit()
  {
    QStandardItemModel model;
    Fill(model, 3);
    // A column wider than the page is a band of its own; each band repeats the row header.
    const QList<TReport::TColumnSpec> wide = {{0, 80}, {1, 5000}, {2, 90}};
    const QString pdf = Printed("wide.pdf", [&](TReport &r) { r.AddTable(model, wide, 60, QStringLiteral("Canto")); });
    QCOMPARE(pdftext::PageCount(pdf), 1);
    const QString text = pdftext::PageText(pdf, 1);
    QCOMPARE(text.count(QStringLiteral("Canto")), 3);
    QVERIFY(text.contains(QStringLiteral("Quantidade")));

    // Taller bands go on to pages of their own, each with its row header.
    QStandardItemModel tall;
    Fill(tall, 60);
    const QString longPdf = Printed("wide-long.pdf", [&](TReport &r) { r.AddTable(tall, wide, 60, QStringLiteral("Canto")); });
    const int pages = pdftext::PageCount(longPdf);
    QVERIFY2(pages >= 3, qPrintable(QString::number(pages)));
    for (int page = 1; page <= pages; ++page)
      QVERIFY(pdftext::PageText(longPdf, page).contains(QStringLiteral("Canto")));
  }
};

QTEST_MAIN(tst_ui_report)
#include "tst_ui_report.moc"
