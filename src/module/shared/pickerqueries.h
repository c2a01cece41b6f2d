#pragma once
// The two lists the group and equipment pickers offer: the plant's groups, and the equipment
// of the chosen groups (parameters P_GR, a group code list, and P_TGR, "T" for every group).
#include <inhouse/data/datasource.h>
#include <inhouse/sql/adoibquery.h>

#include <utility>

void DefineGroupQuery(TADOIBQuery &query);
void DefineGroupEquipmentQuery(TADOIBQuery &query);
// Reopens the equipment query on every group or on the groups of the code list.
void OpenGroupEquipment(TADOIBQuery &query, bool allGroups, const QString &groupList);

// A picker's query on the host database, owned by the window, and the data source its search
// button reads; each named as the window names them.
std::pair<TADOIBQuery *, TDataSource *> NewPickerQuery(QObject *window, void (*define)(TADOIBQuery &), const QString &queryName,
                                                       const QString &sourceName);
