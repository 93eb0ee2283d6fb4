// The archive check's invariants, checked on one input: the fuzz target's
// body, also replayed over its seed corpus as a unit test.
//
// An input is a file's start and its size. When byte 0 is odd and at least
// nine bytes follow it, bytes 1-8 give the size (little-endian) and the rest
// is the start, so that the size can be anything; otherwise the rest is the
// whole file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// An empty string when every invariant holds; otherwise what failed.
std::string CheckArchiveInvariants(const std::uint8_t* data, std::size_t size);
