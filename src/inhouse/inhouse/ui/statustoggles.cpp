#include <inhouse/ui/statustoggles.h>

#include <QPainter>
#include <QPainterPath>

QIcon TStatusToggles::StatusImage(int index)
{
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  switch (index) {
  case 0: // pending: an amber clock
    p.setBrush(QColor(0xF2, 0xA9, 0x00));
    p.setPen(QPen(QColor(0x9A, 0x6A, 0x00), 1));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setPen(QPen(Qt::white, 1.6));
    p.drawLine(QPointF(8, 4), QPointF(8, 8.5));
    p.drawLine(QPointF(8, 8.5), QPointF(11, 10));
    break;
  case 1: // concluded: a green tick
    p.setBrush(QColor(0x2E, 0x9E, 0x44));
    p.setPen(QPen(QColor(0x1D, 0x6B, 0x2D), 1));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setPen(QPen(Qt::white, 1.8));
    p.drawPolyline(QPolygonF({QPointF(4.5, 8.5), QPointF(7, 11), QPointF(11.5, 5)}));
    break;
  default: { // in progress: a blue play sign
    p.setBrush(QColor(0x1E, 0x6F, 0xD9));
    p.setPen(QPen(QColor(0x12, 0x47, 0x8C), 1));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    QPainterPath play;
    play.moveTo(6.5, 4.5);
    play.lineTo(11.5, 8);
    play.lineTo(6.5, 11.5);
    play.closeSubpath();
    p.fillPath(play, Qt::white);
  }
  }
  return QIcon(pm);
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
