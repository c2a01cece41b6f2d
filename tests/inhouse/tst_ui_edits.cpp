// Date edit, mask edit, flat button and page control driven by real key and mouse events.
#include <inhouse/errors.h>
#include <inhouse/services/application.h>
#include <inhouse/services/errors.h>
#include <inhouse/text/editmask.h>
#include <inhouse/ui/animate.h>
#include <inhouse/ui/buttons.h>
#include <inhouse/ui/dateedit.h>
#include <inhouse/ui/maskedit.h>
#include <inhouse/ui/pagecontrol.h>
#include <inhouse/ui/timepicker.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QVBoxLayout>

namespace {
const QStringList kWeekdays = {QStringLiteral("Domingo"), QStringLiteral("Segunda"), QStringLiteral("Terça"),
                               QStringLiteral("Quarta"),  QStringLiteral("Quinta"),  QStringLiteral("Sexta"),
                               QStringLiteral("Sábado")};
}

class TstUiEdits : public QObject {
  Q_OBJECT

  QStringList m_reported;

private slots:
  void initTestCase()
  {
    SetErrorReporter([this](const QString &text) { m_reported << text; });
  }
  void init() { m_reported.clear(); }
  void cleanup() { QVERIFY2(m_reported.isEmpty(), qPrintable(m_reported.join(QLatin1Char('\n')))); }

  void dateTyping_data()
  {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("digits");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("weekday");
    // clang-format off
    QTest::newRow("full") << "06122026" << "06122026" << QDate(2026, 12, 6) << "Domingo";
    QTest::newRow("leap day") << "29022028" << "29022028" << QDate(2028, 2, 29) << "Terça";
    QTest::newRow("no 29 Feb") << "29022026" << "29022026" << QDate() << "";
    QTest::newRow("31 Feb") << "31022026" << "31022026" << QDate() << "";
    QTest::newRow("month 13") << "01132026" << "01132026" << QDate() << "";
    QTest::newRow("day 00") << "00012026" << "00012026" << QDate() << "";
    QTest::newRow("year half typed") << "061220" << "061220  " << QDate() << "";
    QTest::newRow("nothing") << "" << "        " << QDate() << "";
    QTest::newRow("letters ignored") << "0a6b122026" << "06122026" << QDate(2026, 12, 6) << "Domingo";
    QTest::newRow("year 2000") << "01012000" << "01012000" << QDate(2000, 1, 1) << "Sábado";
    // clang-format on
  }
  void dateTyping()
  {
    QFETCH(QString, typed);
    QFETCH(QString, digits);
    QFETCH(QDate, date);
    QFETCH(QString, weekday);

    TDateEditPlus edit;
    edit.SetWeekdayNames(kWeekdays);
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    edit.setFocus();
    QTest::keyClick(&edit, Qt::Key_Home);
    QTest::keyClicks(&edit, typed);

    QCOMPARE(edit.DigitsText(), digits);
    QCOMPARE(edit.GetDate(), date);
    QCOMPARE(edit.IsValidDate(), date.isValid());
    QCOMPARE(edit.WeekdayName(), weekday);
    // Valid dates are drawn in blue, anything else in the normal text colour.
    QCOMPARE(edit.palette().color(QPalette::Text) == QColor(Qt::blue), date.isValid());
  }

  void backspaceLeavesBlank()
  {
    TDateEditPlus edit;
    edit.SetDate(QDate(2026, 12, 6));
    edit.show();
    edit.setFocus();
    QTest::keyClick(&edit, Qt::Key_End);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QCOMPARE(edit.DigitsText(), QStringLiteral("061220  "));
    QVERIFY(!edit.GetDate().isValid());
  }

  void setDateKeepsNoTime()
  {
    TDateEditPlus edit;
    QSignalSpy changed(&edit, &TDateEditPlus::dateChanged);
    // 46362.75 is 6 December 2026 at 18:00.
    edit.SetDate(46362.75);
    QCOMPARE(edit.GetDate(), QDate(2026, 12, 6));
    QCOMPARE(edit.DigitsText(), QStringLiteral("06122026"));
    QCOMPARE(changed.count(), 1);
    edit.SetDate(QDate());
    QCOMPARE(edit.DigitsText(), QStringLiteral("        "));
    QCOMPARE(changed.count(), 2);
  }

