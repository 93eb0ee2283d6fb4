// The program's window: what an update will register and remove, and the
// commands to update, cancel or read about the program.
#pragma once

#include <windows.h>

// Reconciles while the dialog is created and ends it unseen when nothing is
// to change. Ends with 1 after an update, 2 otherwise.
INT_PTR CALLBACK MainDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
