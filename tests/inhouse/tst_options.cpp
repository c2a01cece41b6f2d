// Saved option sets: the file per operator, encoding and restoring by class, saving a form's
// controls under a typed name, and processes sharing the file.
#include <inhouse/errors.h>
#include <inhouse/services/brivon.h>
#include <inhouse/services/options.h>
#include <inhouse/services/prompts.h>
#include <inhouse/ui/checklistbox.h>
#include <inhouse/ui/dateedit.h>
#include <inhouse/ui/maskedit.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QSpinBox>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

namespace {
struct ScriptedPrompts : IPrompts {
  QStringList names;  // answers of AskText; none left: cancelled
  QList<int> answers; // answers of Ask
  QStringList shown;  // "type:text" of every question and message
  int Ask(const QString &text, TMsgDlgType type, TMsgDlgButtons, int) override
  {
    shown << QStringLiteral("%1:%2").arg(type).arg(text);
    return answers.isEmpty() ? mrCancel : answers.takeFirst();
  }
  void Show(const QString &text, TMsgDlgType type) override { shown << QStringLiteral("%1:%2").arg(type).arg(text); }
  std::optional<QString> AskText(const QString &, const QString &, const QString &) override
  {
    return names.isEmpty() ? std::nullopt : std::optional(names.takeFirst());
  }
  std::optional<SearchAnswer> AskSearch(const QString &, const QStringList &) override { return std::nullopt; }
  std::optional<QStringList> AskList(const QString &, TDataSet &, const QString &, const QStringList &, bool) override
  {
    return std::nullopt;
  }
  std::optional<QString> AskSaveFile(const QString &, const QString &, const QString &) override { return std::nullopt; }
};

// Two radios of one box (a handler bound to the second's click), an edit, a combo, an edit with
// no name and a spin box (whose inner edit Qt names itself).
struct Form : QWidget {
  template <class W>
  W *add(const char *name)
  {
    if (!layout())
      new QVBoxLayout(this);
    auto *w = new W(this);
    w->setObjectName(QLatin1String(name));
    layout()->addWidget(w);
    return w;
  }
  Form()
  {
    setProperty("unitName", QStringLiteral("Cli_teste"));
    rbtTGr->setChecked(true);
    cmbLinha->addItems({QStringLiteral("L1"), QStringLiteral("L2"), QStringLiteral("L3")});
    connect(rbtLGr, &QRadioButton::clicked, this, [this] { ++listaClicks; });
  }
  QRadioButton *rbtTGr = add<QRadioButton>("rbtTGr"), *rbtLGr = add<QRadioButton>("rbtLGr");
  QLineEdit *edtTurno = add<QLineEdit>("edtTurno"), *unnamed = add<QLineEdit>("");
  QComboBox *cmbLinha = add<QComboBox>("cmbLinha");
  QSpinBox *spnQuantidade = add<QSpinBox>("spnQuantidade");
  int listaClicks = 0;
};

class DerivedEdit : public QLineEdit {
  Q_OBJECT
};
class DerivedDateEdit : public TDateEditPlus {
  Q_OBJECT
};

std::unique_ptr<QWidget> MakeControl(const QString &kind)
{
  const QStringList items{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")};
  if (kind == QLatin1String("TMaskEdit")) {
    auto edit = std::make_unique<TMaskEdit>();
    edit->SetEditMask(QStringLiteral("!99:99;1;_"));
    return edit;
  }
  if (kind == QLatin1String("TDateEditPlus") || kind == QLatin1String("DerivedDateEdit")) {
    auto edit = kind == QLatin1String("TDateEditPlus") ? std::make_unique<TDateEditPlus>() : std::make_unique<DerivedDateEdit>();
    edit->SetDate(QDate(2025, 2, 1));
    return edit;
  }
  if (kind == QLatin1String("TComboBox")) {
    auto combo = std::make_unique<QComboBox>();
    combo->addItems(items.mid(1));
    return combo;
  }
  if (kind == QLatin1String("TRadioGroup")) {
    auto group = std::make_unique<TRadioGroup>(QStringLiteral("Turno"));
    group->SetItems(items.mid(1));
    return group;
  }
  if (kind == QLatin1String("TCheckListBox")) {
    auto list = std::make_unique<TCheckListBox>();
    list->SetItems(items);
    for (int i = 0; i < 4; ++i)
      list->SetChecked(i, true);
    return list;
  }
  if (kind == QLatin1String("TCheckBox"))
    return std::make_unique<QCheckBox>();
  if (kind == QLatin1String("DerivedEdit"))
    return std::make_unique<DerivedEdit>();
  return std::make_unique<QLineEdit>();
}

std::vector<TOptionRow> Rows(const QList<QPair<QString, QString>> &componentValues)
{
  std::vector<TOptionRow> rows;
  for (const auto &[component, value] : componentValues)
    rows.push_back({{}, {}, {}, {}, component, value});
  return rows;
}

const QString kScreen = QStringLiteral("Cli_teste");
} // namespace

class TestOptions : public QObject {
  Q_OBJECT
  QTemporaryDir m_dir;
  ScriptedPrompts m_prompts;
  int m_operators = 0;
  QString m_op; // a fresh operator per test: no file yet

