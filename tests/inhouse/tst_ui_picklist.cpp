// The multi-selection picker, driven by keys and clicks: checks in and out in the set's order,
// search as the user types, marking the shown rows, single choice, and PesquisaLista over it.
#include "equipmentpacket.h"

#include <inhouse/data/clientdataset.h>
#include <inhouse/data/datasource.h>
#include <inhouse/errors.h>
#include <inhouse/services/prompts.h>
#include <inhouse/services/search.h>
#include <inhouse/ui/accessibility.h>
#include <inhouse/ui/picklist.h>

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {
struct Picker {
  QDialog *dialog = nullptr;
  QLineEdit *search = nullptr;
  QTableView *grid = nullptr;
  QPushButton *markAll = nullptr;
  QPushButton *unmarkAll = nullptr;
  QLabel *count = nullptr;

  explicit Picker(QWidget *modal)
  {
    dialog = qobject_cast<QDialog *>(modal);
    search = modal->findChild<QLineEdit *>(QStringLiteral("edtPesquisa"));
    grid = modal->findChild<QTableView *>(QStringLiteral("grdLista"));
    markAll = modal->findChild<QPushButton *>(QStringLiteral("btnMarcarTodos"));
    unmarkAll = modal->findChild<QPushButton *>(QStringLiteral("btnDesmarcarTodos"));
    count = modal->findChild<QLabel *>(QStringLiteral("lblContador"));
  }
  bool Complete() const { return dialog && search && grid && markAll && unmarkAll && count; }

  QStringList ShownKeys() const
  {
    QStringList keys;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
      keys << grid->model()->index(row, 1).data().toString();
    return keys;
  }
  QStringList CheckedShown() const
  {
    QStringList keys;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
      if (grid->model()->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked)
        keys << grid->model()->index(row, 1).data().toString();
    return keys;
  }
  int RowOf(const QString &key) const { return int(ShownKeys().indexOf(key)); }
  QPoint CellCentre(const QString &key, int column) const
  {
    return grid->visualRect(grid->model()->index(RowOf(key), column)).center();
  }
  void Type(const QString &text) const
  {
    search->setFocus();
    search->selectAll();
    QTest::keyClick(search, Qt::Key_Backspace);
    QTest::keyClicks(search, text);
  }
  // From the search line into the grid, then down to the row of `key`.
  void GoTo(const QString &key) const
  {
    search->setFocus();
    QTest::keyClick(search, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
    for (int row = 0; row < RowOf(key); ++row)
      QTest::keyClick(grid, Qt::Key_Down);
  }
};

// A double click as a widget receives it: press, release, double click, release.
void DoubleClick(QWidget *target, QPoint pos)
{
  QTest::mouseClick(target, Qt::LeftButton, {}, pos);
  QTest::mouseDClick(target, Qt::LeftButton, {}, pos);
  QTest::mouseRelease(target, Qt::LeftButton, {}, pos);
}

// Runs `drive` in the next picker once it is up. `drive` must close it; a picker left open (a
// failed check inside) is cancelled, so a confirmation that did not close it reads as a cancel.
void DriveNextPicker(const std::function<void(Picker &)> &drive)
{
  QTimer::singleShot(0, [drive] {
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal)
      return;
    Picker picker(modal);
    if (picker.Complete())
      drive(picker);
    if (modal->isVisible())
      QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
  });
}

// Opens the picker over `set`, driven by `drive`.
std::optional<QStringList> RunPicker(TDataSet &set, const QStringList &checked, bool single,
                                     const std::function<void(Picker &)> &drive)
{
  DriveNextPicker(drive);
  return ExecPickList(nullptr, QStringLiteral("Equipamento"), set, QStringLiteral("CDEQUIPPRO"), checked, single);
}
} // namespace

class TstUiPickList : public QObject {
  Q_OBJECT
  QStringList m_reported;

private slots:
  void initTestCase()
  {
    SetErrorReporter([this](const QString &text) { m_reported << text; });
    SetPrompts(nullptr);
  }
  void init() { m_reported.clear(); }
  void cleanup() { QVERIFY2(m_reported.isEmpty(), qPrintable(m_reported.join(QLatin1Char('\n')))); }

