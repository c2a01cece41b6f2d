// The package's unit table and the unit state its initialisation and finalisation look after.
#include "package/units.h"

#include <QtTest>

class TestUnits : public QObject {
  Q_OBJECT
private slots:
  void tableListsTheUnitsInOrder()
  {
    int count = 0;
    const zrt02600::UnitEntry *units = zrt02600::Units(&count);
    QStringList names;
    for (int i = 0; i < count; ++i)
      names << QString::fromLatin1(units[i].name);
    QCOMPARE(names, (QStringList{QStringLiteral("Cli_zrt02600"), QStringLiteral("Cli_zrt02601"), QStringLiteral("Cli_zrt02602"),
                                 QStringLiteral("Cli_zrt02603")}));
    // The filter's unit needs no initialisation; every unit releases its state at the end.
    QVERIFY(!units[1].initialization);
    for (int i = 0; i < count; ++i)
      QVERIFY2(units[i].finalization, units[i].name);
  }

  void initialisationClearsTheModalWindowsFlags()
  {
    Cli_zrt02602::boStCriado = true;
    Cli_zrt02603::boIdCriado = true;
    zrt02600::InitializeUnits();
    QVERIFY(!Cli_zrt02602::boStCriado);
    QVERIFY(!Cli_zrt02603::boIdCriado);
  }

  void finalisationReleasesTheTexts()
  {
    zrt02600::InitializeUnits();
    const QString code = QStringLiteral(";EQ1;EQ10;");
    Cli_zrt02601::ListaGrupos = Cli_zrt02601::ListaEquipamentos = code;
    Cli_zrt02601::boStCriado = Cli_zrt02601::BoExecut = true;
    Cli_zrt02601::Filtro = {{true, code}, {false, code}};
    Cli_zrt02602::P_EQUIP = QStringLiteral("EQ1");
    Cli_zrt02602::P_PEND = QStringLiteral("1");
    Cli_zrt02602::P_AND = Cli_zrt02602::P_CONC = QStringLiteral("2");
    Cli_zrt02602::P_DIA = 46000;
    Cli_zrt02603::ListaGrupos = Cli_zrt02603::ListaEquipamentos = code;
    zrt02600::FinalizeUnits();

    const QString texts[] = {Cli_zrt02601::ListaGrupos,
                             Cli_zrt02601::ListaEquipamentos,
                             Cli_zrt02601::Filtro.Grupos.Codigos,
                             Cli_zrt02601::Filtro.Equipamentos.Codigos,
                             Cli_zrt02602::P_EQUIP,
                             Cli_zrt02602::P_PEND,
                             Cli_zrt02602::P_AND,
                             Cli_zrt02602::P_CONC,
                             Cli_zrt02603::ListaGrupos,
                             Cli_zrt02603::ListaEquipamentos};
    for (const QString &text : texts)
      QVERIFY(text.isNull());
    // What the next load finds: nothing left of this one.
    QVERIFY(!Cli_zrt02601::boStCriado);
    QVERIFY(!Cli_zrt02601::BoExecut);
    QVERIFY(!Cli_zrt02601::Filtro.Grupos.boTodos);
    QCOMPARE(Cli_zrt02602::P_DIA, 0.0);
  }
};

QTEST_MAIN(TestUnits)
#include "tst_units.moc"
