// The server connection against the real application server on a loopback port over a
// temporary SQLite database: calls end to end, server errors, a dead or silent server, the
// keep-alive reconnect, and the calling thread's wait (timers run, user input waits). The fast
// answer reader against the JSON tree and packet check on a table of answers.
#include <inhouse/data/clientdataset.h>
#include <inhouse/net/checkresultserv.h>
#include <inhouse/net/packetreader.h>

#include <zrt/appserver/schema.h>
#include <zrt/appserver/server.h>
#include <zrt/common/datetime.h>
#include <zrt/common/jsonrpc.h>

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http.hpp>

#include <atomic>
#include <functional>
#include <thread>

// Queues a key press the way the platform plugin delivers real input (Qt's own seam for it).
class QWindowSystemInterface {
public:
  struct AsynchronousDelivery;
  template <typename Delivery>
  static bool handleKeyEvent(QWindow *window, QEvent::Type t, int k, Qt::KeyboardModifiers mods, const QString &text = QString(),
                             bool autorep = false, ushort count = 1);
};

using nlohmann::json;
namespace asio = boost::asio;

namespace {

class KeyCounter : public QWidget {
public:
  int keys = 0;

protected:
  void keyPressEvent(QKeyEvent *) override { ++keys; }
};

// A server on loopback that reads one request per connection and answers it as a test says:
// /health with 200, every other request through `answer`, given the request's number among them.
class LoopbackServer {
public:
  struct Session {
    explicit Session(asio::ip::tcp::socket s) : socket(std::move(s)) {}
    asio::ip::tcp::socket socket;
    boost::beast::flat_buffer buffer;
    boost::beast::http::request<boost::beast::http::string_body> request;
    boost::beast::http::response<boost::beast::http::string_body> response;
    std::string raw;
  };
  using SessionPtr = std::shared_ptr<Session>;

  explicit LoopbackServer(std::function<void(const SessionPtr &, int call)> answer) : m_answer(std::move(answer))
  {
    accept();
    m_thread = std::thread([this] { m_ioc.run(); });
  }
  ~LoopbackServer()
  {
    m_ioc.stop();
    m_thread.join();
  }
  unsigned short port() const { return m_acceptor.local_endpoint().port(); }
  int calls() const { return m_calls; }