  // Pre-checked keys (unknown ones ignored) come out in the set's order, with the rows toggled in
  // between; the set stays open on the record it was on, with no scroll event.
  void checksInAndOutInSetOrder()
  {
    TClientDataSet set;
    set.SetData(Equipment());
    set.SetRecNo(4);
    int scrolls = 0;
    set.AfterScroll = [&](TDataSet &) { ++scrolls; };
    QStringList before;
    QString countText;
    const auto result =
        RunPicker(set, {QStringLiteral("EQ12"), QStringLiteral("XX"), QStringLiteral("EQ01")}, false, [&](Picker &p) {
          before = p.CheckedShown();
          p.GoTo(QStringLiteral("EQ10"));
          QTest::keyClick(p.grid, Qt::Key_Space);
          QTest::keyClick(p.grid, Qt::Key_Down);
          QTest::keyClick(p.grid, Qt::Key_Space); // EQ11 on
          QTest::keyClick(p.grid, Qt::Key_Space); // ... and off again
          countText = p.count->text();
          QTest::keyClick(p.grid, Qt::Key_Return);
        });
    QCOMPARE(before, (QStringList{QStringLiteral("EQ01"), QStringLiteral("EQ12")}));
    QVERIFY2(countText.startsWith(QStringLiteral("3 de 5")), qPrintable(countText));
    QVERIFY(result);
    QCOMPARE(*result, (QStringList{QStringLiteral("EQ01"), QStringLiteral("EQ10"), QStringLiteral("EQ12")}));
    QVERIFY(set.Active());
    QCOMPARE(set.RecNo(), 4);
    QCOMPARE(scrolls, 0);
  }

  void confirmAndCancel_data()
  {
    QTest::addColumn<QString>("finish");
    QTest::addColumn<bool>("confirmed");
    // clang-format off
    QTest::newRow("Enter in the grid")        << "grid-enter"   << true;
    QTest::newRow("Enter in the search line") << "search-enter" << true;
    QTest::newRow("OK button")                << "ok"           << true;
    QTest::newRow("Esc")                      << "escape"       << false;
    QTest::newRow("Cancelar button")          << "cancel"       << false;
    // clang-format on
  }
  void confirmAndCancel()
  {
    QFETCH(QString, finish);
    QFETCH(bool, confirmed);
    TClientDataSet set;
    set.SetData(Equipment());
    const auto result = RunPicker(set, {QStringLiteral("EQ02")}, false, [&](Picker &p) {
      p.GoTo(QStringLiteral("EQ11"));
      QTest::keyClick(p.grid, Qt::Key_Space);
      if (finish == QLatin1String("grid-enter"))
        QTest::keyClick(p.grid, Qt::Key_Enter);
      else if (finish == QLatin1String("search-enter"))
        QTest::keyClick(p.search, Qt::Key_Return);
      else if (finish == QLatin1String("escape"))
        QTest::keyClick(p.grid, Qt::Key_Escape);
      else
        p.dialog
            ->findChild<QPushButton *>(finish == QLatin1String("ok") ? QStringLiteral("btnOK") : QStringLiteral("btnCancelar"))
            ->click();
    });
    QCOMPARE(result.has_value(), confirmed);
    if (confirmed)
      QCOMPARE(*result, (QStringList{QStringLiteral("EQ02"), QStringLiteral("EQ11")}));
  }

  void search_data()
  {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("shown");
    // clang-format off
    QTest::newRow("accents and case")  << "prensa"    << QStringList{QStringLiteral("EQ02")};
    QTest::newRow("accent left out")   << "estacao"   << QStringList{QStringLiteral("EQ10")};
    QTest::newRow("accent typed")      << "ESTAÇÃO"   << QStringList{QStringLiteral("EQ10")};
    QTest::newRow("inside a word")     << "idr"       << QStringList{QStringLiteral("EQ02"), QStringLiteral("EQ11")};
    QTest::newRow("code prefix")       << "eq1"       << QStringList{QStringLiteral("EQ10"), QStringLiteral("EQ11"), QStringLiteral("EQ12")};
    QTest::newRow("hidden column")     << "G2"        << QStringList{};
    QTest::newRow("across columns")    << "eq01torno" << QStringList{};
    QTest::newRow("nothing")           << "caldeira"  << QStringList{};
    QTest::newRow("cleared")           << ""          << QStringList{QStringLiteral("EQ01"), QStringLiteral("EQ02"), QStringLiteral("EQ10"), QStringLiteral("EQ11"), QStringLiteral("EQ12")};
    // clang-format on
  }
  void search()
  {
    QFETCH(QString, text);
    QFETCH(QStringList, shown);
    TClientDataSet set;
    set.SetData(Equipment());
    set.FieldByName(QStringLiteral("CDGRUPOEQUIPA")).Visible = false;
    QStringList seen;
    RunPicker(set, {}, false, [&](Picker &p) {
      // Typed a letter too far and taken back: the rows come back.
      p.Type(text + QStringLiteral("z"));
      QTest::keyClick(p.search, Qt::Key_Backspace);
      seen = p.ShownKeys();
      QTest::keyClick(p.search, Qt::Key_Escape);
    });
    QCOMPARE(seen, shown);
  }

