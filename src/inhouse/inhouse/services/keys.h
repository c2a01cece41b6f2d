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

// True when the key event is exactly `key` with exactly `modifiers` (keypad flag ignored).
INHOUSE_EXPORT bool IsKey(const QKeyEvent *event, int key, int modifiers = 0);
INHOUSE_EXPORT bool HasCtrl(const QKeyEvent *event);
