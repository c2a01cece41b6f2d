#pragma once
// A small synchronous HTTP/1.1 client for the tests: one keep-alive connection to loopback.
#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace testhttp {

namespace beast = boost::beast;
namespace http = beast::http;
namespace net = boost::asio;
using tcp = net::ip::tcp;

struct Reply {
  int status = 0; // 0: no answer (the error is in `error`)
  std::string body;
  std::string contentType;
  std::string error;
  bool keepAlive = false;
};

class Client {
public:
  explicit Client(unsigned short port) : stream_(ioc_)
  {
    stream_.expires_after(std::chrono::seconds(10));
    stream_.connect(tcp::endpoint(net::ip::make_address("127.0.0.1"), port));
  }
  ~Client()
  {
    beast::error_code ec;
    stream_.socket().shutdown(tcp::socket::shutdown_both, ec);
  }

  Reply send(http::verb verb, const std::string &target, const std::string &body,
             const std::vector<std::pair<std::string, std::string>> &headers = {})
  {
    Reply r;
    try {
      http::request<http::string_body> req{verb, target, 11};
      req.set(http::field::host, "127.0.0.1");
      req.set(http::field::content_type, "application/json");
      for (const auto &[k, v] : headers)
        req.set(k, v);
      req.body() = body;
      req.prepare_payload();
      stream_.expires_after(std::chrono::seconds(30));
      http::write(stream_, req);
      http::response<http::string_body> res;
      http::response_parser<http::string_body> parser;
      parser.body_limit(256 * 1024 * 1024);
      parser.skip(verb == http::verb::head); // the answer to HEAD has a length but no body
      http::read(stream_, buffer_, parser);
      res = parser.release();
      r.status = res.result_int();
      r.body = res.body();
      r.contentType = std::string(res[http::field::content_type]);
      r.keepAlive = res.keep_alive();
    } catch (const std::exception &e) {
      r.error = e.what();
    }
    return r;
  }

  Reply post(const std::string &target, const std::string &body,
             const std::vector<std::pair<std::string, std::string>> &headers = {})
  {
    return send(http::verb::post, target, body, headers);
  }

  beast::tcp_stream &stream() { return stream_; }

private:
  net::io_context ioc_;
  beast::tcp_stream stream_;
  beast::flat_buffer buffer_;
};

} // namespace testhttp
