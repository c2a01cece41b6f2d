#include "zrt/appserver/server.h"

#include "methods.h"

#include <zrt/common/jsonrpc.h>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/strand.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

namespace zrt::appserver {

namespace beast = boost::beast;
namespace http = beast::http;
namespace net = boost::asio;
using tcp = net::ip::tcp;
using nlohmann::json;

namespace {

thread_local Store *workerStore = nullptr;
std::mutex logMutex;

std::string dumpJson(const json &j) { return j.dump(-1, ' ', false, json::error_handler_t::replace); }

// Compares without an early exit so the time taken tells nothing about the token.
bool sameToken(std::string_view a, std::string_view b)
{
  unsigned char diff = a.size() == b.size() ? 0 : 1;
  const std::size_t n = std::max(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i)
    diff |= static_cast<unsigned char>((i < a.size() ? a[i] : 0) ^ (i < b.size() ? b[i] : 0));
  return diff == 0;
}

struct LogEntry {
  std::string method = "-";
  std::size_t rows = 0;
  std::string outcome = "ok";
};

} // namespace

struct Server::Impl {
  ServerOptions opt;
  std::string path; // "/ZRT02600.rmdPlanUtilEquipProd"
  net::io_context ioc;
  std::optional<tcp::acceptor> acceptor;
  std::vector<std::thread> threads;
  unsigned short boundPort = 0;
  bool running = false;

  explicit Impl(ServerOptions o) : opt(std::move(o)), path("/" + std::string(rpc::kServerName)), ioc(std::max(1, opt.threads)) {}

  void log(const LogEntry &e, std::chrono::steady_clock::duration took)
  {
    if (!opt.accessLog)
      return;
    const double ms = std::chrono::duration<double, std::milli>(took).count();
    std::lock_guard lock(logMutex);
    std::fprintf(stderr, "rpc method=%s ms=%.3f rows=%zu outcome=%s\n", e.method.c_str(), ms, e.rows, e.outcome.c_str());
  }

  std::string rpcCall(const std::string &body, LogEntry &entry);
  void accept();
};

namespace {

class Session : public std::enable_shared_from_this<Session> {
public:
  Session(tcp::socket socket, Server::Impl &srv) : stream_(std::move(socket)), srv_(srv) {}
  void run() { readHeader(); }

private:
  void readHeader()
  {
    parser_.emplace();
    parser_->body_limit(srv_.opt.maxBodyBytes);
    parser_->header_limit(static_cast<std::uint32_t>(srv_.opt.maxHeaderBytes));
    stream_.expires_after(srv_.opt.idleTimeout);
    http::async_read_header(stream_, buffer_, *parser_, beast::bind_front_handler(&Session::onHeader, shared_from_this()));
  }

  void onHeader(beast::error_code ec, std::size_t)
  {
    if (ec)
      return fail(ec);
    if (parser_->is_done())
      return handle();
    stream_.expires_after(srv_.opt.readTimeout);
    http::async_read(stream_, buffer_, *parser_, beast::bind_front_handler(&Session::onBody, shared_from_this()));
  }

  void onBody(beast::error_code ec, std::size_t)
  {
    if (ec)
      return fail(ec);
    handle();
  }

  void fail(beast::error_code ec)
  {
    // Too large or unreadable requests still get an answer before the connection closes.
    if (ec == http::error::body_limit)
      return replyAndClose(http::status::payload_too_large, "Requisição grande demais para o servidor de aplicação.");
    if (ec == http::error::header_limit)
      return replyAndClose(http::status::request_header_fields_too_large, "Cabeçalho da requisição grande demais.");
    if (ec.category() == beast::error_code(http::error::bad_target).category() && ec != http::error::end_of_stream &&
        ec != http::error::partial_message)
      return replyAndClose(http::status::bad_request, "Requisição HTTP inválida.");
    beast::error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
  }

  void replyAndClose(http::status status, const std::string &message)
  {
    res_ = {};
    res_.version(11);
    res_.result(status);
    res_.set(http::field::content_type, "application/json; charset=utf-8");
    res_.keep_alive(false);
    res_.body() = dumpJson(rpc::makeError(nullptr, rpc::kInvalidRequest, message));
    res_.prepare_payload();
    write();
  }

  void handle()
  {
    const auto t0 = std::chrono::steady_clock::now();
    auto &req = parser_->get();
    res_ = {};
    res_.version(req.version());
    res_.keep_alive(req.keep_alive());
    res_.set(http::field::server, "zrt02600-server");
    res_.set(http::field::content_type, "application/json; charset=utf-8");
    const beast::string_view target = req.target();
    if (target == "/health") {
      if (req.method() != http::verb::get && req.method() != http::verb::head)
        status(http::status::method_not_allowed, "Use GET em /health.");
      else
        res_.body() = R"({"status":"ok"})";
    } else if (target == srv_.path) {
      LogEntry entry;
      if (req.method() != http::verb::post) {
        status(http::status::method_not_allowed, "Use POST para chamar o servidor de aplicação.");
        entry.outcome = "405";
      } else if (!authorised(req)) {
        res_.set(http::field::www_authenticate, "Bearer");
        status(http::status::unauthorized, "Acesso não autorizado ao servidor de aplicação.");
        entry.outcome = "401";
      } else {
        res_.body() = srv_.rpcCall(req.body(), entry);
      }
      srv_.log(entry, std::chrono::steady_clock::now() - t0);
    } else {
      status(http::status::not_found, "Recurso não encontrado no servidor de aplicação.");
    }
    res_.prepare_payload();
    write();
  }

