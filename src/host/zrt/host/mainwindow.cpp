#include "zrt/host/mainwindow.h"

#include "zrt/host/datamodule.h"
#include "zrt/host/errorreport.h"
#include "zrt/host/packageloader.h"

#include <inhouse/services/application.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>
#include <exception>

namespace zrt::host {
namespace {

QString stateText(PackageLoader::State state)
{
  switch (state) {
  case PackageLoader::State::Unloaded: return QStringLiteral("não carregado");
  case PackageLoader::State::Loaded: return QStringLiteral("carregado");
  case PackageLoader::State::Initialised: return QStringLiteral("ativo");
  case PackageLoader::State::Failed: return QStringLiteral("com falha");
  }
  return QString();
}

} // namespace

MainWindow::MainWindow(const HostOptions &options, QWidget *parent)
    : QMainWindow(parent), m_options(options), m_loader(std::make_unique<PackageLoader>(options.packagePath))
{
  setObjectName(QStringLiteral("frmPrincipal"));
  setWindowTitle(QStringLiteral("ZRT - Produção"));
  resize(1100, 760);

  m_mdi = new QMdiArea(this);
  m_mdi->setObjectName(QStringLiteral("mdiArea"));
  m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(m_mdi);

  buildMenus();

  m_operatorLabel = new QLabel(this);
  m_dbLabel = new QLabel(this);
  m_serverLabel = new QLabel(this);
  m_moduleLabel = new QLabel(this);
  statusBar()->addWidget(m_operatorLabel);
  statusBar()->addWidget(m_dbLabel, 1);
  statusBar()->addPermanentWidget(m_serverLabel);
  statusBar()->addPermanentWidget(m_moduleLabel);
  connect(m_loader.get(), &PackageLoader::stateChanged, this, &MainWindow::updateStatus);
  updateStatus();

  SetMainForm(this);
}

MainWindow::~MainWindow()
{
  // The module's windows go first, while the database and the module's code still exist;
  // then the module is finalised and unmapped; the database connection goes last.
  m_loader->disconnect(this);
  delete m_mdi;
  m_mdi = nullptr;
  if (MainForm() == this)
    SetMainForm(nullptr);
  m_loader.reset();
  m_data.reset();
}

void MainWindow::buildMenus()
{
  QMenu *arquivo = menuBar()->addMenu(QStringLiteral("&Arquivo"));
  arquivo->setObjectName(QStringLiteral("mnuArquivo"));
  QAction *sair = arquivo->addAction(QStringLiteral("Sai&r"), this, &QWidget::close);
  sair->setObjectName(QStringLiteral("actSair"));

  QMenu *producao = menuBar()->addMenu(QStringLiteral("&Produção"));
  producao->setObjectName(QStringLiteral("mnuProducao"));
  m_sheetAction = producao->addAction(QStringLiteral("Planilha de Utilização dos Equipamentos na Produção"));
  m_sheetAction->setObjectName(QStringLiteral("actPlanilha"));
  connect(m_sheetAction, &QAction::triggered, this, [this] { openSheet(); });

  QMenu *janela = menuBar()->addMenu(QStringLiteral("&Janela"));
  janela->setObjectName(QStringLiteral("mnuJanela"));
  janela->addAction(QStringLiteral("&Cascata"), m_mdi, &QMdiArea::cascadeSubWindows);
  janela->addAction(QStringLiteral("&Lado a lado"), m_mdi, &QMdiArea::tileSubWindows);
  QAction *proxima = janela->addAction(QStringLiteral("&Próxima"), m_mdi, &QMdiArea::activateNextSubWindow);
  proxima->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F6));

  QMenu *ajuda = menuBar()->addMenu(QStringLiteral("Aj&uda"));
  ajuda->setObjectName(QStringLiteral("mnuAjuda"));
  ajuda->addAction(QStringLiteral("&Sobre..."), this, &MainWindow::showAbout);
}

void MainWindow::updateStatus()
{
  m_operatorLabel->setText(QStringLiteral("Operador: %1").arg(m_options.operatorCode));
  m_dbLabel->setText(
      QStringLiteral("Banco: %1%2").arg(displayDbUrl(m_options.dbUrl), m_data ? QString() : QStringLiteral(" (não conectado)")));
  m_serverLabel->setText(QStringLiteral("Servidor: %1:%2").arg(m_options.server).arg(m_options.port));
  m_moduleLabel->setText(QStringLiteral("Módulo: %1").arg(stateText(m_loader->state())));
}

void MainWindow::start()
{
  if (!m_data) {
    try {
      m_data = std::make_unique<DataModule>(m_options.dbUrl);
    } catch (...) {
      reportException(std::current_exception());
    }
    updateStatus();
  }
  if (m_options.openSheet)
    QTimer::singleShot(0, this, [this] { openSheet(); });
}

bool MainWindow::openSheet()
{
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const bool ok = m_loader->open();
  // The module restores the cursor on success; a failure must not leave the hourglass behind.
  while (QApplication::overrideCursor())
    QApplication::restoreOverrideCursor();
  updateStatus();
  return ok;
}

void MainWindow::showAbout()
{
  QMessageBox::about(this, QStringLiteral("Sobre - ZRT - Produção"),
                     QStringLiteral("<p><b>ZRT - Produção</b> %1</p>"
                                    "<p>Planilha de Utilização dos Equipamentos na Produção.</p>"
                                    "<p>Módulo: %2 (%3)<br/>Configuração: %4</p>")
                         .arg(QCoreApplication::applicationVersion(), QFileInfo(m_loader->path()).fileName().toHtmlEscaped(),
                              stateText(m_loader->state()), m_options.configDir.toHtmlEscaped()));
}

void MainWindow::closeEvent(QCloseEvent *event)
{
  m_mdi->closeAllSubWindows();
  // A window that refused to close (a pending edit, say) keeps the frame open.
  const QList<QMdiSubWindow *> left = m_mdi->subWindowList();
  if (std::any_of(left.begin(), left.end(), [](const QMdiSubWindow *w) { return w->isVisible(); })) {
    event->ignore();
    return;
  }
  event->accept();
}

} // namespace zrt::host
