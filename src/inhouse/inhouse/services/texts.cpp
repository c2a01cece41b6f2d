#include <inhouse/errors.h>
#include <inhouse/services/texts.h>

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMetaClassInfo>
#include <QTabWidget>
#include <QWidget>

namespace {
std::function<void(QWidget *)> &ControlNamer()
{
  static std::function<void(QWidget *)> namer;
  return namer;
}

QHash<QString, QString> &Table()
{
  static QHash<QString, QString> table;
  return table;
}

QString Tr(const QString &text)
{
  if (text.isEmpty())
    return text;
  auto it = Table().constFind(text);
  return it == Table().constEnd() ? text : *it;
}

void TradWidget(QWidget *w)
{
  w->setToolTip(Tr(w->toolTip()));
  if (w->isWindow())
    w->setWindowTitle(Tr(w->windowTitle()));
  if (auto *label = qobject_cast<QLabel *>(w))
    label->setText(Tr(label->text()));
  else if (auto *button = qobject_cast<QAbstractButton *>(w))
    button->setText(Tr(button->text()));
  else if (auto *group = qobject_cast<QGroupBox *>(w))
    group->setTitle(Tr(group->title()));
  else if (auto *menu = qobject_cast<QMenu *>(w))
    menu->setTitle(Tr(menu->title()));
  if (auto *tabs = qobject_cast<QTabWidget *>(w))
    for (int i = 0; i < tabs->count(); ++i)
      tabs->setTabText(i, Tr(tabs->tabText(i)));
}
} // namespace

void SetTranslationTable(const QHash<QString, QString> &table) { Table() = table; }

void Trad(QWidget *form)
{
  if (!form)
    return;
  if (!Table().isEmpty()) {
    TradWidget(form);
    for (QWidget *w : form->findChildren<QWidget *>())
      TradWidget(w);
    for (QAction *a : form->findChildren<QAction *>()) {
      a->setText(Tr(a->text()));
      a->setToolTip(Tr(a->toolTip()));
    }
  }
  // Names for assistive technology come from the translated texts, so they are given last.
  if (!ControlNamer())
    throw EInhouseError(QStringLiteral("Nenhum nomeador de controles foi registrado na biblioteca."));
  ControlNamer()(form);
}

QString NomeUnit(const QObject *form)
{
  if (!form)
    return {};
  const QVariant property = form->property("unitName");
  if (property.isValid() && !property.toString().isEmpty())
    return property.toString();
  const QMetaObject *meta = form->metaObject();
  const int info = meta->indexOfClassInfo("Unit");
  if (info >= 0)
    return QString::fromUtf8(meta->classInfo(info).value());
  return QString::fromUtf8(meta->className());
}

QString NomeDia(const QDate &date)
{
  static const char *const names[] = {"Segunda", "Terça", "Quarta", "Quinta", "Sexta", "Sábado", "Domingo"};
  if (!date.isValid())
    return {};
  return QString::fromUtf8(names[date.dayOfWeek() - 1]);
}

QStringList NomesDias()
{
  QStringList names;
  for (int day = 0; day < 7; ++day) // 3 January 2021 was a Sunday
    names << NomeDia(QDate(2021, 1, 3 + day));
  return names;
}

QString Ajusta(const QString &text, int n)
{
  if (n <= 0)
    return {};
  if (text.size() >= n)
    return text.left(n);
  return text + QString(n - text.size(), u' ');
}

bool EmptyString(const QString &text)
{
  // Control characters count as blanks too, as a trimmed text would.
  for (QChar c : text)
    if (c.unicode() > u' ')
      return false;
  return true;
}

void SetControlNamer(std::function<void(QWidget *)> namer) { ControlNamer() = std::move(namer); }
