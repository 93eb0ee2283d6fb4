// The plain way to show what Ambrel's main dialog shows, as a yardstick for
// its start-up and update: the same dialog template, the archives of
// Data Files (scan order, every other name to each list, morrowind.bsa left
// out), each opened and its header and records read as a check of it must
// read them, added one by one with LB_ADDSTRING to the two sorted list
// boxes, whose handles are fetched once; Update shows one message box and
// ends. It reads no INI file and writes nothing.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
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

// Reads the archive's 12-byte header, then the 8-byte record of each file
// it counts, as far as the file holds them; nothing is checked.
void ReadArchiveStart(const std::wstring& path, std::string& buffer) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    LARGE_INTEGER size;
    unsigned char header[12];
    DWORD got = 0;
    if (GetFileSizeEx(file, &size) && size.QuadPart >= 12 && ReadFile(file, header, 12, &got, nullptr) && got == 12) {
        const ULONGLONG count = header[8] | header[9] << 8 | header[10] << 16 | static_cast<ULONGLONG>(header[11]) << 24;
        const ULONGLONG records = std::min<ULONGLONG>(8 * count, static_cast<ULONGLONG>(size.QuadPart) - 12);
        buffer.resize(static_cast<std::size_t>(std::min<ULONGLONG>(records, 65536)));
        ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr);
    }
    CloseHandle(file);
}

void FillLists(HWND dialog) {
    const HWND lists[] = {GetDlgItem(dialog, IDC_NEW_ARCHIVES), GetDlgItem(dialog, IDC_REMOVED_ARCHIVES)};
    const std::wstring folder = InstalledPath() + L"\\Data Files\\";
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"*.bsa").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    unsigned count = 0;
    std::string buffer;
    do {
        if (lstrcmpiW(entry.cFileName, L"morrowind.bsa") == 0) continue;
        ReadArchiveStart(folder + entry.cFileName, buffer);
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
