#include <inhouse/services/brivon.h>

namespace Brivon {
namespace {
Settings &State()
{
  static Settings settings;
  return settings;
}
UnloadBPLHandler &UnloadHandler()
{
  static UnloadBPLHandler handler;
  return handler;
}
} // namespace

void Configure(const Settings &settings) { State() = settings; }

const Settings &Current() { return State(); }

QString GetPersonal(int number) { return State().personal.value(number); }

QString Operador() { return State().operador; }

QString ConfigUsrDir() { return State().configUsrDir; }

QString WebURL() { return State().webURL; }

int WebPort() { return State().webPort; }

QString Token() { return State().token; }

QString DBPict(int kind)
{
  if (kind == 0)
    return State().dbPict;
  return State().dbPicts.value(kind);
}

void SetUnloadBPLHandler(UnloadBPLHandler handler) { UnloadHandler() = std::move(handler); }

void SetUnloadBPL(const QMetaObject *formClass, QObject *form)
{
  if (UnloadHandler())
    UnloadHandler()(formClass, form);
}

} // namespace Brivon
