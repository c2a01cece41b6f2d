#include <inhouse/data/dataset.h>
#include <inhouse/data/datasource.h>
#include <inhouse/services/prompts.h>
#include <inhouse/services/search.h>
#include <inhouse/text/codelist.h>

#include <QAbstractItemView>
#include <QHeaderView>
#include <QTableView>
#include <QWidget>

QString FoldText(const QString &text)
{
  // Canonical decomposition splits "ç" into "c" and a combining mark, which is then dropped.
  const QString decomposed = text.normalized(QString::NormalizationForm_KD);
  QString out;
  out.reserve(decomposed.size());
  for (QChar c : decomposed) {
    const QChar::Category cat = c.category();
    if (cat == QChar::Mark_NonSpacing || cat == QChar::Mark_SpacingCombining || cat == QChar::Mark_Enclosing)
      continue;
    out += c;
  }
  return out.toCaseFolded();
}

int FindRow(TDataSet *dataSet, int fieldIndex, const QString &value)
{
  if (!dataSet || !dataSet->Active() || fieldIndex < 0 || fieldIndex >= dataSet->FieldCount())
    return -1;
  const QString wanted = FoldText(value);
  const int rows = dataSet->RecordCount();
  int containing = -1;
  for (int row = 0; row < rows; ++row) {
    const QString text = FoldText(dataSet->CellDisplayText(row, fieldIndex));
    if (text.startsWith(wanted))
      return row;
    if (containing < 0 && text.contains(wanted))
      containing = row;
  }
  return containing;
}

bool Procura(TDataSet *dataSet)
{
  if (!dataSet || !dataSet->Active())
    return false;
  QStringList titles;
  QList<int> indexes;
  for (int i = 0; i < dataSet->FieldCount(); ++i) {
    const TField &field = dataSet->Field(i);
    if (!field.Visible)
      continue;
    titles << field.Label();
    indexes << i;
  }
  if (titles.isEmpty())
    return false;
  const auto answer = Prompts().AskSearch(QStringLiteral("Procurar"), titles);
  if (!answer || answer->column < 0 || answer->column >= indexes.size())
    return false;
  const int row = FindRow(dataSet, indexes[answer->column], answer->text);
  if (row < 0) {
    Prompts().Show(QStringLiteral("Registro não encontrado."), mtInformation);
    return false;
  }
  dataSet->SetRecNo(row + 1);
  return true;
}

void RefreshGrid(QWidget *form)
{
  if (!form)
    return;
  for (QAbstractItemView *view : form->findChildren<QAbstractItemView *>()) {
    view->viewport()->update();
    if (auto *table = qobject_cast<QTableView *>(view)) {
      table->horizontalHeader()->viewport()->update();
      table->verticalHeader()->viewport()->update();
    }
  }
}

bool PesquisaLista(TDataSource *source, const QString &keyField, const QString &title, bool singleChoice, QString &codeList)
{
  TDataSet *set = source ? source->DataSet() : nullptr;
  if (!set)
    return false;
  if (!set->Active())
    set->Open();
  set->FieldByName(keyField); // an unknown key field fails here, with its name
  const auto picked = Prompts().AskList(title, *set, keyField, CodesOf(codeList), singleChoice);
  if (!picked)
    return false;
  codeList = CodeList(*picked);
  return true;
}
