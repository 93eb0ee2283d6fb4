#include "app/install_lookup.h"

#include <cstring>

#include <windows.h>

#include "core/install_path.h"
#include "platform/platform.h"

bool LookUpInstallation() {
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

    std::size_t length = strnlen(value, size < PathCapacity ? size : PathCapacity);
    if (length == 0 || length > PathCapacity - 1) return false;
    InstallPath.assign(value, length);
    if (!LocateIniFile() || !ComposeDataFilesPattern()) {
        InstallPath.clear();
        return false;
    }
    return true;
}
