#include <inhouse/services/options.h>

#include <inhouse/errors.h>
#include <inhouse/services/brivon.h>
#include <inhouse/services/prompts.h>
#include <inhouse/services/texts.h>
#include <inhouse/text/regional.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLineEdit>
#include <QMetaClassInfo>
#include <QRadioButton>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QWidget>

#include <atomic>

namespace {

constexpr int kTelaSize = 100;
constexpr int kOperadorSize = 12;
constexpr int kOpcaoSize = 100;
constexpr int kVariavelSize = 50;
constexpr int kComponenteSize = 100;
constexpr int kValorSize = 2000;
constexpr int kBusyTimeoutMs = 15000;

const QString kVariableRow = QStringLiteral("TStringList");

// The operator code becomes part of a path: it must not lead out of the configuration folder.
void CheckOperador(const QString &operador)
{
  if (operador.contains(u'/') || operador.contains(u'\\') || operador == QLatin1String(".") || operador == QLatin1String(".."))
    throw EInhouseError(QStringLiteral("Código de operador inválido para as opções salvas: \"%1\".").arg(operador));
}

// The columns hold text, never NULL: a null QString would bind as NULL.
QString Text(const QString &value) { return value.isNull() ? QStringLiteral("") : value; }

QString ScreenKey(const QString &screenKey) { return Text(screenKey.left(kTelaSize)); }

bool IsBusy(const QSqlError &error)
{
  // SQLITE_BUSY, SQLITE_LOCKED
  return error.nativeErrorCode() == QLatin1String("5") || error.nativeErrorCode() == QLatin1String("6");
}

// One connection to the options file, opened for one operation and removed afterwards, so that
// any thread or process may use the file at the same time.
class OptionsDb {
public:
  explicit OptionsDb(const QString &path) : m_path(path)
  {
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection.name);
    m_db.setDatabaseName(path);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (!m_db.open())
      throw EInhouseError(QStringLiteral("Não foi possível abrir o arquivo de opções salvas: %1\n%2")
                              .arg(QDir::toNativeSeparators(path), m_db.lastError().text()));
    // A file that is not a database opens fine and fails on its first read.
    QSqlQuery probe(m_db);
    if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'FILTROS'")) ||
        !probe.next())
      fail(probe.lastError());
    m_hasTable = probe.value(0).toInt() > 0;
    m_valid = true;
  }
  OptionsDb(const OptionsDb &) = delete;
  OptionsDb &operator=(const OptionsDb &) = delete;

  bool HasTable() const { return m_hasTable; }

  QSqlQuery Prepare(const QString &sql)
  {
    QSqlQuery query(m_db);
    if (!query.prepare(sql))
      fail(query.lastError());
    return query;
  }
  void Exec(QSqlQuery &query)
  {
    if (!query.exec())
      fail(query.lastError());
  }
  void Exec(const QString &sql)
  {
    QSqlQuery query(m_db);
    if (!query.exec(sql))
      fail(query.lastError());
  }

  [[noreturn]] void fail(const QSqlError &error) const
  {
    if (IsBusy(error))
      throw EInhouseError(QStringLiteral("O arquivo de opções salvas está em uso: %1").arg(QDir::toNativeSeparators(m_path)));
    throw EInhouseError((m_valid ? QStringLiteral("Erro no arquivo de opções salvas %1:\n%2")
                                 : QStringLiteral("Arquivo de opções salvas inválido: %1\n%2"))
                            .arg(QDir::toNativeSeparators(m_path), error.text()));
  }

private:
  // Removes the connection when the last handle to it is gone, also when opening failed.
  struct Connection {
    QString name = NextName();
    ~Connection() { QSqlDatabase::removeDatabase(name); }
    static QString NextName()
    {
      static std::atomic<quint64> counter{0};
      return QStringLiteral("inhouse-options-%1").arg(++counter);
    }
  };

  QString m_path;
  Connection m_connection;
  QSqlDatabase m_db; // declared after the connection: released before it is removed
  bool m_hasTable = false;
  bool m_valid = false; // the file read as a database
};

// The file to read, or empty when the operator has none yet (nothing is created then).
QString ExistingFile(const QString &operador)
{
  CheckOperador(operador);
  if (!QFileInfo(OptionsFolder(operador)).isDir())
    return {};
  const QString file = OptionsFile(operador);
  return QFileInfo(file).isFile() ? file : QString();
}

