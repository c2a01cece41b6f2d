// Measures the free-hours search as a planner meets it: leaving the criteria panel over a plant
// of 500 equipment for 31 days, 08:00 to 18:00, until the result grid is painted; next to the
// server call alone and to the server's own statements run directly. Prints figures; never
// fails on timing.
#include "freehours/frmhoralivre.h"
#include "package/units.h"

#include <benchkit.h>

#include <inhouse/net/checkresultserv.h>
#include <inhouse/net/packetreader.h>
#include <inhouse/services/application.h>
#include <inhouse/services/brivon.h>
#include <inhouse/services/prompts.h>
#include <inhouse/sql/databaseconnection.h>
#include <zrt/appserver/schema.h>
#include <zrt/appserver/server.h>
#include <zrt/appserver/sqltexts.h>
#include <zrt/common/datetime.h>
#include <zrt/dburl/dburl.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {
constexpr int kEquipment = 500;
constexpr int kDays = 31;
const QDate kFrom(2026, 3, 1);

// Three days in four booked all through the interval, the others with one job of one to three
// hours inside it; a month of the same on each side, so the query has rows to skip.
QString MakePlant(const QString &dir, const QString &connection)
{
  const QString url = QStringLiteral("sqlite:%1/freehours.db").arg(dir);
  zrt::appserver::initSchema(url);
  QSqlDatabase db = zrt::openDatabase(url, connection);
  db.transaction();
  QSqlQuery q(db);
  for (int g = 0; g < 5; ++g)
    q.exec(QStringLiteral("INSERT INTO GRUPOEQUIPA VALUES ('G%1', 'Grupo %1')").arg(g));
  q.prepare(QStringLiteral("INSERT INTO EQUIPAPROD VALUES (?, ?, ?, ?)"));
  for (int i = 0; i < kEquipment; ++i) {
    q.addBindValue(QStringLiteral("EQ%1").arg(i, 4, 10, QLatin1Char('0')));
    q.addBindValue(QStringLiteral("E%1").arg(i));
    q.addBindValue(QStringLiteral("Equipamento de produção %1").arg(i));
    q.addBindValue(QStringLiteral("G%1").arg(i % 5));
    q.exec();
  }
  q.exec(QStringLiteral("INSERT INTO PRODUTO VALUES ('P1', 'Tampa 38mm')"));
  q.exec(QStringLiteral("INSERT INTO ORDPROD VALUES ('OP1', '101001', 'P1', '1')"));
  std::mt19937 rng(11);
  q.prepare(QStringLiteral("INSERT INTO RESEQUIPPROD VALUES (?, 'OP1', ?, ?, 10)"));
  for (int i = 0; i < kEquipment; ++i)
    for (int d = -30; d < kDays + 30; ++d) {
      const QDate day = kFrom.addDays(d);
      QDateTime start(day, QTime(7, 0)), end(day, QTime(19, 0));
      if (rng() % 4 == 0) {
        start = QDateTime(day, QTime(8 + int(rng() % 7), int(rng() % 4) * 15));
        end = start.addSecs(3600 * (1 + int(rng() % 3)));
      }
      q.addBindValue(QStringLiteral("EQ%1").arg(i, 4, 10, QLatin1Char('0')));
      q.addBindValue(start.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
      q.addBindValue(end.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
      q.exec();
    }
  db.commit();
  return url;
}

double Ms(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

double Median(std::vector<double> v)
{
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}
} // namespace

int main(int argc, char **argv)
{
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  KeepMemoryForAnswers(); // as the host does
  QApplication app(argc, argv);
  QTemporaryDir dir;
  TQtPrompts quiet;
  SetErrorReporter([](const QString &e) { std::fprintf(stderr, "error: %s\n", qPrintable(e)); });
  const QString connection = QStringLiteral("bench-freehours");
  const QString url = MakePlant(dir.path(), connection);

  zrt::appserver::ServerOptions o;
  o.dbUrl = url;
  o.accessLog = false;
  zrt::appserver::Server server(o);
  server.start();
  Brivon::Settings s;
  s.webPort = server.port();
  Brivon::Configure(s);

  QMainWindow main;
  main.resize(1200, 800);
  SetMainForm(&main);
  QObject dtm;
  dtm.setObjectName("dtmDBGeral");
  for (const char *name : {"adcGeral", "dtbGeral", "ibtGeral"})
    new TDatabaseConnection(QLatin1String(name), connection, &dtm);
  RegisterDataModule(&dtm);
  main.show();

  Cli_zrt02603::Initialization();
  auto *w = new TfrmHoraLivre;
  w->FormCreate();
  w->EndCreation();
  w->show();
  if (!QTest::qWaitForWindowActive(w))
    std::printf("the window never became active\n");
  w->depInicio->SetDate(kFrom);
  w->depFinal->SetDate(kFrom.addDays(kDays - 1));

  std::printf("%s\n", zrt::bench::machineLine().c_str());
  std::printf("Free-hours search, %d equipment, %d days, 08:00-18:00\n", kEquipment, kDays);
  std::vector<double> whole;
  for (int run = 0; run < 7; ++run) {
    w->dtpFinal->setFocus(); // into the panel: the result empties
    QApplication::processEvents();
    QElapsedTimer t;
    t.start();
    w->dbgPadrao->setFocus(); // out of it: the search
    w->repaint();
    whole.push_back(Ms(t));
  }
  const int rows = w->cdsDados->Active() ? w->cdsDados->RecordCount() : -1;

  // The call alone: server, transfer and packet check, then loading the data set.
  const TServerParams params = {
      false, false, "08:00:00", "18:00:00", "", zrt::toDateTime(kFrom), zrt::toDateTime(kFrom.addDays(kDays - 1)), ""};
  std::vector<double> call, load;
  for (int run = 0; run < 7; ++run) {
    QElapsedTimer t;
    t.start();
    zrt::DataPacket packet = CheckResultServ(w->netHoraLivre->AppServer().Call(QStringLiteral("HoraLivre"), params), true, 0);
    call.push_back(Ms(t));
    t.restart();
    w->cdsDados->SetData(std::move(packet));
    load.push_back(Ms(t));
  }

  // The floor: what the server runs for the call (the equipment list, then the busy time of
  // the period), straight through SQLite's C API.
  std::vector<double> floor;
  long busy = 0;
  {
    using namespace zrt::bench;
    using namespace zrt::appserver::sql;
    auto db = FloorDb::open(url);
    const double first = zrt::toDateTime(kFrom, QTime(8, 0)), last = zrt::toDateTime(kFrom.addDays(kDays - 1), QTime(18, 0));
    const std::vector<Param> selection = {0LL, ";;", 0LL, ";;"};
    for (int run = 0; run < 8; ++run) { // the first one prepares and warms the cache
      const auto t0 = Clock::now();
      db->run(kSqlFreeEquipment, selection);
      std::vector<Param> p = selection;
      p.insert(p.end(), {zrt::toSqlText(last).toStdString(), zrt::toSqlText(first).toStdString(), earliestStart(*db, first)});
      busy = db->run(kSqlFreeBusy, p).rows;
      if (run > 0)
        floor.push_back(msSince(t0));
    }
  }

  const double m = Median(whole), f = Median(floor);
  std::printf("  rows %d (from %ld reservations in the period)\n", rows, busy);
  std::printf("  leave the panel to grid painted: median %.1f ms, best %.1f ms (7 runs)\n", m,
              *std::min_element(whole.begin(), whole.end()));
  std::printf("  of which the call (server, transfer, check) %.1f ms, loading the data set %.1f ms\n", Median(call),
              Median(load));
  std::printf("  floor (equipment + busy-time statements run directly): median %.1f ms; ratio %.2fx  (target <= 2x)\n", f, m / f);

  w->Close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  UnregisterDataModule(&dtm);
  SetMainForm(nullptr);
  return 0;
}
