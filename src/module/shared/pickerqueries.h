#pragma once
// The two lists the group and equipment pickers offer: the plant's groups, and the equipment
// of the chosen groups (parameters P_GR, a group code list, and P_TGR, "T" for every group).
#include <inhouse/sql/adoibquery.h>

void DefineGroupQuery(TADOIBQuery &query);
void DefineGroupEquipmentQuery(TADOIBQuery &query);
// Reopens the equipment query on every group or on the groups of the code list.
void OpenGroupEquipment(TADOIBQuery &query, bool allGroups, const QString &groupList);
