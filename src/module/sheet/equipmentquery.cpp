#include "sheet/equipmentquery.h"

void DefineEquipmentQuery(TADOIBQuery &q)
{
  q.ReadOnly = true;
  // Code lists are ";A;B;": a code counts only as a whole code between separators.
  q.SQL = {QStringLiteral("SELECT CDEQUIPPRO, SGEQUIPPRO, NMEQUIPPRO"), QStringLiteral("FROM EQUIPAPROD"),
           QStringLiteral("WHERE ((INSTR(:P_GR, ';' || CDGRUPOEQUIPA || ';') > 0) or (:P_TGR = 'T'))"),
           QStringLiteral("AND ((INSTR(:P_EQ, ';' || CDEQUIPPRO || ';') > 0) OR (:P_TEQ = 'T'))"),
           QStringLiteral("ORDER BY CDEQUIPPRO")};
  q.SQL_ORACLE = q.SQL;
  q.SQL_MSSQL = {QStringLiteral("SELECT CDEQUIPPRO, SGEQUIPPRO, NMEQUIPPRO"), QStringLiteral("FROM EQUIPAPROD"),
                 QStringLiteral("WHERE ((CHARINDEX(';' + CDGRUPOEQUIPA + ';', :P_GR) > 0) or (:P_TGR = 'T'))"),
                 QStringLiteral("AND ((CHARINDEX(';' + CDEQUIPPRO + ';', :P_EQ) > 0) OR (:P_TEQ = 'T'))"),
                 QStringLiteral("ORDER BY CDEQUIPPRO")};
  q.SQL_IB = {QStringLiteral("SELECT CDEQUIPPRO, SGEQUIPPRO, NMEQUIPPRO"),
              QStringLiteral("FROM EQUIPAPROD, PARAM(:P_GR) P_GR, PARAM(:P_EQ) P_EQ"),
              QStringLiteral("WHERE ((INSTR(P_GR.PARAM, ';' || CDGRUPOEQUIPA || ';') > 0) OR (:P_TGR = 'T'))"),
              QStringLiteral("AND ((INSTR(P_EQ.PARAM, ';' || CDEQUIPPRO || ';') > 0) OR (:P_TEQ = 'T'))"),
              QStringLiteral("ORDER BY CDEQUIPPRO")};
  q.AddField(QStringLiteral("CDEQUIPPRO"), ftString, 10).DisplayLabel = QStringLiteral("Código");
  q.AddField(QStringLiteral("SGEQUIPPRO"), ftString, 10).DisplayLabel = QStringLiteral("Sigla");
  q.AddField(QStringLiteral("NMEQUIPPRO"), ftString, 40).DisplayLabel = QStringLiteral("Nome");
}
