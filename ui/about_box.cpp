#include "ui/about_box.h"

INT_PTR CALLBACK AboutBox(HWND dialog, UINT message, WPARAM wParam, LPARAM) noexcept {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        // Escape sends IDCANCEL, which is deliberately not handled.
        if (LOWORD(wParam) == IDOK) {
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}