// What `read` finds in the operator's file; nothing (and nothing created) while there is no file
// or it holds no sets yet.
template <class Result, class Read>
Result ReadOptions(const QString &operador, Read read)
{
  const QString file = ExistingFile(operador);
  if (file.isEmpty())
    return Result();
  OptionsDb db(file);
  if (!db.HasTable())
    return Result();
  return read(db);
}

// The control's class among those a set can restore, by the exact class of the object.
struct QtClass {
  const QMetaObject *meta;
  const char *name;
};
const QtClass kQtClasses[] = {
    {&QRadioButton::staticMetaObject, "TRadioButton"},
    {&QCheckBox::staticMetaObject, "TCheckBox"},
    {&QComboBox::staticMetaObject, "TComboBox"},
    {&QLineEdit::staticMetaObject, "TEdit"},
};

QHash<QString, TOptionCodec> &Codecs()
{
  static QHash<QString, TOptionCodec> codecs;
  return codecs;
}

// The codec of a class that declares its name; throws when the widget layer registered none.
const TOptionCodec *CodecFor(const QObject *component, const QString &cls)
{
  const QMetaObject *meta = component->metaObject();
  if (meta->indexOfClassInfo("ClassName") < meta->classInfoOffset())
    return nullptr;
  const auto it = Codecs().constFind(cls);
  if (it == Codecs().constEnd())
    throw EInhouseError(QStringLiteral("A classe %1 não registrou como salvar e restaurar suas opções.").arg(cls));
  return &*it;
}

int ParseIndex(const QString &value)
{
  bool ok = false;
  const int index = value.trimmed().toInt(&ok);
  if (!ok)
    throw EConvertError(QStringLiteral("'%1' não é um valor inteiro válido.").arg(value));
  return index;
}

void SetVariable(QStringList &variables, const QString &name, const QString &value)
{
  const QString prefix = name + u'=';
  const QString line = prefix + value;
  for (QString &existing : variables) {
    if (existing.startsWith(prefix)) {
      existing = line;
      return;
    }
  }
  variables << line;
}

} // namespace

QString OptionsFolder(const QString &operador) { return Brivon::ConfigUsrDir() + operador; }

QString OptionsFile(const QString &operador) { return OptionsFolder(operador) + QStringLiteral("/Filtros.Cds"); }

QStringList OptionSetNames(const QString &operador, const QString &screenKey)
{
  return ReadOptions<QStringList>(operador, [&](OptionsDb &db) {
    QSqlQuery query = db.Prepare(QStringLiteral("SELECT DISTINCT DSOPCSALVA FROM FILTROS WHERE CDTELA = ? AND DSOPCSALVA <> '' "
                                                "ORDER BY DSOPCSALVA COLLATE BINARY"));
    query.addBindValue(ScreenKey(screenKey));
    db.Exec(query);
    QStringList names;
    while (query.next())
      names << query.value(0).toString();
    return names;
  });
}

std::vector<TOptionRow> OptionSetRows(const QString &operador, const QString &screenKey, const QString &setName)
{
  return ReadOptions<std::vector<TOptionRow>>(operador, [&](OptionsDb &db) {
    QSqlQuery query = db.Prepare(QStringLiteral("SELECT CDTELA, CDOPERADOR, DSOPCSALVA, STVARIAVEL, NMCOMPONENTE, DSVALOR "
                                                "FROM FILTROS WHERE CDTELA = ? AND DSOPCSALVA = ? ORDER BY ID"));
    query.addBindValue(ScreenKey(screenKey));
    query.addBindValue(Text(setName));
    db.Exec(query);
    std::vector<TOptionRow> rows;
    while (query.next())
      rows.push_back({query.value(0).toString(), query.value(1).toString(), query.value(2).toString(), query.value(3).toString(),
                      query.value(4).toString(), query.value(5).toString()});
    return rows;
  });
}

bool OptionSetExists(const QString &operador, const QString &screenKey, const QString &setName)
{
  return ReadOptions<bool>(operador, [&](OptionsDb &db) {
    QSqlQuery query = db.Prepare(QStringLiteral("SELECT 1 FROM FILTROS WHERE CDTELA = ? AND DSOPCSALVA = ? LIMIT 1"));
    query.addBindValue(ScreenKey(screenKey));
    query.addBindValue(Text(setName));
    db.Exec(query);
    return query.next();
  });
}

