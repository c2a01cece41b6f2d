#pragma once
// A data-aware month calendar: it shows one month as a grid of weeks and marks each day on
// which a date-time field of its data source's data set falls. The selected day is read and
// written through the date elements 1 = year, 2 = month, 3 = day.
#include <inhouse/inhouse_export.h>

#include <QColor>
#include <QDate>
#include <QMetaObject>
#include <QPointer>
#include <QTableView>

#include <array>
#include <functional>

class TDataSource;
class TDataSet;
class TCalendarModel;

class INHOUSE_EXPORT TDBCalendar : public QTableView {
  Q_OBJECT
public:
  // The weekday names over the columns: one letter, three letters, the whole name. Names too
  // wide for the columns are cut to their first letter.
  enum TDisplayFormat { dfD, dfDDD, dfDDDD };

  explicit TDBCalendar(QWidget *parent = nullptr);
  ~TDBCalendar() override;

  // Where the marked dates come from: the field named DataField of the source's data set.
  void SetDataSource(TDataSource *source);
  TDataSource *DataSource() const { return m_source; }
  void SetDataField(const QString &fieldName);
  QString DataField() const { return m_dataField; }

  // Background of marked days.
  void SetHollidayColor(const QColor &color);
  QColor HollidayColor() const { return m_hollidayColor; }
  // Whether the selected day is highlighted.
  void SetShowCurrentDay(bool show);
  bool ShowCurrentDay() const { return m_showCurrentDay; }
  // The weekday of the first column: 0 Sunday to 6 Saturday.
  void SetStartOfWeek(int dayOfWeek);
  int StartOfWeek() const { return m_startOfWeek; }
  // When set, the calendar moves to the system's date.
  void SetUseCurrentDate(bool use);
  bool UseCurrentDate() const { return m_useCurrentDate; }
  void SetDisplayFormat(TDisplayFormat format);
  TDisplayFormat DisplayFormat() const { return m_displayFormat; }
  // Told to assistive technology after the date of a marked day.
  void SetMarkedText(const QString &text);

  // 1 year, 2 month, 3 day. A day the month does not have (31 in April) is kept as set and
  // the month's last day is selected instead; the getter gives the day selected.
  int GetDateElement(int index) const;
  void SetDateElement(int index, int value);
  QDate CalendarDate() const; // the day selected

  bool IsMarked(const QDate &day) const;
  int MarkedDayCount() const; // in the month shown
  // How many values of the data field fall on a day of the month shown (0 for other days).
  int MarkCount(const QDate &day) const;
  // The tooltip of a marked day, also told to assistive technology: `one` for a single value,
  // `many` with "%1" for the count. Empty texts (the default) give no tooltip.
  void SetMarkCountTexts(const QString &one, const QString &many);
  QString MarkCountText(const QDate &day) const;
  // Where a day of the month shown is drawn; empty for a day of another month.
  QRect DayRect(const QDate &day) const;

  // A double click on a day, after it has been selected; Enter on the selected day too.
  std::function<void(TDBCalendar &)> OnDblClick;

protected:
  void keyPressEvent(QKeyEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
  friend class TCalendarModel;
  void WatchDataSet();
  void Remark(); // marks of the month shown, from the data set as it stands
  void MonthChanged();
  void SyncCurrentCell();
  void FitSections();
  int HeaderLetters() const; // of the weekday names, as the format asks and the width allows
  int ShownDay() const;
  QDate FirstCellDate() const;
  QModelIndex IndexOf(const QDate &day) const;
  QDate DateAt(const QModelIndex &index) const;

  TCalendarModel *m_model;
  QPointer<TDataSource> m_source;
  QPointer<TDataSet> m_dataSet;
  QList<QMetaObject::Connection> m_dataSetConnections;
  QString m_dataField;
  QColor m_hollidayColor = Qt::yellow;
  bool m_showCurrentDay = true;
  int m_startOfWeek = 0;
  bool m_useCurrentDate = false;
  TDisplayFormat m_displayFormat = dfDDD;
  QString m_markedText = QStringLiteral("marcado");
  int m_year, m_month, m_day; // the elements as set
  QString m_markCountOne, m_markCountMany;
  std::array<int, 32> m_marks{}; // values by day of the month shown
  bool m_syncing = false;
};
