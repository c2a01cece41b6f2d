// Names the library gives controls for assistive technology.
#include <inhouse/services/texts.h>
#include <inhouse/ui/accessibility.h>
#include <inhouse/ui/buttons.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class tst_ui_accessibility : public QObject {
  Q_OBJECT

private slots:
  void nameComesFromHintThenCaptionThenLabel_data()
  {
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("name");
    // clang-format off
    QTest::newRow("hint wins") << "Confirmar" << "&OK" << "Rótulo" << "Confirmar";
    QTest::newRow("caption without its mnemonic") << "" << "Fec&har" << "Rótulo" << "Fechar";
    QTest::newRow("label naming the control") << "" << "" << "&até" << "até";
    QTest::newRow("rich-text hint said as words") << "<b>Pendente</b>" << "" << "" << "Pendente";
    QTest::newRow("nothing to say") << "" << "" << "" << "";
    // clang-format on
  }

  void nameComesFromHintThenCaptionThenLabel()
  {
    QFETCH(QString, hint);
    QFETCH(QString, caption);
    QFETCH(QString, label);
    QFETCH(QString, name);
    QWidget window;
    auto *button = new QPushButton(caption, &window);
    button->setToolTip(hint);
    auto *naming = new QLabel(label, &window);
    if (!label.isEmpty())
      naming->setBuddy(button);
    QCOMPARE(AccessibleNameFor(button), name);
  }

  void tradNamesEveryReachableControlAndKeepsGivenNames()
  {
    QWidget window;
    auto *flat = new TButtonFlat(&window);
    flat->SetHint(QStringLiteral("Procurar"));
    auto *edit = new QLineEdit(&window);
    auto *label = new QLabel(QStringLiteral("de"), &window);
    label->setBuddy(edit);
    auto *named = new QLineEdit(&window);
    named->setAccessibleName(QStringLiteral("Hora inicial"));
    named->setToolTip(QStringLiteral("outro texto"));
    Trad(&window);
    QCOMPARE(flat->accessibleName(), QStringLiteral("Procurar"));
    QCOMPARE(edit->accessibleName(), QStringLiteral("de"));
    QCOMPARE(named->accessibleName(), QStringLiteral("Hora inicial"));
    // A label takes no focus and is not clicked: it is not named after itself.
    QVERIFY(label->accessibleName().isEmpty());
  }
};

QTEST_MAIN(tst_ui_accessibility)
#include "tst_ui_accessibility.moc"