void SaveOptionSet(const QString &operador, const QString &screenKey, const QString &setName, const std::vector<TOptionRow> &rows)
{
  CheckOperador(operador);
  if (setName.size() > kOpcaoSize)
    throw EInhouseError(QStringLiteral("O nome das opções pode ter no máximo %1 caracteres.").arg(kOpcaoSize));
  for (const TOptionRow &row : rows) {
    if (row.valor.size() > kValorSize)
      throw EInhouseError(QStringLiteral("O valor de %1 tem mais de %2 caracteres e não pode ser salvo.")
                              .arg(row.componente == kVariableRow ? row.variavel : row.componente)
                              .arg(kValorSize));
  }

  const QString folder = OptionsFolder(operador);
  if (!QDir().mkpath(folder))
    throw EInhouseError(
        QStringLiteral("Não foi possível criar a pasta das opções salvas: %1").arg(QDir::toNativeSeparators(folder)));

  OptionsDb db(OptionsFile(operador));
  // Taking the write lock up front makes a second saver wait its turn instead of failing.
  db.Exec(QStringLiteral("BEGIN IMMEDIATE"));
  try {
    db.Exec(QStringLiteral("CREATE TABLE IF NOT EXISTS FILTROS ("
                           "ID INTEGER PRIMARY KEY, "
                           "CDTELA VARCHAR(100) NOT NULL DEFAULT '', "
                           "CDOPERADOR VARCHAR(12) NOT NULL DEFAULT '', "
                           "DSOPCSALVA VARCHAR(100) NOT NULL DEFAULT '', "
                           "STVARIAVEL VARCHAR(50) NOT NULL DEFAULT '', "
                           "NMCOMPONENTE VARCHAR(100) NOT NULL DEFAULT '', "
                           "DSVALOR VARCHAR(2000) NOT NULL DEFAULT '')"));
    db.Exec(QStringLiteral("CREATE INDEX IF NOT EXISTS IDX_FILTROS_OPCAO ON FILTROS (CDTELA, DSOPCSALVA)"));

    const QString tela = ScreenKey(screenKey);
    QSqlQuery remove = db.Prepare(QStringLiteral("DELETE FROM FILTROS WHERE CDTELA = ? AND DSOPCSALVA = ?"));
    remove.addBindValue(tela);
    remove.addBindValue(Text(setName));
    db.Exec(remove);

    QSqlQuery insert = db.Prepare(QStringLiteral("INSERT INTO FILTROS (CDTELA, CDOPERADOR, DSOPCSALVA, STVARIAVEL, NMCOMPONENTE, "
                                                 "DSVALOR) VALUES (?, ?, ?, ?, ?, ?)"));
    for (const TOptionRow &row : rows) {
      insert.bindValue(0, tela);
      insert.bindValue(1, Text(operador.left(kOperadorSize)));
      insert.bindValue(2, Text(setName));
      insert.bindValue(3, Text(row.variavel.left(kVariavelSize)));
      insert.bindValue(4, Text(row.componente.left(kComponenteSize)));
      insert.bindValue(5, Text(row.valor));
      db.Exec(insert);
    }
    db.Exec(QStringLiteral("COMMIT"));
  } catch (...) {
    try {
      db.Exec(QStringLiteral("ROLLBACK"));
    } catch (const EInhouseError &) {
      // The first error is the one to report.
    }
    throw;
  }
}

QString OptionClassName(const QObject *component)
{
  if (!component)
    return {};
  const QMetaObject *meta = component->metaObject();
  // The library's own controls declare their name; one inherited from a base class does not count.
  const int info = meta->indexOfClassInfo("ClassName");
  if (info >= meta->classInfoOffset())
    return QString::fromUtf8(meta->classInfo(info).value());
  for (const QtClass &entry : kQtClasses) {
    if (meta == entry.meta)
      return QString::fromLatin1(entry.name);
  }
  return {};
}

std::optional<QString> EncodeOption(const QObject *component)
{
  const QString cls = OptionClassName(component);
  if (cls == QLatin1String("TEdit"))
    return static_cast<const QLineEdit *>(component)->text();
  if (const TOptionCodec *codec = CodecFor(component, cls))
    return codec->encode(component);
  if (cls == QLatin1String("TComboBox"))
    return QString::number(static_cast<const QComboBox *>(component)->currentIndex());
  if (cls == QLatin1String("TCheckBox") || cls == QLatin1String("TRadioButton"))
    return static_cast<const QAbstractButton *>(component)->isChecked() ? QStringLiteral("True") : QStringLiteral("False");
  return std::nullopt;
}

