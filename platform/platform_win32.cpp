// Windows: the file functions and the platform's file search. Paths come in
// the ANSI code page, as the game's 8-bit functions take them; a file is
// read through the 8-bit functions like the game reads it, and replaced
// through the wide ones, from the path widened as the 8-bit functions widen
// it, so that no path a link leads to needs a spelling in the code page.
#include "platform/platform.h"

#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>

#include "platform/ansi_names_win32.h"
#include "platform/replace_file_win32.h"

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
constexpr std::wstring_view TemporaryMark = L".ambrel-";
constexpr std::wstring_view TemporaryExtension = L".tmp";

constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool IsDigits(std::wstring_view text) {
    return !text.empty() && text.find_first_not_of(L"0123456789") == std::wstring_view::npos;
}

// File names compare without regard to case, as the file system compares
// them.
bool HasPrefixIgnoringCase(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() &&
           CompareStringOrdinal(text.data(), static_cast<int>(prefix.size()), prefix.data(),
                                static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

// Where the name of the file that path names starts.
std::size_t NameStart(std::wstring_view path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring_view::npos ? 0 : separator + 1;
}

// Whether name is one that CreateTemporaryBeside gives a temporary file of
// the file called target.
bool IsTemporaryNameOf(std::wstring_view name, std::wstring_view target) {
    const std::wstring prefix = std::wstring(target) + std::wstring(TemporaryMark);
    if (!HasPrefixIgnoringCase(name, prefix) || name.size() < prefix.size() + TemporaryExtension.size() ||
        !HasPrefixIgnoringCase(name.substr(name.size() - TemporaryExtension.size()), TemporaryExtension)) {
        return false;
    }
    std::wstring_view numbers = name.substr(prefix.size(), name.size() - prefix.size() - TemporaryExtension.size());
    const std::size_t dash = numbers.find(L'-');
    return dash != std::wstring_view::npos && IsDigits(numbers.substr(0, dash)) &&
           IsDigits(numbers.substr(dash + 1));
}

// Under Wine a file's access rights are its Unix mode.
bool RightsAreUnixMode() {
    static const bool underWine =
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name") != nullptr;
    return underWine;
}

// The access list the file at path is to keep through its replacement (see
// AccessListToKeep); empty when there is none or it cannot be read.
std::vector<unsigned char> AccessListOf(const std::wstring& path) {
    DWORD size = 0;
    GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
    if (size == 0) return {};
    std::vector<unsigned char> descriptor(size);
    if (!GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), size, &size)) return {};
    return AccessListToKeep(descriptor.data(), RightsAreUnixMode());
}

HANDLE CreateNewFile(const std::wstring& path, DWORD attributes, std::vector<unsigned char>& accessList) {
    SECURITY_ATTRIBUTES security{sizeof security, accessList.data(), FALSE};
    // Never WRITE_DAC: the list goes with the creation, which needs no right
    // to change it. DELETE lets the file be renamed and deleted through this
    // handle, whatever the list it was created with says.
    return CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, accessList.empty() ? nullptr : &security,
                       CREATE_NEW, attributes ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Creates a new temporary file beside path, under a name no other file has,
// with accessList when the system takes it; when it does not, accessList is
// cleared and the file is created without one: rights are kept at best.
HANDLE CreateTemporaryBeside(const std::wstring& path, DWORD attributes, std::vector<unsigned char>& accessList,
                             std::wstring& temporary) {
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        temporary = path + std::wstring(TemporaryMark) + std::to_wstring(GetCurrentProcessId()) + L"-" +
                    std::to_wstring(attempt) + std::wstring(TemporaryExtension);
        HANDLE handle = CreateNewFile(temporary, attributes, accessList);
        if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS && !accessList.empty()) {
            accessList.clear();
            handle = CreateNewFile(temporary, attributes, accessList);
        }
        if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return handle;
    }
    return INVALID_HANDLE_VALUE;
}

