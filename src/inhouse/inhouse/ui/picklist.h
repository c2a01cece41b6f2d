#pragma once
// The multi-selection picker: the rows of a data set with a check box each, searched as the
// user types.
#include <inhouse/inhouse_export.h>

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;
class TDataSet;

// Shows the picker modally over the open set's rows: the key field and the other visible fields
// as columns, the keys in `checked` checked. Returns the checked keys in the set's row order,
// nullopt when cancelled. With singleChoice at most one row is checked at a time.
INHOUSE_EXPORT std::optional<QStringList> ExecPickList(QWidget *parent, const QString &title, TDataSet &dataSet,
                                                       const QString &keyField, const QStringList &checked, bool singleChoice);
