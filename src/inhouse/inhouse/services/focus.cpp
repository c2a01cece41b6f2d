#include <inhouse/services/errors.h>
#include <inhouse/services/focus.h>

#include <QApplication>
#include <algorithm>

namespace {
int g_running = 0; // handlers under way in any window

bool Within(const QWidget *outer, const QWidget *w)
{
    return outer && w && (outer == w || outer->isAncestorOf(w));
}

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
    std::vector<TFocusRules *> rules_;
};

TFocusRules::TFocusRules(QWidget *form)
    : QObject(form)
    , form_(form)
{
    if (form) {
        QWidget *focused = form->window()->focusWidget();
        if (Within(form, focused))
            current_ = focused;
    }
    TFocusDispatcher::Instance().Add(this);
}

TFocusRules::~TFocusRules()
{
    TFocusDispatcher::Instance().Remove(this);
}

void TFocusRules::OnFieldExit(QWidget *field, std::function<void()> fn)
{
    fieldExits_.push_back({field, std::move(fn)});
}

void TFocusRules::OnPanelEnter(QWidget *panel, std::function<void()> fn)
{
    panelEnters_.push_back({panel, std::move(fn)});
}

void TFocusRules::OnPanelExit(QWidget *panel, std::function<void()> fn)
{
    panelExits_.push_back({panel, std::move(fn)});
}

bool TFocusRules::Inside(const QWidget *panel) const
{
    return Within(panel, current_);
}

bool TFocusRules::HandlerRunning()
{
    return g_running > 0;
}

bool TFocusRules::Owns(const QWidget *w) const
{
    return Within(form_, w);
}

void TFocusRules::Follow(QWidget *now)
{
    current_ = now;
}

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
    std::stable_sort(entered.begin(), entered.end(), [](const Rule *a, const Rule *b) { return Depth(a->widget) < Depth(b->widget); });
    for (const Rule *r : left)
        chain.push_back(r->fn);
    for (const Rule *r : entered)
        chain.push_back(r->fn);
    if (chain.empty())
        return;

    QPointer<TFocusRules> self(this);
    ++g_running;
    ++running_;
    for (const auto &fn : chain) {
        if (!TryGuarded(fn) || !self)
            break;
    }
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
