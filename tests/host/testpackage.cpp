// A small loadable module with the four entry points, for the host's loader tests. Every call
// is appended to the environment variable ZRT_TESTPKG_TRACE, which outlives the module's image.
// ZRT_TESTPKG_WINDOWS (default 1) is how many windows IniProc opens; ZRT_TESTPKG_EARLY_REPORT=1
// makes a window report itself to SetUnloadBPL from its close handler, before it is destroyed.
// TESTPKG_INIPROC_FAILS builds one whose IniProc reports its failure and returns false, as a
// module keeps its exceptions in; TESTPKG_INIPROC_THROWS one that lets an exception out.
#include <inhouse/package.h>
#include <inhouse/services/application.h>
#include <inhouse/services/brivon.h>
#include <inhouse/services/errors.h>

#include <QCloseEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QWidget>

#include <stdexcept>

namespace {

void trace(const char *what)
{
  QByteArray t = qgetenv("ZRT_TESTPKG_TRACE");
  if (!t.isEmpty())
    t += ' ';
  t += what;
  qputenv("ZRT_TESTPKG_TRACE", t);
}

class TestWindow : public QWidget {
  Q_OBJECT
public:
  TestWindow()
  {
    setObjectName(QStringLiteral("frmTeste"));
    setWindowTitle(QStringLiteral("Janela de teste"));
    resize(200, 120);
  }
  ~TestWindow() override
  {
    if (qgetenv("ZRT_TESTPKG_EARLY_REPORT") != "1")
      Brivon::SetUnloadBPL(&staticMetaObject, this);
  }

protected:
  void closeEvent(QCloseEvent *event) override
  {
    if (qgetenv("ZRT_TESTPKG_EARLY_REPORT") == "1")
      Brivon::SetUnloadBPL(&staticMetaObject, this);
    event->accept();
    deleteLater();
  }
};

void init() { trace("init"); }
void fini() { trace("fini"); }

const TPackageUnitInfo units[] = {{"Cli_teste", init, fini}};
const TPackageInfoTable table = {1, units};

} // namespace

extern "C" {

Q_DECL_EXPORT void Initialize()
{
  trace("I");
#ifdef TESTPKG_INITIALIZE_THROWS
  throw std::runtime_error("unidade Cli_teste sem configuração");
#endif
  for (const auto &u : units)
    u.initialization();
}

Q_DECL_EXPORT void Finalize()
{
  trace("F");
  for (const auto &u : units)
    u.finalization();
}

Q_DECL_EXPORT const TPackageInfoTable *GetPackageInfoTable() { return &table; }

#ifndef TESTPKG_NO_INIPROC
Q_DECL_EXPORT bool IniProc()
{
  trace("P");
#ifdef TESTPKG_INIPROC_THROWS
  throw std::runtime_error("Não foi possível conectar ao servidor de aplicação em 127.0.0.1:1.");
#endif
#ifdef TESTPKG_INIPROC_FAILS
  return TryGuarded([] { throw std::runtime_error("Não foi possível conectar ao servidor de aplicação em 127.0.0.1:1."); });
#endif
  const int count = qEnvironmentVariableIsSet("ZRT_TESTPKG_WINDOWS") ? qEnvironmentVariableIntValue("ZRT_TESTPKG_WINDOWS") : 1;
  auto *frame = qobject_cast<QMainWindow *>(MainForm());
  auto *mdi = frame ? qobject_cast<QMdiArea *>(frame->centralWidget()) : nullptr;
  for (int i = 0; i < count; ++i) {
    auto *w = new TestWindow;
    if (mdi) {
      QMdiSubWindow *sub = mdi->addSubWindow(w);
      sub->setAttribute(Qt::WA_DeleteOnClose);
      sub->show();
    } else {
      w->show();
    }
  }
  return true;
}
#endif
}

#include "testpackage.moc"