  static void close(const SessionPtr &session)
  {
    boost::system::error_code ignored;
    session->socket.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    session->socket.close(ignored);
  }
  // A whole answer, then the connection closes.
  static void reply(const SessionPtr &session, unsigned status, std::string body)
  {
    session->response.result(status);
    session->response.body() = std::move(body);
    session->response.keep_alive(false);
    session->response.prepare_payload();
    boost::beast::http::async_write(session->socket, session->response, [session](auto, auto) { close(session); });
  }
  // These bytes as they stand (part of an answer), then the connection closes.
  static void send(const SessionPtr &session, std::string raw)
  {
    session->raw = std::move(raw);
    asio::async_write(session->socket, asio::buffer(session->raw), [session](auto, auto) { close(session); });
  }

private:
  void accept()
  {
    m_acceptor.async_accept([this](boost::system::error_code ec, asio::ip::tcp::socket socket) {
      if (ec)
        return;
      auto session = std::make_shared<Session>(std::move(socket));
      boost::beast::http::async_read(session->socket, session->buffer, session->request, [this, session](auto readError, auto) {
        if (readError)
          return;
        if (session->request.target() == "/health")
          return reply(session, 200, R"({"status":"ok"})");
        m_answer(session, ++m_calls);
      });
      accept();
    });
  }
  std::function<void(const SessionPtr &, int)> m_answer;
  std::atomic<int> m_calls{0};
  asio::io_context m_ioc;
  asio::ip::tcp::acceptor m_acceptor{m_ioc, {asio::ip::make_address("127.0.0.1"), 0}};
  std::thread m_thread;
};

// Every call gets one HTTP status and body: a proxy's error page or a server failing in ways
// the real one does not.
struct CannedServer : LoopbackServer {
  CannedServer(unsigned status, std::string body)
      : LoopbackServer([status, body = std::move(body)](const SessionPtr &s, int) { reply(s, status, body); })
  {}
};

// The first `breaks` calls lose their connection: closed as soon as the request is in, or after
// part of the answer's header. Later calls get a result.
struct BreakingServer : LoopbackServer {
  BreakingServer(int breaks, bool partial)
      : LoopbackServer([breaks, partial](const SessionPtr &s, int call) {
          if (call > breaks)
            return reply(s, 200, R"({"id":1,"jsonrpc":"2.0","result":{"fields":[],"rows":[]}})");
          if (partial)
            return send(s, "HTTP/1.1 200 OK\r\nContent-Le");
          close(s);
        })
  {}
};

// What a window gets from an answer: the error's code and text, or the field list and every
// cell with its kind, so that two ways of reading compare as lists of texts.
QStringList describe(const TDataTable &table)
{
  QStringList out;
  for (const auto &f : table.fields)
    out << QStringLiteral("%1 %2 %3").arg(QString::fromStdString(f.name)).arg(int(f.type)).arg(f.size);
  for (const auto &row : table.rows) {
    QStringList cells;
    for (const QVariant &v : row)
      cells << QStringLiteral("%1:%2").arg(QString::fromLatin1(v.typeName()), v.typeId() == QMetaType::Double
                                                                                  ? QString::number(v.toDouble(), 'g', 17)
                                                                                  : v.toString());
    out << cells.join(QLatin1Char('|'));
  }
  return out;
}

template <class Read>
QStringList outcomeOf(Read read)
{
  try {
    return describe(read());
  } catch (const EServerError &e) {
    return {QString::number(e.Code()), e.Message()};
  }
}

QStringList viaTree(const std::string &body)
{
  return outcomeOf([&] {
    zrt::rpc::Response response = zrt::rpc::parseResponse(body);
    ServerResult r;
    r.ok = response.ok;
    r.code = response.code;
    r.message = QString::fromStdString(response.message);
    r.result = response.result.dump();
    return ToDataTable(CheckResultServ(std::move(r)));
  });
}

QStringList viaReader(const std::string &body)
{
  return outcomeOf([&] { return CheckResultServ(ReadPacketAnswer(body)); });
}

} // namespace

class TstNet : public QObject {
  Q_OBJECT
private slots:
  void initTestCase();
  void callLoadsDataSet();
  void serverErrorMessageComesThrough_data();
  void serverErrorMessageComesThrough();
  void malformedPacketIsAnError();
  void throwExceptionRaises();
  void serverDownIsOneClearError();
  void silentServerTimesOut();
  void keepAliveReconnects();
  void brokenCallIsSentOnceMore_data();
  void brokenCallIsSentOnceMore();
  void sizeLimits();
  void waitRunsTimersButHoldsInput();
  void recorderSeesEveryCall();
  void httpStatusWinsAsBefore_data();
  void httpStatusWinsAsBefore();
  void readerMatchesTree_data();
  void readerMatchesTree();
  void invalidUtf8IsAClearError();
  void readerSharesRepeatedTexts();
  void answersLargerThanTheKeptParser();

private:
  TNetConnection *connect(int timeoutMs = 5000);
  QTemporaryDir m_dir;
  std::unique_ptr<zrt::appserver::Server> m_server;
  std::unique_ptr<zrt::appserver::Server> m_shortIdle;
  std::vector<std::unique_ptr<TNetConnection>> m_conns;
  double m_day = 0;
};

void TstNet::initTestCase()
{
  const QString url = QStringLiteral("sqlite:") + m_dir.filePath(QStringLiteral("plant.db"));
  zrt::appserver::initSchema(url);
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("tst_net_setup"));
    db.setDatabaseName(m_dir.filePath(QStringLiteral("plant.db")));
    QVERIFY(db.open());
    QSqlQuery q(db);
    for (const char *sql :
         {"INSERT INTO GRUPOEQUIPA VALUES ('G1','Prensas')", "INSERT INTO EQUIPAPROD VALUES ('EQ1','E1','Prensa 1','G1')",
          "INSERT INTO PRODUTO VALUES ('P1','Parafuso')", "INSERT INTO ORDPROD VALUES ('OP1','ARV1','P1','1')",
          "INSERT INTO ORDPROD VALUES ('OP2','ARV2','P1','3')",
          "INSERT INTO RESEQUIPPROD VALUES ('EQ1','OP1','2024-12-06 08:00:00','2024-12-06 12:00:00',10.5)",
          "INSERT INTO RESEQUIPPROD VALUES ('EQ1','OP2','2024-12-07 08:00:00','2024-12-07 09:00:00',3)"})
      QVERIFY2(q.exec(QString::fromLatin1(sql)), sql);
  }
  QSqlDatabase::removeDatabase(QStringLiteral("tst_net_setup"));
  zrt::appserver::ServerOptions options;
  options.dbUrl = url;
  options.accessLog = false;
  m_server = std::make_unique<zrt::appserver::Server>(options);
  m_server->start();
  options.idleTimeout = std::chrono::milliseconds(150);
  m_shortIdle = std::make_unique<zrt::appserver::Server>(options);
  m_shortIdle->start();
  m_day = zrt::toDateTime(QDate(2024, 12, 1));
}