void RestoreOption(QObject *component, const QString &value)
{
  const QString cls = OptionClassName(component);
  if (const TOptionCodec *codec = CodecFor(component, cls)) {
    codec->restore(component, value);
  } else if (cls == QLatin1String("TEdit")) {
    static_cast<QLineEdit *>(component)->setText(value);
  } else if (cls == QLatin1String("TComboBox")) {
    auto *combo = static_cast<QComboBox *>(component);
    const int index = ParseIndex(value);
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
  } else if (cls == QLatin1String("TCheckBox")) {
    static_cast<QCheckBox *>(component)->setChecked(value == QLatin1String("True"));
  } else if (cls == QLatin1String("TRadioButton")) {
    auto *radio = static_cast<QRadioButton *>(component);
    if (value != QLatin1String("True")) {
      radio->setChecked(false);
      return;
    }
    // A click runs the handlers bound to clicked and unchecks the auto-exclusive siblings.
    if (radio->isEnabled())
      radio->click();
    else
      radio->setChecked(true);
    if (radio->isVisible() && radio->isEnabled() && radio->focusPolicy() != Qt::NoFocus)
      radio->setFocus();
  }
}

void RegisterOptionCodec(const QString &className, TOptionCodec codec) { Codecs().insert(className, std::move(codec)); }

int ParseOptionIndex(const QString &value) { return ParseIndex(value); }

bool SalvaOpcoes(QWidget *form, const QString &operador)
{
  if (!form)
    return false;
  const std::optional<QString> answer =
      Prompts().AskText(QStringLiteral("Opções de filtro da tela"), QStringLiteral("Nome das opções:"), QString());
  if (!answer)
    return false;
  const QString name = answer->trimmed();
  if (name.isEmpty()) {
    Prompts().Show(QStringLiteral("Informe o nome das opções."), mtWarning);
    return false;
  }
  if (name.size() > kOpcaoSize) {
    Prompts().Show(QStringLiteral("O nome das opções pode ter no máximo %1 caracteres.").arg(kOpcaoSize), mtWarning);
    return false;
  }
  const QString screenKey = NomeUnit(form);
  if (OptionSetExists(operador, screenKey, name) &&
      Prompts().Ask(QStringLiteral("Já existe um conjunto de opções com o nome \"%1\". Deseja substituí-lo?").arg(name),
                    mtConfirmation, mbYesNo, 0) != mrYes)
    return false;

  std::vector<TOptionRow> rows;
  QSet<QString> seen;
  for (const QWidget *control : form->findChildren<QWidget *>()) {
    const QString objectName = control->objectName();
    // Names starting with qt_ belong to the inner parts of Qt's own widgets (a spin box's edit).
    if (objectName.isEmpty() || objectName.startsWith(QLatin1String("qt_")) || seen.contains(objectName))
      continue;
    const std::optional<QString> value = EncodeOption(control);
    if (!value)
      continue;
    // Restoring finds a name's first control only, so only that one is saved.
    seen.insert(objectName);
    rows.push_back({screenKey, operador, name, QString(), objectName, *value});
  }
  SaveOptionSet(operador, screenKey, name, rows);
  return true;
}

bool RestoreOptionSet(QWidget *form, const QString &operador, const QString &setName, QStringList *variables)
{
  if (!form)
    return false;
  QStringList skipped;
  for (const TOptionRow &row : OptionSetRows(operador, NomeUnit(form), setName)) {
    if (row.componente == kVariableRow) {
      if (variables)
        SetVariable(*variables, row.variavel, row.valor);
      continue;
    }
    QObject *component = form->findChild<QObject *>(row.componente);
    if (!component)
      continue;
    try {
      RestoreOption(component, row.valor);
    } catch (const EConvertError &) {
      skipped << QStringLiteral("%1 (valor \"%2\")").arg(row.componente, row.valor);
    }
  }
  if (skipped.isEmpty())
    return true;
  Prompts().Show(QStringLiteral("Não foi possível restaurar: %1.").arg(skipped.join(QStringLiteral(", "))), mtError);
  return false;
}
