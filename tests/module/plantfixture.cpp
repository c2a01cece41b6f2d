#include "plantfixture.h"

#include "package/units.h"
#include "shared/frmpadrao.h"
#include "sheet/frmplanilha.h"

#include <inhouse/data/dataset.h>
#include <inhouse/errors.h>
#include <inhouse/net/netconnection.h>
#include <inhouse/services/application.h>
#include <inhouse/services/brivon.h>
#include <inhouse/services/waitanimation.h>
#include <inhouse/sql/databaseconnection.h>
#include <zrt/appserver/schema.h>
#include <zrt/dburl/dburl.h>

#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>

int TScriptedPrompts::Ask(const QString &text, TMsgDlgType, TMsgDlgButtons, int)
{
  asked << text;
  return answers.isEmpty() ? mrNo : answers.takeFirst();
}

void TScriptedPrompts::Show(const QString &text, TMsgDlgType) { shown << text; }

std::optional<QString> TScriptedPrompts::AskText(const QString &, const QString &, const QString &)
{
  if (texts.isEmpty())
    return std::nullopt;
  return texts.takeFirst();
}

std::optional<QStringList> TScriptedPrompts::AskList(const QString &title, TDataSet &dataSet, const QString &keyField,
                                                     const QStringList &checked, bool)
{
  pickRequests << TPickRequest{title, FieldValues(dataSet, keyField), checked};
  if (picks.isEmpty())
    return std::nullopt;
  return picks.takeFirst();
}

std::optional<SearchAnswer> TScriptedPrompts::AskSearch(const QString &, const QStringList &)
{
  if (searches.isEmpty())
    return std::nullopt;
  return searches.takeFirst();
}

std::optional<QString> TScriptedPrompts::AskSaveFile(const QString &, const QString &suggested, const QString &)
{
  saveSuggestions << suggested;
  if (saveFiles.isEmpty())
    return std::nullopt;
  return saveFiles.takeFirst();
}

QString TPlant::At(int dayOffset, const char *hhmm) const
{
  return today.addDays(dayOffset).toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') + QLatin1String(hhmm) +
         QStringLiteral(":00");
}

TPlant::TPlant(const QDate &day) : today(day)
{
  dbUrl = QStringLiteral("sqlite:") + m_dir.filePath(QStringLiteral("plant.db"));
  zrt::appserver::initSchema(dbUrl);
  m_connectionName = QStringLiteral("plant-%1").arg(quintptr(this));
  {
    QSqlDatabase db = zrt::openDatabase(dbUrl, m_connectionName);
    Q_UNUSED(db);
  }
  // Groups, equipment (EQ1 and EQ10 test whole-code matching), products, one order per status.
  const QStringList rows = {
      QStringLiteral("INSERT INTO GRUPOEQUIPA VALUES ('INJ', 'Injetoras')"),
      QStringLiteral("INSERT INTO GRUPOEQUIPA VALUES ('EXT', 'Extrusoras')"),
      QStringLiteral("INSERT INTO EQUIPAPROD VALUES ('EQ1', 'INJ-1', 'Injetora Horizontal 1', 'INJ')"),
      QStringLiteral("INSERT INTO EQUIPAPROD VALUES ('EQ10', 'INJ-10', 'Injetora Horizontal 10', 'INJ')"),
      QStringLiteral("INSERT INTO EQUIPAPROD VALUES ('EQ2', 'EXT-2', 'Extrusora Monorosca 2', 'EXT')"),
      QStringLiteral("INSERT INTO PRODUTO VALUES ('P1', 'Tampa 38mm')"),
      QStringLiteral("INSERT INTO PRODUTO VALUES ('P2', 'Frasco 500ml')"),
      QStringLiteral("INSERT INTO ORDPROD VALUES ('OP1', '101001', 'P1', '1')"),
      QStringLiteral("INSERT INTO ORDPROD VALUES ('OP2', '101002', 'P2', '2')"),
      QStringLiteral("INSERT INTO ORDPROD VALUES ('OP3', '101003', 'P1', '3')"),
      QStringLiteral("INSERT INTO ORDPROD VALUES ('OP4', '101004', 'P2', '4')"),
  };
  for (const QString &sql : rows)
    Exec(sql);
  auto reserve = [this](const char *equip, const char *order, int startDay, const char *from, int endDay, const char *to,
                        double qty) {
    Exec(QStringLiteral("INSERT INTO RESEQUIPPROD VALUES ('%1', '%2', '%3', '%4', %5)")
             .arg(QLatin1String(equip), QLatin1String(order), At(startDay, from), At(endDay, to))
             .arg(qty));
  };
  reserve("EQ1", "OP1", 1, "08:00", 1, "10:00", 1500);
  reserve("EQ1", "OP2", 1, "08:30", 1, "09:00", 250.5);
  reserve("EQ1", "OP3", 2, "14:00", 2, "16:00", 80);
  reserve("EQ1", "OP4", 3, "09:00", 3, "10:00", 10);
  reserve("EQ1", "OP1", 5, "23:30", 6, "01:00", 12);
  reserve("EQ1", "OP2", 7, "00:00", 7, "02:00", 7);
  reserve("EQ1", "OP3", 8, "07:59", 8, "09:00", 3);
  reserve("EQ10", "OP2", 1, "10:00", 1, "12:00", 99);

  StartServer();

  mainWindow = new QMainWindow;
  mainWindow->setWindowTitle(QStringLiteral("Host de teste"));
  mdiArea = new QMdiArea(mainWindow);
  mainWindow->setCentralWidget(mdiArea);
  mainWindow->resize(1200, 800);
  SetMainForm(mainWindow);

  m_dataModule = new QObject;
  m_dataModule->setObjectName(QStringLiteral("dtmDBGeral"));
  for (const char *name : {"adcGeral", "dtbGeral", "ibtGeral"})
    new TDatabaseConnection(QLatin1String(name), m_connectionName, m_dataModule);
  RegisterDataModule(m_dataModule);

  SetPrompts(&prompts);
  SetErrorReporter([this](const QString &text) { errors << text; });
  TNetConnection::OnCall = [this](const QString &method, const std::string &params) {
    calls.append({method, nlohmann::json::parse(params), ShowAviDepth()});
  };
}

