// The archives registered with the game: numbered keys "Archive 0",
// "Archive 1", ... of one section of morrowind.ini.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/archive_list.h"
#include "core/ini_file.h"
#include "platform/platform.h"

// The section's name, in the Windows-1251 bytes of "Архивы".
constexpr std::string_view ArchiveSection = "\xC0\xF0\xF5\xE8\xE2\xFB";

// "Archive N".
std::string ArchiveKeyName(unsigned number);

// Reads the registered names from the file's bytes into the list, from key 0
// upward until the first missing or empty key or until the list is full, and
// returns how many were read.
unsigned ReadArchiveKeys(std::string_view file, ArchiveList& list);

// What the last ReadRegisteredArchives found in morrowind.ini, so that an
// update can tell whether another program changed the keys since.
struct RegisteredBasis {
    bool utf16 = false;  // the file is UTF-16 text, which Ambrel does not edit
    std::optional<std::string> keyLines;  // the section's key lines; nothing without a section
};
extern RegisteredBasis LastRead;

// Whether the file starts with a UTF-16 byte order mark: the platform reads
// such a file as UTF-16, so its bytes are no 8-bit INI text.
bool IsUtf16Text(std::string_view file);

// Reads the registered names from morrowind.ini and records LastRead. A
// missing or unreadable file, a UTF-16 file, a missing section and a missing
// first key all read as an empty list.
unsigned ReadRegisteredArchives(ArchiveList& list);

// The file's bytes with the slots written as the numbered keys, slot i as
// key i, an empty slot deleting its key.
std::string ApplyArchiveSlots(std::string_view file, const std::vector<ArchiveSlot>& slots);
// The same, for a file whose archive section was already found.
std::string ApplyArchiveSlots(std::string_view file, const IniSection& section,
                              const std::vector<ArchiveSlot>& slots);

enum class WriteStatus {
    NothingToWrite,
    Written,
    Failed,          // the system refused: error says why
    ChangedElsewhere,  // another program changed the keys since they were read
    Utf16File,       // the file is UTF-16 text, which is not edited
};

struct WriteResult {
    WriteStatus status = WriteStatus::NothingToWrite;
    SystemErrorCode error = 0;  // why, when status is Failed
};

// Writes the pending list to morrowind.ini as it is now, in one replacement
// of the file: changes another program made elsewhere in the file since it
// was read survive, but a change to the section's key lines is not
// overwritten (ChangedElsewhere). NothingToWrite, touching nothing, when the
// pending list is empty. On success the pending list is released; otherwise
// the file is as it was and the pending list is kept, so the update can be
// tried again.
WriteResult WriteArchiveList();