  void setDigitsTextRoundTrip_data()
  {
    QTest::addColumn<QString>("digits");
    QTest::addColumn<QString>("expected");
    // clang-format off
    QTest::newRow("full") << "05012027" << "05012027";
    QTest::newRow("blank year") << "0501    " << "0501    ";
    QTest::newRow("blank day") << "  012027" << "  012027";
    QTest::newRow("short") << "05" << "05      ";
    // clang-format on
  }
  void setDigitsTextRoundTrip()
  {
    QFETCH(QString, digits);
    QFETCH(QString, expected);
    TDateEditPlus edit;
    edit.SetDigitsText(digits);
    QCOMPARE(edit.DigitsText(), expected);
  }

  void checkValidDateRejects_data()
  {
    QTest::addColumn<QString>("digits");
    QTest::addColumn<QString>("message");
    // clang-format off
    QTest::newRow("31 Feb") << "31022026" << "'31/02/2026' não é uma data válida.";
    QTest::newRow("empty") << "" << "'  /  /    ' não é uma data válida.";
    // clang-format on
  }
  void checkValidDateRejects()
  {
    QFETCH(QString, digits);
    QFETCH(QString, message);
    QWidget form;
    auto *layout = new QVBoxLayout(&form);
    auto *other = new QLineEdit(&form);
    auto *edit = new TDateEditPlus(&form);
    layout->addWidget(other);
    layout->addWidget(edit);
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    edit->SetDigitsText(digits);
    other->setFocus();
    QVERIFY(other->hasFocus());

    QString caught;
    try {
      edit->CheckValidDate();
    } catch (const EConvertError &e) {
      caught = e.Message();
    }
    QCOMPARE(caught, message);
    QVERIFY(edit->hasFocus()); // the user is put back where the bad date is
  }

  void checkValidDateAccepts()
  {
    TDateEditPlus edit;
    edit.SetDate(QDate(2028, 2, 29));
    edit.CheckValidDate(); // must not throw
    QCOMPARE(edit.GetDate(), QDate(2028, 2, 29));
  }

  void weekdayPainted()
  {
    // The name is painted in the field: a valid date looks different from an invalid one
    // with the same digits count.
    TDateEditPlus edit;
    edit.SetWeekdayNames(kWeekdays);
    edit.resize(160, 24);
    edit.SetDate(QDate(2026, 12, 6));
    const QImage withName = edit.grab().toImage();
    edit.SetWeekdayNames({});
    const QImage withoutName = edit.grab().toImage();
    QVERIFY(withName != withoutName);
  }

  void maskTexts_data()
  {
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    // clang-format off
    QTest::newRow("hour empty") << "!90:00;1; " << "" << "  :  ";
    QTest::newRow("hour full") << "!90:00;1; " << "0800" << "08:00";
    QTest::newRow("hour evening") << "!90:00;1; " << "1830" << "18:30";
    QTest::newRow("hour part") << "!90:00;1; " << "08" << "08:  ";
    QTest::newRow("one hour digit") << "!90:00;1; " << "8:00" << " 8:00";
    QTest::newRow("no leading blanks without !") << "90:00;1; " << "8:00" << "8 :00";
    QTest::newRow("letters refused") << "!90:00;1; " << "1a2b" << "12:  ";
    QTest::newRow("literals not saved") << "00/00;0;_" << "1234" << "1234";
    QTest::newRow("literals not saved, part") << "00/00;0;_" << "12" << "12__";
    QTest::newRow("upper case letters") << ">LL-000;1;_" << "ab123" << "AB-123";
    // clang-format on
  }
  void maskTexts()
  {
    QFETCH(QString, mask);
    QFETCH(QString, typed);
    QFETCH(QString, text);
    TMaskEdit edit;
    edit.SetEditMask(mask);
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    edit.setFocus();
    QTest::keyClick(&edit, Qt::Key_Home);
    QTest::keyClicks(&edit, typed);
    QCOMPARE(edit.Text(), text);
  }

