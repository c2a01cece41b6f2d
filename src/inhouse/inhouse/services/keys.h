#pragma once
// Key preview: a window sees every key press aimed at any of its widgets before that widget.
#include <inhouse/inhouse_export.h>

#include <functional>

class QKeyEvent;
class QObject;
class QWidget;

// The handler returns true to swallow the key. It runs guarded: an EAbort swallows the key
// silently, any other exception is reported and swallows it too. Removed with the form.
INHOUSE_EXPORT QObject *InstallKeyPreview(QWidget *form, std::function<bool(QKeyEvent *)> handler);

// Menu short-cuts are matched before any widget sees their key. For keys aimed at the form:
// when `takesKey` (may be empty) answers true, the key is claimed and arrives as a key press at
// the form's key preview instead of also triggering a menu item; otherwise a short-cut of one of
// the form's own enabled, visible actions comes before the focused control's own use of the key
// (a line edit would keep Ctrl+Home for itself). `takesKey` runs guarded. Removed with the form.
INHOUSE_EXPORT QObject *InstallShortcutClaim(QWidget *form, std::function<bool(const QKeyEvent *)> takesKey);

// True when the key event is exactly `key` with exactly `modifiers` (keypad flag ignored).
INHOUSE_EXPORT bool IsKey(const QKeyEvent *event, int key, int modifiers = 0);
INHOUSE_EXPORT bool HasCtrl(const QKeyEvent *event);
