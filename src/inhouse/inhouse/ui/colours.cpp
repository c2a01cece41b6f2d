#include <inhouse/ui/colours.h>

#include <algorithm>
#include <cmath>

namespace Colours {
namespace {
double Channel(double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }
constexpr double kReadable = 4.5;
} // namespace

double Luminance(const QColor &colour)
{
  const QColor c = colour.toRgb();
  return 0.2126 * Channel(c.redF()) + 0.7152 * Channel(c.greenF()) + 0.0722 * Channel(c.blueF());
}

double Contrast(const QColor &a, const QColor &b)
{
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool IsDark(const QPalette &palette) { return palette.color(QPalette::Base).lightness() < 128; }

QColor InkOn(const QColor &fill, const QPalette &palette)
{
  const QColor text = palette.color(QPalette::Text);
  if (Contrast(text, fill) >= kReadable)
    return text;
  const QColor black(Qt::black), white(Qt::white);
  return Contrast(black, fill) >= Contrast(white, fill) ? black : white;
}

QColor ReadableOn(const QColor &ink, const QColor &fill)
{
  if (Contrast(ink, fill) >= kReadable)
    return ink;
  const QColor hsl = ink.toHsl();
  const bool lighter = Luminance(fill) < 0.18;
  for (int l = hsl.lightness(); l >= 0 && l <= 255; l += lighter ? 4 : -4) {
    const QColor shade = QColor::fromHsl(hsl.hslHue(), hsl.hslSaturation(), l);
    if (Contrast(shade, fill) >= kReadable)
      return shade;
  }
  return lighter ? QColor(Qt::white) : QColor(Qt::black);
}

QColor FillFor(const QColor &lightFill, const QPalette &palette)
{
  if (!IsDark(palette))
    return lightFill;
  const QColor text = palette.color(QPalette::Text);
  QColor hsl = lightFill.toHsl();
  // Lower the lightness until the text reads, keeping hue and saturation.
  for (int l = std::min(hsl.lightness(), 120); l > 0; l -= 4) {
    const QColor shade = QColor::fromHsl(hsl.hslHue(), hsl.hslSaturation(), l);
    if (Contrast(text, shade) >= kReadable)
      return shade;
  }
  return QColor::fromHsl(hsl.hslHue(), hsl.hslSaturation(), 20);
}

QColor StatusFill(TStatus status, bool dark)
{
  // Light palette: pale green, amber, blue from light to dark under dark text, all below the
  // base. Dark palette, under light text: green just below the base, amber and blue above it;
  // each apart from the next and from empty cells by lightness as well as hue.
  switch (status) {
  case TStatus::Pending: return dark ? QColor(0x6b, 0x4a, 0x00) : QColor(0xf5, 0xb9, 0x4f);
  case TStatus::InProgress: return dark ? QColor(0x1f, 0x62, 0x9c) : QColor(0x5d, 0xad, 0xe2);
  case TStatus::Concluded: return dark ? QColor(0x14, 0x30, 0x1c) : QColor(0xcf, 0xe3, 0xd4);
  case TStatus::Unknown: break;
  }
  return dark ? QColor(0x50, 0x50, 0x50) : QColor(0xd0, 0xd0, 0xd0);
}
} // namespace Colours
