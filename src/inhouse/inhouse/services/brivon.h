#pragma once
// The user's settings as the host configured them: server address, rights, operator, folders.
#include <inhouse/inhouse_export.h>

#include <QMap>
#include <QString>
#include <functional>

class QObject;
struct QMetaObject;

namespace Brivon {

struct Settings {
  QString webURL = QStringLiteral("127.0.0.1");
  int webPort = 8080;
  QString operador;            // operator code
  QString configUsrDir;        // the user's configuration folder
  QMap<int, QString> personal; // personal settings by number ("S"/"N" flags and others)
  QString dbPict;              // product-code edit mask (picture kind 0)
  QMap<int, QString> dbPicts;  // masks of the other picture kinds
  QString token;               // bearer token the application server asks for; empty: none
};

INHOUSE_EXPORT void Configure(const Settings &settings);
INHOUSE_EXPORT const Settings &Current();

INHOUSE_EXPORT QString GetPersonal(int number); // empty when not set
INHOUSE_EXPORT QString Operador();
INHOUSE_EXPORT QString ConfigUsrDir();
INHOUSE_EXPORT QString WebURL();
INHOUSE_EXPORT int WebPort();
INHOUSE_EXPORT QString Token();
INHOUSE_EXPORT QString DBPict(int kind);

// A window of a package reports its destruction so the host may unload the package.
using UnloadBPLHandler = std::function<void(const QMetaObject *formClass, QObject *form)>;
INHOUSE_EXPORT void SetUnloadBPLHandler(UnloadBPLHandler handler);
INHOUSE_EXPORT void SetUnloadBPL(const QMetaObject *formClass, QObject *form);

} // namespace Brivon
