// Focus rules, key preview and tab-order navigation, driven by real widgets in a real window.
#include <inhouse/errors.h>
#include <inhouse/services/application.h>
#include <inhouse/services/errors.h>
#include <inhouse/services/focus.h>
#include <inhouse/services/keys.h>
#include <inhouse/services/navigation.h>
#include <inhouse/services/prompts.h>

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

namespace {
struct ScriptedPrompts : IPrompts {
  QStringList shown;
  int Ask(const QString &text, TMsgDlgType, TMsgDlgButtons, int) override
  {
    shown << text;
    return mrYes;
  }
  void Show(const QString &text, TMsgDlgType) override { shown << text; }
  std::optional<QString> AskText(const QString &, const QString &, const QString &) override { return std::nullopt; }
  std::optional<SearchAnswer> AskSearch(const QString &, const QStringList &) override { return std::nullopt; }
  std::optional<QStringList> AskList(const QString &, TDataSet &, const QString &, const QStringList &, bool) override
  {
    return std::nullopt;
  }
  std::optional<QString> AskSaveFile(const QString &, const QString &, const QString &) override { return std::nullopt; }
};

// A window shaped like the sheet: a period panel with two fields (start, end) inside an outer
// frame, and a field and a button outside.
struct Window {
  QWidget form;
  QFrame *outer, *panel;
  QLineEdit *start, *end, *other;
  QPushButton *button;
  Window()
  {
    form.setObjectName(QStringLiteral("frmTeste"));
    auto *layout = new QVBoxLayout(&form);
    outer = new QFrame(&form);
    auto *outerLayout = new QVBoxLayout(outer);
    panel = new QFrame(outer);
    auto *panelLayout = new QVBoxLayout(panel);
    start = new QLineEdit(panel);
    end = new QLineEdit(panel);
    panelLayout->addWidget(start);
    panelLayout->addWidget(end);
    outerLayout->addWidget(panel);
    other = new QLineEdit(&form);
    button = new QPushButton(QStringLiteral("Fechar"), &form);
    layout->addWidget(outer);
    layout->addWidget(other);
    layout->addWidget(button);
    start->setObjectName(QStringLiteral("depInicio"));
    end->setObjectName(QStringLiteral("depFinal"));
    other->setObjectName(QStringLiteral("dbgEquipamentos"));
  }
};

void Tab(bool forward = true)
{
  QWidget *w = QApplication::focusWidget();
  QVERIFY(w);
  QTest::keyClick(w, forward ? Qt::Key_Tab : Qt::Key_Backtab, forward ? Qt::NoModifier : Qt::ShiftModifier);
}
} // namespace

class TestServicesFocus : public QObject {
  Q_OBJECT
  ScriptedPrompts prompts;
  QStringList reports;
  QStringList log;

  void Show(Window &w)
  {
    w.form.show();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
  }

private slots:
  void init()
  {
    prompts = ScriptedPrompts();
    reports.clear();
    log.clear();
    SetPrompts(&prompts);
    SetErrorReporter([this](const QString &text) { reports << text; });
  }
  void cleanup()
  {
    SetPrompts(nullptr);
    SetErrorReporter(nullptr);
  }

