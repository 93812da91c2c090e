#pragma once
// Input as a user gives it. Mouse and keyboard events enter Qt where the window system's do, at
// the window, and Qt delivers them as it delivers real input: to the widget under the pointer
// (so a covered control is not reached), to the focus widget, through shortcuts and popups, and
// not at all to windows that a modal dialog blocks.

#include <QPoint>
#include <QString>
#include <Qt>

#include <optional>
#include <string>

class QWidget;

struct TKeyStroke
{
    Qt::Key Key = Qt::Key_unknown;
    Qt::KeyboardModifiers Modifiers;
};

// Up, Down, Left, Right, Home, End, PageUp, PageDown, Enter, Escape, Tab, Space, Backspace, Delete,
// F1 to F12, a letter or digit, each optionally after modifiers "Alt+", "Ctrl+" and "Shift+".
std::optional<TKeyStroke> ParseKeyName(const std::string& Name);

// A point of Widget, in its own coordinates, where a click reaches it: Preferred (default: the
// centre) when it lies there, else the first point of a grid over the widget that does. Nothing
// when the widget is not shown or entirely covered.
std::optional<QPoint> HitPoint(QWidget* Widget, std::optional<QPoint> Preferred = std::nullopt);

// Left-button click and double-click at Local, a point of Widget.
void MouseClick(QWidget* Widget, QPoint Local);
void MouseDoubleClick(QWidget* Widget, QPoint Local);

// Gives Widget the keyboard focus as Tab would, activating its window first.
void FocusWidget(QWidget* Widget);

// Presses and releases a key in Widget's window; the window's focus widget (or its open popup)
// receives it.
void PressKey(QWidget* Widget, TKeyStroke Stroke);

// Types Text character by character into Widget's window.
void TypeText(QWidget* Widget, const QString& Text);

// Processes the events that input and painting have left pending.
void SettleEvents();
