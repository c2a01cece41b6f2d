#include "shared/records.h"

void DeclareFields(TDataSet &dataSet, std::initializer_list<TFieldSpec> fields)
{
  for (const TFieldSpec &f : fields) {
    TField &field = dataSet.AddField(QLatin1String(f.name), f.type, f.size);
    field.DisplayLabel = QString::fromUtf8(f.label);
    if (field.FieldName == QLatin1String("QTPRODRESPROC")) {
      field.DisplayFormat = QStringLiteral("#,##0.0000");
      field.EditFormat = QStringLiteral("#,##0.00");
    }
  }
}
