#pragma once
// A picked list of codes travels as ";A;B;C;" (a ';' before and after every code, the empty
// text for none), so a query can test a code as a whole code between separators.
#include <inhouse/inhouse_core_export.h>

#include <QString>
#include <QStringList>

INHOUSE_CORE_EXPORT QString CodeList(const QStringList &codes);
INHOUSE_CORE_EXPORT QStringList CodesOf(const QString &codeList);
