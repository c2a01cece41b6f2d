// Every window of the module, walked as a screen reader would: each control the user can focus
// or click has a name, and grid cells say the text they show.
#include "accessibilitycheck.h"
#include "plantfixture.h"

#include "dayreservations/frmresedia.h"
#include "filter/frmfiltroplanilha.h"
#include "freehours/frmhoralivre.h"
#include "package/units.h"
#include "shared/frmpadrao.h"
#include "sheet/frmplanilha.h"

#include <inhouse/data/clientdataset.h>

#include <inhouse/services/brivon.h>
#include <zrt/common/datetime.h>

#include <QAccessible>
#include <QTabBar>
#include <QtTest>

using namespace Cli_zrt02600;

namespace {
// The standard window as the coming windows build on it: a data set in the standard grid.
class TStandardWindow : public TfrmPadrao {
public:
  explicit TStandardWindow(TStyle style) : TfrmPadrao(nullptr, QStringLiteral("ZRT09998"), style)
  {
    setWindowTitle(QStringLiteral("Reservas de teste"));
    auto *cds = new TClientDataSet(this);
    cds->AddField(QStringLiteral("CODIGO"), ftString, 10);
    dtsPadrao->SetDataSet(cds);
    CreateStandardBody();
    StandardCreation();
  }
};
} // namespace

class tst_accessibility : public QObject {
  Q_OBJECT

  std::unique_ptr<TPlant> plant;

private slots:
  void init()
  {
    plant = std::make_unique<TPlant>();
    QVERIFY(BeginSheetTest(*plant));
  }

  void cleanup() { EndSheetTest(plant); }

  void sheetHasNoNamelessControl()
  {
    TfrmPlanilha *sheet = OpenSheet();
    QVERIFY(sheet);
    const QStringList unnamed = UnnamedControls(sheet);
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
    // An MDI child: a window inside the host's, said with its title.
    QCOMPARE(Announced(sheet), QStringLiteral("window: Planilha de Utilização dos Equipamentos na Produção"));
  }

  void standardWindowHasNoNamelessControl_data()
  {
    QTest::addColumn<TfrmPadrao::TStyle>("style");
    QTest::newRow("maintenance") << TfrmPadrao::stMaintenance;
    QTest::newRow("dialog") << TfrmPadrao::stDialog;
  }

  void standardWindowHasNoNamelessControl()
  {
    QFETCH(TfrmPadrao::TStyle, style);
    TStandardWindow window(style);
    window.show();
    const QStringList unnamed = UnnamedControls(&window);
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
    QCOMPARE(SpokenName(window.dbgPadrao), QStringLiteral("Reservas de teste"));
    QCOMPARE(Announced(&window), QStringLiteral("dialog: Reservas de teste"));
  }

  void sheetControlsSayTheirHintCaptionOrLabel_data()
  {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    // clang-format off
    QTest::newRow("flat button by hint") << "sbtFechar" << "Fechar";
    QTest::newRow("filter button") << "sbtFiltro" << "Filtrar";
    QTest::newRow("status toggle") << "tbtConcluida" << "Concluída";
    QTest::newRow("start date by its label") << "depInicio" << "de";
    QTest::newRow("end date by its label") << "depFinal" << "até";
    QTest::newRow("free hours, no hint") << "SpeedButton3" << "Horários Livres";
    QTest::newRow("start hour") << "medHoraIni" << "Hora inicial";
    // clang-format on
  }

  void sheetControlsSayTheirHintCaptionOrLabel()
  {
    QFETCH(QString, control);
    QFETCH(QString, name);
    TfrmPlanilha *sheet = OpenSheet();
    QVERIFY(sheet);
    auto *w = sheet->findChild<QWidget *>(control);
    QVERIFY2(w, qPrintable(control));
    QCOMPARE(SpokenName(w), name);
  }

