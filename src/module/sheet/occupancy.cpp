#include "sheet/occupancy.h"

#include <inhouse/text/regional.h>
#include <inhouse/ui/colours.h>
#include <inhouse/ui/statustoggles.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QStyledItemDelegate>

#include <array>

namespace {
QColor StatusColour(quint8 statuses, bool dark)
{
  if (statuses & TWeekCellLoad::InProgress)
    return Colours::StatusFill(Colours::TStatus::InProgress, dark);
  if (statuses & TWeekCellLoad::Pending)
    return Colours::StatusFill(Colours::TStatus::Pending, dark);
  if (statuses & TWeekCellLoad::Concluded)
    return Colours::StatusFill(Colours::TStatus::Concluded, dark);
  return Colours::StatusFill(Colours::TStatus::Unknown, dark);
}

// The colour with diagonal lines of another shade of it (darker on a light palette, lighter on
// a dark one): seen at a glance, and the order numbers on it stay readable. A texture, so the
// hatch prints as it shows.
QBrush Hatched(const QColor &colour, bool dark)
{
  QPixmap tile(8, 8);
  tile.fill(colour);
  QPainter p(&tile);
  p.setPen(QPen(dark ? colour.lighter(150) : colour.darker(190), 1));
  p.drawLine(0, 7, 7, 0);
  return QBrush(tile);
}

// The grid's model holds the paper's brushes (the print reads them); on the screen each is
// swapped for the brush of the grid's palette, under a text colour that reads on it.
class TOccupancyDelegate : public QStyledItemDelegate {
public:
  using QStyledItemDelegate::QStyledItemDelegate;

protected:
  void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
  {
    QStyledItemDelegate::initStyleOption(option, index);
    if (option->backgroundBrush.style() == Qt::NoBrush)
      return;
    const bool dark = Colours::IsDark(option->palette);
    for (int count = 1; count <= 2; ++count)
      for (quint8 key = 0; key < 8; ++key)
        if (option->backgroundBrush == OccupancyBrush({count, key})) {
          option->backgroundBrush = OccupancyBrush({count, key}, dark);
          option->palette.setColor(QPalette::Text, Colours::InkOn(StatusColour(key, dark), option->palette));
          return;
        }
  }
};

QString DateTimeText(zrt::TDateTime value) { return FormatDateTimeText(QStringLiteral("dd/mm/yyyy hh:nn"), value); }
} // namespace

QBrush OccupancyBrush(const TWeekCellLoad &load, bool dark)
{
  if (load.count <= 0)
    return {};
  // A few brushes serve every cell, each shared rather than built per cell.
  static std::array<QBrush, 8> solid[2], hatched[2];
  const quint8 key = load.statuses & 7;
  QBrush &b = load.count == 1 ? solid[dark][key] : hatched[dark][key];
  if (b.style() == Qt::NoBrush)
    b = load.count == 1 ? QBrush(StatusColour(key, dark)) : Hatched(StatusColour(key, dark), dark);
  return b;
}

void ShowOccupancy(QAbstractItemView *grid) { grid->setItemDelegate(new TOccupancyDelegate(grid)); }

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

QList<TReportKey> OccupancyKeys(bool dark)
{
  return {{OccupancyBrush({1, TWeekCellLoad::Pending}, dark), StatusName(u'1')},
          {OccupancyBrush({1, TWeekCellLoad::InProgress}, dark), StatusName(u'2')},
          {OccupancyBrush({1, TWeekCellLoad::Concluded}, dark), StatusName(u'3')},
          {OccupancyBrush({2, TWeekCellLoad::Pending}, dark), QStringLiteral("Mais de uma reserva")}};
}

QWidget *OccupancyLegend(QWidget *parent)
{
  auto *legend = new QWidget(parent);
  legend->setObjectName(QStringLiteral("panLegenda"));
  legend->setAccessibleName(QStringLiteral("Legenda"));
  auto *row = new QHBoxLayout(legend);
  row->setContentsMargins(6, 3, 6, 3);
  row->setSpacing(4);
  for (const TReportKey &e : OccupancyKeys(Colours::IsDark(legend->palette()))) {
    QPixmap swatch(18, 12);
    swatch.fill(Qt::transparent);
    QPainter p(&swatch);
    p.fillRect(swatch.rect(), e.brush);
    p.setPen(legend->palette().color(QPalette::Mid));
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
