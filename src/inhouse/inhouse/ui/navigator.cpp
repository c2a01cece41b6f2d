#include <inhouse/ui/navigator.h>

#include <inhouse/data/dataset.h>
#include <inhouse/data/datasource.h>
#include <inhouse/services/errors.h>
#include <inhouse/ui/buttons.h>
#include <inhouse/ui/icons.h>

#include <QHBoxLayout>

TDBNavigator::TDBNavigator(QWidget *parent) : QWidget(parent)
{
  setFixedSize(108, 18);
  auto *layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  const struct {
    TButtonFlat **button;
    const char *name;
    const char *hint;
    const char *icon;
  } buttons[] = {
      {&btnFirst, "btnFirst", "Primeiro", "first"},
      {&btnPrior, "btnPrior", "Anterior", "previous"},
      {&btnNext, "btnNext", "Próximo", "next"},
      {&btnLast, "btnLast", "Último", "last"},
  };
  for (const auto &b : buttons) {
    *b.button = new TButtonFlat(this);
    (*b.button)->setObjectName(QLatin1String(b.name));
    (*b.button)->SetHint(QString::fromUtf8(b.hint));
    (*b.button)->setIcon(LibIcon(QLatin1String(b.icon)));
    (*b.button)->setFixedSize(27, 18);
    (*b.button)->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(*b.button);
  }
  auto move = [this](void (TDataSet::*step)()) {
    return Handler([this, step] {
      if (m_source && m_source->DataSet() && m_source->DataSet()->Active())
        (m_source->DataSet()->*step)();
    });
  };
  connect(btnFirst, &QToolButton::clicked, this, move(&TDataSet::First));
  connect(btnPrior, &QToolButton::clicked, this, move(&TDataSet::Prior));
  connect(btnNext, &QToolButton::clicked, this, move(&TDataSet::Next));
  connect(btnLast, &QToolButton::clicked, this, move(&TDataSet::Last));
}
