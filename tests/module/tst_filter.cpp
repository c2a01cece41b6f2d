// The filter dialog over the real plant: opened with the sheet's "Filtrar" button, driven by
// clicks and keys while its modal loop runs; the pickers are answered through the prompt seam.
#include "accessibilitycheck.h"
#include "plantfixture.h"

#include "filter/frmfiltroplanilha.h"
#include "package/units.h"
#include "sheet/frmplanilha.h"

#include <inhouse/services/options.h>

#include <QApplication>
#include <QtTest>

using namespace Cli_zrt02601;

namespace {
QStringList Params(TADOIBQuery &q)
{
  QStringList values;
  for (const char *name : {"P_GR", "P_TGR", "P_EQ", "P_TEQ"})
    values << q.ParamByName(QLatin1String(name)).AsString();
  return values;
}

// On the button's glyph: a radio button's row is wider than what takes its clicks.
void Click(QWidget *w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(qMin(8, w->width() / 2), w->height() / 2)); }
// The menu opened at `at`, on each axis where it fits there; where it does not, moved to stay
// on screen.
bool PoppedAt(QMenu *menu, const QPoint &at)
{
  const QRect screen = menu->screen()->availableGeometry();
  const bool fitsAcross = at.x() >= screen.left() && at.x() + menu->width() - 1 <= screen.right();
  const bool fitsDown = at.y() >= screen.top() && at.y() + menu->height() - 1 <= screen.bottom();
  return (fitsAcross ? menu->x() == at.x() : true) && (fitsDown ? menu->y() == at.y() : true) &&
         screen.contains(menu->geometry());
}

// A key to whatever has the keyboard: the open menu, else the focused control.
void Press(int key, Qt::KeyboardModifiers held = Qt::NoModifier)
{
  QWidget *target = QApplication::activePopupWidget() ? QApplication::activePopupWidget() : QApplication::focusWidget();
  QTest::keyClick(target, Qt::Key(key), held);
}
} // namespace

class tst_filter : public QObject {
  Q_OBJECT

  std::unique_ptr<TPlant> plant;
  TfrmPlanilha *sheet = nullptr;

  // Opens the dialog with the sheet's button; `whileOpen` runs once it is shown and active, and
  // the dialog is closed afterwards unless it closed itself. False when it never came up.
  bool WithDialog(const std::function<void(TfrmFiltroPlanilha &)> &whileOpen)
  {
    return DriveModal([] { return frmFiltroPlanilha.data(); }, [](TfrmPadrao &) { return true; },
                      [&](TfrmPadrao &w) { whileOpen(static_cast<TfrmFiltroPlanilha &>(w)); },
                      [this] { sheet->sbtFiltro->click(); });
  }

  QStringList SheetList() { return FieldValues(*sheet->qryEquipamento, QStringLiteral("CDEQUIPPRO")); }

  static QStringList MenuNames(TfrmFiltroPlanilha &w)
  {
    QStringList names;
    for (QAction *item : w.ppmOpcoes->actions())
      names << item->data().toString();
    return names;
  }

  // A set written the way the dialog's save writes it: one row per radio button.
  static void SaveRadios(const QString &screen, const QString &name, bool groupList, bool equipList)
  {
    auto row = [&](const char *component, bool on) {
      return TOptionRow{screen, QStringLiteral("TESTE"),  name,
                        {},     QLatin1String(component), on ? QStringLiteral("True") : QStringLiteral("False")};
    };
    SaveOptionSet(QStringLiteral("TESTE"), screen, name,
                  {row("rbtTGr", !groupList), row("rbtLGr", groupList), row("rbtTEq", !equipList), row("rbtLEq", equipList)});
  }

private slots:
  void init()
  {
    plant = std::make_unique<TPlant>();
    QVERIFY(BeginSheetTest(*plant));
    Finalization();
    sheet = OpenSheet();
    QVERIFY(sheet);
    QVERIFY(sheet->sbtFiltro->isEnabled());
  }

  void cleanup()
  {
    EndSheetTest(plant);
    Finalization();
  }