  // The edit and the field read a mask alike: what the edit stores, the field's masked text
  // shows back as the edit showed it.
  void maskReadLikeTheField_data()
  {
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    // clang-format off
    QTest::newRow("hour, one digit") << "!90:00;1; " << "8:00" << " 8:00" << " 8:00";
    QTest::newRow("_ is a blank literal") << "00_00;0;*" << "1234" << "1234" << "12 34";
    QTest::newRow("blank defaults to _") << "000" << "1" << "1__" << "1__";
    QTest::newRow("empty blank section") << "000;0;" << "1" << "1__" << "1__";
    QTest::newRow("upper case") << ">LL-000;1;_" << "ab123" << "AB-123" << "AB-123";
    // clang-format on
  }
  void maskReadLikeTheField()
  {
    QFETCH(QString, mask);
    QFETCH(QString, typed);
    QFETCH(QString, text);
    QFETCH(QString, shown);
    TMaskEdit edit;
    edit.SetEditMask(mask);
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    edit.setFocus();
    QTest::keyClick(&edit, Qt::Key_Home);
    QTest::keyClicks(&edit, typed);
    QCOMPARE(edit.Text(), text);
    QCOMPARE(edit.EditText(), shown);
    QCOMPARE(FormatMaskText(mask, edit.Text()), shown);
  }

  void maskSetText_data()
  {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("text");
    // clang-format off
    QTest::newRow("morning") << "08:00" << "08:00";
    QTest::newRow("evening") << "18:00" << "18:00";
    QTest::newRow("cleared") << "" << "  :  ";
    // clang-format on
  }
  void maskSetText()
  {
    QFETCH(QString, value);
    QFETCH(QString, text);
    TMaskEdit edit;
    edit.SetEditMask(QStringLiteral("!90:00;1; "));
    edit.SetMaxLength(5);
    edit.SetText(value);
    QCOMPARE(edit.Text(), text);
    QCOMPARE(edit.Text().size(), 5);
  }

  void maskShowsWhatIsRead()
  {
    // Leaving the field shows the blanks where the text read has them, and a field as narrow
    // as the hour edits still shows its first digit.
    QWidget form;
    auto *edit = new TMaskEdit(&form);
    auto *other = new QLineEdit(&form);
    other->move(0, 40);
    edit->setGeometry(0, 0, 33, 21);
    edit->SetEditMask(QStringLiteral("!90:00;1; "));
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClicks(edit, QStringLiteral("8:30"));
    other->setFocus();
    QCOMPARE(edit->displayText(), QStringLiteral(" 8:30"));
    QCOMPARE(edit->Text(), QStringLiteral(" 8:30"));
    edit->SetText(QStringLiteral("18:00"));
    QVERIFY(edit->fontMetrics().horizontalAdvance(QStringLiteral("18:00")) <= edit->width() - 4);
  }

  void maskLengthWithoutMask()
  {
    TMaskEdit edit;
    edit.SetMaxLength(5);
    edit.show();
    edit.setFocus();
    QTest::keyClicks(&edit, QStringLiteral("1234567"));
    QCOMPARE(edit.Text(), QStringLiteral("12345"));
  }

