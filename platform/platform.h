// What differs by platform: joining a path, reading and replacing a file, and
// listing a folder. It works on the paths it is given and knows nothing of
// the game. One implementation per platform; the build picks the file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The platform's own error code (GetLastError on Windows, errno elsewhere);
// 0 means success.
using SystemErrorCode = unsigned long;

// The error reported for a path that would be longer than PathCapacity - 1.
extern const SystemErrorCode PathTooLongError;

// The path of the entry called name in folder: the folder, the platform's
// separator and the name, nothing added or removed. Where the file system
// tells case apart, an entry of the folder spelled like name in another
// ASCII case is the one meant (a name with a wildcard is taken as it is).
std::string PathInFolder(const std::string& folder, std::string_view name);

enum class FileReadStatus { Read, Missing, Failed };

struct FileReadResult {
    FileReadStatus status = FileReadStatus::Missing;
    std::string bytes;            // the whole file when status is Read
    SystemErrorCode error = 0;    // why, when status is Failed
};

FileReadResult ReadWholeFile(const std::string& path);

// Replaces the file at path, or creates it, with the bytes in one step: they
// go to a temporary file in the same folder, which is flushed and then moved
// over the original while it is still open. A file is replaced where it
// stands, through path as given, whatever links lead to its folder; only
// when path is itself a symbolic link is the file it points to the one
// replaced, so the link stays; a link to a missing file is not followed and
// not replaced (ERROR_FILE_NOT_FOUND / ENOENT). The new file keeps the old
// one's attributes (hidden, system) and, at best, its creation time and the
// access rights set on the file itself, never granting more than they did;
// an update never fails over these. A file marked read-only is not
// replaced. Temporary files that an earlier, interrupted replacement of the
// same file left beside it, and that no process holds open, are removed.
// Returns 0 on success; otherwise the original is untouched, the temporary
// file is gone, and the result says why.
SystemErrorCode ReplaceFileContents(const std::string& path, std::string_view bytes);

// The steps of ReplaceFileContents, so tests can make each one fail.
// MoveThroughHandle is Windows' own: the rename through the temporary file's
// handle, after which a move by name is tried when it fails.
enum class WriteStep { CreateTemporary, Write, Flush, Replace, MoveThroughHandle };
// Returns the error to fail the step with, or 0 to let it run.
using WriteFaultHook = SystemErrorCode (*)(WriteStep);
void SetWriteFaultHook(WriteFaultHook hook);

// One entry of the Data Files listing, named for the game, which opens its
// archives through the 8-bit file functions: in the system's 8-bit code page.
struct DataFilesEntry {
    // The long name in that code page, when the code page holds every
    // character of it in at most 255 bytes (what a key's value holds);
    // empty otherwise.
    std::string_view name;
    // Only when name is empty: the long name in UTF-8, to show to the user,
    // and the short 8.3 name in the code page, empty when the entry has none
    // or the code page cannot hold that either.
    std::string_view foreignName;
    std::string_view shortName;
};

// Reports every entry that the platform's search for pattern (a folder's
// path joined to "*.ext") returns, in the order it returns them, until visit
// returns false. A folder that cannot be searched reports nothing.
void ListDataFilesEntries(const std::string& pattern,
                          const std::function<bool(const DataFilesEntry& entry)>& visit);

enum class FileStartStatus { Read, Folder, Failed };

struct FileStartResult {
    FileStartStatus status = FileStartStatus::Failed;
    SystemErrorCode error = 0;  // why, when status is Failed
};

// Reads a file's start in pieces, for a reader that decides as it goes how
// much more it needs. take is first called with the file's size and no
// bytes, then with each piece read, and returns how many bytes it wants
// next (at most 64 KiB), 0 to stop; a piece holds fewer bytes than asked
// only where the file ends. The file is opened for reading with full
// sharing, so that the game or any other program may read, write, rename or
// delete it meanwhile. A folder at path is reported, not read.
FileStartResult ReadFileStart(const std::string& path,
                              const std::function<std::size_t(std::uint64_t size, std::string_view piece)>& take);