TNetConnection *TstNet::connect(int timeoutMs)
{
  auto c = std::make_unique<TNetConnection>();
  c->ServerName = QString::fromLatin1(zrt::rpc::kServerName.data(), int(zrt::rpc::kServerName.size()));
  c->BeforeConnect = [this](TNetConnection &n) {
    n.Host = QStringLiteral("127.0.0.1");
    n.Port = m_server->port();
  };
  c->TimeoutMs = timeoutMs;
  m_conns.push_back(std::move(c));
  return m_conns.back().get();
}

void TstNet::callLoadsDataSet()
{
  TNetConnection *net = connect();
  net->Open();
  QVERIFY(net->Connected());
  TClientDataSet cds;
  cds.SetData(CheckResultServ(
      net->AppServer().Call(QStringLiteral("GetReservados"), {"EQ1", "1", "2", "2", m_day, m_day + 30}), true, 0));
  QCOMPARE(cds.RecordCount(), 2);
  QCOMPARE(cds.FieldByName(QStringLiteral("NRORDPROD")).AsString(), QStringLiteral("OP1"));
  QCOMPARE(cds.FieldByName(QStringLiteral("DTHRINIPROD")).DisplayText(), QStringLiteral("06/12/2024 08:00:00"));
  QCOMPARE(cds.FieldByName(QStringLiteral("QTPRODRESPROC")).AsFloat(), 10.5);

  // Only "pending": the concluded order drops out.
  cds.SetData(CheckResultServ(
      net->AppServer().Call(QStringLiteral("GetReservados"), {"EQ1", "1", "", "", m_day, m_day + 30})));
  QCOMPARE(cds.RecordCount(), 1);

  cds.SetData(CheckResultServ(net->AppServer().Call(QStringLiteral("GetHoraServidor"), {})));
  QCOMPARE(zrt::dateOf(cds.FieldByName(QStringLiteral("DATA")).AsDateTime()), QDate::currentDate());

  // Read straight into a table, the same call loads the same rows.
  const TServerParams params = {"EQ1", "1", "2", "2", m_day, m_day + 30};
  const TDataTable viaTree = ToDataTable(CheckResultServ(net->AppServer().Call(QStringLiteral("GetReservados"), params)));
  const TDataTable direct = CheckResultServ(net->AppServer().CallData(QStringLiteral("GetReservados"), params));
  QCOMPARE(direct.rows.size(), size_t(2));
  QCOMPARE(describe(direct), describe(viaTree));
}

void TstNet::serverErrorMessageComesThrough_data()
{
  QTest::addColumn<QString>("method");
  QTest::addColumn<QStringList>("arguments");
  QTest::addColumn<QString>("messageStart");
  // clang-format off
  QTest::newRow("unknown method") << "NaoExiste" << QStringList() << "Método desconhecido no servidor de aplicação";
  QTest::newRow("missing arguments") << "GetReservados" << QStringList{QStringLiteral("EQ1")} << "Parâmetros inválidos";
  // clang-format on
}

void TstNet::serverErrorMessageComesThrough()
{
  QFETCH(QString, method);
  QFETCH(QStringList, arguments);
  const TServerParams params(arguments.begin(), arguments.end());
  QFETCH(QString, messageStart);
  TNetConnection *net = connect();
  const ServerResult r = net->AppServer().Call(method, params);
  QVERIFY(!r.ok);
  QVERIFY2(r.message.startsWith(messageStart), qPrintable(r.message));
  try {
    CheckResultServ(r, true, 0);
    QFAIL("CheckResultServ accepted a failure");
  } catch (const EServerError &e) {
    QCOMPARE(e.Message(), r.message);
  }
  const TPacketAnswer a = net->AppServer().CallData(method, params);
  QVERIFY(!a.ok);
  QCOMPARE(a.code, r.code);
  QCOMPARE(a.message, r.message);
}

