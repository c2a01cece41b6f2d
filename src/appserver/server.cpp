#include "zrt/appserver/server.h"

#include "logging.h"
#include "methods.h"
#include "metrics.h"

#include <zrt/common/jsonrpc.h>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/strand.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <atomic>
#include <list>
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
  int outcome = Metrics::kOk; // or the JSON-RPC error code, or the HTTP status
};

// A method name as the access log shows it: a client's line feeds or spaces cannot forge lines
// or fields.
std::string loggable(std::string name)
{
  for (char &c : name)
    if (static_cast<unsigned char>(c) <= ' ' || c == '\x7f')
      c = '?';
  return name;
}

// What a POST answers: a JSON text, or nothing at all (notifications only: HTTP 204).
struct RpcAnswer {
  std::string body;
  bool noContent = false;
};

} // namespace

class HttpSession;

struct Server::Impl {
  ServerOptions opt;
  std::string path; // "/ZRT02600.rmdPlanUtilEquipProd"
  // Before the io_context: sessions still pending when it is destroyed unregister here.
  std::mutex sessionsMutex;
  std::list<std::weak_ptr<HttpSession>> sessions; // open connections, for draining
  net::io_context ioc;
  std::optional<tcp::acceptor> acceptor;
  std::vector<std::thread> threads;
  unsigned short boundPort = 0;
  bool running = false;
  std::atomic<bool> draining{false};
  Metrics metrics;

  explicit Impl(ServerOptions o) : opt(std::move(o)), path("/" + std::string(rpc::kServerName)), ioc(std::max(1, opt.threads)) {}

  // Every call ends here: counted, and written to the access log.
  void log(const LogEntry &e, std::chrono::steady_clock::time_point started)
  {
    const auto took = std::chrono::steady_clock::now() - started;
    metrics.call(e.method, e.outcome, e.rows, took);
    if (!opt.accessLog || !lcRpc().isInfoEnabled())
      return;
    const double ms = std::chrono::duration<double, std::milli>(took).count();
    const std::string outcome = e.outcome == Metrics::kOk ? std::string("ok") : std::to_string(e.outcome);
    qCInfo(lcRpc, "rpc method=%s ms=%.3f rows=%zu outcome=%s", e.method.c_str(), ms, e.rows, outcome.c_str());
  }

  RpcAnswer rpcCall(const std::string &body);
  std::optional<std::string> rpcOne(json request);
  std::string rpcError(int code, const std::string &message);
  void accept();
  std::size_t openSessions()
  {
    std::lock_guard lock(sessionsMutex);
    return sessions.size();
  }
};

class HttpSession : public std::enable_shared_from_this<HttpSession> {
public:
  HttpSession(tcp::socket socket, Server::Impl &srv) : stream_(std::move(socket)), srv_(srv) {}
  ~HttpSession()
  {
    std::lock_guard lock(srv_.sessionsMutex);
    srv_.sessions.erase(registered_);
  }
  void run()
  {
    {
      std::lock_guard lock(srv_.sessionsMutex);
      registered_ = srv_.sessions.insert(srv_.sessions.end(), weak_from_this());
    }
    readHeader();
  }
  // Draining: a connection waiting for its next request is closed; one inside a request gets
  // its answer first (see write).
  void closeIfIdle()
  {
    net::post(stream_.get_executor(), [self = shared_from_this()] {
      if (self->waiting_ && self->buffer_.size() == 0 && !(self->parser_ && self->parser_->got_some()))
        self->close();
    });
  }

private:
  void close()
  {
    beast::error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
    stream_.socket().close(ignored);
  }

  void readHeader()
  {
    if (srv_.draining)
      return close();
    waiting_ = true;
    parser_.emplace();
    parser_->body_limit(srv_.opt.maxBodyBytes);
    parser_->header_limit(static_cast<std::uint32_t>(srv_.opt.maxHeaderBytes));
    stream_.expires_after(srv_.opt.idleTimeout);
    http::async_read_header(stream_, buffer_, *parser_, beast::bind_front_handler(&HttpSession::onHeader, shared_from_this()));
  }

