#pragma once
// Focus rules of a window: a field's exit and a panel's enter and exit, built once on
// QApplication::focusChanged.
//
// One focus move inside the window runs, in order: the exit of the field left, the exits of the
// panels left (innermost first), the enters of the panels entered (outermost first). Each
// handler runs guarded; one that aborts or fails stops the rest of that move's chain.
// Focus moves made while a handler runs (putting the focus back into a field) run no handlers;
// the tracked position follows where the focus ends. Focus going to nothing, to another
// top-level window or outside the window is not a move, and coming back to the widget that had
// the focus fires nothing.
#include <inhouse/inhouse_export.h>

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

class INHOUSE_EXPORT TFocusRules : public QObject {
  Q_OBJECT
public:
  explicit TFocusRules(QWidget *form);
  ~TFocusRules() override;

  void OnFieldExit(QWidget *field, std::function<void()> fn);
  void OnPanelEnter(QWidget *panel, std::function<void()> fn);
  void OnPanelExit(QWidget *panel, std::function<void()> fn);

  QWidget *Form() const { return form_; }
  QWidget *Current() const { return current_; } // the widget the rules consider focused
  bool Inside(const QWidget *panel) const;      // whether that widget is inside the panel
  static bool HandlerRunning();

private:
  friend class TFocusDispatcher;
  struct Rule {
    QPointer<QWidget> widget;
    std::function<void()> fn;
  };
  bool Owns(const QWidget *w) const;
  void Move(QWidget *now);
  void Follow(QWidget *now);

  QPointer<QWidget> form_;
  QPointer<QWidget> current_;
  int running_ = 0; // this window's handlers under way
  std::vector<Rule> fieldExits_;
  std::vector<Rule> panelEnters_;
  std::vector<Rule> panelExits_;
};
