#include <inhouse/services/texts.h>
#include <inhouse/ui/accessibility.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QRegularExpression>
#include <QWidget>

namespace {
// "&Fechar" is said "Fechar"; a doubled "&&" is a literal ampersand.
QString WithoutMnemonic(QString text)
{
  for (int i = 0; i < text.size(); ++i)
    if (text[i] == u'&')
      text.remove(i, 1);
  return text.trimmed();
}

QString PlainText(const QString &text)
{
  // Tool tips may be rich text; a screen reader wants the words.
  return Qt::mightBeRichText(text) ? QString(text).remove(QRegularExpression(QStringLiteral("<[^>]*>"))).trimmed()
                                   : text.trimmed();
}

const QLabel *LabelNaming(const QWidget *control)
{
  const QWidget *window = control->window();
  for (const QLabel *label : window->findChildren<QLabel *>())
    if (label->buddy() == control)
      return label;
  return nullptr;
}
constexpr const char *kPresentedAsWindow = "inhousePresentedAsWindow";

// Role and title follow the form: a form may become an MDI child after its interface exists.
class TFormAccessible : public QAccessibleWidget {
public:
  explicit TFormAccessible(QWidget *form) : QAccessibleWidget(form, QAccessible::Dialog) {}

  QAccessible::Role role() const override { return widget()->isWindow() ? QAccessible::Dialog : QAccessible::Window; }

  QString text(QAccessible::Text t) const override
  {
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
      return WithoutMnemonic(QString(widget()->windowTitle()).remove(QStringLiteral("[*]")));
    return QAccessibleWidget::text(t);
  }
};

QAccessibleInterface *FormInterface(const QString &, QObject *object)
{
  auto *form = qobject_cast<QWidget *>(object);
  return form && form->property(kPresentedAsWindow).toBool() ? new TFormAccessible(form) : nullptr;
}
} // namespace

QString AccessibleNameFor(const QWidget *control)
{
  if (!control)
    return {};
  // The button in a table's corner selects every cell; it has no text of its own.
  if (control->inherits("QTableCornerButton"))
    return QStringLiteral("Selecionar tudo");
  if (QString hint = PlainText(control->toolTip()); !hint.isEmpty())
    return hint;
  if (auto *button = qobject_cast<const QAbstractButton *>(control))
    if (QString caption = WithoutMnemonic(button->text()); !caption.isEmpty())
      return caption;
  if (const QLabel *label = LabelNaming(control))
    return WithoutMnemonic(label->text());
  return {};
}

bool IsInteractiveControl(const QWidget *control)
{
  return control && (control->focusPolicy() != Qt::NoFocus || qobject_cast<const QAbstractButton *>(control));
}

void NameControls(QWidget *window)
{
  if (!window)
    return;
  for (QWidget *control : window->findChildren<QWidget *>()) {
    if (!IsInteractiveControl(control) || !control->accessibleName().isEmpty())
      continue;
    if (const QString name = AccessibleNameFor(control); !name.isEmpty())
      control->setAccessibleName(name);
  }
}

void PresentAsWindow(QWidget *form)
{
  static const bool installed = [] {
    QAccessible::installFactory(FormInterface);
    return true;
  }();
  Q_UNUSED(installed);
  form->setProperty(kPresentedAsWindow, true);
}

namespace {
// The services' Trad names controls through this; installed when the library loads.
[[maybe_unused]] const bool g_namerInstalled = [] {
  SetControlNamer(&NameControls);
  return true;
}();
} // namespace
