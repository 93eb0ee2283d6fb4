// What differs by platform: locating the game's files, reading and replacing a
// file, and listing the data folder. One implementation per platform; the
// build picks the file.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The platform's own error code (GetLastError on Windows, errno elsewhere);
// 0 means success.
using SystemErrorCode = unsigned long;

// The error reported for a path that would be longer than PathCapacity - 1.
extern const SystemErrorCode PathTooLongError;

// morrowind.ini in InstallPath; nothing when the path would be too long.
std::optional<std::string> LocateIniFile();

enum class FileReadStatus { Read, Missing, Failed };

struct FileReadResult {
    FileReadStatus status = FileReadStatus::Missing;
    std::string bytes;            // the whole file when status is Read
    SystemErrorCode error = 0;    // why, when status is Failed
};

FileReadResult ReadWholeFile(const std::string& path);

// Replaces the file at path, or creates it, with the bytes in one step: they
// go to a temporary file in the same folder, which is flushed and then moved
// over the original. A file marked read-only is not replaced. Returns 0 on
// success; otherwise the original is untouched, the temporary file is gone,
// and the result says why.
SystemErrorCode ReplaceFileContents(const std::string& path, std::string_view bytes);

// The steps of ReplaceFileContents, so tests can make each one fail.
enum class WriteStep { CreateTemporary, Write, Flush, Close, Replace };
// Returns the error to fail the step with, or 0 to let it run.
using WriteFaultHook = SystemErrorCode (*)(WriteStep);
void SetWriteFaultHook(WriteFaultHook hook);

// The search pattern for the archives in Data Files of InstallPath; nothing
// when it would be too long.
std::optional<std::string> ComposeDataFilesPattern();

// One entry of the Data Files listing, named for the game, which opens its
// archives through the 8-bit file functions: in the system's 8-bit code page.
struct DataFilesEntry {
    // The long name in that code page, when the code page holds every
    // character of it; empty otherwise.
    std::string_view name;
    // Only when name is empty: the long name in UTF-8, to show to the user,
    // and the short 8.3 name in the code page, empty when the entry has none
    // or the code page cannot hold that either.
    std::string_view foreignName;
    std::string_view shortName;
};

// Reports every entry of Data Files in InstallPath that the platform's
// search for "*.bsa" returns, in the order it returns them, until visit
// returns false. Returns false, reporting nothing, when the search pattern
// would be too long.
bool ListDataFilesEntries(const std::function<bool(const DataFilesEntry& entry)>& visit);
