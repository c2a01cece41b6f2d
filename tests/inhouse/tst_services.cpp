// Library services: guarded handlers and MensErro, message tables, regional conversions,
// texts, settings, the wait animation, Procura and the real dialogs.
#include "equipmentpacket.h"

#include <inhouse/data/clientdataset.h>
#include <inhouse/errors.h>
#include <inhouse/services/application.h>
#include <inhouse/services/brivon.h>
#include <inhouse/services/errors.h>
#include <inhouse/services/messages.h>
#include <inhouse/services/prompts.h>
#include <inhouse/services/search.h>
#include <inhouse/services/texts.h>
#include <inhouse/services/waitanimation.h>
#include <inhouse/text/formatfloat.h>
#include <inhouse/text/regional.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QEventLoop>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {
// Stands in for the person answering dialogs; records what was asked.
struct ScriptedPrompts : IPrompts {
  QStringList shown;  // "type:text"
  QList<int> answers; // for Ask
  std::optional<SearchAnswer> search;
  QStringList searchTitles;
  int Ask(const QString &text, TMsgDlgType type, TMsgDlgButtons buttons, int) override
  {
    shown << QStringLiteral("%1:%2:%3").arg(type).arg(buttons).arg(text);
    return answers.isEmpty() ? mrCancel : answers.takeFirst();
  }
  void Show(const QString &text, TMsgDlgType type) override { shown << QStringLiteral("%1:%2").arg(type).arg(text); }
  std::optional<QString> AskText(const QString &, const QString &, const QString &) override { return std::nullopt; }
  std::optional<SearchAnswer> AskSearch(const QString &, const QStringList &titles) override
  {
    searchTitles = titles;
    return search;
  }
  std::optional<QStringList> AskList(const QString &, TDataSet &, const QString &, const QStringList &, bool) override
  {
    return std::nullopt;
  }
  std::optional<QString> AskSaveFile(const QString &, const QString &, const QString &) override { return std::nullopt; }
};

// Runs `act` on the next modal dialog once it is open.
void OnNextModal(std::function<void(QWidget *)> act)
{
  auto *timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    if (QWidget *modal = QApplication::activeModalWidget()) {
      timer->stop();
      timer->deleteLater();
      act(modal);
    }
  });
  timer->start();
}
} // namespace

class TestServices : public QObject {
  Q_OBJECT
  ScriptedPrompts prompts;
  QStringList reports;

private slots:
  void init()
  {
    prompts = ScriptedPrompts();
    reports.clear();
    SetPrompts(&prompts);
    SetErrorReporter([this](const QString &text) { reports << text; });
    SetFormatSettings(TFormatSettings());
  }
  void cleanup()
  {
    SetPrompts(nullptr);
    SetErrorReporter(nullptr);
  }

