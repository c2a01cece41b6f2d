// A deterministic demo plant: the same options give the same rows on every machine (the
// generator is std::mt19937, whose sequence the language fixes, used without distributions).
#include "zrt/appserver/schema.h"

#include <zrt/dburl/dburl.h>

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <vector>

namespace zrt::appserver {
namespace {

std::atomic<int> demoSerial{0};

struct GroupDef {
  const char *code, *plural, *singular;
  std::vector<const char *> models;
  std::vector<const char *> products;
  int ratePerHour; // pieces (or kilograms) an hour
};

const std::vector<GroupDef> &groups()
{
  static const std::vector<GroupDef> g = {
      {"INJ",
       "Injetoras",
       "Injetora",
       {"Horizontal 180 t", "Horizontal 250 t", "Elétrica 450 t"},
       {"Tampa rosca 28 mm", "Balde 20 L", "Caixa organizadora 12 L", "Pote 500 ml"},
       900},
      {"EXT",
       "Extrusoras",
       "Extrusora",
       {"Monorrosca 90 mm", "Dupla Rosca 60 mm"},
       {"Tubo PVC 25 mm", "Perfil U 20 mm", "Filme stretch 500 mm"},
       250},
      {"PRE",
       "Prensas",
       "Prensa",
       {"Hidráulica 200 t", "Excêntrica 80 t", "Viradeira 100 t"},
       {"Suporte estampado", "Arruela lisa 10 mm", "Chapa dobrada 2 mm"},
       1200},
      {"TOR",
       "Tornos CNC",
       "Torno CNC",
       {"2 Eixos", "Multitarefa", "Cabeçote Móvel"},
       {"Eixo retificado 20 mm", "Bucha de bronze 30 mm", "Pino guia 12 mm"},
       60},
      {"FOR",
       "Fornos",
       "Forno",
       {"Contínuo Elétrico", "Túnel a Gás", "Câmara de Têmpera"},
       {"Têmpera de engrenagens", "Cura de peças pintadas"},
       400},
      {"EMB",
       "Embaladoras",
       "Embaladora",
       {"Flow Pack", "Vertical", "Seladora Automática"},
       {"Fardo 12 unidades", "Caixa de papelão 6 un", "Saco valvulado 25 kg"},
       1500},
  };
  return g;
}

const char *const kVariants[] = {"", " azul", " preto", " natural", " reforçado"};
constexpr int kVariantCount = 5;

constexpr std::int64_t kDay = 86400, kHour = 3600, kMinute = 60;
const qint64 kEpochJulianDay = QDate(1899, 12, 30).toJulianDay();

std::int64_t secondsOf(const QDate &d, int hour = 0) { return (d.toJulianDay() - kEpochJulianDay) * kDay + hour * kHour; }

QString sqlText(std::int64_t s)
{
  const QDate d = QDate::fromJulianDay(s / kDay + kEpochJulianDay);
  const std::int64_t t = s % kDay;
  return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", d.year(), d.month(), d.day(), int(t / kHour), int(t / kMinute % 60),
                           int(t % 60));
}

struct Order {
  QString number, product, structure;
  std::int64_t first = 0, last = 0;
};

struct Reservation {
  int order;
  std::int64_t start, end;
  double quantity;
};

class Db {
public:
  explicit Db(const QString &url) : name_(QStringLiteral("zrt-demo-%1").arg(++demoSerial)), db_(openDatabase(url, name_)) {}
  ~Db()
  {
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
  }
  QSqlDatabase &db() { return db_; }

private:
  QString name_;
  QSqlDatabase db_;
};

void check(bool ok, const QSqlQuery &q, const char *what)
{
  if (!ok)
    throw std::runtime_error(std::string("Falha ao gravar a planta de demonstração (") + what +
                             "): " + q.lastError().text().toStdString());
}

} // namespace

