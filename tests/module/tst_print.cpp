// Printing the sheet's four pages and the day window: PDF files printed offscreen from the real
// windows over the known plant and the real application server, read back with poppler's tools;
// and the print preview opened by Ctrl+I and by the print button.
#include "pdftext.h"
#include "plantfixture.h"

#include "dayreservations/frmresedia.h"
#include "package/units.h"
#include "sheet/frmplanilha.h"
#include "sheet/period.h"

#include <QApplication>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace Cli_zrt02600;

namespace {
QString DateText(const QDate &d) { return d.toString(QStringLiteral("dd/MM/yyyy")); }

// The preview among the top-level windows, once it has laid its pages out.
QPrintPreviewDialog *OpenPreview()
{
  for (QWidget *w : QApplication::topLevelWidgets())
    if (auto *preview = qobject_cast<QPrintPreviewDialog *>(w); preview && preview->isVisible())
      return preview;
  return nullptr;
}

int PreviewPages(QPrintPreviewDialog *preview)
{
  auto *pages = preview->findChild<QPrintPreviewWidget *>();
  return pages ? pages->pageCount() : -1;
}

// The hour label of midnight standing alone (not the end of "10:00" or "20:00").
const QRegularExpression kMidnight(QStringLiteral("(^|\\s)0:00(\\s|$)"), QRegularExpression::MultilineOption);
} // namespace

class tst_print : public QObject {
  Q_OBJECT

  std::unique_ptr<TPlant> plant;
  TfrmPlanilha *sheet = nullptr;
  QTemporaryDir dir;

  // The window's view printed into a PDF; its page count as the report counted it.
  QString PrintView(TfrmPadrao &window, const char *name, int *reportPages = nullptr,
                    QPageLayout::Orientation orientation = QPageLayout::Portrait)
  {
    TReport report;
    if (!window.BuildPrintReport(report))
      return {};
    const QString pdf = dir.filePath(QLatin1String(name));
    pdftext::Print(report, pdf, orientation);
    if (reportPages) {
      QPrinter printer(QPrinter::ScreenResolution);
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(dir.filePath(QStringLiteral("count.pdf")));
      printer.setPageSize(QPageSize(QPageSize::A4));
      printer.setPageOrientation(orientation);
      *reportPages = report.PageCount(printer);
    }
    return pdf;
  }

  static void ClosePreviews()
  {
    while (QPrintPreviewDialog *preview = OpenPreview())
      preview->close();
    FlushDeletes();
  }

private slots:
  void initTestCase()
  {
    QVERIFY2(pdftext::ToolsFound(), "pdfinfo, pdftotext and pdftoppm are needed (poppler-utils)");
    QVERIFY(dir.isValid());
  }

  void init()
  {
    plant = std::make_unique<TPlant>();
    QVERIFY(BeginSheetTest(*plant));
    sheet = OpenSheet();
    QVERIFY(sheet);
  }

  void cleanup()
  {
    ClosePreviews();
    EndSheetTest(plant);
  }

