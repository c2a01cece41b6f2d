// The utilisation sheet driven through real widgets against the real application server over
// a known plant: lifecycle, creation and activation, period entry, day view and week grid.
#include "plantfixture.h"

#include "package/units.h"
#include "sheet/frmplanilha.h"

#include <inhouse/net/checkresultserv.h>
#include <inhouse/services/brivon.h>
#include <inhouse/services/waitanimation.h>

#include <QAccessible>
#include <QApplication>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPrintPreviewDialog>
#include <QtTest>

using namespace Cli_zrt02600;

class tst_sheet : public QObject {
  Q_OBJECT

  std::unique_ptr<TPlant> plant;

private slots:
  void init()
  {
    plant = std::make_unique<TPlant>();
    QVERIFY(BeginSheetTest(*plant));
  }

  void cleanup() { EndSheetTest(plant); }

  // --- lifecycle ---------------------------------------------------------------------

  // Opened while another window has the keyboard (the host still starting), the sheet waits in
  // the period once it is active: no orders shown, and no line under them.
  void openedBehindAnotherWindowWaitsInThePeriod()
  {
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    TfrmPlanilha *sheet = OpenSheet();
    QVERIFY(sheet);
    // Before its activation the list holds what creation asked for, with no period yet.
    QCOMPARE(sheet->lblUtilizacao->text(), QString());
    plant->mainWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(plant->mainWindow));
    QVERIFY(sheet->panTopo->isAncestorOf(QApplication::focusWidget()));
    QVERIFY(!sheet->cdsReservados->Active());
    QCOMPARE(sheet->lblUtilizacao->text(), QString());
    LeavePanel(sheet);
    QVERIFY(sheet->lblUtilizacao->text().startsWith(QStringLiteral("6 reservas")));
  }

  void iniProcTwiceGivesOneSheetInNormalState()
  {
    TfrmPlanilha *first = OpenSheet();
    QVERIFY(first);
    QVERIFY(boStCriado);
    first->MdiSubWindow()->showMaximized();
    IniProc();
    QCOMPARE(frmPlanilha.data(), first);
    QCOMPARE(plant->mdiArea->subWindowList().size(), 1);
    QVERIFY(!first->MdiSubWindow()->isMaximized());
    QCOMPARE(plant->mdiArea->activeSubWindow(), first->MdiSubWindow());
    QVERIFY(plant->errors.isEmpty());
  }

  // IniProc on the sheet that is already active brings it forward in normal state and runs no
  // activation: no server date read, the focus and the orders list stay as they were.
  void iniProcOnTheActiveSheetRunsNoActivation()
  {
    TfrmPlanilha *sheet = OpenSheet();
    sheet->medHoraFin->setFocus();
    QTest::keyClick(sheet->medHoraFin, Qt::Key_Tab);
    QWidget *focus = QApplication::focusWidget();
    QVERIFY(focus && !sheet->panTopo->isAncestorOf(focus));
    QVERIFY(sheet->cdsReservados->Active());
    sheet->MdiSubWindow()->showMaximized();
    plant->ClearCalls();
    woAnoAtual = 1999;
    IniProc();
    QVERIFY(plant->calls.isEmpty());
    QCOMPARE(int(woAnoAtual), 1999);
    QCOMPARE(QApplication::focusWidget(), focus);
    QVERIFY(sheet->cdsReservados->Active());
    QVERIFY(!sheet->MdiSubWindow()->isMaximized());
    QCOMPARE(plant->mdiArea->activeSubWindow(), sheet->MdiSubWindow());
  }

  // What assistive technology reads for the free-hours button and the two period dates.
  void accessibleNames()
  {
    TfrmPlanilha *sheet = OpenSheet();
    auto name = [](QWidget *w) {
      QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
      return a ? a->text(QAccessible::Name) : QString();
    };
    QCOMPARE(name(sheet->SpeedButton3), QStringLiteral("Horários Livres"));
    QCOMPARE(name(sheet->depInicio), QStringLiteral("de"));
    QCOMPARE(name(sheet->depFinal), QStringLiteral("até"));
  }

  void iniProcAfterCloseMakesANewSheet()
  {
    TfrmPlanilha *first = OpenSheet();
    QVERIFY(first);
    first->Close();
    FlushDeletes();
    QVERIFY(frmPlanilha.isNull());
    QVERIFY(boStCriado); // the flag outlives the window
    TfrmPlanilha *second = OpenSheet();
    QVERIFY(second);
    QCOMPARE(plant->mdiArea->subWindowList().size(), 1);
    QVERIFY(plant->errors.isEmpty());
  }

  void closingReportsTheWindowForUnload()
  {
    QList<const QMetaObject *> reported;
    Brivon::SetUnloadBPLHandler([&](const QMetaObject *cls, QObject *) { reported << cls; });
    OpenSheet()->Close();
    FlushDeletes();
    QCOMPARE(reported.size(), 1);
    QCOMPARE(reported.first(), &TfrmPlanilha::staticMetaObject);
  }

  void reloadStartsAfresh()
  {
    OpenSheet()->Close();
    FlushDeletes();
    Finalization();
    Initialization();
    QVERIFY(!boStCriado);
    QVERIFY(P_PEND.isEmpty() && woAnoAtual == 0);
    QVERIFY(OpenSheet());
    QVERIFY(boStCriado);
  }

  void serverDownAtCreation()
  {
    plant->StopServer();
    bool failed = false;
    try {
      IniProc();
    } catch (const std::exception &e) {
      failed = true;
      QVERIFY2(QString::fromUtf8(e.what()).contains(QString::number(plant->port)), e.what());
    }
    QVERIFY(failed);
    QVERIFY(!boStCriado);
    QVERIFY(frmPlanilha.isNull());
    QVERIFY(plant->mdiArea->subWindowList().isEmpty());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QCOMPARE(ShowAviDepth(), 0);
    // Once the server is back the sheet opens.
    plant->StartServer();
    QVERIFY(OpenSheet());
  }

  void closedByButtonAndByCtrlF4_data()
  {
    QTest::addColumn<bool>("byKey");
    QTest::newRow("Fechar") << false;
    QTest::newRow("Ctrl+F4") << true;
  }
  void closedByButtonAndByCtrlF4()
  {
    QFETCH(bool, byKey);
    TfrmPlanilha *sheet = OpenSheet();
    if (byKey)
      QTest::keyClick(sheet->depInicio, Qt::Key_F4, Qt::ControlModifier);
    else
      QTest::mouseClick(sheet->sbtFechar, Qt::LeftButton);
    FlushDeletes();
    QVERIFY(frmPlanilha.isNull());
    QVERIFY(plant->mdiArea->subWindowList().isEmpty());
    QVERIFY(plant->errors.isEmpty());
  }

  void menusMergeWhileTheSheetIsActive()
  {
    auto menuTexts = [this] {
      QStringList texts;
      for (QAction *a : plant->mainWindow->menuBar()->actions())
        texts << a->text();
      return texts;
    };
    TfrmPlanilha *sheet = OpenSheet();
    QVERIFY(menuTexts().contains(QStringLiteral("&Operação")));
    QVERIFY(menuTexts().contains(QStringLiteral("&Manutenção")));
    auto *other = plant->mdiArea->addSubWindow(new QWidget);
    other->show();
    plant->mdiArea->setActiveSubWindow(other);
    QVERIFY(!menuTexts().contains(QStringLiteral("&Operação")));
    plant->mdiArea->setActiveSubWindow(sheet->MdiSubWindow());
    QVERIFY(menuTexts().contains(QStringLiteral("&Manutenção")));
  }

  void printItemsOpenThePreviewAndIncludeDoesNothing()
  {
    TfrmPlanilha *sheet = OpenSheet();
    QTest::keyClick(sheet->depInicio, Qt::Key_I, Qt::ControlModifier);
    QTest::keyClick(sheet->depInicio, Qt::Key_F2);
    QTest::mouseClick(sheet->sbtImprimir, Qt::LeftButton);
    QCOMPARE(frmPlanilha.data(), sheet);
    QVERIFY(plant->errors.isEmpty());
    QVERIFY(plant->prompts.shown.isEmpty());
    // One preview for Ctrl+I, one for the button.
    const QList<QPrintPreviewDialog *> previews = sheet->findChildren<QPrintPreviewDialog *>();
    QCOMPARE(previews.size(), 2);
    for (QPrintPreviewDialog *preview : previews)
      preview->close();
  }

  void tokenTravelsFromTheSettings()
  {
    plant->StopServer();
    plant->token = "s3gredo";
    plant->StartServer();
    bool refused = false;
    try {
      IniProc();
    } catch (const std::exception &) {
      refused = true;
    }
    QVERIFY(refused);
    QVERIFY(!boStCriado);
    Brivon::Settings s = Brivon::Current();
    s.token = QStringLiteral("s3gredo");
    Brivon::Configure(s);
    QVERIFY(OpenSheet());
    QCOMPARE(frmPlanilha->qryEquipamento->RecordCount(), 3);
  }

  // --- creation and activation --------------------------------------------------------

  void creationSetsPeriodAndListsEquipment()
  {
    TfrmPlanilha *sheet = OpenSheet();
    QCOMPARE(sheet->depInicio->GetDate(), QDate::currentDate());
    QCOMPARE(sheet->depFinal->GetDate(), QDate::currentDate().addDays(30));
    QCOMPARE(sheet->medHoraIni->Text(), QStringLiteral("08:00"));
    QCOMPARE(sheet->medHoraFin->Text(), QStringLiteral("18:00"));
    QCOMPARE(sheet->qryEquipamento->RecordCount(), 3);
    QCOMPARE(FieldValues(*sheet->qryEquipamento, QStringLiteral("CDEQUIPPRO")),
             QStringList({QStringLiteral("EQ1"), QStringLiteral("EQ10"), QStringLiteral("EQ2")}));
    // The first row asks for its orders before any period or status was computed.
    QVERIFY(plant->calls.size() >= 2);
    QCOMPARE(plant->calls[0].method, QStringLiteral("GetReservados"));
    QCOMPARE(plant->calls[0].params, nlohmann::json({"EQ1", "", "", "", 0.0, 0.0}));
    QCOMPARE(plant->calls[1].method, QStringLiteral("GetHoraServidor"));
    QCOMPARE(sheet->windowTitle(), QStringLiteral("Planilha de Utilização dos Equipamentos na Produção"));
  }

  void activationReadsServerDateAndEntersThePeriod()
  {
    TfrmPlanilha *sheet = OpenSheet();
    const QDate today = QDate::currentDate();
    QCOMPARE(int(woAnoAtual), today.year());
    QCOMPARE(int(woMesAtual), today.month());
    QCOMPARE(int(woDiaAtual), today.day());
    QCOMPARE(QApplication::focusWidget(), sheet->depInicio);
    QVERIFY(!sheet->cdsReservados->Active());
    QCOMPARE(sheet->pgcOrdemProd->ActivePage(), sheet->tshDia);

    // Another MDI child and back: the server date is read again.
    auto *other = plant->mdiArea->addSubWindow(new QWidget);
    other->show();
    plant->mdiArea->setActiveSubWindow(other);
    plant->ClearCalls();
    woAnoAtual = 1999;
    plant->mdiArea->setActiveSubWindow(sheet->MdiSubWindow());
    QCOMPARE(plant->CallMethods(), QStringList({QStringLiteral("GetHoraServidor")}));
    QCOMPARE(int(woAnoAtual), today.year());
  }

  void maximisedOnlyOn800By600_data()
  {
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<bool>("maximised");
    QTest::newRow("800x600") << QSize(800, 600) << true;
    QTest::newRow("1024x768") << QSize(1024, 768) << false;
    QTest::newRow("600x800") << QSize(600, 800) << false;
  }
  void maximisedOnlyOn800By600()
  {
    QFETCH(QSize, screen);
    QFETCH(bool, maximised);
    TfrmPlanilha::ScreenSize = [screen] { return screen; };
    TfrmPlanilha *sheet = OpenSheet();
    // IniProc sets the state back to normal after the first activation; the next activation
    // applies the rule.
    auto *other = plant->mdiArea->addSubWindow(new QWidget);
    other->show();
    plant->mdiArea->setActiveSubWindow(other);
    plant->mdiArea->setActiveSubWindow(sheet->MdiSubWindow());
    QCOMPARE(sheet->MdiSubWindow()->isMaximized(), maximised);
  }

  void equipmentQuerySelectsWholeCodes_data()
  {
    QTest::addColumn<QString>("groups");
    QTest::addColumn<QString>("allGroups");
    QTest::addColumn<QString>("equipment");
    QTest::addColumn<QString>("allEquipment");
    QTest::addColumn<QStringList>("expected");
    // clang-format off
    QTest::newRow("all") << "" << "T" << "" << "T" << QStringList({QStringLiteral("EQ1"), QStringLiteral("EQ10"), QStringLiteral("EQ2")});
    QTest::newRow("EQ1 only, not EQ10") << "" << "T" << ";EQ1;" << "" << QStringList({QStringLiteral("EQ1")});
    QTest::newRow("EQ10 and EQ2") << "" << "T" << ";EQ10;EQ2;" << "" << QStringList({QStringLiteral("EQ10"), QStringLiteral("EQ2")});
    QTest::newRow("group EXT") << ";EXT;" << "" << "" << "T" << QStringList({QStringLiteral("EQ2")});
    QTest::newRow("group and equipment") << ";INJ;" << "" << ";EQ2;EQ10;" << "" << QStringList({QStringLiteral("EQ10")});
    QTest::newRow("empty list without flag") << "" << "" << "" << "T" << QStringList();
    // clang-format on
  }
  void equipmentQuerySelectsWholeCodes()
  {
    QFETCH(QString, groups);
    QFETCH(QString, allGroups);
    QFETCH(QString, equipment);
    QFETCH(QString, allEquipment);
    QFETCH(QStringList, expected);
    TfrmPlanilha *sheet = OpenSheet();
    TADOIBQuery *q = sheet->qryEquipamento;
    q->Close();
    q->ParamByName(QStringLiteral("P_GR")).SetAsString(groups);
    q->ParamByName(QStringLiteral("P_TGR")).SetAsString(allGroups);
    q->ParamByName(QStringLiteral("P_EQ")).SetAsString(equipment);
    q->ParamByName(QStringLiteral("P_TEQ")).SetAsString(allEquipment);
    q->Open();
    QCOMPARE(FieldValues(*q, QStringLiteral("CDEQUIPPRO")), expected);
    QVERIFY(q->ActiveSQL().contains(QStringLiteral("';' || CDEQUIPPRO || ';'")));
  }

  void personalSettingSetsPermissionsOnly()
  {
    Brivon::Settings s = Brivon::Current();
    s.personal[3] = QStringLiteral("S");
    Brivon::Configure(s);
    TfrmPlanilha *sheet = OpenSheet();
    for (TButtonFlat *b : {sheet->sbtIncluir, sheet->sbtAlterar, sheet->sbtExcluir, sheet->sbtConfirmar}) {
      QVERIFY(b->Permission);
      QVERIFY(!b->isEnabled());
    }
    for (TMenuItem *m : {sheet->mnuIncluir, sheet->mnuAlterar, sheet->mnuExcluir, sheet->mnuConfirmar})
      QVERIFY(m->Permission);
  }
};

QTEST_MAIN(tst_sheet)
#include "tst_sheet.moc"
