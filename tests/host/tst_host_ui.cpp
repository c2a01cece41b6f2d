// The host's help viewer and its general error report, on real widgets.
#include "zrt/host/errorreport.h"
#include "zrt/host/helpviewer.h"

#include <inhouse/errors.h>
#include <inhouse/services/application.h>
#include <inhouse/services/errors.h>

#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <stdexcept>
#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// Answers the next message box the way a user would: reads it and presses its button.
struct BoxReader {
  QString text;
  QWidget *parent = nullptr;
  int seen = 0;
  void armOnce()
  {
    QTimer::singleShot(50, [this] {
      auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
      if (!box)
        return;
      ++seen;
      text = box->text();
      parent = box->parentWidget();
      QTest::mouseClick(box->buttons().constFirst(), Qt::LeftButton);
    });
  }
};

} // namespace

class TestHostUi : public QObject {
  Q_OBJECT

  QMainWindow *m_main = nullptr;

private slots:
  void initTestCase()
  {
    m_main = new QMainWindow;
    m_main->setWindowTitle(QStringLiteral("ZRT - Produção"));
    m_main->resize(800, 600);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main));
    SetMainForm(m_main);
    zrt::host::installErrorReporter();
    zrt::host::installHelpViewer(m_main);
  }

  void cleanupTestCase()
  {
    SetMainForm(nullptr);
    delete m_main;
  }

  void helpTopics_data()
  {
    QTest::addColumn<int>("context");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("general help") << 0
                                  << QStringList{QStringLiteral("Planilha de Utilização dos Equipamentos na Produção"),
                                                 QStringLiteral("Lista de equipamentos"),
                                                 QStringLiteral("Período"),
                                                 QStringLiteral("Pendente"),
                                                 QStringLiteral("Em Andamento"),
                                                 QStringLiteral("Concluída"),
                                                 QStringLiteral("Semana"),
                                                 QStringLiteral("Horários Livres"),
                                                 QStringLiteral("Filtro de Equipamentos")};
    QTest::newRow("Manutenção menu") << 820060
                                     << QStringList{QStringLiteral("Menu Manutenção"), QStringLiteral("Procurar"),
                                                    QStringLiteral("Registro não encontrado.")};
    QTest::newRow("missing topic") << 4711 << QStringList{QStringLiteral("Tópico de ajuda 4711 não encontrado.")};
  }
  void helpTopics()
  {
    QFETCH(int, context);
    QFETCH(QStringList, expected);
    ShowHelpContext(context);
    auto viewers = m_main->findChildren<zrt::host::HelpViewer *>();
    QCOMPARE(viewers.size(), 1); // one viewer, reused for every request
    zrt::host::HelpViewer *viewer = viewers.constFirst();
    QVERIFY(viewer->isVisible());
    QVERIFY(viewer->isWindow());
    QCOMPARE(viewer->windowModality(), Qt::NonModal);
    QCOMPARE(viewer->currentContext(), context);
    const QString text = viewer->currentText();
    for (const QString &e : expected)
      QVERIFY2(text.contains(e), qPrintable(QStringLiteral("\"%1\" missing from topic %2").arg(e).arg(context)));
    // The user can still work in the main window while help is open.
    QVERIFY(!QApplication::activeModalWidget());
  }

  void everyShippedTopicHasATitle()
  {
    QFile file(zrt::host::HelpViewer::shippedHelpFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const auto topics = zrt::host::parseHelpTopics(QString::fromUtf8(file.readAll()));
    QCOMPARE(topics.keys(), (QList<int>{0, 820060}));
    for (const auto &t : topics)
      QVERIFY(!t.title.isEmpty());
  }

  void missingHelpFileIsSaid()
  {
    zrt::host::HelpViewer viewer(nullptr, QStringLiteral("/nonexistent/ajuda.html"));
    viewer.showContext(0);
    QVERIFY(viewer.currentText().contains(QStringLiteral("Arquivo de ajuda não encontrado: /nonexistent/ajuda.html")));
  }

  // An exception escaping a slot reaches the report (a box over the main window), not a crash.
  void exceptionInASlotIsReported_data()
  {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("reported");
    QTest::newRow("standard exception") << 0 << QStringLiteral("Falha ao gravar o filtro.");
    QTest::newRow("unknown exception") << 1 << QStringLiteral("Erro desconhecido.");
    QTest::newRow("silent abort") << 2 << QString();
  }
  void exceptionInASlotIsReported()
  {
    QFETCH(int, kind);
    QFETCH(QString, reported);
#ifdef __SANITIZE_ADDRESS__
    // The exception leaves the slot through Qt's mouse delivery, which frees none of its locals
    // on the way (events, guarded pointers): that memory is Qt's, lost by the throw itself.
    __lsan::ScopedDisabler qtLocalsLostByTheThrow;
#endif
    QPushButton button(QStringLiteral("Gravar"), m_main);
    button.move(10, 40);
    button.show();
    int clicks = 0;
    connect(&button, &QPushButton::clicked, [&] {
      ++clicks;
      if (kind == 0)
        throw std::runtime_error("Falha ao gravar o filtro.");
      if (kind == 1)
        throw 42;
      Abort();
    });
    const qsizetype before = zrt::host::reportedErrors().size();
    BoxReader reader;
    reader.armOnce();
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::qWait(150);
    if (reported.isEmpty()) {
      QCOMPARE(reader.seen, 0);
      QCOMPARE(zrt::host::reportedErrors().size(), before);
    } else {
      QCOMPARE(reader.seen, 1);
      QCOMPARE(reader.text, reported);
      QCOMPARE(reader.parent, m_main);
      QCOMPARE(zrt::host::reportedErrors().size(), before + 1);
      QCOMPARE(zrt::host::reportedErrors().constLast(), reported);
    }
    // Still alive and still taking clicks.
    reader.armOnce();
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::qWait(150);
    QCOMPARE(clicks, 2);
  }

  void exceptionInATimerIsReported()
  {
    const qsizetype before = zrt::host::reportedErrors().size();
    BoxReader reader;
    QTimer::singleShot(0, m_main, [&reader] {
      reader.armOnce();
      throw std::runtime_error("Servidor de aplicação indisponível.");
    });
    QTRY_COMPARE(reader.seen, 1);
    QCOMPARE(reader.text, QStringLiteral("Servidor de aplicação indisponível."));
    QCOMPARE(zrt::host::reportedErrors().size(), before + 1);
  }
};

int main(int argc, char *argv[])
{
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  zrt::host::HostApplication app(argc, argv);
  TestHostUi test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_host_ui.moc"
