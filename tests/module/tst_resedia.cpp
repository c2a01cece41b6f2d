// The day reservations window against the real plant and application server, opened as the
// sheet opens it (CriaReseDia) and driven by real keys and clicks while its modal loop runs.
#include "plantfixture.h"

#include "package/units.h"
#include "resedia/frmresedia.h"

#include <inhouse/errors.h>
#include <inhouse/services/waitanimation.h>
#include <zrt/common/datetime.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

using namespace Cli_zrt02602;

namespace {
// Loaded once its first activation has fetched the rows and written the label.
bool Ready(TfrmReseDia *w)
{
  return w && w->Created() && w->isActiveWindow() && !w->netReservaDia->InCall() && !w->lblData->text().isEmpty();
}

// Another modal window opened over the day window and closed again; the activation goes back
// to the day window as the window system hands it back. False when a window never became active.
bool OpenAnotherWindowOver(TfrmReseDia &w)
{
  QWidget over;
  over.setWindowTitle(QStringLiteral("Outra janela"));
  over.setWindowModality(Qt::ApplicationModal);
  over.show();
  over.activateWindow();
  if (!QTest::qWaitForWindowActive(&over))
    return false;
  over.close();
  w.activateWindow();
  return QTest::qWaitForWindowActive(&w);
}
} // namespace

class tst_resedia : public QObject {
  Q_OBJECT

  std::unique_ptr<TPlant> plant;
  QList<int> depthDuringCalls; // the wait animation's depth as each call went out

  double Day(int offset) const { return zrt::toDateTime(plant->today.addDays(offset)); }
  double PeriodStart() const { return zrt::toDateTime(plant->today, QTime(7, 30)); }
  double PeriodEnd() const { return zrt::toDateTime(plant->today.addDays(30), QTime(18, 0)); }

  // CriaReseDia for EQ1 on the day `offset` days from today; `whileOpen` runs once the window is
  // shown and loaded, and the window is closed afterwards unless it closed itself. Returns when
  // CriaReseDia has returned.
  void OpenDay(int offset, const std::function<void(TfrmReseDia &)> &whileOpen = {})
  {
    QTimer poll;
    QElapsedTimer waited;
    waited.start();
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, [&] {
      TfrmReseDia *w = frmReseDia;
      const bool ready = Ready(w);
      if (!ready && waited.elapsed() < 10000)
        return;
      poll.stop();
      QPointer<TfrmReseDia> alive(w);
      if (ready && whileOpen)
        whileOpen(*w);
      if (alive)
        alive->Close();
    });
    poll.start();
    CriaReseDia(QStringLiteral("EQ1"), Day(offset), PeriodStart(), PeriodEnd());
    poll.stop();
    FlushDeletes();
  }

  QList<TRecordedCall> DayCalls() const
  {
    QList<TRecordedCall> calls;
    for (const auto &c : plant->calls)
      if (c.method == QLatin1String("GetReservaDia"))
        calls << c;
    return calls;
  }

  static QStringList Orders(TClientDataSet &set)
  {
    QStringList orders;
    for (int row = 0; row < set.RecordCount(); ++row)
      orders << set.CellValue(row, set.FieldByName(QStringLiteral("NRORDPROD")).Index()).toString();
    return orders;
  }

