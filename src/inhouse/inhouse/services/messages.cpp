#include <inhouse/services/messages.h>

TMessages::TMessages(QObject *parent) : QObject(parent) {}

TMessages::TMessages(const QStringList &lines, QObject *parent) : QObject(parent), Messages(lines) {}

QString TMessages::Msg(const QString &key) const
{
  for (const QString &line : Messages) {
    const qsizetype bar = line.indexOf(u'|');
    if (bar < 0)
      continue;
    if (QStringView(line).left(bar).compare(key, Qt::CaseInsensitive) == 0)
      return line.mid(bar + 1);
  }
  return {};
}

int TMessages::ShowMsg(const QString &key, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext) const
{
  return Prompts().Ask(Msg(key), type, buttons, helpContext);
}
