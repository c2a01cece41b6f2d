// One server call into a client data set against the real application server: the packet
// lands in the set, the wait animation shows only while the call runs, and a failure reaches
// the caller with the animation gone and the set closed, or its rows kept when asked.
#include "plantfixture.h"

#include "shared/servercall.h"

#include <inhouse/net/checkresultserv.h>
#include <inhouse/services/waitanimation.h>
#include <zrt/common/datetime.h>
#include <zrt/common/jsonrpc.h>

#include <QtTest>

class tst_servercall : public QObject {
  Q_OBJECT

  std::unique_ptr<TPlant> plant;
  std::unique_ptr<TNetConnection> net;

private slots:
  void init()
  {
    plant = std::make_unique<TPlant>();
    net = std::make_unique<TNetConnection>();
    net->Host = QStringLiteral("127.0.0.1");
    net->Port = plant->port;
    net->ServerName = QString::fromLatin1(zrt::rpc::kServerName.data(), int(zrt::rpc::kServerName.size()));
    net->Open();
  }

  void cleanup()
  {
    net.reset();
    plant.reset();
  }

  void fillsAndOpensTheSet_data()
  {
    QTest::addColumn<int>("wait");
    QTest::addColumn<int>("depth");
    QTest::newRow("no animation") << int(TCallWait::None) << 0;
    QTest::newRow("the sheet's animation") << int(TCallWait::Sheet) << 1;
    QTest::newRow("a dialog's animation") << int(TCallWait::Dialog) << 1;
  }
  void fillsAndOpensTheSet()
  {
    QFETCH(int, wait);
    QFETCH(int, depth);
    TClientDataSet reservados;
    int opens = 0;
    reservados.AfterOpen = [&](TDataSet &) { ++opens; };
    const QDate today = plant->today;
    CallIntoDataSet(*net, reservados, QStringLiteral("GetReservados"),
                    {"EQ1", "1", "2", "2", zrt::toDateTime(today), zrt::toDateTime(today.addDays(30), QTime(18, 0))},
                    TCallWait(wait));
    QVERIFY(reservados.Active());
    QCOMPARE(opens, 1);
    QVERIFY(reservados.RecordCount() > 0);
    QCOMPARE(reservados.FieldByName(QStringLiteral("NRORDPROD")).AsString(), QStringLiteral("OP1"));
    QCOMPARE(plant->WaitDepths(), QList<int>{depth});
    QCOMPARE(ShowAviDepth(), 0);
    QCOMPARE(plant->CallMethods(), QStringList{QStringLiteral("GetReservados")});
  }

  void failureReachesTheCaller_data()
  {
    QTest::addColumn<bool>("serverDown");
    QTest::newRow("refused by the server") << false;
    QTest::newRow("server gone") << true;
  }
  void failureReachesTheCaller()
  {
    QFETCH(bool, serverDown);
    TClientDataSet hora;
    CallIntoDataSet(*net, hora, QStringLiteral("GetHoraServidor"));
    QVERIFY(hora.Active());
    if (serverDown)
      plant->StopServer();
    bool failed = false;
    try {
      CallIntoDataSet(*net, hora, serverDown ? QStringLiteral("GetHoraServidor") : QStringLiteral("MetodoInexistente"), {},
                      TCallWait::Sheet);
    } catch (const std::exception &e) {
      failed = true;
      QVERIFY2(!QString::fromUtf8(e.what()).isEmpty(), "a failure names its cause");
    }
    QVERIFY(failed);
    QCOMPARE(ShowAviDepth(), 0);
    QCOMPARE(ShowAviWidget(), nullptr);
    QVERIFY(!hora.Active());
  }

  void rowsKeptUntilTheNewResultIsChecked_data()
  {
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("outcome"); // "refused", "server gone" or "answered"
    QTest::addColumn<QStringList>("orders");
    // clang-format off
    QTest::newRow("closed first, server gone") << int(TCallRows::CloseFirst) << "server gone" << QStringList{};
    QTest::newRow("kept, server gone") << int(TCallRows::KeepUntilChecked) << "server gone" << QStringList{QStringLiteral("OP1"), QStringLiteral("OP2")};
    QTest::newRow("kept, refused by the server") << int(TCallRows::KeepUntilChecked) << "refused" << QStringList{QStringLiteral("OP1"), QStringLiteral("OP2")};
    QTest::newRow("kept, then replaced") << int(TCallRows::KeepUntilChecked) << "answered" << QStringList{QStringLiteral("OP2")};
    // clang-format on
  }
  void rowsKeptUntilTheNewResultIsChecked()
  {
    QFETCH(int, rows);
    QFETCH(QString, outcome);
    QFETCH(QStringList, orders);
    const double day = zrt::toDateTime(plant->today.addDays(1));
    const double from = zrt::toDateTime(plant->today), to = zrt::toDateTime(plant->today.addDays(30), QTime(18, 0));
    TClientDataSet dia;
    CallIntoDataSet(*net, dia, QStringLiteral("GetReservaDia"), {"EQ1", "1", "2", "2", day, from, to});
    QCOMPARE(dia.RecordCount(), 2);
    QList<int> recordsWhileCalling;
    auto record = TNetConnection::OnCall;
    TNetConnection::OnCall = [&](const QString &method, const std::string &params) {
      recordsWhileCalling << (dia.Active() ? dia.RecordCount() : -1);
      record(method, params);
    };
    if (outcome == QLatin1String("server gone"))
      plant->StopServer();
    const QString method =
        outcome == QLatin1String("refused") ? QStringLiteral("MetodoInexistente") : QStringLiteral("GetReservaDia");
    bool failed = false;
    try {
      CallIntoDataSet(*net, dia, method, {"EQ10", "1", "2", "2", day, from, to}, TCallWait::Dialog, TCallRows(rows));
    } catch (const std::exception &) {
      failed = true;
    }
    QCOMPARE(failed, outcome != QLatin1String("answered"));
    QCOMPARE(ShowAviDepth(), 0);
    // Closed first: the grid is empty while the call runs, and stays so when it fails.
    QCOMPARE(recordsWhileCalling, QList<int>{TCallRows(rows) == TCallRows::CloseFirst ? -1 : 2});
    QCOMPARE(dia.Active(), !orders.isEmpty());
    QStringList seen;
    if (dia.Active())
      for (dia.First(); !dia.Eof(); dia.Next())
        seen << dia.FieldByName(QStringLiteral("NRORDPROD")).AsString();
    QCOMPARE(seen, orders);
  }
};

QTEST_MAIN(tst_servercall)
#include "tst_servercall.moc"
