#include <inhouse/errors.h>
#include <inhouse/services/application.h>
#include <inhouse/services/prompts.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
IPrompts *g_prompts = nullptr;

QWidget *DialogParent()
{
  if (QWidget *active = QApplication::activeWindow())
    return active;
  return MainForm();
}

QMessageBox::Icon IconOf(TMsgDlgType type)
{
  switch (type) {
  case mtWarning: return QMessageBox::Warning;
  case mtError: return QMessageBox::Critical;
  case mtInformation: return QMessageBox::Information;
  case mtConfirmation: return QMessageBox::Question;
  case mtCustom: break;
  }
  return QMessageBox::NoIcon;
}

QString TitleOf(TMsgDlgType type)
{
  switch (type) {
  case mtWarning: return QStringLiteral("Aviso");
  case mtError: return QStringLiteral("Erro");
  case mtInformation: return QStringLiteral("Informação");
  case mtConfirmation: return QStringLiteral("Confirmação");
  case mtCustom: break;
  }
  return QApplication::applicationDisplayName();
}

struct ButtonDef {
  TMsgDlgBtn flag;
  const char *text;
  QMessageBox::ButtonRole role;
  int result;
};

// Portuguese captions, so a dialog reads the same on any system locale.
const ButtonDef kButtons[] = {
    {mbYes, "&Sim", QMessageBox::YesRole, mrYes},
    {mbNo, "&Não", QMessageBox::NoRole, mrNo},
    {mbOK, "OK", QMessageBox::AcceptRole, mrOk},
    {mbCancel, "Cancelar", QMessageBox::RejectRole, mrCancel},
    {mbAbort, "&Abortar", QMessageBox::RejectRole, mrAbort},
    {mbRetry, "&Repetir", QMessageBox::AcceptRole, mrRetry},
    {mbIgnore, "&Ignorar", QMessageBox::AcceptRole, mrIgnore},
    {mbAll, "&Todos", QMessageBox::YesRole, mrAll},
    {mbNoToAll, "Nã&o para todos", QMessageBox::NoRole, mrNoToAll},
    {mbYesToAll, "Sim para &todos", QMessageBox::YesRole, mrYesToAll},
    {mbHelp, "Aj&uda", QMessageBox::HelpRole, mrNone},
};
} // namespace

IPrompts::~IPrompts() = default;

int TQtPrompts::Ask(const QString &text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext)
{
  QMessageBox box(IconOf(type), TitleOf(type), text, QMessageBox::NoButton, DialogParent());
  if (buttons == 0)
    buttons = mbOK;
  QList<QPair<QAbstractButton *, int>> results;
  QAbstractButton *escape = nullptr;
  for (const ButtonDef &def : kButtons) {
    if (!(buttons & def.flag))
      continue;
    QPushButton *b = box.addButton(QString::fromUtf8(def.text), def.role);
    results.append({b, def.result});
    if (def.flag == mbHelp) {
      // Help answers without closing the question.
      b->disconnect();
      QObject::connect(b, &QPushButton::clicked, &box, [helpContext] { ShowHelpContext(helpContext); });
    }
    if (def.flag == mbCancel || (def.flag == mbNo && !(buttons & mbCancel)))
      escape = b;
  }
  if (!results.isEmpty())
    box.setDefaultButton(qobject_cast<QPushButton *>(results.first().first));
  if (escape)
    box.setEscapeButton(escape);
  box.exec();
  QAbstractButton *clicked = box.clickedButton();
  for (const auto &r : results)
    if (r.first == clicked)
      return r.second;
  return mrCancel;
}

void TQtPrompts::Show(const QString &text, TMsgDlgType type)
{
  QMessageBox box(IconOf(type), TitleOf(type), text, QMessageBox::Ok, DialogParent());
  box.exec();
}

std::optional<QString> TQtPrompts::AskText(const QString &title, const QString &label, const QString &value)
{
  QInputDialog dialog(DialogParent());
  dialog.setWindowTitle(title);
  dialog.setLabelText(label);
  dialog.setTextValue(value);
  dialog.setOkButtonText(QStringLiteral("OK"));
  dialog.setCancelButtonText(QStringLiteral("Cancelar"));
  if (dialog.exec() != QDialog::Accepted)
    return std::nullopt;
  return dialog.textValue();
}

std::optional<SearchAnswer> TQtPrompts::AskSearch(const QString &title, const QStringList &columnTitles)
{
  QDialog dialog(DialogParent());
  dialog.setObjectName(QStringLiteral("frmProcura"));
  dialog.setWindowTitle(title);
  auto *form = new QFormLayout;
  auto *column = new QComboBox(&dialog);
  column->setObjectName(QStringLiteral("cmbCampo"));
  column->addItems(columnTitles);
  auto *value = new QLineEdit(&dialog);
  value->setObjectName(QStringLiteral("edtValor"));
  form->addRow(QStringLiteral("Campo:"), column);
  form->addRow(QStringLiteral("Procurar:"), value);
  auto *buttons = new QDialogButtonBox(&dialog);
  buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto *layout = new QVBoxLayout(&dialog);
  layout->addLayout(form);
  layout->addWidget(buttons);
  value->setFocus();
  if (dialog.exec() != QDialog::Accepted || column->currentIndex() < 0)
    return std::nullopt;
  return SearchAnswer{column->currentIndex(), value->text()};
}

static TPickListFunction &PickListDialog()
{
  static TPickListFunction dialog;
  return dialog;
}

void SetPickListDialog(TPickListFunction dialog) { PickListDialog() = std::move(dialog); }

std::optional<QStringList> TQtPrompts::AskList(const QString &title, TDataSet &dataSet, const QString &keyField,
                                               const QStringList &checked, bool singleChoice)
{
  if (!PickListDialog())
    throw EInhouseError(QStringLiteral("Nenhuma janela de seleção em lista foi registrada na biblioteca."));
  return PickListDialog()(DialogParent(), title, dataSet, keyField, checked, singleChoice);
}

std::optional<QString> TQtPrompts::AskSaveFile(const QString &title, const QString &suggested, const QString &filter)
{
  QFileDialog dialog(DialogParent(), title, suggested, filter);
  dialog.setObjectName(QStringLiteral("dlgSalvar"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QFileInfo(suggested).suffix());
  dialog.selectFile(suggested);
  // Captions for Qt's own dialog; a native one speaks the system's language anyway.
  dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Salvar em:"));
  dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Nome do arquivo:"));
  dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Tipo:"));
  dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Salvar"));
  dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Cancelar"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return std::nullopt;
  return dialog.selectedFiles().constFirst();
}

void SetPrompts(IPrompts *prompts) { g_prompts = prompts; }

IPrompts &Prompts()
{
  static TQtPrompts real;
  return g_prompts ? *g_prompts : real;
}