private slots:
  void init()
  {
    plant = std::make_unique<TPlant>();
    QVERIFY(BeginSheetTest(*plant));
    Initialization();
    depthDuringCalls.clear();
    auto record = TNetConnection::OnCall;
    TNetConnection::OnCall = [this, record](const QString &method, const nlohmann::json &params) {
      depthDuringCalls << ShowAviDepth();
      record(method, params);
    };
  }

  void cleanup()
  {
    EndSheetTest(plant);
    Finalization();
  }

  void openingFetchesTwiceWithTheSameArguments()
  {
    bool flagWhileOpen = false;
    OpenDay(1, [&](TfrmReseDia &) { flagWhileOpen = boStCriado; });
    QVERIFY(flagWhileOpen);
    QVERIFY(!boStCriado);
    const QList<TRecordedCall> calls = DayCalls();
    QCOMPARE(calls.size(), 2);
    QCOMPARE(plant->calls.size(), 2);
    const nlohmann::json expected = {"EQ1", "1", "2", "2", Day(1), PeriodStart(), PeriodEnd()};
    QCOMPARE(QString::fromStdString(calls[0].params.dump()), QString::fromStdString(expected.dump()));
    QCOMPARE(QString::fromStdString(calls[1].params.dump()), QString::fromStdString(expected.dump()));
    // Creation fetches without the animation, the first activation under it.
    QCOMPARE(depthDuringCalls, (QList<int>{0, 1}));
    QCOMPARE(ShowAviDepth(), 0);
    QVERIFY(plant->errors.isEmpty());
    QVERIFY(!QApplication::overrideCursor());
  }

  void knownDayShowsItsOrders()
  {
    QStringList orders, texts;
    QString label;
    bool navigatorOn = false;
    OpenDay(1, [&](TfrmReseDia &w) {
      orders = Orders(*w.cdsReservadosDia);
      label = w.lblData->text();
      navigatorOn = w.dbnPadrao->isEnabled();
      const QAbstractItemModel *model = w.dbgPadrao->model();
      for (int c = 0; c < model->columnCount(); ++c)
        texts << model->headerData(c, Qt::Horizontal).toString() + QLatin1Char('=') + model->index(0, c).data().toString();
    });
    QCOMPARE(orders, (QStringList{"OP1", "OP2"}));
    // Only the date: the period's hours travel to the server but are not shown.
    QCOMPARE(label, plant->today.addDays(1).toString(QStringLiteral("dd/MM/yyyy")));
    QVERIFY(navigatorOn);
    const QString start = plant->today.addDays(1).toString(QStringLiteral("dd/MM/yyyy")) + QStringLiteral(" 08:00:00");
    const QString end = plant->today.addDays(1).toString(QStringLiteral("dd/MM/yyyy")) + QStringLiteral(" 10:00:00");
    QCOMPARE(texts, (QStringList{"Ordem=OP1", "Código=1.01.001", "Produto=Tampa 38mm", "Data Inicial=" + start,
                                 "Data Final=" + end, "Quantidade=1.500,0000"}));
  }

  void dayWithoutReservations()
  {
    int rows = -1;
    bool navigatorOn = false;
    QString label;
    OpenDay(4, [&](TfrmReseDia &w) {
      rows = w.dbgPadrao->model()->rowCount();
      navigatorOn = w.dbnPadrao->isEnabled() && w.cdsReservadosDia->State() == dsBrowse;
      label = w.lblData->text();
    });
    QCOMPARE(rows, 0);
    QVERIFY(navigatorOn);
    QCOMPARE(label, plant->today.addDays(4).toString(QStringLiteral("dd/MM/yyyy")));
  }

  void everyActivationFetchesAgainFromTheFirstRow()
  {
    QList<int> callsAfter, recNoAfter;
    OpenDay(1, [&](TfrmReseDia &w) {
      for (int round = 0; round < 2; ++round) {
        QTest::keyClick(w.dbgPadrao, Qt::Key_Down);
        QCOMPARE(w.cdsReservadosDia->RecNo(), 2);
        QVERIFY(OpenAnotherWindowOver(w));
        const int expected = 3 + round;
        QTRY_VERIFY(Ready(&w) && DayCalls().size() == expected);
        callsAfter << DayCalls().size();
        recNoAfter << w.cdsReservadosDia->RecNo();
      }
    });
    QCOMPARE(callsAfter, (QList<int>{3, 4}));
    QCOMPARE(recNoAfter, (QList<int>{1, 1}));
  }

  void statusTextsPerToggleCombination_data()
  {
    QTest::addColumn<QStringList>("clicked");
    QTest::addColumn<QStringList>("statuses"); // pending, in progress, concluded as last sent
    // clang-format off
    QTest::newRow("Pendente up") << QStringList{"tbtPendente"} << QStringList{"", "2", "2"};
    QTest::newRow("Em Andamento up") << QStringList{"tbtAndamento"} << QStringList{"1", "", "2"};
    QTest::newRow("Concluída up") << QStringList{"tbtConcluida"} << QStringList{"1", "2", ""};
    QTest::newRow("all up") << QStringList{"tbtPendente", "tbtAndamento", "tbtConcluida"} << QStringList{"", "", ""};
    QTest::newRow("only Concluída down") << QStringList{"tbtPendente", "tbtAndamento"} << QStringList{"", "", "2"};
    QTest::newRow("only Em Andamento down") << QStringList{"tbtPendente", "tbtConcluida"} << QStringList{"", "2", ""};
    QTest::newRow("up and down again") << QStringList{"tbtAndamento", "tbtAndamento"} << QStringList{"1", "2", "2"};
    // clang-format on
  }
  void statusTextsPerToggleCombination()
  {
    QFETCH(QStringList, clicked);
    QFETCH(QStringList, statuses);
    QString label;
    OpenDay(1, [&](TfrmReseDia &w) {
      for (const QString &name : clicked)
        QTest::mouseClick(w.findChild<QToolButton *>(name), Qt::LeftButton);
      label = w.lblData->text();
    });
    const QList<TRecordedCall> calls = DayCalls();
    QCOMPARE(calls.size(), 2 + clicked.size());
    const nlohmann::json &last = calls.last().params;
    QCOMPARE((QStringList{QString::fromStdString(last[1].get<std::string>()), QString::fromStdString(last[2].get<std::string>()),
                          QString::fromStdString(last[3].get<std::string>())}),
             statuses);
    // Every click shows the dialogs' animation; the label stays.
    QCOMPARE(depthDuringCalls.mid(1), QList<int>(1 + clicked.size(), 1));
    QCOMPARE(label, plant->today.addDays(1).toString(QStringLiteral("dd/MM/yyyy")));
  }

  void freshWindowAtEachOpening()
  {
    QPointer<TfrmReseDia> first;
    QString firstLabel, secondLabel;
    QStringList firstRows, secondRows;
    OpenDay(1, [&](TfrmReseDia &w) {
      first = &w;
      firstLabel = w.lblData->text();
      firstRows = Orders(*w.cdsReservadosDia);
    });
    QVERIFY(!boStCriado);
    QVERIFY(!first); // released once closed
    OpenDay(2, [&](TfrmReseDia &w) {
      secondLabel = w.lblData->text();
      secondRows = Orders(*w.cdsReservadosDia);
    });
    QVERIFY(!boStCriado);
    QCOMPARE(firstRows, (QStringList{"OP1", "OP2"}));
    QCOMPARE(secondRows, QStringList{"OP3"});
    QCOMPARE(secondLabel, plant->today.addDays(2).toString(QStringLiteral("dd/MM/yyyy")));
    QVERIFY(firstLabel != secondLabel);
    QCOMPARE(DayCalls().size(), 4);
  }

  void closesByCloseButtonCtrlF4AndDoubleClick_data()
  {
    QTest::addColumn<QString>("how");
    QTest::newRow("window close button") << "close";
    QTest::newRow("Ctrl+F4") << "ctrlF4";
    QTest::newRow("double click in the grid") << "dblclick";
  }
  void closesByCloseButtonCtrlF4AndDoubleClick()
  {
    QFETCH(QString, how);
    bool closedByIt = false;
    OpenDay(1, [&](TfrmReseDia &w) {
      QPointer<TfrmReseDia> alive(&w);
      if (how == QLatin1String("close")) {
        w.close();
      } else if (how == QLatin1String("ctrlF4")) {
        w.dbgPadrao->setFocus();
        QTest::keyClick(w.dbgPadrao, Qt::Key_F4, Qt::ControlModifier);
      } else {
        const QRect cell = w.dbgPadrao->visualRect(w.dbgPadrao->model()->index(1, 0));
        QTest::mouseDClick(w.dbgPadrao->viewport(), Qt::LeftButton, {}, cell.center());
      }
      closedByIt = !alive || !alive->isVisible();
    });
    QVERIFY(closedByIt);
    QVERIFY(!boStCriado);
    QVERIFY(!frmReseDia);
    QVERIFY(plant->errors.isEmpty());
  }

  void escapeKeepsTheWindowAndEditKeysAreRefused_data()
  {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("errors");
    // clang-format off
    QTest::newRow("Esc") << int(Qt::Key_Escape) << int(mrNo) << 0;
    QTest::newRow("F2") << int(Qt::Key_F2) << int(mrNo) << 1;
    QTest::newRow("F3") << int(Qt::Key_F3) << int(mrNo) << 1;
    QTest::newRow("F4, yes") << int(Qt::Key_F4) << int(mrYes) << 1;
    QTest::newRow("F4, no") << int(Qt::Key_F4) << int(mrNo) << 0;
    // clang-format on
  }
  void escapeKeepsTheWindowAndEditKeysAreRefused()
  {
    QFETCH(int, key);
    QFETCH(int, answer);
    QFETCH(int, errors);
    plant->prompts.answers = {answer};
    bool stillOpen = false;
    TDataSetState state = dsInactive;
    int rows = 0;
    OpenDay(1, [&](TfrmReseDia &w) {
      w.dbgPadrao->setFocus();
      QTest::keyClick(w.dbgPadrao, Qt::Key(key));
      QTest::qWait(20);
      stillOpen = w.isVisible();
      state = w.cdsReservadosDia->State();
      rows = w.cdsReservadosDia->RecordCount();
    });
    QVERIFY(stillOpen);
    QCOMPARE(state, dsBrowse);
    QCOMPARE(rows, 2);
    QCOMPARE(plant->errors.size(), errors);
    if (errors)
      QVERIFY2(plant->errors[0].contains(QStringLiteral("somente leitura")), qPrintable(plant->errors[0]));
    QCOMPARE(plant->prompts.asked.size(), key == Qt::Key_F4 ? 1 : 0);
  }

  void serverGoneKeepsTheRowsAndReportsOnce()
  {
    QStringList rowsAfter;
    int depthAfter = -1;
    OpenDay(1, [&](TfrmReseDia &w) {
      plant->StopServer();
      QTest::mouseClick(w.tbtPendente, Qt::LeftButton);
      rowsAfter = Orders(*w.cdsReservadosDia);
      depthAfter = ShowAviDepth();
    });
    QCOMPARE(plant->errors.size(), 1);
    QCOMPARE(depthAfter, 0);
    QCOMPARE(ShowAviWidget(), nullptr);
    QCOMPARE(rowsAfter, (QStringList{"OP1", "OP2"}));
    QVERIFY(!boStCriado);
  }

  void errorBoxHandingTheActivationBackReportsOnce()
  {
    int reports = 0, fetchesAfterRestart = 0;
    OpenDay(1, [&](TfrmReseDia &w) {
      // As the host reports: a modal box; closing it hands the activation back to the window.
      SetErrorReporter([&](const QString &) {
        if (++reports > 3)
          return;
        QVERIFY(OpenAnotherWindowOver(w));
      });
      plant->StopServer();
      QTest::mouseClick(w.tbtPendente, Qt::LeftButton);
      QTest::qWait(20);
      // The server back, the next activation fetches again.
      plant->StartServer();
      const int before = DayCalls().size();
      QVERIFY(OpenAnotherWindowOver(w));
      QTRY_VERIFY(Ready(&w) && DayCalls().size() > before);
      fetchesAfterRestart = DayCalls().size() - before;
    });
    QCOMPARE(reports, 1);
    QCOMPARE(fetchesAfterRestart, 1);
  }

  void failedCreationIsReportedOnceAndReturns()
  {
    plant->StopServer();
    OpenDay(1);
    QCOMPARE(plant->errors.size(), 1);
    QVERIFY(!boStCriado);
    QVERIFY(!frmReseDia);
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(ShowAviDepth(), 0);
  }
};

QTEST_MAIN(tst_resedia)
#include "tst_resedia.moc"