  void sheetPagesPrintWhatTheyShow_data()
  {
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("shown"); // on the first page; %T today, %Y this year, %M this month's name
    // clang-format off
    QTest::newRow("Dia") << 0 << QStringList{QStringLiteral("Dia"), QStringLiteral("OP1"), QStringLiteral("OP2"), QStringLiteral("Tampa 38mm"), QStringLiteral("1.500,0000"),
                                             QStringLiteral("6 reservas · 8,5 h reservadas de 730,0 h (1,2%)")};
    QTest::newRow("Semana") << 1 << QStringList{QStringLiteral("Semana"), QStringLiteral("%T"), QStringLiteral("8:00"), QStringLiteral("17:00"), QStringLiteral("OP1")};
    QTest::newRow("Mês") << 2 << QStringList{QStringLiteral("Mês"), QStringLiteral("%M %Y"), QStringLiteral("Domingo"), QStringLiteral("Sábado")};
    QTest::newRow("Ano") << 3 << QStringList{QStringLiteral("Ano"), QStringLiteral("Janeiro %Y"), QStringLiteral("Junho %Y"), QStringLiteral("Dezembro %Y")};
    // clang-format on
  }
  void sheetPagesPrintWhatTheyShow()
  {
    QFETCH(int, page);
    QFETCH(QStringList, shown);
    LeavePanel(sheet); // the orders of the first equipment
    if (page > 0)
      ClickPage(sheet, sheet->pgcOrdemProd->Pages(page));
    QCOMPARE(sheet->pgcOrdemProd->ActivePageIndex(), page);

    int pages = 0;
    const QString pdf = PrintView(*sheet, "sheet.pdf", &pages);
    QCOMPARE(pdftext::PageCount(pdf), pages);
    const QString text = pdftext::PageText(pdf, 1);
    const QDate today = plant->today;
    QString month;
    NomeMes(quint16(today.month()), month);
    QStringList expected = {QStringLiteral("Planilha de Utilização dos Equipamentos na Produção"),
                            QStringLiteral("EQ1 - Injetora Horizontal 1"),
                            QStringLiteral("%1 08:00 a %2 18:00").arg(DateText(today), DateText(today.addDays(30))),
                            QStringLiteral("Pendente, Em Andamento, Concluída"),
                            QStringLiteral("Página 1 de %1").arg(pages),
                            QStringLiteral("Impresso em:"),
                            QStringLiteral("Operador:")};
    for (QString s : shown)
      expected << s.replace(QStringLiteral("%T"), DateText(today))
                      .replace(QStringLiteral("%Y"), QString::number(today.year()))
                      .replace(QStringLiteral("%M"), month);
    for (const QString &s : expected)
      QVERIFY2(text.contains(s), qPrintable(s + QStringLiteral(" not in:\n") + text));
    // The week grid's legend closes its listing.
    if (page == 1) {
      const QString end = pdftext::PageText(pdf, pages);
      for (const char *key : {"Pendente", "Em Andamento", "Concluída", "Mais de uma reserva"})
        QVERIFY(end.mid(end.lastIndexOf(QStringLiteral("18:00"))).contains(QString::fromUtf8(key)));
    }
  }

  void yearTakesOnePageEitherWay_data()
  {
    QTest::addColumn<QPageLayout::Orientation>("orientation");
    QTest::newRow("portrait, 3 by 4") << QPageLayout::Portrait;
    QTest::newRow("landscape, 4 by 3") << QPageLayout::Landscape;
  }
  void yearTakesOnePageEitherWay()
  {
    QFETCH(QPageLayout::Orientation, orientation);
    ClickPage(sheet, sheet->tshAno);
    int pages = 0;
    const QString pdf = PrintView(*sheet, "year.pdf", &pages, orientation);
    QCOMPARE(pages, 1);
    const QString text = pdftext::PageText(pdf, 1);
    QVERIFY(text.contains(QStringLiteral("Página 1 de 1")));
    QVERIFY(text.contains(QStringLiteral("Dezembro")));
  }

  void statusesPrintedAreTheTogglesDown()
  {
    sheet->tbtAndamento->click();
    const QString text = pdftext::PageText(PrintView(*sheet, "statuses.pdf"), 1);
    QVERIFY(text.contains(QStringLiteral("Pendente, Concluída")));
    QVERIFY(!text.contains(QStringLiteral("Em Andamento")));
  }