  void confirmNarrowsTheSheet_data()
  {
    QTest::addColumn<QStringList>("groups");    // picked groups; empty: "Todos"
    QTest::addColumn<QStringList>("equipment"); // picked equipment; empty: "Todos"
    QTest::addColumn<QStringList>("offered");   // what the equipment picker offered
    QTest::addColumn<QStringList>("params");    // P_GR, P_TGR, P_EQ, P_TEQ
    QTest::addColumn<QStringList>("list");      // the sheet's equipment afterwards
    // clang-format off
    QTest::newRow("all groups, all equipment") << QStringList{} << QStringList{} << QStringList{}
        << QStringList{QStringLiteral(""), QStringLiteral("T"), QStringLiteral(""), QStringLiteral("T")} << QStringList{QStringLiteral("EQ1"), QStringLiteral("EQ10"), QStringLiteral("EQ2")};
    QTest::newRow("a group") << QStringList{QStringLiteral("EXT")} << QStringList{} << QStringList{}
        << QStringList{QStringLiteral(";EXT;"), QStringLiteral(""), QStringLiteral(""), QStringLiteral("T")} << QStringList{QStringLiteral("EQ2")};
    // EQ1 alone: a code that begins another code is not that code.
    QTest::newRow("equipment of all groups") << QStringList{} << QStringList{QStringLiteral("EQ1")} << QStringList{QStringLiteral("EQ1"), QStringLiteral("EQ10"), QStringLiteral("EQ2")}
        << QStringList{QStringLiteral(""), QStringLiteral("T"), QStringLiteral(";EQ1;"), QStringLiteral("")} << QStringList{QStringLiteral("EQ1")};
    QTest::newRow("equipment of a group") << QStringList{QStringLiteral("INJ")} << QStringList{QStringLiteral("EQ10")} << QStringList{QStringLiteral("EQ1"), QStringLiteral("EQ10")}
        << QStringList{QStringLiteral(";INJ;"), QStringLiteral(""), QStringLiteral(";EQ10;"), QStringLiteral("")} << QStringList{QStringLiteral("EQ10")};
    // clang-format on
  }

  void confirmNarrowsTheSheet()
  {
    QFETCH(QStringList, groups);
    QFETCH(QStringList, equipment);
    QFETCH(QStringList, offered);
    QFETCH(QStringList, params);
    QFETCH(QStringList, list);
    plant->ClearCalls();
    QVERIFY(WithDialog([&](TfrmFiltroPlanilha &w) {
      QVERIFY(w.rbtTGr->isChecked() && w.rbtTEq->isChecked());
      QVERIFY(!w.btpGr->isEnabled() && !w.btpEq->isEnabled());
      if (!groups.isEmpty()) {
        Click(w.rbtLGr);
        QVERIFY(w.btpGr->isEnabled());
        plant->prompts.picks << groups;
        Click(w.btpGr);
      }
      if (!equipment.isEmpty()) {
        Click(w.rbtLEq);
        plant->prompts.picks << equipment;
        Click(w.btpEq);
        QCOMPARE(plant->prompts.pickRequests.last().title, QStringLiteral("Equipamento"));
        QCOMPARE(plant->prompts.pickRequests.last().offered, offered);
      }
      Click(w.sbtConfirma);
    }));
    QVERIFY(!frmFiltroPlanilha && !boStCriado);
    QCOMPARE(Params(*sheet->qryEquipamento), params);
    QCOMPARE(SheetList(), list);
    // The sheet asks for the first equipment's orders and waits in its start date.
    QCOMPARE(plant->calls.last().method, QStringLiteral("GetReservados"));
    QCOMPARE(QString::fromStdString(plant->calls.last().params[0].get<std::string>()), list.first());
    QCOMPARE(sheet->focusWidget(), sheet->depInicio);
    QCOMPARE(Filtro.Grupos.boTodos, groups.isEmpty());
    QCOMPARE(Filtro.Grupos.Codigos, CodeList(groups));
    QCOMPARE(Filtro.Equipamentos.boTodos, equipment.isEmpty());
    QCOMPARE(Filtro.Equipamentos.Codigos, CodeList(equipment));
    QVERIFY(plant->errors.isEmpty());
  }

