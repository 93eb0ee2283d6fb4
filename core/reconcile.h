// Brings the registered list and the archives on disk together.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/archive_check.h"
#include "core/archive_list.h"
#include "core/data_files_scan.h"

// Receives one name; keeps its own copy if it needs one.
using ArchiveSink = std::function<void(const std::string& name)>;

// Judges the archive of Data Files that the scan listed under name.
using ArchiveJudge = std::function<ArchiveCheckResult(const std::string& name)>;

// An archive of Data Files that the game cannot read.
struct UnreadableArchive {
    std::string name;  // as the scan listed it
    // The long name in UTF-8 when the scan listed it by its short name (the
    // code page cannot hold the long one); empty otherwise.
    std::string longName;
    ArchiveVerdict verdict = ArchiveVerdict::Damaged;
    SystemErrorCode error = 0;  // when the verdict is CouldNotRead
    // Already registered, so it stays in the list (the player or another
    // tool put it there); a new one is left out.
    bool staysRegistered = false;
};

// What the reconciliation could not take in whole, and what it left out.
struct ReconcileReport {
    bool registeredTruncated = false;  // more keys than a list holds
    bool foundTruncated = false;       // more archives on disk than a list holds
    bool iniInUtf16 = false;           // morrowind.ini is UTF-16 text, not edited
    // Archives the game cannot open by their long names, in scan order:
    // taken in by their short names or left out.
    std::vector<ForeignNamedArchive> foreignNamed;
    // Archives the game cannot read, in scan order.
    std::vector<UnreadableArchive> unreadable;
};

// Decides the outcome for two lists: every registered entry that matches no
// archive found goes to removed, in key order; every archive found that
// matches no remaining registered entry goes to added, in scan order. The
// pending list becomes the kept entries in key order (their letters as
// registered), then the new ones; when anything was removed it is padded
// with empty slots to the registered count, so the surplus keys get deleted.
// When nothing is to change the pending list is empty.
//
// Every archive found that the list will hold, new or registered, is
// judged (without a judge, all are readable): a new one the game cannot read
// is left out, a registered one stays. Both are returned, in scan order.
std::vector<UnreadableArchive> ReconcileLists(ArchiveList& registered, ArchiveList& found,
                                              const ArchiveSink& removed, const ArchiveSink& added,
                                              const ArchiveJudge& judge = {});

// The judge of the archives of Data Files in InstallPath: reads each one's
// start.
ArchiveJudge JudgeDataFiles();

// Reads morrowind.ini and scans Data Files, then reconciles the two,
// reading the start of each archive that the list will hold. A new archive
// left out for its contents is not named again among the foreign names. When
// either list could not be taken in whole, or the file is UTF-16 text, an
// update could not be made safely: the pending list is left empty and the
// report says why.
ReconcileReport ReconcileArchives(const ArchiveSink& removed, const ArchiveSink& added);
