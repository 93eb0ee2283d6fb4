#include "core/archive_list.h"

std::vector<ArchiveSlot> PendingList;
unsigned PendingCount = 0;

bool AddArchive(ArchiveList& list, std::string name) {
    if (list.slots.size() >= MaxArchives) {
        list.truncated = true;
        return false;
    }
    list.slots.emplace_back(std::move(name));
    return true;
}

unsigned ArchiveCount(const ArchiveList& list) {
    return static_cast<unsigned>(list.slots.size());
}

void ReleasePendingList() {
    PendingList.clear();
    PendingList.shrink_to_fit();
    PendingCount = 0;
}
