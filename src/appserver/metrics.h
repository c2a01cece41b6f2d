#pragma once
// The server's counters, read at GET /metrics in Prometheus' text format (0.0.4). Counting a
// call is a few relaxed atomic additions on fixed tables: a method name outside the known ones
// and an outcome outside the known codes share one "other" row, so no request can make the
// server keep more than it keeps from the start.
#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zrt::appserver {

class Metrics {
public:
  // A call's outcome: kOk, a JSON-RPC error code, or an HTTP status (401, 405).
  static constexpr int kOk = 0;

  // One finished call as the access log writes it: `method` as the request named it ("-" when it
  // named none).
  void call(std::string_view method, int outcome, std::size_t rows, std::chrono::steady_clock::duration took);
  void dbError() { dbErrors_.fetch_add(1, std::memory_order_relaxed); }
  void dbReconnect() { dbReconnects_.fetch_add(1, std::memory_order_relaxed); }

  std::string render(std::size_t connectionsOpen, bool draining) const;

private:
  static constexpr std::size_t kMethodRows = 8;   // the six methods, "other", "none"
  static constexpr std::size_t kOutcomeRows = 10; // see outcomeRow()
  static constexpr std::size_t kBucketCount = 14;

  // Buckets hold the calls of their own span only; render() adds them up.
  struct alignas(64) PerMethod {
    std::array<std::atomic<std::uint64_t>, kOutcomeRows> calls{};
    std::array<std::atomic<std::uint64_t>, kBucketCount + 1> buckets{}; // the last: above 10 s
    std::atomic<std::uint64_t> nanoseconds{0};
    std::atomic<std::uint64_t> rows{0};
  };

  std::array<PerMethod, kMethodRows> methods_{};
  std::atomic<std::uint64_t> dbErrors_{0};
  std::atomic<std::uint64_t> dbReconnects_{0};
};

} // namespace zrt::appserver
