#include <inhouse/ui/report.h>

#include <QAbstractItemModel>
#include <QDate>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTableView>

#include <algorithm>
#include <cmath>

namespace {
constexpr qreal kScreenDpi = 96.0;
constexpr int kDefaultAlign = Qt::AlignLeft | Qt::AlignVCenter;
constexpr int kWeeks = 6;
constexpr int kDays = 7;
constexpr qreal kNarrowToFit = 1.3; // at most this much wider than the page

struct TCell {
  QString text;
  QBrush brush;
  int align = kDefaultAlign;
};

// Models give a background as a QBrush or as a plain QColor.
QBrush BrushOf(const QVariant &value)
{
  if (value.typeId() == QMetaType::QBrush)
    return value.value<QBrush>();
  if (value.typeId() == QMetaType::QColor)
    return QBrush(value.value<QColor>());
  return {};
}

int AlignOf(const QVariant &value)
{
  const int align = value.isValid() ? value.toInt() : 0;
  return align ? align : kDefaultAlign;
}

TCell CellOf(const QVariant &text, const QVariant &background, const QVariant &align)
{
  return {text.toString(), BrushOf(background), AlignOf(align)};
}

// One contiguous run of a block on one page: for a table, the rows [first, last) of one band
// of columns under the title row; for calendars, the rows of months [first, last).
struct TPiece {
  int block;
  int band;
  int first, last;
  qreal y;
};
} // namespace

struct TReport::TBlock {
  enum TKind { Table, Calendars, Keys } kind = Table;
  // Table
  int rows = 0;
  QVector<int> widths; // screen pixels, one per printed column
  int rowHeaderWidth = 0;
  QVector<int> rowHeights; // screen pixels, the least each row takes
  TCell corner;
  QVector<TCell> titles;
  QVector<TCell> rowTitles;
  QVector<TCell> cells; // row by row
  // Calendars
  QList<TReportMonth> months;
  // Keys
  QList<TReportKey> keys;
};

struct TReport::TLayout {
  qreal width = 0, height = 0; // of the printable area, device pixels
  qreal mm = 1;                // device pixels per millimetre
  qreal pad = 1;               // inside table cells
  QFont font, bold, title;
  qreal top = 0; // below the page header
  struct TTableMetrics {
    qreal rowHeaderWidth = 0;
    QVector<qreal> widths;
    QVector<QPair<int, int>> bands; // columns [first, last) per band across
    QVector<qreal> rowHeights;
    qreal titleHeight = 0;
  };
  struct TKeyMetrics {
    qreal swatch = 0, gap = 0, lineHeight = 0;
    QVector<QPointF> at; // where each key starts, from the block's top left
    qreal height = 0;
  };
  struct TCalendarMetrics {
    int perRow = 1;
    qreal monthWidth = 0, gap = 0, captionHeight = 0, weekdayHeight = 0, cellHeight = 0;
    qreal MonthHeight() const { return captionHeight + weekdayHeight + kWeeks * cellHeight; }
  };
  QVector<TTableMetrics> tables;       // by block
  QVector<TCalendarMetrics> calendars; // by block
  QVector<TKeyMetrics> keys;           // by block
  QVector<QVector<TPiece>> pages;
};

TReport::TReport() = default;
TReport::~TReport() = default;

void TReport::AddTable(const QAbstractItemModel &model, const QList<TColumnSpec> &columns, int rowHeaderWidth,
                       const QString &corner, const QVector<int> &rowHeights)
{
  auto block = std::make_unique<TBlock>();
  block->kind = TBlock::Table;
  block->rows = model.rowCount();
  block->rowHeaderWidth = std::max(0, rowHeaderWidth);
  block->rowHeights = rowHeights;
  block->corner = {corner, {}, kDefaultAlign};
  const int cols = int(columns.size());
  block->widths.reserve(cols);
  block->titles.reserve(cols);
  for (const TColumnSpec &c : columns) {
    block->widths << c.width;
    block->titles << CellOf(model.headerData(c.column, Qt::Horizontal, Qt::DisplayRole), {},
                            model.headerData(c.column, Qt::Horizontal, Qt::TextAlignmentRole));
  }
  if (block->rowHeaderWidth > 0) {
    block->rowTitles.reserve(block->rows);
    for (int r = 0; r < block->rows; ++r)
      block->rowTitles << CellOf(model.headerData(r, Qt::Vertical, Qt::DisplayRole), {},
                                 model.headerData(r, Qt::Vertical, Qt::TextAlignmentRole));
  }
  block->cells.reserve(qsizetype(block->rows) * cols);
  for (int r = 0; r < block->rows; ++r)
    for (const TColumnSpec &c : columns) {
      const QModelIndex index = model.index(r, c.column);
      block->cells << CellOf(index.data(Qt::DisplayRole), index.data(Qt::BackgroundRole), index.data(Qt::TextAlignmentRole));
    }
  m_blocks.push_back(std::move(block));
}