  // A handler bound with Handler() to a real button: EAbort ends it quietly, MensErro shows
  // its text once and never reaches the error report, other exceptions do.
  void handlerOutcome_data()
  {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("reported");
    QTest::newRow("completes") << 0 << QStringList() << QStringList();
    QTest::newRow("MensErro") << 1 << QStringList{QStringLiteral("1:Informe uma data válida.")} << QStringList();
    QTest::newRow("Abort") << 2 << QStringList() << QStringList();
    QTest::newRow("runtime_error") << 3 << QStringList() << QStringList{QStringLiteral("Falha na consulta.")};
    QTest::newRow("EConvertError") << 4 << QStringList() << QStringList{QStringLiteral("'ab' não é uma hora válida.")};
    QTest::newRow("non-standard") << 5 << QStringList() << QStringList{QStringLiteral("Erro desconhecido.")};
  }
  void handlerOutcome()
  {
    QFETCH(int, kind);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, reported);
    QPushButton button(QStringLiteral("ok"));
    bool reachedEnd = false;
    QObject::connect(&button, &QPushButton::clicked, &button, Handler([&] {
      switch (kind) {
      case 1: MensErro(QStringLiteral("Informe uma data válida."), true);
      case 2: Abort();
      case 3: throw std::runtime_error("Falha na consulta.");
      case 4: StrToTime(QStringLiteral("ab")); break;
      case 5: throw 42;
      }
      reachedEnd = true;
    }));
    button.show();
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(reachedEnd, kind == 0);
    QCOMPARE(prompts.shown, shown);
    QCOMPARE(reports, reported);
  }

  void handlerTakesSignalArguments()
  {
    QComboBox combo;
    combo.addItems({QStringLiteral("a"), QStringLiteral("b")});
    int seen = -1;
    QObject::connect(&combo, &QComboBox::currentIndexChanged, &combo, Handler([&](int index) { seen = index; }));
    combo.setCurrentIndex(1);
    QCOMPARE(seen, 1);
  }

  void defaultReporterShowsAnErrorBox()
  {
    SetErrorReporter(nullptr);
    ReportException(std::make_exception_ptr(std::runtime_error("Servidor indisponível.")));
    ReportException(std::make_exception_ptr(EAbort()));
    QCOMPARE(prompts.shown, QStringList{QStringLiteral("1:Servidor indisponível.")});
  }

  void messageLookup_data()
  {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::newRow("exact") << "Excl" << QStringLiteral("Confirma exclusão?");
    QTest::newRow("other case") << "Eq_Inf" << QStringLiteral("Equipamento inválido.");
    QTest::newRow("upper") << "EQ_INF" << QStringLiteral("Equipamento inválido.");
    QTest::newRow("text keeps bars") << "Lista" << QStringLiteral(";A|B;");
    QTest::newRow("first of duplicates") << "Dup" << QStringLiteral("primeiro");
    QTest::newRow("unknown") << "Nada" << QString();
    QTest::newRow("prefix is not the key") << "Exc" << QString();
    QTest::newRow("line without bar") << "semBarra" << QString();
  }
  void messageLookup()
  {
    QFETCH(QString, key);
    QFETCH(QString, text);
    TMessages msg({QStringLiteral("Excl|Confirma exclusão?"), QStringLiteral("Eq_inf|Equipamento inválido."),
                   QStringLiteral("Lista|;A|B;"), QStringLiteral("Dup|primeiro"), QStringLiteral("dup|segundo"),
                   QStringLiteral("semBarra")});
    QCOMPARE(msg.Msg(key), text);
  }

  void showMsgAsksThroughTheSeam()
  {
    TMessages msg({QStringLiteral("Canc|Cancelar operação?")});
    prompts.answers = {mrYes, mrNo};
    QCOMPARE(msg.ShowMsg(QStringLiteral("canc"), mtConfirmation, mbYesNo, 0), int(mrYes));
    QCOMPARE(msg.ShowMsg(QStringLiteral("Canc"), mtConfirmation, mbYesNo, 0), int(mrNo));
    QCOMPARE(prompts.shown.first(), QStringLiteral("3:3:Cancelar operação?"));
  }

  void strToDate_data()
  {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date"); // invalid: must throw
    QTest::newRow("plain") << "06/12/2026" << QDate(2026, 12, 6);
    QTest::newRow("single digits") << "1/2/2026" << QDate(2026, 2, 1);
    QTest::newRow("blanks around") << " 06/12/2026 " << QDate(2026, 12, 6);
    QTest::newRow("leap day") << "29/02/2028" << QDate(2028, 2, 29);
    QTest::newRow("no leap day") << "29/02/2027" << QDate();
    QTest::newRow("31 April") << "31/04/2026" << QDate();
    QTest::newRow("month 13") << "01/13/2026" << QDate();
    QTest::newRow("day 0") << "00/01/2026" << QDate();
    QTest::newRow("two-digit year") << "06/12/26" << QDate(2026, 12, 6);
    QTest::newRow("last day") << "31/12/9999" << QDate(9999, 12, 31);
    QTest::newRow("year 0") << "01/01/0000" << QDate();
    QTest::newRow("wrong separator") << "06-12-2026" << QDate();
    QTest::newRow("letters") << "06/dez/2026" << QDate();
    QTest::newRow("empty edit") << "  /  /    " << QDate();
    QTest::newRow("empty") << "" << QDate();
  }
  void strToDate()
  {
    QFETCH(QString, text);
    QFETCH(QDate, date);
    if (!date.isValid()) {
      try {
        StrToDate(text);
        QFAIL("accepted");
      } catch (const EConvertError &e) {
        QCOMPARE(e.Message(), QStringLiteral("'%1' não é uma data válida.").arg(text));
      }
      return;
    }
    QCOMPARE(zrt::dateOf(StrToDate(text)), date);
    QCOMPARE(StrToDate(text), zrt::dayOf(StrToDate(text)));
  }

  void strToTime_data()
  {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QTime>("time");
    QTest::newRow("hh:mm") << "08:00" << QTime(8, 0);
    QTest::newRow("blank first digit") << " 8:00" << QTime(8, 0);
    QTest::newRow("last minute") << "23:59" << QTime(23, 59);
    QTest::newRow("seconds") << "23:59:59" << QTime(23, 59, 59);
    QTest::newRow("midnight") << "00:00" << QTime(0, 0);
    QTest::newRow("24:00") << "24:00" << QTime();
    QTest::newRow("minute 60") << "12:60" << QTime();
    QTest::newRow("second 60") << "12:00:60" << QTime();
    QTest::newRow("empty mask") << "  :  " << QTime();
    QTest::newRow("no minutes") << "12:" << QTime();
    QTest::newRow("letters") << "ab:cd" << QTime();
  }
  void strToTime()
  {
    QFETCH(QString, text);
    QFETCH(QTime, time);
    if (!time.isValid()) {
      QVERIFY_THROWS_EXCEPTION(EConvertError, StrToTime(text));
      try {
        StrToTime(text);
      } catch (const EConvertError &e) {
        QCOMPARE(e.Message(), QStringLiteral("'%1' não é uma hora válida.").arg(text));
      }
      return;
    }
    QCOMPARE(zrt::timeOf(StrToTime(text)), time);
    QVERIFY(StrToTime(text) < 1.0);
  }

  // A date and an hour typed apart are joined as the date's text, a blank and the hour
  // fitted to five characters.
  void joinedDateTime_data()
  {
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("hour");
    QTest::addColumn<QDateTime>("value");
    // clang-format off
    QTest::newRow("start") << "06/12/2026" << "08:00" << QDateTime(QDate(2026, 12, 6), QTime(8, 0));
    QTest::newRow("blank digit") << "05/01/2027" << " 8:30" << QDateTime(QDate(2027, 1, 5), QTime(8, 30));
    QTest::newRow("end of day") << "31/12/2026" << "23:59" << QDateTime(QDate(2026, 12, 31), QTime(23, 59));
    QTest::newRow("bad minutes") << "06/12/2026" << "08:61" << QDateTime();
    QTest::newRow("empty hour") << "06/12/2026" << "  :  " << QDateTime();
    // clang-format on
  }
  void joinedDateTime()
  {
    QFETCH(QString, date);
    QFETCH(QString, hour);
    QFETCH(QDateTime, value);
    const QString text = date + u' ' + Ajusta(hour, 5);
    if (!value.isValid()) {
      try {
        StrToDateTime(text);
        QFAIL("accepted");
      } catch (const EConvertError &e) {
        QCOMPARE(e.Message(), QStringLiteral("'%1' não é uma data e hora válida.").arg(text));
      }
      return;
    }
    QCOMPARE(zrt::fromDateTime(StrToDateTime(text)), value);
  }

  void dateTimeToText_data()
  {
    QTest::addColumn<QDateTime>("value");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("both");
    // clang-format off
    QTest::newRow("midnight shows no time") << QDateTime(QDate(2026, 12, 6), QTime(0, 0)) << "06/12/2026" << "00:00:00"
        << "06/12/2026";
    QTest::newRow("afternoon") << QDateTime(QDate(2026, 3, 5), QTime(18, 0, 5)) << "05/03/2026" << "18:00:05"
        << "05/03/2026 18:00:05";
    QTest::newRow("before 1899") << QDateTime(QDate(1850, 1, 2), QTime(6, 0)) << "02/01/1850" << "06:00:00"
        << "02/01/1850 06:00:00";
    // clang-format on
  }
  void dateTimeToText()
  {
    QFETCH(QDateTime, value);
    QFETCH(QString, date);
    QFETCH(QString, time);
    QFETCH(QString, both);
    const zrt::TDateTime v = zrt::toDateTime(value);
    QCOMPARE(DateToStr(v), date);
    QCOMPARE(TimeToStr(v), time);
    QCOMPARE(DateTimeToStr(v), both);
    QCOMPARE(StrToDateTime(DateTimeToStr(v)), v);
  }

  // A date-time field's set-text: the time part, then the date part, as the server date's
  // field converts the text given to it.
  void dateTimeSetText_data()
  {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("value"); // invalid: cleared; null QDateTime + error: throws
    QTest::addColumn<bool>("throws");
    QTest::newRow("date and time") << "06/12/2026 14:30:00" << QDateTime(QDate(2026, 12, 6), QTime(14, 30)) << false;
    QTest::newRow("date only") << "05/01/2027" << QDateTime(QDate(2027, 1, 5), QTime(0, 0)) << false;
    QTest::newRow("empty edit") << "  /  /    " << QDateTime() << false;
    QTest::newRow("bad date") << "31/02/2026 10:00" << QDateTime() << true;
    QTest::newRow("bad time") << "06/12/2026 25:00" << QDateTime() << true;
  }
  void dateTimeSetText()
  {
    QFETCH(QString, text);
    QFETCH(QDateTime, value);
    QFETCH(bool, throws);
    zrt::DataPacket packet;
    packet.fields = {{"DATA", zrt::FieldType::DateTime, 0}};
    const zrt::TDateTime before = zrt::toDateTime(QDateTime(QDate(2020, 2, 3), QTime(9, 15)));
    packet.rows = {{before}};
    TClientDataSet set;
    set.SetData(packet);
    set.Edit();
    TField &field = set.FieldByName(QStringLiteral("DATA"));
    if (throws) {
      QVERIFY_THROWS_EXCEPTION(EConvertError, {
        TimeSetText(field, text);
        DateSetText(field, text);
      });
      QCOMPARE(field.AsDateTime(), before);
      return;
    }
    TimeSetText(field, text);
    DateSetText(field, text);
    if (!value.isValid())
      QVERIFY(field.IsNull());
    else
      QCOMPARE(zrt::fromDateTime(field.AsDateTime()), value);
  }

  void formatFloat_data()
  {
    QTest::addColumn<QString>("format");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("quantity") << "#,##0.0000" << 1234.5 << "1.234,5000";
    QTest::newRow("zero") << "#,##0.0000" << 0.0 << "0,0000";
    QTest::newRow("below a thousand") << "#,##0.0000" << 999.0 << "999,0000";
    QTest::newRow("millions negative") << "#,##0.0000" << -1234567.891 << "-1.234.567,8910";
    QTest::newRow("rounds up to the next thousand") << "#,##0.00" << 999.995 << "1.000,00";
    QTest::newRow("half away from zero") << "0.00" << 0.125 << "0,13";
    QTest::newRow("decimal half") << "0.00" << 1.005 << "1,01";
    QTest::newRow("negative rounding to zero") << "#,##0.0000" << -0.00004 << "0,0000";
    QTest::newRow("optional decimals") << "0.##" << 2.5 << "2,5";
    QTest::newRow("optional decimals whole") << "0.##" << 2.0 << "2";
    QTest::newRow("hash on zero") << "#" << 0.0 << "";
    QTest::newRow("negative section") << "0.00;(0.00);Zero" << -3.14159 << "(3,14)";
    QTest::newRow("zero section") << "0.00;(0.00);Zero" << 0.0 << "Zero";
    QTest::newRow("quoted literal") << "'R$ '#,##0.00" << 1234.5 << "R$ 1.234,50";
    QTest::newRow("leading zeros") << "000" << 7.0 << "007";
  }
  void formatFloat()
  {
    QFETCH(QString, format);
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(FormatFloat(format, value), text);
  }

  void nomeDia_data()
  {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("name");
    const char *names[] = {"Domingo", "Segunda", "Terça", "Quarta", "Quinta", "Sexta", "Sábado"};
    for (int i = 0; i < 7; ++i) {
      const QDate d(2026, 12, 6 + i);
      QTest::newRow(qPrintable(d.toString(Qt::ISODate))) << d << QString::fromUtf8(names[i]);
    }
    QTest::newRow("invalid") << QDate() << QString();
  }
  void nomeDia()
  {
    QFETCH(QDate, date);
    QFETCH(QString, name);
    QCOMPARE(NomeDia(date), name);
  }

  void ajustaAndEmpty_data()
  {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("fitted");
    QTest::addColumn<bool>("empty");
    QTest::newRow("pads") << "8:00" << 5 << "8:00 " << false;
    QTest::newRow("cuts") << "08:00:00" << 5 << "08:00" << false;
    QTest::newRow("exact") << "08:00" << 5 << "08:00" << false;
    QTest::newRow("empty") << "" << 3 << "   " << true;
    QTest::newRow("blanks") << "   " << 2 << "  " << true;
    QTest::newRow("inner blank") << " a " << 1 << " " << false;
  }
  void ajustaAndEmpty()
  {
    QFETCH(QString, text);
    QFETCH(int, n);
    QFETCH(QString, fitted);
    QFETCH(bool, empty);
    QCOMPARE(Ajusta(text, n), fitted);
    QCOMPARE(EmptyString(text), empty);
  }

  void tradAndUnitName()
  {
    QWidget form;
    form.setWindowTitle(QStringLiteral("Filtro"));
    auto *button = new QPushButton(QStringLiteral("Fechar"), &form);
    button->setToolTip(QStringLiteral("Fechar"));
    Trad(&form); // identity without a table
    QCOMPARE(button->text(), QStringLiteral("Fechar"));
    SetTranslationTable(
        {{QStringLiteral("Fechar"), QStringLiteral("Close")}, {QStringLiteral("Filtro"), QStringLiteral("Filter")}});
    Trad(&form);
    SetTranslationTable({});
    QCOMPARE(button->text(), QStringLiteral("Close"));
    QCOMPARE(button->toolTip(), QStringLiteral("Close"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Filter"));
    form.setProperty("unitName", QStringLiteral("Cli_zrt02600"));
    QCOMPARE(NomeUnit(&form), QStringLiteral("Cli_zrt02600"));
    QCOMPARE(NomeUnit(button), QStringLiteral("QPushButton"));
  }

  void brivonSettings()
  {
    Brivon::Settings s;
    s.webURL = QStringLiteral("10.0.0.5");
    s.webPort = 9123;
    s.operador = QStringLiteral("OPER1");
    s.personal.insert(3, QStringLiteral("S"));
    s.dbPict = QStringLiteral("999.999;0;_");
    Brivon::Configure(s);
    QCOMPARE(Brivon::WebURL(), QStringLiteral("10.0.0.5"));
    QCOMPARE(Brivon::WebPort(), 9123);
    QCOMPARE(Brivon::GetPersonal(3), QStringLiteral("S"));
    QCOMPARE(Brivon::GetPersonal(4), QString());
    QCOMPARE(Brivon::DBPict(0), QStringLiteral("999.999;0;_"));
    QObject form;
    const QMetaObject *gotClass = nullptr;
    QObject *gotForm = nullptr;
    Brivon::SetUnloadBPLHandler([&](const QMetaObject *c, QObject *f) {
      gotClass = c;
      gotForm = f;
    });
    Brivon::SetUnloadBPL(&QObject::staticMetaObject, &form);
    Brivon::SetUnloadBPLHandler(nullptr);
    QCOMPARE(gotClass, &QObject::staticMetaObject);
    QCOMPARE(gotForm, &form);
    Brivon::Configure(Brivon::Settings());
  }

  // Nested calls keep one overlay until the outermost ends; it moves while a call waits in
  // a local event loop that takes no user input.
  void waitAnimationNests()
  {
    QWidget main;
    main.resize(640, 480);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    ActiveShowAvi(&main, 1);
    QWidget *overlay = ShowAviWidget();
    QVERIFY(overlay && overlay->isVisible());
    QCOMPARE(overlay->parentWidget(), &main);
    main.resize(800, 600);
    QCOMPARE(overlay->geometry().center(), main.rect().center());
    ActiveShowAvi(&main, 6);
    QCOMPARE(ShowAviWidget(), overlay);
    QCOMPARE(ShowAviDepth(), 2);

    QImage before = overlay->grab().toImage();
    QEventLoop loop;
    QTimer::singleShot(400, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    QVERIFY2(overlay->grab().toImage() != before, "the animation did not move during the wait");

    DeactiveShowAvi();
    QCOMPARE(ShowAviWidget(), overlay);
    DeactiveShowAvi();
    QCOMPARE(ShowAviDepth(), 0);
    QVERIFY(!ShowAviWidget());
    DeactiveShowAvi(); // unbalanced: ignored
    QCOMPARE(ShowAviDepth(), 0);
    ActiveShowAvi(&main, 1);
    QCOMPARE(ShowAviDepth(), 1);
    DeactiveShowAvi();
  }

  void waitAnimationGuardHidesOnFailure()
  {
    QWidget main;
    main.show();
    bool shownInside = false;
    Guarded([&] {
      WaitAnimation wait(&main, 1);
      shownInside = ShowAviWidget() != nullptr;
      throw std::runtime_error("Falha no servidor.");
    });
    QVERIFY(shownInside);
    QCOMPARE(ShowAviDepth(), 0);
    QVERIFY(!ShowAviWidget());
    QCOMPARE(reports, QStringList{QStringLiteral("Falha no servidor.")});
  }

  void procura_data()
  {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("recNo"); // 0: not found
    QTest::newRow("code prefix") << 0 << "eq1" << 3;
    QTest::newRow("prefix beats earlier contains") << 1 << "hidr" << 4;
    QTest::newRow("contains without accents") << 1 << "HIDRAULICA" << 2;
    QTest::newRow("accent typed") << 1 << "estação" << 3;
    QTest::newRow("accent folded") << 1 << "ESTACAO" << 3;
    QTest::newRow("contains") << 1 << "mec" << 1;
    QTest::newRow("not found") << 1 << "Caldeira" << 0;
  }
  void procura()
  {
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(int, recNo);
    TClientDataSet set;
    set.AddField(QStringLiteral("CDEQUIPPRO"), ftString, 10).DisplayLabel = QStringLiteral("Código");
    set.AddField(QStringLiteral("NMEQUIPPRO"), ftString, 40).DisplayLabel = QStringLiteral("Nome");
    set.AddField(QStringLiteral("CDGRUPOEQUIPA"), ftString, 10).Visible = false;
    set.SetData(Equipment());
    set.Last();
    int scrolls = 0;
    set.AfterScroll = [&](TDataSet &) { ++scrolls; };
    prompts.search = SearchAnswer{column, text};
    QCOMPARE(Procura(&set), recNo != 0);
    QCOMPARE(prompts.searchTitles, (QStringList{QStringLiteral("Código"), QStringLiteral("Nome")}));
    if (recNo == 0) {
      QCOMPARE(set.RecNo(), 5);
      QCOMPARE(scrolls, 0);
      QCOMPARE(prompts.shown, QStringList{QStringLiteral("2:Registro não encontrado.")});
    } else {
      QCOMPARE(set.RecNo(), recNo);
      QCOMPARE(scrolls, 1);
      QVERIFY(prompts.shown.isEmpty());
    }
  }

  void procuraCancelledOrClosed()
  {
    TClientDataSet set;
    set.SetData(Equipment());
    set.First();
    prompts.search.reset();
    QVERIFY(!Procura(&set));
    QCOMPARE(set.RecNo(), 1);
    set.Close();
    prompts.searchTitles.clear();
    prompts.search = SearchAnswer{0, QStringLiteral("EQ")};
    QVERIFY(!Procura(&set));
    QVERIFY(prompts.searchTitles.isEmpty()); // a closed set asks nothing
  }

  // ---- the real dialogs, one test each -------------------------------------------------

  void realAsk()
  {
    SetPrompts(nullptr);
    OnNextModal([](QWidget *modal) {
      auto *box = qobject_cast<QMessageBox *>(modal);
      QVERIFY(box);
      QCOMPARE(box->text(), QStringLiteral("Confirma exclusão?"));
      QCOMPARE(box->buttons().size(), 2);
      for (QAbstractButton *b : box->buttons())
        if (b->text().remove(u'&') == QStringLiteral("Não"))
          b->click();
    });
    QCOMPARE(Prompts().Ask(QStringLiteral("Confirma exclusão?"), mtConfirmation, mbYesNo, 0), int(mrNo));
  }

  void realShow()
  {
    SetPrompts(nullptr);
    QString seen;
    OnNextModal([&](QWidget *modal) {
      auto *box = qobject_cast<QMessageBox *>(modal);
      QVERIFY(box);
      seen = box->text();
      QCOMPARE(box->icon(), QMessageBox::Critical);
      box->accept();
    });
    Prompts().Show(QStringLiteral("Registro não encontrado."), mtError);
    QCOMPARE(seen, QStringLiteral("Registro não encontrado."));
  }

  void realAskText()
  {
    SetPrompts(nullptr);
    OnNextModal([](QWidget *modal) {
      auto *dialog = qobject_cast<QInputDialog *>(modal);
      QVERIFY(dialog);
      QLineEdit *edit = dialog->findChild<QLineEdit *>();
      QCOMPARE(edit->text(), QStringLiteral("Padrão"));
      edit->selectAll();
      QTest::keyClicks(edit, QStringLiteral("Turno A"));
      QTest::keyClick(edit, Qt::Key_Return);
    });
    QCOMPARE(Prompts().AskText(QStringLiteral("Salvar"), QStringLiteral("Nome:"), QStringLiteral("Padrão")),
             std::optional<QString>(QStringLiteral("Turno A")));
  }

  void realAskSaveFile()
  {
    SetPrompts(nullptr);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    OnNextModal([&](QWidget *modal) {
      auto *dialog = qobject_cast<QFileDialog *>(modal);
      QVERIFY(dialog);
      QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
      QCOMPARE(dialog->directory().absolutePath(), QDir(dir.path()).absolutePath());
      auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
      QVERIFY(name);
      QCOMPARE(name->text(), QStringLiteral("Planilha.csv"));
      name->setText(QStringLiteral("semana")); // the suffix of the proposal is added
      QTest::keyClick(name, Qt::Key_Return);
    });
    const auto path = Prompts().AskSaveFile(QStringLiteral("Exportar"), dir.filePath(QStringLiteral("Planilha.csv")),
                                            QStringLiteral("Arquivos CSV (*.csv)"));
    QCOMPARE(path, std::optional<QString>(dir.filePath(QStringLiteral("semana.csv"))));
    OnNextModal([](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    QCOMPARE(Prompts().AskSaveFile(QStringLiteral("Exportar"), dir.filePath(QStringLiteral("x.csv")), QString()), std::nullopt);
  }

  void realAskSearch()
  {
    SetPrompts(nullptr);
    OnNextModal([](QWidget *modal) {
      auto *combo = modal->findChild<QComboBox *>(QStringLiteral("cmbCampo"));
      auto *edit = modal->findChild<QLineEdit *>(QStringLiteral("edtValor"));
      QVERIFY(combo && edit);
      QCOMPARE(combo->count(), 2);
      combo->setCurrentIndex(1);
      QTest::keyClicks(edit, QStringLiteral("prensa"));
      QTest::keyClick(edit, Qt::Key_Return);
    });
    const auto answer = Prompts().AskSearch(QStringLiteral("Procurar"), {QStringLiteral("Código"), QStringLiteral("Nome")});
    QVERIFY(answer.has_value());
    QCOMPARE(answer->column, 1);
    QCOMPARE(answer->text, QStringLiteral("prensa"));
  }
};

QTEST_MAIN(TestServices)
#include "tst_services.moc"
