#pragma once
// A read-only query on the host database. It holds one text per database kind and runs the
// one that matches the bound connection, binding named parameters through QSqlQuery.
#include <inhouse/data/dataset.h>
#include <inhouse/inhouse_core_export.h>
#include <inhouse/sql/databaseconnection.h>

#include <QPointer>
#include <QStringList>
#include <map>

class INHOUSE_CORE_EXPORT TParam {
public:
  explicit TParam(const QString &name = {}) : Name(name) {}
  QString Name;
  TFieldType DataType = ftString;

  QVariant Value() const { return m_value; }
  TParam &SetValue(const QVariant &value);
  bool IsNull() const { return m_value.isNull(); }
  QString AsString() const { return m_value.toString(); }
  TParam &SetAsString(const QString &value); // empty stays an empty text, not null
  TParam &SetAsInteger(qint64 value);
  TParam &SetAsFloat(double value);
  TParam &SetAsDateTime(double value); // day-based
  TParam &SetAsBoolean(bool value);
  void Clear() { m_value = QVariant(); }

private:
  QVariant m_value;
};

class INHOUSE_CORE_EXPORT TADOIBQuery : public TDataSet {
  Q_OBJECT
public:
  explicit TADOIBQuery(QObject *parent = nullptr);

  QStringList SQL; // generic text (SQLite, PostgreSQL)
  QStringList SQL_ORACLE;
  QStringList SQL_MSSQL;
  QStringList SQL_IB;

  // The three connections of the data module; the first one given is used.
  void Bind(TDatabaseConnection *adc, TDatabaseConnection *dtb, TDatabaseConnection *ibt);
  // Binds to a registered data module's "adcGeral", "dtbGeral" and "ibtGeral".
  void BindDataModule(const QString &dataModule = QStringLiteral("dtmDBGeral"));
  TDatabaseConnection *Connection() const;

  // Parameters are taken from the text in use, in order of first appearance; values set
  // before a text change are kept for names that remain.
  TParam &ParamByName(const QString &name);
  TParam *FindParam(const QString &name);
  QStringList ParamNames() const;

  QString ActiveSQL() const; // the text the bound connection's kind selects

protected:
  void InternalOpen() override;

private:
  void SyncParams() const;
  QPointer<TDatabaseConnection> m_adc, m_dtb, m_ibt;
  mutable std::map<QString, TParam> m_params;
};

// ":NAME" placeholders outside quotes become "?"; names come back in order of use.
INHOUSE_CORE_EXPORT QString ConvertNamedParams(const QString &sql, QStringList *namesInOrder);
