// The equipment list's query, and the filter's queries for its pickers, on every database the plant may use: SQLite always,
// PostgreSQL when the test command started one (ZRT_TEST_PG_URL).
#include "plantfixture.h"

#include "shared/pickerqueries.h"
#include "sheet/equipmentquery.h"

#include <inhouse/sql/databaseconnection.h>
#include <zrt/appserver/schema.h>
#include <zrt/dburl/dburl.h>

#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

class tst_equipmentquery : public QObject {
  Q_OBJECT
  QTemporaryDir dir;
  QStringList connections;

  // A database of the kind with groups G1 and G10, equipment EQ1 and EQ10 in G1 and EQ2 in G10.
  QString Connection(const QString &kind)
  {
    return connections.contains(QStringLiteral("eq-") + kind) ? QStringLiteral("eq-") + kind : Prepare(kind);
  }

  static void AddKinds()
  {
    QTest::addColumn<QString>("kind");
    QTest::newRow("sqlite") << QStringLiteral("sqlite");
    QTest::newRow("postgresql") << QStringLiteral("postgresql");
  }

  QString Prepare(const QString &kind)
  {
    QString url;
    if (kind == QLatin1String("sqlite")) {
      url = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("eq.db"));
    } else {
      const QString base = qEnvironmentVariable("ZRT_TEST_PG_URL");
      {
        QSqlDatabase admin = zrt::openDatabase(base, QStringLiteral("pg-admin"));
        QSqlQuery(admin).exec(QStringLiteral("CREATE DATABASE zrt_equipmentquery"));
      }
      QSqlDatabase::removeDatabase(QStringLiteral("pg-admin"));
      url = base.left(base.lastIndexOf(QLatin1Char('/')) + 1) + QStringLiteral("zrt_equipmentquery");
    }
    zrt::appserver::initSchema(url);
    const QString name = QStringLiteral("eq-") + kind;
    QSqlDatabase db = zrt::openDatabase(url, name);
    connections << name;
    QSqlQuery q(db);
    for (const char *sql :
         {"DELETE FROM RESEQUIPPROD", "DELETE FROM EQUIPAPROD", "DELETE FROM GRUPOEQUIPA",
          "INSERT INTO GRUPOEQUIPA VALUES ('G1', 'Injetoras')", "INSERT INTO GRUPOEQUIPA VALUES ('G10', 'Extrusoras')",
          "INSERT INTO EQUIPAPROD VALUES ('EQ1', 'I1', 'Injetora 1', 'G1')",
          "INSERT INTO EQUIPAPROD VALUES ('EQ10', 'I10', 'Injetora 10', 'G1')",
          "INSERT INTO EQUIPAPROD VALUES ('EQ2', 'E2', 'Extrusora 2', 'G10')"})
      if (!q.exec(QLatin1String(sql)))
        qFatal("%s: %s", sql, qPrintable(q.lastError().text()));
    return name;
  }

