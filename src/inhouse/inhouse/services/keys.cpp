#include <inhouse/services/errors.h>
#include <inhouse/services/keys.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

namespace {
// Sees key presses on their way to any widget of the form. Installed on the application,
// because a child's event filter would need installing on every child, present and future.
class KeyPreview : public QObject {
public:
    KeyPreview(QWidget *form, std::function<bool(QKeyEvent *)> handler)
        : QObject(form)
        , form_(form)
        , handler_(std::move(handler))
    {
        qApp->installEventFilter(this);
    }
    ~KeyPreview() override
    {
        if (qApp)
            qApp->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType() || !form_)
            return false;
        auto *target = static_cast<QWidget *>(watched);
        if (target != form_ && !form_->isAncestorOf(target))
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        // A key a child ignores travels on to its parents as the same event: see it once.
        if (key == lastEvent_ && lastTarget_ && lastTarget_ != target && target->isAncestorOf(lastTarget_)
            && key->timestamp() == lastTimestamp_)
            return false;
        lastEvent_ = key;
        lastTarget_ = target;
        lastTimestamp_ = key->timestamp();
        bool swallow = false;
        const bool completed = TryGuarded([&] { swallow = handler_(key); });
        return swallow || !completed;
    }

private:
    QPointer<QWidget> form_;
    std::function<bool(QKeyEvent *)> handler_;
    const QKeyEvent *lastEvent_ = nullptr;
    QPointer<QWidget> lastTarget_;
    quint64 lastTimestamp_ = 0;
};
} // namespace

QObject *InstallKeyPreview(QWidget *form, std::function<bool(QKeyEvent *)> handler)
{
    if (!form || !handler)
        return nullptr;
    return new KeyPreview(form, std::move(handler));
}

bool IsKey(const QKeyEvent *event, int key, int modifiers)
{
    return event && event->key() == key
        && int(event->modifiers() & ~Qt::KeypadModifier) == modifiers;
}

bool HasCtrl(const QKeyEvent *event)
{
    return event && (event->modifiers() & Qt::ControlModifier);
}