  QString configDir() const { return m_dir.path() + QStringLiteral("/cfg_"); }
  QStringList tempEntries() const { return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot); }

private slots:
  void initTestCase()
  {
    QVERIFY(m_dir.isValid());
    Brivon::Settings settings;
    settings.configUsrDir = configDir();
    Brivon::Configure(settings);
    SetPrompts(&m_prompts);
  }
  void cleanupTestCase() { SetPrompts(nullptr); }
  void init()
  {
    m_op = QStringLiteral("OP%1").arg(++m_operators);
    m_prompts = ScriptedPrompts();
  }

  void restoreByClass_data()
  {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("encoded"); // afterwards; "throws": EConvertError, control unchanged
    // clang-format off
    QTest::newRow("edit")                 << "TEdit"           << "Prensa 'A'" << "Prensa 'A'";
    QTest::newRow("masked edit")          << "TMaskEdit"       << "08:30"      << "08:30";
    QTest::newRow("date")                 << "TDateEditPlus"   << "06/12/2026" << "06/12/2026";
    QTest::newRow("empty date leaves it") << "TDateEditPlus"   << ""           << "01/02/2025";
    QTest::newRow("no such day")          << "TDateEditPlus"   << "31/02/2026" << "throws";
    QTest::newRow("combo index")          << "TComboBox"       << "2"          << "2";
    QTest::newRow("combo out of range")   << "TComboBox"       << "7"          << "-1";
    QTest::newRow("combo text")           << "TComboBox"       << "L2"         << "throws";
    QTest::newRow("radio group index")    << "TRadioGroup"     << "1"          << "1";
    QTest::newRow("radio group too big")  << "TRadioGroup"     << "3"          << "-1";
    QTest::newRow("radio group float")    << "TRadioGroup"     << "1.5"        << "throws";
    QTest::newRow("check box True")       << "TCheckBox"       << "True"       << "True";
    QTest::newRow("check box true")       << "TCheckBox"       << "true"       << "False";
    QTest::newRow("check list 0=checked") << "TCheckListBox"   << "0101"       << "0101";
    QTest::newRow("check list short")     << "TCheckListBox"   << "0"          << "0111";
    QTest::newRow("derived edit")         << "DerivedEdit"     << "x"          << "none";
    QTest::newRow("derived date edit")    << "DerivedDateEdit" << "06/12/2026" << "none";
    // clang-format on
  }
  void restoreByClass()
  {
    QFETCH(QString, kind);
    QFETCH(QString, value);
    QFETCH(QString, encoded);
    const std::unique_ptr<QWidget> control = MakeControl(kind);
    const auto encode = [&] { return EncodeOption(control.get()).value_or(QStringLiteral("none")); };
    if (encoded == QLatin1String("throws")) {
      const QString before = encode();
      QVERIFY_THROWS_EXCEPTION(EConvertError, RestoreOption(control.get(), value));
      QCOMPARE(encode(), before);
      return;
    }
    RestoreOption(control.get(), value);
    QCOMPARE(encode(), encoded);
    QCOMPARE(OptionClassName(control.get()), encoded == QLatin1String("none") ? QString() : kind);
  }

