#pragma once
// The filter dialog's two lists for its pickers: the plant's groups, and the equipment of the
// chosen groups (parameters P_GR, a group code list, and P_TGR, "T" for every group).
#include <inhouse/sql/adoibquery.h>

void DefineGroupQuery(TADOIBQuery &query);
void DefineGroupEquipmentQuery(TADOIBQuery &query);
