#include "zrt/host/options.h"

#include <inhouse/services/brivon.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

namespace zrt::host {
namespace {

const QString kDb = QStringLiteral("db");
const QString kServer = QStringLiteral("server");
const QString kPort = QStringLiteral("port");
const QString kTokenFile = QStringLiteral("token-file");
const QString kOperator = QStringLiteral("operator");
const QString kPersonal = QStringLiteral("personal");
const QString kConfigDir = QStringLiteral("config-dir");
const QString kOpenSheet = QStringLiteral("open-sheet");
const QString kPackage = QStringLiteral("package");

ParseResult failure(const QString &message)
{
  ParseResult r;
  r.status = ParseResult::Status::Error;
  r.message = message;
  return r;
}

bool parsePort(const QString &text, int *port)
{
  bool ok = false;
  const int value = text.trimmed().toInt(&ok);
  if (!ok || value < 1 || value > 65535)
    return false;
  *port = value;
  return true;
}

// "3=S" -> (3, "S"); the value may be empty ("3=") but the number may not.
bool parsePersonal(const QString &text, int *number, QString *value)
{
  const qsizetype eq = text.indexOf(QLatin1Char('='));
  if (eq <= 0)
    return false;
  bool ok = false;
  *number = text.left(eq).trimmed().toInt(&ok);
  *value = text.mid(eq + 1);
  return ok;
}

} // namespace

QString iniFileName() { return QStringLiteral("zrt-host.ini"); }

QString defaultDataDir()
{
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/zrt02600");
}

QString defaultPackagePath()
{
#if defined(Q_OS_WIN)
  const QString file = QStringLiteral("Pkg_zrt02600.dll");
#elif defined(Q_OS_MACOS)
  const QString file = QStringLiteral("libPkg_zrt02600.dylib");
#else
  const QString file = QStringLiteral("libPkg_zrt02600.so");
#endif
  if (!QCoreApplication::instance())
    return file; // only --help runs before the application exists
  return QCoreApplication::applicationDirPath() + QLatin1Char('/') + file;
}

ParseResult parseOptions(const QStringList &args)
{
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("ZRT - Produção: janela principal que carrega a Planilha de Utilização dos "
                                                  "Equipamentos na Produção."));
  const QCommandLineOption helpOption = parser.addHelpOption();
  const QCommandLineOption versionOption = parser.addVersionOption();
  parser.addOptions({
      {kDb, QStringLiteral("Banco de dados: sqlite:CAMINHO ou postgresql://USUÁRIO@SERVIDOR:PORTA/BANCO."),
       QStringLiteral("URL")},
      {kServer, QStringLiteral("Endereço do servidor de aplicação (padrão 127.0.0.1)."), QStringLiteral("HOST")},
      {kPort, QStringLiteral("Porta do servidor de aplicação (padrão 8080)."), QStringLiteral("N")},
      {kTokenFile, QStringLiteral("Arquivo com o token de acesso ao servidor."), QStringLiteral("ARQUIVO")},
      {kOperator, QStringLiteral("Código do operador."), QStringLiteral("CÓDIGO")},
      {kPersonal, QStringLiteral("Configuração pessoal N com o valor dado (repetível), p.ex. 3=S."), QStringLiteral("N=VALOR")},
      {kConfigDir, QStringLiteral("Pasta de configuração do usuário (arquivo INI e filtros salvos)."), QStringLiteral("PASTA")},
      {kOpenSheet, QStringLiteral("Abre a planilha ao iniciar.")},
      {kPackage, QStringLiteral("Biblioteca do módulo a carregar."), QStringLiteral("ARQUIVO")},
  });
  if (!parser.parse(args))
    return failure(parser.errorText());
  if (parser.isSet(helpOption)) {
    ParseResult r;
    r.status = ParseResult::Status::Help;
    r.message = parser.helpText();
    // Before the application exists the parser cannot name the program.
    r.message.replace(QStringLiteral("<executable_name>"), QStringLiteral("zrt-host"));
    return r;
  }
  if (parser.isSet(versionOption)) {
    ParseResult r;
    r.status = ParseResult::Status::Version;
    r.message = QCoreApplication::applicationName() + QLatin1Char(' ') + QCoreApplication::applicationVersion();
    return r;
  }
  if (!parser.positionalArguments().isEmpty())
    return failure(QStringLiteral("Argumento inesperado: %1").arg(parser.positionalArguments().constFirst()));

