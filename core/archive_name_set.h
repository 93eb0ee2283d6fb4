// A set of archive names under ArchiveNameEquals, for matching two lists in
// linear time. It refers to the slots, not copies of the names: the slots
// must stay as they are while the set is used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/archive_list.h"

class ArchiveNameSet {
public:
    // The names held in the slots; empty slots are skipped.
    explicit ArchiveNameSet(const std::vector<ArchiveSlot>& slots);
    bool Contains(std::string_view name) const;

private:
    const std::vector<ArchiveSlot>& slots_;
    // Open addressing over slot positions + 1 (0 is a free bucket): four
    // bytes a bucket keep the table small enough to stay in the cache.
    std::vector<std::uint32_t> buckets_;
    std::size_t mask_ = 0;
};