  void emptyListsAreRefused()
  {
    const QStringList before = Params(*sheet->qryEquipamento);
    QVERIFY(WithDialog([&](TfrmFiltroPlanilha &w) {
      // Groups: at confirmation and at an equipment search, which then asks no picker.
      Click(w.rbtLGr);
      QTest::keyClick(&w, Qt::Key_Return);
      QCOMPARE(plant->prompts.shown, QStringList{QStringLiteral("Grupo deve ser informado.")});
      QCOMPARE(QApplication::focusWidget(), w.rbtLGr);
      Click(w.rbtLEq);
      Click(w.btpEq);
      QCOMPARE(plant->prompts.shown.size(), 2);
      QVERIFY(plant->prompts.pickRequests.isEmpty());
      QCOMPARE(QApplication::focusWidget(), w.rbtLGr);
      // Equipment: with the groups chosen, the equipment list is still empty.
      plant->prompts.picks << QStringList{QStringLiteral("INJ")};
      Click(w.btpGr);
      Click(w.sbtConfirma);
      QCOMPARE(plant->prompts.shown.last(), QStringLiteral("Equipamento deve ser informado."));
      QCOMPARE(QApplication::focusWidget(), w.rbtLEq);
      QVERIFY(w.isVisible());
    }));
    QCOMPARE(Params(*sheet->qryEquipamento), before);
    QCOMPARE(SheetList(), (QStringList{QStringLiteral("EQ1"), QStringLiteral("EQ10"), QStringLiteral("EQ2")}));
  }

  void aGroupSearchEmptiesTheEquipmentList()
  {
    QVERIFY(WithDialog([&](TfrmFiltroPlanilha &w) {
      Click(w.rbtLGr);
      plant->prompts.picks << QStringList{QStringLiteral("INJ")} << QStringList{QStringLiteral("EQ1")};
      Click(w.btpGr);
      Click(w.rbtLEq);
      Click(w.btpEq);
      QCOMPARE(ListaEquipamentos, QStringLiteral(";EQ1;"));
      // Even a group search the user cancels starts by emptying the equipment list.
      Click(w.btpGr);
      QCOMPARE(plant->prompts.pickRequests.last().checked, QStringList{QStringLiteral("INJ")});
      QCOMPARE(ListaGrupos, QStringLiteral(";INJ;"));
      QVERIFY(ListaEquipamentos.isEmpty());
      Click(w.sbtConfirma);
      QCOMPARE(plant->prompts.shown, QStringList{QStringLiteral("Equipamento deve ser informado.")});
    }));
  }

  void listsOutliveTheDialog()
  {
    QVERIFY(WithDialog([&](TfrmFiltroPlanilha &w) {
      Click(w.rbtLGr);
      plant->prompts.picks << QStringList{QStringLiteral("EXT")};
      Click(w.btpGr);
      Click(w.sbtConfirma);
    }));
    QCOMPARE(SheetList(), QStringList{QStringLiteral("EQ2")});
    // A new dialog opens on "Todos"; "Lista" without a search applies the earlier list, and
    // "Todos" in between loses nothing.
    QVERIFY(WithDialog([&](TfrmFiltroPlanilha &w) {
      QVERIFY(w.rbtTGr->isChecked() && !w.btpGr->isEnabled());
      Click(w.rbtLGr);
      Click(w.rbtTGr);
      QVERIFY(!w.btpGr->isEnabled());
      Click(w.rbtLGr);
      plant->prompts.picks << std::nullopt; // the picker cancelled: the list stays
      Click(w.btpGr);
      QCOMPARE(plant->prompts.pickRequests.last().checked, QStringList{QStringLiteral("EXT")});
      Click(w.sbtConfirma);
    }));
    QCOMPARE(Params(*sheet->qryEquipamento)[0], QStringLiteral(";EXT;"));
    QCOMPARE(SheetList(), QStringList{QStringLiteral("EQ2")});
    // "Todos" everywhere shows the whole plant again, the lists still kept.
    QVERIFY(WithDialog([&](TfrmFiltroPlanilha &w) { QTest::keyClick(&w, Qt::Key_Enter, Qt::KeypadModifier); }));
    QCOMPARE(SheetList(), (QStringList{QStringLiteral("EQ1"), QStringLiteral("EQ10"), QStringLiteral("EQ2")}));
    QCOMPARE(Filtro.Grupos.Codigos, QStringLiteral(";EXT;"));
    QVERIFY(Filtro.Grupos.boTodos);
  }

  void closingAppliesNothing_data()
  {
    QTest::addColumn<bool>("escape"); // else the "Fechar" button
    QTest::newRow("Esc") << true;
    QTest::newRow("Fechar") << false;
  }