  void onHeader(beast::error_code ec, std::size_t)
  {
    waiting_ = false;
    if (ec)
      return fail(ec);
    if (parser_->is_done())
      return handle();
    stream_.expires_after(srv_.opt.readTimeout);
    http::async_read(stream_, buffer_, *parser_, beast::bind_front_handler(&HttpSession::onBody, shared_from_this()));
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
    qCDebug(lcHttp, "HTTP %u: %s", unsigned(status), message.c_str());
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
    serializer_.reset(); // it refers to the answer about to be replaced
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
        health();
    } else if (target == "/metrics") {
      if (req.method() != http::verb::get) {
        status(http::status::method_not_allowed, "Use GET em /metrics.");
      } else if (!authorised(req)) {
        refuse(target);
      } else {
        res_.set(http::field::content_type, "text/plain; version=0.0.4; charset=utf-8");
        res_.body() = srv_.metrics.render(srv_.openSessions(), srv_.draining);
      }
    } else if (target == srv_.path) {
      if (req.method() != http::verb::post) {
        status(http::status::method_not_allowed, "Use POST para chamar o servidor de aplicação.");
        srv_.log({.outcome = 405}, t0);
      } else if (!authorised(req)) {
        refuse(target);
        srv_.log({.outcome = 401}, t0);
      } else {
        RpcAnswer answer = srv_.rpcCall(req.body());
        if (answer.noContent) {
          res_.result(http::status::no_content);
          res_.erase(http::field::content_type);
        } else {
          res_.body() = std::move(answer.body);
        }
      }
    } else {
      status(http::status::not_found, "Recurso não encontrado no servidor de aplicação.");
    }
    res_.prepare_payload();
    // HEAD tells the length a GET would get but sends no body: the client reads none.
    if (req.method() == http::verb::head)
      res_.body().clear();
    write();
  }

  // Asks the database on every check, so a balancer stops sending calls to a copy that cannot
  // answer them.
  void health()
  {
    std::string reason;
    if (srv_.draining) {
      reason = "Servidor de aplicação encerrando.";
    } else {
      try {
        if (!workerStore)
          throw std::logic_error("no store on this thread");
        workerStore->ping();
        res_.body() = R"({"status":"ok"})";
        return;
      } catch (const std::exception &e) {
        reason = e.what();
      }
    }
    res_.result(http::status::service_unavailable);
    res_.body() = dumpJson({{"status", "unavailable"}, {"reason", reason}});
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

  void refuse(beast::string_view target)
  {
    qCDebug(lcHttp, "HTTP 401: %.*s sem o token", int(target.size()), target.data());
    res_.set(http::field::www_authenticate, "Bearer");
    status(http::status::unauthorized, "Acesso não autorizado ao servidor de aplicação.");
  }

  void status(http::status s, const std::string &message)
  {
    res_.result(s);
    res_.body() = dumpJson(rpc::makeError(nullptr, rpc::kInvalidRequest, message));
  }

  void write()
  {
    // Draining began during the call: this answer is the connection's last.
    if (srv_.draining)
      res_.keep_alive(false);
    // An answer usually fits the socket's send buffer whole: written at once, it needs no
    // timer, whose arming and cancelling per answer costs more than a small call itself. Only
    // what the peer does not take at once goes on asynchronously, under the read timeout.
    serializer_.emplace(res_);
    beast::error_code ec;
    stream_.socket().non_blocking(true, ec);
    if (!ec)
      http::write(stream_.socket(), *serializer_, ec);
    if (ec != net::error::would_block)
      return onWrite(ec, 0);
    stream_.expires_after(srv_.opt.readTimeout);
    http::async_write(stream_, *serializer_, beast::bind_front_handler(&HttpSession::onWrite, shared_from_this()));
  }

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
  std::list<std::weak_ptr<HttpSession>>::iterator registered_;
  bool waiting_ = false; // reading the header of the next request
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::string_body>> parser_;
  http::response<http::string_body> res_;
  std::optional<http::response_serializer<http::string_body>> serializer_;
};

std::string Server::Impl::rpcError(int code, const std::string &message)
{
  LogEntry entry;
  entry.outcome = code;
  log(entry, std::chrono::steady_clock::now());
  return dumpJson(rpc::makeError(nullptr, code, message));
}

