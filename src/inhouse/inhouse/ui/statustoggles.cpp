#include <inhouse/ui/statustoggles.h>

#include <inhouse/ui/icons.h>

QIcon TStatusToggles::StatusImage(int index)
{
  // An amber clock, a green tick, a blue play sign.
  switch (index) {
  case 0: return LibIcon(QStringLiteral("pending"));
  case 1: return LibIcon(QStringLiteral("concluded"));
  default: return LibIcon(QStringLiteral("in-progress"));
  }
}

TStatusToggles::TStatusToggles(QWidget *parent, std::array<int, 3> images) : QToolBar(parent), m_images(images)
{
  setObjectName(QStringLiteral("ToolBar2"));
  setIconSize(QSize(16, 16));
  setMovable(false);
  setFocusPolicy(Qt::NoFocus);
  setStyleSheet(QStringLiteral("QToolBar { background: transparent; border: none; }"));
  auto addToggle = [this](const char *name, const QString &hint, int image) {
    auto *b = new QToolButton(this);
    b->setObjectName(QLatin1String(name));
    b->setCheckable(true);
    b->setChecked(true);
    b->setToolTip(hint);
    b->setIcon(StatusImage(image));
    b->setFixedSize(23, 23);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    connect(b, &QToolButton::clicked, this, [this, b] { emit clicked(b); });
    return b;
  };
  tbtPendente = addToggle("tbtPendente", Names()[0], images[0]);
  tbtAndamento = addToggle("tbtAndamento", Names()[1], images[1]);
  tbtConcluida = addToggle("tbtConcluida", Names()[2], images[2]);
  addWidget(tbtPendente);
  addSeparator();
  addWidget(tbtAndamento);
  addSeparator();
  addWidget(tbtConcluida);
}

const std::array<QString, 3> &TStatusToggles::Names()
{
  static const std::array<QString, 3> names = {QStringLiteral("Pendente"), QStringLiteral("Em Andamento"),
                                               QStringLiteral("Concluída")};
  return names;
}

QStringList TStatusToggles::CheckedNames() const
{
  QStringList names;
  const QToolButton *toggles[] = {tbtPendente, tbtAndamento, tbtConcluida};
  for (size_t i = 0; i < 3; ++i)
    if (toggles[i]->isChecked())
      names << Names()[i];
  return names;
}

TStatusTexts TStatusToggles::Texts() const
{
  auto text = [](const QToolButton *b, const char *down) { return b->isChecked() ? QString::fromLatin1(down) : QString(); };
  return {text(tbtPendente, "1"), text(tbtAndamento, "2"), text(tbtConcluida, "2")};
}