TPlant::~TPlant()
{
  TNetConnection::OnCall = nullptr;
  SetPrompts(nullptr);
  SetErrorReporter(nullptr);
  delete mainWindow; // takes the MDI children with it
  SetMainForm(nullptr);
  UnregisterDataModule(m_dataModule);
  delete m_dataModule;
  m_server.reset();
  QSqlDatabase::removeDatabase(m_connectionName);
}

void TPlant::Exec(const QString &sql)
{
  QSqlQuery q(QSqlDatabase::database(m_connectionName));
  if (!q.exec(sql))
    qFatal("fixture SQL failed: %s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
}

void TPlant::StartServer()
{
  zrt::appserver::ServerOptions options;
  options.dbUrl = dbUrl;
  options.port = port; // the same port again after a stop
  options.accessLog = false;
  options.token = token;
  m_server = std::make_unique<zrt::appserver::Server>(options);
  m_server->start();
  port = m_server->port();
  Brivon::Settings settings;
  settings.webURL = QStringLiteral("127.0.0.1");
  settings.webPort = port;
  settings.operador = QStringLiteral("TESTE");
  settings.configUsrDir = m_dir.filePath(QStringLiteral("config/")); // saved options land in the plant's folder
  settings.dbPict = QStringLiteral("9.99.999;0;_");
  Brivon::Configure(settings);
}

void TPlant::StopServer() { m_server.reset(); }

QStringList TPlant::CallMethods() const
{
  QStringList m;
  for (const auto &c : calls)
    m << c.method;
  return m;
}

QList<int> TPlant::WaitDepths() const
{
  QList<int> depths;
  for (const auto &c : calls)
    depths << c.waitDepth;
  return depths;
}

bool BeginSheetTest(TPlant &plant)
{
  Cli_zrt02600::Initialization();
  TfrmPlanilha::ScreenSize = [] { return QSize(1280, 1024); };
  plant.mainWindow->show();
  return QTest::qWaitForWindowActive(plant.mainWindow);
}

void EndSheetTest(std::unique_ptr<TPlant> &plant)
{
  plant.reset();
  FlushDeletes();
  Cli_zrt02600::Finalization();
  Brivon::SetUnloadBPLHandler(nullptr);
}

QStringList FieldValues(const TDataSet &set, const QString &field)
{
  QStringList values;
  if (!set.Active())
    return values;
  const int index = set.FieldByName(field).Index();
  for (int row = 0; row < set.RecordCount(); ++row)
    values << set.CellValue(row, index).toString();
  return values;
}

bool DriveModal(const std::function<TfrmPadrao *()> &window, const std::function<bool(TfrmPadrao &)> &ready,
                const std::function<void(TfrmPadrao &)> &whileOpen, const std::function<void()> &open)
{
  bool ran = false;
  QTimer poll;
  QElapsedTimer waited;
  waited.start();
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    TfrmPadrao *w = window();
    const bool isReady = w && w->isActiveWindow() && ready(*w);
    // Past the wait, a window still being built is closed once it exists.
    if (!isReady && (waited.elapsed() < 10000 || !w))
      return;
    poll.stop();
    QPointer<TfrmPadrao> alive(w);
    if (isReady) {
      ran = true;
      whileOpen(*w);
    }
    if (alive)
      alive->Close();
  });
  poll.start();
  open();
  poll.stop();
  FlushDeletes();
  return ran;
}

void FlushDeletes()
{
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
}

void ClickPage(TfrmPlanilha *sheet, QWidget *page)
{
  QTabBar *tabs = sheet->pgcOrdemProd->tabBar();
  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(sheet->pgcOrdemProd->indexOf(page)).center());
}

void SetPeriod(TfrmPlanilha *sheet, const QDate &from, const QString &fromHour, const QDate &to, const QString &toHour)
{
  sheet->depInicio->setFocus();
  sheet->depInicio->SetDate(from);
  sheet->medHoraIni->SetText(fromHour);
  sheet->depFinal->SetDate(to);
  sheet->medHoraFin->SetText(toHour);
}

void LeavePanel(TfrmPlanilha *sheet)
{
  sheet->medHoraFin->setFocus();
  QTest::keyClick(sheet->medHoraFin, Qt::Key_Tab);
  QCoreApplication::processEvents();
}

TfrmPlanilha *OpenSheet()
{
  Cli_zrt02600::IniProc();
  TfrmPlanilha *sheet = Cli_zrt02600::frmPlanilha;
  if (sheet)
    QTest::qWait(50);
  return sheet;
}