  void radioRestoreClicksUnchecksTheSiblingAndTakesFocus()
  {
    Form form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.edtTurno->setFocus();
    RestoreOption(form.rbtLGr, QStringLiteral("True"));
    QVERIFY(form.rbtLGr->isChecked() && !form.rbtTGr->isChecked());
    QCOMPARE(form.listaClicks, 1);
    QCOMPARE(QApplication::focusWidget(), form.rbtLGr);

    // "False" on the checked radio of a box leaves it: a sibling's "True" moves the check.
    RestoreOption(form.rbtLGr, QStringLiteral("False"));
    QVERIFY(form.rbtLGr->isChecked());
    RestoreOption(form.rbtTGr, QStringLiteral("True"));
    QVERIFY(!form.rbtLGr->isChecked());

    // A disabled radio is checked without a click: its handler does not run.
    form.rbtLGr->setEnabled(false);
    RestoreOption(form.rbtLGr, QStringLiteral("True"));
    QVERIFY(form.rbtLGr->isChecked() && !form.rbtTGr->isChecked());
    QCOMPARE(form.listaClicks, 1);
  }

  void namesAreSortedUniquePerScreenAndMatchedExactly()
  {
    QCOMPARE(OptionsFile(m_op), configDir() + m_op + QStringLiteral("/Filtros.Cds"));
    QVERIFY(OptionSetNames(m_op, kScreen).isEmpty());
    QVERIFY(!OptionSetExists(m_op, kScreen, QStringLiteral("A")));
    QVERIFY(!QFileInfo::exists(OptionsFolder(m_op))); // reading created nothing

    const QString injected = QStringLiteral("x' OR '1'='1");
    for (const QString &name : {QStringLiteral("b"), QStringLiteral("A"), QStringLiteral("a"), QString()})
      SaveOptionSet(m_op, kScreen, name,
                    Rows({{QStringLiteral("edtTurno"), name + u'!'}, {QStringLiteral("rbtLGr"), QStringLiteral("False")}}));
    SaveOptionSet(m_op, QStringLiteral("Cli_outra"), QStringLiteral("Z"),
                  Rows({{QStringLiteral("rbtTGr"), QStringLiteral("True")}}));
    QCOMPARE(OptionSetNames(m_op, kScreen), (QStringList{QStringLiteral("A"), QStringLiteral("a"), QStringLiteral("b")}));
    QCOMPARE(OptionSetNames(m_op, QStringLiteral("Cli_outra")), QStringList{QStringLiteral("Z")});
    QVERIFY(OptionSetNames(m_op, QStringLiteral("cli_teste")).isEmpty());
    QVERIFY(OptionSetRows(m_op, kScreen, injected).empty());
    QVERIFY(!OptionSetExists(m_op, kScreen, injected));
    QCOMPARE(OptionSetRows(m_op, kScreen, QStringLiteral("a")).front().valor, QStringLiteral("a!"));
  }

