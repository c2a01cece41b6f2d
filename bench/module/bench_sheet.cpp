// Measures the sheet as a planner meets it: opening it over plants of 40 and 20,000 equipment,
// narrowing the 20,000 with the filter's equipment list,
// and rebuilding the week grid for a year with 20,000 reservations on one equipment, next to
// the server's statements run directly, the host memory those rows take, and the
// cell-by-record fill it replaces. Prints figures; never fails on timing.
#include "package/units.h"
#include "sheet/frmplanilha.h"
#include "sheet/weekgrid.h"

#include <benchkit.h>

#include <inhouse/net/checkresultserv.h>
#include <inhouse/net/packetreader.h>
#include <inhouse/services/application.h>
#include <inhouse/services/brivon.h>
#include <inhouse/services/prompts.h>
#include <inhouse/services/texts.h>
#include <inhouse/sql/databaseconnection.h>
#include <inhouse/text/codelist.h>
#include <zrt/appserver/schema.h>
#include <zrt/appserver/server.h>
#include <zrt/appserver/sqltexts.h>
#include <zrt/common/datetime.h>
#include <zrt/common/jsonrpc.h>
#include <zrt/dburl/dburl.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMdiArea>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <malloc.h>
#include <sys/resource.h>

#include <cstdio>
#include <random>

