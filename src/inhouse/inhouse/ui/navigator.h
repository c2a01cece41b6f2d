#pragma once
// Record navigator: first, prior, next and last of a data source's set.
#include <inhouse/inhouse_export.h>

#include <QPointer>
#include <QWidget>

class TButtonFlat;
class TDataSource;

class INHOUSE_EXPORT TDBNavigator : public QWidget {
  Q_OBJECT
public:
  explicit TDBNavigator(QWidget *parent = nullptr);
  void SetDataSource(TDataSource *source) { m_source = source; }
  TDataSource *DataSource() const { return m_source; }
  TButtonFlat *btnFirst, *btnPrior, *btnNext, *btnLast;

private:
  QPointer<TDataSource> m_source;
};
