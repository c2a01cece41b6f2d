#pragma once
// Records and codes the windows exchange: the reservation fields as the windows declare them,
// code lists. (The status texts come from the library's status toggles.)
#include <inhouse/data/dataset.h>
#include <inhouse/text/codelist.h>

#include <QString>
#include <QStringList>

#include <initializer_list>

struct TFieldSpec {
  const char *name;
  TFieldType type;
  int size;
  const char *label;
};
// Declares a window's fields with their labels before the data set is loaded; the reserved
// quantity QTPRODRESPROC shows four decimals and is edited with two.
void DeclareFields(TDataSet &dataSet, std::initializer_list<TFieldSpec> fields);
