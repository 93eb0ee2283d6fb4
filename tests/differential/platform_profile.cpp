#include "tests/differential/platform_profile.h"

#include <windows.h>

#include <stdexcept>

#include "core/ini_file.h"

namespace {

// Lists come back as NUL-terminated strings ending in an empty one. The
// buffer is large enough for any file the tests make; a full one is an
// error rather than a silently short list.
constexpr DWORD ListCapacity = 1 << 20;

std::vector<std::string> SplitList(const std::vector<char>& buffer, DWORD length) {
    if (length + 2 >= buffer.size()) throw std::runtime_error("profile list does not fit");
    std::vector<std::string> items;
    for (const char* p = buffer.data(); *p; p += items.back().size() + 1) items.emplace_back(p);
    return items;
}

std::vector<char>& ListBuffer() {
    static std::vector<char> buffer(ListCapacity);
    return buffer;
}

} // namespace

std::optional<std::string> PlatformReadValue(const std::string& path, const std::string& section,
                                             const std::string& key) {
    char buffer[IniValueCapacity];
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "\x01", buffer, sizeof buffer,
                             path.c_str());
    if (std::string(buffer) == "\x01") return std::nullopt;
    return buffer;
}

std::vector<std::string> PlatformKeyNames(const std::string& path, const std::string& section) {
    std::vector<char>& buffer = ListBuffer();
    DWORD length = GetPrivateProfileStringA(section.c_str(), nullptr, "", buffer.data(),
                                            ListCapacity, path.c_str());
    return SplitList(buffer, length);
}

PlatformView PlatformReadEverything(const std::string& path) {
    std::vector<char>& buffer = ListBuffer();
    DWORD length = GetPrivateProfileSectionNamesA(buffer.data(), ListCapacity, path.c_str());
    PlatformView view;
    for (const std::string& section : SplitList(buffer, length)) {
        length = GetPrivateProfileSectionA(section.c_str(), buffer.data(), ListCapacity, path.c_str());
        // A later section of the same name reads as the first.
        view.emplace(section, SplitList(buffer, length));
    }
    return view;
}
