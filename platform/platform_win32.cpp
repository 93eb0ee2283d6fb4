// Windows: the ANSI file functions and the platform's file search.
#include "platform/platform.h"

#include <cstring>
#include <string>

#include <windows.h>

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

// Temporary files are named "<file>.ambrel-<process>-<attempt>.tmp", a
// pattern no other program uses, so that leftovers can be recognised.
constexpr std::string_view TemporaryMark = ".ambrel-";
constexpr std::string_view TemporaryExtension = ".tmp";

bool IsDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// File names compare without regard to ASCII case (_strnicmp in the "C"
// locale, which the program never changes).
bool HasPrefixIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && _strnicmp(text.data(), prefix.data(), prefix.size()) == 0;
}

// Whether name is one that CreateTemporaryBeside gives a temporary file of
// the file called target.
bool IsTemporaryNameOf(std::string_view name, std::string_view target) {
    const std::string prefix = std::string(target) + std::string(TemporaryMark);
    if (!HasPrefixIgnoringCase(name, prefix) || name.size() < prefix.size() + TemporaryExtension.size() ||
        !HasPrefixIgnoringCase(name.substr(name.size() - TemporaryExtension.size()), TemporaryExtension)) {
        return false;
    }
    std::string_view numbers = name.substr(prefix.size(), name.size() - prefix.size() - TemporaryExtension.size());
    const std::size_t dash = numbers.find('-');
    return dash != std::string_view::npos && IsDigits(numbers.substr(0, dash)) &&
           IsDigits(numbers.substr(dash + 1));
}

// Creates a new temporary file beside path, under a name no other file has.
HANDLE CreateTemporaryBeside(const std::string& path, DWORD attributes, std::string& temporary) {
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        temporary = path + std::string(TemporaryMark) + std::to_string(GetCurrentProcessId()) + "-" +
                    std::to_string(attempt) + std::string(TemporaryExtension);
        HANDLE handle = CreateFileA(temporary.c_str(), GENERIC_WRITE | WRITE_DAC, 0, nullptr, CREATE_NEW,
                                    attributes ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return handle;
    }
    return INVALID_HANDLE_VALUE;
}