  // Marking and unmarking act on the rows shown; the hidden rows keep their checks through a
  // search and its clearing.
  void markShownRowsOnly()
  {
    TClientDataSet set;
    set.SetData(Equipment());
    QStringList afterMark, afterClear, afterUnmark;
    const auto result = RunPicker(set, {QStringLiteral("EQ01")}, false, [&](Picker &p) {
      p.Type(QStringLiteral("EQ1"));
      QTest::mouseClick(p.markAll, Qt::LeftButton);
      afterMark = p.CheckedShown();
      p.Type(QString());
      afterClear = p.CheckedShown();
      p.Type(QStringLiteral("fresa"));
      QTest::mouseClick(p.unmarkAll, Qt::LeftButton);
      p.Type(QString());
      afterUnmark = p.CheckedShown();
      QTest::keyClick(p.search, Qt::Key_Return);
    });
    QCOMPARE(afterMark, (QStringList{QStringLiteral("EQ10"), QStringLiteral("EQ11"), QStringLiteral("EQ12")}));
    QCOMPARE(afterClear,
             (QStringList{QStringLiteral("EQ01"), QStringLiteral("EQ10"), QStringLiteral("EQ11"), QStringLiteral("EQ12")}));
    QCOMPARE(afterUnmark, (QStringList{QStringLiteral("EQ01"), QStringLiteral("EQ10"), QStringLiteral("EQ11")}));
    QVERIFY(result);
    QCOMPARE(*result, afterUnmark);
  }

  // The picker reads the set's rows in place: reloaded under it, it gives up instead of answering
  // with keys of rows the user never saw.
  void setReloadedUnderThePicker()
  {
    TClientDataSet set;
    set.SetData(Equipment());
    const auto result = RunPicker(set, {QStringLiteral("EQ01")}, false, [&](Picker &p) {
      zrt::DataPacket fewer = Equipment();
      fewer.rows.erase(fewer.rows.begin());
      set.SetData(fewer);
      if (p.dialog->isVisible())
        QTest::keyClick(p.search, Qt::Key_Return);
    });
    QVERIFY(!result);
  }

  // One row at most: the first pre-checked key in set order wins, checking another row unchecks
  // it, and marking every row is not offered.
  void singleChoice()
  {
    TClientDataSet set;
    set.SetData(Equipment());
    QStringList before, afterSpace;
    bool markEnabled = true;
    const auto result = RunPicker(set, {QStringLiteral("EQ10"), QStringLiteral("EQ02")}, true, [&](Picker &p) {
      before = p.CheckedShown();
      markEnabled = p.markAll->isEnabled();
      p.GoTo(QStringLiteral("EQ12"));
      QTest::keyClick(p.grid, Qt::Key_Space);
      afterSpace = p.CheckedShown();
      QTest::keyClick(p.grid, Qt::Key_Return);
    });
    QCOMPARE(before, QStringList{QStringLiteral("EQ02")});
    QVERIFY(!markEnabled);
    QCOMPARE(afterSpace, QStringList{QStringLiteral("EQ12")});
    QVERIFY(result);
    QCOMPARE(*result, QStringList{QStringLiteral("EQ12")});
  }

