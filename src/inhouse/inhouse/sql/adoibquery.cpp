#include <inhouse/sql/adoibquery.h>

#include <zrt/common/datetime.h>

#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

// ---- parameters ----

TParam &TParam::SetValue(const QVariant &value)
{
  m_value = value;
  switch (value.metaType().id()) {
  case QMetaType::Int:
  case QMetaType::LongLong:
  case QMetaType::UInt:
  case QMetaType::ULongLong: DataType = ftInteger; break;
  case QMetaType::Double: DataType = ftFloat; break;
  case QMetaType::Bool: DataType = ftBoolean; break;
  case QMetaType::QDate:
  case QMetaType::QDateTime: DataType = ftDateTime; break;
  default: DataType = ftString; break;
  }
  if (DataType == ftString && value.isValid() && !value.isNull())
    m_value = value.toString();
  return *this;
}

TParam &TParam::SetAsString(const QString &value)
{
  DataType = ftString;
  // A null QString would be bound as SQL NULL; an empty text must stay a text.
  m_value = value.isNull() ? QString::fromLatin1("") : value;
  return *this;
}

TParam &TParam::SetAsInteger(qint64 value)
{
  DataType = ftInteger;
  m_value = value;
  return *this;
}

TParam &TParam::SetAsFloat(double value)
{
  DataType = ftFloat;
  m_value = value;
  return *this;
}

TParam &TParam::SetAsDateTime(double value)
{
  DataType = ftDateTime;
  m_value = value;
  return *this;
}

TParam &TParam::SetAsBoolean(bool value)
{
  DataType = ftBoolean;
  m_value = value;
  return *this;
}

QString ConvertNamedParams(const QString &sql, QStringList *namesInOrder)
{
  QString out;
  out.reserve(sql.size());
  QChar quote;
  for (int i = 0; i < sql.size(); ++i) {
    const QChar c = sql[i];
    if (!quote.isNull()) {
      out += c;
      if (c == quote)
        quote = QChar();
      continue;
    }
    if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
      quote = c;
      out += c;
      continue;
    }
    if (c == QLatin1Char('-') && i + 1 < sql.size() && sql[i + 1] == QLatin1Char('-')) {
      const int end = int(sql.indexOf(QLatin1Char('\n'), i));
      const int stop = end < 0 ? int(sql.size()) : end;
      out += sql.mid(i, stop - i);
      i = stop - 1;
      continue;
    }
    const bool startsName = i + 1 < sql.size() && (sql[i + 1].isLetter() || sql[i + 1] == QLatin1Char('_'));
    const bool cast = (i > 0 && sql[i - 1] == QLatin1Char(':')) || (i + 1 < sql.size() && sql[i + 1] == QLatin1Char(':'));
    if (c == QLatin1Char(':') && startsName && !cast) {
      int j = i + 1;
      while (j < sql.size() && (sql[j].isLetterOrNumber() || sql[j] == QLatin1Char('_')))
        ++j;
      if (namesInOrder)
        namesInOrder->append(sql.mid(i + 1, j - i - 1));
      out += QLatin1Char('?');
      i = j - 1;
      continue;
    }
    out += c;
  }
  return out;
}

// ---- query ----

TADOIBQuery::TADOIBQuery(QObject *parent) : TDataSet(parent) { ReadOnly = true; }

void TADOIBQuery::Bind(TDatabaseConnection *adc, TDatabaseConnection *dtb, TDatabaseConnection *ibt)
{
  m_adc = adc;
  m_dtb = dtb;
  m_ibt = ibt;
}

void TADOIBQuery::BindDataModule(const QString &dataModule)
{
  Bind(FindConnection(dataModule, QStringLiteral("adcGeral")), FindConnection(dataModule, QStringLiteral("dtbGeral")),
       FindConnection(dataModule, QStringLiteral("ibtGeral")));
  if (!Connection())
    throw EDatabaseError(QStringLiteral("Módulo de dados '%1' não encontrado.").arg(dataModule));
}

TDatabaseConnection *TADOIBQuery::Connection() const
{
  if (m_adc)
    return m_adc;
  if (m_dtb)
    return m_dtb;
  return m_ibt;
}

QString TADOIBQuery::ActiveSQL() const
{
  const TDatabaseKind kind = Connection() ? Connection()->Kind() : TDatabaseKind::Generic;
  const QStringList *text = &SQL;
  if (kind == TDatabaseKind::Oracle && !SQL_ORACLE.isEmpty())
    text = &SQL_ORACLE;
  else if (kind == TDatabaseKind::MSSQL && !SQL_MSSQL.isEmpty())
    text = &SQL_MSSQL;
  else if (kind == TDatabaseKind::InterBase && !SQL_IB.isEmpty())
    text = &SQL_IB;
  return text->join(QLatin1Char('\n'));
}

void TADOIBQuery::SyncParams() const
{
  for (const QStringList *text : {&SQL, &SQL_ORACLE, &SQL_MSSQL, &SQL_IB}) {
    QStringList names;
    ConvertNamedParams(text->join(QLatin1Char('\n')), &names);
    for (const QString &name : names)
      if (!m_params.count(name.toUpper()))
        m_params.emplace(name.toUpper(), TParam(name));
  }
}