  // Which handlers one focus move runs, and in which order.
  void moves()
  {
    Window w;
    TFocusRules rules(&w.form);
    rules.OnFieldExit(w.start, [&] { log << QStringLiteral("exit start"); });
    rules.OnFieldExit(w.end, [&] { log << QStringLiteral("exit end"); });
    rules.OnPanelExit(w.panel, [&] { log << QStringLiteral("exit panel"); });
    rules.OnPanelEnter(w.panel, [&] { log << QStringLiteral("enter panel"); });
    rules.OnPanelExit(w.outer, [&] { log << QStringLiteral("exit outer"); });
    rules.OnPanelEnter(w.outer, [&] { log << QStringLiteral("enter outer"); });
    w.other->setFocus();
    Show(w);
    QCOMPARE(QApplication::focusWidget(), w.other);
    log.clear();

    w.start->setFocus();
    QCOMPARE(log, (QStringList{QStringLiteral("enter outer"), QStringLiteral("enter panel")}));
    log.clear();
    Tab(); // start -> end: inside the panel, only the field's exit
    QCOMPARE(QApplication::focusWidget(), w.end);
    QCOMPARE(log, QStringList{QStringLiteral("exit start")});
    log.clear();
    Tab(); // end -> other: the field, then the panels, innermost first
    QCOMPARE(QApplication::focusWidget(), w.other);
    QCOMPARE(log, (QStringList{QStringLiteral("exit end"), QStringLiteral("exit panel"), QStringLiteral("exit outer")}));
    log.clear();
    QTest::mouseClick(w.end, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), w.end);
    QCOMPARE(log, (QStringList{QStringLiteral("enter outer"), QStringLiteral("enter panel")}));
    QVERIFY(rules.Inside(w.panel));
  }

  // Focus to nothing, to another window, or back to the same widget is not a move.
  void nonMoves()
  {
    Window w;
    TFocusRules rules(&w.form);
    rules.OnFieldExit(w.start, [&] { log << QStringLiteral("exit start"); });
    rules.OnPanelExit(w.panel, [&] { log << QStringLiteral("exit panel"); });
    rules.OnPanelEnter(w.panel, [&] { log << QStringLiteral("enter panel"); });
    Show(w);
    w.start->setFocus();
    log.clear();

    w.start->clearFocus();
    w.start->setFocus();
    QVERIFY(log.isEmpty());

    QWidget dialog;
    auto *dialogEdit = new QLineEdit(&dialog);
    new QVBoxLayout(&dialog);
    dialog.layout()->addWidget(dialogEdit);
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget(), dialogEdit);
    dialog.close();
    w.form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    QCOMPARE(QApplication::focusWidget(), w.start);
    QVERIFY(log.isEmpty());

    // A real message box over the window, as MensErro shows one, and back.
    SetPrompts(nullptr);
    QTimer::singleShot(50, [] {
      if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
        box->accept();
    });
    Prompts().Show(QStringLiteral("Informe uma data válida."), mtError);
    w.form.activateWindow(); // the offscreen platform does not hand activation back itself
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    QCOMPARE(QApplication::focusWidget(), w.start);
    QVERIFY(log.isEmpty());
  }

  // The usual check: the field's exit puts the focus back and aborts with MensErro. The
  // panel's exit does not run, nothing is reported, and the panel still counts as entered.
  void exitAbortsAndPutsFocusBack()
  {
    Window w;
    TFocusRules rules(&w.form);
    int failures = 1;
    rules.OnFieldExit(w.end, [&] {
      log << QStringLiteral("exit end");
      if (failures-- > 0) {
        w.end->setFocus();
        MensErro(QStringLiteral("Informe uma data válida."), true);
      }
    });
    rules.OnPanelExit(w.panel, [&] { log << QStringLiteral("exit panel"); });
    rules.OnPanelEnter(w.panel, [&] { log << QStringLiteral("enter panel"); });
    rules.OnFieldExit(w.start, [&] { log << QStringLiteral("exit start"); });
    Show(w);
    w.end->setFocus();
    log.clear();

    QTest::mouseClick(w.other, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), w.end);
    QCOMPARE(log, QStringList{QStringLiteral("exit end")});
    QCOMPARE(prompts.shown, QStringList{QStringLiteral("Informe uma data válida.")});
    QVERIFY(reports.isEmpty());
    QVERIFY(rules.Inside(w.panel));
    QCOMPARE(rules.Current(), w.end);

    log.clear();
    Tab(true); // now valid: end -> other leaves the panel
    QCOMPARE(QApplication::focusWidget(), w.other);
    QCOMPARE(log, (QStringList{QStringLiteral("exit end"), QStringLiteral("exit panel")}));
  }

  // A click whose focus move a check refused does not act on the control clicked: the focus
  // stays where the check put it. Once the check passes the same click acts; a refused move
  // made by code or the keyboard leaves the next click alone.
  void refusedClickDoesNotAct()
  {
    Window w;
    TFocusRules rules(&w.form);
    bool valid = false;
    rules.OnFieldExit(w.end, [&] {
      if (!valid) {
        w.end->setFocus();
        MensErro(QStringLiteral("Informe uma data válida."), true);
      }
    });
    int clicks = 0;
    QObject::connect(w.button, &QPushButton::clicked, &w.form, [&] { ++clicks; });
    w.button->setFocusPolicy(Qt::StrongFocus);
    Show(w);
    w.end->setFocus();

    QTest::mouseClick(w.button, Qt::LeftButton);
    QCOMPARE(clicks, 0);
    QCOMPARE(QApplication::focusWidget(), w.end);
    QCOMPARE(prompts.shown, QStringList{QStringLiteral("Informe uma data válida.")});

    w.button->setFocus(); // refused, not by a click
    QCOMPARE(QApplication::focusWidget(), w.end);
    QCoreApplication::processEvents();
    valid = true;
    QTest::mouseClick(w.button, Qt::LeftButton);
    QCOMPARE(clicks, 1);
    QCOMPARE(QApplication::focusWidget(), w.button);
    QCOMPARE(prompts.shown.size(), 2);
    QVERIFY(reports.isEmpty());
  }

  // A panel's exit that puts the focus into its first field and fails: the failure is
  // reported once, no enter runs for the focus put back, and the next move inside the panel
  // is only a field's exit.
  void panelExitFailureIsReportedOnce()
  {
    Window w;
    TFocusRules rules(&w.form);
    bool fail = true;
    rules.OnFieldExit(w.end, [&] { log << QStringLiteral("exit end"); });
    rules.OnPanelExit(w.panel, [&] {
      log << QStringLiteral("exit panel");
      if (fail) {
        fail = false;
        w.start->setFocus();
        throw std::runtime_error("'08:61' não é uma hora válida.");
      }
    });
    rules.OnPanelEnter(w.panel, [&] { log << QStringLiteral("enter panel"); });
    rules.OnPanelEnter(w.outer, [&] { log << QStringLiteral("enter outer"); });
    rules.OnFieldExit(w.start, [&] { log << QStringLiteral("exit start"); });
    Show(w);
    w.end->setFocus();
    log.clear();

    Tab();
    QCOMPARE(QApplication::focusWidget(), w.start);
    QCOMPARE(log, (QStringList{QStringLiteral("exit end"), QStringLiteral("exit panel")}));
    QCOMPARE(reports, QStringList{QStringLiteral("'08:61' não é uma hora válida.")});
    log.clear();
    Tab(); // start -> end
    QCOMPARE(log, QStringList{QStringLiteral("exit start")});
  }

  // A dialog opened by a window's focus handler keeps its own rules working meanwhile.
  void dialogInsideAHandler()
  {
    Window w, dialog;
    TFocusRules rules(&w.form);
    TFocusRules dialogRules(&dialog.form);
    dialogRules.OnFieldExit(dialog.start, [&] { log << QStringLiteral("dialog exit start"); });
    rules.OnFieldExit(w.start, [&] {
      log << QStringLiteral("exit start");
      dialog.form.show();
      dialog.form.activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(&dialog.form));
      dialog.start->setFocus();
      dialog.end->setFocus();
      dialog.form.close();
      w.form.activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(&w.form));
    });
    Show(w);
    w.start->setFocus();
    log.clear();
    w.end->setFocus();
    QCOMPARE(log, (QStringList{QStringLiteral("exit start"), QStringLiteral("dialog exit start")}));
    QCOMPARE(rules.Current(), w.end);
  }

  // Rules of two windows do not see each other's moves; destroyed rules run nothing.
  void rulesArePerWindow()
  {
    Window a, b;
    auto *rulesA = new TFocusRules(&a.form);
    TFocusRules rulesB(&b.form);
    rulesA->OnFieldExit(a.start, [&] { log << QStringLiteral("a exit start"); });
    rulesB.OnFieldExit(b.start, [&] { log << QStringLiteral("b exit start"); });
    Show(a);
    a.start->setFocus();
    Show(b);
    b.start->setFocus();
    b.end->setFocus();
    QCOMPARE(log, QStringList{QStringLiteral("b exit start")});
    log.clear();
    a.form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&a.form));
    QCOMPARE(QApplication::focusWidget(), a.start);
    delete rulesA;
    a.end->setFocus();
    QVERIFY(log.isEmpty());
  }

  // The form sees keys aimed at any of its widgets first, once, and may swallow them.
  void keyPreview()
  {
    Window w;
    QList<int> seen;
    InstallKeyPreview(&w.form, [&](QKeyEvent *e) {
      seen << e->key();
      if (IsKey(e, Qt::Key_Y))
        return true;
      if (IsKey(e, Qt::Key_Delete))
        Abort(); // aborting the keystroke discards it silently
      if (IsKey(e, Qt::Key_Z))
        throw std::runtime_error("falha");
      return false;
    });
    Show(w);
    w.start->setFocus();
    QTest::keyClicks(w.start, QStringLiteral("xyz"));
    QCOMPARE(w.start->text(), QStringLiteral("x"));
    QCOMPARE(reports, QStringList{QStringLiteral("falha")});
    QTest::keyClick(w.start, Qt::Key_Left);
    QTest::keyClick(w.start, Qt::Key_Delete);
    QCOMPARE(w.start->text(), QStringLiteral("x"));
    // F12 is ignored by the line edit and travels up to its parents: still seen once.
    seen.clear();
    QTest::keyClick(w.start, Qt::Key_F12);
    QCOMPARE(seen, QList<int>{Qt::Key_F12});
    QVERIFY(IsKey(nullptr, 0) == false);

    QWidget outside;
    auto *edit = new QLineEdit(&outside);
    outside.show();
    seen.clear();
    QTest::keyClick(edit, Qt::Key_A);
    QVERIFY(seen.isEmpty());
    QCOMPARE(edit->text(), QStringLiteral("a"));
  }

  void keyModifiers_data()
  {
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("plainF12");
    QTest::addColumn<bool>("ctrl");
    QTest::newRow("none") << int(Qt::NoModifier) << true << false;
    QTest::newRow("keypad only") << int(Qt::KeypadModifier) << true << false;
    QTest::newRow("shift") << int(Qt::ShiftModifier) << false << false;
    QTest::newRow("ctrl") << int(Qt::ControlModifier) << false << true;
    QTest::newRow("ctrl+alt") << int(Qt::ControlModifier | Qt::AltModifier) << false << true;
  }
  void keyModifiers()
  {
    QFETCH(int, modifiers);
    QFETCH(bool, plainF12);
    QFETCH(bool, ctrl);
    QKeyEvent e(QEvent::KeyPress, Qt::Key_F12, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(IsKey(&e, Qt::Key_F12), plainF12);
    QCOMPARE(HasCtrl(&e), ctrl);
  }

  void navigation()
  {
    Window w;
    auto *noTab = new QLineEdit(&w.form);
    noTab->setFocusPolicy(Qt::ClickFocus);
    QWidget::setTabOrder(w.other, noTab);
    QWidget::setTabOrder(noTab, w.button);
    Show(w);
    w.button->setFocus();

    QCOMPARE(SelectFirstControl(w.panel), w.start);
    QCOMPARE(QApplication::focusWidget(), w.start);
    // Backwards from the button: the click-only field is skipped when tab stops count.
    QCOMPARE(SelectNextControl(w.button, false, true, false), w.other);
    QCOMPARE(SelectNextControl(w.button, false, false, false), noTab);
    QCOMPARE(QApplication::focusWidget(), noTab);
    // Same parent only: from the end field forwards wraps to the start field.
    QCOMPARE(SelectNextControl(w.end, true, true, true), w.start);
    QCOMPARE(SelectNextControl(w.start, true, true, false), w.end);
    // The F12 step: back from a control without tab stop, then the first of its parent.
    w.outer->setFocusPolicy(Qt::NoFocus);
    QWidget *prev = SelectNextControl(w.other, false, true, false);
    QCOMPARE(prev, w.end);
    QCOMPARE(SelectFirstControl(prev->parentWidget()), w.start);
    w.end->setEnabled(false);
    QCOMPARE(SelectNextControl(w.start, true, true, true), nullptr);
  }
};

QTEST_MAIN(TestServicesFocus)
#include "tst_services_focus.moc"
