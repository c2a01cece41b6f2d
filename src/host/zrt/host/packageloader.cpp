#include "zrt/host/packageloader.h"

#include "zrt/host/errorreport.h"

#include <inhouse/services/brivon.h>
#include <inhouse/services/errors.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QPointer>
#include <QWidget>

#include <exception>

#if defined(Q_OS_WIN)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

Q_LOGGING_CATEGORY(lcLoader, "zrt.host.loader", QtInfoMsg)

namespace zrt::host {
namespace {

PackageLoader *g_unloadTarget = nullptr;

// Where the module is looked for: the path given; when that is the folder of the executable (the
// default) and holds no module, also the installed layout's private folder <exe>/../lib/zrt02600.
QStringList candidatePaths(const QString &path)
{
  QStringList paths{path};
  if (!QCoreApplication::instance())
    return paths;
  const QFileInfo file(path);
  const QString exeDir = QCoreApplication::applicationDirPath();
  if (QDir::cleanPath(file.absolutePath()) == QDir::cleanPath(exeDir))
    paths.append(QDir::cleanPath(exeDir + QStringLiteral("/../lib/zrt02600/") + file.fileName()));
  return paths;
}

QString exceptionText(std::exception_ptr e)
{
  try {
    std::rethrow_exception(e);
  } catch (const std::exception &ex) {
    return QString::fromUtf8(ex.what());
  } catch (...) {
    return QStringLiteral("exceção desconhecida");
  }
}

// The image an address belongs to, or null.
const void *imageOf(const void *address)
{
  if (!address)
    return nullptr;
#if defined(Q_OS_WIN)
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<LPCWSTR>(address), &module))
    return nullptr;
  return module;
#else
  Dl_info info{};
  if (!dladdr(address, &info))
    return nullptr;
  return info.dli_fbase;
#endif
}

} // namespace

PackageLoader::PackageLoader(const QString &path, QObject *parent) : QObject(parent), m_path(path)
{
  g_unloadTarget = this;
  Brivon::SetUnloadBPLHandler([](const QMetaObject *, QObject *form) {
    if (g_unloadTarget)
      g_unloadTarget->windowDestroyed(form);
  });
}

PackageLoader::~PackageLoader()
{
  if (g_unloadTarget == this) {
    g_unloadTarget = nullptr;
    Brivon::SetUnloadBPLHandler(nullptr);
  }
  if (m_state == State::Initialised && !hasLiveObjects())
    unload();
}

void PackageLoader::setPath(const QString &path) { m_path = path; }

void PackageLoader::setState(State state)
{
  if (m_state == state)
    return;
  m_state = state;
  emit stateChanged(state);
}

void PackageLoader::fail(const QString &message)
{
  m_error = message;
  m_initialize = m_finalize = nullptr;
  m_iniProc = nullptr;
  m_getInfo = nullptr;
  m_info = nullptr;
  if (m_library.isLoaded())
    m_library.unload();
  setState(State::Failed);
  reportText(message);
}

bool PackageLoader::call(const std::function<void()> &proc, const QString &failurePrefix)
{
  ++m_callDepth;
  bool ok = false;
  try {
    proc();
    ok = true;
  } catch (const EAbort &) {
    // The module already told the user.
  } catch (...) {
    const std::exception_ptr e = std::current_exception();
    if (failurePrefix.isEmpty()) {
      // The module's own message is meant for the user as it is.
      m_error = exceptionText(e);
      reportException(e);
    } else {
      m_error = failurePrefix + exceptionText(e);
    }
  }
  --m_callDepth;
  if (m_callDepth == 0 && m_checkAfterCall) {
    m_checkAfterCall = false;
    scheduleUnloadCheck();
  }
  return ok;
}