void TstNet::malformedPacketIsAnError()
{
  ServerResult r;
  r.ok = true;
  r.result = R"({"fields":[{"name":"A","type":"string"}],"rows":[[1,2]]})";
  try {
    CheckResultServ(r, true, 0);
    QFAIL("a malformed packet passed");
  } catch (const EServerError &e) {
    QVERIFY2(e.Message().startsWith(QStringLiteral("Resposta inválida do servidor de aplicação: ")), qPrintable(e.Message()));
  }
}

void TstNet::throwExceptionRaises()
{
  TNetConnection *net = connect();
  net->ThrowException = true;
  QVERIFY_THROWS_EXCEPTION(ENetError, net->AppServer().Call(QStringLiteral("NaoExiste"), {}));
}

void TstNet::serverDownIsOneClearError()
{
  // A port that was free a moment ago: nothing listens there.
  unsigned short port = 0;
  {
    asio::io_context ioc;
    asio::ip::tcp::acceptor a(ioc, {asio::ip::make_address("127.0.0.1"), 0});
    port = a.local_endpoint().port();
  }
  TNetConnection net;
  net.Host = QStringLiteral("127.0.0.1");
  net.Port = port;
  net.ServerName = QStringLiteral("ZRT02600.rmdPlanUtilEquipProd");
  QElapsedTimer t;
  t.start();
  try {
    net.Open(); // throws whatever ThrowException says
    QFAIL("Open succeeded without a server");
  } catch (const ENetError &e) {
    QVERIFY2(e.Message().contains(QStringLiteral("127.0.0.1:%1").arg(port)), qPrintable(e.Message()));
    QVERIFY2(e.Message().startsWith(QStringLiteral("Não foi possível conectar ao servidor de aplicação")),
             qPrintable(e.Message()));
  }
  QVERIFY(!net.Connected());
  const ServerResult r = net.AppServer().Call(QStringLiteral("GetHoraServidor"));
  QVERIFY(!r.ok);
  QVERIFY(r.message.contains(QString::number(port)));
  QCOMPARE(net.AppServer().CallData(QStringLiteral("GetHoraServidor")).message, r.message);
  QVERIFY(t.elapsed() < 5000);
}

void TstNet::silentServerTimesOut()
{
  // Accepts connections (the backlog does) and never answers.
  asio::io_context ioc;
  asio::ip::tcp::acceptor silent(ioc, {asio::ip::make_address("127.0.0.1"), 0});
  TNetConnection net;
  net.Host = QStringLiteral("127.0.0.1");
  net.Port = silent.local_endpoint().port();
  net.ServerName = QStringLiteral("X");
  net.TimeoutMs = 300;
  QElapsedTimer t;
  t.start();
  QVERIFY_THROWS_EXCEPTION(ENetError, net.Open());
  const ServerResult r = net.AppServer().Call(QStringLiteral("GetHoraServidor"));
  QVERIFY(!r.ok);
  QVERIFY2(r.message.contains(QStringLiteral("não respondeu em 0,3 segundos")), qPrintable(r.message));
  QVERIFY2(t.elapsed() < 3000, qPrintable(QString::number(t.elapsed())));
}

void TstNet::keepAliveReconnects()
{
  TNetConnection *net = connect();
  net->BeforeConnect = [this](TNetConnection &n) {
    n.Host = QStringLiteral("127.0.0.1");
    n.Port = m_shortIdle->port();
  };
  int connects = 0;
  auto before = net->BeforeConnect;
  net->BeforeConnect = [&, before](TNetConnection &n) {
    ++connects;
    before(n);
  };
  net->Open();
  QVERIFY(net->AppServer().Call(QStringLiteral("GetHoraServidor")).ok);
  QTest::qWait(400); // the server drops the idle keep-alive socket meanwhile
  const ServerResult r = net->AppServer().Call(QStringLiteral("GetHoraServidor"));
  QVERIFY2(r.ok, qPrintable(r.message));
  QCOMPARE(connects, 1); // reconnected inside the call, not a new Open
}

