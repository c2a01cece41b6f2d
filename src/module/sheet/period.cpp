#include "sheet/period.h"

#include <inhouse/services/errors.h>
#include <inhouse/services/texts.h>
#include <inhouse/text/regional.h>

TPeriodDefaults DefaultPeriod(const QDate &today)
{
  return {today, today.addDays(30), QStringLiteral("08:00"), QStringLiteral("18:00")};
}

bool HoraValida(const QString &hourText)
{
  const QString t = Ajusta(hourText, 5);
  if (t[2] != QLatin1Char(':'))
    return false;
  const QString hh = t.left(2), mm = t.mid(3, 2);
  if (!mm[0].isDigit() || !mm[1].isDigit() || !hh[1].isDigit() || !(hh[0].isDigit() || hh[0] == QLatin1Char(' ')))
    return false;
  // Minutes above 59 are refused here for every hour, not only at 00 and 23: they would
  // otherwise fail later as a conversion error far from the field.
  return hh.trimmed().toInt() <= 23 && mm.toInt() <= 59;
}

zrt::TDateTime JuntaDataHora(const QDate &date, const QString &hourText)
{
  if (!date.isValid())
    throw EConvertError(QStringLiteral("Data inválida no período."));
  if (!HoraValida(hourText))
    throw EConvertError(QStringLiteral("'%1' não é uma hora válida.").arg(hourText));
  return StrToDateTime(DateToStr(zrt::toDateTime(date)) + QLatin1Char(' ') + Ajusta(hourText, 5));
}

int HoraInteira(const QString &hourText)
{
  bool ok = false;
  const int h = hourText.left(2).trimmed().toInt(&ok);
  return ok ? h : -1;
}

void NomeMes(quint16 mes, QString &nome)
{
  static const char *const names[] = {"Janeiro", "Fevereiro", "Março",    "Abril",   "Maio",     "Junho",
                                      "Julho",   "Agosto",    "Setembro", "Outubro", "Novembro", "Dezembro"};
  if (mes >= 1 && mes <= 12)
    nome = QString::fromUtf8(names[mes - 1]);
}
