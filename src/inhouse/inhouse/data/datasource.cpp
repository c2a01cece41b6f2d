#include <inhouse/data/datasource.h>
#include <inhouse/errors.h>

TDataSource::TDataSource(QObject *parent, TDataSet *dataSet) : QObject(parent) { SetDataSet(dataSet); }

void TDataSource::SetDataSet(TDataSet *dataSet)
{
  if (m_dataSet == dataSet)
    return;
  disconnect(m_conn);
  disconnect(m_destroyedConn);
  m_dataSet = dataSet;
  if (dataSet) {
    m_conn = connect(dataSet, &TDataSet::stateChanged, this, [this] { Notify(); });
    // A set destroyed under the source leaves it inactive rather than dangling.
    m_destroyedConn = connect(dataSet, &QObject::destroyed, this, [this] {
      m_dataSet = nullptr;
      emit dataSetChanged(nullptr);
      Notify();
    });
  }
  emit dataSetChanged(dataSet);
  Notify();
}

void TDataSource::Notify()
{
  const TDataSetState state = State();
  if (state == m_lastState)
    return;
  m_lastState = state;
  // Runs inside the data set's signal, in the middle of its state change: a throw from here
  // would cross Qt's signal dispatch and leave the set half changed, so it is reported instead.
  if (OnStateChange)
    Guarded([this] { OnStateChange(*this); });
  emit stateChanged(state);
}