// Removes the temporary files that interrupted replacements of target left
// beside it. A file some process still holds open (as a replacement in
// progress holds its own, until it has moved it into place) cannot be
// deleted and is left alone.
void RemoveLeftoversBeside(const std::wstring& target) {
    const std::size_t nameStart = NameStart(target);
    const std::wstring folder = target.substr(0, nameStart);
    const std::wstring_view name = std::wstring_view(target).substr(nameStart);
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((target + std::wstring(TemporaryMark) + L"*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!(entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) &&
            IsTemporaryNameOf(entry.cFileName, name)) {
            DeleteFileW((folder + entry.cFileName).c_str());
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

// The absolute path of path, as the file functions make it; path itself
// when that fails.
std::wstring FullPathOf(const std::wstring& path) {
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) return path;
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.resize(length);
    }
}

// The final path of an open file or folder in the given form (VOLUME_NAME_NT
// or VOLUME_NAME_DOS); empty when the system cannot give it.
std::wstring FinalPathOf(HANDLE file, DWORD form) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()),
                                                 FILE_NAME_NORMALIZED | form);
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(length);
    }
}

// Whether path, open as file, is a link to a file rather than the file
// itself. Windows marks a symbolic link with a reparse point; Wine marks a
// link to a folder so but not a link to a file. So a link is also told by
// what it does: the file it opens is not the entry its folder holds under
// its name. When the system gives no final paths to compare, only the mark
// tells. (A file that UAC virtualisation redirects to the user's copy in
// VirtualStore is told for one too: that copy is then replaced where it
// is, as the redirected replacement would have replaced it.)
bool IsLink(const std::wstring& path, HANDLE file) {
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(path.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && entry.dwReserved0 == IO_REPARSE_TAG_SYMLINK) {
        return true;
    }
    const std::wstring full = FullPathOf(path);
    FileHandle folder(CreateFileW(full.substr(0, NameStart(full)).c_str(), FILE_READ_ATTRIBUTES, ShareAll, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder.IsValid()) return false;
    for (DWORD form : {VOLUME_NAME_NT, VOLUME_NAME_DOS}) {
        const std::wstring fileFinal = FinalPathOf(file, form);
        std::wstring entryFinal = FinalPathOf(folder.Get(), form);
        if (fileFinal.empty() || entryFinal.empty()) continue;
        if (entryFinal.back() != L'\\') entryFinal += L'\\';
        entryFinal += entry.cFileName;
        return fileFinal != entryFinal;
    }
    return false;
}

// The path of the file that an update of path replaces. A file is replaced
// where it stands, through path as given, whatever folders, links or
// junctions lead to it, and so is a name nothing exists under yet. Only when
// path is itself a link is the file it points to replaced instead, through
// that file's final path; a link whose file has no drive or network path
// gives ERROR_CANT_RESOLVE_FILENAME, and a link to a missing file gives
// ERROR_FILE_NOT_FOUND: it is neither followed nor replaced.
SystemErrorCode FileToReplace(const std::wstring& path, std::wstring& target) {
    target = path;
    FileHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, ShareAll, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.IsValid()) {
        if (!IsLink(path, file.Get())) return 0;
        std::optional<std::wstring> final = UsableFinalPath(FinalPathOf(file.Get(), VOLUME_NAME_DOS));
        if (!final) return ERROR_CANT_RESOLVE_FILENAME;
        target = *final;
        return 0;
    }
    // Whatever else keeps it from opening here, the replacement itself meets
    // and reports.
    if (GetLastError() != ERROR_FILE_NOT_FOUND) return 0;
    // Nothing opens under the name, yet a link to a missing file may hold
    // it (Windows lists such a link, Wine does not show it at all): creating
    // a file there then finds the name taken.
    FileHandle probe(CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                 FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!probe.IsValid()) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_EXISTS ? ERROR_FILE_NOT_FOUND : error;
    }
    return 0;
}