  void pageControlChange()
  {
    TPageControl pages;
    auto *dia = new QLabel(QStringLiteral("dia"));
    auto *semana = new QLabel(QStringLiteral("semana"));
    auto *mes = new QLabel(QStringLiteral("mes"));
    QList<QWidget *> seen;
    pages.OnChange = [&](TPageControl &pc) {
      seen << pc.ActivePage();
      if (pc.ActivePage() == mes)
        Abort(); // an aborting handler must not leave the event loop
    };
    // Adding the pages, the first of which becomes active, is no change.
    pages.AddPage(dia, QStringLiteral("Dia"));
    pages.AddPage(semana, QStringLiteral("Semana"));
    pages.AddPage(mes, QStringLiteral("Mês"));
    QVERIFY(seen.isEmpty());
    QCOMPARE(pages.tabPosition(), QTabWidget::South);
    pages.resize(300, 200);
    pages.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pages));
    QCOMPARE(pages.ActivePage(), dia);

    // By the user: a click on a tab, the arrow keys on the tabs, Ctrl+Tab on the control.
    QTest::mouseClick(pages.tabBar(), Qt::LeftButton, {}, pages.tabBar()->tabRect(1).center());
    QCOMPARE(pages.ActivePage(), semana);
    QTest::keyClick(pages.tabBar(), Qt::Key_Right);
    QCOMPARE(pages.ActivePage(), mes);
    QTest::keyClick(&pages, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(pages.ActivePage(), dia);
    QCOMPARE(seen, (QList<QWidget *>{semana, mes, dia}));
    // By code: the page changes, no change event runs.
    seen.clear();
    pages.SetActivePage(mes);
    QCOMPARE(pages.ActivePage(), mes);
    pages.setCurrentIndex(1);
    QCOMPARE(pages.ActivePage(), semana);
    pages.SetActivePage(dia);
    QVERIFY(seen.isEmpty());
    QCOMPARE(pages.ActivePageIndex(), 0);
  }

  void pageClickTakesFocusFirst()
  {
    // Leaving a field by clicking a tab runs the field's exit before the page changes.
    QStringList order; // outlives the form, whose destruction moves the focus too
    QWidget form;
    auto *field = new QLineEdit(&form);
    auto *pages = new TPageControl(&form);
    pages->setGeometry(0, 30, 300, 200);
    pages->AddPage(new QLabel(QStringLiteral("dia")), QStringLiteral("Dia"));
    pages->AddPage(new QLabel(QStringLiteral("semana")), QStringLiteral("Semana"));
    QObject::connect(qApp, &QApplication::focusChanged, &form, [&](QWidget *old, QWidget *) {
      if (old == field)
        order << QStringLiteral("exit");
    });
    pages->OnChange = [&](TPageControl &) { order << QStringLiteral("change"); };
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    field->setFocus();
    QTest::mouseClick(pages->tabBar(), Qt::LeftButton, {}, pages->tabBar()->tabRect(1).center());
    QCOMPARE(order, (QStringList{QStringLiteral("exit"), QStringLiteral("change")}));

    // Without a tab stop the focus stays in the field.
    pages->SetTabStop(false);
    field->setFocus();
    order.clear();
    QTest::mouseClick(pages->tabBar(), Qt::LeftButton, {}, pages->tabBar()->tabRect(0).center());
    QCOMPARE(order, QStringList{QStringLiteral("change")});
    QVERIFY(field->hasFocus());
  }

  void flatButton()
  {
    QWidget form;
    auto *b = new TButtonFlat(&form);
    b->SetBounds(4, 4, 21, 21);
    b->SetHint(QStringLiteral("Incluir"));
    QCOMPARE(b->toolTip(), QStringLiteral("Incluir"));
    QCOMPARE(b->geometry(), QRect(4, 4, 21, 21));
    QVERIFY(b->autoRaise());
    int clicks = 0;
    QObject::connect(b, &QToolButton::clicked, [&] { ++clicks; });
    b->setEnabled(false);
    b->Click();
    QCOMPARE(clicks, 0);
    b->setEnabled(true);
    b->Click();
    QCOMPARE(clicks, 1);
    b->Permission = true;
    QVERIFY(b->Permission);
  }

  void menuItemShortCut()
  {
    QWidget form;
    auto *item = new TMenuItem(QStringLiteral("&Incluir"), QKeySequence(Qt::Key_F2), &form);
    form.addAction(item);
    item->HelpContext = 820060;
    int triggered = 0;
    QObject::connect(item, &QAction::triggered, [&] { ++triggered; });
    auto *edit = new QLineEdit(&form);
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    edit->setFocus();
    // The short-cut acts without any menu shown.
    QTest::keyClick(edit, Qt::Key_F2);
    QCOMPARE(triggered, 1);
    item->setEnabled(false);
    QTest::keyClick(edit, Qt::Key_F2);
    QCOMPARE(triggered, 1);
  }

  void timePickerTakesTypedTimes_data()
  {
    QTest::addColumn<QString>("keys"); // typed after tabbing in, from 08:00
    QTest::addColumn<QString>("text"); // the time as the server is sent it
    QTest::addColumn<int>("minutes");  // into the day, as read
    QTest::addColumn<bool>("leaves");  // a Tab afterwards leaves the picker
    // clang-format off
    QTest::newRow("four digits") << "0930" << "09:30:00" << 570 << true;
    QTest::newRow("one hour digit moves on") << "745" << "07:45:00" << 465 << true;
    QTest::newRow("separator moves on") << "6:05" << "06:05:00" << 365 << true;
    QTest::newRow("last minute") << "2359" << "23:59:00" << 1439 << true;
    QTest::newRow("one digit that may go on, Tab to the minutes") << "1" << "01:00:00" << 60 << false;
    // clang-format on
  }

  void timePickerTakesTypedTimes()
  {
    QFETCH(QString, keys);
    QFETCH(QString, text);
    QFETCH(int, minutes);
    QFETCH(bool, leaves);
    QWidget form;
    auto *layout = new QVBoxLayout(&form);
    auto *before = new QLineEdit(&form);
    auto *picker = new TTimePicker(&form);
    auto *after = new QLineEdit(&form);
    for (QWidget *w : std::initializer_list<QWidget *>{before, picker, after})
      layout->addWidget(w);
    picker->SetTime(QTime(8, 0));
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    before->setFocus();
    QTest::keyClick(before, Qt::Key_Tab);
    QVERIFY(picker->hasFocus());
    QTest::keyClicks(QApplication::focusWidget(), keys);
    // A section still open takes its value as the Tab closes it.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(after->hasFocus(), leaves);
    QCOMPARE(picker->TimeText(), text);
    QCOMPARE(qRound(picker->Time() * 1440), minutes);
  }

  void timePickerStepsAndStoresTimesOfDay()
  {
    TTimePicker picker;
    picker.SetTime(0.75);
    QCOMPARE(picker.TimeText(), QStringLiteral("18:00:00"));
    // A date part is dropped, seconds are rounded to the minute.
    picker.SetTime(46000.5 + 29.0 / 86400);
    QCOMPARE(picker.TimeText(), QStringLiteral("12:00:00"));
    picker.SetTime(std::nan(""));
    QCOMPARE(picker.TimeText(), QStringLiteral("12:00:00"));
    picker.SetTime(QTime(23, 30, 45));
    QCOMPARE(picker.TimeText(), QStringLiteral("23:30:00"));
    // The arrows step the hours round midnight rather than stopping at it.
    picker.setCurrentSection(QDateTimeEdit::HourSection);
    QTest::keyClick(&picker, Qt::Key_Up);
    QCOMPARE(picker.TimeText(), QStringLiteral("00:30:00"));
    QTest::keyClick(&picker, Qt::Key_Down);
    QCOMPARE(picker.TimeText(), QStringLiteral("23:30:00"));
  }

  void animationPlaysAndStopsOnItsFrame()
  {
    TAnimate ani;
    ani.StopFrame = 8;
    ani.show();
    ani.SetActive(true);
    QVERIFY(ani.Active());
    QCOMPARE(ani.Frame(), 1);
    QTRY_VERIFY(ani.Frame() > 2); // it moves on a timer, so it moves in a waiting event loop
    ani.SetActive(false);
    QVERIFY(!ani.Active());
    QCOMPARE(ani.Frame(), 8);
    QTest::qWait(200);
    QCOMPARE(ani.Frame(), 8);
    ani.StopFrame = 99; // out of range: the last frame
    ani.SetActive(false);
    QCOMPARE(ani.Frame(), TAnimate::FrameCount);
  }
};

QTEST_MAIN(TstUiEdits)
#include "tst_ui_edits.moc"
