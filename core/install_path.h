// The game's installation folder and the paths built from it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Paths are composed in buffers of this many bytes, terminator included, so a
// composed path holds at most PathCapacity - 1 characters.
constexpr std::size_t PathCapacity = 1000;

// Set once at start-up, before anything reads it; at most PathCapacity - 1
// characters, exactly as the registry stores it.
extern std::string InstallPath;

// morrowind.ini in InstallPath; nothing when the path would not fit in
// PathCapacity - 1 characters (a path is refused, never cut).
std::optional<std::string> LocateIniFile();

// The search pattern for the archives in Data Files of InstallPath; nothing
// when it would not fit in PathCapacity - 1 characters.
std::optional<std::string> ComposeDataFilesPattern();

// The path of the entry of Data Files that the search for pattern (as
// ComposeDataFilesPattern gives it) reported as name: the wildcard replaced
// by the name, with no further look at the folder.
std::string PathOfDataFile(const std::string& pattern, std::string_view name);
