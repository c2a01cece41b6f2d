#pragma once
// Names for assistive technology. A screen reader says a control's accessible name; flat
// buttons, toggles and text fields of the component set have none of their own (the hint is
// only a tool tip), so each window names its controls once its texts are final.
#include <inhouse/inhouse_export.h>

#include <QString>

class QWidget;

// The name a screen reader should say for the control: its hint (tool tip), else its caption,
// else the text of the label that names it (QLabel::setBuddy). Empty when it has none of them.
// A table's corner button is "Selecionar tudo".
INHOUSE_EXPORT QString AccessibleNameFor(const QWidget *control);

// Gives every control of the window that the user can focus or click, and that has no
// accessible name yet, the name AccessibleNameFor finds. Names set explicitly are kept.
INHOUSE_EXPORT void NameControls(QWidget *window);

// Whether the user can reach the control: it takes the focus or it can be clicked.
INHOUSE_EXPORT bool IsInteractiveControl(const QWidget *control);

// Makes assistive technology present the form as what it is: a dialog with its title while it
// is a window of its own, a window with its title while it sits inside another (an MDI child).
// A plain QWidget form would otherwise be an anonymous panel, and a screen reader would not say
// that a window opened.
INHOUSE_EXPORT void PresentAsWindow(QWidget *form);