bool PackageLoader::load()
{
  if (m_state == State::Initialised)
    return true;
  if (m_state == State::Loaded) {
    // Initialize failed to run earlier without unmapping; start over.
    m_library.unload();
    setState(State::Unloaded);
  }
  m_error.clear();
  QFileInfo file;
  const QStringList candidates = candidatePaths(m_path);
  for (const QString &candidate : candidates) {
    file.setFile(candidate);
    const bool found = file.exists();
    qCInfo(lcLoader, "módulo procurado em %s: %s", qPrintable(QDir::toNativeSeparators(file.absoluteFilePath())),
           found ? "encontrado" : "ausente");
    if (found)
      break;
  }
  if (!file.exists()) {
    fail(QStringLiteral("Módulo não encontrado: %1").arg(QDir::toNativeSeparators(m_path)));
    return false;
  }
  m_library.setFileName(file.absoluteFilePath());
  // The image is never unmapped: host objects keep strings and meta-data that point into a Qt
  // module's read-only data (a sub-window's title from a string literal, say) and outlive its
  // windows by a deferred deletion or more. "Unloaded" means finalised and released; the next
  // load runs Initialize again, which starts every unit afresh.
  m_library.setLoadHints(QLibrary::ResolveAllSymbolsHint | QLibrary::PreventUnloadHint);
  if (!m_library.load()) {
    fail(QStringLiteral("Não foi possível carregar o módulo %1: %2")
             .arg(QDir::toNativeSeparators(m_path), m_library.errorString()));
    return false;
  }
  const auto resolve = [this](const char *name) { return m_library.resolve(name); };
  m_initialize = reinterpret_cast<TPackageProc>(resolve("Initialize"));
  m_finalize = reinterpret_cast<TPackageProc>(resolve("Finalize"));
  m_getInfo = reinterpret_cast<TGetPackageInfoTable>(resolve("GetPackageInfoTable"));
  m_iniProc = reinterpret_cast<TIniProc>(resolve("IniProc"));
  const std::pair<const char *, bool> entries[] = {
      {"Initialize", m_initialize != nullptr},
      {"Finalize", m_finalize != nullptr},
      {"GetPackageInfoTable", m_getInfo != nullptr},
      {"IniProc", m_iniProc != nullptr},
  };
  for (const auto &[name, found] : entries) {
    if (!found) {
      fail(QStringLiteral("O módulo %1 não exporta a função %2.")
               .arg(QDir::toNativeSeparators(m_path), QString::fromLatin1(name)));
      return false;
    }
  }
  setState(State::Loaded);

  if (!call(m_initialize, QStringLiteral("Falha ao inicializar o módulo %1: ").arg(file.fileName()))) {
    // A half-initialised module is not finalised: its units never reached a known state.
    fail(m_error.isEmpty() ? QStringLiteral("Falha ao inicializar o módulo %1.").arg(file.fileName()) : m_error);
    return false;
  }
  try {
    m_info = m_getInfo();
  } catch (...) {
    m_info = nullptr;
  }
  setState(State::Initialised);
  qCInfo(lcLoader, "módulo carregado: %s", qPrintable(QDir::toNativeSeparators(m_library.fileName())));
  return true;
}

bool PackageLoader::open()
{
  if (!load())
    return false;
  bool opened = false;
  if (!call([this, &opened] { opened = m_iniProc(); }, QString()))
    return false;
  if (!opened)
    m_error = QStringLiteral("O módulo %1 não abriu a sua janela.").arg(QFileInfo(m_path).fileName());
  return opened;
}

bool PackageLoader::unload()
{
  if (m_callDepth > 0)
    return false;
  if (m_state == State::Initialised) {
    const QString name = QFileInfo(m_path).fileName();
    if (!call(m_finalize, QStringLiteral("Falha ao finalizar o módulo %1: ").arg(name)))
      reportText(m_error.isEmpty() ? QStringLiteral("Falha ao finalizar o módulo %1.").arg(name) : m_error);
  }
  m_initialize = m_finalize = nullptr;
  m_iniProc = nullptr;
  m_getInfo = nullptr;
  m_info = nullptr;
  if (m_library.isLoaded() && !m_library.unload()) {
    m_error = QStringLiteral("Não foi possível descarregar o módulo %1: %2")
                  .arg(QDir::toNativeSeparators(m_path), m_library.errorString());
    reportText(m_error);
  }
  if (m_state != State::Failed)
    setState(State::Unloaded);
  return true;
}

bool PackageLoader::ownsAddress(const void *address) const
{
  const void *moduleImage = imageOf(reinterpret_cast<const void *>(m_iniProc));
  return moduleImage && imageOf(address) == moduleImage;
}

bool PackageLoader::hasLiveObjects() const
{
  if (m_state != State::Initialised && m_state != State::Loaded)
    return false;
  // An object belongs to the module when its class was compiled there: its meta-object or its
  // virtual table lies in the module's image.
  const auto fromModule = [this](const QObject *o) {
    return ownsAddress(o->metaObject()) || ownsAddress(*reinterpret_cast<const void *const *>(o));
  };
  const QWidgetList widgets = QApplication::allWidgets();
  for (const QWidget *w : widgets)
    if (fromModule(w))
      return true;
  if (QCoreApplication *app = QCoreApplication::instance()) {
    const QList<QObject *> owned = app->findChildren<QObject *>();
    for (const QObject *o : owned)
      if (fromModule(o))
        return true;
  }
  return false;
}

void PackageLoader::windowDestroyed(QObject *form)
{
  if (m_state != State::Initialised)
    return;
  // Reported before the window is actually gone (e.g. from its close handler): look again
  // once it is.
  if (form)
    connect(form, &QObject::destroyed, this, &PackageLoader::scheduleUnloadCheck, Qt::QueuedConnection);
  scheduleUnloadCheck();
}

void PackageLoader::scheduleUnloadCheck()
{
  if (m_checkPending)
    return;
  m_checkPending = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        m_checkPending = false;
        if (m_state != State::Initialised)
          return;
        if (m_callDepth > 0) {
          m_checkAfterCall = true;
          return;
        }
        if (!hasLiveObjects())
          unload();
      },
      Qt::QueuedConnection);
}

} // namespace zrt::host