  void saveAsksTheNameAndTheFormComesBack()
  {
    Form form;
    QVERIFY(!SalvaOpcoes(&form, m_op)); // name cancelled
    m_prompts.names = {QStringLiteral("   ")};
    QVERIFY(!SalvaOpcoes(&form, m_op));
    QCOMPARE(m_prompts.shown, QStringList{QStringLiteral("%1:Informe o nome das opções.").arg(mtWarning)});
    QVERIFY(!QFileInfo::exists(OptionsFolder(m_op)));

    form.rbtLGr->setChecked(true);
    form.edtTurno->setText(QStringLiteral("Noite"));
    form.cmbLinha->setCurrentIndex(2);
    form.unnamed->setText(QStringLiteral("sem nome"));
    const QString name = QStringLiteral("Turno 'A' – Prensa");
    m_prompts.names = {QStringLiteral(" %1 ").arg(name)};
    QVERIFY(SalvaOpcoes(&form, m_op));
    QCOMPARE(OptionSetNames(m_op, kScreen), QStringList{name});
    QStringList saved;
    for (const TOptionRow &row : OptionSetRows(m_op, kScreen, name))
      saved << QStringList{row.tela, row.operador, row.componente, row.valor}.join(u'|');
    saved.sort();
    const QString key = QStringLiteral("Cli_teste|%1|").arg(m_op);
    QCOMPARE(saved, (QStringList{key + QStringLiteral("cmbLinha|2"), key + QStringLiteral("edtTurno|Noite"),
                                 key + QStringLiteral("rbtLGr|True"), key + QStringLiteral("rbtTGr|False")}));

    // The same name again: kept after No, replaced after Yes.
    form.edtTurno->setText(QStringLiteral("Tarde"));
    m_prompts.shown.clear();
    m_prompts.names = {name, name};
    m_prompts.answers = {mrNo, mrYes};
    QVERIFY(!SalvaOpcoes(&form, m_op));
    QCOMPARE(m_prompts.shown,
             QStringList{QStringLiteral("%1:Já existe um conjunto de opções com o nome \"%2\". Deseja substituí-lo?")
                             .arg(mtConfirmation)
                             .arg(name)});
    Form restored;
    QVERIFY(RestoreOptionSet(&restored, m_op, name, nullptr));
    QCOMPARE(restored.edtTurno->text(), QStringLiteral("Noite"));
    QVERIFY(restored.rbtLGr->isChecked());
    QCOMPARE(restored.listaClicks, 1);
    QCOMPARE(restored.cmbLinha->currentIndex(), 2);

    QVERIFY(SalvaOpcoes(&form, m_op));
    QVERIFY(RestoreOptionSet(&restored, m_op, name, nullptr));
    QCOMPARE(restored.edtTurno->text(), QStringLiteral("Tarde"));
    QCOMPARE(OptionSetRows(m_op, kScreen, name).size(), size_t(4));
  }

  void refusedBeforeAnythingIsWritten_data()
  {
    QTest::addColumn<QString>("operador");
    QTest::addColumn<int>("nameSize");
    QTest::addColumn<int>("valueSize");
    // clang-format off
    QTest::newRow("operator with slash")     << "../fora" << 1   << 1;
    QTest::newRow("operator with backslash") << "a\\b"    << 1   << 1;
    QTest::newRow("operator ..")             << ".."      << 1   << 1;
    QTest::newRow("name of 101")             << "OPX"     << 101 << 1;
    QTest::newRow("value of 2001")           << "OPX"     << 1   << 2001;
    // clang-format on
  }
  void refusedBeforeAnythingIsWritten()
  {
    QFETCH(QString, operador);
    QFETCH(int, nameSize);
    QFETCH(int, valueSize);
    const QStringList before = tempEntries();
    QVERIFY_THROWS_EXCEPTION(EInhouseError, SaveOptionSet(operador, kScreen, QString(nameSize, u'n'),
                                                          Rows({{QStringLiteral("edt"), QString(valueSize, u'v')}})));
    QCOMPARE(tempEntries(), before);
    // The largest sizes are accepted.
    SaveOptionSet(m_op, kScreen, QString(100, u'n'), Rows({{QStringLiteral("edt"), QString(2000, u'v')}}));
    QCOMPARE(OptionSetRows(m_op, kScreen, QString(100, u'n')).front().valor.size(), 2000);
  }