void TstNet::brokenCallIsSentOnceMore_data()
{
  QTest::addColumn<int>("breaks");
  QTest::addColumn<bool>("partial");
  QTest::addColumn<bool>("ok");
  QTest::addColumn<int>("sent");
  QTest::newRow("broken once: the repeat answers") << 1 << false << true << 2;
  QTest::newRow("broken twice: one clear error") << 2 << false << false << 2;
  QTest::newRow("part of an answer came: no repeat") << 1 << true << false << 1;
}

void TstNet::brokenCallIsSentOnceMore()
{
  QFETCH(int, breaks);
  QFETCH(bool, partial);
  QFETCH(bool, ok);
  QFETCH(int, sent);
  BreakingServer server(breaks, partial);
  TNetConnection net;
  net.Host = QStringLiteral("127.0.0.1");
  net.Port = server.port();
  net.ServerName = QStringLiteral("ZRT02600.rmdPlanUtilEquipProd");
  const ServerResult r = net.AppServer().Call(QStringLiteral("GetHoraServidor"));
  QCOMPARE(r.ok, ok);
  if (!ok)
    QVERIFY2(r.message.startsWith(
                 QStringLiteral("Falha na comunicação com o servidor de aplicação em 127.0.0.1:%1").arg(server.port())),
             qPrintable(r.message));
  QCOMPARE(server.calls(), sent);
}

void TstNet::sizeLimits()
{
  TNetConnection *net = connect();
  net->MaxRequestBytes = 200;
  ServerResult r =
      net->AppServer().Call(QStringLiteral("GetReservados"), {std::string(500, 'x'), "1", "", "", 0, 1});
  QVERIFY(!r.ok);
  QCOMPARE(r.message, QStringLiteral("Requisição ao servidor de aplicação excede o limite de 200 bytes."));
  net->MaxRequestBytes = 1 << 20;
  net->MaxResponseBytes = 40; // smaller than any packet
  r = net->AppServer().Call(QStringLiteral("GetHoraServidor"));
  QVERIFY2(!r.ok, r.result.c_str());
  QVERIFY2(r.message.contains(QStringLiteral("excede o limite de 40 bytes")), qPrintable(r.message));
  net->MaxResponseBytes = 1 << 20;
  r = net->AppServer().Call(QStringLiteral("GetHoraServidor")); // the connection recovers for the next call
  QVERIFY2(r.ok, qPrintable(r.message));
}

void TstNet::waitRunsTimersButHoldsInput()
{
  asio::io_context ioc;
  asio::ip::tcp::acceptor silent(ioc, {asio::ip::make_address("127.0.0.1"), 0});
  KeyCounter window;
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  window.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&window));

  TNetConnection net;
  net.Host = QStringLiteral("127.0.0.1");
  net.Port = silent.local_endpoint().port();
  net.TimeoutMs = 600;
  int ticks = 0;
  int keysDuringCall = -1;
  ServerResult nested;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (++ticks == 2) // typed while the call waits
      QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
          window.windowHandle(), QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    if (ticks == 3) // a timer handler calling on the busy connection is refused, not interleaved
      nested = net.AppServer().Call(QStringLiteral("GetHoraServidor"));
    keysDuringCall = window.keys;
  });
  timer.start(20);
  QVERIFY_THROWS_EXCEPTION(ENetError, net.Open());
  timer.stop();
  QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
  QCOMPARE(keysDuringCall, 0);
  QVERIFY(!nested.ok);
  QCOMPARE(nested.message, QStringLiteral("Conexão com o servidor de aplicação ocupada com outra chamada."));
  QTRY_COMPARE(window.keys, 1); // delivered once the call is over
}

void TstNet::recorderSeesEveryCall()
{
  QList<QPair<QString, json>> calls;
  TNetConnection::OnCall = [&](const QString &m, const std::string &p) { calls.append({m, json::parse(p)}); };
  TNetConnection *net = connect();
  net->AppServer().Call(QStringLiteral("GetReseGeral"), {"EQ1", "", "", "2", m_day, m_day + 1});
  net->AppServer().Call(QStringLiteral("GetHoraServidor"));
  net->AppServer().CallData(QStringLiteral("GetHoraServidor"), {1});
  TNetConnection::OnCall = nullptr;
  QCOMPARE(calls.size(), 3);
  QCOMPARE(calls[0].first, QStringLiteral("GetReseGeral"));
  QCOMPARE(calls[0].second[3], json("2"));
  QCOMPARE(calls[1].first, QStringLiteral("GetHoraServidor"));
  QCOMPARE(calls[2].second, json::array({1}));
}