void TReport::AddView(const QTableView &view, int rowHeaderWidth, const QString &corner)
{
  QList<TColumnSpec> columns;
  const QHeaderView *header = view.horizontalHeader();
  for (int visual = 0; visual < header->count(); ++visual) {
    const int logical = header->logicalIndex(visual);
    if (!header->isSectionHidden(logical))
      columns.append({logical, header->sectionSize(logical)});
  }
  QVector<int> rowHeights;
  const QHeaderView *rows = view.verticalHeader();
  if (view.model()) {
    rowHeights.reserve(view.model()->rowCount());
    for (int r = 0; r < view.model()->rowCount(); ++r)
      rowHeights << rows->sectionSize(r);
    AddTable(*view.model(), columns, rowHeaderWidth, corner, rowHeights);
  }
}

void TReport::AddKeys(const QList<TReportKey> &keys)
{
  auto block = std::make_unique<TBlock>();
  block->kind = TBlock::Keys;
  block->keys = keys;
  m_blocks.push_back(std::move(block));
}

void TReport::AddCalendars(const QList<TReportMonth> &months)
{
  auto block = std::make_unique<TBlock>();
  block->kind = TBlock::Calendars;
  block->months = months;
  m_blocks.push_back(std::move(block));
}

namespace {
qreal TextHeight(const QFontMetricsF &fm, qreal width, const TCell &cell)
{
  if (cell.text.isEmpty())
    return 0;
  return fm.boundingRect(QRectF(0, 0, std::max<qreal>(width, 1), 1e9), cell.align | Qt::TextWordWrap, cell.text).height();
}
} // namespace