  void closingAppliesNothing()
  {
    QFETCH(bool, escape);
    const QStringList before = Params(*sheet->qryEquipamento);
    plant->ClearCalls();
    QVERIFY(WithDialog([&](TfrmFiltroPlanilha &w) {
      Click(w.rbtLGr);
      plant->prompts.picks << QStringList{QStringLiteral("EXT")};
      Click(w.btpGr);
      QPointer<TfrmFiltroPlanilha> alive(&w);
      if (escape)
        QTest::keyClick(w.rbtLGr, Qt::Key_Escape);
      else
        Click(w.sbtCancel);
      QTRY_VERIFY(!alive || !alive->isVisible());
    }));
    QCOMPARE(Params(*sheet->qryEquipamento), before);
    QCOMPARE(SheetList(), (QStringList{QStringLiteral("EQ1"), QStringLiteral("EQ10"), QStringLiteral("EQ2")}));
    QVERIFY(!plant->CallMethods().contains(QStringLiteral("GetReservados")));
    QVERIFY(!Filtro.Grupos.boTodos && Filtro.Grupos.Codigos.isEmpty());
    QCOMPARE(ListaGrupos, QStringLiteral(";EXT;")); // the list itself is the picker's, kept
  }

  void aFailedReopenKeepsTheDialog()
  {
    QVERIFY(WithDialog([&](TfrmFiltroPlanilha &w) { Click(w.sbtConfirma); }));
    QVERIFY(Filtro.Grupos.boTodos);
    QVERIFY(WithDialog([&](TfrmFiltroPlanilha &w) {
      Click(w.rbtLGr);
      plant->prompts.picks << QStringList{QStringLiteral("EXT")};
      Click(w.btpGr);
      plant->Exec(QStringLiteral("ALTER TABLE EQUIPAPROD RENAME TO EQUIPAPROD_FORA"));
      Click(w.sbtConfirma);
      QCOMPARE(plant->errors.size(), 1);
      QVERIFY(w.isVisible());
      QVERIFY(Filtro.Grupos.boTodos);
      QVERIFY(Filtro.Grupos.Codigos.isEmpty());
      // Still usable: with the table back, the same confirmation goes through.
      plant->Exec(QStringLiteral("ALTER TABLE EQUIPAPROD_FORA RENAME TO EQUIPAPROD"));
      QTest::keyClick(&w, Qt::Key_Return);
    }));
    QCOMPARE(plant->errors.size(), 1);
    QCOMPARE(SheetList(), QStringList{QStringLiteral("EQ2")});
    QVERIFY(!Filtro.Grupos.boTodos);
  }

  void keyboardReachesEveryChoice()
  {
    QVERIFY(WithDialog([&](TfrmFiltroPlanilha &w) {
      QList<QWidget *> order;
      w.rbtTGr->setFocus();
      for (int i = 0; i < 6; ++i) {
        order << QApplication::focusWidget();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      }
      // Disabled search buttons are skipped.
      QCOMPARE(order, (QList<QWidget *>{w.rbtTGr, w.rbtTEq, w.rbtTGr, w.rbtTEq, w.rbtTGr, w.rbtTEq}));
      QTest::keyClick(w.rbtTGr, Qt::Key_Down);
      QVERIFY(w.rbtLGr->isChecked() && w.btpGr->isEnabled());
      QTest::keyClick(w.rbtLGr, Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget(), w.btpGr);
      plant->prompts.picks << QStringList{QStringLiteral("INJ")};
      QTest::keyClick(w.btpGr, Qt::Key_Space);
      QCOMPARE(ListaGrupos, QStringLiteral(";INJ;"));
      QTest::keyClick(w.btpGr, Qt::Key_Return);
    }));
    QCOMPARE(SheetList(), (QStringList{QStringLiteral("EQ1"), QStringLiteral("EQ10")}));
  }