  ParseResult r;
  HostOptions &o = r.options;
  o.configDir =
      parser.isSet(kConfigDir) ? parser.value(kConfigDir) : QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  if (o.configDir.isEmpty())
    return failure(QStringLiteral("Pasta de configuração do usuário não definida."));
  o.configDir = QDir::cleanPath(QDir(o.configDir).absolutePath());

  // Defaults, then the INI, then the command line.
  o.dbUrl = QStringLiteral("sqlite:") + defaultDataDir() + QStringLiteral("/demo.db");
  o.operatorCode = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME")).toUpper();
  o.packagePath = defaultPackagePath();

  const QString iniPath = o.configDir + QLatin1Char('/') + iniFileName();
  if (QFile::exists(iniPath)) {
    QSettings ini(iniPath, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError)
      return failure(QStringLiteral("Arquivo de configuração ilegível: %1").arg(iniPath));
    o.dbUrl = ini.value(QStringLiteral("Banco/URL"), o.dbUrl).toString();
    o.server = ini.value(QStringLiteral("Servidor/Endereco"), o.server).toString();
    if (ini.contains(QStringLiteral("Servidor/Porta"))) {
      const QString text = ini.value(QStringLiteral("Servidor/Porta")).toString();
      if (!parsePort(text, &o.port))
        return failure(QStringLiteral("Porta inválida em %1: \"%2\".").arg(iniPath, text));
    }
    o.tokenFile = ini.value(QStringLiteral("Servidor/ArquivoToken"), o.tokenFile).toString();
    o.operatorCode = ini.value(QStringLiteral("Usuario/Operador"), o.operatorCode).toString();
    o.packagePath = ini.value(QStringLiteral("Modulo/Arquivo"), o.packagePath).toString();
    o.openSheet = ini.value(QStringLiteral("Inicio/AbrirPlanilha"), o.openSheet).toBool();
    ini.beginGroup(QStringLiteral("Pessoal"));
    for (const QString &key : ini.childKeys()) {
      bool ok = false;
      const int number = key.toInt(&ok);
      if (!ok)
        return failure(QStringLiteral("Configuração pessoal inválida em %1: \"%2\".").arg(iniPath, key));
      o.personal.insert(number, ini.value(key).toString());
    }
    ini.endGroup();
  }

  if (parser.isSet(kDb))
    o.dbUrl = parser.value(kDb);
  if (parser.isSet(kServer))
    o.server = parser.value(kServer);
  if (parser.isSet(kPort) && !parsePort(parser.value(kPort), &o.port))
    return failure(QStringLiteral("Porta inválida: \"%1\".").arg(parser.value(kPort)));
  if (parser.isSet(kTokenFile))
    o.tokenFile = parser.value(kTokenFile);
  if (parser.isSet(kOperator))
    o.operatorCode = parser.value(kOperator);
  if (parser.isSet(kPackage))
    o.packagePath = parser.value(kPackage);
  if (parser.isSet(kOpenSheet))
    o.openSheet = true;
  for (const QString &item : parser.values(kPersonal)) {
    int number = 0;
    QString value;
    if (!parsePersonal(item, &number, &value))
      return failure(QStringLiteral("Configuração pessoal inválida: \"%1\". Use N=VALOR, p.ex. 3=S.").arg(item));
    o.personal.insert(number, value);
  }

  if (o.server.trimmed().isEmpty())
    return failure(QStringLiteral("Endereço do servidor de aplicação vazio."));
  if (!o.tokenFile.isEmpty()) {
    QFile file(o.tokenFile);
    if (!file.open(QIODevice::ReadOnly))
      return failure(QStringLiteral("Não foi possível ler o arquivo de token %1: %2.").arg(o.tokenFile, file.errorString()));
    o.token = QString::fromUtf8(file.readAll()).trimmed();
    if (o.token.isEmpty())
      return failure(QStringLiteral("O arquivo de token %1 está vazio.").arg(o.tokenFile));
  }
  return r;
}

void applyOptions(const HostOptions &o)
{
  QDir().mkpath(o.configDir);
  Brivon::Settings s;
  s.webURL = o.server;
  s.webPort = o.port;
  s.operador = o.operatorCode;
  // With its closing separator: files of an operator are kept in the folder's text followed
  // directly by the operator code, which must land inside the folder.
  s.configUsrDir = o.configDir + QLatin1Char('/');
  s.personal = o.personal;
  s.token = o.token;
  Brivon::Configure(s);
}

QString displayDbUrl(const QString &url)
{
  if (!url.contains(QLatin1String("://")))
    return url;
  return QUrl(url).toDisplayString(QUrl::RemovePassword);
}

} // namespace zrt::host