TParam *TADOIBQuery::FindParam(const QString &name)
{
  SyncParams();
  auto it = m_params.find(name.toUpper());
  return it == m_params.end() ? nullptr : &it->second;
}

TParam &TADOIBQuery::ParamByName(const QString &name)
{
  if (TParam *p = FindParam(name))
    return *p;
  throw EDatabaseError(QStringLiteral("Parâmetro '%1' não encontrado.").arg(name));
}

QStringList TADOIBQuery::ParamNames() const
{
  QStringList names;
  ConvertNamedParams(ActiveSQL(), &names);
  names.removeDuplicates();
  return names;
}

namespace {

TFieldType typeOf(const QSqlField &field)
{
  switch (field.metaType().id()) {
  case QMetaType::Int:
  case QMetaType::UInt:
  case QMetaType::LongLong:
  case QMetaType::ULongLong:
  case QMetaType::Short:
  case QMetaType::UShort: return ftInteger;
  case QMetaType::Double:
  case QMetaType::Float: return ftFloat;
  case QMetaType::QDate: return ftDate;
  case QMetaType::QDateTime:
  case QMetaType::QTime: return ftDateTime;
  case QMetaType::Bool: return ftBoolean;
  default: return ftString;
  }
}

QVariant cellOf(const QVariant &value, TFieldType type)
{
  if (value.isNull())
    return {};
  switch (type) {
  case ftInteger: return value.toLongLong();
  case ftFloat: return value.toDouble();
  case ftBoolean: return value.toBool();
  case ftDate: return zrt::toDateTime(value.toDate());
  case ftDateTime:
    if (value.metaType().id() == QMetaType::QTime)
      return zrt::toDateTime(QDate(1899, 12, 30), value.toTime());
    return zrt::toDateTime(value.toDateTime());
  case ftString: return value.toString();
  }
  return value;
}

QVariant bindValue(const TParam &param, TDatabaseKind kind, const QSqlDatabase &db)
{
  const QVariant v = param.Value();
  if (v.isNull())
    return QVariant(QMetaType(QMetaType::QString));
  switch (param.DataType) {
  case ftDateTime:
  case ftDate: {
    const double d = v.metaType().id() == QMetaType::Double ? v.toDouble() : zrt::toDateTime(v.toDateTime());
    // SQLite keeps date-times as text; the other engines take a real timestamp.
    if (db.driverName().startsWith(QLatin1String("QSQLITE")))
      return zrt::toSqlText(d);
    return zrt::fromDateTime(d);
  }
  case ftString: {
    const QString s = v.toString();
    return s.isNull() ? QString::fromLatin1("") : s;
  }
  default: Q_UNUSED(kind); return v;
  }
}

} // namespace

void TADOIBQuery::InternalOpen()
{
  TDatabaseConnection *connection = Connection();
  if (!connection)
    throw EDatabaseError(QStringLiteral("Consulta '%1' sem conexão com o banco de dados.").arg(Name));
  QSqlDatabase db = connection->Database();
  if (!db.isValid() || !db.isOpen())
    throw EDatabaseError(QStringLiteral("Conexão '%1' com o banco de dados não está aberta.").arg(connection->ConnectionName()));
  const QString sql = ActiveSQL();
  if (sql.trimmed().isEmpty())
    throw EDatabaseError(QStringLiteral("Consulta '%1' sem texto SQL.").arg(Name));

  SyncParams();
  QStringList names;
  const QString text = ConvertNamedParams(sql, &names);
  QSqlQuery query(db);
  query.setForwardOnly(true);
  if (!query.prepare(text))
    throw EDatabaseError(QStringLiteral("Erro no banco de dados: %1").arg(query.lastError().text()));
  const TDatabaseKind kind = connection->Kind();
  for (int i = 0; i < names.size(); ++i)
    query.bindValue(i, bindValue(m_params.at(names[i].toUpper()), kind, db));
  if (!query.exec())
    throw EDatabaseError(QStringLiteral("Erro no banco de dados: %1").arg(query.lastError().text()));

  const QSqlRecord record = query.record();
  BeginLoad();
  std::vector<TFieldType> types;
  for (int c = 0; c < record.count(); ++c) {
    const QSqlField f = record.field(c);
    types.push_back(typeOf(f));
    LoadField(f.name(), types.back(), types.back() == ftString && f.length() > 0 ? f.length() : 0);
  }
  std::vector<Row> rows;
  while (query.next()) {
    Row row(int(types.size()));
    for (int c = 0; c < int(types.size()); ++c)
      row[c] = cellOf(query.value(c), types[size_t(c)]);
    rows.push_back(std::move(row));
  }
  if (query.lastError().isValid())
    throw EDatabaseError(QStringLiteral("Erro no banco de dados: %1").arg(query.lastError().text()));
  EndLoad(std::move(rows));
}
