#include "freehours.h"

#include <QRegularExpression>

#include <algorithm>

namespace zrt::appserver {

std::vector<Interval> freeSpans(std::int64_t w0, std::int64_t w1, const Interval *b, const Interval *e)
{
  std::vector<Interval> out;
  if (w0 == w1) {
    const bool covered = std::any_of(b, e, [w0](const Interval &r) { return r.start <= w0 && r.end > w0; });
    if (!covered)
      out.push_back({w0, w0});
    return out;
  }
  std::int64_t cursor = w0;
  for (const Interval *r = b; r != e && r->start < w1 && cursor < w1; ++r) {
    if (r->end <= cursor)
      continue;
    if (r->start > cursor)
      out.push_back({cursor, r->start});
    cursor = std::max(cursor, r->end);
  }
  if (cursor < w1)
    out.push_back({cursor, w1});
  return out;
}

std::optional<int> parseHourText(const QString &text)
{
  static const QRegularExpression re(QStringLiteral("^\\s*(\\d{1,2}):(\\d{2})(?::(\\d{2}))?\\s*$"));
  const auto m = re.match(text);
  if (!m.hasMatch())
    return std::nullopt;
  const int h = m.captured(1).toInt(), min = m.captured(2).toInt();
  const int s = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
  if (h > 23 || min > 59 || s > 59)
    return std::nullopt;
  return h * 3600 + min * 60 + s;
}

QString hourText(std::int64_t seconds)
{
  std::int64_t t = seconds % kSecondsPerDay;
  if (t < 0)
    t += kSecondsPerDay;
  const int h = int(t / 3600), m = int(t / 60 % 60);
  return QStringLiteral("%1:%2").arg(h, 2, 10, QLatin1Char('0')).arg(m, 2, 10, QLatin1Char('0'));
}

} // namespace zrt::appserver