RpcAnswer Server::Impl::rpcCall(const std::string &body)
{
  json request = json::parse(body, nullptr, false);
  if (request.is_discarded())
    return {rpcError(rpc::kParseError, "Requisição malformada: o corpo não é um JSON válido.")};
  if (!request.is_array()) {
    auto answer = rpcOne(std::move(request));
    return answer ? RpcAnswer{std::move(*answer)} : RpcAnswer{{}, true};
  }
  // A batch: one answer per call that has an id, in one array.
  if (request.empty())
    return {rpcError(rpc::kInvalidRequest, "Requisição inválida: lote vazio.")};
  if (request.size() > opt.maxBatchCalls)
    return {rpcError(rpc::kInvalidRequest,
                     "Requisição inválida: um lote aceita no máximo " + std::to_string(opt.maxBatchCalls) + " chamadas.")};
  std::string out = "[";
  for (json &member : request) {
    if (auto answer = rpcOne(std::move(member))) {
      if (out.size() > 1)
        out += ',';
      out += *answer;
    }
  }
  if (out.size() == 1)
    return {{}, true};
  out += ']';
  return {std::move(out)};
}

// One call; none for a notification (a valid request without "id"), which runs all the same.
std::optional<std::string> Server::Impl::rpcOne(json request)
{
  const auto t0 = std::chrono::steady_clock::now();
  LogEntry entry;
  json id = nullptr;
  bool notification = false;
  auto error = [&](int code, const std::string &message) -> std::optional<std::string> {
    entry.outcome = code;
    log(entry, t0);
    if (notification)
      return std::nullopt;
    return dumpJson(rpc::makeError(id, code, message));
  };
  if (!request.is_object())
    return error(rpc::kInvalidRequest, "Requisição inválida: esperado um objeto JSON-RPC 2.0.");
  if (auto it = request.find("id"); it != request.end() && (it->is_string() || it->is_number() || it->is_null()))
    id = *it;
  const auto method = request.find("method");
  const auto version = request.find("jsonrpc");
  if (method == request.end() || !method->is_string() || version == request.end() || *version != "2.0")
    return error(rpc::kInvalidRequest, "Requisição inválida: esperado um objeto JSON-RPC 2.0 com \"method\".");
  notification = !request.contains("id");
  entry.method = loggable(method->get<std::string>().substr(0, 64));
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
  } catch (const CallError &e) {
    return error(e.code, e.what());
  } catch (const std::exception &e) {
    return error(rpc::kInternalError, std::string("Erro interno do servidor de aplicação: ") + e.what());
  }
  log(entry, t0);
  if (notification)
    return std::nullopt;
  return out;
}

void Server::Impl::accept()
{
  acceptor->async_accept(net::make_strand(ioc), [this](beast::error_code ec, tcp::socket socket) {
    if (ec == net::error::operation_aborted || !acceptor->is_open())
      return;
    if (!ec) {
      socket.set_option(tcp::no_delay(true), ec);
      std::make_shared<HttpSession>(std::move(socket), *this)->run();
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
  // Its own strand: draining closes it from another thread while an accept may be completing.
  d->acceptor.emplace(net::make_strand(d->ioc));
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
  d->draining = false;
  d->accept();
  d->running = true;
  for (int i = 0; i < d->opt.threads; ++i) {
    d->threads.emplace_back([impl = d.get()] {
      Store store(impl->opt.dbUrl, &impl->metrics);
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
  net::post(d->acceptor->get_executor(), [impl = d.get()] {
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

bool Server::drain(std::chrono::milliseconds timeout)
{
  if (!d->running)
    return true;
  d->draining = true;
  net::post(d->acceptor->get_executor(), [impl = d.get()] {
    beast::error_code ignored;
    impl->acceptor->close(ignored);
  });
  std::vector<std::shared_ptr<HttpSession>> open;
  {
    std::lock_guard lock(d->sessionsMutex);
    for (const auto &weak : d->sessions)
      if (auto session = weak.lock())
        open.push_back(std::move(session));
  }
  for (const auto &session : open)
    session->closeIfIdle();
  open.clear(); // outside the lock: the last reference may end a session, which takes it
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  bool drained = false;
  while (!(drained = d->openSessions() == 0) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  stop();
  return drained;
}

} // namespace zrt::appserver