  bool authorised(const http::request<http::string_body> &req) const
  {
    if (srv_.opt.token.empty())
      return true;
    const auto it = req.find(http::field::authorization);
    if (it == req.end())
      return false;
    const beast::string_view v = it->value();
    const beast::string_view prefix = "Bearer ";
    if (v.size() < prefix.size() || !beast::iequals(v.substr(0, prefix.size()), prefix))
      return false;
    const beast::string_view t = v.substr(prefix.size());
    return sameToken(std::string_view(t.data(), t.size()), srv_.opt.token);
  }

  void status(http::status s, const std::string &message)
  {
    res_.result(s);
    res_.body() = dumpJson(rpc::makeError(nullptr, rpc::kInvalidRequest, message));
  }

  void write() { http::async_write(stream_, res_, beast::bind_front_handler(&Session::onWrite, shared_from_this())); }

  void onWrite(beast::error_code ec, std::size_t)
  {
    if (ec || !res_.keep_alive()) {
      beast::error_code ignored;
      stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
      return;
    }
    readHeader();
  }

  beast::tcp_stream stream_;
  Server::Impl &srv_;
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::string_body>> parser_;
  http::response<http::string_body> res_;
};

} // namespace

std::string Server::Impl::rpcCall(const std::string &body, LogEntry &entry)
{
  json id = nullptr;
  auto error = [&](int code, const std::string &message) {
    entry.outcome = std::to_string(code);
    return dumpJson(rpc::makeError(id, code, message));
  };
  json request = json::parse(body, nullptr, false);
  if (request.is_discarded())
    return error(rpc::kParseError, "Requisição malformada: o corpo não é um JSON válido.");
  if (!request.is_object())
    return error(rpc::kInvalidRequest, "Requisição inválida: esperado um objeto JSON-RPC 2.0.");
  if (auto it = request.find("id"); it != request.end() && (it->is_string() || it->is_number() || it->is_null()))
    id = *it;
  const auto method = request.find("method");
  const auto version = request.find("jsonrpc");
  if (method == request.end() || !method->is_string() || version == request.end() || *version != "2.0")
    return error(rpc::kInvalidRequest, "Requisição inválida: esperado um objeto JSON-RPC 2.0 com \"method\".");
  entry.method = method->get<std::string>().substr(0, 64);
  json params = json::array();
  if (auto it = request.find("params"); it != request.end() && !it->is_null()) {
    if (!it->is_array())
      return error(rpc::kInvalidParams, "Parâmetros inválidos: os argumentos devem ser uma lista posicional.");
    params = std::move(*it);
  }
  // The envelope around the packet, in the key order of the JSON library's objects.
  std::string out = "{\"id\":" + dumpJson(id) + ",\"jsonrpc\":\"2.0\",\"result\":";
  try {
    if (!workerStore)
      throw std::logic_error("no store on this thread");
    entry.rows = callMethod(*workerStore, method->get<std::string>(), params, out);
    out += '}';
    return out;
  } catch (const CallError &e) {
    return error(e.code, e.what());
  } catch (const std::exception &e) {
    return error(rpc::kInternalError, std::string("Erro interno do servidor de aplicação: ") + e.what());
  }
}

void Server::Impl::accept()
{
  acceptor->async_accept(net::make_strand(ioc), [this](beast::error_code ec, tcp::socket socket) {
    if (ec == net::error::operation_aborted || !acceptor->is_open())
      return;
    if (!ec) {
      socket.set_option(tcp::no_delay(true), ec);
      std::make_shared<Session>(std::move(socket), *this)->run();
    }
    accept();
  });
}

Server::Server(ServerOptions options) : d(std::make_unique<Impl>(std::move(options))) {}

Server::~Server() { stop(); }

void Server::start()
{
  if (d->running)
    throw std::runtime_error("O servidor de aplicação já está em execução.");
  if (d->opt.threads < 1 || d->opt.threads > 256)
    throw std::runtime_error("Número de threads inválido (1 a 256).");
  if (d->opt.dbUrl.isEmpty())
    throw std::runtime_error("Banco de dados não informado.");
  beast::error_code ec;
  const auto address = net::ip::make_address(d->opt.listen, ec);
  if (ec)
    throw std::runtime_error("Endereço de escuta inválido: " + d->opt.listen);
  const tcp::endpoint endpoint(address, d->opt.port);
  tuneSqliteForServer();
  d->acceptor.emplace(d->ioc);
  auto check = [&](const char *what) {
    if (ec) {
      d->acceptor.reset();
      throw std::runtime_error(std::string("Não foi possível ") + what + " " + d->opt.listen + ":" + std::to_string(d->opt.port) +
                               ": " + ec.message());
    }
  };
  d->acceptor->open(endpoint.protocol(), ec);
  check("abrir");
  d->acceptor->set_option(net::socket_base::reuse_address(true), ec);
  d->acceptor->bind(endpoint, ec);
  check("escutar em");
  d->acceptor->listen(net::socket_base::max_listen_connections, ec);
  check("escutar em");
  d->boundPort = d->acceptor->local_endpoint().port();
  d->ioc.restart();
  d->accept();
  d->running = true;
  for (int i = 0; i < d->opt.threads; ++i) {
    d->threads.emplace_back([impl = d.get()] {
      Store store(impl->opt.dbUrl);
      workerStore = &store;
      impl->ioc.run();
      workerStore = nullptr;
    });
  }
}

unsigned short Server::port() const { return d->boundPort; }

void Server::stop()
{
  if (!d->running)
    return;
  net::post(d->ioc, [impl = d.get()] {
    beast::error_code ignored;
    impl->acceptor->close(ignored);
  });
  d->ioc.stop();
  for (auto &t : d->threads)
    t.join();
  d->threads.clear();
  d->acceptor.reset();
  d->running = false;
}

} // namespace zrt::appserver
