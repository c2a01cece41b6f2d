#include "methods.h"

#include "freehours.h"
#include "logging.h"
#include "metrics.h"
#include "packetwriter.h"

#include <zrt/appserver/sqltexts.h>
#include <zrt/common/datetime.h>
#include <zrt/common/jsonrpc.h>
#include <zrt/dburl/dburl.h>

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <array>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace zrt::appserver {
namespace {

using nlohmann::json;
using namespace sql;

// ---- values -----------------------------------------------------------------------------------

const qint64 kEpochJulianDay = QDate(1899, 12, 30).toJulianDay();

// Seconds since 30 December 1899 of a date-time column's text ("YYYY-MM-DD HH:MM:SS", as
// SQLite stores it and PostgreSQL writes it; a fraction of a second is dropped). Read by hand:
// it is the hot loop of every method. Other spellings go through the general reader.
std::optional<std::int64_t> secondsOf(std::string_view s)
{
  auto digits = [&s](std::size_t from, std::size_t n, int &out) {
    out = 0;
    for (std::size_t i = from; i < from + n; ++i) {
      if (s[i] < '0' || s[i] > '9')
        return false;
      out = out * 10 + (s[i] - '0');
    }
    return true;
  };
  // Rows come ordered by time, so most share the previous row's day: its day number is kept.
  thread_local char lastDate[10] = {};
  thread_local std::int64_t lastDay = 0;
  int y, mo, d, h = 0, mi = 0, se = 0;
  if (s.size() >= 10 && s[4] == '-' && s[7] == '-') {
    const bool hasTime = s.size() >= 19 && digits(11, 2, h) && digits(14, 2, mi) && digits(17, 2, se);
    if ((hasTime || s.size() == 10) && h < 24 && mi < 60 && se < 60) {
      if (std::memcmp(lastDate, s.data(), 10) == 0)
        return lastDay * kSecondsPerDay + h * 3600 + mi * 60 + se;
      const QDate date(digits(0, 4, y) ? y : 0, digits(5, 2, mo) ? mo : 0, digits(8, 2, d) ? d : 0);
      if (date.isValid()) {
        std::memcpy(lastDate, s.data(), 10);
        lastDay = date.toJulianDay() - kEpochJulianDay;
        return lastDay * kSecondsPerDay + h * 3600 + mi * 60 + se;
      }
    }
  }
  if (auto t = fromSqlText(QString::fromUtf8(s.data(), qsizetype(s.size()))))
    return std::llround(*t * double(kSecondsPerDay));
  return std::nullopt;
}

std::optional<std::int64_t> secondsOf(const SqlRows &rows, int column)
{
  if (rows.isNull(column))
    return std::nullopt;
  return secondsOf(rows.text(column));
}

// The day-based value of a date-time column; none when it is NULL or no date.
std::optional<double> dateTimeOf(const SqlRows &rows, int column)
{
  const auto s = secondsOf(rows, column);
  if (!s)
    return std::nullopt;
  const std::int64_t days = *s >= 0 ? *s / kSecondsPerDay : -((-*s + kSecondsPerDay - 1) / kSecondsPerDay);
  const std::int64_t rest = *s - days * kSecondsPerDay;
  return composeDateTime(days, rest * 1000);
}

void writeText(PacketWriter &out, const SqlRows &rows, int column)
{
  if (rows.isNull(column))
    out.null();
  else
    out.text(rows.text(column));
}

// ---- arguments --------------------------------------------------------------------------------

// User text echoed in a message is kept short.
std::string clip(const std::string &s) { return s.size() <= 40 ? s : s.substr(0, 40) + "..."; }

[[noreturn]] void badParams(const std::string &why) { throw CallError(rpc::kInvalidParams, "Parâmetros inválidos: " + why); }

void expectCount(const json &params, std::size_t n, const char *method)
{
  if (params.size() != n)
    badParams(std::string(method) + " espera " + std::to_string(n) + " argumentos, recebeu " + std::to_string(params.size()) +
              ".");
}

std::string argText(const json &params, std::size_t i, const char *what)
{
  const json &v = params.at(i);
  if (!v.is_string())
    badParams(std::string(what) + " deve ser um texto.");
  return v.get<std::string>();
}

double argDateTime(const json &params, std::size_t i, const char *what)
{
  const json &v = params.at(i);
  if (!v.is_number())
    badParams(std::string(what) + " deve ser uma data (número).");
  const double d = v.get<double>();
  if (!isValidDateTime(d))
    badParams(std::string(what) + " fora do intervalo de datas válido.");
  return d;
}

bool argFlag(const json &params, std::size_t i, const char *what)
{
  const json &v = params.at(i);
  if (v.is_boolean())
    return v.get<bool>();
  if (v.is_number_integer()) // a variant boolean may arrive as 0 / -1
    return v.get<std::int64_t>() != 0;
  badParams(std::string(what) + " deve ser verdadeiro ou falso.");
}

// The client sends "2" for concluded exactly as for in progress, so the texts cannot be matched
// against IDSITORDPROD: the position of a non-empty argument says which status it selects.
std::array<SqlParam, 3> statusCodes(const std::string &pend, const std::string &and_, const std::string &conc)
{
  auto code = [](const std::string &arg, const char *status) { return arg.empty() ? SqlParam() : SqlParam(std::string(status)); };
  return {code(pend, "1"), code(and_, "2"), code(conc, "3")};
}

// ";A;B;" whatever the picker's edges: a code is selected when ";CODE;" occurs in it.
std::string codeList(const std::string &list) { return ';' + list + ';'; }

SqlParam sqlTime(double value) { return toSqlText(value).toStdString(); }

// The earliest start a reservation reaching past `after` can have, as bound text. Read per
// call (an index answers it) so a reservation added meanwhile is never missed.
SqlParam earliestStart(Store &store, double after)
{
  SqlRows &r = store.run(store.isPostgres() ? kSqlLongestPostgres : kSqlLongestSQLite, {});
  double longest = 0;
  if (r.next())
    longest = std::max(0.0, r.number(0).value_or(0.0));
  const double bound = after - longest - 2.0 / double(kSecondsPerDay); // margin for rounding to seconds
  return sqlTime(isValidDateTime(bound) ? bound : kMinDateTime);
}

// ---- packets ----------------------------------------------------------------------------------

const std::vector<FieldDef> &fieldsReservados()
{
  static const std::vector<FieldDef> f = {{"NRORDPROD", FieldType::String, 10},    {"CDARVPROD", FieldType::String, 20},
                                          {"CDPRODUTO", FieldType::String, 10},    {"PRODUTO", FieldType::String, 50},
                                          {"DTHRINIPROD", FieldType::DateTime, 0}, {"DTHRFINPROD", FieldType::DateTime, 0},
                                          {"IDSITORDPROD", FieldType::String, 1},  {"QTPRODRESPROC", FieldType::Float, 0}};
  return f;
}

// Column positions in RESERVATION_COLUMNS.
enum { cOrd, cArv, cProd, cNome, cIni, cFim, cSit, cQt };

// Writes the rows of one reservation query laid out in `order` (positions of RESERVATION_COLUMNS).
std::size_t reservationPacket(SqlRows &rows, const std::vector<FieldDef> &fields, std::initializer_list<int> order,
                              std::string &out)
{
  PacketWriter w(out, fields);
  while (rows.next()) {
    w.beginRow();
    for (int c : order) {
      switch (c) {
      case cIni:
      case cFim: w.number(dateTimeOf(rows, c)); break;
      case cQt: w.number(rows.number(c)); break;
      default: writeText(w, rows, c); break;
      }
    }
    w.endRow();
  }
  return w.finish();
}

std::vector<SqlParam> statusAndEquipment(const std::string &equip, const std::array<SqlParam, 3> &st)
{
  return {equip, st[0], st[1], st[2]};
}

// ---- the methods ------------------------------------------------------------------------------

std::size_t getHoraServidor(const json &params, std::string &out)
{
  expectCount(params, 0, "GetHoraServidor");
  PacketWriter w(out, {{"DATA", FieldType::DateTime, 0}});
  w.beginRow();
  w.number(toDateTime(QDateTime::currentDateTime()));
  w.endRow();
  return w.finish();
}

// GetReservados and GetReseGeral: equipment, three statuses, period start, period end.
std::size_t periodCall(Store &store, const json &params, const char *method, bool startsOnly, std::string &out)
{
  expectCount(params, 6, method);
  const std::string equip = argText(params, 0, "o código do equipamento");
  const auto st = statusCodes(argText(params, 1, "a situação pendente"), argText(params, 2, "a situação em andamento"),
                              argText(params, 3, "a situação concluída"));
  const double from = argDateTime(params, 4, "a data inicial do período");
  const double to = argDateTime(params, 5, "a data final do período");
  std::vector<SqlParam> binds = statusAndEquipment(equip, st);
  binds.push_back(sqlTime(to));
  binds.push_back(sqlTime(from));
  binds.push_back(earliestStart(store, from));
  SqlRows &rows = store.run(startsOnly ? kSqlStartsInPeriod : kSqlPeriod, binds);
  if (!startsOnly)
    return reservationPacket(rows, fieldsReservados(), {cOrd, cArv, cProd, cNome, cIni, cFim, cSit, cQt}, out);
  PacketWriter w(out, {{"DTHRINIPROD", FieldType::DateTime, 0}});
  while (rows.next()) {
    w.beginRow();
    w.number(dateTimeOf(rows, 0));
    w.endRow();
  }
  return w.finish();
}

std::size_t getDiasReservados(Store &store, const json &params, std::string &out)
{
  expectCount(params, 6, "GetDiasReservados");
  const std::string equip = argText(params, 0, "o código do equipamento");
  const double from = dayOf(argDateTime(params, 1, "a data inicial"));
  const double to = dayOf(argDateTime(params, 2, "a data final"));
  const auto st = statusCodes(argText(params, 3, "a situação pendente"), argText(params, 4, "a situação em andamento"),
                              argText(params, 5, "a situação concluída"));
  if (!isValidDateTime(to + 1))
    badParams("a data final fora do intervalo de datas válido.");
  static const std::vector<FieldDef> fields = {{"CDARVPROD", FieldType::String, 20},    {"NRORDPROD", FieldType::String, 10},
                                               {"CDPRODUTO", FieldType::String, 10},    {"PRODUTO", FieldType::String, 50},
                                               {"DTHRINIPROD", FieldType::DateTime, 0}, {"QTPRODRESPROC", FieldType::Float, 0},
                                               {"DTHRFINPROD", FieldType::DateTime, 0}, {"IDSITORDPROD", FieldType::String, 1}};
  std::vector<SqlParam> binds = statusAndEquipment(equip, st);
  binds.push_back(sqlTime(to + 1));
  binds.push_back(sqlTime(from));
  binds.push_back(earliestStart(store, from));
  return reservationPacket(store.run(kSqlDays, binds), fields, {cArv, cOrd, cProd, cNome, cIni, cQt, cFim, cSit}, out);
}

std::size_t getReservaDia(Store &store, const json &params, std::string &out)
{
  expectCount(params, 7, "GetReservaDia");
  const std::string equip = argText(params, 0, "o código do equipamento");
  const auto st = statusCodes(argText(params, 1, "a situação pendente"), argText(params, 2, "a situação em andamento"),
                              argText(params, 3, "a situação concluída"));
  const double day = dayOf(argDateTime(params, 4, "o dia"));
  const double from = argDateTime(params, 5, "a data inicial do período");
  const double to = argDateTime(params, 6, "a data final do período");
  if (!isValidDateTime(day + 1))
    badParams("o dia fora do intervalo de datas válido.");
  static const std::vector<FieldDef> fields = {{"NRORDPROD", FieldType::String, 10},    {"CDARVPROD", FieldType::String, 20},
                                               {"CDPRODUTO", FieldType::String, 10},    {"NMPRODUTO", FieldType::String, 50},
                                               {"DTHRINIPROD", FieldType::DateTime, 0}, {"DTHRFINPROD", FieldType::DateTime, 0},
                                               {"QTPRODRESPROC", FieldType::Float, 0},  {"IDSITORDPROD", FieldType::String, 1}};
  std::vector<SqlParam> binds = statusAndEquipment(equip, st);
  binds.push_back(sqlTime(day + 1));
  binds.push_back(sqlTime(day));
  binds.push_back(sqlTime(to));
  binds.push_back(sqlTime(from));
  binds.push_back(earliestStart(store, std::max(day, from)));
  return reservationPacket(store.run(kSqlDayInPeriod, binds), fields, {cOrd, cArv, cProd, cNome, cIni, cFim, cQt, cSit}, out);
}

constexpr int kMaxFreeHoursDays = 366;

// "HH:MM" of a time of day, into a buffer of at least 6 characters.
std::string_view hourTextOf(std::int64_t seconds, char *buf)
{
  std::int64_t t = seconds % kSecondsPerDay;
  if (t < 0)
    t += kSecondsPerDay;
  const int h = int(t / 3600), m = int(t / 60 % 60);
  buf[0] = char('0' + h / 10), buf[1] = char('0' + h % 10), buf[2] = ':', buf[3] = char('0' + m / 10),
  buf[4] = char('0' + m % 10);
  return {buf, 5};
}

std::size_t horaLivre(Store &store, const json &params, std::string &out)
{
  expectCount(params, 8, "HoraLivre");
  const bool listGroups = argFlag(params, 0, "a opção de lista de grupos");
  const bool listEquip = argFlag(params, 1, "a opção de lista de equipamentos");
  const std::string h0text = argText(params, 2, "a hora inicial");
  const std::string h1text = argText(params, 3, "a hora final");
  const std::string groups = codeList(argText(params, 4, "a lista de grupos"));
  const double d0 = dayOf(argDateTime(params, 5, "a data inicial"));
  const double d1 = dayOf(argDateTime(params, 6, "a data final"));
  const std::string equipment = codeList(argText(params, 7, "a lista de equipamentos"));

  const auto h0 = parseHourText(QString::fromStdString(h0text));
  if (!h0)
    badParams("hora inicial \"" + clip(h0text) + "\" não é um horário válido.");
  const auto h1 = parseHourText(QString::fromStdString(h1text));
  if (!h1)
    badParams("hora final \"" + clip(h1text) + "\" não é um horário válido.");
  if (*h0 > *h1)
    badParams("o intervalo inicial deve ser menor ou igual ao intervalo final.");
  if (d1 < d0)
    badParams("a data inicial deve ser menor ou igual à data final.");
  const std::int64_t day0 = std::llround(d0), day1 = std::llround(d1);
  if (day1 - day0 + 1 > kMaxFreeHoursDays)
    badParams("o período não pode passar de " + std::to_string(kMaxFreeHoursDays) + " dias.");

  const std::vector<SqlParam> selection = {std::int64_t(listGroups ? 1 : 0), groups, std::int64_t(listEquip ? 1 : 0), equipment};
  struct Equip {
    std::string code, name;
    std::vector<Interval> busy;
  };
  std::vector<Equip> list;
  // By code, not by walking both lists in step: the database's collation orders the codes,
  // and it need not be the byte order.
  std::unordered_map<std::string, std::size_t> byCode;
  {
    SqlRows &rows = store.run(kSqlFreeEquipment, selection);
    while (rows.next()) {
      list.push_back({std::string(rows.text(0)), std::string(rows.text(1)), {}});
      byCode.emplace(list.back().code, list.size() - 1);
    }
  }
  const std::int64_t first = day0 * kSecondsPerDay + *h0;
  const std::int64_t last = day1 * kSecondsPerDay + *h1;
  {
    std::vector<SqlParam> binds = selection;
    binds.push_back(sqlTime(double(last) / double(kSecondsPerDay)));
    binds.push_back(sqlTime(double(first) / double(kSecondsPerDay)));
    binds.push_back(earliestStart(store, double(first) / double(kSecondsPerDay)));
    SqlRows &rows = store.run(kSqlFreeBusy, binds);
    std::string code;
    Equip *eq = nullptr;
    while (rows.next()) {
      // Each equipment's reservations come together, in order of start.
      if (rows.text(0) != code || !eq) {
        code = rows.text(0);
        const auto it = byCode.find(code);
        eq = it == byCode.end() ? nullptr : &list[it->second];
        if (!eq)
          continue;
      }
      const auto s = secondsOf(rows, 1), e = secondsOf(rows, 2);
      if (s && e && *e > *s)
        eq->busy.push_back({*s, *e});
    }
  }

  static const std::vector<FieldDef> fields = {{"CODIGO", FieldType::String, 15},
                                               {"NOME", FieldType::String, 50},
                                               {"DATA", FieldType::Date, 0},
                                               {"HORAINI", FieldType::String, 10},
                                               {"HORAFIN", FieldType::String, 10}};
  PacketWriter w(out, fields);
  char a[6], b[6];
  for (const Equip &eq : list) {
    const Interval *lo = eq.busy.data(), *end = eq.busy.data() + eq.busy.size();
    for (std::int64_t day = day0; day <= day1; ++day) {
      const std::int64_t w0 = day * kSecondsPerDay + *h0, w1 = day * kSecondsPerDay + *h1;
      // Reservations that ended before this window end before every later one too.
      while (lo != end && lo->end <= w0)
        ++lo;
      for (const Interval &span : freeSpans(w0, w1, lo, end)) {
        const std::string_view from = hourTextOf(span.start, a), to = hourTextOf(span.end, b);
        if (from == to && w0 != w1)
          continue; // less than a minute free shows as nothing
        w.beginRow();
        w.text(eq.code);
        w.text(eq.name);
        w.number(double(day));
        w.text(from);
        w.text(to);
        w.endRow();
      }
    }
  }
  return w.finish();
}

// The device and inode of a SQLite database's file; zeros when there is none (or in memory).
std::pair<std::uint64_t, std::uint64_t> sqliteFile(const QString &url)
{
  const DbTarget target = parseDbUrl(url);
  struct stat st {};
  if (target.path == QLatin1String(":memory:") || ::stat(QFile::encodeName(target.path).constData(), &st) != 0)
    return {};
  return {std::uint64_t(st.st_dev), std::uint64_t(st.st_ino)};
}

using Handler = std::size_t (*)(Store &, const json &, std::string &);
struct MethodEntry {
  std::string_view name;
  Handler run;
};

// Every method the server answers, by the name calls give.
const std::array<MethodEntry, kMethodCount> kMethods = {{
    {"GetHoraServidor", [](Store &, const json &p, std::string &out) { return getHoraServidor(p, out); }},
    {"GetReservados", [](Store &s, const json &p, std::string &out) { return periodCall(s, p, "GetReservados", false, out); }},
    {"GetReseGeral", [](Store &s, const json &p, std::string &out) { return periodCall(s, p, "GetReseGeral", true, out); }},
    {"GetDiasReservados", getDiasReservados},
    {"GetReservaDia", getReservaDia},
    {"HoraLivre", horaLivre},
}};

} // namespace

std::string_view methodName(std::size_t index) { return kMethods.at(index).name; }

// ---- Store ----------------------------------------------------------------------------------

Store::Store(QString dbUrl, Metrics *metrics) : url_(std::move(dbUrl)), metrics_(metrics)
{
  try {
    postgres_ = dbKindOf(url_) == DbKind::PostgreSQL;
  } catch (const std::exception &) {
  }
}

Store::~Store() = default;

void Store::open()
{
  if (db_)
    return;
  try {
    connect();
  } catch (const CallError &e) {
    noteFailure(e.what());
    throw;
  }
  if (connected_) {
    if (metrics_)
      metrics_->dbReconnect();
    qCDebug(lcDb, "conexão com o banco de dados aberta de novo");
  }
  connected_ = true;
}

void Store::connect()
{
  DbTarget target;
  try {
    target = parseDbUrl(url_);
  } catch (const std::exception &e) {
    throw CallError(rpc::kServerError, e.what());
  }
  // Opening a missing file would create an empty database and answer "no such table".
  if (target.kind == DbKind::SQLite && target.path != QLatin1String(":memory:") && !QFileInfo::exists(target.path))
    throw CallError(rpc::kServerError, "Banco de dados não encontrado pelo servidor de aplicação.");
  try {
    db_ = NativeDb::open(url_);
  } catch (const std::exception &e) {
    throw CallError(rpc::kServerError, e.what());
  }
  if (!postgres_)
    file_ = sqliteFile(url_);
}

// An outage fails every call of every worker: each worker logs its first failure as a warning,
// the rest only in debug, until a statement runs again.
void Store::noteFailure(const std::string &why)
{
  if (metrics_)
    metrics_->dbError();
  if (!failing_)
    qCWarning(lcDb, "Falha no banco de dados: %s", why.c_str());
  else
    qCDebug(lcDb, "Falha no banco de dados: %s", why.c_str());
  failing_ = true;
}

SqlRows &Store::run(const char *sql, const std::vector<SqlParam> &params)
{
  open();
  auto ran = [this](SqlRows &rows) -> SqlRows & {
    if (failing_)
      qCInfo(lcDb, "O banco de dados voltou a responder.");
    failing_ = false;
    return rows;
  };
  try {
    return ran(db_->exec(sql, params));
  } catch (const std::exception &e) {
    if (!db_->broken())
      fail(e.what());
    if (metrics_)
      metrics_->dbError();
    qCInfo(lcDb, "O banco de dados fechou a conexão (%s); aberta outra.", e.what());
  }
  // The database dropped this connection (a restart since the last call): every statement is a
  // read, so it runs once more on a fresh connection.
  db_.reset();
  open();
  try {
    return ran(db_->exec(sql, params));
  } catch (const std::exception &e) {
    fail(e.what());
  }
}

void Store::ping()
{
  // An open SQLite connection keeps reading the file it opened, even once that file was deleted
  // or replaced (a restore): the file at the path must still be that one.
  if (!postgres_ && db_ && sqliteFile(url_) != file_)
    db_.reset();
  try {
    run(kSqlSchemaVersion, {});
  } catch (const CallError &) {
    // The failure dropped the connection; a fresh one tells whether the database itself is at
    // fault.
    run(kSqlSchemaVersion, {});
  }
  done();
}

void Store::done()
{
  if (db_)
    db_->done();
}

void Store::fail(const std::string &why)
{
  db_.reset(); // the next call opens a fresh connection
  noteFailure(why);
  throw CallError(rpc::kServerError, "Falha no banco de dados do servidor de aplicação: " + why);
}

std::size_t callMethod(Store &store, const std::string &method, const json &params, std::string &out)
{
  struct Done {
    Store &store;
    ~Done() { store.done(); }
  } done{store};
  try {
    for (const MethodEntry &m : kMethods)
      if (m.name == method)
        return m.run(store, params, out);
  } catch (const CallError &) {
    throw;
  } catch (const std::runtime_error &e) {
    // A row that failed to step: the database went away or broke mid-answer.
    store.fail(e.what());
  }
  throw CallError(rpc::kMethodNotFound, "Método desconhecido no servidor de aplicação: \"" + clip(method) + "\".");
}

} // namespace zrt::appserver
