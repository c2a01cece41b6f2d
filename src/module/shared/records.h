#pragma once
// Records and codes the windows exchange: code lists. (The status texts come from the
// library's status toggles.)
#include <QString>
#include <QStringList>

// A picked list of codes as ";A;B;C;" (empty for none), tested as whole codes.
QString CodeList(const QStringList &codes);
QStringList CodesOf(const QString &codeList);
