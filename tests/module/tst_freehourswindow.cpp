// The free-hours window over the real plant and server: opened with the sheet's button, driven
// by clicks and keys while its modal loop runs; the pickers are answered through the prompt seam.
#include "plantfixture.h"

#include "freehours/frmhoralivre.h"
#include "package/units.h"
#include "sheet/frmplanilha.h"

#include <inhouse/services/waitanimation.h>
#include <inhouse/text/codelist.h>
#include <zrt/common/datetime.h>

#include <QApplication>
#include <QtTest>

using namespace Cli_zrt02603;

namespace {
// On the button's glyph: a radio button's row is wider than what takes its clicks.
void Click(QWidget *w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(qMin(8, w->width() / 2), w->height() / 2)); }

QString Digits(const QDate &d) { return d.isValid() ? d.toString(QStringLiteral("ddMMyyyy")) : QString(); }

// Types into a date edit or time picker the way a user does: focus, then keys.
void TypeInto(QWidget *field, const QString &keys)
{
  field->setFocus(Qt::TabFocusReason);
  if (qobject_cast<TDateEditPlus *>(field))
    QTest::keyClick(field, Qt::Key_Home);
  QTest::keyClicks(field, keys);
}

// What the window shows, one "CODE dd/mm/yyyy from-to" line per row.
QStringList Rows(TfrmHoraLivre &w)
{
  QStringList rows;
  const QStringList codes = FieldValues(*w.cdsDados, QStringLiteral("CODIGO"));
  const QStringList from = FieldValues(*w.cdsDados, QStringLiteral("HORAINI"));
  const QStringList to = FieldValues(*w.cdsDados, QStringLiteral("HORAFIN"));
  const int date = w.cdsDados->Active() ? w.cdsDados->FieldByName(QStringLiteral("DATA")).Index() : -1;
  for (int i = 0; i < codes.size(); ++i)
    rows << codes[i] + u' ' + w.cdsDados->CellDisplayText(i, date) + u' ' + from[i] + u'-' + to[i];
  return rows;
}
} // namespace

class tst_freehourswindow : public QObject {
  Q_OBJECT

  std::unique_ptr<TPlant> plant;
  TfrmPlanilha *sheet = nullptr;

  // Opens the window with the sheet's button; `whileOpen` runs once it is shown and active,
  // and the window is closed afterwards unless it closed itself.
  bool WithWindow(const std::function<void(TfrmHoraLivre &)> &whileOpen)
  {
    return DriveModal([] { return frmHoraLivre.data(); }, [](TfrmPadrao &) { return true; },
                      [&](TfrmPadrao &w) { whileOpen(static_cast<TfrmHoraLivre &>(w)); },
                      [this] { sheet->SpeedButton3->click(); });
  }