  void wideWeekGridGoesOverPagesBothWays()
  {
    const QDate from = plant->today, to = from.addDays(30);
    SetPeriod(sheet, from, QStringLiteral("00:00"), to, QStringLiteral("23:00"));
    LeavePanel(sheet);
    ClickPage(sheet, sheet->tshSemana);
    QCOMPARE(sheet->stgSemana->RowCount(), 25);

    // Landscape, as a user prints a wide grid: still two pages down and several across.
    int pages = 0;
    const QString pdf = PrintView(*sheet, "week.pdf", &pages, QPageLayout::Landscape);
    QVERIFY(pages >= 4);
    QCOMPARE(pdftext::PageCount(pdf), pages);
    bool below = false, right = false, last = false;
    for (int page = 1; page <= pages; ++page) {
      const QString text = pdftext::PageText(pdf, page);
      QVERIFY(text.contains(QStringLiteral("Página %1 de %2").arg(page).arg(pages)));
      // Below the page header (whose period names the first and the last day too).
      const QString body = text.mid(text.indexOf(QLatin1Char('\n'), text.indexOf(QStringLiteral("Operador:"))));
      const bool firstDay = body.contains(DateText(from));
      const bool midnight = body.contains(kMidnight);
      // Further down: the first band's day headers again over its later hours (only that band
      // has the first day; later bands may follow on the same page).
      below = below || (page > 1 && firstDay && text.contains(QStringLiteral("23:00")));
      // To the right: the hour labels again beside later days.
      right = right || (page > 1 && midnight && !firstDay);
      last = last || body.contains(DateText(to));
    }
    QVERIFY(below);
    QVERIFY(right);
    QVERIFY(last);
  }

  void ctrlIOpensThePreviewOfThePageShown()
  {
    ClickPage(sheet, sheet->tshAno);
    QVERIFY(sheet->sbtImprimir->isEnabled());
    QTest::keyClick(sheet->scbAno, Qt::Key_I, Qt::ControlModifier);
    QPrintPreviewDialog *preview = OpenPreview();
    QVERIFY(preview);
    TReport report;
    QVERIFY(sheet->BuildPrintReport(report));
    QTRY_COMPARE(PreviewPages(preview), report.PageCount(*sheet->Printer()));
    QPointer<QPrintPreviewDialog> alive(preview);
    preview->close();
    FlushDeletes();
    QVERIFY(!alive);
    QVERIFY(plant->errors.isEmpty());
  }

  void dayWindowPrintsItsListAndPreviewsIt()
  {
    Cli_zrt02602::Initialization();
    const QDate day = plant->today.addDays(1);
    QString text;
    int previewPages = -1, expectedPages = 0;
    const bool ran = DriveModal(
        [] { return Cli_zrt02602::frmReseDia.data(); },
        [](TfrmPadrao &w) {
          auto &d = static_cast<TfrmReseDia &>(w);
          return d.Created() && d.isActiveWindow() && !d.netReservaDia->InCall() && !d.lblData->text().isEmpty();
        },
        [&](TfrmPadrao &w) {
          text = pdftext::PageText(PrintView(w, "day.pdf"), 1);
          QTest::mouseClick(w.sbtImprimir, Qt::LeftButton);
          if (QPrintPreviewDialog *preview = OpenPreview()) {
            TReport report;
            w.BuildPrintReport(report);
            expectedPages = report.PageCount(*w.Printer());
            QTRY_VERIFY(PreviewPages(preview) > 0);
            previewPages = PreviewPages(preview);
            preview->close();
          }
        },
        [&] {
          Cli_zrt02602::CriaReseDia(QStringLiteral("EQ1"), zrt::toDateTime(day), zrt::toDateTime(plant->today, QTime(8, 0)),
                                    zrt::toDateTime(plant->today.addDays(30), QTime(18, 0)));
        });
    Cli_zrt02602::Finalization();
    QVERIFY(ran);
    QCOMPARE(previewPages, expectedPages);
    for (const QString &s :
         {QStringLiteral("Reservas do Dia"), QStringLiteral("EQ1"), DateText(day), QStringLiteral("OP1"), QStringLiteral("OP2"),
          QStringLiteral("Página 1 de 1"), QStringLiteral("Pendente, Em Andamento, Concluída")})
      QVERIFY2(text.contains(s), qPrintable(s + QStringLiteral(" not in:\n") + text));
    QVERIFY(plant->errors.isEmpty());
  }
};

QTEST_MAIN(tst_print)
#include "tst_print.moc"
