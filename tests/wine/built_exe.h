// The path of the built ambrel.exe that a Windows test checks.
#pragma once

#include <cstdlib>
#include <string>

namespace ambrel_test {

// AMBREL_EXE as ctest hands it over, a Unix path, made a Windows one: under
// Wine the Unix root is drive Z:. Empty when the variable is not set.
inline std::wstring BuiltExePath() {
    const char* value = std::getenv("AMBREL_EXE");
    if (value == nullptr) return {};
    std::wstring path;
    if (value[0] == '/') path = L"Z:";
    for (const char* p = value; *p != '\0'; ++p) path.push_back(*p == '/' ? L'\\' : static_cast<wchar_t>(*p));
    return path;
}

} // namespace ambrel_test
