#include "inhouse/ui/calendar.h"

#include <inhouse/data/datasource.h>
#include <inhouse/errors.h>
#include <inhouse/services/texts.h>
#include <inhouse/text/regional.h>
#include <inhouse/ui/colours.h>
#include <zrt/common/datetime.h>

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>
#include <cmath>

namespace {
constexpr int kWeeks = 6;
constexpr int kDays = 7;
} // namespace

// Six weeks of seven days from the week holding the first of the month; cells of the months
// around it are blank and cannot be selected.
class TCalendarModel : public QAbstractTableModel {
public:
  explicit TCalendarModel(TDBCalendar *calendar) : QAbstractTableModel(calendar), m_calendar(calendar) {}

  int rowCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : kWeeks; }
  int columnCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : kDays; }

  Qt::ItemFlags flags(const QModelIndex &index) const override
  {
    return InMonth(index) ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
  }

  QVariant data(const QModelIndex &index, int role) const override
  {
    if (!InMonth(index))
      return {};
    const QDate day = m_calendar->DateAt(index);
    switch (role) {
    case Qt::DisplayRole: return day.day();
    case Qt::AccessibleTextRole: {
      QString text = NomeDia(day) + QStringLiteral(", ") + DateToStr(zrt::toDateTime(day));
      if (m_calendar->m_marks[size_t(day.day())] > 0)
        text += QStringLiteral(", ") + m_calendar->m_markedText;
      const QString count = m_calendar->MarkCountText(day);
      if (!count.isEmpty())
        text += QStringLiteral(", ") + count;
      return text;
    }
    case Qt::ToolTipRole: {
      const QString count = m_calendar->MarkCountText(day);
      return count.isEmpty() ? QVariant() : QVariant(count);
    }
    case Qt::TextAlignmentRole: return int(Qt::AlignCenter);
    default: return {};
    }
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override
  {
    if (orientation != Qt::Horizontal || section < 0 || section >= kDays)
      return {};
    // 2 January 2000 was a Sunday; NomeDia names the column's weekday from it.
    const QString name = NomeDia(QDate(2000, 1, 2).addDays((m_calendar->m_startOfWeek + section) % kDays));
    if (role == Qt::AccessibleTextRole || role == Qt::ToolTipRole)
      return name;
    if (role != Qt::DisplayRole)
      return {};
    return name.left(m_calendar->HeaderLetters());
  }

  void CellsChanged() { emit dataChanged(index(0, 0), index(kWeeks - 1, kDays - 1)); }
  void HeadersChanged() { emit headerDataChanged(Qt::Horizontal, 0, kDays - 1); }

private:
  bool InMonth(const QModelIndex &index) const
  {
    if (!index.isValid())
      return false;
    const QDate day = m_calendar->DateAt(index);
    return day.month() == m_calendar->m_month && day.year() == m_calendar->m_year;
  }
  TDBCalendar *m_calendar;
};

namespace {
// Marked days on their colour, the selected day framed in the highlight colour when it is
// shown, the focus frame while the calendar has the focus.
class TCalendarDelegate : public QStyledItemDelegate {
public:
  explicit TCalendarDelegate(TDBCalendar *calendar) : QStyledItemDelegate(calendar), m_calendar(calendar) {}

  void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
  {
    const QVariant text = index.data(Qt::DisplayRole);
    if (!text.isValid())
      return;
    const QDate day = QDate(m_calendar->GetDateElement(1), m_calendar->GetDateElement(2), text.toInt());
    const bool marked = m_calendar->IsMarked(day);
    const bool current = index == m_calendar->currentIndex();
    painter->save();
    const QRect cell = option.rect;
    QColor ink = option.palette.color(QPalette::Text);
    if (marked) {
      // The mark colour is the paper's; a dark palette shows a darker shade of it.
      const QColor fill = Colours::FillFor(m_calendar->HollidayColor(), option.palette);
      painter->fillRect(cell, fill);
      ink = Colours::InkOn(fill, option.palette);
    }
    QFont font = option.font;
    if (current && m_calendar->ShowCurrentDay()) {
      font.setBold(true);
      painter->setPen(QPen(option.palette.color(QPalette::Active, QPalette::Highlight), 2));
      painter->drawRect(cell.adjusted(1, 1, -1, -1));
    }
    if (current && m_calendar->hasFocus()) {
      painter->setPen(QPen(ink, 1, Qt::DotLine));
      painter->drawRect(cell.adjusted(2, 2, -3, -3));
    }
    painter->setFont(font);
    painter->setPen(ink);
    painter->drawText(cell, Qt::AlignCenter, text.toString());
    painter->restore();
  }

private:
  TDBCalendar *m_calendar;
};
} // namespace

