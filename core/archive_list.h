// The lists of archive names that the program holds, and the process-wide
// outcome of a reconciliation.
#pragma once

#include <optional>
#include <string>
#include <vector>

// How many names one list holds at most; reading and scanning stop there.
constexpr unsigned MaxArchives = 10000;

// A slot holds a name or is empty.
using ArchiveSlot = std::optional<std::string>;

struct ArchiveList {
    std::vector<ArchiveSlot> slots;  // never more than MaxArchives
    bool truncated = false;          // a name was left out because the list was full
};

// Appends a name; when the list is already full, marks it truncated instead
// and returns false.
bool AddArchive(ArchiveList& list, std::string name);

unsigned ArchiveCount(const ArchiveList& list);

// The slots an update writes as the numbered keys, slot i as key i; an empty
// slot means the key is deleted. PendingCount is the number of slots to write:
// 0 when nothing is to change.
extern std::vector<ArchiveSlot> PendingList;
extern unsigned PendingCount;

// Empties the pending list.
void ReleasePendingList();
