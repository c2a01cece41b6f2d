#pragma once
// The "Todos"/"Lista" choice the filter and free-hours windows offer for groups and for
// equipment: a bold titled box with the two radio buttons and the search button of the list,
// which stays disabled until "Lista" is chosen.
#include <inhouse/data/datasource.h>
#include <inhouse/ui/buttons.h>

#include <QGroupBox>
#include <QRadioButton>

struct TListChoiceNames {
  const char *box, *all, *list, *search;
};

struct TListChoice {
  QGroupBox *box = nullptr;
  QRadioButton *all = nullptr, *list = nullptr;
  TBtnPesquisa *search = nullptr;
};

// `spokenName` names the search button for assistive technology ("Pesquisar grupos").
TListChoice BuildListChoice(QWidget *parent, const QString &title, const TListChoiceNames &names, TDataSource *source,
                            const QString &spokenName);

// The check of a list before it is used: with "Lista" chosen and nothing picked, shows the
// message as an error, puts the focus on the "Lista" choice and ends the running operation.
void CheckListChoice(const TListChoice &choice, const QString &list, const QString &message);
