#pragma once
// Keyed message tables: lines "key|text"; code asks for texts by key.
#include <inhouse/inhouse_export.h>
#include <inhouse/services/prompts.h>

#include <QObject>
#include <QString>
#include <QStringList>

class INHOUSE_EXPORT TMessages : public QObject {
  Q_OBJECT
public:
  explicit TMessages(QObject *parent = nullptr);
  TMessages(const QStringList &lines, QObject *parent = nullptr);

  QStringList Messages; // "key|text" lines; the text may itself hold '|'

  // The text of the first line whose key matches regardless of case; empty when unknown.
  QString Msg(const QString &key) const;
  // Asks the text of `key` through the prompt seam and returns the modal result (mrYes = 6).
  int ShowMsg(const QString &key, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext = 0) const;
};
