#include "sheet/occupancy.h"

#include <inhouse/text/regional.h>
#include <inhouse/ui/statustoggles.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include <array>

namespace {
// Light to dark in this order, all darker than the grid's pale background, each dark text still
// readable on it; amber against blue is told apart by every common form of colour blindness.
const QColor kConcluded(0xcf, 0xe3, 0xd4);
const QColor kPending(0xf5, 0xb9, 0x4f);
const QColor kInProgress(0x5d, 0xad, 0xe2);

QColor StatusColour(quint8 statuses)
{
  if (statuses & TWeekCellLoad::InProgress)
    return kInProgress;
  if (statuses & TWeekCellLoad::Pending)
    return kPending;
  if (statuses & TWeekCellLoad::Concluded)
    return kConcluded;
  return QColor(0xd0, 0xd0, 0xd0); // a status the grid does not know
}

// The colour with diagonal lines of a darker shade of it: seen at a glance, and the order
// numbers on it stay readable. A texture, so the hatch prints as it shows.
QBrush Hatched(const QColor &colour)
{
  QPixmap tile(8, 8);
  tile.fill(colour);
  QPainter p(&tile);
  p.setPen(QPen(colour.darker(190), 1));
  p.drawLine(0, 7, 7, 0);
  return QBrush(tile);
}

QString DateTimeText(zrt::TDateTime value) { return FormatDateTimeText(QStringLiteral("dd/mm/yyyy hh:nn"), value); }
} // namespace

QBrush OccupancyBrush(const TWeekCellLoad &load)
{
  if (load.count <= 0)
    return {};
  // A few brushes serve every cell, each shared rather than built per cell.
  static std::array<QBrush, 8> solid, hatched;
  const quint8 key = load.statuses & 7;
  QBrush &b = load.count == 1 ? solid[key] : hatched[key];
  if (b.style() == Qt::NoBrush)
    b = load.count == 1 ? QBrush(StatusColour(key)) : Hatched(StatusColour(key));
  return b;
}

QString StatusName(QChar status)
{
  switch (WeekStatusBit(status)) {
  case TWeekCellLoad::Pending: return TStatusToggles::Names()[0];
  case TWeekCellLoad::InProgress: return TStatusToggles::Names()[1];
  case TWeekCellLoad::Concluded: return TStatusToggles::Names()[2];
  default: return {};
  }
}

QString OccupancyHint(const std::vector<TWeekReservation> &reservations, const std::vector<int> &covering)
{
  QStringList lines;
  if (covering.size() > 1)
    lines << QStringLiteral("%1 reservas nesta hora:").arg(covering.size());
  for (int i : covering) {
    const TWeekReservation &r = reservations[size_t(i)];
    QString line = QStringLiteral("Ordem ") + r.order;
    if (!r.product.isEmpty())
      line += QStringLiteral(" · ") + r.product;
    line += QStringLiteral("\n") + DateTimeText(r.start);
    if (r.end > r.start)
      line += QStringLiteral(" até ") + DateTimeText(r.end);
    const QString status = StatusName(r.status);
    if (!status.isEmpty())
      line += QStringLiteral(" · ") + status;
    lines << line;
  }
  return lines.join(QLatin1Char('\n'));
}

QList<TReportKey> OccupancyKeys()
{
  return {{OccupancyBrush({1, TWeekCellLoad::Pending}), StatusName(u'1')},
          {OccupancyBrush({1, TWeekCellLoad::InProgress}), StatusName(u'2')},
          {OccupancyBrush({1, TWeekCellLoad::Concluded}), StatusName(u'3')},
          {OccupancyBrush({2, TWeekCellLoad::Pending}), QStringLiteral("Mais de uma reserva")}};
}

QWidget *OccupancyLegend(QWidget *parent)
{
  auto *legend = new QWidget(parent);
  legend->setObjectName(QStringLiteral("panLegenda"));
  legend->setAccessibleName(QStringLiteral("Legenda"));
  auto *row = new QHBoxLayout(legend);
  row->setContentsMargins(6, 3, 6, 3);
  row->setSpacing(4);
  for (const TReportKey &e : OccupancyKeys()) {
    QPixmap swatch(18, 12);
    swatch.fill(Qt::transparent);
    QPainter p(&swatch);
    p.fillRect(swatch.rect(), e.brush);
    p.setPen(QColor(0x60, 0x60, 0x60));
    p.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
    p.end();
    auto *box = new QLabel(legend);
    box->setPixmap(swatch);
    box->setAccessibleName(QStringLiteral("Cor: ") + e.text);
    auto *name = new QLabel(e.text, legend);
    row->addWidget(box);
    row->addWidget(name);
    row->addSpacing(10);
  }
  row->addStretch();
  return legend;
}
