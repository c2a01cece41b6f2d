#pragma once
// Records and codes the windows exchange: the status selection and code lists.
#include <QString>
#include <QStringList>

// The three status texts that travel with every reservation request, in the order pending,
// in progress, concluded. "Concluída" is sent as "2" like "Em Andamento": the server tells
// them apart by position.
struct TStatusSelection {
  QString pend, andamento, conc;
  static TStatusSelection FromToggles(bool pendente, bool emAndamento, bool concluida)
  {
    return {pendente ? QStringLiteral("1") : QString(), emAndamento ? QStringLiteral("2") : QString(),
            concluida ? QStringLiteral("2") : QString()};
  }
};

// A picked list of codes as ";A;B;C;" (empty for none), tested as whole codes.
QString CodeList(const QStringList &codes);
QStringList CodesOf(const QString &codeList);
