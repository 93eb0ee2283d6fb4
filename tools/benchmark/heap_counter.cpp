#include "heap_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> inUse{0};
std::atomic<std::size_t> peak{0};
std::atomic<std::size_t> allocations{0};

// Every block carries its size in front, so that an unsized delete knows
// what it gives back. The header keeps the alignment malloc guarantees.
constexpr std::size_t HeaderSize = alignof(std::max_align_t);

void* Allocate(std::size_t size) {
    void* block = std::malloc(size + HeaderSize);
    if (!block) return nullptr;
    *static_cast<std::size_t*>(block) = size;
    allocations.fetch_add(1, std::memory_order_relaxed);
    std::size_t now = inUse.fetch_add(size, std::memory_order_relaxed) + size;
    std::size_t seen = peak.load(std::memory_order_relaxed);
    while (now > seen && !peak.compare_exchange_weak(seen, now, std::memory_order_relaxed)) {
    }
    return static_cast<char*>(block) + HeaderSize;
}

void Release(void* pointer) {
    if (!pointer) return;
    void* block = static_cast<char*>(pointer) - HeaderSize;
    inUse.fetch_sub(*static_cast<std::size_t*>(block), std::memory_order_relaxed);
    std::free(block);
}

void* AllocateOrThrow(std::size_t size) {
    for (;;) {
        if (void* pointer = Allocate(size)) return pointer;
        std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

} // namespace

std::size_t HeapBytesInUse() { return inUse.load(std::memory_order_relaxed); }

void ResetHeapPeak() { peak.store(HeapBytesInUse(), std::memory_order_relaxed); }

std::size_t HeapPeak() { return peak.load(std::memory_order_relaxed); }

std::size_t HeapAllocations() { return allocations.load(std::memory_order_relaxed); }

void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* pointer) noexcept { Release(pointer); }
void operator delete[](void* pointer) noexcept { Release(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { Release(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { Release(pointer); }
void operator delete(void* pointer, const std::nothrow_t&) noexcept { Release(pointer); }
void operator delete[](void* pointer, const std::nothrow_t&) noexcept { Release(pointer); }
