#include "methods.h"

#include "freehours.h"

#include <zrt/appserver/sqltexts.h>

#include <zrt/common/datapacket.h>
#include <zrt/common/datetime.h>
#include <zrt/common/jsonrpc.h>
#include <zrt/dburl/dburl.h>

#include <QFileInfo>
#include <QSqlError>
#include <QVariant>

#include <cmath>
#include <vector>

namespace zrt::appserver {
namespace {

using nlohmann::json;
using namespace sql;

// ---- values -----------------------------------------------------------------------------------

const qint64 kEpochJulianDay = QDate(1899, 12, 30).toJulianDay();

// Seconds since 30 December 1899 of a date-time column: text on SQLite (parsed by hand, it is
// the hot loop of HoraLivre), QDateTime on PostgreSQL.
std::optional<std::int64_t> secondsOf(const QVariant &v)
{
  if (v.isNull())
    return std::nullopt;
  if (v.typeId() == QMetaType::QDateTime || v.typeId() == QMetaType::QDate) {
    const QDateTime dt = v.toDateTime();
    if (!dt.isValid())
      return std::nullopt;
    return (dt.date().toJulianDay() - kEpochJulianDay) * kSecondsPerDay + dt.time().msecsSinceStartOfDay() / 1000;
  }
  const QString s = v.toString();
  auto digits = [&s](int from, int n, int &out) {
    out = 0;
    for (int i = from; i < from + n; ++i) {
      const QChar c = s.at(i);
      if (!c.isDigit())
        return false;
      out = out * 10 + c.digitValue();
    }
    return true;
  };
  int y, mo, d, h = 0, mi = 0, se = 0;
  if (s.size() >= 10 && s.at(4) == QLatin1Char('-') && s.at(7) == QLatin1Char('-') && digits(0, 4, y) && digits(5, 2, mo) &&
      digits(8, 2, d)) {
    const bool hasTime = s.size() >= 19 && digits(11, 2, h) && digits(14, 2, mi) && digits(17, 2, se);
    const QDate date(y, mo, d);
    if (date.isValid() && (hasTime || s.size() == 10) && h < 24 && mi < 60 && se < 60)
      return (date.toJulianDay() - kEpochJulianDay) * kSecondsPerDay + h * 3600 + mi * 60 + se;
  }
  if (auto t = fromSqlText(s))
    return std::llround(*t * double(kSecondsPerDay));
  return std::nullopt;
}

json dateTimeCell(const QVariant &v)
{
  if (v.isNull())
    return nullptr;
  if (v.typeId() == QMetaType::QDateTime)
    return toDateTime(v.toDateTime());
  if (auto s = secondsOf(v)) {
    const std::int64_t days = *s >= 0 ? *s / kSecondsPerDay : -((-*s + kSecondsPerDay - 1) / kSecondsPerDay);
    const std::int64_t rest = *s - days * kSecondsPerDay;
    return toDateTime(QDate::fromJulianDay(days + kEpochJulianDay), QTime::fromMSecsSinceStartOfDay(int(rest * 1000)));
  }
  return nullptr;
}

json textCell(const QVariant &v)
{
  if (v.isNull())
    return nullptr;
  return v.toString().toStdString();
}

json floatCell(const QVariant &v)
{
  if (v.isNull())
    return nullptr;
  bool ok = false;
  const double d = v.toDouble(&ok);
  return ok ? json(d) : json(nullptr);
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
std::array<QVariant, 3> statusCodes(const std::string &pend, const std::string &and_, const std::string &conc)
{
  const QVariant none{QMetaType(QMetaType::QString)};
  return {pend.empty() ? none : QVariant(QStringLiteral("1")), and_.empty() ? none : QVariant(QStringLiteral("2")),
          conc.empty() ? none : QVariant(QStringLiteral("3"))};
}

// ";A;B;" whatever the picker's edges: a code is selected when ";CODE;" occurs in it.
QString codeList(const std::string &list) { return QLatin1Char(';') + QString::fromStdString(list) + QLatin1Char(';'); }

QString sqlTime(double value) { return toSqlText(value); }

// The earliest start a reservation reaching past `after` can have, as bound text. Read per
// call (an index answers it) so a reservation added meanwhile is never missed.
QString earliestStart(Store &store, double after)
{
  QSqlQuery &q = store.prepared(store.isPostgres() ? kSqlLongestPostgres : kSqlLongestSQLite);
  store.exec(q);
  double longest = 0;
  if (q.next() && !q.value(0).isNull())
    longest = std::max(0.0, q.value(0).toDouble());
  q.finish();
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

json fieldsJson(const std::vector<FieldDef> &fields)
{
  DataPacket p;
  p.fields = fields;
  return p.toJson()["fields"];
}

// Column positions in RESERVATION_COLUMNS.
enum { cOrd, cArv, cProd, cNome, cIni, cFim, cSit, cQt };

// Runs one reservation query and lays its rows out in `order` (positions of RESERVATION_COLUMNS).
CallResult reservationPacket(Store &store, QSqlQuery &q, const std::vector<FieldDef> &fields, std::initializer_list<int> order)
{
  store.exec(q);
  json rows = json::array();
  while (q.next()) {
    json row = json::array();
    for (int c : order) {
      const QVariant v = q.value(c);
      switch (c) {
      case cIni:
      case cFim: row.push_back(dateTimeCell(v)); break;
      case cQt: row.push_back(floatCell(v)); break;
      default: row.push_back(textCell(v)); break;
      }
    }
    rows.push_back(std::move(row));
  }
  q.finish();
  CallResult r;
  r.rows = rows.size();
  r.packet = {{"fields", fieldsJson(fields)}, {"rows", std::move(rows)}};
  return r;
}

void bindStatusAndEquipment(QSqlQuery &q, const std::string &equip, const std::array<QVariant, 3> &st)
{
  q.bindValue(0, QString::fromStdString(equip));
  q.bindValue(1, st[0]);
  q.bindValue(2, st[1]);
  q.bindValue(3, st[2]);
}

// ---- the methods ------------------------------------------------------------------------------

CallResult getHoraServidor(const json &params)
{
  expectCount(params, 0, "GetHoraServidor");
  CallResult r;
  r.rows = 1;
  r.packet = {{"fields", fieldsJson({{"DATA", FieldType::DateTime, 0}})},
              {"rows", json::array({json::array({toDateTime(QDateTime::currentDateTime())})})}};
  return r;
}

// GetReservados and GetReseGeral: equipment, three statuses, period start, period end.
CallResult periodCall(Store &store, const json &params, const char *method, bool startsOnly)
{
  expectCount(params, 6, method);
  const std::string equip = argText(params, 0, "o código do equipamento");
  const auto st = statusCodes(argText(params, 1, "a situação pendente"), argText(params, 2, "a situação em andamento"),
                              argText(params, 3, "a situação concluída"));
  const double from = argDateTime(params, 4, "a data inicial do período");
  const double to = argDateTime(params, 5, "a data final do período");
  QSqlQuery &q = store.prepared(startsOnly ? kSqlStartsInPeriod : kSqlPeriod);
  bindStatusAndEquipment(q, equip, st);
  q.bindValue(4, sqlTime(to));
  q.bindValue(5, sqlTime(from));
  q.bindValue(6, earliestStart(store, from));
  if (!startsOnly)
    return reservationPacket(store, q, fieldsReservados(), {cOrd, cArv, cProd, cNome, cIni, cFim, cSit, cQt});
  store.exec(q);
  json rows = json::array();
  while (q.next())
    rows.push_back(json::array({dateTimeCell(q.value(0))}));
  q.finish();
  CallResult r;
  r.rows = rows.size();
  r.packet = {{"fields", fieldsJson({{"DTHRINIPROD", FieldType::DateTime, 0}})}, {"rows", std::move(rows)}};
  return r;
}

CallResult getDiasReservados(Store &store, const json &params)
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
  QSqlQuery &q = store.prepared(kSqlDays);
  bindStatusAndEquipment(q, equip, st);
  q.bindValue(4, sqlTime(to + 1));
  q.bindValue(5, sqlTime(from));
  q.bindValue(6, earliestStart(store, from));
  return reservationPacket(store, q, fields, {cArv, cOrd, cProd, cNome, cIni, cQt, cFim, cSit});
}

CallResult getReservaDia(Store &store, const json &params)
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
  QSqlQuery &q = store.prepared(kSqlDayInPeriod);
  bindStatusAndEquipment(q, equip, st);
  q.bindValue(4, sqlTime(day + 1));
  q.bindValue(5, sqlTime(day));
  q.bindValue(6, sqlTime(to));
  q.bindValue(7, sqlTime(from));
  q.bindValue(8, earliestStart(store, std::max(day, from)));
  return reservationPacket(store, q, fields, {cOrd, cArv, cProd, cNome, cIni, cFim, cQt, cSit});
}

constexpr int kMaxFreeHoursDays = 366;

CallResult horaLivre(Store &store, const json &params)
{
  expectCount(params, 8, "HoraLivre");
  const bool listGroups = argFlag(params, 0, "a opção de lista de grupos");
  const bool listEquip = argFlag(params, 1, "a opção de lista de equipamentos");
  const std::string h0text = argText(params, 2, "a hora inicial");
  const std::string h1text = argText(params, 3, "a hora final");
  const QString groups = codeList(argText(params, 4, "a lista de grupos"));
  const double d0 = dayOf(argDateTime(params, 5, "a data inicial"));
  const double d1 = dayOf(argDateTime(params, 6, "a data final"));
  const QString equipment = codeList(argText(params, 7, "a lista de equipamentos"));

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

  auto bindSelection = [&](QSqlQuery &q) {
    q.bindValue(0, listGroups ? 1 : 0);
    q.bindValue(1, groups);
    q.bindValue(2, listEquip ? 1 : 0);
    q.bindValue(3, equipment);
  };

  struct Equip {
    QString code, name;
    std::vector<Interval> busy;
  };
  std::vector<Equip> list;
  {
    QSqlQuery &q = store.prepared(kSqlFreeEquipment);
    bindSelection(q);
    store.exec(q);
    while (q.next())
      list.push_back({q.value(0).toString(), q.value(1).toString(), {}});
    q.finish();
  }
  const std::int64_t first = day0 * kSecondsPerDay + *h0;
  const std::int64_t last = day1 * kSecondsPerDay + *h1;
  {
    QSqlQuery &q = store.prepared(kSqlFreeBusy);
    bindSelection(q);
    q.bindValue(4, sqlTime(double(last) / double(kSecondsPerDay)));
    q.bindValue(5, sqlTime(double(first) / double(kSecondsPerDay)));
    q.bindValue(6, earliestStart(store, double(first) / double(kSecondsPerDay)));
    store.exec(q);
    std::size_t at = 0;
    while (q.next()) {
      const QString code = q.value(0).toString();
      // Both lists are ordered by code: walk forward to this reservation's equipment.
      while (at < list.size() && list[at].code < code)
        ++at;
      if (at == list.size() || list[at].code != code)
        continue;
      const auto s = secondsOf(q.value(1)), e = secondsOf(q.value(2));
      if (s && e && *e > *s)
        list[at].busy.push_back({*s, *e});
    }
    q.finish();
  }

  json rows = json::array();
  for (const Equip &eq : list) {
    const json code = eq.code.toStdString(), name = eq.name.toStdString();
    const Interval *lo = eq.busy.data(), *end = eq.busy.data() + eq.busy.size();
    for (std::int64_t day = day0; day <= day1; ++day) {
      const std::int64_t w0 = day * kSecondsPerDay + *h0, w1 = day * kSecondsPerDay + *h1;
      // Reservations that ended before this window end before every later one too.
      while (lo != end && lo->end <= w0)
        ++lo;
      for (const Interval &span : freeSpans(w0, w1, lo, end)) {
        const QString a = hourText(span.start), b = hourText(span.end);
        if (a == b && w0 != w1)
          continue; // less than a minute free shows as nothing
        rows.push_back(json::array({code, name, double(day), a.toStdString(), b.toStdString()}));
      }
    }
  }
  static const std::vector<FieldDef> fields = {{"CODIGO", FieldType::String, 15},
                                               {"NOME", FieldType::String, 50},
                                               {"DATA", FieldType::Date, 0},
                                               {"HORAINI", FieldType::String, 10},
                                               {"HORAFIN", FieldType::String, 10}};
  CallResult r;
  r.rows = rows.size();
  r.packet = {{"fields", fieldsJson(fields)}, {"rows", std::move(rows)}};
  return r;
}

} // namespace

// ---- Store ----------------------------------------------------------------------------------

Store::Store(QString dbUrl, QString connectionName) : url_(std::move(dbUrl)), name_(std::move(connectionName))
{
  try {
    postgres_ = dbKindOf(url_) == DbKind::PostgreSQL;
  } catch (const std::exception &) {
  }
}

Store::~Store() { drop(); }

void Store::open()
{
  if (open_)
    return;
  DbKind kind;
  try {
    kind = dbKindOf(url_);
  } catch (const std::exception &e) {
    throw CallError(rpc::kServerError, e.what());
  }
  if (kind == DbKind::SQLite) {
    // Opening a missing file would create an empty database and answer "no such table".
    QString path = url_.mid(7);
    if (path.startsWith(QLatin1String("//")))
      path = path.mid(2);
    if (path != QLatin1String(":memory:") && !QFileInfo::exists(path))
      throw CallError(rpc::kServerError, "Banco de dados não encontrado pelo servidor de aplicação.");
  }
  try {
    QSqlDatabase db = openDatabase(url_, name_);
    if (kind == DbKind::SQLite) {
      // A worker's page cache of 16 MB keeps the reservation index in memory between calls.
      QSqlQuery pragma(db);
      pragma.exec(QStringLiteral("PRAGMA cache_size = -16000"));
    }
  } catch (const std::exception &e) {
    throw CallError(rpc::kServerError, e.what());
  }
  open_ = true;
}

void Store::drop()
{
  queries_.clear();
  if (QSqlDatabase::contains(name_)) {
    {
      QSqlDatabase db = QSqlDatabase::database(name_, false);
      db.close();
    }
    QSqlDatabase::removeDatabase(name_);
  }
  open_ = false;
}

QSqlQuery &Store::prepared(const char *sql)
{
  open();
  auto it = queries_.find(sql);
  if (it != queries_.end())
    return it->second;
  QSqlQuery q(QSqlDatabase::database(name_, false));
  q.setForwardOnly(true);
  q.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
  if (!q.prepare(QString::fromLatin1(sql))) {
    const QString why = q.lastError().text();
    q = QSqlQuery();
    drop();
    throw CallError(rpc::kServerError, "Falha no banco de dados do servidor de aplicação: " + why.toStdString());
  }
  return queries_.emplace(sql, std::move(q)).first->second;
}

void Store::exec(QSqlQuery &query)
{
  if (query.exec())
    return;
  const QString why = query.lastError().text();
  drop(); // `query` dies here; the next call opens a fresh connection
  throw CallError(rpc::kServerError, "Falha no banco de dados do servidor de aplicação: " + why.toStdString());
}

CallResult callMethod(Store &store, const std::string &method, const json &params)
{
  if (method == "GetHoraServidor")
    return getHoraServidor(params);
  if (method == "GetReservados")
    return periodCall(store, params, "GetReservados", false);
  if (method == "GetReseGeral")
    return periodCall(store, params, "GetReseGeral", true);
  if (method == "GetDiasReservados")
    return getDiasReservados(store, params);
  if (method == "GetReservaDia")
    return getReservaDia(store, params);
  if (method == "HoraLivre")
    return horaLivre(store, params);
  throw CallError(rpc::kMethodNotFound, "Método desconhecido no servidor de aplicação: \"" + clip(method) + "\".");
}

} // namespace zrt::appserver
