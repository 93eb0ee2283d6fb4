// The archives present in the game's Data Files folder.
#pragma once

#include <string_view>

#include "core/archive_list.h"

// Whether an entry the platform's search reports for "*.bsa" is an archive
// that can be registered: its own name ends in ".bsa" (the search also
// matches short 8.3 names, so "foo.bsax" can come back), it is not
// morrowind.bsa, and it fits a key's value as the game reads it back.
bool IsRegistrableArchive(std::string_view name);

// Lists the registrable archives of Data Files into the list, in the order
// the platform's search reports them, until the list is full; returns how
// many were stored. A missing or empty folder gives 0.
unsigned ScanDataFiles(ArchiveList& list);
