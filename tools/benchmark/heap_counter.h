// Counts the bytes the program holds on the heap through operator new, so a
// benchmark can report the most one operation needed at once. Linking
// heap_counter.cpp replaces the global operator new and delete.
#pragma once

#include <cstddef>

// Bytes allocated and not yet released right now.
std::size_t HeapBytesInUse();

// Starts a new high-water mark at the current use.
void ResetHeapPeak();

// The most bytes in use since the last ResetHeapPeak.
std::size_t HeapPeak();

// How many blocks operator new has handed out so far.
std::size_t HeapAllocations();
