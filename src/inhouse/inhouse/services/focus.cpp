#include <inhouse/services/errors.h>
#include <inhouse/services/focus.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <algorithm>

namespace {
int g_running = 0; // handlers under way in any window

bool Within(const QWidget *outer, const QWidget *w) { return outer && w && (outer == w || outer->isAncestorOf(w)); }

// Depth of a widget below the form, to order panels innermost or outermost first.
int Depth(const QWidget *w)
{
  int d = 0;
  for (; w; w = w->parentWidget())
    ++d;
  return d;
}
} // namespace

// One connection to QApplication::focusChanged serves every window's rules.
class TFocusDispatcher : public QObject {
public:
  static TFocusDispatcher &Instance()
  {
    static TFocusDispatcher *instance = new TFocusDispatcher;
    return *instance;
  }
  void Add(TFocusRules *rules) { rules_.push_back(rules); }
  void Remove(TFocusRules *rules) { rules_.erase(std::remove(rules_.begin(), rules_.end(), rules), rules_.end()); }

  // A handler refused the move to `target`. When that move came from a mouse press (Qt gives
  // the focus before it delivers the press), the press and the rest of that click are
  // swallowed: the click must not act on a control the check kept the focus away from.
  void Refused(QWidget *target)
  {
    refusedTarget_ = target;
    swallowing_ = nullptr;
    qApp->installEventFilter(this);
    // A move made by the keyboard or by code has no press following in this dispatch.
    QTimer::singleShot(0, this, [this] {
      if (!swallowing_)
        StopFiltering();
    });
  }

protected:
  bool eventFilter(QObject *watched, QEvent *event) override
  {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
      if (swallowing_) // a new click while the refused one never ended: stop there
        StopFiltering();
      if (refusedTarget_ && watched->isWidgetType() && PressGivesFocusTo(static_cast<QWidget *>(watched), refusedTarget_)) {
        refusedTarget_ = nullptr;
        swallowing_ = watched;
        return true;
      }
      break;
    case QEvent::MouseButtonDblClick: // follows the second press of a double click
    case QEvent::MouseMove: return swallowing_ && watched == swallowing_;
    case QEvent::MouseButtonRelease:
      if (swallowing_ && watched == swallowing_) {
        StopFiltering();
        return true;
      }
      break;
    default: break;
    }
    return false;
  }

private:
  TFocusDispatcher()
  {
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { Changed(now); });
  }
  void Changed(QWidget *now)
  {
    if (!now)
      return; // focus to nothing is no move
    // Copy: a handler may create or destroy rules.
    const std::vector<QPointer<TFocusRules>> all(rules_.begin(), rules_.end());
    for (const QPointer<TFocusRules> &rules : all) {
      if (!rules || !rules->Owns(now))
        continue;
      // Moves made by this window's own handlers only update its tracking; another
      // window (a dialog a handler opened) keeps its rules.
      if (rules->running_ > 0)
        rules->Follow(now);
      else
        rules->Move(now);
    }
  }
  // Whether a press on `pressed` is the one that gives the focus to `target`: the target or
  // one of its children was pressed, or a pressed ancestor hands its focus on to the target.
  static bool PressGivesFocusTo(const QWidget *pressed, const QWidget *target)
  {
    for (const QWidget *w = pressed; w; w = w->parentWidget()) {
      if (w == target)
        return true;
      for (const QWidget *proxy = w->focusProxy(); proxy; proxy = proxy->focusProxy())
        if (proxy == target)
          return true;
      if (w->isWindow())
        break;
    }
    return false;
  }
  void StopFiltering()
  {
    refusedTarget_ = nullptr;
    swallowing_ = nullptr;
    qApp->removeEventFilter(this);
  }

  std::vector<TFocusRules *> rules_;
  QPointer<QWidget> refusedTarget_;
  QPointer<QObject> swallowing_;
};

TFocusRules::TFocusRules(QWidget *form) : QObject(form), form_(form)
{
  if (form) {
    QWidget *focused = form->window()->focusWidget();
    if (Within(form, focused))
      current_ = focused;
  }
  TFocusDispatcher::Instance().Add(this);
}

TFocusRules::~TFocusRules() { TFocusDispatcher::Instance().Remove(this); }

void TFocusRules::OnFieldExit(QWidget *field, std::function<void()> fn) { fieldExits_.push_back({field, std::move(fn)}); }

void TFocusRules::OnPanelEnter(QWidget *panel, std::function<void()> fn) { panelEnters_.push_back({panel, std::move(fn)}); }

void TFocusRules::OnPanelExit(QWidget *panel, std::function<void()> fn) { panelExits_.push_back({panel, std::move(fn)}); }

bool TFocusRules::Inside(const QWidget *panel) const { return Within(panel, current_); }

bool TFocusRules::HandlerRunning() { return g_running > 0; }

bool TFocusRules::Owns(const QWidget *w) const { return Within(form_, w); }

void TFocusRules::Follow(QWidget *now) { current_ = now; }

void TFocusRules::Move(QWidget *now)
{
  QWidget *before = current_;
  if (now == before)
    return; // back to where it was: no move
  current_ = now;

  // The chain of handlers of this move, in the order they run.
  std::vector<std::function<void()>> chain;
  for (const Rule &r : fieldExits_)
    if (r.widget && Within(r.widget, before) && !Within(r.widget, now))
      chain.push_back(r.fn);
  std::vector<const Rule *> left, entered;
  for (const Rule &r : panelExits_)
    if (r.widget && Within(r.widget, before) && !Within(r.widget, now))
      left.push_back(&r);
  for (const Rule &r : panelEnters_)
    if (r.widget && Within(r.widget, now) && !Within(r.widget, before))
      entered.push_back(&r);
  std::stable_sort(left.begin(), left.end(), [](const Rule *a, const Rule *b) { return Depth(a->widget) > Depth(b->widget); });
  std::stable_sort(entered.begin(), entered.end(),
                   [](const Rule *a, const Rule *b) { return Depth(a->widget) < Depth(b->widget); });
  for (const Rule *r : left)
    chain.push_back(r->fn);
  for (const Rule *r : entered)
    chain.push_back(r->fn);
  if (chain.empty())
    return;

  QPointer<TFocusRules> self(this);
  QPointer<QWidget> target(now);
  ++g_running;
  ++running_;
  bool refused = false;
  for (const auto &fn : chain) {
    if (!TryGuarded(fn)) {
      refused = true;
      break;
    }
    if (!self)
      break;
  }
  if (refused && target)
    TFocusDispatcher::Instance().Refused(target);
  --g_running;
  if (!self)
    return;
  --running_;
  if (!form_)
    return;
  // Where the focus ended, also when the window was not active while a handler moved it.
  QWidget *ended = form_->window()->focusWidget();
  if (Within(form_, ended))
    current_ = ended;
}
