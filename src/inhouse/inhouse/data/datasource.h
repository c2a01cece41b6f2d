#pragma once
// Links a data set to the controls that show it and mirrors its state.
#include <inhouse/data/dataset.h>

#include <QPointer>

class INHOUSE_EXPORT TDataSource : public QObject {
  Q_OBJECT
public:
  explicit TDataSource(QObject *parent = nullptr, TDataSet *dataSet = nullptr);

  TDataSet *DataSet() const { return m_dataSet; }
  void SetDataSet(TDataSet *dataSet);
  TDataSetState State() const { return m_dataSet ? m_dataSet->State() : dsInactive; }

  std::function<void(TDataSource &)> OnStateChange; // every change of the set's state

signals:
  void stateChanged(TDataSetState state);
  void dataSetChanged(TDataSet *dataSet);

private:
  void Notify();
  QPointer<TDataSet> m_dataSet;
  QMetaObject::Connection m_conn, m_destroyedConn;
  TDataSetState m_lastState = dsInactive;
};
