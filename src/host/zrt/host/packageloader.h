#pragma once
// Loads the module's shared library at run time, calls its entry points and unloads it once
// the module's last window is gone. Every failure ends in a state and a Portuguese message
// handed to the error report; nothing here lets an exception or a crash reach the host.
#include <inhouse/package.h>

#include <QLibrary>
#include <QObject>
#include <QString>

#include <functional>

namespace zrt::host {

class PackageLoader : public QObject {
  Q_OBJECT
public:
  enum class State {
    Unloaded,    // not loaded, or finalised and released (the image itself stays mapped)
    Loaded,      // library mapped, entry points resolved, Initialize not yet run
    Initialised, // Initialize ran; IniProc may be called
    Failed,      // the last load failed: errorString() says why; load() may be tried again
  };
  Q_ENUM(State)

  // Installs itself as the library's unload handler (SetUnloadBPLHandler) while it lives.
  explicit PackageLoader(const QString &path, QObject *parent = nullptr);
  // Finalises and unloads when no object of the module is left; otherwise leaves it as it is:
  // finalising units whose windows still exist would pull data from under them.
  ~PackageLoader() override;

  QString path() const { return m_path; }
  void setPath(const QString &path);
  State state() const { return m_state; }
  QString errorString() const { return m_error; }
  const TPackageInfoTable *packageInfo() const { return m_info; }

  // Unloaded/Failed -> Loaded -> Initialised. True when the module ends initialised.
  bool load();
  // Loads when needed, then calls IniProc. False when loading failed or IniProc failed: the
  // module reported its own failure; an exception that escapes it anyway is reported here.
  bool open();
  // Finalize, then release the library. Safe in any state; refuses (false) while an entry
  // point is running.
  bool unload();
  // True while an object whose class lives in the module's code exists.
  bool hasLiveObjects() const;

  // The module reports one of its windows destroyed. The check runs later from the event loop,
  // never inside the module's own destructor, and unloads only when nothing of the module is left.
  void windowDestroyed(QObject *form);

signals:
  void stateChanged(zrt::host::PackageLoader::State state);

private:
  void setState(State state);
  void fail(const QString &message);
  void scheduleUnloadCheck();
  bool ownsAddress(const void *address) const;
  // Runs one entry point; exceptions are reported (EAbort silently). True when it returned.
  bool call(const std::function<void()> &proc, const QString &failurePrefix);

  QString m_path;
  QLibrary m_library;
  State m_state = State::Unloaded;
  QString m_error;
  TPackageProc m_initialize = nullptr;
  TPackageProc m_finalize = nullptr;
  TIniProc m_iniProc = nullptr;
  TGetPackageInfoTable m_getInfo = nullptr;
  const TPackageInfoTable *m_info = nullptr;
  int m_callDepth = 0;
  bool m_checkPending = false;
  bool m_checkAfterCall = false;
};

} // namespace zrt::host
