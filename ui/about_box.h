// The About box: the program's name, version and what it does.
#pragma once

#include <windows.h>

// Closes with OK (or Enter) only.
INT_PTR CALLBACK AboutBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
