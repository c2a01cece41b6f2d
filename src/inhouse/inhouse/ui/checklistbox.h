#pragma once
// Two small choice controls: a list whose items each carry a check box, and a captioned box of
// radio items of which at most one is chosen. Both declare the class name saved option sets
// know them by.
#include <inhouse/inhouse_export.h>

#include <QGroupBox>
#include <QListWidget>
#include <QStringList>

class QButtonGroup;
class QRadioButton;
class QVBoxLayout;

class INHOUSE_EXPORT TCheckListBox : public QListWidget {
  Q_OBJECT
  Q_CLASSINFO("ClassName", "TCheckListBox")
public:
  explicit TCheckListBox(QWidget *parent = nullptr);

  // Replaces the items; every new item starts unchecked.
  void SetItems(const QStringList &captions);
  QStringList Items() const;
  int Count() const { return count(); }

  // An index out of range reads as unchecked and is ignored when set.
  bool Checked(int index) const;
  void SetChecked(int index, bool on);
};

class INHOUSE_EXPORT TRadioGroup : public QGroupBox {
  Q_OBJECT
  Q_CLASSINFO("ClassName", "TRadioGroup")
public:
  explicit TRadioGroup(QWidget *parent = nullptr);
  explicit TRadioGroup(const QString &caption, QWidget *parent = nullptr);

  // Replaces the items; none is chosen afterwards.
  void SetItems(const QStringList &captions);
  QStringList Items() const;
  int Count() const;

  // The chosen item, -1 for none. Setting an index out of range chooses none.
  int ItemIndex() const;
  void SetItemIndex(int index);

signals:
  // The user or the program chose another item (-1: none).
  void itemIndexChanged(int index);

private:
  void setUp_();

  QVBoxLayout *m_layout = nullptr;
  QButtonGroup *m_group = nullptr;
  QList<QRadioButton *> m_buttons;
  int m_lastIndex = -1;
};