  // A click on the check box toggles; a double click toggles once, on a text cell or on the box.
  void mouse()
  {
    TClientDataSet set;
    set.SetData(Equipment());
    QStringList afterClick, afterDouble;
    const auto result = RunPicker(set, {}, false, [&](Picker &p) {
      QWidget *viewport = p.grid->viewport();
      QTest::mouseClick(viewport, Qt::LeftButton, {}, p.CellCentre(QStringLiteral("EQ02"), 0));
      afterClick = p.CheckedShown();
      DoubleClick(viewport, p.CellCentre(QStringLiteral("EQ11"), 2));
      DoubleClick(viewport, p.CellCentre(QStringLiteral("EQ12"), 0));
      afterDouble = p.CheckedShown();
      QTest::keyClick(p.grid, Qt::Key_Return);
    });
    QCOMPARE(afterClick, QStringList{QStringLiteral("EQ02")});
    QCOMPARE(afterDouble, (QStringList{QStringLiteral("EQ02"), QStringLiteral("EQ11"), QStringLiteral("EQ12")}));
    QVERIFY(result);
  }

  void accessible()
  {
    TClientDataSet set;
    set.SetData(Equipment());
    QStringList unnamed;
    QString checkedText, uncheckedText, searchName;
    bool cellChecked = false, cellCheckable = false;
    RunPicker(set, {QStringLiteral("EQ01")}, false, [&](Picker &p) {
      for (QWidget *w : p.dialog->findChildren<QWidget *>())
        if (IsInteractiveControl(w) && w->isVisible() && w->accessibleName().isEmpty())
          unnamed << w->objectName() + QLatin1Char(':') + QString::fromLatin1(w->metaObject()->className());
      searchName = p.search->accessibleName();
      checkedText = p.grid->model()->index(0, 0).data(Qt::AccessibleTextRole).toString();
      uncheckedText = p.grid->model()->index(1, 0).data(Qt::AccessibleTextRole).toString();
      if (QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(p.grid))
        if (QAccessibleTableInterface *table = iface->tableInterface())
          if (QAccessibleInterface *cell = table->cellAt(0, 0)) {
            cellCheckable = cell->state().checkable;
            cellChecked = cell->state().checked;
          }
      QTest::keyClick(p.search, Qt::Key_Escape);
    });
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QLatin1String(", "))));
    QCOMPARE(searchName, QStringLiteral("Pesquisar"));
    QCOMPARE(checkedText, QStringLiteral("Marcado"));
    QCOMPARE(uncheckedText, QStringLiteral("Desmarcado"));
    QVERIFY(cellCheckable);
    QVERIFY(cellChecked);
  }

  // PesquisaLista through the real dialog: a closed set is opened, the list comes in checked and
  // the confirmed checks go back as a code list; a cancel leaves the list alone.
  void pesquisaListaWithTheRealDialog_data()
  {
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QString>("list");
    QTest::newRow("confirmed") << true << QStringLiteral(";EQ01;EQ10;");
    QTest::newRow("cancelled") << false << QStringLiteral(";EQ01;");
  }
  void pesquisaListaWithTheRealDialog()
  {
    QFETCH(bool, confirm);
    QFETCH(QString, list);
    TClientDataSet set;
    set.SetData(Equipment());
    set.Close();
    TDataSource source(nullptr, &set);
    QString codeList = QStringLiteral(";EQ01;");
    QString objectName, title;
    QStringList checkedIn;
    DriveNextPicker([&](Picker &p) {
      objectName = p.dialog->objectName();
      title = p.dialog->windowTitle();
      checkedIn = p.CheckedShown();
      p.GoTo(QStringLiteral("EQ10"));
      QTest::keyClick(p.grid, Qt::Key_Space);
      QTest::keyClick(p.grid, confirm ? Qt::Key_Return : Qt::Key_Escape);
    });
    QCOMPARE(PesquisaLista(&source, QStringLiteral("CDEQUIPPRO"), QStringLiteral("Equipamento"), false, codeList), confirm);
    QCOMPARE(objectName, QStringLiteral("frmPesquisaLista"));
    QCOMPARE(title, QStringLiteral("Equipamento"));
    QCOMPARE(checkedIn, QStringList{QStringLiteral("EQ01")});
    QCOMPARE(codeList, list);
    QVERIFY(set.Active());
  }
};

QTEST_MAIN(TstUiPickList)
#include "tst_ui_picklist.moc"