void fillDemo(const QString &dbUrl, const DemoOptions &o)
{
  if (o.equipment < 1 || o.equipment > 100000)
    throw std::runtime_error("Número de equipamentos inválido (1 a 100000).");
  if (o.months < 1 || o.months > 120)
    throw std::runtime_error("Número de meses inválido (1 a 120).");
  if (!o.today.isValid())
    throw std::runtime_error("Data de referência inválida.");
  initSchema(dbUrl);

  std::mt19937 rng(o.seed);
  auto pick = [&rng](unsigned n) { return unsigned(rng() % n); };

  Db c(dbUrl);
  QSqlDatabase &db = c.db();
  if (!db.transaction())
    throw std::runtime_error("Falha ao iniciar a transação: " + db.lastError().text().toStdString());
  try {
    QSqlQuery q(db);
    for (const char *t : {"RESEQUIPPROD", "ORDPROD", "PRODUTO", "EQUIPAPROD", "GRUPOEQUIPA"})
      check(q.exec(QStringLiteral("DELETE FROM %1").arg(QLatin1String(t))), q, t);

    const auto &gs = groups();
    QSqlQuery insGroup(db), insEquip(db), insProd(db), insOrder(db), insRes(db);
    check(insGroup.prepare(QStringLiteral("INSERT INTO GRUPOEQUIPA (CDGRUPOEQUIPA, NMGRUPOEQUIPA) VALUES (?, ?)")), insGroup,
          "grupos");
    check(insEquip.prepare(
              QStringLiteral("INSERT INTO EQUIPAPROD (CDEQUIPPRO, SGEQUIPPRO, NMEQUIPPRO, CDGRUPOEQUIPA) VALUES (?, ?, ?, ?)")),
          insEquip, "equipamentos");
    check(insProd.prepare(QStringLiteral("INSERT INTO PRODUTO (CDPRODUTO, NMPRODUTO) VALUES (?, ?)")), insProd, "produtos");
    check(insOrder.prepare(
              QStringLiteral("INSERT INTO ORDPROD (NRORDPROD, CDARVPROD, CDPRODUTO, IDSITORDPROD) VALUES (?, ?, ?, ?)")),
          insOrder, "ordens");
    check(
        insRes.prepare(QStringLiteral("INSERT INTO RESEQUIPPROD (CDEQUIPPRO, NRORDPROD, DTHRINIPROD, DTHRFINPROD, QTPRODRESPROC)"
                                      " VALUES (?, ?, ?, ?, ?)")),
        insRes, "reservas");

    // Groups and their products: product codes by group, base product and variant.
    std::vector<std::vector<std::pair<QString, QString>>> productsOf(gs.size()); // (code, structure)
    int productNo = 0;
    for (std::size_t gi = 0; gi < gs.size(); ++gi) {
      insGroup.bindValue(0, QString::fromLatin1(gs[gi].code));
      insGroup.bindValue(1, QString::fromUtf8(gs[gi].plural));
      check(insGroup.exec(), insGroup, "grupos");
      for (std::size_t bi = 0; bi < gs[gi].products.size(); ++bi)
        for (int vi = 0; vi < kVariantCount; ++vi) {
          const QString code = QStringLiteral("PRD%1").arg(++productNo, 5, 10, QLatin1Char('0'));
          insProd.bindValue(0, code);
          insProd.bindValue(1, QString::fromUtf8(gs[gi].products[bi]) + QString::fromUtf8(kVariants[vi]));
          check(insProd.exec(), insProd, "produtos");
          productsOf[gi].push_back({code, QStringLiteral("1.%1.%2.%3")
                                              .arg(gi + 1, 2, 10, QLatin1Char('0'))
                                              .arg(bi + 1, 2, 10, QLatin1Char('0'))
                                              .arg(vi + 1, 3, 10, QLatin1Char('0'))});
        }
    }

    const int perGroup = (o.equipment + int(gs.size()) - 1) / int(gs.size());
    const int width = std::max(2, int(QString::number(perGroup).size()));
    const int past = std::max(1, o.months / 3);
    const QDate firstDay = o.today.addMonths(-past);
    const QDate lastDay = o.today.addMonths(o.months - past);
    const std::int64_t now = secondsOf(o.today, 12);
    int orderNo = 0;

    for (int ei = 0; ei < o.equipment; ++ei) {
      const std::size_t gi = std::size_t(ei) % gs.size();
      const GroupDef &g = gs[gi];
      const QString number = QStringLiteral("%1").arg(ei / int(gs.size()) + 1, width, 10, QLatin1Char('0'));
      const QString code = QLatin1String(g.code) + number;
      insEquip.bindValue(0, code);
      insEquip.bindValue(1, QLatin1String(g.code) + QLatin1Char('-') + number);
      insEquip.bindValue(
          2, QStringLiteral("%1 %2 nº %3")
                 .arg(QString::fromUtf8(g.singular), QString::fromUtf8(g.models[pick(unsigned(g.models.size()))]), number));
      insEquip.bindValue(3, QString::fromLatin1(g.code));
      check(insEquip.exec(), insEquip, "equipamentos");

      // Shifts: 06-14, 14-22 and 22-06 (over midnight). Some equipment runs all three.
      const unsigned pattern = pick(10);
      const int shifts = pattern < 4 ? 3 : pattern < 8 ? 2 : 1;
      std::vector<Order> orders;
      std::vector<Reservation> res;
      int current = -1, left = 0;
      auto newOrder = [&](std::int64_t at) {
        const auto &p = productsOf[gi][pick(unsigned(productsOf[gi].size()))];
        orders.push_back({QStringLiteral("OP%1").arg(++orderNo, 8, 10, QLatin1Char('0')), p.first, p.second, at, at});
        return int(orders.size()) - 1;
      };
      auto book = [&](int order, std::int64_t s, std::int64_t e) {
        const double hours = double(e - s) / double(kHour);
        const double qty = double(std::int64_t(hours * g.ratePerHour * (80 + pick(40)) / 100.0 * 10000)) / 10000.0;
        res.push_back({order, s, e, qty});
        orders[std::size_t(order)].first = std::min(orders[std::size_t(order)].first, s);
        orders[std::size_t(order)].last = std::max(orders[std::size_t(order)].last, e);
      };
      for (QDate day = firstDay; day <= lastDay; day = day.addDays(1)) {
        const int dow = day.dayOfWeek();
        if (dow == 7)
          continue;
        const int todayShifts = dow == 6 ? (shifts == 3 ? 1 : 0) : shifts;
        for (int s = 0; s < todayShifts; ++s) {
          const std::int64_t start = secondsOf(day, 6 + 8 * s), end = start + 8 * kHour;
          if (pick(100) < 6) { // maintenance, no order: free time
            left = 0;
            continue;
          }
          if (pick(100) < 8) { // short runs: several orders in the first hour
            const std::int64_t a = start + 20 * kMinute, b = start + 45 * kMinute;
            book(newOrder(start), start, a);
            book(newOrder(a), a, b);
            current = newOrder(b);
            left = 1 + int(pick(4));
            book(current, b, end);
            continue;
          }
          if (left == 0 || current < 0) {
            current = newOrder(start);
            left = 1 + int(pick(10));
          }
          book(current, start, end);
          --left;
          if (pick(100) < 2) // a rush order laid over the running one
            book(newOrder(start + 2 * kHour), start + 2 * kHour, start + 5 * kHour);
        }
      }
      for (const Order &ord : orders) {
        QString status = ord.last <= now ? QStringLiteral("3") : ord.first > now ? QStringLiteral("1") : QStringLiteral("2");
        if (pick(30) == 0)
          status = QStringLiteral("4"); // "Paralisada"
        insOrder.bindValue(0, ord.number);
        insOrder.bindValue(1, ord.structure);
        insOrder.bindValue(2, ord.product);
        insOrder.bindValue(3, status);
        check(insOrder.exec(), insOrder, "ordens");
      }
      for (const Reservation &r : res) {
        insRes.bindValue(0, code);
        insRes.bindValue(1, orders[std::size_t(r.order)].number);
        insRes.bindValue(2, sqlText(r.start));
        insRes.bindValue(3, sqlText(r.end));
        insRes.bindValue(4, r.quantity);
        check(insRes.exec(), insRes, "reservas");
      }
    }
  } catch (...) {
    db.rollback();
    throw;
  }
  if (!db.commit())
    throw std::runtime_error("Falha ao gravar a planta de demonstração: " + db.lastError().text().toStdString());
}

} // namespace zrt::appserver
