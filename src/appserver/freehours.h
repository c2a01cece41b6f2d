#pragma once
// Free time of one piece of equipment inside a daily window, on a common scale of seconds
// counted from 30 December 1899 00:00 (the day-based scale of the wire, in whole seconds).
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace zrt::appserver {

struct Interval {
  std::int64_t start = 0; // a reservation occupies [start, end)
  std::int64_t end = 0;
  bool operator==(const Interval &) const = default;
};

// Spans of [windowStart, windowEnd] that no busy interval covers. `busy` is sorted by start
// and may overlap. An empty window (start == end) is one free point unless a reservation
// covers that instant.
std::vector<Interval> freeSpans(std::int64_t windowStart, std::int64_t windowEnd, const Interval *busyBegin,
                                const Interval *busyEnd);

// "08:00:00", "08:00" or "8:00" as seconds since midnight; nullopt for anything else.
std::optional<int> parseHourText(const QString &text);

// "HH:MM" of the time of day of a point on the seconds scale.
QString hourText(std::int64_t seconds);

inline constexpr std::int64_t kSecondsPerDay = 86400;

} // namespace zrt::appserver