// Removes the temporary files that interrupted replacements of target left
// beside it. A file some process still holds open (as a replacement in
// progress holds its own) cannot be deleted and is left alone.
void RemoveLeftoversBeside(const std::string& target) {
    const std::size_t nameStart = target.find_last_of('\\') + 1;
    const std::string folder = target.substr(0, nameStart);
    const std::string_view name = std::string_view(target).substr(nameStart);
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((target + std::string(TemporaryMark) + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!(entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) &&
            IsTemporaryNameOf(entry.cFileName, name)) {
            DeleteFileA((folder + entry.cFileName).c_str());
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

// The path GetFinalPathNameByHandle gives, as the ANSI functions take it:
// without the "\\?\" prefix, and only when every character has an exact
// ANSI spelling (a best-fit spelling could name another file).
SystemErrorCode FinalPathOf(HANDLE file, std::string& path) {
    std::wstring wide(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetFinalPathNameByHandleW(file, wide.data(), static_cast<DWORD>(wide.size()),
                                                 FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) return GetLastError();
        if (length < wide.size()) {
            wide.resize(length);
            break;
        }
        wide.resize(length);
    }
    if (wide.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        wide.replace(0, 8, L"\\\\");
    } else if (wide.rfind(L"\\\\?\\", 0) == 0) {
        wide.erase(0, 4);
    }
    return SpellInCodePage(GetACP(), wide, path) ? 0 : ERROR_NO_UNICODE_TRANSLATION;
}

// The file that path names, symbolic links followed: the path itself when
// nothing exists there yet. A link to a missing file gives
// ERROR_FILE_NOT_FOUND: it is neither followed nor replaced.
SystemErrorCode ResolveLinks(const std::string& path, std::string& target) {
    constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    FileHandle file(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, ShareAll, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.IsValid()) return FinalPathOf(file.Get(), target);
    DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) return error;
    // Nothing opens under the name, yet a link to a missing file may hold
    // it (Windows lists such a link, Wine does not show it at all): creating
    // a file there then finds the name taken.
    FileHandle probe(CreateFileA(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                 FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!probe.IsValid()) {
        error = GetLastError();
        return error == ERROR_FILE_EXISTS ? ERROR_FILE_NOT_FOUND : error;
    }
    target = path;
    return 0;
}

// Gives the temporary file, open as file, the access rights of the file it
// replaces. A file system without access rights has none to give.
SystemErrorCode CopyAccessRights(const std::string& from, HANDLE file) {
    DWORD size = 0;
    GetFileSecurityA(from.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
    if (size == 0) return 0;
    std::string descriptor(size, '\0');
    if (!GetFileSecurityA(from.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), size, &size)) return 0;
    return SetKernelObjectSecurity(file, DACL_SECURITY_INFORMATION, descriptor.data()) ? 0 : GetLastError();
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

// Moves the temporary file over the original in one rename. (ReplaceFile is
// not used: Wine's deletes the original before it moves the new file in, so a
// failure or a crash in between would lose the file.)
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

std::string PathInFolder(const std::string& folder, std::string_view name) {
    std::string path = folder;
    path += '\\';
    path += name;
    return path;
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
    std::string target;
    if (SystemErrorCode error = ResolveLinks(path, target)) return error;
    WIN32_FILE_ATTRIBUTE_DATA existing{};
    const bool exists = GetFileAttributesExA(target.c_str(), GetFileExInfoStandard, &existing) != FALSE;
    if (exists && (existing.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
        return ERROR_ACCESS_DENIED;
    }
    RemoveLeftoversBeside(target);

    constexpr DWORD KeptAttributes =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    std::string temporary;
    if (SystemErrorCode error = InjectedFault(WriteStep::CreateTemporary)) return error;
    FileHandle file(CreateTemporaryBeside(target, exists ? existing.dwFileAttributes & KeptAttributes : 0,
                                          temporary));
    if (!file.IsValid()) return GetLastError();

    SystemErrorCode error = InjectedFault(WriteStep::Write);
    if (!error) error = WriteAll(file.Get(), bytes);
    if (!error && exists && !SetFileTime(file.Get(), &existing.ftCreationTime, nullptr, nullptr)) {
        error = GetLastError();
    }
    if (!error && exists) error = CopyAccessRights(target, file.Get());
    if (!error) error = InjectedFault(WriteStep::Flush);
    if (!error && !FlushFileBuffers(file.Get())) error = GetLastError();
    SystemErrorCode closeError = InjectedFault(WriteStep::Close);
    if (!file.Close() && !closeError) closeError = GetLastError();
    if (!error) error = closeError;
    if (!error) error = InjectedFault(WriteStep::Replace);
    if (!error) error = MoveOver(temporary, target);
    if (error) DeleteFileA(temporary.c_str());
    return error;
}

void SetWriteFaultHook(WriteFaultHook hook) {
    faultHook = hook;
}

void ListDataFilesEntries(const std::string& pattern,
                          const std::function<bool(const DataFilesEntry& entry)>& visit) {
    // The wide search: the 8-bit one hands over names the code page cannot
    // hold with stand-in letters, which name no file.
    AnsiEntryNamer namer(GetACP());
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(WidenFromCodePage(GetACP(), pattern).c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!visit(namer.Name(entry.cFileName, entry.cAlternateFileName))) break;
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

FileStartResult ReadFileStart(const std::string& path,
                              const std::function<std::size_t(std::uint64_t size, std::string_view piece)>& take) {
    FileStartResult result;
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) {
        result.error = GetLastError();
        // A folder does not open as a file (access is denied); only then is
        // it worth asking what the entry is.
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            result.status = FileStartStatus::Folder;
            result.error = 0;
        }
        return result;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size)) {
        result.error = GetLastError();
        return result;
    }
    std::string piece;
    for (std::size_t wanted = take(static_cast<std::uint64_t>(size.QuadPart), {}); wanted > 0;
         wanted = take(static_cast<std::uint64_t>(size.QuadPart), piece)) {
        piece.resize(wanted);
        DWORD got = 0;
        for (std::size_t filled = 0; filled < wanted; filled += got) {
            if (!ReadFile(file.Get(), piece.data() + filled, static_cast<DWORD>(wanted - filled), &got, nullptr)) {
                result.error = GetLastError();
                return result;
            }
            if (got == 0) {
                piece.resize(filled);
                break;
            }
        }
    }
    result.status = FileStartStatus::Read;
    return result;
}
