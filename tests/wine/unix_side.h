// The Unix side of files, for Windows tests that run under Wine: the Unix
// path Wine maps a Windows path to, and shell commands run there (links made
// with ln, modes set with chmod and read with stat), as players and their
// tools make and see them.
#pragma once

#include <windows.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace unix_side {

inline std::wstring Widen(const std::string& utf8) {
    std::wstring wide(utf8.size(), L'\0');
    const int length = utf8.empty() ? 0
                                    : MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                                          wide.data(), static_cast<int>(wide.size()));
    wide.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return wide;
}

// The Unix path (UTF-8) Wine maps a Windows path to; empty when there is
// none or this is not Wine.
inline std::string UnixPathOf(const std::wstring& path) {
    using ToUnix = char*(CDECL*)(const WCHAR*);
    auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return {};
    char* unixPath = toUnix(path.c_str());
    if (!unixPath) return {};
    std::string result = unixPath;
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

// Text quoted for the shell.
inline std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs command (UTF-8) with /bin/sh and returns what it wrote to its
// standard output and error, or nothing when it could not be started or did
// not finish within ten seconds. Wine does not wait for a Unix process, so
// the command writes a mark file when it has finished.
inline std::optional<std::string> Run(const std::string& command) {
    wchar_t folder[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) return std::nullopt;
    static unsigned serial = 0;
    const std::wstring base = std::wstring(folder, length) + L"unix-side-" + std::to_wstring(GetCurrentProcessId()) +
                              L"-" + std::to_wstring(++serial);
    const std::wstring output = base + L".out";
    const std::wstring done = base + L".done";
    const std::string script = "(" + command + ") >" + Quoted(UnixPathOf(output)) + " 2>&1; : >" +
                               Quoted(UnixPathOf(done));
    std::wstring line = L"/bin/sh -c \"" + Widen(script) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return std::nullopt;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int wait = 0; wait < 1000; ++wait) {
        if (DeleteFileW(done.c_str())) {
            std::ifstream in(output.c_str(), std::ios::binary);
            std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            in.close();
            DeleteFileW(output.c_str());
            return text;
        }
        Sleep(10);
    }
    return std::nullopt;
}

inline std::string Utf8(const std::wstring& text) {
    std::string bytes(text.size() * 4, '\0');
    const int size = text.empty() ? 0
                                  : WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                        bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                                        nullptr);
    bytes.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
    return bytes;
}

// The Unix path of path's folder, joined to path's name as it is spelled:
// for an entry to be made, or one that Wine would take for another entry
// of its folder spelled in another case.
inline std::string UnixPathAsSpelled(const std::wstring& path) {
    const std::size_t nameStart = path.find_last_of(L'\\') + 1;
    const std::string folder = UnixPathOf(path.substr(0, nameStart));
    if (folder.empty()) return {};
    return folder + (folder.back() == '/' ? "" : "/") + Utf8(path.substr(nameStart));
}

// Makes link (a Windows path) a Unix symbolic link holding target (UTF-8)
// as its text.
inline bool MakeLink(const std::string& target, const std::wstring& link) {
    const std::string unixLink = UnixPathAsSpelled(link);
    if (unixLink.empty()) return false;
    const std::optional<std::string> output = Run("ln -s " + Quoted(target) + " " + Quoted(unixLink));
    return output && output->empty();
}

// Removes the Unix entry at path (a link, or a file).
inline bool Remove(const std::wstring& path) {
    const std::string unixPath = UnixPathAsSpelled(path);
    if (unixPath.empty()) return false;
    const std::optional<std::string> output = Run("rm -f " + Quoted(unixPath));
    return output && output->empty();
}

// Sets the permission bits of path, given in octal ("640").
inline bool SetMode(const std::wstring& path, const std::string& mode) {
    const std::optional<std::string> output = Run("chmod " + mode + " " + Quoted(UnixPathOf(path)));
    return output && output->empty();
}

// Gives path to another Unix user and group; needs root.
inline bool SetOwner(const std::wstring& path, unsigned id) {
    const std::optional<std::string> output =
        Run("chown " + std::to_string(id) + ":" + std::to_string(id) + " " + Quoted(UnixPathOf(path)));
    return output && output->empty();
}

// The permission bits of path in octal ("644"), as stat shows them; empty
// when they cannot be read.
inline std::string ModeOf(const std::wstring& path) {
    std::optional<std::string> output = Run("stat -c %a " + Quoted(UnixPathOf(path)));
    if (!output) return {};
    while (!output->empty() && (output->back() == '\n' || output->back() == '\r')) output->pop_back();
    return *output;
}

// Whether the test runs as root on the Unix side, which changing a file's
// owner needs.
inline bool IsRoot() {
    const std::optional<std::string> output = Run("id -u");
    return output && *output == "0\n";
}

}  // namespace unix_side
