// The day reservations window against the real plant and application server, opened as the
// sheet opens it (CriaReseDia) and driven by real keys and clicks while its modal loop runs.
#include "plantfixture.h"

#include "dayreservations/frmresedia.h"
#include "package/units.h"

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

class tst_dayreservations : public QObject {
  Q_OBJECT

  std::unique_ptr<TPlant> plant;

  double Day(int offset) const { return zrt::toDateTime(plant->today.addDays(offset)); }
  double PeriodStart() const { return zrt::toDateTime(plant->today, QTime(7, 30)); }
  double PeriodEnd() const { return zrt::toDateTime(plant->today.addDays(30), QTime(18, 0)); }

  // CriaReseDia for EQ1 on the day `offset` days from today; `whileOpen` runs once the window is
  // shown and loaded, and the window is closed afterwards unless it closed itself. Returns when
  // CriaReseDia has returned.
  void OpenDay(int offset, const std::function<void(TfrmReseDia &)> &whileOpen = {})
  {
    DriveModal([] { return frmReseDia.data(); }, [](TfrmPadrao &w) { return Ready(static_cast<TfrmReseDia *>(&w)); },
               [&](TfrmPadrao &w) {
                 if (whileOpen)
                   whileOpen(static_cast<TfrmReseDia &>(w));
               },
               [&] { CriaReseDia(QStringLiteral("EQ1"), Day(offset), PeriodStart(), PeriodEnd()); });
  }

  QList<TRecordedCall> DayCalls() const
  {
    QList<TRecordedCall> calls;
    for (const auto &c : plant->calls)
      if (c.method == QLatin1String("GetReservaDia"))
        calls << c;
    return calls;
  }

  static QStringList Orders(TClientDataSet &set) { return FieldValues(set, QStringLiteral("NRORDPROD")); }

private slots:
  void init()
  {
    plant = std::make_unique<TPlant>();
    QVERIFY(BeginSheetTest(*plant));
    Initialization();
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
    QCOMPARE(plant->WaitDepths(), (QList<int>{0, 1}));
    QCOMPARE(ShowAviDepth(), 0);
    QVERIFY(plant->errors.isEmpty());
    QVERIFY(!QApplication::overrideCursor());
  }

