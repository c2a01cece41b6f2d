#include <inhouse/ui/icons.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPalette>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>

namespace {
const QString kFolder = QStringLiteral(":/inhouse/icons/");

// Rendered through QSvgRenderer rather than the SVG icon plugin, so an image never depends on a
// plugin being found at run time, and "currentColor" follows the palette of the moment.
class TSvgIconEngine : public QIconEngine {
public:
  TSvgIconEngine(const QString &name, const QByteArray &svg) : m_name(name), m_svg(svg) {}

  QIconEngine *clone() const override { return new TSvgIconEngine(m_name, m_svg); }
  QString key() const override { return QStringLiteral("inhouse-svg"); }
  QString iconName() override { return m_name; }
  QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override { return size; }

  QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
  {
    Q_UNUSED(state);
    const QColor ink = QApplication::palette().color(QPalette::Active, QPalette::ButtonText);
    const QString cacheKey = QStringLiteral("inhouse-svg:%1:%2x%3:%4:%5")
                                 .arg(m_name)
                                 .arg(size.width())
                                 .arg(size.height())
                                 .arg(int(mode))
                                 .arg(ink.rgba());
    QPixmap pm;
    if (QPixmapCache::find(cacheKey, &pm))
      return pm;
    QByteArray svg = m_svg;
    svg.replace("currentColor", ink.name().toLatin1());
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(svg);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    pm = QPixmap::fromImage(image);
    if (mode != QIcon::Normal && mode != QIcon::Active) {
      QStyleOption option;
      option.palette = QApplication::palette();
      pm = QApplication::style()->generatedIconPixmap(mode, pm, &option);
    }
    QPixmapCache::insert(cacheKey, pm);
    return pm;
  }

  void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
  {
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    QPixmap pm = pixmap((QSizeF(rect.size()) * ratio).toSize(), mode, state);
    pm.setDevicePixelRatio(ratio);
    painter->drawPixmap(rect.topLeft(), pm);
  }

private:
  QString m_name;
  QByteArray m_svg;
};
} // namespace

QIcon LibIcon(const QString &name)
{
  // Grids ask for their indicator on every paint: each file is read once.
  static QHash<QString, QIcon> icons;
  if (const auto found = icons.constFind(name); found != icons.constEnd())
    return *found;
  QFile file(kFolder + name + QStringLiteral(".svg"));
  if (!file.open(QIODevice::ReadOnly))
    return {};
  const QIcon icon(new TSvgIconEngine(name, file.readAll()));
  icons.insert(name, icon);
  return icon;
}

QStringList LibIconNames()
{
  QStringList names = QDir(kFolder).entryList({QStringLiteral("*.svg")}, QDir::Files, QDir::Name);
  for (QString &n : names)
    n.chop(4);
  return names;
}