  void gridCellsSayTheirText()
  {
    TfrmPlanilha *sheet = OpenSheet();
    QVERIFY(sheet);
    // The equipment list is filled at creation; its first cell is the first code.
    const QModelIndex first = sheet->dbgEquipamentos->model()->index(0, 0);
    QVERIFY(first.isValid());
    QCOMPARE(SpokenCell(sheet->dbgEquipamentos, 0, 0), first.data().toString());
    QVERIFY(!SpokenCell(sheet->dbgEquipamentos, 0, 0).isEmpty());

    sheet->pgcOrdemProd->setCurrentWidget(sheet->tshSemana);
    sheet->ControlaSemana();
    TStringGrid *week = sheet->stgSemana;
    QVERIFY(!week->Cells(1, 0).isEmpty());
    QCOMPARE(SpokenColumnHeader(week, 0), week->Cells(1, 0));
    // The view's cells start after the fixed column and row of the grid.
    int filled = 0;
    for (int c = 1; c < week->ColCount(); ++c)
      for (int r = 1; r < week->RowCount(); ++r)
        if (!week->Cells(c, r).isEmpty()) {
          QCOMPARE(SpokenCell(week, r - 1, c - 1), week->Cells(c, r));
          ++filled;
        }
    QVERIFY(filled > 0);
  }

  void dayReservationsHaveNoNamelessControl()
  {
    Cli_zrt02602::Initialization();
    QStringList unnamed{QStringLiteral("the window never opened")};
    QString toggle, announced;
    // Walked inside the modal loop, once the window is open and loaded.
    DriveModal([] { return Cli_zrt02602::frmReseDia.data(); },
               [](TfrmPadrao &w) { return !static_cast<TfrmReseDia &>(w).lblData->text().isEmpty(); },
               [&](TfrmPadrao &w) {
                 unnamed = UnnamedControls(&w);
                 toggle = SpokenName(static_cast<TfrmReseDia &>(w).tbtAndamento);
                 announced = Announced(&w);
               },
               [&] {
                 Cli_zrt02602::CriaReseDia(QStringLiteral("EQ1"), zrt::toDateTime(plant->today.addDays(1)),
                                           zrt::toDateTime(plant->today),
                                           zrt::toDateTime(plant->today.addDays(30), QTime(18, 0)));
               });
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
    QCOMPARE(toggle, QStringLiteral("Em Andamento"));
    QCOMPARE(announced, QStringLiteral("dialog: Reservas do Dia"));
    Cli_zrt02602::Finalization();
  }

  void filterDialogHasNoNamelessControl()
  {
    QVERIFY(OpenSheet());
    Cli_zrt02601::Finalization();
    QStringList unnamed{QStringLiteral("the dialog never opened")};
    QStringList spoken;
    QString announced;
    DriveModal([] { return Cli_zrt02601::frmFiltroPlanilha.data(); }, [](TfrmPadrao &) { return true; },
               [&](TfrmPadrao &window) {
                 auto &w = static_cast<TfrmFiltroPlanilha &>(window);
                 unnamed = UnnamedControls(&w);
                 announced = Announced(&w);
                 for (QWidget *c : std::initializer_list<QWidget *>{w.rbtLGr, w.btpGr, w.btpEq, w.btfLoadOpc})
                   spoken << SpokenName(c);
               },
               [] { Cli_zrt02601::CriaFiltroPlanilha(); });
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
    // The two search buttons share a hint; each says what it searches.
    QCOMPARE(spoken,
             (QStringList{QStringLiteral("Lista"), QStringLiteral("Pesquisar grupos"), QStringLiteral("Pesquisar equipamentos"),
                          QStringLiteral("Restaurar opções de filtro na tela")}));
    QCOMPARE(announced, QStringLiteral("dialog: Filtro de Equipamentos"));
    Cli_zrt02601::Finalization();
  }

  void freeHoursWindowHasNoNamelessControl()
  {
    Cli_zrt02603::Initialization();
    QStringList unnamed{QStringLiteral("the window never opened")};
    QStringList spoken;
    int cells = 0; // cells of the first result row that say what they show
    QString announced;
    DriveModal([] { return Cli_zrt02603::frmHoraLivre.data(); }, [](TfrmPadrao &) { return true; },
               [&](TfrmPadrao &window) {
                 auto &w = static_cast<TfrmHoraLivre &>(window);
                 // With a result on screen, so the grid's cells are walked too.
                 w.depInicio->SetDate(plant->today);
                 w.depFinal->SetDate(plant->today.addDays(1));
                 w.dbgPadrao->setFocus();
                 QTRY_VERIFY(w.cdsDados->Active());
                 unnamed = UnnamedControls(&w);
                 announced = Announced(&w);
                 for (QWidget *c : std::initializer_list<QWidget *>{w.depInicio, w.depFinal, w.dtpInicio, w.dtpFinal, w.btpGrupo,
                                                                    w.btpEQUIPAMENTO, w.aniAguarde})
                   spoken << SpokenName(c);
                 for (int col = 0; col < 5; ++col)
                   if (SpokenCell(w.dbgPadrao, 0, col) == w.dbgPadrao->model()->index(0, col).data().toString())
                     ++cells;
               },
               [] { Cli_zrt02603::CriaHorarioLivre(); });
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
    // The two pairs of "de"/"até" fields say which pair they belong to.
    QCOMPARE(spoken, (QStringList{QStringLiteral("Período de"), QStringLiteral("Período até"), QStringLiteral("Intervalo de"),
                                  QStringLiteral("Intervalo até"), QStringLiteral("Pesquisar grupos"),
                                  QStringLiteral("Pesquisar equipamentos"), QStringLiteral("Aguarde")}));
    QCOMPARE(cells, 5);
    QCOMPARE(announced, QStringLiteral("dialog: Horários Livres"));
    Cli_zrt02603::Finalization();
  }

