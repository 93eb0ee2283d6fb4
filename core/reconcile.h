// Brings the registered list and the archives on disk together.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/archive_list.h"
#include "core/data_files_scan.h"

// Receives one name; keeps its own copy if it needs one.
using ArchiveSink = std::function<void(const std::string& name)>;

// What the reconciliation could not take in whole.
struct ReconcileReport {
    bool registeredTruncated = false;  // more keys than a list holds
    bool foundTruncated = false;       // more archives on disk than a list holds
    bool iniInUtf16 = false;           // morrowind.ini is UTF-16 text, not edited
    // Archives the game cannot open by their long names, in scan order:
    // taken in by their short names or left out.
    std::vector<ForeignNamedArchive> foreignNamed;
};

// Decides the outcome for two lists: every registered entry that matches no
// archive found goes to removed, in key order; every archive found that
// matches no remaining registered entry goes to added, in scan order. The
// pending list becomes the kept entries in key order (their letters as
// registered), then the new ones; when anything was removed it is padded
// with empty slots to the registered count, so the surplus keys get deleted.
// When nothing is to change the pending list is empty.
void ReconcileLists(ArchiveList& registered, ArchiveList& found, const ArchiveSink& removed,
                    const ArchiveSink& added);

// Reads morrowind.ini and scans Data Files, then reconciles the two. When
// either list could not be taken in whole, or the file is UTF-16 text, an
// update could not be made safely: the pending list is left empty and the
// report says why.
ReconcileReport ReconcileArchives(const ArchiveSink& removed, const ArchiveSink& added);