private slots:
  void cleanupTestCase()
  {
    for (const QString &c : connections)
      QSqlDatabase::removeDatabase(c);
  }

  void selectsWholeCodes_data()
  {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("groups");
    QTest::addColumn<QString>("allGroups");
    QTest::addColumn<QString>("equipment");
    QTest::addColumn<QString>("allEquipment");
    QTest::addColumn<QStringList>("expected");
    for (const char *kind : {"sqlite", "postgresql"}) {
      auto row = [&](const char *name) {
        return &QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(kind), QLatin1String(name))));
      };
      // clang-format off
      *row("all") << kind << "" << "T" << "" << "T" << QStringList({QStringLiteral("EQ1"), QStringLiteral("EQ10"), QStringLiteral("EQ2")});
      *row("EQ1 is not EQ10") << kind << "" << "T" << ";EQ1;" << "" << QStringList({QStringLiteral("EQ1")});
      *row("G1 is not G10") << kind << ";G1;" << "" << "" << "T" << QStringList({QStringLiteral("EQ1"), QStringLiteral("EQ10")});
      *row("G10 only") << kind << ";G10;" << "" << "" << "T" << QStringList({QStringLiteral("EQ2")});
      *row("group and equipment") << kind << ";G1;" << "" << ";EQ2;EQ10;" << "" << QStringList({QStringLiteral("EQ10")});
      *row("empty list, no flag") << kind << "" << "" << "" << "T" << QStringList();
      *row("quote is data") << kind << "" << "T" << "';DROP TABLE EQUIPAPROD;--" << "" << QStringList();
      // clang-format on
    }
  }
  void selectsWholeCodes()
  {
    QFETCH(QString, kind);
    QFETCH(QString, groups);
    QFETCH(QString, allGroups);
    QFETCH(QString, equipment);
    QFETCH(QString, allEquipment);
    QFETCH(QStringList, expected);
    if (kind == QLatin1String("postgresql") && qEnvironmentVariableIsEmpty("ZRT_TEST_PG_URL"))
      QSKIP("no PostgreSQL for this run (ZRT_TEST_PG_URL unset)");
    TDatabaseConnection connection(QStringLiteral("adcGeral"), Connection(kind));
    TADOIBQuery query;
    DefineEquipmentQuery(query);
    query.Bind(&connection, nullptr, nullptr);
    query.ParamByName(QStringLiteral("P_GR")).SetAsString(groups);
    query.ParamByName(QStringLiteral("P_TGR")).SetAsString(allGroups);
    query.ParamByName(QStringLiteral("P_EQ")).SetAsString(equipment);
    query.ParamByName(QStringLiteral("P_TEQ")).SetAsString(allEquipment);
    query.Open();
    QCOMPARE(FieldValues(query, QStringLiteral("CDEQUIPPRO")), expected);
    QCOMPARE(query.FieldByName(QStringLiteral("NMEQUIPPRO")).Label(), QStringLiteral("Nome"));
  }

  void filterPickersListGroupsAndTheirEquipment_data() { AddKinds(); }
  void filterPickersListGroupsAndTheirEquipment()
  {
    QFETCH(QString, kind);
    if (kind == QLatin1String("postgresql") && qEnvironmentVariableIsEmpty("ZRT_TEST_PG_URL"))
      QSKIP("no PostgreSQL for this run (ZRT_TEST_PG_URL unset)");
    TDatabaseConnection connection(QStringLiteral("adcGeral"), Connection(kind));
    TADOIBQuery groups;
    DefineGroupQuery(groups);
    groups.Bind(&connection, nullptr, nullptr);
    groups.Open();
    QCOMPARE(FieldValues(groups, QStringLiteral("CDGRUPOEQUIPA")), (QStringList{QStringLiteral("G1"), QStringLiteral("G10")}));
    TADOIBQuery equipment;
    DefineGroupEquipmentQuery(equipment);
    equipment.Bind(&connection, nullptr, nullptr);
    // clang-format off
    const struct { const char *list, *all; QStringList expected; } cases[] = {
        {"", "T", {QStringLiteral("EQ1"), QStringLiteral("EQ10"), QStringLiteral("EQ2")}},
        {";G1;", "", {QStringLiteral("EQ1"), QStringLiteral("EQ10")}}, // G1 is not G10
        {";G10;", "", {QStringLiteral("EQ2")}},
        {"", "", {}},
        {"';DROP TABLE EQUIPAPROD;--", "", {}},
    };
    // clang-format on
    for (const auto &c : cases) {
      equipment.Close();
      equipment.ParamByName(QStringLiteral("P_GR")).SetAsString(QLatin1String(c.list));
      equipment.ParamByName(QStringLiteral("P_TGR")).SetAsString(QLatin1String(c.all));
      equipment.Open();
      QVERIFY2(FieldValues(equipment, QStringLiteral("CDEQUIPPRO")) == c.expected, c.list);
    }
  }
};

QTEST_GUILESS_MAIN(tst_equipmentquery)
#include "tst_equipmentquery.moc"
