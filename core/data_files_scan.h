// The archives present in the game's Data Files folder.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/archive_list.h"
#include "platform/platform.h"

// Whether an entry the platform's search reports for "*.bsa" is an archive
// that can be registered: its own name ends in ".bsa" (the search also
// matches short 8.3 names, so "foo.bsax" can come back), it is not
// morrowind.bsa, and it fits a key's value as the game reads it back.
bool IsRegistrableArchive(std::string_view name);

// An archive whose long name the system's 8-bit code page cannot hold, so
// that the game cannot open it by that name.
struct ForeignNamedArchive {
    std::string longName;   // UTF-8, to show to the user
    std::string shortName;  // the 8.3 name it is listed under; empty when it is left out
};

// Takes one entry of the listing: an archive whose name the code page holds
// goes into the list by that name; one whose long name it cannot hold goes
// in by its short name when that is usable, and is added to foreign either
// way. Returns false when the list is full.
bool AddScannedEntry(const DataFilesEntry& entry, ArchiveList& list, std::vector<ForeignNamedArchive>& foreign);

// Lists the registrable archives of Data Files into the list, in the order
// the platform's search reports them, until the list is full; returns how
// many were stored. A missing or empty folder gives 0.
unsigned ScanDataFiles(ArchiveList& list, std::vector<ForeignNamedArchive>& foreign);
unsigned ScanDataFiles(ArchiveList& list);
