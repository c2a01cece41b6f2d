#pragma once
// Connection to the application server: JSON-RPC 2.0 over HTTP/1.1 keep-alive. A call runs on
// a worker thread while the calling thread waits in a local event loop that lets windows paint
// and timers run but holds back user input until the answer is in.
#include <inhouse/errors.h>
#include <inhouse/inhouse_core_export.h>
#include <inhouse/net/packetreader.h>

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

// A failed connection or call, with a Portuguese text fit to show the user.
class INHOUSE_CORE_EXPORT ENetError : public EInhouseError {
public:
  using EInhouseError::EInhouseError;
};

// One positional argument of a server call: a flag, a whole number, a number (dates and times
// as day-based numbers) or a text (QString, or UTF-8 in a std::string).
using TServerValue = std::variant<bool, qint64, double, QString, std::string>;
using TServerParams = std::vector<TServerValue>;

// The outcome of one call: the JSON-RPC result, or a failure with its message.
struct INHOUSE_CORE_EXPORT ServerResult {
  bool ok = false;
  std::string result; // the result's JSON text, when ok
  int code = 0;       // JSON-RPC error code, or 0 for transport failures
  QString message;    // Portuguese, for the user
};

class TNetConnection;

// The dispatch object of a connection: calls server methods by name.
class INHOUSE_CORE_EXPORT TAppServer {
public:
  explicit TAppServer(TNetConnection &connection) : m_connection(connection) {}
  // Positional arguments; with ThrowException false a failure comes back in the result.
  ServerResult Call(const QString &method, const TServerParams &params = {});
  // The same call with its result read straight into a table (no JSON tree): for methods that
  // answer with a data packet.
  TPacketAnswer CallData(const QString &method, const TServerParams &params = {});

private:
  TNetConnection &m_connection;
};

class INHOUSE_CORE_EXPORT TNetConnection : public QObject {
  Q_OBJECT
public:
  explicit TNetConnection(QObject *parent = nullptr);
  ~TNetConnection() override;

  QString Host = QStringLiteral("127.0.0.1");
  int Port = 0;
  QString ServerName;          // requests go to POST /<ServerName>
  bool ThrowException = false; // failed calls throw ENetError instead of returning ok=false
  QString Token;               // bearer token, sent when not empty
  int TimeoutMs = 30000;       // per call: connect, send and receive together
  qint64 MaxRequestBytes = 8 * 1024 * 1024;
  qint64 MaxResponseBytes = 64 * 1024 * 1024;
  std::function<void(TNetConnection &)> BeforeConnect;

  // Runs BeforeConnect, then checks GET /health. An unreachable server always throws ENetError
  // naming host and port: that report belongs to the connection, whatever ThrowException says.
  void Open();
  void Close();
  bool Connected() const { return m_connected; }
  void SetConnected(bool connected) { connected ? Open() : Close(); }

  TAppServer &AppServer() { return m_appServer; }
  bool InCall() const { return m_inCall; }

  // Test seam: sees every call's method and its arguments before it is sent, the arguments as
  // the JSON array text that goes on the wire.
  static std::function<void(const QString &method, const std::string &params)> OnCall;

signals:
  void connectedChanged(bool connected);

private:
  friend class TAppServer;
  struct Exchange;
  struct Transport;
  // Runs one HTTP exchange on the worker thread and waits for it without taking user input.
  void Run(Exchange &exchange);
  // Sends one call and receives the answer's body; false with `failure` set when that fails.
  bool Send(const QString &method, const TServerParams &params, Exchange &exchange, QString &failure);
  ServerResult DoCall(const QString &method, const TServerParams &params);
  TPacketAnswer DoCallData(const QString &method, const TServerParams &params);
  QString HttpFailure(unsigned status) const;
  QString Where() const;

  TAppServer m_appServer{*this};
  std::unique_ptr<Transport> m_transport;
  bool m_connected = false;
  bool m_inCall = false;
  quint64 m_nextId = 1;
};
