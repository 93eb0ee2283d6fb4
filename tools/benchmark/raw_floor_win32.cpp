#include "raw_floor.h"

#include <windows.h>

#include "file_search_win32.h"

namespace {

class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { Close(); }
    bool IsValid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    bool Close() {
        if (!IsValid()) return true;
        BOOL closed = CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return closed != FALSE;
    }

private:
    HANDLE handle_;
};

} // namespace

std::string FloorReadFile(const std::string& path) {
    std::string bytes;
    Handle file(CreateFileA(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    return bytes;
}

std::vector<std::string> FloorListFolder(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    FileSearch search(folder + "\\*.bsa", entry);
    if (!search.Found()) return names;
    do {
        names.emplace_back(entry.cFileName);
    } while (search.Next(entry));
    return names;
}

bool FloorReplaceFile(const std::string& path, std::string_view bytes) {
    std::string temporary = path + ".floor";
    Handle file(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    DWORD written = 0;
    bool ok = WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    ok = FlushFileBuffers(file.Get()) && ok;
    ok = file.Close() && ok;
    ok = ok && MoveFileExA(temporary.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileA(temporary.c_str());
    return ok;
}