void TstNet::httpStatusWinsAsBefore_data()
{
  QTest::addColumn<int>("status");
  QTest::addColumn<QByteArray>("body");
  QTest::addColumn<QString>("message"); // %1 the server's address
  // clang-format off
  QTest::newRow("error page") << 502 << QByteArray("<html>Bad gateway</html>") << "Servidor de aplicação em %1 respondeu HTTP 502.";
  QTest::newRow("page in another encoding") << 502 << QByteArray("<html>Servi\xE7o indispon\xEDvel</html>") << "Servidor de aplicação em %1 respondeu HTTP 502.";
  QTest::newRow("result with a failed status") << 500 << QByteArray(R"({"result":{"fields":[],"rows":[]}})") << "Servidor de aplicação em %1 respondeu HTTP 500.";
  QTest::newRow("error with a failed status") << 500 << QByteArray(R"({"error":{"code":-32000,"message":"Falha no banco."}})") << "Falha no banco.";
  QTest::newRow("no result") << 200 << QByteArray(R"({"id":1})") << "Resposta do servidor de aplicação sem resultado.";
  // clang-format on
}

void TstNet::httpStatusWinsAsBefore()
{
  QFETCH(int, status);
  QFETCH(QByteArray, body);
  QFETCH(QString, message);
  CannedServer canned(unsigned(status), body.toStdString());
  TNetConnection net;
  net.Host = QStringLiteral("127.0.0.1");
  net.Port = canned.port();
  net.ServerName = QStringLiteral("X");
  const ServerResult r = net.AppServer().Call(QStringLiteral("GetHoraServidor"));
  const TPacketAnswer a = net.AppServer().CallData(QStringLiteral("GetHoraServidor"));
  QVERIFY(!r.ok);
  QCOMPARE(r.message, message.arg(QStringLiteral("127.0.0.1:%1").arg(canned.port())));
  QVERIFY(!a.ok);
  QCOMPARE(a.message, r.message);
  QCOMPARE(a.code, r.code);
}

