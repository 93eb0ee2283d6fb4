// The plain way to show what Ambrel's main dialog shows, as a yardstick for
// its start-up and update: the same dialog template, the archives of
// Data Files (scan order, every other name to each list, morrowind.bsa left
// out) added one by one with LB_ADDSTRING to the two sorted list boxes, whose
// handles are fetched once; Update shows one message box and ends. It reads
// no INI file and writes nothing.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "resource.h"

namespace {

std::wstring InstalledPath() {
    wchar_t path[MAX_PATH] = L"";
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Bethesda Softworks\\Morrowind", 0,
                      KEY_READ | KEY_WOW64_32KEY, &key) == ERROR_SUCCESS) {
        DWORD size = sizeof path - sizeof path[0];
        RegQueryValueExW(key, L"Installed Path", nullptr, nullptr, reinterpret_cast<BYTE*>(path), &size);
        RegCloseKey(key);
    }
    return path;
}

void FillLists(HWND dialog) {
    const HWND lists[] = {GetDlgItem(dialog, IDC_NEW_ARCHIVES), GetDlgItem(dialog, IDC_REMOVED_ARCHIVES)};
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((InstalledPath() + L"\\Data Files\\*.bsa").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    unsigned count = 0;
    do {
        if (lstrcmpiW(entry.cFileName, L"morrowind.bsa") == 0) continue;
        SendMessageW(lists[count++ % 2], LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.cFileName));
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

INT_PTR CALLBACK BareDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) noexcept {
    switch (message) {
    case WM_INITDIALOG:
        FillLists(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            MessageBoxW(dialog, L"Updated", L"Ambrel", MB_OK | MB_ICONINFORMATION);
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, BareDialog, 0);
    return 0;
}
