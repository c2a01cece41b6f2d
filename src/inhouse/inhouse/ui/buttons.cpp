#include <inhouse/data/datasource.h>
#include <inhouse/errors.h>
#include <inhouse/ui/buttons.h>

#include <QPainter>

TButtonFlat::TButtonFlat(QWidget *parent) : QToolButton(parent)
{
  setAutoRaise(true);
  setFocusPolicy(Qt::NoFocus); // flat buttons never take the focus from the field being edited
  setToolButtonStyle(Qt::ToolButtonIconOnly);
}

void TButtonFlat::paintEvent(QPaintEvent *event)
{
  QToolButton::paintEvent(event);
  if (!hasFocus())
    return;
  QPainter painter(this);
  painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
  painter.drawRect(rect().adjusted(1, 1, -1, -1));
}

void TButtonFlat::SetHint(const QString &hint) { setToolTip(hint); }

QString TButtonFlat::Hint() const { return toolTip(); }

void TButtonFlat::SetBounds(int left, int top, int width, int height)
{
  setGeometry(left, top, width, height);
  setFixedSize(width, height);
}

void TButtonFlat::Click()
{
  if (isEnabled())
    click();
}

TBtnPesquisa::TBtnPesquisa(QWidget *parent) : TButtonFlat(parent)
{
  connect(this, &QToolButton::clicked, this, [this] { Guarded([this] { Search(); }); });
}

void TBtnPesquisa::Search()
{
  if (BeforePesq)
    BeforePesq(*this);
  emit pesquisar();
}

TMenuItem::TMenuItem(QObject *parent) : QAction(parent) {}

TMenuItem::TMenuItem(const QString &caption, QObject *parent) : QAction(caption, parent) {}

TMenuItem::TMenuItem(const QString &caption, const QKeySequence &shortCut, QObject *parent) : QAction(caption, parent)
{
  setShortcut(shortCut);
  // The short-cut works while the item's drop-down is closed, as long as the window is active.
  setShortcutContext(Qt::WindowShortcut);
}
