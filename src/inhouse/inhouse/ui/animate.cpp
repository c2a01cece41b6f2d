#include <inhouse/ui/animate.h>

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <numbers>

TAnimate::TAnimate(QWidget *parent) : QWidget(parent)
{
  setAccessibleName(QStringLiteral("Aguarde"));
  setAccessibleDescription(QStringLiteral("Pesquisa em andamento"));
  m_timer.setInterval(80);
  connect(&m_timer, &QTimer::timeout, this, [this] {
    m_frame = m_frame % FrameCount + 1;
    update();
  });
}

void TAnimate::SetActive(bool active)
{
  if (active) {
    m_frame = 1;
    m_timer.start();
  } else {
    m_timer.stop();
    m_frame = qBound(1, StopFrame, FrameCount);
  }
  update();
}

void TAnimate::paintEvent(QPaintEvent *)
{
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QPalette pal = palette();
  const qreal h = height() - 4, w = width() - 4;
  // The sheet: a page with a folded corner and a few lines of text.
  const QRectF page(2 + w * 0.30, 2, h * 0.75, h);
  const qreal fold = page.width() * 0.3;
  QPainterPath outline;
  outline.moveTo(page.topLeft());
  outline.lineTo(page.right() - fold, page.top());
  outline.lineTo(page.right(), page.top() + fold);
  outline.lineTo(page.bottomRight());
  outline.lineTo(page.bottomLeft());
  outline.closeSubpath();
  p.setPen(QPen(pal.color(QPalette::WindowText), 1));
  p.setBrush(pal.color(QPalette::Base));
  p.drawPath(outline);
  p.setPen(QPen(pal.color(QPalette::Mid), 1));
  for (qreal y = page.top() + fold + 3; y < page.bottom() - 3; y += 4)
    p.drawLine(QPointF(page.left() + 3, y), QPointF(page.right() - 3, y));

  // The glass goes round an ellipse over the page, one turn per loop of frames.
  const qreal angle = 2 * std::numbers::pi * (m_frame - 1) / FrameCount;
  const QPointF centre(page.center().x() + std::cos(angle) * page.width() * 0.45,
                       page.center().y() + std::sin(angle) * page.height() * 0.25);
  const qreal r = h * 0.22;
  p.setPen(QPen(pal.color(QPalette::Highlight).darker(130), 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(centre + QPointF(r * 0.7, r * 0.7), centre + QPointF(r * 1.7, r * 1.7));
  p.setPen(QPen(pal.color(QPalette::WindowText), 1.5));
  QColor lens = pal.color(QPalette::Highlight);
  lens.setAlpha(70);
  p.setBrush(lens);
  p.drawEllipse(centre, r, r);
}