  void dayShowsItsOrders_data()
  {
    QTest::addColumn<int>("day");
    QTest::addColumn<QStringList>("orders");
    QTest::addColumn<QStringList>("firstRow"); // as the grid shows it, %D the day
    // clang-format off
    QTest::newRow("two orders") << 1 << QStringList{QStringLiteral("OP1"), QStringLiteral("OP2")}
                                << QStringList{QStringLiteral("OP1"), QStringLiteral("1.01.001"), QStringLiteral("Tampa 38mm"), QStringLiteral("%D 08:00:00"), QStringLiteral("%D 10:00:00"), QStringLiteral("1.500,0000")};
    QTest::newRow("one order") << 2 << QStringList{QStringLiteral("OP3")}
                               << QStringList{QStringLiteral("OP3"), QStringLiteral("1.01.003"), QStringLiteral("Tampa 38mm"), QStringLiteral("%D 14:00:00"), QStringLiteral("%D 16:00:00"), QStringLiteral("80,0000")};
    QTest::newRow("no reservations") << 4 << QStringList{} << QStringList{};
    // clang-format on
  }
  void dayShowsItsOrders()
  {
    QFETCH(int, day);
    QFETCH(QStringList, orders);
    QFETCH(QStringList, firstRow);
    QStringList shownOrders, shownRow, titles;
    QString label;
    bool navigatorOn = false;
    OpenDay(day, [&](TfrmReseDia &w) {
      shownOrders = Orders(*w.cdsReservadosDia);
      label = w.lblData->text();
      navigatorOn = w.dbnPadrao->isEnabled();
      const QAbstractItemModel *model = w.dbgPadrao->model();
      for (int c = 0; c < model->columnCount(); ++c) {
        titles << model->headerData(c, Qt::Horizontal).toString();
        if (model->rowCount() > 0)
          shownRow << model->index(0, c).data().toString();
      }
    });
    const QString date = plant->today.addDays(day).toString(QStringLiteral("dd/MM/yyyy"));
    QCOMPARE(shownOrders, orders);
    QCOMPARE(shownRow, firstRow.replaceInStrings(QStringLiteral("%D"), date));
    QCOMPARE(titles, (QStringList{QStringLiteral("Ordem"), QStringLiteral("Código"), QStringLiteral("Produto"),
                                  QStringLiteral("Data Inicial"), QStringLiteral("Data Final"), QStringLiteral("Quantidade")}));
    // Only the date: the period's hours travel to the server but are not shown.
    QCOMPARE(label, date);
    QVERIFY(navigatorOn);
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
    QTest::newRow("Pendente up") << QStringList{QStringLiteral("tbtPendente")} << QStringList{QStringLiteral(""), QStringLiteral("2"), QStringLiteral("2")};
    QTest::newRow("Em Andamento up") << QStringList{QStringLiteral("tbtAndamento")} << QStringList{QStringLiteral("1"), QStringLiteral(""), QStringLiteral("2")};
    QTest::newRow("Concluída up") << QStringList{QStringLiteral("tbtConcluida")} << QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("")};
    QTest::newRow("all up") << QStringList{QStringLiteral("tbtPendente"), QStringLiteral("tbtAndamento"), QStringLiteral("tbtConcluida")} << QStringList{QStringLiteral(""), QStringLiteral(""), QStringLiteral("")};
    QTest::newRow("only Concluída down") << QStringList{QStringLiteral("tbtPendente"), QStringLiteral("tbtAndamento")} << QStringList{QStringLiteral(""), QStringLiteral(""), QStringLiteral("2")};
    QTest::newRow("only Em Andamento down") << QStringList{QStringLiteral("tbtPendente"), QStringLiteral("tbtConcluida")} << QStringList{QStringLiteral(""), QStringLiteral("2"), QStringLiteral("")};
    QTest::newRow("up and down again") << QStringList{QStringLiteral("tbtAndamento"), QStringLiteral("tbtAndamento")} << QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("2")};
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
    QCOMPARE(plant->WaitDepths().mid(1), QList<int>(1 + clicked.size(), 1));
    QCOMPARE(label, plant->today.addDays(1).toString(QStringLiteral("dd/MM/yyyy")));
  }

  void freshWindowAtEachOpening()
  {
    QPointer<TfrmReseDia> first;
    QString secondLabel;
    bool secondIsNew = false;
    OpenDay(1, [&](TfrmReseDia &w) { first = &w; });
    QVERIFY(!boStCriado);
    QVERIFY(!first); // released once closed
    OpenDay(2, [&](TfrmReseDia &w) {
      secondIsNew = w.Created() && !first;
      secondLabel = w.lblData->text();
    });
    QVERIFY(secondIsNew);
    QVERIFY(!boStCriado);
    QCOMPARE(secondLabel, plant->today.addDays(2).toString(QStringLiteral("dd/MM/yyyy")));
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

  void closeAskedDuringAFetchWaitsForTheAnswer()
  {
    // The window system's close button while the activation's fetch is on its way: the window
    // goes once the answer is loaded, never under the handler that waits for it.
    bool askedInCall = false;
    int loadsAfterAsking = 0;
    QTimer poll;
    QElapsedTimer waited;
    waited.start();
    poll.setInterval(0);
    connect(&poll, &QTimer::timeout, [&] {
      TfrmReseDia *w = frmReseDia;
      if (w && !w->netReservaDia->InCall() && waited.elapsed() > 10000 && !w->InServerCall()) {
        poll.stop(); // no fetch caught on its way: the test fails below instead of waiting forever
        w->Close();
        return;
      }
      if (!w || !w->netReservaDia->InCall())
        return;
      poll.stop();
      askedInCall = true;
      connect(w->cdsReservadosDia, &TDataSet::dataReset, [&] { ++loadsAfterAsking; });
      w->close();
    });
    poll.start();
    CriaReseDia(QStringLiteral("EQ1"), Day(1), PeriodStart(), PeriodEnd());
    poll.stop();
    FlushDeletes();
    QVERIFY(askedInCall);
    QVERIFY(loadsAfterAsking >= 1); // the answer reached a window still there
    QVERIFY(!frmReseDia);
    QVERIFY(!boStCriado);
    QCOMPARE(DayCalls().size(), 2);
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
    int reports = 0, depthAfter = -1, fetchesAfterRestart = 0;
    OpenDay(1, [&](TfrmReseDia &w) {
      // As the host reports: a modal box; closing it hands the activation back to the window.
      SetErrorReporter([&](const QString &) {
        if (++reports <= 3)
          QVERIFY(OpenAnotherWindowOver(w));
      });
      plant->StopServer();
      QTest::mouseClick(w.tbtPendente, Qt::LeftButton);
      rowsAfter = Orders(*w.cdsReservadosDia);
      depthAfter = ShowAviDepth();
      // The server back, the next activation fetches again.
      plant->StartServer();
      const int before = DayCalls().size();
      QVERIFY(OpenAnotherWindowOver(w));
      QTRY_VERIFY(Ready(&w) && DayCalls().size() > before);
      fetchesAfterRestart = DayCalls().size() - before;
    });
    QCOMPARE(reports, 1);
    QCOMPARE(depthAfter, 0);
    QCOMPARE(ShowAviWidget(), nullptr);
    QCOMPARE(rowsAfter, (QStringList{QStringLiteral("OP1"), QStringLiteral("OP2")}));
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

QTEST_MAIN(tst_dayreservations)
#include "tst_dayreservations.moc"
