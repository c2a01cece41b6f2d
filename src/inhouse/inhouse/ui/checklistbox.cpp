#include <inhouse/services/options.h>
#include <inhouse/ui/checklistbox.h>

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

TCheckListBox::TCheckListBox(QWidget *parent) : QListWidget(parent) {}

void TCheckListBox::SetItems(const QStringList &captions)
{
  clear();
  for (const QString &caption : captions) {
    auto *entry = new QListWidgetItem(caption, this);
    entry->setFlags(entry->flags() | Qt::ItemIsUserCheckable);
    entry->setCheckState(Qt::Unchecked);
  }
}

QStringList TCheckListBox::Items() const
{
  QStringList captions;
  for (int i = 0; i < count(); ++i)
    captions << item(i)->text();
  return captions;
}

bool TCheckListBox::Checked(int index) const
{
  const QListWidgetItem *entry = item(index);
  return entry && entry->checkState() == Qt::Checked;
}

void TCheckListBox::SetChecked(int index, bool on)
{
  if (QListWidgetItem *entry = item(index))
    entry->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

TRadioGroup::TRadioGroup(QWidget *parent) : QGroupBox(parent) { setUp_(); }

TRadioGroup::TRadioGroup(const QString &caption, QWidget *parent) : QGroupBox(caption, parent) { setUp_(); }

void TRadioGroup::setUp_()
{
  m_layout = new QVBoxLayout(this);
  m_group = new QButtonGroup(this);
  connect(m_group, &QButtonGroup::idToggled, this, [this](int, bool) {
    const int index = ItemIndex();
    if (index != m_lastIndex) {
      m_lastIndex = index;
      emit itemIndexChanged(index);
    }
  });
}

void TRadioGroup::SetItems(const QStringList &captions)
{
  SetItemIndex(-1);
  qDeleteAll(m_buttons);
  m_buttons.clear();
  for (const QString &caption : captions) {
    auto *button = new QRadioButton(caption, this);
    m_group->addButton(button, int(m_buttons.size()));
    m_layout->addWidget(button);
    m_buttons << button;
  }
}

QStringList TRadioGroup::Items() const
{
  QStringList captions;
  for (const QRadioButton *button : m_buttons)
    captions << button->text();
  return captions;
}

int TRadioGroup::Count() const { return int(m_buttons.size()); }

int TRadioGroup::ItemIndex() const { return m_group->checkedId(); }

void TRadioGroup::SetItemIndex(int index)
{
  if (index >= 0 && index < Count()) {
    m_buttons[index]->setChecked(true);
    return;
  }
  // An exclusive group keeps its checked button; lift that for a moment to choose none.
  if (QAbstractButton *checked = m_group->checkedButton()) {
    m_group->setExclusive(false);
    checked->setChecked(false);
    m_group->setExclusive(true);
  }
}

namespace {
// Saved option sets keep one character per item of a check list ('0' checked, '1' not) and the
// item index of a radio group.
QString EncodeCheckList(const QObject *component)
{
  const auto *list = static_cast<const TCheckListBox *>(component);
  QString value;
  for (int i = 0; i < list->Count(); ++i)
    value += list->Checked(i) ? u'0' : u'1';
  return value;
}

void RestoreCheckList(QObject *component, const QString &value)
{
  auto *list = static_cast<TCheckListBox *>(component);
  for (int i = 0; i < list->Count(); ++i)
    list->SetChecked(i, i < value.size() && value.at(i) == u'0');
}

QString EncodeRadioGroup(const QObject *component)
{
  return QString::number(static_cast<const TRadioGroup *>(component)->ItemIndex());
}

void RestoreRadioGroup(QObject *component, const QString &value)
{
  static_cast<TRadioGroup *>(component)->SetItemIndex(ParseOptionIndex(value));
}

[[maybe_unused]] const bool g_optionCodecsRegistered = [] {
  RegisterOptionCodec(QStringLiteral("TCheckListBox"), {&EncodeCheckList, &RestoreCheckList});
  RegisterOptionCodec(QStringLiteral("TRadioGroup"), {&EncodeRadioGroup, &RestoreRadioGroup});
  return true;
}();
} // namespace
