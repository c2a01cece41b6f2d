#include <inhouse/services/errors.h>
#include <inhouse/services/prompts.h>

void ShowError(const QString &text) { Prompts().Show(text, mtError); }

void MensErro(const QString &text, bool /*abort*/)
{
  ShowError(text);
  throw EAbort();
}
