#include "shared/listchoice.h"

#include "shared/glyphs.h"

#include <inhouse/services/errors.h>
#include <inhouse/services/texts.h>

#include <QHBoxLayout>
#include <QVBoxLayout>

TListChoice BuildListChoice(QWidget *parent, const QString &title, const TListChoiceNames &names, TDataSource *source,
                            const QString &spokenName)
{
  TListChoice c;
  c.box = new QGroupBox(title, parent);
  c.box->setObjectName(QLatin1String(names.box));
  QFont bold = c.box->font();
  bold.setBold(true);
  c.box->setFont(bold);
  auto radio = [&](const QString &caption, const char *name) {
    auto *r = new QRadioButton(caption, c.box);
    r->setObjectName(QLatin1String(name));
    QFont normal = r->font();
    normal.setBold(false);
    r->setFont(normal);
    return r;
  };
  c.all = radio(QStringLiteral("Todos"), names.all);
  c.list = radio(QStringLiteral("Lista"), names.list);
  c.all->setChecked(true);

  c.search = new TBtnPesquisa(c.box);
  c.search->setObjectName(QLatin1String(names.search));
  c.search->SetHint(QStringLiteral("Pesquisar"));
  c.search->setIcon(GlyphIcon(TGlyph::Search));
  c.search->setIconSize(QSize(16, 16));
  c.search->setFixedSize(23, 22);
  // Reachable with Tab, so the search needs no mouse.
  c.search->setFocusPolicy(Qt::TabFocus);
  c.search->setAccessibleName(spokenName);
  c.search->Associado = c.list;
  c.search->DataSource = source;
  c.search->setEnabled(false);

  auto *rows = new QVBoxLayout(c.box);
  rows->setContentsMargins(10, 4, 6, 6);
  rows->setSpacing(2);
  rows->addWidget(c.all);
  auto *listRow = new QHBoxLayout;
  listRow->addWidget(c.list);
  listRow->addSpacing(12);
  listRow->addWidget(c.search);
  listRow->addStretch(1);
  rows->addLayout(listRow);
  QWidget::setTabOrder(c.all, c.list);
  QWidget::setTabOrder(c.list, c.search);
  return c;
}

void CheckListChoice(const TListChoice &choice, const QString &list, const QString &message)
{
  if (choice.all->isChecked() || !EmptyString(list))
    return;
  try {
    MensErro(message);
  } catch (...) {
    choice.list->setFocus();
    throw;
  }
}
