// The core's exceptions and guard, without any widget: the text a user sees for each kind of
// exception, where reports go, and handlers of data sets and data sources run guarded.
#include <inhouse/data/clientdataset.h>
#include <inhouse/data/datasource.h>
#include <inhouse/errors.h>
#include <inhouse/net/checkresultserv.h>
#include <inhouse/net/netconnection.h>
#include <inhouse/text/regional.h>

#include <QSignalSpy>
#include <QtTest>

#include <new>

namespace {
zrt::DataPacket oneRow()
{
  zrt::DataPacket p;
  p.fields = {{"CDEQUIPAMENTO", zrt::FieldType::String, 10}};
  p.rows = {{"EQ1"}};
  return p;
}
} // namespace

class TstErrors : public QObject {
  Q_OBJECT
  QStringList reports;
  QStringList defaultReports;

private slots:
  void init()
  {
    reports.clear();
    defaultReports.clear();
    SetErrorReporter([this](const QString &text) { reports << text; });
    SetDefaultErrorReporter([this](const QString &text) { defaultReports << text; });
  }
  void cleanup()
  {
    SetErrorReporter(nullptr);
    SetDefaultErrorReporter(nullptr);
  }

  void exceptionText_data()
  {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::newRow("data set, thrown in the library") << 0 << QStringLiteral("Campo 'NADA' não encontrado.");
    QTest::newRow("conversion, thrown in the library") << 1 << QStringLiteral("'25:00' não é uma hora válida.");
    QTest::newRow("server") << 2 << QStringLiteral("Equipamento não cadastrado.");
    QTest::newRow("network") << 3 << QStringLiteral("Sem conexão com o servidor.");
    QTest::newRow("standard") << 4 << QStringLiteral("Falha na consulta.");
    QTest::newRow("standard without text") << 5 << QStringLiteral("Erro desconhecido.");
    QTest::newRow("out of memory") << 6 << QStringLiteral("Memória insuficiente.");
    QTest::newRow("not an exception class") << 7 << QStringLiteral("Erro desconhecido.");
  }
  void exceptionText()
  {
    QFETCH(int, kind);
    QFETCH(QString, text);
    auto raise = [kind] {
      TClientDataSet cds;
      switch (kind) {
      case 0:
        cds.SetData(oneRow());
        cds.FieldByName(QStringLiteral("NADA"));
        break;
      case 1: StrToTime(QStringLiteral("25:00")); break;
      case 2: CheckResultServ(ServerResult{false, {}, -32000, QStringLiteral("Equipamento não cadastrado.")}); break;
      case 3: throw ENetError(QStringLiteral("Sem conexão com o servidor."));
      case 4: throw std::runtime_error("Falha na consulta.");
      case 5: throw std::runtime_error("");
      case 6: throw std::bad_alloc();
      case 7: throw 42;
      }
    };
    // The library's own exceptions are caught by their common base here, outside the library.
    bool caughtAsLibraryError = false;
    std::exception_ptr error;
    try {
      raise();
    } catch (const EInhouseError &e) {
      caughtAsLibraryError = true;
      error = std::current_exception();
      QCOMPARE(e.Message(), text);
      QCOMPARE(ExceptionMessage(), text); // the exception being handled
    } catch (...) {
      error = std::current_exception();
      QCOMPARE(ExceptionMessage(), text);
    }
    QCOMPARE(caughtAsLibraryError, kind <= 3);
    QCOMPARE(ExceptionMessage(error), text);
    QCOMPARE(ExceptionMessage(nullptr), QString());

    // The same text reaches the report through the guard.
    QVERIFY(!TryGuarded(raise));
    QCOMPARE(reports, QStringList{text});
  }

  void reportsGoWhereInstalled()
  {
    QVERIFY(TryGuarded([] {}));
    QVERIFY(!TryGuarded([] { Abort(); })); // aborted: silent
    Guarded([] { throw EAbort(); });
    QVERIFY(reports.isEmpty());
    ReportException(nullptr);
    QVERIFY(reports.isEmpty());

    Guarded([] { throw EDatabaseError(QStringLiteral("um")); });
    SetErrorReporter(nullptr); // back to the default sink
    Guarded([] { throw EDatabaseError(QStringLiteral("dois")); });
    QCOMPARE(reports, QStringList{QStringLiteral("um")});
    QCOMPARE(defaultReports, QStringList{QStringLiteral("dois")});

    // A reporter that throws does not let the exception out of the guard.
    SetErrorReporter([](const QString &) { throw std::runtime_error("relatório"); });
    QVERIFY(!TryGuarded([] { throw std::runtime_error("falha"); }));
  }

  void dataSourceStateChangeIsGuarded_data()
  {
    QTest::addColumn<bool>("abort");
    QTest::addColumn<QStringList>("reported");
    QTest::newRow("error") << false << QStringList{QStringLiteral("Equipamento em uso.")};
    QTest::newRow("abort") << true << QStringList();
  }
  void dataSourceStateChangeIsGuarded()
  {
    QFETCH(bool, abort);
    QFETCH(QStringList, reported);
    TClientDataSet cds;
    cds.SetData(oneRow());
    TDataSource dts(nullptr, &cds);
    dts.OnStateChange = [abort](TDataSource &s) {
      if (s.State() != dsEdit)
        return;
      if (abort)
        Abort();
      throw EDatabaseError(QStringLiteral("Equipamento em uso."));
    };
    QSignalSpy sourceStates(&dts, &TDataSource::stateChanged);
    bool afterEditRan = false;
    cds.AfterEdit = [&](TDataSet &) { afterEditRan = true; };

    // The handler's failure is reported; the edit itself completes.
    try {
      cds.Edit();
    } catch (...) {
      QFAIL(qPrintable(QStringLiteral("Edit let the handler's exception out: ") + ExceptionMessage()));
    }
    QCOMPARE(cds.State(), dsEdit);
    QVERIFY(afterEditRan);
    QCOMPARE(sourceStates.count(), 1);
    QCOMPARE(reports, reported);
    cds.FieldByName(QStringLiteral("CDEQUIPAMENTO")).SetAsString(QStringLiteral("EQ2"));
    cds.Post();
    QCOMPARE(dts.State(), dsBrowse);
  }

  void handlerOnACoreSignal()
  {
    // Handler() binds core signals too, with the signal's arguments when the handler takes them.
    TClientDataSet cds;
    QList<TDataSetState> seen;
    QObject::connect(&cds, &TDataSet::stateChanged, &cds, Handler([&](TDataSetState state) {
      seen << state;
      if (state == dsInactive)
        throw EDatabaseError(QStringLiteral("fechado"));
    }));
    cds.SetData(oneRow());
    cds.Close();
    QCOMPARE(seen, (QList<TDataSetState>{dsBrowse, dsInactive}));
    QCOMPARE(reports, QStringList{QStringLiteral("fechado")});
  }
};

QTEST_GUILESS_MAIN(TstErrors)
#include "tst_errors.moc"