void TstNet::readerMatchesTree_data()
{
  QTest::addColumn<QByteArray>("body");
  QTest::addColumn<QString>("expected"); // a part of the outcome, so that no row passes empty
  const QByteArray fields = R"([{"name":"S","type":"string","size":10},{"name":"D","type":"datetime"},)"
                            R"({"name":"F","type":"float"},{"name":"I","type":"integer"},{"name":"B","type":"boolean"},)"
                            R"({"name":"DT","type":"date"}])";
  auto packet = [](const QByteArray &f, const QByteArray &rows) {
    return R"({"jsonrpc":"2.0","id":7,"result":{"fields":)" + f + R"(,"rows":)" + rows + "}}";
  };
  auto rows = [&](const QByteArray &r) { return packet(fields, r); };
  const QByteArray good = rows(R"([["a",45292.5,1.5,3,true,45292]])");
  // clang-format off
  QTest::newRow("escapes") << rows(R"([["a\"b\\c\/d\n\t\r\b\f",1,2,3,false,4]])") << "QString:a\"b\\c/d\n\t\r\b\f";
  QTest::newRow("u escapes, pair, NUL") << rows(R"([["\u00e7\u00e3o \ud83d\ude00 \u0000.",1,2,3,false,4]])") << QString::fromUtf8("ção \U0001F600 ") + QChar(0) + QStringLiteral(".");
  QTest::newRow("raw non-ASCII") << rows(R"([["Estação Hidráulica 日本",1,2,3,false,4]])") << QString::fromUtf8("Estação Hidráulica 日本");
  QTest::newRow("nulls") << rows(R"([[null,null,null,null,null,null]])") << ":|:|:|";
  QTest::newRow("integers in float and date fields") << rows(R"([["",45292,-3,9007199254740993,true,45292]])") << "double:45292|double:-3|qlonglong:9007199254740993";
  QTest::newRow("exponents, negative zero") << rows(R"([["x",4.5292e4,-0.0,-0,false,1E2]])") << "double:45292";
  QTest::newRow("largest integers") << rows(R"([["x",1,2,-9223372036854775808,true,4],["y",18446744073709551615,2,9223372036854775807,true,4]])") << "qlonglong:-9223372036854775808";
  QTest::newRow("no rows") << rows("[]") << "DT 2 0";
  QTest::newRow("no fields, empty rows") << packet("[]", "[[],[]]") << "";
  QTest::newRow("row too short") << rows(R"([["a",1,2,3,true]])") << "linha com número de colunas diferente do de campos";
  QTest::newRow("row not a list") << rows(R"([{"S":"a"}])") << "linha com número de colunas diferente do de campos";
  QTest::newRow("text in a date field") << rows(R"([["a","2024-01-01",2,3,true,4]])") << "valor de tipo errado no campo D";
  QTest::newRow("fraction in an integer field") << rows(R"([["a",1,2,3.5,true,4]])") << "valor de tipo errado no campo I";
  QTest::newRow("boolean in an integer field") << rows(R"([["a",1,2,true,true,4]])") << "valor de tipo errado no campo I";
  QTest::newRow("number in a text field") << rows(R"([[1,1,2,3,true,4]])") << "valor de tipo errado no campo S";
  QTest::newRow("number in a boolean field") << rows(R"([["a",1,2,3,1,4]])") << "valor de tipo errado no campo B";
  QTest::newRow("second row wrong") << rows(R"([["a",1,2,3,true,4],["b",1,2,3,true,"4"]])") << "valor de tipo errado no campo DT";
  QTest::newRow("unknown field type") << packet(R"([{"name":"X","type":"money"}])", "[]") << "tipo de campo desconhecido: money";
  QTest::newRow("negative size") << packet(R"([{"name":"X","type":"string","size":-1}])", "[]") << "tamanho de campo inválido";
  QTest::newRow("fractional size") << packet(R"([{"name":"X","type":"string","size":1.5}])", "[]") << "tamanho de campo inválido";
  QTest::newRow("field without name") << packet(R"([{"type":"string"}])", "[]") << "definição de campo inválida";
  QTest::newRow("field not an object") << packet(R"(["X"])", "[]") << "definição de campo inválida";
  QTest::newRow("fields not a list") << packet("{}", "[]") << "\"fields\" e \"rows\" devem ser listas";
  QTest::newRow("result without rows") << QByteArray(R"({"jsonrpc":"2.0","id":1,"result":{"fields":[]}})") << "pacote de dados sem";
  QTest::newRow("result a list") << QByteArray(R"({"jsonrpc":"2.0","id":1,"result":[1]})") << "Resposta inválida do servidor de aplicação: pacote";
  QTest::newRow("result null") << QByteArray(R"({"jsonrpc":"2.0","id":1,"result":null})") << "pacote de dados sem";
  QTest::newRow("server error") << QByteArray(R"({"jsonrpc":"2.0","id":1,"error":{"code":-32000,"message":"Equipamento não encontrado."}})") << QString::fromUtf8("Equipamento não encontrado.");
  QTest::newRow("error without message") << QByteArray(R"({"error":{"code":5}})") << "Erro desconhecido no servidor de aplicação.";
  QTest::newRow("error code a text") << QByteArray(R"({"error":{"code":"5","message":"falhou"}})") << "-32603";
  QTest::newRow("error a text") << QByteArray(R"({"error":"falhou"})") << "Erro desconhecido no servidor de aplicação.";
  QTest::newRow("error and result") << QByteArray(R"({"result":{"fields":[],"rows":[]},"error":{"code":1,"message":"m"}})") << "m";
  QTest::newRow("neither") << QByteArray(R"({"jsonrpc":"2.0","id":1})") << "Resposta do servidor de aplicação sem resultado.";
  QTest::newRow("not JSON") << QByteArray("<html>Bad gateway</html>") << "Resposta inválida do servidor de aplicação.";
  QTest::newRow("empty body") << QByteArray("") << "-32700";
  QTest::newRow("a list") << QByteArray("[1,2]") << "-32700";
  QTest::newRow("trailing garbage") << good + " x" << "-32700";
  QTest::newRow("cut short") << good.left(good.size() - 3) << "-32700";
  QTest::newRow("number beyond double") << rows(R"([["a",1e400,2,3,true,4]])") << "-32700";
  QTest::newRow("byte-order mark") << "\xEF\xBB\xBF" + good << "QString:a";
  QTest::newRow("integer beyond 64 bits") << rows(R"([["a",123456789012345678901234567890,2,3,true,4]])") << "double:1.2345678901234568e+29";
  QTest::newRow("repeated keys") << QByteArray(R"({"result":{"fields":[],"rows":[]},"result":{"fields":[{"name":"N","type":"string","type":"integer"}],"rows":[[1]]}})") << "qlonglong:1";
  // clang-format on
}

