#include <inhouse/net/netconnection.h>

#include <zrt/common/jsonrpc.h>

#include <nlohmann/json.hpp>

#include <QCoreApplication>
#include <QEventLoop>
#include <QLocale>
#include <QPointer>

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

std::function<void(const QString &, const std::string &)> TNetConnection::OnCall;

// Closes a keep-alive connection for good; the next call opens a new one.
static void dropStream(std::optional<beast::tcp_stream> &stream, beast::flat_buffer &buffer)
{
  if (stream) {
    beast::error_code ignored;
    stream->socket().shutdown(tcp::socket::shutdown_both, ignored);
    stream->socket().close(ignored);
    stream.reset();
  }
  buffer.clear();
}

// The socket and its buffer live across calls (keep-alive); only the worker thread of the call
// in progress touches them, one call at a time.
struct TNetConnection::Transport {
  asio::io_context ioc;
  std::optional<beast::tcp_stream> stream;
  beast::flat_buffer buffer;

  void drop() { dropStream(stream, buffer); }
  // Sends the exchange's request and fills in its outcome; runs on the worker thread.
  void perform(Exchange &ex);
};

// One HTTP request and what came of it.
struct TNetConnection::Exchange {
  std::string host, port, target, body, token;
  http::verb verb = http::verb::post;
  std::chrono::milliseconds timeout{30000};
  std::uint64_t maxResponse = 0;
  // outcome
  bool transportOk = false;
  unsigned status = 0;
  std::string response;
  QString error; // Portuguese, when !transportOk
};

namespace {

constexpr std::size_t kReadRoom = 256 * 1024;

nlohmann::json toJson(const TServerParams &params)
{
  nlohmann::json array = nlohmann::json::array();
  for (const TServerValue &value : params)
    std::visit(
        [&array](const auto &v) {
          using T = std::decay_t<decltype(v)>;
          if constexpr (std::is_same_v<T, QString>)
            array.push_back(v.toStdString());
          else
            array.push_back(v);
        },
        value);
  return array;
}

// Runs one asynchronous operation to completion on this thread; the stream's deadline bounds it.
template <class Start>
beast::error_code runOp(asio::io_context &ioc, Start start)
{
  beast::error_code result = asio::error::would_block;
  start([&result](beast::error_code ec, auto &&...) { result = ec; });
  ioc.restart();
  ioc.run();
  return result;
}

bool brokenKeepAlive(const beast::error_code &ec)
{
  return ec == http::error::end_of_stream || ec == asio::error::eof || ec == asio::error::connection_reset ||
         ec == asio::error::broken_pipe || ec == http::error::partial_message || ec == asio::error::connection_aborted;
}

} // namespace

