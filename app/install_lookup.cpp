#include "app/install_lookup.h"

#include <cstring>
#include <vector>

#include <windows.h>

#include "core/install_path.h"
#include "platform/ansi_names_win32.h"
#include "platform/platform.h"

namespace {

// Whether the entry of the folder exists and is a folder, or a file when
// folder is false. The file system's own lookup, which ignores the case of
// letters on Windows and under Wine.
bool HasEntry(const std::wstring& folder, const wchar_t* name, bool isFolder) {
    const DWORD attributes = GetFileAttributesW((folder + L'\\' + name).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    return ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == isFolder;
}

// InstallPath becomes path. False, leaving InstallPath empty, when the path
// is empty or the paths built from it would not fit.
bool TakeInstallPath(std::string path) {
    if (path.empty() || path.size() > PathCapacity - 1) return false;
    InstallPath = std::move(path);
    if (!LocateIniFile() || !ComposeDataFilesPattern()) {
        InstallPath.clear();
        return false;
    }
    return true;
}

// InstallPath becomes folder, spelt in the ANSI code page that the game and
// the program's 8-bit file functions read paths in; false when the code page
// cannot spell it exactly or it does not fit.
bool UseFolder(const std::wstring& folder) {
    std::string spelled;
    return SpellInCodePage(GetACP(), folder, spelled) && TakeInstallPath(std::move(spelled));
}

// The folder that holds the running executable; empty when its path does not
// fit the buffer.
std::wstring ProgramFolder() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            std::wstring file(path.data(), length);
            const std::wstring::size_type separator = file.find_last_of(L"\\/");
            return separator == std::wstring::npos ? std::wstring() : file.substr(0, separator);
        }
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

bool LookUpProgramFolder() {
    const std::wstring folder = ProgramFolder();
    if (folder.empty()) return false;
    if (!HasEntry(folder, L"Morrowind.exe", false) || !HasEntry(folder, L"Data Files", true)) return false;
    return UseFolder(folder);
}

// The whole path of the folder, as the system resolves it against the
// current folder; empty when it cannot.
std::wstring WholePathOf(const std::wstring& folder) {
    const DWORD size = GetFullPathNameW(folder.c_str(), 0, nullptr, nullptr);
    if (size == 0) return {};
    std::wstring whole(size, L'\0');
    const DWORD length = GetFullPathNameW(folder.c_str(), size, whole.data(), nullptr);
    if (length == 0 || length >= size) return {};
    whole.resize(length);
    return whole;
}

} // namespace

LookupStatus LookUpInstallation() {
    if (LookUpProgramFolder() || LookUpRegisteredInstallation()) return LookupStatus::Found;
    return LookupStatus::NoInstallation;
}

LookupStatus LookUpInstallationIn(const std::wstring& folder) {
    const std::wstring whole = WholePathOf(folder);
    if (whole.empty()) return LookupStatus::FolderMissing;
    const DWORD attributes = GetFileAttributesW(whole.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return LookupStatus::FolderMissing;
    }
    if (!HasEntry(whole, L"morrowind.ini", false) && !HasEntry(whole, L"Data Files", true)) {
        return LookupStatus::NotAnInstallation;
    }
    return UseFolder(whole) ? LookupStatus::Found : LookupStatus::FolderUnusable;
}

bool LookUpRegisteredInstallation() {
    HKEY key = nullptr;
    // The game's installer is 32-bit and writes the 32-bit view of the
    // registry, which a 64-bit program only sees when it asks for it.
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Bethesda Softworks\\Morrowind", 0,
                      KEY_READ | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS) {
        return false;
    }
    // One byte beyond the capacity stays zero, so a value that fills the
    // whole capacity without a terminator still ends somewhere and is seen to
    // be too long.
    char value[PathCapacity + 1] = {};
    DWORD type = REG_NONE;
    DWORD size = PathCapacity;
    LONG status = RegQueryValueExA(key, "Installed Path", nullptr, &type,
                                   reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ) return false;

    return TakeInstallPath(std::string(value, strnlen(value, size < PathCapacity ? size : PathCapacity)));
}
