#pragma once
// Flat tool button and menu item of the in-house component set. Both carry a permission flag
// the host's rights system fills in; the library keeps it and never acts on it by itself.
#include <inhouse/inhouse_export.h>

#include <QAction>
#include <QPointer>
#include <QToolButton>

#include <functional>

class TDataSource;

class INHOUSE_EXPORT TButtonFlat : public QToolButton {
  Q_OBJECT
public:
  explicit TButtonFlat(QWidget *parent = nullptr);

  // The hint is what the user sees hovering the button (the tool tip).
  void SetHint(const QString &hint);
  QString Hint() const;

  // Fixed position and size inside the parent, as window definitions give them.
  void SetBounds(int left, int top, int width, int height);

  // A click as if the user pressed the button: does nothing while disabled or hidden-disabled.
  void Click();

  bool Permission = false;

protected:
  // A flat button has no edge of its own, and a style's dotted focus line is easily missed on
  // it: one that takes the focus frames itself while it has it.
  void paintEvent(QPaintEvent *event) override;
};

// The search button beside a field or choice: a click runs BeforePesq, then the search
// (the `pesquisar` signal). An abort in BeforePesq (MensErro, Abort) cancels the search.
class INHOUSE_EXPORT TBtnPesquisa : public TButtonFlat {
  Q_OBJECT
public:
  explicit TBtnPesquisa(QWidget *parent = nullptr);

  QPointer<QWidget> Associado;      // the control the search belongs to
  QPointer<TDataSource> DataSource; // the rows it searches
  std::function<void(TBtnPesquisa &)> BeforePesq;

signals:
  void pesquisar();

private:
  void Search();
};

class INHOUSE_EXPORT TMenuItem : public QAction {
  Q_OBJECT
public:
  explicit TMenuItem(QObject *parent = nullptr);
  TMenuItem(const QString &caption, QObject *parent = nullptr);
  TMenuItem(const QString &caption, const QKeySequence &shortCut, QObject *parent = nullptr);

  bool Permission = false;
  int HelpContext = 0;
};
