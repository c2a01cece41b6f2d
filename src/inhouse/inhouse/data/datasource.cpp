#include <inhouse/data/datasource.h>

TDataSource::TDataSource(QObject *parent, TDataSet *dataSet) : QObject(parent) { SetDataSet(dataSet); }

void TDataSource::SetDataSet(TDataSet *dataSet)
{
  if (m_dataSet == dataSet)
    return;
  if (m_conn)
    disconnect(m_conn);
  m_dataSet = dataSet;
  if (dataSet)
    m_conn = connect(dataSet, &TDataSet::stateChanged, this, [this] { Notify(); });
  emit dataSetChanged(dataSet);
  Notify();
}

void TDataSource::Notify()
{
  const TDataSetState state = State();
  if (state == m_lastState)
    return;
  m_lastState = state;
  if (OnStateChange)
    OnStateChange(*this);
  emit stateChanged(state);
}