  void savedSetComesBackFromTheMenu()
  {
    const QString name = QStringLiteral("Turno 'A' & Prensa – noite");
    QVERIFY(WithDialog([&](TfrmFiltroPlanilha &w) {
      QVERIFY(!w.ppmOpcoes->isVisible()); // nothing saved yet: no menu
      QVERIFY(BoExecut);
      Click(w.rbtLGr);
      Click(w.rbtLEq);
      plant->prompts.texts << name;
      QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
      QVERIFY(!BoExecut);
    }));
    QCOMPARE(OptionSetNames(QStringLiteral("TESTE"), QStringLiteral("Cli_zrt02601")), QStringList{name});
    ListaGrupos = QStringLiteral(";INJ;");
    QVERIFY(WithDialog([&](TfrmFiltroPlanilha &w) {
      // The activation offers the saved sets under the dialog; the menu has the keyboard and a
      // name a screen reader says.
      QTRY_VERIFY(w.ppmOpcoes->isVisible());
      QCOMPARE(MenuNames(w), QStringList{name});
      QCOMPARE(w.ppmOpcoes->actions().first()->text(), QString(name).replace(QStringLiteral("&"), QStringLiteral("&&")));
      QCOMPARE(QApplication::activePopupWidget(), w.ppmOpcoes);
      QCOMPARE(Announced(w.ppmOpcoes), QStringLiteral("menu: Opções de filtro salvas"));
      QVERIFY(w.rbtTGr->isChecked() && !w.btpGr->isEnabled());
      Press(Qt::Key_Return);
      QVERIFY(w.rbtLGr->isChecked() && w.btpGr->isEnabled());
      QVERIFY(w.rbtLEq->isChecked() && w.btpEq->isEnabled());
      QVERIFY(!BoExecut);
      QCOMPARE(ListaGrupos, QStringLiteral(";INJ;")); // the lists are not part of a set
      QVERIFY(plant->prompts.shown.isEmpty());
    }));
  }