// Gives the new file, open as file, the old one's creation time (when
// creation is not null) and attributes. The time is kept at best. Under
// Wine, setting the attributes is also what gives the owner reading and
// writing (and, where the umask allows, the group and others writing where
// they can read).
bool KeepTimeAndAttributes(HANDLE file, const FILETIME* creation, DWORD attributes) {
    FILE_BASIC_INFO info{};
    info.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
    if (creation) {
        info.CreationTime.LowPart = creation->dwLowDateTime;
        info.CreationTime.HighPart = static_cast<LONG>(creation->dwHighDateTime);
        if (SetFileInformationByHandle(file, FileBasicInfo, &info, sizeof info)) return true;
        info.CreationTime = {};
    }
    return SetFileInformationByHandle(file, FileBasicInfo, &info, sizeof info) != FALSE;
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

// Moves the temporary file, open as file, over target in one rename through
// its handle: from its creation until it is in place it stays open, so that
// another update's clean-up cannot take it for a leftover. (ReplaceFile is
// not used: Wine's deletes the original before it moves the new file in, so
// a failure or a crash in between would lose the file.)
SystemErrorCode MoveOver(HANDLE file, const std::wstring& target) {
    if (SystemErrorCode error = InjectedFault(WriteStep::MoveThroughHandle)) return error;
    const std::wstring to = FullPathOf(target);
    std::vector<unsigned char> buffer(offsetof(FILE_RENAME_INFO, FileName) + (to.size() + 1) * sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(to.size() * sizeof(wchar_t));
    std::memcpy(rename->FileName, to.c_str(), (to.size() + 1) * sizeof(wchar_t));
    for (int attempt = 0;; ++attempt) {
        if (SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(buffer.size()))) return 0;
        DWORD error = GetLastError();
        if (!IsTransientLock(error) || attempt + 1 >= LockRetries) return error;
        Sleep(LockRetryDelayMs);
    }
}

// Closes the temporary file, open as file, and moves it over target by its
// name, as MoveFileEx does. This is how an update moved the file before it
// was renamed through its handle, and it still works where a rename through
// a handle is refused: Windows before 10 takes only a native path there, and
// a network redirector or a file system filter (UAC's virtualisation of
// protected folders among them) may not take one at all. Only in the moment
// between the close and the move could another update's clean-up take the
// file for a leftover; the move then fails, and nothing is lost.
SystemErrorCode MoveOverByName(FileHandle& file, const std::wstring& temporary, const std::wstring& target) {
    file.Close();
    if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return 0;
    }
    return GetLastError();
}

// Deletes the temporary file, open as file, and closes it: through its
// handle, which may delete it whatever the access list it was created with
// says; by its name when that fails.
void Discard(FileHandle& file, const std::wstring& temporary) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    const bool deleted = SetFileInformationByHandle(file.Get(), FileDispositionInfo, &disposition,
                                                    sizeof disposition) != FALSE;
    file.Close();
    if (!deleted) DeleteFileW(temporary.c_str());
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
    std::wstring target;
    if (SystemErrorCode error = FileToReplace(WidenFromCodePage(GetACP(), path), target)) return error;
    WIN32_FILE_ATTRIBUTE_DATA existing{};
    const bool exists = GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &existing) != FALSE;
    if (exists && (existing.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
        return ERROR_ACCESS_DENIED;
    }
    RemoveLeftoversBeside(target);

    constexpr DWORD KeptAttributes =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD attributes = exists ? existing.dwFileAttributes & KeptAttributes : 0;
    std::vector<unsigned char> accessList = exists ? AccessListOf(target) : std::vector<unsigned char>{};
    std::wstring temporary;
    if (SystemErrorCode error = InjectedFault(WriteStep::CreateTemporary)) return error;
    FileHandle file(CreateTemporaryBeside(target, attributes, accessList, temporary));
    if (!file.IsValid()) return GetLastError();

    SystemErrorCode error = 0;
    // Under Wine a file made with a list has the owner's rights only once
    // its attributes are set; it does not go in place without them.
    if (!KeepTimeAndAttributes(file.Get(), exists ? &existing.ftCreationTime : nullptr, attributes) &&
        !accessList.empty() && RightsAreUnixMode()) {
        error = GetLastError();
    }
    if (!error) error = InjectedFault(WriteStep::Write);
    if (!error) error = WriteAll(file.Get(), bytes);
    if (!error) error = InjectedFault(WriteStep::Flush);
    if (!error && !FlushFileBuffers(file.Get())) error = GetLastError();
    if (!error) error = InjectedFault(WriteStep::Replace);
    if (!error) {
        error = MoveOver(file.Get(), target);
        if (error && !MoveOverByName(file, temporary, target)) error = 0;
    }
    if (error) Discard(file, temporary);
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