TReport::TLayout TReport::Layout(QPagedPaintDevice &device) const
{
  TLayout l;
  l.width = device.width();
  l.height = device.height();
  l.mm = device.logicalDpiX() / 25.4;
  l.pad = 0.8 * l.mm;
  const qreal scale = device.logicalDpiX() / kScreenDpi;
  l.font = QFont(QStringLiteral("DejaVu Sans"));
  l.font.setPointSizeF(8);
  l.bold = l.font;
  l.bold.setBold(true);
  l.title = l.bold;
  l.title.setPointSizeF(12);
  const QFontMetricsF fm(l.font, &device), fmBold(l.bold, &device), fmTitle(l.title, &device);

  // Header: the title line, the labelled lines two by two, a rule and a gap.
  const int lineRows = int((Lines.size() + 1) / 2);
  l.top = fmTitle.height() * 1.4 + lineRows * fm.height() * 1.3 + 3 * l.mm;

  l.pages.append(QVector<TPiece>());
  qreal y = l.top;
  const auto newPage = [&] {
    l.pages.append(QVector<TPiece>());
    y = l.top;
  };
  const qreal blockGap = 4 * l.mm;

  l.tables.resize(int(m_blocks.size()));
  l.calendars.resize(int(m_blocks.size()));
  l.keys.resize(int(m_blocks.size()));
  for (int b = 0; b < int(m_blocks.size()); ++b) {
    const TBlock &block = *m_blocks[size_t(b)];
    if (y > l.top)
      y += blockGap;
    if (block.kind == TBlock::Table) {
      TLayout::TTableMetrics &t = l.tables[b];
      t.rowHeaderWidth = std::min(block.rowHeaderWidth * scale, l.width / 2);
      const qreal room = l.width - t.rowHeaderWidth;
      const int cols = int(block.widths.size());
      // A table a little wider than the page is narrowed to fit rather than leave a column or
      // two alone on a page of their own; its texts wrap.
      qreal total = 0;
      for (int w : block.widths)
        total += std::max(w, 8) * scale;
      const qreal fit = total > room && total <= room * kNarrowToFit ? room / total : 1.0;
      qreal sum = 0;
      int start = 0;
      for (int c = 0; c < cols; ++c) {
        const qreal w = std::min(std::max(block.widths[c], 8) * scale * fit, room);
        t.widths << w;
        if (c > start && sum + w > room) {
          t.bands.append({start, c});
          start = c;
          sum = 0;
        }
        sum += w;
      }
      t.bands.append({start, cols});

      // Rows as high as their longest wrapped text; cells without text cost nothing.
      const qreal base = fm.height() + 2 * l.pad;
      t.titleHeight =
          std::max(fmBold.height() + 2 * l.pad, TextHeight(fmBold, t.rowHeaderWidth - 2 * l.pad, block.corner) + 2 * l.pad);
      for (int c = 0; c < cols; ++c)
        t.titleHeight = std::max(t.titleHeight, TextHeight(fmBold, t.widths[c] - 2 * l.pad, block.titles[c]) + 2 * l.pad);
      t.rowHeights.resize(block.rows);
      for (int r = 0; r < block.rows; ++r) {
        qreal h = std::max(base, r < block.rowHeights.size() ? block.rowHeights[r] * scale : 0.0);
        if (!block.rowTitles.isEmpty())
          h = std::max(h, TextHeight(fm, t.rowHeaderWidth - 2 * l.pad, block.rowTitles[r]) + 2 * l.pad);
        const TCell *row = block.cells.constData() + qsizetype(r) * cols;
        for (int c = 0; c < cols; ++c)
          h = std::max(h, TextHeight(fm, t.widths[c] - 2 * l.pad, row[c]) + 2 * l.pad);
        t.rowHeights[r] = h;
      }

      // Down the rows for each band of columns; a band goes on below the one before while the
      // page has room for its title row and a row, so a short wide table takes few sheets.
      qreal tableHeight = t.titleHeight;
      for (qreal h : t.rowHeights)
        tableHeight += h;
      for (int band = 0; band < int(t.bands.size()); ++band) {
        if (band > 0 && y > l.top)
          y += blockGap;
        // A band that a page holds whole is not split over two.
        if (y > l.top && y + tableHeight > l.height && tableHeight <= l.height - l.top)
          newPage();
        int r = 0;
        do {
          if (y > l.top && y + t.titleHeight + (r < block.rows ? t.rowHeights[r] : 0) > l.height)
            newPage();
          const int first = r;
          qreal h = t.titleHeight;
          // At least one row per page, even one taller than the page (it is cut at the bottom).
          while (r < block.rows && (r == first || y + h + t.rowHeights[r] <= l.height))
            h += t.rowHeights[r++];
          l.pages.last().append({b, band, first, r, y});
          y += h;
          if (r < block.rows)
            newPage();
        } while (r < block.rows);
      }
    } else if (block.kind == TBlock::Keys) {
      TLayout::TKeyMetrics &k = l.keys[b];
      k.swatch = 5 * l.mm;
      k.gap = 5 * l.mm;
      k.lineHeight = fm.height() * 1.5;
      qreal x = 0, line = 0;
      for (const TReportKey &key : block.keys) {
        const qreal w = (key.brush.style() != Qt::NoBrush ? k.swatch + 1.5 * l.mm : 0) + fm.horizontalAdvance(key.text);
        if (x > 0 && x + w > l.width)
          x = 0, line += k.lineHeight;
        k.at << QPointF(x, line);
        x += w + k.gap;
      }
      k.height = line + k.lineHeight;
      if (y > l.top && y + k.height > l.height)
        newPage();
      l.pages.last().append({b, 0, 0, 0, y});
      y += k.height;
    } else {
      TLayout::TCalendarMetrics &m = l.calendars[b];
      const int n = int(block.months.size());
      if (n == 0)
        continue;
      m.perRow = std::min(n, n == 1 ? 1 : (l.width > l.height ? 4 : 3));
      m.gap = 4 * l.mm;
      m.monthWidth = (l.width - (m.perRow - 1) * m.gap) / m.perRow;
      m.captionHeight = fmBold.height() * 1.6;
      m.weekdayHeight = fm.height() * 1.5;
      const int monthRows = (n + m.perRow - 1) / m.perRow;
      // Rows sized to share the page; a pixel spare so that rounding never pushes the last one
      // over to a page of its own.
      const qreal rowRoom = (l.height - l.top - (monthRows - 1) * m.gap - 1) / monthRows;
      m.cellHeight = std::clamp((rowRoom - m.captionHeight - m.weekdayHeight) / kWeeks, fm.height() * 1.3,
                                std::max(fm.height() * 1.3, m.monthWidth / kDays * 0.8));
      for (int row = 0; row < monthRows; ++row) {
        if (y > l.top && y + m.MonthHeight() > l.height)
          newPage();
        l.pages.last().append({b, 0, row, row + 1, y});
        y += m.MonthHeight() + m.gap;
      }
    }
  }
  return l;
}

