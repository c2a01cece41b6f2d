#include "metrics.h"

#include "methods.h"

#include <zrt/common/jsonrpc.h>

#include <charconv>

#ifndef ZRT_VERSION
#define ZRT_VERSION "unknown"
#endif

namespace zrt::appserver {
namespace {

// Upper bounds of the latency buckets, in seconds: from a clock call to a long free-hours search.
constexpr std::array<double, 14> kBucketSeconds = {0.0005, 0.001, 0.0025, 0.005, 0.01, 0.025, 0.05,
                                                   0.1,    0.25,  0.5,    1,     2.5,  5,     10};

constexpr std::string_view kOther = "other";
constexpr std::string_view kNone = "none";

constexpr std::array<int, 9> kOutcomes = {Metrics::kOk,
                                          rpc::kParseError,
                                          rpc::kInvalidRequest,
                                          rpc::kMethodNotFound,
                                          rpc::kInvalidParams,
                                          rpc::kInternalError,
                                          rpc::kServerError,
                                          401,
                                          405};

// Rows: the methods in their order, then "other", then "none".
std::size_t methodRow(std::string_view method)
{
  if (method == "-")
    return kMethodCount + 1;
  for (std::size_t i = 0; i < kMethodCount; ++i)
    if (method == methodName(i))
      return i;
  return kMethodCount;
}

std::string_view methodLabel(std::size_t row)
{
  return row < kMethodCount ? methodName(row) : row == kMethodCount ? kOther : kNone;
}

std::size_t outcomeRow(int outcome)
{
  for (std::size_t i = 0; i < kOutcomes.size(); ++i)
    if (outcome == kOutcomes[i])
      return i;
  return kOutcomes.size();
}

std::string outcomeLabel(std::size_t row)
{
  if (row >= kOutcomes.size())
    return std::string(kOther);
  return kOutcomes[row] == Metrics::kOk ? std::string("ok") : std::to_string(kOutcomes[row]);
}

void appendNumber(std::string &out, double v)
{
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

// A label value as the text format wants it: backslash, double quote and line feed escaped.
void appendLabel(std::string &out, std::string_view name, std::string_view value)
{
  out += name;
  out += "=\"";
  for (const char c : value) {
    if (c == '\\' || c == '"')
      out += '\\';
    if (c == '\n')
      out += "\\n";
    else
      out += c;
  }
  out += '"';
}

void appendHeader(std::string &out, std::string_view name, std::string_view type, std::string_view help)
{
  out.append("# HELP ").append(name).append(" ").append(help).append("\n");
  out.append("# TYPE ").append(name).append(" ").append(type).append("\n");
}

void appendSample(std::string &out, std::string_view name, std::string_view labels, double v)
{
  out += name;
  if (!labels.empty())
    out.append("{").append(labels).append("}");
  out += ' ';
  appendNumber(out, v);
  out += '\n';
}

} // namespace

static_assert(kMethodCount + 2 == 8 && kOutcomes.size() + 1 == 10 && kBucketSeconds.size() == 14,
              "the tables of metrics.h are sized for these");

void Metrics::call(std::string_view method, int outcome, std::size_t rows, std::chrono::steady_clock::duration took)
{
  PerMethod &m = methods_[methodRow(method)];
  m.calls[outcomeRow(outcome)].fetch_add(1, std::memory_order_relaxed);
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(took).count();
  const double seconds = double(ns) / 1e9;
  std::size_t bucket = 0;
  while (bucket < kBucketSeconds.size() && seconds > kBucketSeconds[bucket])
    ++bucket;
  m.buckets[bucket].fetch_add(1, std::memory_order_relaxed);
  m.nanoseconds.fetch_add(std::uint64_t(std::max<std::int64_t>(0, ns)), std::memory_order_relaxed);
  if (rows)
    m.rows.fetch_add(rows, std::memory_order_relaxed);
}

std::string Metrics::render(std::size_t connectionsOpen, bool draining) const
{
  std::string out;
  out.reserve(8192);
  auto load = [](const std::atomic<std::uint64_t> &a) { return double(a.load(std::memory_order_relaxed)); };
  auto methodOnly = [](std::size_t row) {
    std::string l;
    appendLabel(l, "method", methodLabel(row));
    return l;
  };
  // The known methods always have their rows, so a rate starts from zero; "other" and "none" once
  // something fell in them.
  auto shown = [this, &load](std::size_t row) {
    if (row < kMethodCount)
      return true;
    double n = 0;
    for (const auto &b : methods_[row].buckets)
      n += load(b);
    return n > 0;
  };

  appendHeader(out, "zrt_rpc_calls_total", "counter",
               "Calls answered, by method and outcome (ok, a JSON-RPC error code, 401, 405).");
  for (std::size_t m = 0; m < kMethodRows; ++m)
    for (std::size_t o = 0; o < kOutcomeRows; ++o) {
      const double n = load(methods_[m].calls[o]);
      if (n == 0 && !(o == 0 && m < kMethodCount))
        continue;
      std::string labels = methodOnly(m);
      labels += ',';
      appendLabel(labels, "outcome", outcomeLabel(o));
      appendSample(out, "zrt_rpc_calls_total", labels, n);
    }

  appendHeader(out, "zrt_rpc_duration_seconds", "histogram", "Time to answer a call, by method.");
  for (std::size_t m = 0; m < kMethodRows; ++m) {
    if (!shown(m))
      continue;
    const std::string method = methodOnly(m);
    double cumulative = 0;
    for (std::size_t b = 0; b <= kBucketCount; ++b) {
      cumulative += load(methods_[m].buckets[b]);
      std::string labels = method + ",le=\"";
      if (b < kBucketCount)
        appendNumber(labels, kBucketSeconds[b]);
      else
        labels += "+Inf";
      labels += '"';
      appendSample(out, "zrt_rpc_duration_seconds_bucket", labels, cumulative);
    }
    appendSample(out, "zrt_rpc_duration_seconds_sum", method, load(methods_[m].nanoseconds) / 1e9);
    appendSample(out, "zrt_rpc_duration_seconds_count", method, cumulative);
  }

  appendHeader(out, "zrt_rpc_rows_total", "counter", "Rows returned in data packets, by method.");
  for (std::size_t m = 0; m < kMethodCount; ++m)
    appendSample(out, "zrt_rpc_rows_total", methodOnly(m), load(methods_[m].rows));

  appendHeader(out, "zrt_http_connections_open", "gauge", "HTTP connections open, idle keep-alive ones included.");
  appendSample(out, "zrt_http_connections_open", {}, double(connectionsOpen));
  appendHeader(out, "zrt_db_errors_total", "counter", "Database failures; each drops the worker's connection.");
  appendSample(out, "zrt_db_errors_total", {}, load(dbErrors_));
  appendHeader(out, "zrt_db_reconnects_total", "counter", "Database connections opened again after one was lost or dropped.");
  appendSample(out, "zrt_db_reconnects_total", {}, load(dbReconnects_));
  appendHeader(out, "zrt_draining", "gauge", "1 while the server drains before stopping, else 0.");
  appendSample(out, "zrt_draining", {}, draining ? 1 : 0);
  appendHeader(out, "zrt_build_info", "gauge", "The server's version, as a label; the value is always 1.");
  std::string version;
  appendLabel(version, "version", ZRT_VERSION);
  appendSample(out, "zrt_build_info", version, 1);
  return out;
}

} // namespace zrt::appserver
