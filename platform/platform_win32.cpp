// Windows: the game's own paths, the ANSI file functions and the platform's
// file search.
#include "platform/platform.h"

#include <string>

#include <windows.h>

#include "core/install_path.h"
#include "platform/ansi_names_win32.h"

const SystemErrorCode PathTooLongError = ERROR_FILENAME_EXCED_RANGE;

namespace {

WriteFaultHook faultHook = nullptr;

SystemErrorCode InjectedFault(WriteStep step) {
    return faultHook ? faultHook(step) : 0;
}

// A sharing lock held for a moment by an indexer or a virus scanner is
// common; such failures are retried for about a second before giving up.
bool IsTransientLock(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_ACCESS_DENIED;
}

constexpr int LockRetries = 20;
constexpr DWORD LockRetryDelayMs = 50;

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { Close(); }
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

// Creates a new temporary file beside path, under a name no other file has.
HANDLE CreateTemporaryBeside(const std::string& path, std::string& temporary) {
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        temporary = path + ".ambrel-" + std::to_string(GetCurrentProcessId()) + "-" +
                    std::to_string(attempt) + ".tmp";
        HANDLE handle = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return handle;
    }
    return INVALID_HANDLE_VALUE;
}

SystemErrorCode WriteAll(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD chunk = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data(), chunk, &written, nullptr)) return GetLastError();
        bytes.remove_prefix(written);
    }
    return 0;
}

SystemErrorCode MoveOver(const std::string& temporary, const std::string& path) {
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExA(temporary.c_str(), path.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return 0;
        }
        DWORD error = GetLastError();
        if (!IsTransientLock(error) || attempt + 1 >= LockRetries) return error;
        Sleep(LockRetryDelayMs);
    }
}

} // namespace

std::optional<std::string> LocateIniFile() {
    return ComposeInstallPath("\\morrowind.ini");
}

FileReadResult ReadWholeFile(const std::string& path) {
    FileReadResult result;
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return result;
        result.status = FileReadStatus::Failed;
        result.error = error;
        return result;
    }
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr)) {
            result.status = FileReadStatus::Failed;
            result.error = GetLastError();
            result.bytes.clear();
            return result;
        }
        if (got == 0) break;
        result.bytes.append(buffer, got);
    }
    result.status = FileReadStatus::Read;
    return result;
}

SystemErrorCode ReplaceFileContents(const std::string& path, std::string_view bytes) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
        return ERROR_ACCESS_DENIED;
    }

    std::string temporary;
    if (SystemErrorCode error = InjectedFault(WriteStep::CreateTemporary)) return error;
    FileHandle file(CreateTemporaryBeside(path, temporary));
    if (!file.IsValid()) return GetLastError();

    SystemErrorCode error = InjectedFault(WriteStep::Write);
    if (!error) error = WriteAll(file.Get(), bytes);
    if (!error) error = InjectedFault(WriteStep::Flush);
    if (!error && !FlushFileBuffers(file.Get())) error = GetLastError();
    SystemErrorCode closeError = InjectedFault(WriteStep::Close);
    if (!file.Close() && !closeError) closeError = GetLastError();
    if (!error) error = closeError;
    if (!error) error = InjectedFault(WriteStep::Replace);
    if (!error) error = MoveOver(temporary, path);
    if (error) DeleteFileA(temporary.c_str());
    return error;
}

void SetWriteFaultHook(WriteFaultHook hook) {
    faultHook = hook;
}

std::optional<std::string> ComposeDataFilesPattern() {
    return ComposeInstallPath("\\Data Files\\*.bsa");
}

bool ListDataFilesEntries(const std::function<bool(const DataFilesEntry& entry)>& visit) {
    std::optional<std::string> pattern = ComposeDataFilesPattern();
    if (!pattern) return false;
    // The wide search: the 8-bit one hands over names the code page cannot
    // hold with stand-in letters, which name no file.
    AnsiEntryNamer namer(GetACP());
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(WidenFromCodePage(GetACP(), *pattern).c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return true;
    do {
        if (!visit(namer.Name(entry.cFileName, entry.cAlternateFileName))) break;
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return true;
}
