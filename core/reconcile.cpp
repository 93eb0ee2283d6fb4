#include "core/reconcile.h"

#include <algorithm>

#include "core/archive_name_set.h"
#include "core/install_path.h"
#include "core/registered_archives.h"

std::vector<UnreadableArchive> ReconcileLists(ArchiveList& registered, ArchiveList& found,
                                              const ArchiveSink& removed, const ArchiveSink& added,
                                              const ArchiveJudge& judge) {
    bool changed = false;
    {
        const ArchiveNameSet foundNames(found.slots);
        for (ArchiveSlot& slot : registered.slots) {
            if (slot && !foundNames.Contains(*slot)) {
                removed(*slot);
                slot.reset();
                changed = true;
            }
        }
    }

    // Decided before any name moves: the set holds views of the kept names.
    std::vector<bool> alreadyRegistered(found.slots.size());
    {
        const ArchiveNameSet keptNames(registered.slots);
        for (std::size_t i = 0; i < found.slots.size(); ++i) {
            alreadyRegistered[i] = found.slots[i] && keptNames.Contains(*found.slots[i]);
        }
    }

    std::vector<UnreadableArchive> unreadable;
    std::vector<bool> leftOut(found.slots.size());
    if (judge) {
        for (std::size_t i = 0; i < found.slots.size(); ++i) {
            if (!found.slots[i]) continue;
            const ArchiveCheckResult check = judge(*found.slots[i]);
            if (check.verdict == ArchiveVerdict::Readable) continue;
            unreadable.push_back({*found.slots[i], {}, check.verdict, check.error, alreadyRegistered[i]});
            leftOut[i] = !alreadyRegistered[i];
        }
    }

    std::vector<ArchiveSlot> pending;
    pending.reserve(registered.slots.size() + found.slots.size());
    for (ArchiveSlot& slot : registered.slots) {
        if (slot) pending.push_back(std::move(slot));
    }
    for (std::size_t i = 0; i < found.slots.size(); ++i) {
        ArchiveSlot& slot = found.slots[i];
        if (!slot || alreadyRegistered[i] || leftOut[i]) continue;
        added(*slot);
        pending.push_back(std::move(slot));
        changed = true;
    }

    if (!changed) {
        ReleasePendingList();
        return unreadable;
    }
    if (pending.size() < registered.slots.size()) pending.resize(registered.slots.size());
    PendingList = std::move(pending);
    PendingCount = static_cast<unsigned>(PendingList.size());
    return unreadable;
}

namespace {

// An unreadable archive listed by its short name is named by its long one,
// which is what the player sees; one left out for its contents needs no new
// name and leaves the foreign names.
void TellForeignNamesApart(ReconcileReport& report) {
    for (UnreadableArchive& archive : report.unreadable) {
        auto foreign = std::find_if(report.foreignNamed.begin(), report.foreignNamed.end(),
                                    [&archive](const ForeignNamedArchive& named) {
                                        return !named.shortName.empty() && named.shortName == archive.name;
                                    });
        if (foreign == report.foreignNamed.end()) continue;
        archive.longName = foreign->longName;
        if (!archive.staysRegistered) report.foreignNamed.erase(foreign);
    }
}

} // namespace

ArchiveJudge JudgeDataFiles() {
    // The scan finds names only where the pattern fits, so it is there.
    return [pattern = ComposeDataFilesPattern().value_or(std::string())](const std::string& name) {
        return CheckArchiveFile(PathOfDataFile(pattern, name));
    };
}

ReconcileReport ReconcileArchives(const ArchiveSink& removed, const ArchiveSink& added) {
    ArchiveList registered;
    ArchiveList found;
    ReconcileReport report;
    ReadRegisteredArchives(registered);
    ScanDataFiles(found, report.foreignNamed);
    report.registeredTruncated = registered.truncated;
    report.foundTruncated = found.truncated;
    report.iniInUtf16 = LastRead.utf16;
    if (report.registeredTruncated || report.foundTruncated || report.iniInUtf16) {
        // Keys past the capacity would be overwritten unseen, and archives
        // past it taken for gone: nothing is changed at all.
        ReleasePendingList();
        return report;
    }
    report.unreadable = ReconcileLists(registered, found, removed, added, JudgeDataFiles());
    TellForeignNamesApart(report);
    return report;
}
