// The archives registered with the game: numbered keys "Archive 0",
// "Archive 1", ... of one section of morrowind.ini.
#pragma once

#include <string>
#include <string_view>

#include "core/archive_list.h"
#include "platform/platform.h"

// The section's name, in the Windows-1251 bytes of "Архивы".
constexpr std::string_view ArchiveSection = "\xC0\xF0\xF5\xE8\xE2\xFB";

// "Archive N".
std::string ArchiveKeyName(unsigned number);

// Reads the registered names from the file's bytes into the list, from key 0
// upward until the first missing or empty key or until the list is full, and
// returns how many were read.
unsigned ReadArchiveKeys(std::string_view file, ArchiveList& list);

// Reads the registered names from morrowind.ini. A missing or unreadable
// file, a missing section and a missing first key all read as an empty list.
unsigned ReadRegisteredArchives(ArchiveList& list);

// The file's bytes with the pending list written as the numbered keys, slot
// i as key i, an empty slot deleting its key.
std::string ApplyPendingList(std::string_view file);

enum class WriteStatus { NothingToWrite, Written, Failed };

struct WriteResult {
    WriteStatus status = WriteStatus::NothingToWrite;
    SystemErrorCode error = 0;  // why, when status is Failed
};

// Writes the pending list to morrowind.ini as it is now (changes another
// program made since it was read survive), in one replacement of the file.
// NothingToWrite, touching nothing, when the pending list is empty. On
// success the pending list is released; on failure the file is as it was
// and the pending list is kept, so the update can be tried again.
WriteResult WriteArchiveList();