  void badValueSkipsOnlyItsRowWithOneMessage()
  {
    std::vector<TOptionRow> rows = Rows({{QStringLiteral("cmbLinha"), QStringLiteral("L2")},
                                         {QStringLiteral("edtTurno"), QStringLiteral("Dia")},
                                         {QStringLiteral("rbtLGr"), QStringLiteral("True")},
                                         {QStringLiteral("edtFalta"), QStringLiteral("x")}});
    rows.push_back({{}, {}, {}, QStringLiteral("Filtro"), QStringLiteral("TStringList"), QStringLiteral("novo")});
    rows.push_back({{}, {}, {}, QStringLiteral("Extra"), QStringLiteral("TStringList"), QStringLiteral("1")});
    SaveOptionSet(m_op, kScreen, QStringLiteral("A"), rows);
    Form form;
    QStringList variables{QStringLiteral("Filtro=velho"), QStringLiteral("Outra=2")};
    QVERIFY(!RestoreOptionSet(&form, m_op, QStringLiteral("A"), &variables));
    QCOMPARE(form.edtTurno->text(), QStringLiteral("Dia"));
    QVERIFY(form.rbtLGr->isChecked());
    QCOMPARE(variables, (QStringList{QStringLiteral("Filtro=novo"), QStringLiteral("Outra=2"), QStringLiteral("Extra=1")}));
    QCOMPARE(m_prompts.shown,
             QStringList{QStringLiteral("%1:Não foi possível restaurar: cmbLinha (valor \"L2\").").arg(mtError)});
  }

  void fileThatIsNotADatabaseIsReported()
  {
    QVERIFY(QDir().mkpath(OptionsFolder(m_op)));
    QFile file(OptionsFile(m_op));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(4096, 'z')) == 4096);
    file.close();
    try {
      OptionSetNames(m_op, kScreen);
      QFAIL("no error");
    } catch (const EInhouseError &error) {
      QVERIFY2(error.Message().startsWith(QStringLiteral("Arquivo de opções salvas inválido: ")), error.what());
    }
  }

  // A saver killed in the middle of a set leaves a sound file holding every set it reported,
  // and no set in part.
  void killedSaverLosesNoSavedSet()
  {
    QProcess saver;
    saver.start(QStringLiteral(OPTIONSAVER_PATH), {configDir(), m_op, QStringLiteral("K"), QStringLiteral("100000")});
    QStringList printed;
    QTRY_VERIFY_WITH_TIMEOUT(
        (printed += QString::fromUtf8(saver.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts), printed.size() >= 3),
        30000);
    saver.kill();
    QVERIFY(saver.waitForFinished());
    printed += QString::fromUtf8(saver.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    {
      QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
      db.setDatabaseName(OptionsFile(m_op));
      QSqlQuery check(db);
      QVERIFY(db.open() && check.exec(QStringLiteral("PRAGMA integrity_check")) && check.next());
      QCOMPARE(check.value(0).toString(), QStringLiteral("ok"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));

    const QStringList names = OptionSetNames(m_op, QStringLiteral("OPTIONSAVER"));
    for (const QString &name : printed)
      QVERIFY2(names.contains(name), qPrintable(name));
    for (const QString &name : names) {
      const std::vector<TOptionRow> rows = OptionSetRows(m_op, QStringLiteral("OPTIONSAVER"), name);
      QCOMPARE(rows.size(), size_t(20));
      for (size_t r = 0; r < rows.size(); ++r)
        QVERIFY(rows[r].valor.startsWith(QStringLiteral("%1:%2:").arg(name).arg(r)) && rows[r].valor.size() == 1500);
    }
  }

  void twoSaversAtOnceBothSucceed()
  {
    QProcess a, b;
    a.start(QStringLiteral(OPTIONSAVER_PATH), {configDir(), m_op, QStringLiteral("A"), QStringLiteral("30")});
    b.start(QStringLiteral(OPTIONSAVER_PATH), {configDir(), m_op, QStringLiteral("B"), QStringLiteral("30")});
    for (QProcess *p : {&a, &b}) {
      QVERIFY(p->waitForFinished(120000));
      QVERIFY2(p->exitStatus() == QProcess::NormalExit && p->exitCode() == 0, p->readAllStandardError().constData());
    }
    QCOMPARE(OptionSetNames(m_op, QStringLiteral("OPTIONSAVER")).size(), 60);
  }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
