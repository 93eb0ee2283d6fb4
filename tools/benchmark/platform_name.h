// The platform a Windows benchmark program runs on, as its RESULT lines name
// it: "wine" or "windows".
#pragma once

#include <windows.h>

inline const char* PlatformName() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") ? "wine" : "windows";
}
