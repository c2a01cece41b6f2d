// What the eye gets: every icon drawn, and told apart from every other, at 16 and 32 pixels; every
// text the library or the module colours readable on its background (4.5:1 at least, the
// relative luminance of the web's accessibility guidelines) under a light and a dark palette.
#include <inhouse/ui/colours.h>
#include <inhouse/ui/dateedit.h>
#include <inhouse/ui/grids.h>
#include <inhouse/ui/icons.h>
#include <inhouse/ui/stringgrid.h>

#include <QApplication>
#include <QImage>
#include <QMap>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>

#include <cmath>
#include <functional>
#include <memory>
#include <type_traits>

namespace {
// Written out here rather than taken from Colours, so a wrong formula there shows.
double Luminance(const QColor &c)
{
  auto lin = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
  return 0.2126 * lin(c.redF()) + 0.7152 * lin(c.greenF()) + 0.0722 * lin(c.blueF());
}
double Ratio(const QColor &a, const QColor &b)
{
  const double x = Luminance(a), y = Luminance(b);
  return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

QPalette Light()
{
  static const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
  return fusion->standardPalette();
}

// A dark desktop scheme: light text on dark bases, dark tooltips.
QPalette Dark()
{
  QPalette p = Light();
  const std::pair<QPalette::ColorRole, QColor> roles[] = {
      {QPalette::Window, QColor(0x42, 0x42, 0x45)},
      {QPalette::WindowText, Qt::white},
      {QPalette::Base, QColor(0x3d, 0x3d, 0x3d)},
      {QPalette::AlternateBase, QColor(0x5c, 0x5b, 0x5a)},
      {QPalette::Text, Qt::white},
      {QPalette::Button, QColor(0x42, 0x42, 0x45)},
      {QPalette::ButtonText, Qt::white},
      {QPalette::ToolTipBase, QColor(0x3f, 0x3f, 0x36)},
      {QPalette::ToolTipText, Qt::white},
      {QPalette::Highlight, QColor(0x12, 0x60, 0x8a)},
      {QPalette::HighlightedText, QColor(0xf9, 0xf9, 0xf9)},
  };
  for (const auto &[role, colour] : roles)
    p.setColor(role, colour);
  return p;
}

struct TPair {
  QColor ink, fill;
};

// A widget built under `palette` as the application's (the library's widgets start from it),
// on the tooltip colour as the module shows them.
template <class Widget>
TPair OnTooltip(const QPalette &palette)
{
  const QPalette before = QApplication::palette();
  QApplication::setPalette(palette);
  Widget widget;
  widget.SetTooltipBackground(true);
  if constexpr (std::is_same_v<Widget, TDateEditPlus>)
    widget.SetDate(QDate(2026, 12, 7)); // a valid date, in its own colour
  const TPair pair{widget.palette().color(QPalette::Text), widget.palette().color(QPalette::Base)};
  QApplication::setPalette(before);
  return pair;
}

TPair Status(Colours::TStatus status, const QPalette &palette)
{
  const QColor fill = Colours::StatusFill(status, Colours::IsDark(palette));
  return {Colours::InkOn(fill, palette), fill};
}

TPair Mark(const QColor &paper, const QPalette &palette)
{
  const QColor fill = Colours::FillFor(paper, palette);
  return {Colours::InkOn(fill, palette), fill};
}

const QMap<QString, std::function<TPair(const QPalette &)>> &Pairs()
{
  using S = Colours::TStatus;
  static const QMap<QString, std::function<TPair(const QPalette &)>> pairs = {
      {QStringLiteral("grade de dados"), OnTooltip<TDBGrid>},
      {QStringLiteral("grade da semana"), OnTooltip<TStringGrid>},
      {QStringLiteral("data válida"), OnTooltip<TDateEditPlus>},
      {QStringLiteral("pendente"), [](const QPalette &p) { return Status(S::Pending, p); }},
      {QStringLiteral("em andamento"), [](const QPalette &p) { return Status(S::InProgress, p); }},
      {QStringLiteral("concluída"), [](const QPalette &p) { return Status(S::Concluded, p); }},
      {QStringLiteral("situação desconhecida"), [](const QPalette &p) { return Status(S::Unknown, p); }},
      {QStringLiteral("marca do mês"), [](const QPalette &p) { return Mark(QColor(47, 224, 37), p); }},
      {QStringLiteral("marca do ano"), [](const QPalette &p) { return Mark(QColor(0, 255, 0), p); }},
      {QStringLiteral("marca padrão"), [](const QPalette &p) { return Mark(QColor(Qt::yellow), p); }},
      {QStringLiteral("título do mês"),
       [](const QPalette &p) {
         const QColor fill = p.color(QPalette::ToolTipBase);
         return TPair{Colours::InkOn(fill, p), fill};
       }},
  };
  return pairs;
}

QImage Rendered(const QString &name, int size)
{
  static QMap<QPair<QString, int>, QImage> images;
  QImage &image = images[{name, size}];
  if (image.isNull())
    image = LibIcon(name).pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
  return image;
}
} // namespace

class TstUiLooks : public QObject {
  Q_OBJECT
private slots:
  void icons_data()
  {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");
    const QStringList names = LibIconNames();
    QVERIFY(names.size() >= 20);
    for (int size : {16, 32})
      for (const QString &name : names)
        QTest::addRow("%s %d", qPrintable(name), size) << name << size;
  }

