#include "accessibilitycheck.h"

#include <inhouse/ui/accessibility.h>

#include <QAccessible>
#include <QTabBar>
#include <QWidget>

namespace {
QString Describe(const QWidget *w)
{
  return QStringLiteral("%1 (%2)").arg(w->objectName(), QString::fromUtf8(w->metaObject()->className()));
}
} // namespace

QString SpokenName(QWidget *control)
{
  QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(control);
  return iface ? iface->text(QAccessible::Name) : QString();
}

QString Announced(QWidget *window)
{
  QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(window);
  if (!iface)
    return {};
  QString kind;
  switch (iface->role()) {
  case QAccessible::Dialog: kind = QStringLiteral("dialog"); break;
  case QAccessible::Window: kind = QStringLiteral("window"); break;
  case QAccessible::PopupMenu: kind = QStringLiteral("menu"); break;
  default: kind = QStringLiteral("role %1").arg(int(iface->role()));
  }
  return kind + QStringLiteral(": ") + iface->text(QAccessible::Name);
}

QString SpokenCell(QWidget *table, int row, int column)
{
  QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(table);
  QAccessibleTableInterface *cells = iface ? iface->tableInterface() : nullptr;
  if (!cells)
    return {};
  QAccessibleInterface *cell = cells->cellAt(row, column);
  return cell ? cell->text(QAccessible::Name) : QString();
}

QString SpokenColumnHeader(QWidget *table, int column)
{
  QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(table);
  QAccessibleTableInterface *cells = iface ? iface->tableInterface() : nullptr;
  QAccessibleInterface *cell = cells ? cells->cellAt(0, column) : nullptr;
  QAccessibleTableCellInterface *asCell = cell ? cell->tableCellInterface() : nullptr;
  const QList<QAccessibleInterface *> headers = asCell ? asCell->columnHeaderCells() : QList<QAccessibleInterface *>();
  const QString name = headers.isEmpty() ? QString() : headers.first()->text(QAccessible::Name);
  // Qt makes the header cells anew at each call and leaves them to the caller.
  for (QAccessibleInterface *header : headers)
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(header));
  return name;
}

QStringList UnnamedControls(QWidget *window)
{
  QStringList unnamed;
  QList<QWidget *> controls = window->findChildren<QWidget *>();
  controls.prepend(window);
  for (QWidget *w : controls) {
    // A control hidden on purpose (a tab bar of one page, an overflow chevron with nothing to
    // show) is not reachable.
    if (w != window && w->isHidden())
      continue;
    if (auto *tabs = qobject_cast<QTabBar *>(w)) {
      // The tab bar is said through its tabs, which come first among its accessible children.
      QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(tabs);
      for (int i = 0; iface && i < tabs->count(); ++i)
        if (QAccessibleInterface *tab = iface->child(i);
            tabs->isTabVisible(i) && (!tab || tab->text(QAccessible::Name).trimmed().isEmpty()))
          unnamed << QStringLiteral("%1 tab %2").arg(Describe(tabs)).arg(i);
      continue;
    }
    if (w != window && IsInteractiveControl(w) && SpokenName(w).trimmed().isEmpty())
      unnamed << Describe(w);
  }
  return unnamed;
}