void TNetConnection::Transport::perform(Exchange &ex)
{
  const auto deadline = std::chrono::steady_clock::now() + ex.timeout;
  const QString where = QStringLiteral("%1:%2").arg(QString::fromStdString(ex.host), QString::fromStdString(ex.port));
  const QString seconds = QLocale(QLocale::Portuguese, QLocale::Brazil).toString(double(ex.timeout.count()) / 1000.0, 'g', 3);
  QString &error = ex.error;

  for (int attempt = 0; attempt < 2; ++attempt) {
    const bool reused = attempt == 0 && stream.has_value() && stream->socket().is_open();
    if (!reused) {
      drop();
      beast::error_code ec;
      tcp::resolver resolver(ioc);
      const auto endpoints = resolver.resolve(ex.host, ex.port, ec);
      if (ec) {
        error = QStringLiteral("Não foi possível conectar ao servidor de aplicação em %1: endereço desconhecido (%2).")
                    .arg(where, QString::fromStdString(ec.message()));
        return;
      }
      stream.emplace(ioc);
      stream->expires_at(deadline);
      ec = runOp(ioc, [&](auto handler) { stream->async_connect(endpoints, handler); });
      if (!ec) {
        beast::error_code ignored; // a request goes out whole at once: nothing to gain by waiting
        stream->socket().set_option(tcp::no_delay(true), ignored);
      }
      if (ec) {
        drop();
        error = ec == beast::error::timeout
                    ? QStringLiteral("O servidor de aplicação em %1 não respondeu em %2 segundos.").arg(where, seconds)
                    : QStringLiteral("Não foi possível conectar ao servidor de aplicação em %1 (%2).")
                          .arg(where, QString::fromStdString(ec.message()));
        return;
      }
    }

    http::request<http::string_body> req{ex.verb, ex.target, 11};
    req.set(http::field::host, ex.host);
    req.set(http::field::user_agent, "inhouse");
    req.keep_alive(true);
    if (!ex.token.empty())
      req.set(http::field::authorization, "Bearer " + ex.token);
    if (ex.verb == http::verb::post) {
      req.set(http::field::content_type, "application/json; charset=utf-8");
      req.body() = ex.body;
    }
    req.prepare_payload();

    stream->expires_at(deadline);
    beast::error_code ec = runOp(ioc, [&](auto handler) { http::async_write(*stream, req, handler); });
    http::response_parser<http::string_body> parser;
    parser.body_limit(ex.maxResponse);
    // Each read takes at most the buffer's free room: left at its default, a large answer
    // arrives in thousands of reads of a few hundred bytes, each with its own system calls.
    buffer.reserve(kReadRoom);
    bool gotBytes = false;
    if (!ec) {
      const std::size_t before = buffer.size();
      // The header first: an announced length over the limit is refused before any body is
      // read (the eager whole-message read does not always apply the parser's own limit).
      ec = runOp(ioc, [&](auto handler) { http::async_read_header(*stream, buffer, parser, handler); });
      gotBytes = parser.got_some() || buffer.size() > before;
      if (!ec && parser.content_length() && *parser.content_length() > ex.maxResponse)
        ec = http::error::body_limit;
      if (!ec && !parser.is_done())
        ec = runOp(ioc, [&](auto handler) { http::async_read(*stream, buffer, parser, handler); });
      if (!ec && parser.get().body().size() > ex.maxResponse)
        ec = http::error::body_limit;
    }
    if (ec) {
      drop();
      // The connection broke before any byte of the answer: a keep-alive socket the server
      // closed while idle, or a server (or a balancer's copy) that went down under the call.
      // Every method is a read, so it is sent once more on a fresh connection.
      if (attempt == 0 && !gotBytes && brokenKeepAlive(ec))
        continue;
      if (ec == beast::error::timeout)
        error = QStringLiteral("O servidor de aplicação em %1 não respondeu em %2 segundos.").arg(where, seconds);
      else if (ec == http::error::body_limit)
        error = QStringLiteral("Resposta do servidor de aplicação em %1 excede o limite de %2 bytes.")
                    .arg(where)
                    .arg(qulonglong(ex.maxResponse));
      else
        error = QStringLiteral("Falha na comunicação com o servidor de aplicação em %1 (%2).")
                    .arg(where, QString::fromStdString(ec.message()));
      return;
    }
    auto res = parser.release();
    ex.status = res.result_int();
    ex.response = std::move(res.body());
    if (!res.keep_alive())
      drop();
    ex.transportOk = true;
    return;
  }
}

TNetConnection::TNetConnection(QObject *parent) : QObject(parent), m_transport(std::make_unique<Transport>()) {}

TNetConnection::~TNetConnection()
{
  if (m_transport)
    m_transport->drop();
}

QString TNetConnection::Where() const { return QStringLiteral("%1:%2").arg(Host).arg(Port); }

