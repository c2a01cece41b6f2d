#pragma once
// Links a data set to the controls that show it and mirrors its state.
#include <inhouse/data/dataset.h>
#include <inhouse/inhouse_core_export.h>

#include <QObject>
#include <QPointer>
#include <functional>

class INHOUSE_CORE_EXPORT TDataSource : public QObject {
  Q_OBJECT
public:
  explicit TDataSource(QObject *parent = nullptr, TDataSet *dataSet = nullptr);

  TDataSet *DataSet() const { return m_dataSet; }
  void SetDataSet(TDataSet *dataSet);
  TDataSetState State() const { return m_dataSet ? m_dataSet->State() : dsInactive; }

  // Every change of the set's state; an exception it throws goes to the error report.
  std::function<void(TDataSource &)> OnStateChange;

signals:
  void stateChanged(TDataSetState state);
  void dataSetChanged(TDataSet *dataSet);

private:
  void Notify();
  QPointer<TDataSet> m_dataSet;
  QMetaObject::Connection m_conn, m_destroyedConn;
  TDataSetState m_lastState = dsInactive;
};