  // Every window the sheet opens, opened and closed with keys alone: a menu short-cut, or the
  // tabs, the month calendar and Enter for a day. Each says what it is as it comes up.
  void everyWindowOpensAndClosesByKeys_data()
  {
    QTest::addColumn<QKeySequence>("open");
    QTest::addColumn<bool>("onAMonthDay"); // Enter on a day of "Mês", reached by keys
    QTest::addColumn<QString>("announced");
    QTest::addColumn<QKeySequence>("close");
    // clang-format off
    QTest::newRow("filter") << QKeySequence(Qt::Key_F8) << false << "dialog: Filtro de Equipamentos"
                            << QKeySequence(Qt::Key_Escape);
    QTest::newRow("free hours") << QKeySequence(Qt::CTRL | Qt::Key_H) << false << "dialog: Horários Livres"
                                << QKeySequence(Qt::CTRL | Qt::Key_F4);
    QTest::newRow("day") << QKeySequence(Qt::Key_Return) << true << "dialog: Reservas do Dia"
                         << QKeySequence(Qt::CTRL | Qt::Key_F4);
    QTest::newRow("print preview") << QKeySequence(Qt::CTRL | Qt::Key_I) << false << "dialog: Visualizar Impressão"
                                   << QKeySequence(Qt::Key_Escape);
    // clang-format on
  }

  void everyWindowOpensAndClosesByKeys()
  {
    QFETCH(QKeySequence, open);
    QFETCH(bool, onAMonthDay);
    QFETCH(QString, announced);
    QFETCH(QKeySequence, close);
    Cli_zrt02602::Initialization();
    Cli_zrt02603::Initialization();
    TfrmPlanilha *sheet = OpenSheet();
    QVERIFY(sheet);
    auto press = [](const QKeySequence &keys) { QTest::keySequence(QApplication::focusWidget(), keys); };
    if (onAMonthDay) {
      // Back from the period to the page tabs, right to "Mês", Tab into its calendar.
      for (int i = 0; i < 5 && !qobject_cast<QTabBar *>(QApplication::focusWidget()); ++i)
        press(QKeySequence(Qt::SHIFT | Qt::Key_Backtab));
      for (int i = 0; i < 3 && sheet->pgcOrdemProd->ActivePage() != sheet->tshMes; ++i)
        press(QKeySequence(Qt::Key_Right));
      QCOMPARE(sheet->pgcOrdemProd->ActivePage(), sheet->tshMes);
      for (int i = 0; i < 5 && QApplication::focusWidget() != sheet->dbcMes; ++i)
        press(QKeySequence(Qt::Key_Tab));
      QCOMPARE(QApplication::focusWidget(), sheet->dbcMes);
    } else {
      LeavePanel(sheet);
    }
    QWidget *const before = QApplication::activeWindow();
    QString said;
    bool closed = false;
    // Modal windows run their own loop inside the key press; the check runs in it.
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, [&] {
      QWidget *window = QApplication::activeWindow();
      if (!window || window == before || !window->focusWidget())
        return;
      poll.stop();
      said = Announced(window);
      QPointer<QWidget> alive(window);
      QTest::keySequence(window->focusWidget(), close);
      FlushDeletes();
      closed = !alive || !alive->isVisible();
    });
    poll.start();
    press(open);
    QTRY_VERIFY(!poll.isActive());
    QCOMPARE(said, announced);
    QVERIFY(closed);
    Cli_zrt02603::Finalization();
    Cli_zrt02602::Finalization();
  }
};

QTEST_MAIN(tst_accessibility)
#include "tst_accessibility.moc"
