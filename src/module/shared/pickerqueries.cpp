#include "shared/pickerqueries.h"

void DefineGroupQuery(TADOIBQuery &q)
{
  q.ReadOnly = true;
  q.SQL = {QStringLiteral("SELECT DISTINCT CDGRUPOEQUIPA, NMGRUPOEQUIPA "), QStringLiteral("FROM GRUPOEQUIPA"),
           QStringLiteral("ORDER BY CDGRUPOEQUIPA")};
  q.SQL_ORACLE = q.SQL_MSSQL = q.SQL_IB = q.SQL;
  TField &code = q.AddField(QStringLiteral("CDGRUPOEQUIPA"), ftString, 10);
  code.DisplayLabel = QStringLiteral("Código");
  code.DisplayWidth = 15;
  q.AddField(QStringLiteral("NMGRUPOEQUIPA"), ftString, 50).DisplayLabel = QStringLiteral("Nome");
}

void DefineGroupEquipmentQuery(TADOIBQuery &q)
{
  q.ReadOnly = true;
  // The groups' code list holds ";A;B;": a group counts only as a whole code between separators.
  const QString select = QStringLiteral("SELECT CDEQUIPPRO, SGEQUIPPRO, NMEQUIPPRO");
  const QString order = QStringLiteral("ORDER BY CDEQUIPPRO");
  q.SQL = {select, QStringLiteral("FROM EQUIPAPROD"),
           QStringLiteral("WHERE ((INSTR(:P_GR, ';' || CDGRUPOEQUIPA || ';')>0) OR (:P_TGR = 'T'))"), order};
  q.SQL_ORACLE = q.SQL;
  q.SQL_MSSQL = {select, QStringLiteral("FROM EQUIPAPROD"),
                 QStringLiteral("WHERE ((CHARINDEX(';' + CDGRUPOEQUIPA + ';', :P_GR)>0) OR (:P_TGR = 'T'))"), order};
  q.SQL_IB = {select, QStringLiteral("FROM EQUIPAPROD, PARAM(:P_GR) P_GR, PARAM(:P_TGR) P_TGR"),
              QStringLiteral("WHERE ((INSTR(P_GR.PARAM, ';' || CDGRUPOEQUIPA || ';')>0) OR (P_TGR.PARAM = 'T'))"), order};
  TField &code = q.AddField(QStringLiteral("CDEQUIPPRO"), ftString, 10);
  code.DisplayLabel = QStringLiteral("Código");
  code.DisplayWidth = 15;
  q.AddField(QStringLiteral("SGEQUIPPRO"), ftString, 10).DisplayLabel = QStringLiteral("Sigla");
  q.AddField(QStringLiteral("NMEQUIPPRO"), ftString, 40).DisplayLabel = QStringLiteral("Nome");
}

void OpenGroupEquipment(TADOIBQuery &q, bool allGroups, const QString &groupList)
{
  q.Close();
  q.ParamByName(QStringLiteral("P_TGR")).SetAsString(allGroups ? QStringLiteral("T") : QString());
  q.ParamByName(QStringLiteral("P_GR")).SetAsString(allGroups ? QString() : groupList);
  q.Open();
}

std::pair<TADOIBQuery *, TDataSource *> NewPickerQuery(QObject *window, void (*define)(TADOIBQuery &), const QString &queryName,
                                                       const QString &sourceName)
{
  auto *query = new TADOIBQuery(window);
  query->Name = queryName;
  define(*query);
  query->BindDataModule();
  auto *source = new TDataSource(window, query);
  source->setObjectName(sourceName);
  return {query, source};
}
