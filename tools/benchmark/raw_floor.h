// The floor under any way of doing the cycle: the file and folder system
// calls it cannot avoid, made the way the platform layer makes them, with no
// parsing, matching or editing. The difference between a cycle and the sum
// of these is what the core itself costs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The whole file, or nothing when it cannot be read, read as the program
// reads it.
std::string FloorReadFile(const std::string& path);

// The names of the folder's entries, found the way the platform's scan finds
// them (natively every entry, on Windows the search for "*.bsa").
std::vector<std::string> FloorListFolder(const std::string& folder);

// The archives among the names of a folder's entries, morrowind.bsa left
// out: the ones the check reads.
std::vector<std::string> ArchivesAmong(const std::vector<std::string>& names);

// Reads each named file's header and, as far as the file holds them, the
// records its header counts, through the program's own file function; no
// check of what is read. Returns how many files it read.
unsigned FloorReadArchiveStarts(const std::string& folder, const std::vector<std::string>& names);

// Replaces the file with the bytes as the program does (ReplaceFileContents:
// a temporary file beside it, flushed, moved over it). Returns whether it
// worked.
bool FloorReplaceFile(const std::string& path, std::string_view bytes);
