#include "shared/glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

QIcon GlyphIcon(TGlyph glyph)
{
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor ink(0x24, 0x4a, 0x7a);
  switch (glyph) {
  case TGlyph::Help: {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1e, 0x6f, 0xd9));
    p.drawEllipse(QRectF(1, 1, 14, 14));
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(12);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("?"));
    break;
  }
  case TGlyph::Search:
    p.setPen(QPen(ink, 2));
    p.setBrush(QColor(0xdc, 0xea, 0xf7));
    p.drawEllipse(QRectF(2, 2, 8.5, 8.5));
    p.setPen(QPen(ink, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 10), QPointF(14, 14));
    break;
  case TGlyph::Filter: {
    QPainterPath funnel;
    funnel.moveTo(1.5, 2.5);
    funnel.lineTo(14.5, 2.5);
    funnel.lineTo(9.5, 8.5);
    funnel.lineTo(9.5, 14);
    funnel.lineTo(6.5, 12.5);
    funnel.lineTo(6.5, 8.5);
    funnel.closeSubpath();
    p.setPen(QPen(ink, 1));
    p.setBrush(QColor(0x8f, 0xbc, 0xe6));
    p.drawPath(funnel);
    break;
  }
  case TGlyph::FreeHours:
    p.setPen(QPen(QColor(0x1d, 0x6b, 0x2d), 1.2));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setPen(QPen(QColor(0x1d, 0x6b, 0x2d), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 8), QPointF(8, 4));
    p.drawLine(QPointF(8, 8), QPointF(11, 9.5));
    break;
  case TGlyph::Print:
    p.setPen(QPen(ink, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(0xb8, 0xc4, 0xd0));
    p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1.5, 1.5);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
    break;
  case TGlyph::Previous:
  case TGlyph::Next: {
    const bool back = glyph == TGlyph::Previous;
    QPainterPath arrow;
    arrow.moveTo(back ? 11 : 5, 3);
    arrow.lineTo(back ? 4.5 : 11.5, 8);
    arrow.lineTo(back ? 11 : 5, 13);
    arrow.closeSubpath();
    p.setPen(QPen(ink, 1));
    p.setBrush(ink);
    p.drawPath(arrow);
    break;
  }
  }
  return QIcon(pm);
}