TDBCalendar::TDBCalendar(QWidget *parent) : QTableView(parent), m_model(new TCalendarModel(this))
{
  const QDate today = QDate::currentDate();
  m_year = today.year();
  m_month = today.month();
  m_day = today.day();
  setModel(m_model);
  setItemDelegate(new TCalendarDelegate(this));
  setSelectionMode(QAbstractItemView::NoSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setTabKeyNavigation(false);
  setCornerButtonEnabled(false);
  verticalHeader()->hide();
  for (QHeaderView *header : {horizontalHeader(), verticalHeader()}) {
    header->setMinimumSectionSize(1);
    header->setSectionResizeMode(QHeaderView::Stretch);
  }
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setHighlightSections(false);
  SyncCurrentCell();
}

TDBCalendar::~TDBCalendar()
{
  for (const auto &c : std::as_const(m_dataSetConnections))
    disconnect(c);
}

void TDBCalendar::SetDataSource(TDataSource *source)
{
  if (m_source == source)
    return;
  if (m_source)
    disconnect(m_source, nullptr, this, nullptr);
  m_source = source;
  if (m_source)
    connect(m_source, &TDataSource::dataSetChanged, this, [this] { WatchDataSet(); });
  WatchDataSet();
}

void TDBCalendar::SetDataField(const QString &fieldName)
{
  m_dataField = fieldName;
  Remark();
}

void TDBCalendar::WatchDataSet()
{
  for (const auto &c : std::as_const(m_dataSetConnections))
    disconnect(c);
  m_dataSetConnections.clear();
  m_dataSet = m_source ? m_source->DataSet() : nullptr;
  if (m_dataSet) {
    // A reload arrives as one reset; single-row changes are rare (the sets are read-only views).
    const auto remark = [this] { Remark(); };
    m_dataSetConnections = {
        connect(m_dataSet, &TDataSet::dataReset, this, remark), connect(m_dataSet, &TDataSet::rowInserted, this, remark),
        connect(m_dataSet, &TDataSet::rowRemoved, this, remark), connect(m_dataSet, &TDataSet::rowChanged, this, remark)};
  }
  Remark();
}

void TDBCalendar::Remark()
{
  m_marks.fill(0);
  if (m_dataSet && m_dataSet->Active() && !m_dataField.isEmpty()) {
    Guarded([this] {
      const int field = m_dataSet->FieldByName(m_dataField).Index();
      const QDate first(m_year, m_month, 1);
      // Values well outside the month are passed over before any date is built from them.
      const double low = zrt::toDateTime(first) - 2;
      const double high = zrt::toDateTime(first.addMonths(1)) + 2;
      const int rows = m_dataSet->RecordCount();
      for (int row = 0; row < rows; ++row) {
        const QVariant &value = m_dataSet->CellValue(row, field);
        if (value.isNull())
          continue;
        const double when = value.toDouble();
        if (!(when > low && when < high))
          continue;
        const QDate day = zrt::dateOf(when);
        if (day.month() == m_month && day.year() == m_year)
          ++m_marks[size_t(day.day())];
      }
    });
  }
  m_model->CellsChanged();
}

void TDBCalendar::SetHollidayColor(const QColor &color)
{
  m_hollidayColor = color;
  viewport()->update();
}

void TDBCalendar::SetShowCurrentDay(bool show)
{
  m_showCurrentDay = show;
  viewport()->update();
}

void TDBCalendar::SetStartOfWeek(int dayOfWeek)
{
  if (dayOfWeek < 0 || dayOfWeek >= kDays)
    throw EConvertError(QStringLiteral("Primeiro dia da semana inválido: %1.").arg(dayOfWeek));
  m_startOfWeek = dayOfWeek;
  m_model->HeadersChanged();
  MonthChanged();
}

void TDBCalendar::SetUseCurrentDate(bool use)
{
  m_useCurrentDate = use;
  if (!use)
    return;
  const QDate today = QDate::currentDate();
  m_year = today.year();
  m_month = today.month();
  m_day = today.day();
  MonthChanged();
}

void TDBCalendar::SetDisplayFormat(TDisplayFormat format)
{
  m_displayFormat = format;
  m_model->HeadersChanged();
}

void TDBCalendar::SetMarkedText(const QString &text)
{
  m_markedText = text;
  m_model->CellsChanged();
}

int TDBCalendar::ShownDay() const { return std::min(m_day, QDate(m_year, m_month, 1).daysInMonth()); }

QDate TDBCalendar::CalendarDate() const { return QDate(m_year, m_month, ShownDay()); }

int TDBCalendar::GetDateElement(int index) const
{
  switch (index) {
  case 1: return m_year;
  case 2: return m_month;
  case 3: return ShownDay();
  }
  throw EConvertError(QStringLiteral("Elemento de data inválido: %1.").arg(index));
}

void TDBCalendar::SetDateElement(int index, int value)
{
  switch (index) {
  case 1:
    if (value < 1 || value > 9999)
      throw EConvertError(QStringLiteral("Ano inválido: %1.").arg(value));
    if (value == m_year)
      return;
    m_year = value;
    MonthChanged();
    return;
  case 2:
    if (value < 1 || value > 12)
      throw EConvertError(QStringLiteral("Mês inválido: %1.").arg(value));
    if (value == m_month)
      return;
    m_month = value;
    MonthChanged();
    return;
  case 3:
    if (value < 1 || value > 31)
      throw EConvertError(QStringLiteral("Dia inválido: %1.").arg(value));
    m_day = value;
    SyncCurrentCell();
    return;
  }
  throw EConvertError(QStringLiteral("Elemento de data inválido: %1.").arg(index));
}

void TDBCalendar::MonthChanged()
{
  Remark();
  SyncCurrentCell();
}

bool TDBCalendar::IsMarked(const QDate &day) const { return MarkCount(day) > 0; }

int TDBCalendar::MarkedDayCount() const
{
  return int(std::count_if(m_marks.begin(), m_marks.end(), [](int n) { return n > 0; }));
}

int TDBCalendar::MarkCount(const QDate &day) const
{
  return day.isValid() && day.year() == m_year && day.month() == m_month ? m_marks[size_t(day.day())] : 0;
}

void TDBCalendar::SetMarkCountTexts(const QString &one, const QString &many)
{
  m_markCountOne = one;
  m_markCountMany = many;
  m_model->CellsChanged();
}

QString TDBCalendar::MarkCountText(const QDate &day) const
{
  const int n = MarkCount(day);
  if (n <= 0)
    return {};
  return n == 1 ? m_markCountOne : QString(m_markCountMany).replace(QLatin1String("%1"), QString::number(n));
}

QDate TDBCalendar::FirstCellDate() const
{
  const QDate first(m_year, m_month, 1);
  const int weekday = first.dayOfWeek() % kDays; // 0 Sunday
  return first.addDays(-((weekday - m_startOfWeek + kDays) % kDays));
}

QDate TDBCalendar::DateAt(const QModelIndex &index) const
{
  return FirstCellDate().addDays(index.row() * kDays + index.column());
}

QModelIndex TDBCalendar::IndexOf(const QDate &day) const
{
  const qint64 offset = FirstCellDate().daysTo(day);
  if (offset < 0 || offset >= kWeeks * kDays)
    return {};
  return m_model->index(int(offset / kDays), int(offset % kDays));
}

QRect TDBCalendar::DayRect(const QDate &day) const
{
  if (day.year() != m_year || day.month() != m_month)
    return {};
  return visualRect(IndexOf(day));
}

void TDBCalendar::SyncCurrentCell()
{
  m_syncing = true;
  setCurrentIndex(IndexOf(CalendarDate()));
  m_syncing = false;
  viewport()->update();
}

void TDBCalendar::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
  QTableView::currentChanged(current, previous);
  if (!m_syncing && current.isValid()) {
    const QDate day = DateAt(current);
    if (day.month() == m_month && day.year() == m_year)
      m_day = day.day();
  }
  viewport()->update();
}

