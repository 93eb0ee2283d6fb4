#include "core/archive_name_set.h"

#include "core/ascii.h"

ArchiveNameSet::ArchiveNameSet(const std::vector<ArchiveSlot>& slots) : slots_(slots) {
    std::size_t size = 16;
    while (size < 2 * slots.size()) size *= 2;
    buckets_.assign(size, 0);
    mask_ = size - 1;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        if (!slots[i]) continue;
        for (std::size_t bucket = FoldedHash(*slots[i]) & mask_;; bucket = (bucket + 1) & mask_) {
            std::uint32_t& entry = buckets_[bucket];
            if (entry == 0) {
                entry = static_cast<std::uint32_t>(i + 1);
                break;
            }
            if (EqualsIgnoringAsciiCase(*slots_[entry - 1], *slots[i])) break;
        }
    }
}

bool ArchiveNameSet::Contains(std::string_view name) const {
    for (std::size_t bucket = FoldedHash(name) & mask_;; bucket = (bucket + 1) & mask_) {
        std::uint32_t entry = buckets_[bucket];
        if (entry == 0) return false;
        if (EqualsIgnoringAsciiCase(*slots_[entry - 1], name)) return true;
    }
}
