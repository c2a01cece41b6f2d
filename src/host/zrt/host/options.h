#pragma once
// The host's configuration: an INI file in the user's configuration folder, overridden by the
// command line. Everything the in-house library needs is handed to it in one Settings value.
#include <QMap>
#include <QString>
#include <QStringList>

namespace zrt::host {

struct HostOptions {
  QString dbUrl; // sqlite:PATH or postgresql://USER@HOST:PORT/DB
  QString server = QStringLiteral("127.0.0.1");
  int port = 8080;
  QString tokenFile; // file holding the server's bearer token; empty: no token
  QString token;     // read from tokenFile
  QString operatorCode;
  QMap<int, QString> personal; // personal settings by number, e.g. 3 -> "S"
  QString configDir;           // the user's configuration folder, the only place anything is written
  QString packagePath;         // the module's shared library
  bool openSheet = false;
};

struct ParseResult {
  enum class Status { Ok, Help, Version, Error };
  Status status = Status::Ok;
  HostOptions options;
  QString message; // help text, or the Portuguese error for Status::Error
};

// The INI file's name inside the configuration folder.
QString iniFileName();
// Where the demo plant lives when nothing says otherwise.
QString defaultDataDir();
QString defaultPackagePath();

// args includes the program name (as QCoreApplication::arguments()). Reads the INI file of the
// configuration folder (--config-dir, else QStandardPaths::AppConfigLocation); a value given on
// the command line wins over the INI, the INI over the defaults. Never exits the process.
ParseResult parseOptions(const QStringList &args);

// Makes the configuration folder and hands the settings to the in-house library.
void applyOptions(const HostOptions &options);

// For status lines and messages: the database URL without its password.
QString displayDbUrl(const QString &url);

} // namespace zrt::host
