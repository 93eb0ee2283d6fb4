// The INI engine's invariants, checked on one input: the fuzz target's
// body, also replayed over the seed corpus and past crashes as a unit test.
//
// An input is an update and a file. Byte 0: the low three bits give the
// number of edits (0-7); bit 7 picks the section ("General" when set, the
// archive section otherwise). Then per edit a key byte - the low four bits
// number the key "Archive N", bit 4 spells it "ARCHIVE N", bit 5 makes the
// edit a deletion - and, for an edit that sets a value, a length byte and
// that many bytes of value. Whatever follows is the file. An input that ends
// early simply has fewer edits and an empty file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// An empty string when every invariant holds; otherwise what failed.
std::string CheckIniInvariants(const std::uint8_t* data, std::size_t size);