void TNetConnection::Run(Exchange &ex)
{
  Transport &t = *m_transport;
  auto work = [&] {
    // Nothing may escape the worker thread: whatever goes wrong comes back as the call's error.
    try {
      t.perform(ex);
    } catch (const std::exception &e) {
      t.drop();
      ex.transportOk = false;
      ex.error = QStringLiteral("Falha na comunicação com o servidor de aplicação em %1:%2 (%3).")
                     .arg(QString::fromStdString(ex.host), QString::fromStdString(ex.port), QString::fromUtf8(e.what()));
    }
  };
  m_inCall = true;
  struct Reset {
    bool &flag;
    ~Reset() { flag = false; }
  } reset{m_inCall};
  if (!QCoreApplication::instance()) {
    work();
    return;
  }
  // The caller continues with the answer, but windows keep painting and timers keep running
  // meanwhile; user input waits until the loop ends, as on a busy desktop window.
  QEventLoop loop;
  std::atomic<bool> finished{false};
  QPointer<QEventLoop> guard(&loop);
  std::thread worker([&] {
    work();
    finished = true;
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  while (!finished)
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  worker.join();
}

void TNetConnection::Open()
{
  if (BeforeConnect)
    BeforeConnect(*this);
  if (m_inCall)
    throw ENetError(QStringLiteral("Conexão com o servidor de aplicação ocupada com outra chamada."));
  m_transport->drop();
  Exchange ex;
  ex.host = Host.toStdString();
  ex.port = std::to_string(Port);
  ex.target = "/health";
  ex.verb = http::verb::get;
  ex.token = Token.toStdString();
  ex.timeout = std::chrono::milliseconds(TimeoutMs);
  ex.maxResponse = std::uint64_t(MaxResponseBytes);
  Run(ex);
  const bool was = m_connected;
  if (!ex.transportOk) {
    m_connected = false;
    if (was)
      emit connectedChanged(false);
    throw ENetError(ex.error);
  }
  if (ex.status != 200) {
    m_connected = false;
    m_transport->drop();
    if (was)
      emit connectedChanged(false);
    throw ENetError(QStringLiteral("O endereço %1 não é de um servidor de aplicação (HTTP %2).").arg(Where()).arg(ex.status));
  }
  m_connected = true;
  if (!was)
    emit connectedChanged(true);
}

void TNetConnection::Close()
{
  if (m_inCall)
    return;
  m_transport->drop();
  if (m_connected) {
    m_connected = false;
    emit connectedChanged(false);
  }
}

bool TNetConnection::Send(const QString &method, const TServerParams &params, Exchange &ex, QString &failure)
{
  nlohmann::json array = toJson(params);
  if (OnCall)
    OnCall(method, array.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
  if (m_inCall) {
    failure = QStringLiteral("Conexão com o servidor de aplicação ocupada com outra chamada.");
    return false;
  }
  if (!m_connected) {
    try {
      Open();
    } catch (const ENetError &e) {
      failure = e.Message();
      return false;
    }
  }
  ex.body = zrt::rpc::makeRequest(method.toStdString(), std::move(array), m_nextId++)
                .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  if (qint64(ex.body.size()) > MaxRequestBytes) {
    failure = QStringLiteral("Requisição ao servidor de aplicação excede o limite de %1 bytes.").arg(MaxRequestBytes);
    return false;
  }
  ex.host = Host.toStdString();
  ex.port = std::to_string(Port);
  ex.target = "/" + ServerName.toStdString();
  ex.token = Token.toStdString();
  ex.timeout = std::chrono::milliseconds(TimeoutMs);
  ex.maxResponse = std::uint64_t(MaxResponseBytes);
  Run(ex);
  if (!ex.transportOk) {
    // The socket is gone; the next call connects again.
    m_connected = false;
    emit connectedChanged(false);
    failure = ex.error;
    return false;
  }
  return true;
}

QString TNetConnection::HttpFailure(unsigned status) const
{
  return QStringLiteral("Servidor de aplicação em %1 respondeu HTTP %2.").arg(Where()).arg(status);
}

ServerResult TNetConnection::DoCall(const QString &method, const TServerParams &params)
{
  ServerResult result;
  Exchange ex;
  if (!Send(method, params, ex, result.message))
    return result;
  zrt::rpc::Response response = zrt::rpc::parseResponse(ex.response);
  // A failed HTTP status wins over a body that is no JSON-RPC answer, and over a result.
  if (ex.status != 200 && (response.ok || response.code == zrt::rpc::kParseError)) {
    result.message = HttpFailure(ex.status);
    return result;
  }
  if (!response.ok) {
    result.code = response.code;
    result.message = QString::fromStdString(response.message);
    return result;
  }
  result.ok = true;
  result.result = response.result.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  return result;
}

TPacketAnswer TNetConnection::DoCallData(const QString &method, const TServerParams &params)
{
  TPacketAnswer answer;
  Exchange ex;
  if (!Send(method, params, ex, answer.message))
    return answer;
  answer = ReadPacketAnswer(ex.response);
  if (ex.status != 200 && (answer.ok || answer.code == zrt::rpc::kParseError)) {
    answer = {};
    answer.message = HttpFailure(ex.status);
  }
  return answer;
}

ServerResult TAppServer::Call(const QString &method, const TServerParams &params)
{
  ServerResult result = m_connection.DoCall(method, params);
  if (!result.ok && m_connection.ThrowException)
    throw ENetError(result.message);
  return result;
}

TPacketAnswer TAppServer::CallData(const QString &method, const TServerParams &params)
{
  TPacketAnswer answer = m_connection.DoCallData(method, params);
  if (!answer.ok && m_connection.ThrowException)
    throw ENetError(answer.message);
  return answer;
}