  void menuListsThisScreensSetsOnceInOrder()
  {
    SaveRadios(QStringLiteral("Cli_zrt02601"), QStringLiteral("b"), true, false);
    SaveRadios(QStringLiteral("Cli_zrt02601"), QStringLiteral("B"), false, true);
    SaveRadios(QStringLiteral("Cli_zrt02601"), QStringLiteral("A"), true, true);
    SaveRadios(QStringLiteral("Cli_zrt09999"), QStringLiteral("Outra tela"), true, true);
    QVERIFY(WithDialog([&](TfrmFiltroPlanilha &w) {
      QTRY_VERIFY(w.ppmOpcoes->isVisible());
      QCOMPARE(MenuNames(w), (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("b")}));
      // Opened by its activation, the menu sits under the restore button, as for a click on it.
      QVERIFY(PoppedAt(w.ppmOpcoes, w.panBotao->mapToGlobal(QPoint(0, w.btfLoadOpc->height()))));
      // Dismissed with Esc, the next request is taken by the flag; the one after shows the menu
      // again.
      Press(Qt::Key_Escape);
      QVERIFY(!w.ppmOpcoes->isVisible());
      QVERIFY(w.isVisible());
      QTest::keyClick(&w, Qt::Key_R, Qt::ControlModifier);
      QVERIFY(!w.ppmOpcoes->isVisible());
      QVERIFY(!BoExecut);
      Click(w.btfLoadOpc);
      QTRY_VERIFY(w.ppmOpcoes->isVisible());
      QVERIFY(PoppedAt(w.ppmOpcoes, w.panBotao->mapToGlobal(QPoint(0, w.btfLoadOpc->height()))));
      w.ppmOpcoes->hide();
      BoExecut = false;
      // A click on the left box is a request too.
      QTest::mouseClick(w.grbFiltroPadrao, Qt::LeftButton, {}, QPoint(3, w.grbFiltroPadrao->height() - 3));
      QTRY_VERIFY(w.ppmOpcoes->isVisible());
      // The arrows move from the first set to "B": equipment by list only.
      Press(Qt::Key_Down);
      Press(Qt::Key_Return);
      QVERIFY(!w.ppmOpcoes->isVisible());
      QVERIFY(w.rbtTGr->isChecked() && w.rbtLEq->isChecked());
    }));
  }

  // Only a click on the left box itself asks for the saved sets; the inner boxes pass on the
  // clicks they do not take, and those are no request.
  void onlyTheLeftBoxAsksForTheSets_data()
  {
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("bottomRight"); // else the middle of the box's title
    QTest::addColumn<bool>("request");
    QTest::newRow("left box") << "grbFiltroPadrao" << true << true;
    QTest::newRow("title of the groups") << "GroupBox1" << false << false;
    QTest::newRow("empty area of the groups") << "GroupBox1" << true << false;
    QTest::newRow("title of the equipment") << "grbEq" << false << false;
    QTest::newRow("empty area of the equipment") << "grbEq" << true << false;
  }

  void onlyTheLeftBoxAsksForTheSets()
  {
    QFETCH(QString, box);
    QFETCH(bool, bottomRight);
    QFETCH(bool, request);
    SaveRadios(QStringLiteral("Cli_zrt02601"), QStringLiteral("A"), true, true);
    QVERIFY(WithDialog([&](TfrmFiltroPlanilha &w) {
      QTRY_VERIFY(w.ppmOpcoes->isVisible());
      Press(Qt::Key_Escape);
      BoExecut = false;
      auto *target = w.findChild<QGroupBox *>(box);
      QVERIFY(target);
      const QPoint at = bottomRight ? QPoint(target->width() - 3, target->height() - 3)
                                    : QPoint(10 + target->fontMetrics().horizontalAdvance(target->title()) / 2,
                                             target->fontMetrics().height() / 2);
      QVERIFY(!target->childAt(at));
      QTest::mouseClick(target, Qt::LeftButton, {}, at);
      QCOMPARE(w.ppmOpcoes->isVisible(), request);
      QCOMPARE(BoExecut, request);
    }));
  }

  // Enter confirms whatever is held with it; Shift held with the option keys changes nothing.
  void keysActWhateverIsHeld_data()
  {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("held");
    QTest::addColumn<QString>("acts");
    const int ctrlShift = int(Qt::ControlModifier | Qt::ShiftModifier);
    QTest::newRow("Shift+Enter") << int(Qt::Key_Return) << int(Qt::ShiftModifier) << "confirm";
    QTest::newRow("Ctrl+Enter") << int(Qt::Key_Return) << int(Qt::ControlModifier) << "confirm";
    QTest::newRow("Alt+Enter") << int(Qt::Key_Return) << int(Qt::AltModifier) << "confirm";
    QTest::newRow("Ctrl+Shift+Alt+Enter") << int(Qt::Key_Return) << int(ctrlShift | Qt::AltModifier) << "confirm";
    QTest::newRow("Shift+keypad Enter") << int(Qt::Key_Enter) << int(Qt::ShiftModifier | Qt::KeypadModifier) << "confirm";
    QTest::newRow("Ctrl+Shift+O") << int(Qt::Key_O) << ctrlShift << "save";
    QTest::newRow("Ctrl+Shift+R") << int(Qt::Key_R) << ctrlShift << "load";
  }

  void keysActWhateverIsHeld()
  {
    QFETCH(int, key);
    QFETCH(int, held);
    QFETCH(QString, acts);
    plant->prompts.texts << QStringLiteral("Noite");
    bool stayedOpen = false;
    QVERIFY(WithDialog([&](TfrmFiltroPlanilha &w) {
      QPointer<TfrmFiltroPlanilha> alive(&w);
      BoExecut = false;
      w.rbtTGr->setFocus();
      QTest::keyClick(w.rbtTGr, Qt::Key(key), Qt::KeyboardModifiers(held));
      stayedOpen = alive && alive->isVisible();
      if (acts == QLatin1String("load"))
        QVERIFY(BoExecut); // a request with nothing saved: no menu, the flag set
    }));
    QCOMPARE(!stayedOpen, acts == QLatin1String("confirm"));
    QCOMPARE(Filtro.Grupos.boTodos, acts == QLatin1String("confirm"));
    QCOMPARE(OptionSetNames(QStringLiteral("TESTE"), QStringLiteral("Cli_zrt02601")),
             acts == QLatin1String("save") ? QStringList{QStringLiteral("Noite")} : QStringList{});
  }

  void noSavedOptionsIsAQuietEmptyMenu()
  {
    QVERIFY(WithDialog([&](TfrmFiltroPlanilha &w) {
      QVERIFY(BoExecut);
      QTest::keyClick(&w, Qt::Key_R, Qt::ControlModifier); // consumed
      QTest::keyClick(&w, Qt::Key_R, Qt::ControlModifier); // an empty menu, not shown
      QVERIFY(!w.ppmOpcoes->isVisible());
      QVERIFY(w.ppmOpcoes->actions().isEmpty());
    }));
    QVERIFY(plant->prompts.shown.isEmpty());
    QVERIFY(plant->errors.isEmpty());
    QVERIFY(!QFileInfo::exists(OptionsFolder(QStringLiteral("TESTE"))));
  }
};

QTEST_MAIN(tst_filter)
#include "tst_filter.moc"