namespace {
struct Plant {
  QString url;
  QString connection;
};

Plant MakePlant(const QString &dir, int equipment, int reservations, const QDate &from, int days)
{
  Plant p;
  p.url = QStringLiteral("sqlite:%1/plant-%2.db").arg(dir).arg(equipment);
  p.connection = QStringLiteral("bench-%1").arg(equipment);
  zrt::appserver::initSchema(p.url);
  QSqlDatabase db = zrt::openDatabase(p.url, p.connection);
  db.transaction();
  QSqlQuery q(db);
  q.exec(QStringLiteral("INSERT INTO GRUPOEQUIPA VALUES ('G1', 'Injetoras')"));
  q.prepare(QStringLiteral("INSERT INTO EQUIPAPROD VALUES (?, ?, ?, 'G1')"));
  for (int i = 0; i < equipment; ++i) {
    q.addBindValue(QStringLiteral("EQ%1").arg(i, 5, 10, QLatin1Char('0')));
    q.addBindValue(QStringLiteral("E%1").arg(i));
    q.addBindValue(QStringLiteral("Equipamento de produção %1").arg(i));
    q.exec();
  }
  q.exec(QStringLiteral("INSERT INTO PRODUTO VALUES ('P1', 'Tampa 38mm')"));
  q.prepare(QStringLiteral("INSERT INTO ORDPROD VALUES (?, '101001', 'P1', ?)"));
  for (int i = 0; i < 500; ++i) {
    q.addBindValue(QStringLiteral("OP%1").arg(i));
    q.addBindValue(QString::number(1 + i % 3));
    q.exec();
  }
  std::mt19937 rng(7);
  q.prepare(QStringLiteral("INSERT INTO RESEQUIPPROD VALUES ('EQ00000', ?, ?, ?, 10)"));
  for (int i = 0; i < reservations; ++i) {
    const QDateTime start(from.addDays(int(rng() % unsigned(days))), QTime(int(rng() % 24), int(rng() % 60), int(i % 60)));
    q.addBindValue(QStringLiteral("OP%1").arg(i % 500));
    q.addBindValue(start.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    q.addBindValue(start.addSecs(3600).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    q.exec();
  }
  db.commit();
  return p;
}

struct Host {
  QMainWindow main;
  QMdiArea *area;
  QObject dtm;
  Host(const QString &connection)
  {
    area = new QMdiArea(&main);
    main.setCentralWidget(area);
    main.resize(1200, 800);
    SetMainForm(&main);
    dtm.setObjectName("dtmDBGeral");
    for (const char *name : {"adcGeral", "dtbGeral", "ibtGeral"})
      new TDatabaseConnection(QLatin1String(name), connection, &dtm);
    RegisterDataModule(&dtm);
    main.show();
  }
  ~Host()
  {
    main.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    UnregisterDataModule(&dtm);
    SetMainForm(nullptr);
  }
};

double Ms(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

// The fill as first written: every cell against every record, comparing texts.
void NaiveFill(TfrmPlanilha *sheet, int columns)
{
  TDataSet *ds = sheet->cdsDiasReservados;
  TStringGrid *g = sheet->stgSemana;
  for (int c = 1; c <= columns; ++c)
    for (int r = 1; r < g->RowCount(); ++r)
      for (int i = 0; i < ds->RecordCount(); ++i) {
        const QString text = ds->Field(ds->FieldByName(QStringLiteral("DTHRINIPROD")).Index())
                                 .DisplayTextOf(ds->CellValue(i, ds->FieldByName(QStringLiteral("DTHRINIPROD")).Index()));
        const int hour = text.mid(11, 2).toInt();
        const QString label = g->Cells(0, r);
        if (label.isEmpty() || label.section(QLatin1Char(':'), 0, 0).toInt() != hour)
          continue;
        if (text.left(10) != g->Cells(c, 0).mid(4, 10))
          continue;
        const QString order = ds->CellValue(i, ds->FieldByName(QStringLiteral("NRORDPROD")).Index()).toString();
        const QString cell = g->Cells(c, r);
        g->SetCells(c, r, EmptyString(cell) ? order : cell + QStringLiteral(" // ") + QStringLiteral(" - ") + order);
      }
}

// The year page over the same year: entering it (request and marks), the twelve calendars
// marked again from the rows already loaded, next to the query run directly and to a
// day-by-record marking.
void YearView(TfrmPlanilha *sheet, const Plant &plant, const QDate &yearStart)
{
  std::printf("\nYear view for the same year and equipment (twelve calendars)\n");
  sheet->RequestOrders(); // stores the period bounds the calendars are asked with
  sheet->pgcOrdemProd->SetActivePage(sheet->tshAno);
  double enter = 1e9;
  for (int run = 0; run < 5; ++run) {
    QElapsedTimer t;
    t.start();
    sheet->pgcOrdemProdChange();
    enter = std::min(enter, Ms(t));
  }
  const int rows = sheet->cdsReseGeral->RecordCount();
  int marked = 0;
  for (TDBCalendar *c : sheet->dbcAno)
    marked += c->MarkedDayCount();

  QSqlDatabase db = QSqlDatabase::database(plant.connection);
  double direct = 1e9;
  for (int run = 0; run < 5; ++run) {
    QElapsedTimer t;
    t.start();
    QSqlQuery q(db);
    q.prepare(QStringLiteral(
        "SELECT R.DTHRINIPROD FROM RESEQUIPPROD R JOIN ORDPROD O ON O.NRORDPROD = R.NRORDPROD"
        " WHERE R.CDEQUIPPRO = ? AND O.IDSITORDPROD IN ('1', '2', '3') AND R.DTHRINIPROD <= ? AND R.DTHRFINPROD > ?"
        " ORDER BY R.DTHRINIPROD, R.NRORDPROD"));
    q.addBindValue(QStringLiteral("EQ00000"));
    q.addBindValue(zrt::toSqlText(sheet->PeriodoFinal()));
    q.addBindValue(zrt::toSqlText(sheet->PeriodoInicial()));
    q.exec();
    int n = 0;
    while (q.next())
      n += !q.value(0).isNull();
    direct = std::min(direct, Ms(t));
  }

  double refill = 1e9;
  for (int run = 0; run < 5; ++run) {
    QElapsedTimer t;
    t.start();
    for (TDBCalendar *c : sheet->dbcAno)
      c->SetDataField(QStringLiteral("DTHRINIPROD"));
    refill = std::min(refill, Ms(t));
  }

  // Every day of the year against every record.
  QElapsedTimer t;
  t.start();
  int naiveMarked = 0;
  const int field = sheet->cdsReseGeral->FieldByName(QStringLiteral("DTHRINIPROD")).Index();
  for (QDate day = yearStart; day.year() == yearStart.year(); day = day.addDays(1))
    for (int i = 0; i < rows; ++i)
      if (zrt::dateOf(sheet->cdsReseGeral->CellValue(i, field).toDouble()) == day) {
        ++naiveMarked;
        break;
      }
  const double naive = Ms(t);
  std::printf("  records %d, days marked %d (day-by-record check: %d)\n", rows, marked, naiveMarked);
  std::printf("  entering \"Ano\" (request, load, marks): %8.1f ms (best of 5); the query run directly %.1f ms; ratio %.1fx\n",
              enter, direct, enter / direct);
  std::printf("  twelve calendars marked again from the loaded rows: %.2f ms (best of 5)\n", refill);
  std::printf("  day-by-record marking of the year: %.1f ms; ratio %.0fx\n", naive, naive / refill);
}

struct Memory {
  double rssMb, heapMb;
};
Memory MemoryNow()
{
  const struct mallinfo2 m = mallinfo2();
  return {double(zrt::bench::procStatusKiB(0, "VmRSS")) / 1024, double(m.uordblks + m.hblkhd) / (1024 * 1024)};
}

// What the server runs for GetDiasReservados over the year, straight through SQLite's C API.
double DaysFloor(const QString &url, const QDate &yearStart)
{
  using namespace zrt::bench;
  auto db = FloorDb::open(url);
  const double from = zrt::toDateTime(yearStart), to = zrt::toDateTime(yearStart.addDays(364));
  const std::string dayAfter = zrt::toSqlText(to + 1).toStdString(), first = zrt::toSqlText(from).toStdString();
  double best = 1e9;
  for (int run = 0; run < 6; ++run) { // the first one prepares and warms the cache
    const auto t0 = Clock::now();
    db->run(zrt::appserver::sql::kSqlDays, {"EQ00000", "1", "2", "3", dayAfter, first, earliestStart(*db, from)});
    if (run > 0)
      best = std::min(best, msSince(t0));
  }
  return best;
}

long PeakKb()
{
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}
// Confirming the filter with a list of n equipment codes over the whole plant: the sheet's
// equipment query closed, given the lists and opened again (its first row asks for orders), next
// to the same query run directly. The list is tested as text inside each row's condition, so the
// cost grows with rows times list length.
void FilterConfirm(TfrmPlanilha *sheet, const Plant &plant, int equipment)
{
  std::printf("\nFilter confirmed with an equipment list, %d equipment in the plant\n", equipment);
  TADOIBQuery &q = *sheet->qryEquipamento;
  for (int n : {10, 1000, 20000}) {
    QStringList codes;
    for (int i = 0; i < n; ++i)
      codes << QStringLiteral("EQ%1").arg(qint64(i) * equipment / n, 5, 10, QLatin1Char('0'));
    const QString list = CodeList(codes);
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
      QElapsedTimer t;
      t.start();
      q.Close();
      q.ParamByName(QStringLiteral("P_GR")).SetAsString(QString());
      q.ParamByName(QStringLiteral("P_TGR")).SetAsString(QStringLiteral("T"));
      q.ParamByName(QStringLiteral("P_EQ")).SetAsString(list);
      q.ParamByName(QStringLiteral("P_TEQ")).SetAsString(QString());
      q.Open();
      QApplication::processEvents();
      best = std::min(best, Ms(t));
    }
    QStringList names;
    const QString sql = ConvertNamedParams(q.ActiveSQL(), &names);
    double floor = 1e9;
    int rows = 0;
    for (int run = 0; run < 3; ++run) {
      QElapsedTimer t;
      t.start();
      QSqlQuery direct(QSqlDatabase::database(plant.connection));
      direct.setForwardOnly(true);
      direct.prepare(sql);
      for (const QString &name : names)
        direct.addBindValue(name == QStringLiteral("P_EQ")    ? list
                            : name == QStringLiteral("P_TGR") ? QStringLiteral("T")
                                                              : QString());
      direct.exec();
      rows = 0;
      while (direct.next())
        ++rows;
      floor = std::min(floor, Ms(t));
    }
    std::printf("  %5d codes (%6lld characters): %7.1f ms (best of 3); the query run directly %7.1f ms; ratio %.1fx; rows %d\n",
                n, qint64(list.size()), best, floor, best / floor, q.RecordCount());
    if (rows != q.RecordCount())
      std::printf("  unexpected row count %d\n", rows);
  }
}
} // namespace

int main(int argc, char **argv)
{
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  KeepMemoryForAnswers(); // as the host does
  QApplication app(argc, argv);
  QTemporaryDir dir;
  const QDate yearStart(2026, 1, 1);
  TQtPrompts quiet;
  SetErrorReporter([](const QString &e) { std::fprintf(stderr, "error: %s\n", qPrintable(e)); });

  std::printf("%s\n", zrt::bench::machineLine().c_str());
  std::printf("Opening the sheet (IniProc: creation, equipment list, first request, activation)\n");
  for (int equipment : {40, 20000}) {
    const Plant plant = MakePlant(dir.path(), equipment, equipment == 40 ? 200 : 20000, yearStart, 365);
    zrt::appserver::ServerOptions o;
    o.dbUrl = plant.url;
    o.accessLog = false;
    zrt::appserver::Server server(o);
    server.start();
    Brivon::Settings s;
    s.webPort = server.port();
    Brivon::Configure(s);
    Cli_zrt02600::Initialization();
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
      Host host(plant.connection);
      QApplication::processEvents();
      QElapsedTimer t;
      t.start();
      Cli_zrt02600::IniProc();
      QApplication::processEvents();
      best = std::min(best, Ms(t));
      if (Cli_zrt02600::frmPlanilha->qryEquipamento->RecordCount() != equipment)
        std::printf("  unexpected equipment count\n");
      if (run == 2 && equipment == 20000) {
        std::printf("  %6d equipment: %8.1f ms (best of 3)   peak RSS so far %ld MB\n", equipment, best, PeakKb() / 1024);
        FilterConfirm(Cli_zrt02600::frmPlanilha, plant, equipment);
      }
      Cli_zrt02600::frmPlanilha->Close();
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
      Cli_zrt02600::Initialization();
    }
    if (equipment != 20000)
      std::printf("  %6d equipment: %8.1f ms (best of 3)   peak RSS so far %ld MB\n", equipment, best, PeakKb() / 1024);
  }

  std::printf("\nWeek grid for one year, hours 00:00-23:00, 20,000 reservations on one equipment\n");
  const Plant plant = MakePlant(dir.path(), 41, 20000, yearStart, 365);
  // The server in its own process: the host's memory below is then the host's alone.
  zrt::bench::ServerProcess server(plant.url, 2);
  if (!server.started()) {
    std::printf("server did not start\n");
    return 1;
  }
  Brivon::Settings s;
  s.webPort = server.port();
  Brivon::Configure(s);
  Host host(plant.connection);
  Cli_zrt02600::Initialization();
  Cli_zrt02600::IniProc();
  QApplication::processEvents();
  const Memory idle = MemoryNow();
  TfrmPlanilha *sheet = Cli_zrt02600::frmPlanilha;
  sheet->depInicio->SetDate(yearStart);
  sheet->depFinal->SetDate(yearStart.addDays(364));
  sheet->medHoraIni->SetText(QStringLiteral("00:00"));
  sheet->medHoraFin->SetText(QStringLiteral("23:00"));
  double whole = 1e9;
  for (int run = 0; run < 5; ++run) {
    QElapsedTimer t;
    t.start();
    sheet->ControlaSemana();
    whole = std::min(whole, Ms(t));
  }
  int filled = 0;
  for (int c = 1; c < sheet->stgSemana->ColCount(); ++c)
    for (int r = 1; r < sheet->stgSemana->RowCount(); ++r)
      filled += !sheet->stgSemana->Cells(c, r).isEmpty();
  std::printf("  records %d, grid %d x %d, cells filled %d\n", sheet->cdsDiasReservados->RecordCount(),
              sheet->stgSemana->ColCount(), sheet->stgSemana->RowCount(), filled);
  const Memory loaded = MemoryNow();
  const double floor = DaysFloor(plant.url, yearStart);
  std::printf("  ControlaSemana (request, build, fill): %8.1f ms (best of 5)  (target < 100 ms)\n", whole);
  std::printf("  floor (GetDiasReservados statements run directly): %.1f ms (best of 5); ratio %.2fx  (target <= 2x)\n", floor,
              whole / floor);
  std::printf(
      "  host memory, sheet idle -> after ControlaSemana: RSS %.1f -> %.1f MB (+%.1f), heap in use %.1f -> %.1f MB (+%.1f)"
      "  (target < +20 MB)\n",
      idle.rssMb, loaded.rssMb, loaded.rssMb - idle.rssMb, idle.heapMb, loaded.heapMb, loaded.heapMb - idle.heapMb);

  // Where the request's time goes, best of 5 each: the call (server, transfer, reading the
  // answer into rows), the result check, loading the data set.
  {
    const TServerParams params = {"EQ00000", zrt::toDateTime(yearStart), zrt::toDateTime(yearStart.addDays(364)), "1", "2", "2"};
    double call = 1e9, check = 1e9, load = 1e9;
    for (int run = 0; run < 5; ++run) {
      QElapsedTimer step;
      step.start();
      TPacketAnswer answer = sheet->netPlanilha->AppServer().CallData(QStringLiteral("GetDiasReservados"), params);
      call = std::min(call, Ms(step));
      step.restart();
      TDataTable table = CheckResultServ(std::move(answer), true, 0);
      check = std::min(check, Ms(step));
      step.restart();
      sheet->cdsDiasReservados->SetData(std::move(table));
      load = std::min(load, Ms(step));
    }
    std::printf("  request: call %.1f ms, result check %.1f ms, SetData %.1f ms (best of 5 each)\n", call, check, load);
    // The call's own parts: the server's answer over HTTP, then reading that body into rows.
    zrt::bench::HttpClient client(server.port());
    const std::string request = zrt::rpc::makeRequest(
        "GetDiasReservados",
        {"EQ00000", zrt::toDateTime(yearStart), zrt::toDateTime(yearStart.addDays(364)), "1", "2", "2"}, 1)
                                  .dump();
    double answer = 1e9, read = 1e9;
    std::string body;
    for (int run = 0; run < 5; ++run) {
      QElapsedTimer step;
      step.start();
      body = client.post(request);
      answer = std::min(answer, Ms(step));
    }
    for (int run = 0; run < 5; ++run) {
      QElapsedTimer step;
      step.start();
      const TPacketAnswer parsed = ReadPacketAnswer(body);
      read = std::min(read, Ms(step));
    }
    std::printf("  of the call: server answer over HTTP %.1f ms (%.1f MB), reading it into rows %.1f ms (best of 5 each)\n",
                answer, double(body.size()) / (1 << 20), read);
  }
  QElapsedTimer t;
  t.start();
  sheet->stgSemana->BeginUpdate();
  sheet->GeraGrade(0);
  sheet->LimpaGrid();
  const double build = Ms(t);
  t.restart();
  sheet->FillWeekGridFromData();
  const double fill = Ms(t);
  sheet->stgSemana->EndUpdate();
  // The shading's own arithmetic, on the rows the fill read.
  const TWeekGridShape shape = WeekGridShape(yearStart, yearStart.addDays(364), 0, 23);
  const std::vector<TWeekReservation> rs = sheet->WeekRows();
  t.restart();
  const std::vector<TWeekCellLoad> load = WeekOccupancy(shape, rs);
  const double occupancy = Ms(t);
  int shaded = 0;
  for (const TWeekCellLoad &cell : load)
    shaded += cell.count > 0;
  t.restart();
  const QString hint = sheet->stgSemana->CellHint(100, 10);
  const double hintMs = Ms(t);
  std::printf("  of which grid build + clear %.1f ms, fill (numbers, shading) %.1f ms; occupancy alone %.1f ms for %d shaded "
              "cells; one tooltip %.2f ms (%lld characters)\n",
              build, fill, occupancy, shaded, hintMs, qlonglong(hint.size()));

  // The cell-by-record fill on the first columns, scaled to the whole year.
  const int sample = 3;
  sheet->stgSemana->BeginUpdate();
  sheet->LimpaGrid();
  t.restart();
  NaiveFill(sheet, sample);
  const double naiveSample = Ms(t);
  sheet->stgSemana->EndUpdate();
  const double naive = naiveSample * (sheet->stgSemana->ColCount() - 1) / sample;
  std::printf("  cell-by-record fill: %.1f ms for %d columns, about %.0f s for the year; ratio %.0fx\n", naiveSample, sample,
              naive / 1000, naive / fill);

  YearView(sheet, plant, yearStart);
  std::printf("\npeak RSS %ld MB\n", PeakKb() / 1024);
  sheet->Close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return 0;
}