  // Drawn (enough opaque pixels) and unlike every other icon at the same size.
  void icons()
  {
    QFETCH(QString, name);
    QFETCH(int, size);
    const QImage image = Rendered(name, size);
    QCOMPARE(image.size(), QSize(size, size));
    int opaque = 0;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x)
        opaque += qAlpha(image.pixel(x, y)) >= 128;
    QVERIFY2(opaque >= size * size / 16, qPrintable(QStringLiteral("%1 opaque pixels").arg(opaque)));
    for (const QString &other : LibIconNames()) {
      if (other == name)
        continue;
      const QImage b = Rendered(other, size);
      int differ = 0;
      for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
          const QRgb p = image.pixel(x, y), q = b.pixel(x, y);
          differ += std::abs(qAlpha(p) - qAlpha(q)) > 64 || std::abs(qRed(p) - qRed(q)) > 64 ||
                    std::abs(qGreen(p) - qGreen(q)) > 64 || std::abs(qBlue(p) - qBlue(q)) > 64;
        }
      QVERIFY2(differ >= size * size / 32, qPrintable(QStringLiteral("like %1: %2 pixels differ").arg(other).arg(differ)));
    }
  }

  void contrast_data()
  {
    QTest::addColumn<QString>("pair");
    QTest::addColumn<bool>("dark");
    for (bool dark : {false, true})
      for (const QString &pair : Pairs().keys())
        QTest::addRow("%s, %s", qPrintable(pair), dark ? "escuro" : "claro") << pair << dark;
  }

  void contrast()
  {
    QFETCH(QString, pair);
    QFETCH(bool, dark);
    const QPalette palette = dark ? Dark() : Light();
    QCOMPARE(Colours::IsDark(palette), dark);
    const TPair p = Pairs().value(pair)(palette);
    const double ratio = Ratio(p.ink, p.fill);
    QVERIFY2(ratio >= 4.5, qPrintable(QStringLiteral("%1 on %2: %3:1").arg(p.ink.name(), p.fill.name()).arg(ratio, 0, 'f', 2)));
  }

  // The statuses differ in lightness too, from each other and from an empty cell, further from
  // the base in the order concluded, pending, in progress.
  void statusesByLightness()
  {
    using S = Colours::TStatus;
    for (bool dark : {false, true}) {
      const double base = Luminance((dark ? Dark() : Light()).color(QPalette::Base));
      const double l[] = {base, Luminance(Colours::StatusFill(S::Concluded, dark)),
                          Luminance(Colours::StatusFill(S::Pending, dark)), Luminance(Colours::StatusFill(S::InProgress, dark))};
      for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j)
          QVERIFY2((std::max(l[i], l[j]) + 0.05) / (std::min(l[i], l[j]) + 0.05) >= 1.2,
                   qPrintable(QStringLiteral("%1 %2 %3").arg(QLatin1String(dark ? "escuro" : "claro")).arg(i).arg(j)));
      QVERIFY(std::abs(l[1] - base) < std::abs(l[2] - base) && std::abs(l[2] - base) < std::abs(l[3] - base));
    }
  }
};

QTEST_MAIN(TstUiLooks)
#include "tst_ui_looks.moc"