QModelIndex TDBCalendar::moveCursor(CursorAction action, Qt::KeyboardModifiers)
{
  // Moves stay inside the month shown: a step past its first or last day goes nowhere.
  const QDate from = CalendarDate();
  QDate to = from;
  switch (action) {
  case MoveLeft:
  case MovePrevious: to = from.addDays(-1); break;
  case MoveRight:
  case MoveNext: to = from.addDays(1); break;
  case MoveUp: to = from.addDays(-kDays); break;
  case MoveDown: to = from.addDays(kDays); break;
  case MoveHome:
  case MovePageUp: to = QDate(m_year, m_month, 1); break;
  case MoveEnd:
  case MovePageDown: to = QDate(m_year, m_month, from.daysInMonth()); break;
  }
  if (to.month() != m_month || to.year() != m_year)
    to = from;
  return IndexOf(to);
}

void TDBCalendar::keyPressEvent(QKeyEvent *event)
{
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
    if (OnDblClick) {
      event->accept();
      Guarded([this] { OnDblClick(*this); });
      return;
    }
  }
  QTableView::keyPressEvent(event);
}

void TDBCalendar::mouseDoubleClickEvent(QMouseEvent *event)
{
  QTableView::mouseDoubleClickEvent(event);
  const QModelIndex index = indexAt(event->position().toPoint());
  if (!(m_model->flags(index) & Qt::ItemIsEnabled))
    return; // a blank cell names no day
  setCurrentIndex(index);
  if (OnDblClick)
    Guarded([this] { OnDblClick(*this); });
}

void TDBCalendar::resizeEvent(QResizeEvent *event)
{
  QTableView::resizeEvent(event);
  FitSections();
}

void TDBCalendar::FitSections()
{
  // The weekday row takes the height of a week row, so the month fills the control.
  const int height = contentsRect().height();
  horizontalHeader()->setFixedHeight(std::max(1, height / (kWeeks + 1)));
  m_model->HeadersChanged();
}

int TDBCalendar::HeaderLetters() const
{
  const int wanted = m_displayFormat == dfD ? 1 : m_displayFormat == dfDDD ? 3 : 64;
  // Names that do not fit a narrow column are shortened to their first letter.
  const QFontMetrics metrics(horizontalHeader()->font());
  const int room = contentsRect().width() / kDays - 2;
  for (int day = 0; day < kDays && wanted > 1; ++day)
    if (metrics.horizontalAdvance(NomeDia(QDate(2000, 1, 2).addDays(day)).left(wanted)) > room)
      return 1;
  return wanted;
}
