#pragma once
// The equipment list's query: code, short name and name of the equipment of the chosen groups
// and codes, one text per database kind, parameters P_GR, P_EQ, P_TGR and P_TEQ.
#include <inhouse/sql/adoibquery.h>

void DefineEquipmentQuery(TADOIBQuery &query);
