#include <inhouse/text/codelist.h>

QString CodeList(const QStringList &codes)
{
  if (codes.isEmpty())
    return {};
  return QLatin1Char(';') + codes.join(QLatin1Char(';')) + QLatin1Char(';');
}

QStringList CodesOf(const QString &codeList) { return codeList.split(QLatin1Char(';'), Qt::SkipEmptyParts); }
