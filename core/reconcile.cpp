#include "core/reconcile.h"

#include <unordered_set>

#include "core/archive_name.h"
#include "core/data_files_scan.h"
#include "core/registered_archives.h"

namespace {

// Folded names: two names are equal under ArchiveNameEquals exactly when
// their folded forms are, so set membership answers "is any of them equal".
std::unordered_set<std::string> FoldedNames(const ArchiveList& list) {
    std::unordered_set<std::string> names;
    names.reserve(list.slots.size());
    for (const ArchiveSlot& slot : list.slots) {
        if (slot) names.insert(FoldArchiveName(*slot));
    }
    return names;
}

} // namespace

void ReconcileLists(ArchiveList& registered, ArchiveList& found, const ArchiveSink& removed,
                    const ArchiveSink& added) {
    bool changed = false;

    const std::unordered_set<std::string> foundNames = FoldedNames(found);
    for (ArchiveSlot& slot : registered.slots) {
        if (slot && foundNames.count(FoldArchiveName(*slot)) == 0) {
            removed(*slot);
            slot.reset();
            changed = true;
        }
    }

    const std::unordered_set<std::string> keptNames = FoldedNames(registered);
    std::vector<ArchiveSlot> pending;
    pending.reserve(registered.slots.size() + found.slots.size());
    for (ArchiveSlot& slot : registered.slots) {
        if (slot) pending.push_back(std::move(slot));
    }
    for (ArchiveSlot& slot : found.slots) {
        if (!slot || keptNames.count(FoldArchiveName(*slot)) != 0) continue;
        added(*slot);
        pending.push_back(std::move(slot));
        changed = true;
    }

    if (!changed) {
        ReleasePendingList();
        return;
    }
    if (pending.size() < registered.slots.size()) pending.resize(registered.slots.size());
    PendingList = std::move(pending);
    PendingCount = static_cast<unsigned>(PendingList.size());
}

ReconcileReport ReconcileArchives(const ArchiveSink& removed, const ArchiveSink& added) {
    ArchiveList registered;
    ArchiveList found;
    ReadRegisteredArchives(registered);
    ScanDataFiles(found);
    ReconcileReport report{registered.truncated, found.truncated, LastRead.utf16};
    if (report.registeredTruncated || report.foundTruncated || report.iniInUtf16) {
        // Keys past the capacity would be overwritten unseen, and archives
        // past it taken for gone: nothing is changed at all.
        ReleasePendingList();
        return report;
    }
    ReconcileLists(registered, found, removed, added);
    return report;
}