void TstNet::readerMatchesTree()
{
  QFETCH(QByteArray, body);
  QFETCH(QString, expected);
  const std::string text = body.toStdString();
  const QStringList tree = viaTree(text);
  QCOMPARE(viaReader(text), tree);
  QVERIFY2(tree.join(QLatin1Char('\n')).contains(expected), qPrintable(tree.join(QLatin1Char('\n'))));
}

void TstNet::invalidUtf8IsAClearError()
{
  // The tree parser refuses such a body too, but says only that the answer is invalid.
  for (const char *body :
       {"{\"error\":{\"code\":1,\"message\":\"Falha \xE7\"}}", "{\"result\":{\"fields\":[{\"name\":\"\xC3\x28\"}]}}"}) {
    const TPacketAnswer a = ReadPacketAnswer(body);
    QVERIFY(!a.ok);
    QCOMPARE(a.code, zrt::rpc::kParseError);
    QCOMPARE(a.message, QString::fromUtf8("Resposta inválida do servidor de aplicação: texto fora da codificação UTF-8."));
  }
}

void TstNet::readerSharesRepeatedTexts()
{
  const TDataTable table = CheckResultServ(ReadPacketAnswer(
      R"({"result":{"fields":[{"name":"OP","type":"string"},{"name":"P","type":"string"}],"rows":[["OP1","P1"],["OP1","P2"],["OP2","P1"]]}})"));
  auto text = [&](int row, int col) { return table.rows[size_t(row)][col].toString(); };
  QCOMPARE(text(1, 0), QStringLiteral("OP1"));
  QCOMPARE(text(1, 0).constData(), text(0, 0).constData());
  QCOMPARE(text(2, 1).constData(), text(0, 1).constData());
  QVERIFY(text(2, 0).constData() != text(0, 0).constData());
}

// The reader keeps its parser between answers up to a size, and takes a parser of its own beyond
// it: answers on either side, one after the other, each read whole and alone.
void TstNet::answersLargerThanTheKeptParser()
{
  auto body = [](int rows, const char *last) {
    std::string b = R"({"result":{"fields":[{"name":"S","type":"string"},{"name":"N","type":"integer"}],"rows":[)";
    for (int i = 0; i < rows; ++i)
      b += "[\"linha\"," + std::to_string(i) + "],";
    return b + "[\"" + last + "\",-1]]}}";
  };
  const int big = (9 << 20) / 16; // about 16 bytes a row: over 8 MB
  for (const auto &[rows, last] :
       std::vector<std::pair<int, const char *>>{{2, "a"}, {big, "b"}, {1, "c"}, {big, "d"}, {0, "e"}}) {
    const std::string text = body(rows, last);
    const TDataTable table = CheckResultServ(ReadPacketAnswer(text));
    QCOMPARE(int(table.rows.size()), rows + 1);
    QCOMPARE(table.rows.back()[0].toString(), QString::fromLatin1(last));
    if (rows > 0)
      QCOMPARE(table.rows[size_t(rows - 1)][1].toLongLong(), qlonglong(rows - 1));
  }
  // A large answer cut short is refused as any other, and the next one is read.
  std::string cut = body(big, "x");
  cut.resize(cut.size() - 2);
  QCOMPARE(ReadPacketAnswer(cut).code, zrt::rpc::kParseError);
  QCOMPARE(CheckResultServ(ReadPacketAnswer(body(3, "y"))).rows.size(), size_t(4));
}

QTEST_MAIN(TstNet)
#include "tst_net.moc"
