// Saves option sets from a process of its own, for the tests of processes sharing the options
// file: optionsaver CONFIGDIR OPERATOR PREFIX COUNT. Saves COUNT sets named PREFIX0, PREFIX1, ...
// for the screen "OPTIONSAVER", each of kRows rows of long values, and prints each name once it
// is saved.
#include <inhouse/errors.h>
#include <inhouse/services/brivon.h>
#include <inhouse/services/options.h>

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() != 5) {
    std::fprintf(stderr, "uso: optionsaver PASTA OPERADOR PREFIXO QUANTIDADE\n");
    return 2;
  }
  Brivon::Settings settings;
  settings.configUsrDir = args[1];
  settings.operador = args[2];
  Brivon::Configure(settings);

  constexpr int kRows = 20;
  const int count = args[4].toInt();
  try {
    for (int i = 0; i < count; ++i) {
      const QString name = args[3] + QString::number(i);
      std::vector<TOptionRow> rows;
      for (int r = 0; r < kRows; ++r) {
        // Each value names its set and row, so a row of another set would be noticed.
        const QString value = QStringLiteral("%1:%2:").arg(name).arg(r).leftJustified(1500, u'x');
        rows.push_back({{}, {}, {}, {}, QStringLiteral("edt%1").arg(r), value});
      }
      SaveOptionSet(args[2], QStringLiteral("OPTIONSAVER"), name, rows);
      std::printf("%s\n", qPrintable(name));
      std::fflush(stdout);
    }
  } catch (const EInhouseError &error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
