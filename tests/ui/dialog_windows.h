// Reading and driving another process's dialogs: the windows themselves,
// their controls, list boxes and message boxes, and the input a user gives.
//
// Texts are read with the wide messages, so they come back as the UTF-16
// the dialog holds whatever this process's code page.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/ui/dialog_units.h"
#include "tests/ui/message_icon.h"

namespace ambrel_test {

// The program's windows are all dialogs (#32770): its two own and the
// message boxes. A message box carries its text in a static control with
// the id 0xFFFF; the main dialog is the one with the list of new archives.
enum class DialogKind { Main, About, MessageBox };

constexpr int MainNewList = 1001;
constexpr int MainRemovedList = 1002;
constexpr int MainAboutButton = 1003;
constexpr int MessageBoxTextId = 0xFFFF;

// The top-level dialogs of a process, visible or not.
std::vector<HWND> DialogsOf(DWORD processId);
DialogKind KindOf(HWND dialog);

std::wstring WindowText(HWND window);
std::wstring ClassOf(HWND window);

struct Control {
    HWND window;
    int id;
    std::wstring windowClass;
    std::wstring text;
    DWORD style;
    DWORD exStyle;
    DluRect rect;  // in the dialog's client area
};

// The controls in creation order, which the dialog manager keeps as their
// z-order.
std::vector<Control> ControlsOf(HWND dialog, const DialogUnits& units);

// The client area's size in dialog units.
DluRect ClientUnits(HWND dialog, const DialogUnits& units);

std::vector<std::wstring> ListItems(HWND list);

// Presses a button as a click would. Posted, not sent: the click may start
// a modal loop (a message box, the About box) that a sent message would
// wait for.
void Click(HWND button);

// Real keystrokes, through the system's input queue to the window after it
// was brought to the foreground. False when the window did not get there.
enum class Key { Enter, Escape, AltF4 };
bool PressKey(HWND window, Key key);

// Returns once the window's thread has handled the input queued so far, so
// that a check that the input changed nothing is not made too early.
void LetInputSettle(HWND window);

struct MessageBoxContent {
    std::wstring caption;
    std::wstring text;
    HWND owner;
    std::vector<int> buttons;  // the ids of its buttons
    MessageIcon icon;
};

MessageBoxContent ReadMessageBox(HWND box);

}  // namespace ambrel_test
