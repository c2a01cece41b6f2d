#include <inhouse/services/errors.h>
#include <inhouse/services/keys.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

namespace {
// Sees events on their way to any widget of a form; lives as long as the form. Installed on
// the application, because a child's event filter would need installing on every child,
// present and future.
class FormFilter : public QObject {
public:
  explicit FormFilter(QWidget *form) : QObject(form), form_(form) { qApp->installEventFilter(this); }
  ~FormFilter() override
  {
    if (qApp)
      qApp->removeEventFilter(this);
  }

protected:
  // The widget of the form an event of `type` is aimed at, or null.
  QWidget *FormTarget(QObject *watched, QEvent *event, QEvent::Type type) const
  {
    if (event->type() != type || !watched->isWidgetType() || !form_)
      return nullptr;
    auto *target = static_cast<QWidget *>(watched);
    return target == form_ || form_->isAncestorOf(target) ? target : nullptr;
  }

  QPointer<QWidget> form_;
};

// Key presses for the form's key preview.
class KeyPreview : public FormFilter {
public:
  KeyPreview(QWidget *form, std::function<bool(QKeyEvent *)> handler) : FormFilter(form), handler_(std::move(handler)) {}

protected:
  bool eventFilter(QObject *watched, QEvent *event) override
  {
    QWidget *target = FormTarget(watched, event, QEvent::KeyPress);
    if (!target)
      return false;
    auto *key = static_cast<QKeyEvent *>(event);
    // A key a child ignores travels on to its parents as the same event: see it once.
    if (key == lastEvent_ && lastTarget_ && lastTarget_ != target && target->isAncestorOf(lastTarget_) &&
        key->timestamp() == lastTimestamp_)
      return false;
    lastEvent_ = key;
    lastTarget_ = target;
    lastTimestamp_ = key->timestamp();
    bool swallow = false;
    const bool completed = TryGuarded([&] { swallow = handler_(key); });
    return swallow || !completed;
  }

private:
  std::function<bool(QKeyEvent *)> handler_;
  const QKeyEvent *lastEvent_ = nullptr;
  QPointer<QWidget> lastTarget_;
  quint64 lastTimestamp_ = 0;
};

// Key short-cut overrides: which of the form's keys are short-cuts and which its own.
class ShortcutClaim : public FormFilter {
public:
  ShortcutClaim(QWidget *form, std::function<bool(const QKeyEvent *)> takesKey) : FormFilter(form), takesKey_(std::move(takesKey))
  {}

protected:
  bool eventFilter(QObject *watched, QEvent *event) override
  {
    if (!FormTarget(watched, event, QEvent::ShortcutOverride))
      return false;
    auto *key = static_cast<QKeyEvent *>(event);
    bool claim = false;
    if (takesKey_)
      Guarded([&] { claim = takesKey_(key); });
    if (claim) {
      key->accept();
      return true;
    }
    if (OwnsShortcut(*key)) {
      key->ignore();
      return true;
    }
    return false;
  }

private:
  bool OwnsShortcut(const QKeyEvent &event) const
  {
    const QKeySequence pressed(QKeyCombination(event.modifiers() & ~Qt::KeypadModifier, Qt::Key(event.key())));
    for (const QAction *action : form_->actions())
      if (action->isEnabled() && action->isVisible())
        for (const QKeySequence &shortcut : action->shortcuts())
          if (shortcut.matches(pressed) == QKeySequence::ExactMatch)
            return true;
    return false;
  }

  std::function<bool(const QKeyEvent *)> takesKey_;
};
} // namespace

QObject *InstallKeyPreview(QWidget *form, std::function<bool(QKeyEvent *)> handler)
{
  if (!form || !handler)
    return nullptr;
  return new KeyPreview(form, std::move(handler));
}

QObject *InstallShortcutClaim(QWidget *form, std::function<bool(const QKeyEvent *)> takesKey)
{
  if (!form)
    return nullptr;
  return new ShortcutClaim(form, std::move(takesKey));
}

bool IsKey(const QKeyEvent *event, int key, int modifiers)
{
  return event && event->key() == key && int(event->modifiers() & ~Qt::KeypadModifier) == modifiers;
}

bool HasCtrl(const QKeyEvent *event) { return event && (event->modifiers() & Qt::ControlModifier); }