  // Leaves the criteria panel the way a user does: a click in the result grid.
  static void Search(TfrmHoraLivre &w)
  {
    QTest::mouseClick(w.dbgPadrao->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
    QCoreApplication::processEvents();
  }

  void SetDays(TfrmHoraLivre &w, int fromDay, int toDay)
  {
    TypeInto(w.depInicio, Digits(plant->today.addDays(fromDay)));
    TypeInto(w.depFinal, Digits(plant->today.addDays(toDay)));
  }

  QList<TRecordedCall> FreeHourCalls() const
  {
    QList<TRecordedCall> calls;
    for (const TRecordedCall &c : plant->calls)
      if (c.method == QLatin1String("HoraLivre"))
        calls << c;
    return calls;
  }

  // Nothing of a search is left on screen: neither wait panel nor the library's animation.
  static bool WaitShown(TfrmHoraLivre &w) { return w.panAguarde->isVisible() || w.aniAguarde->Active() || ShowAviDepth() > 0; }

private slots:
  void init()
  {
    plant = std::make_unique<TPlant>();
    QVERIFY(BeginSheetTest(*plant));
    Initialization();
    sheet = OpenSheet();
    QVERIFY(sheet);
    QVERIFY(sheet->SpeedButton3->isEnabled());
    plant->ClearCalls();
  }

  void cleanup()
  {
    EndSheetTest(plant);
    Finalization();
  }

  void opensOnItsDefaultsWithNoRecordFunction()
  {
    for (int opening = 0; opening < 2; ++opening) {
      QPointer<TfrmHoraLivre> seen;
      QVERIFY(WithWindow([&](TfrmHoraLivre &w) {
        QVERIFY(boIdCriado);
        QVERIFY2(&w != seen.data(), "every opening builds a new window");
        seen = &w;
        QCOMPARE(w.windowTitle(), QStringLiteral("Horários Livres"));
        QVERIFY(w.rbtTGr->isChecked() && w.rbtTEq->isChecked());
        QVERIFY(!w.btpGrupo->isEnabled() && !w.btpEQUIPAMENTO->isEnabled());
        QVERIFY(EmptyDate(w.depInicio) && EmptyDate(w.depFinal));
        QCOMPARE(w.dtpInicio->TimeText(), QStringLiteral("08:00:00"));
        QCOMPARE(w.dtpFinal->TimeText(), QStringLiteral("18:00:00"));
        QCOMPARE(QApplication::focusWidget(), w.depInicio);
        QVERIFY(!w.cdsDados->Active());
        QVERIFY(!w.mnuOperacao->menuAction()->isVisible() && !w.mnuManutencao->menuAction()->isVisible());
        for (TButtonFlat *b : {w.sbtIncluir, w.sbtAlterar, w.sbtExcluir, w.sbtProcurar, w.sbtVerificar, w.sbtCancelar,
                               w.sbtConfirmar, w.sbtImprimir})
          QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
        QVERIFY(w.sbtAjuda->isEnabled() && w.sbtFechar->isEnabled());
        // A result on screen changes none of that, and the record keys do nothing.
        SetDays(w, 1, 1);
        Search(w);
        QVERIFY(w.cdsDados->RecordCount() > 0);
        const int rows = w.cdsDados->RecordCount();
        for (int key : {Qt::Key_F2, Qt::Key_F3, Qt::Key_F4, Qt::Key_F5, Qt::Key_F7})
          QTest::keyClick(w.dbgPadrao, Qt::Key(key));
        QTest::keyClick(w.dbgPadrao, Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClicks(w.dbgPadrao, QStringLiteral("X"));
        QCOMPARE(w.cdsDados->State(), dsBrowse);
        QCOMPARE(w.cdsDados->RecordCount(), rows);
        QVERIFY(plant->prompts.asked.isEmpty());
        QVERIFY(!w.sbtIncluir->isEnabled() && !w.sbtExcluir->isEnabled());
        QVERIFY(w.dbnPadrao->isEnabled());
        // The close short-cut closes it.
        QTest::keyClick(w.dbgPadrao, Qt::Key_F4, Qt::ControlModifier);
        QTRY_VERIFY(!seen || !seen->isVisible());
      }));
      QVERIFY(!frmHoraLivre && !boIdCriado);
    }
    QVERIFY(plant->errors.isEmpty());
  }

  void checksInOrder_data()
  {
    QTest::addColumn<bool>("groupList"); // "Lista" of groups chosen, nothing picked
    QTest::addColumn<bool>("equipList");
    QTest::addColumn<int>("fromDay"); // days from today; 99: left empty
    QTest::addColumn<int>("toDay");
    QTest::addColumn<QString>("fromHour"); // typed into the pickers
    QTest::addColumn<QString>("toHour");
    QTest::addColumn<QString>("message"); // empty: the search goes to the server
    QTest::addColumn<QString>("focus");
    // clang-format off
    QTest::newRow("group list empty, before any date") << true << true << 99 << 99 << "0800" << "1800"
        << "Grupo de equipamentos deve ser informado." << "rbtLGr";
    QTest::newRow("equipment list empty") << false << true << 99 << 99 << "0800" << "1800"
        << "Equipamento deve ser informado." << "rbtLEq";
    QTest::newRow("no start date") << false << false << 99 << 2 << "0800" << "1800"
        << "Data inicial deve ser informada." << "depInicio";
    QTest::newRow("no end date") << false << false << 1 << 99 << "0800" << "1800"
        << "Data final deve ser informada." << "depFinal";
    QTest::newRow("dates reversed") << false << false << 2 << 1 << "0800" << "1800"
        << "Data inicial deve ser menor ou igual a data final. " << "depInicio";
    QTest::newRow("hours reversed") << false << false << 1 << 2 << "1800" << "0800"
        << "Intervalo inicial deve ser menor ou igual ao intervalo final." << "dtpInicio";
    QTest::newRow("equal dates and hours") << false << false << 1 << 1 << "1000" << "1000" << "" << "dbgPadrao";
    // clang-format on
  }

  void checksInOrder()
  {
    QFETCH(bool, groupList);
    QFETCH(bool, equipList);
    QFETCH(int, fromDay);
    QFETCH(int, toDay);
    QFETCH(QString, fromHour);
    QFETCH(QString, toHour);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    QVERIFY(WithWindow([&](TfrmHoraLivre &w) {
      if (groupList)
        Click(w.rbtLGr);
      if (equipList)
        Click(w.rbtLEq);
      if (fromDay != 99)
        TypeInto(w.depInicio, Digits(plant->today.addDays(fromDay)));
      if (toDay != 99)
        TypeInto(w.depFinal, Digits(plant->today.addDays(toDay)));
      TypeInto(w.dtpInicio, fromHour);
      TypeInto(w.dtpFinal, toHour);
      QVERIFY(plant->prompts.shown.isEmpty()); // an empty date is no error as it is left
      Search(w);
      QCOMPARE(plant->prompts.shown, message.isEmpty() ? QStringList{} : QStringList{message});
      QCOMPARE(FreeHourCalls().size(), message.isEmpty() ? 1 : 0);
      QCOMPARE(QApplication::focusWidget()->objectName(), focus);
      QVERIFY(!WaitShown(w));
      QCOMPARE(w.cdsDados->Active(), message.isEmpty());
    }));
    QVERIFY(plant->errors.isEmpty());
  }

  void theServerGetsTheEightArguments_data()
  {
    QTest::addColumn<QStringList>("groups"); // picked; empty: "Todos"
    QTest::addColumn<QStringList>("equipment");
    // clang-format off
    QTest::newRow("all") << QStringList{} << QStringList{};
    QTest::newRow("lists") << QStringList{QStringLiteral("INJ")} << QStringList{QStringLiteral("EQ1"), QStringLiteral("EQ10")};
    // clang-format on
  }

  void theServerGetsTheEightArguments()
  {
    QFETCH(QStringList, groups);
    QFETCH(QStringList, equipment);
    QVERIFY(WithWindow([&](TfrmHoraLivre &w) {
      if (!groups.isEmpty()) {
        Click(w.rbtLGr);
        plant->prompts.picks << groups;
        Click(w.btpGrupo);
      }
      if (!equipment.isEmpty()) {
        Click(w.rbtLEq);
        plant->prompts.picks << equipment;
        Click(w.btpEQUIPAMENTO);
      }
      SetDays(w, 2, 9);
      TypeInto(w.dtpInicio, QStringLiteral("0130"));
      // The end hour left half typed: the picker takes "2" as the focus leaves it, before the search.
      TypeInto(w.dtpFinal, QStringLiteral("2"));
      Search(w);
    }));
    const QList<TRecordedCall> calls = FreeHourCalls();
    QCOMPARE(calls.size(), 1);
    const nlohmann::json expected = nlohmann::json::array(
        {!groups.isEmpty(), !equipment.isEmpty(), "01:30:00", "02:00:00", CodeList(groups).toStdString(),
         zrt::toDateTime(plant->today.addDays(2)), zrt::toDateTime(plant->today.addDays(9)), CodeList(equipment).toStdString()});
    QCOMPARE(QString::fromStdString(calls[0].params.dump()), QString::fromStdString(expected.dump()));
    QCOMPARE(calls[0].waitDepth, 1); // under the library's wait animation
    QVERIFY(plant->errors.isEmpty());
  }

  void freeSpansAroundMidnightAndAFullDay()
  {
    // EQ1: day 4 booked whole, a reservation from 23:30 on day 5 to 01:00 on day 6, one from
    // 00:00 to 02:00 on day 7.
    plant->Exec(QStringLiteral("INSERT INTO RESEQUIPPROD VALUES ('EQ1', 'OP1', '%1', '%2', 5)")
                    .arg(plant->At(4, "00:00"), plant->At(5, "00:00")));
    QStringList rows;
    QVERIFY(WithWindow([&](TfrmHoraLivre &w) {
      Click(w.rbtLEq);
      plant->prompts.picks << QStringList{QStringLiteral("EQ1")};
      Click(w.btpEQUIPAMENTO);
      SetDays(w, 4, 7);
      TypeInto(w.dtpInicio, QStringLiteral("0000"));
      TypeInto(w.dtpFinal, QStringLiteral("2359"));
      Search(w);
      rows = Rows(w);
    }));
    auto day = [this](int offset) { return plant->today.addDays(offset).toString(QStringLiteral("dd/MM/yyyy")); };
    QCOMPARE(rows, (QStringList{QStringLiteral("EQ1 ") + day(5) + QStringLiteral(" 00:00-23:30"),
                                QStringLiteral("EQ1 ") + day(6) + QStringLiteral(" 01:00-23:59"),
                                QStringLiteral("EQ1 ") + day(7) + QStringLiteral(" 02:00-23:59")}));
    QVERIFY(plant->errors.isEmpty());
  }

  void reenteringThePanelEmptiesTheResult()
  {
    QVERIFY(WithWindow([&](TfrmHoraLivre &w) {
      SetDays(w, 1, 3);
      Search(w);
      const QStringList first = Rows(w);
      QVERIFY(!first.isEmpty());
      QCOMPARE(w.dbgPadrao->model()->rowCount(), first.size());
      QTest::mouseClick(w.depFinal, Qt::LeftButton);
      QVERIFY(!w.cdsDados->Active());
      QCOMPARE(w.dbgPadrao->model()->rowCount(), 0);
      // Leaving again with the same criteria asks again and shows the same answer.
      Search(w);
      QCOMPARE(FreeHourCalls().size(), 2);
      QCOMPARE(Rows(w), first);
    }));
  }

  void listsFollowTheirChoices()
  {
    QVERIFY(WithWindow([&](TfrmHoraLivre &w) {
      Click(w.rbtLGr);
      QVERIFY(w.btpGrupo->isEnabled());
      plant->prompts.picks << QStringList{QStringLiteral("INJ")} << QStringList{QStringLiteral("EQ10")};
      Click(w.btpGrupo);
      Click(w.rbtLEq);
      Click(w.btpEQUIPAMENTO);
      QCOMPARE(plant->prompts.pickRequests.last().title, QStringLiteral("Equipamento"));
      QCOMPARE(plant->prompts.pickRequests.last().offered,
               (QStringList{QStringLiteral("EQ1"), QStringLiteral("EQ10")})); // the group's only
      QCOMPARE(ListaEquipamentos, QStringLiteral(";EQ10;"));
      // Picking groups again keeps the equipment already picked.
      plant->prompts.picks << QStringList{QStringLiteral("INJ"), QStringLiteral("EXT")};
      Click(w.btpGrupo);
      QCOMPARE(plant->prompts.pickRequests.last().checked, QStringList{QStringLiteral("INJ")});
      QCOMPARE(ListaGrupos, QStringLiteral(";INJ;EXT;"));
      QCOMPARE(ListaEquipamentos, QStringLiteral(";EQ10;"));
      // "Todos" empties its own list only; "Lista" again needs a new pick.
      Click(w.rbtTEq);
      QVERIFY(ListaEquipamentos.isEmpty() && !w.btpEQUIPAMENTO->isEnabled());
      QCOMPARE(ListaGrupos, QStringLiteral(";INJ;EXT;"));
      Click(w.rbtLEq);
      SetDays(w, 1, 1);
      Search(w);
      QCOMPARE(plant->prompts.shown, QStringList{QStringLiteral("Equipamento deve ser informado.")});
      Click(w.rbtTGr);
      QVERIFY(ListaGrupos.isEmpty() && !w.btpGrupo->isEnabled());
      // An equipment search under "Lista" with no group stops at the group check.
      Click(w.rbtLGr);
      const int pickers = plant->prompts.pickRequests.size();
      Click(w.btpEQUIPAMENTO);
      QCOMPARE(plant->prompts.shown.last(), QStringLiteral("Grupo de equipamentos deve ser informado."));
      QCOMPARE(plant->prompts.pickRequests.size(), pickers);
      QCOMPARE(QApplication::focusWidget(), w.rbtLGr);
      plant->prompts.picks << QStringList{QStringLiteral("EXT")};
      Click(w.btpGrupo);
    }));
    // Closing empties both lists: the next window starts from "Todos".
    QVERIFY(ListaGrupos.isEmpty() && ListaEquipamentos.isEmpty());
  }

  void aFailedSearchIsReportedOnceAndLeavesTheWindowUsable()
  {
    QVERIFY(WithWindow([&](TfrmHoraLivre &w) {
      SetDays(w, 1, 2);
      plant->StopServer();
      Search(w);
      QCOMPARE(plant->errors.size(), 1);
      QVERIFY(!WaitShown(w));
      QVERIFY(!w.cdsDados->Active());
      QVERIFY(w.isVisible());
      // Back in the panel and out again once the server is back: the answer comes.
      plant->StartServer();
      QTest::mouseClick(w.depFinal, Qt::LeftButton);
      Search(w);
      QVERIFY(w.cdsDados->RecordCount() > 0);
      QCOMPARE(plant->errors.size(), 1);
    }));
  }

  void comingBackLeavesTheFocusWhereTheCheckPutIt()
  {
    QVERIFY(WithWindow([&](TfrmHoraLivre &w) {
      Click(w.rbtLGr);
      Search(w);
      QCOMPARE(QApplication::focusWidget(), w.rbtLGr);
      // A message box of the window's own comes and goes, as a real one would.
      {
        QWidget box(nullptr, Qt::Dialog);
        box.setWindowModality(Qt::ApplicationModal);
        box.show();
        QVERIFY(QTest::qWaitForWindowActive(&box));
      }
      w.activateWindow(); // as the window manager hands the activation back
      QVERIFY(QTest::qWaitForWindowActive(&w));
      QCOMPARE(QApplication::focusWidget(), w.rbtLGr);
    }));
  }

  void aHalfTypedDateIsReportedAsItIsLeft()
  {
    QVERIFY(WithWindow([&](TfrmHoraLivre &w) {
      TypeInto(w.depInicio, QStringLiteral("3102"));
      QTest::keyClick(w.depInicio, Qt::Key_Tab);
      QCOMPARE(plant->errors.size(), 1);
      QVERIFY(plant->errors[0].contains(QStringLiteral("não é uma data válida")));
      QCOMPARE(QApplication::focusWidget(), w.depInicio);
      QVERIFY(FreeHourCalls().isEmpty());
    }));
  }

private:
  static bool EmptyDate(TDateEditPlus *e) { return e->DigitsText().trimmed().isEmpty(); }
};

QTEST_MAIN(tst_freehourswindow)
#include "tst_freehourswindow.moc"