int TReport::PageCount(QPagedPaintDevice &device) const { return int(Layout(device).pages.size()); }

namespace {
void PaintCell(QPainter &p, const QRectF &rect, const TCell &cell, qreal pad, const QBrush &fallback = {})
{
  const QBrush &brush = cell.brush.style() != Qt::NoBrush ? cell.brush : fallback;
  if (brush.style() != Qt::NoBrush)
    p.fillRect(rect, brush);
  p.drawRect(rect);
  if (!cell.text.isEmpty()) {
    const QPen border = p.pen();
    p.setPen(Qt::black);
    p.drawText(rect.adjusted(pad, pad, -pad, -pad), cell.align | Qt::TextWordWrap, cell.text);
    p.setPen(border);
  }
}
} // namespace

void TReport::Print(QPagedPaintDevice &device) const
{
  const TLayout l = Layout(device);
  QPainter p;
  if (!p.begin(&device))
    return;
  const int pageCount = int(l.pages.size());
  const QFontMetricsF fm(l.font, &device), fmTitle(l.title, &device);
  const QBrush titleBrush(QColor(225, 225, 225));
  QPen pen(Qt::darkGray);
  pen.setWidthF(0.15 * l.mm);

  for (int page = 0; page < pageCount; ++page) {
    if (page > 0)
      device.newPage();
    p.setPen(Qt::black);

    // Header.
    const QString pageText = QStringLiteral("Página %1 de %2").arg(page + 1).arg(pageCount);
    p.setFont(l.font);
    const qreal pageTextWidth = fm.horizontalAdvance(pageText);
    const QRectF titleLine(0, 0, l.width, fmTitle.height() * 1.4);
    p.drawText(titleLine, Qt::AlignRight | Qt::AlignVCenter, pageText);
    p.setFont(l.title);
    p.drawText(titleLine.adjusted(0, 0, -pageTextWidth - 4 * l.mm, 0), Qt::AlignLeft | Qt::AlignVCenter,
               fmTitle.elidedText(Title, Qt::ElideRight, l.width - pageTextWidth - 4 * l.mm));
    const qreal lineHeight = fm.height() * 1.3;
    const qreal half = l.width / 2;
    for (int i = 0; i < Lines.size(); ++i) {
      const QRectF rect((i % 2) * half, titleLine.bottom() + (i / 2) * lineHeight, half - 2 * l.mm, lineHeight);
      p.setFont(l.bold);
      const QString label = Lines[i].label + QLatin1Char(' ');
      const qreal labelWidth = QFontMetricsF(l.bold, &device).horizontalAdvance(label);
      p.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, label);
      p.setFont(l.font);
      p.drawText(rect.adjusted(labelWidth, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                 fm.elidedText(Lines[i].value, Qt::ElideRight, rect.width() - labelWidth));
    }
    p.setPen(pen);
    p.drawLine(QPointF(0, l.top - 1.5 * l.mm), QPointF(l.width, l.top - 1.5 * l.mm));

    for (const TPiece &piece : l.pages[page]) {
      const TBlock &block = *m_blocks[size_t(piece.block)];
      if (block.kind == TBlock::Table) {
        const TLayout::TTableMetrics &t = l.tables[piece.block];
        const auto [c0, c1] = t.bands[piece.band];
        const int cols = int(block.widths.size());
        qreal y = piece.y;
        const auto paintRow = [&](qreal height, const TCell *rowTitle, const TCell *cells, bool titleRow) {
          qreal x = 0;
          p.setFont(titleRow ? l.bold : l.font);
          if (t.rowHeaderWidth > 0) {
            p.setFont(l.bold);
            PaintCell(p, QRectF(x, y, t.rowHeaderWidth, height), *rowTitle, l.pad, titleBrush);
            p.setFont(titleRow ? l.bold : l.font);
            x += t.rowHeaderWidth;
          }
          for (int c = c0; c < c1; ++c) {
            PaintCell(p, QRectF(x, y, t.widths[c], height), cells[c], l.pad, titleRow ? titleBrush : QBrush());
            x += t.widths[c];
          }
          y += height;
        };
        p.setPen(pen);
        paintRow(t.titleHeight, &block.corner, block.titles.constData(), true);
        for (int r = piece.first; r < piece.last; ++r) {
          const TCell *rowTitle = block.rowTitles.isEmpty() ? nullptr : &block.rowTitles[r];
          paintRow(t.rowHeights[r], rowTitle, block.cells.constData() + qsizetype(r) * cols, false);
        }
      } else if (block.kind == TBlock::Keys) {
        const TLayout::TKeyMetrics &k = l.keys[piece.block];
        p.setFont(l.font);
        for (int i = 0; i < block.keys.size(); ++i) {
          const TReportKey &key = block.keys[i];
          QPointF at = k.at[i] + QPointF(0, piece.y);
          if (key.brush.style() != Qt::NoBrush) {
            p.setPen(pen);
            const qreal h = k.lineHeight * 0.6;
            PaintCell(p, QRectF(at.x(), at.y() + (k.lineHeight - h) / 2, k.swatch, h), {}, 0, key.brush);
            at.rx() += k.swatch + 1.5 * l.mm;
          }
          p.setPen(Qt::black);
          p.drawText(QRectF(at, QSizeF(l.width - at.x(), k.lineHeight)), Qt::AlignLeft | Qt::AlignVCenter, key.text);
        }
      } else {
        const TLayout::TCalendarMetrics &m = l.calendars[piece.block];
        const qreal cellWidth = m.monthWidth / kDays;
        for (int i = piece.first * m.perRow; i < std::min<int>(piece.last * m.perRow, int(block.months.size())); ++i) {
          const TReportMonth &month = block.months[i];
          const qreal x0 = (i % m.perRow) * (m.monthWidth + m.gap);
          qreal y = piece.y;
          p.setPen(Qt::black);
          p.setFont(l.bold);
          p.drawText(QRectF(x0, y, m.monthWidth, m.captionHeight), Qt::AlignCenter, month.caption);
          y += m.captionHeight;
          // The whole weekday names when they fit, else three letters, else one.
          int letters = 0;
          for (const QString &name : month.weekdays)
            letters = std::max(letters, int(name.size()));
          for (int cut : {letters, 3, 1}) {
            letters = cut;
            bool fits = true;
            for (const QString &name : month.weekdays)
              fits = fits && fm.horizontalAdvance(name.left(cut)) <= cellWidth - 2 * l.pad;
            if (fits)
              break;
          }
          p.setPen(pen);
          for (int d = 0; d < kDays; ++d) {
            const QString name = d < month.weekdays.size() ? month.weekdays[d].left(letters) : QString();
            PaintCell(p, QRectF(x0 + d * cellWidth, y, cellWidth, m.weekdayHeight), {name, {}, Qt::AlignCenter}, l.pad,
                      titleBrush);
          }
          y += m.weekdayHeight;
          p.setFont(l.font);
          const QDate first(month.year, month.month, 1);
          if (!first.isValid())
            continue;
          const QDate start = first.addDays(-((first.dayOfWeek() % kDays - month.startOfWeek + kDays) % kDays));
          for (int w = 0; w < kWeeks; ++w)
            for (int d = 0; d < kDays; ++d) {
              const QDate day = start.addDays(w * kDays + d);
              const bool inMonth = day.month() == month.month;
              TCell cell{inMonth ? QString::number(day.day()) : QString(), {}, Qt::AlignCenter};
              if (inMonth && month.marked.contains(day.day()))
                cell.brush = QBrush(month.markColor);
              PaintCell(p, QRectF(x0 + d * cellWidth, y + w * m.cellHeight, cellWidth, m.cellHeight), cell, l.pad);
            }
        }
      }
    }
  }
  p.end();
}
