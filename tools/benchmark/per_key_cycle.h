// The per-key way of doing the cycle, for comparison: the platform's profile
// functions called once per key and plain pairwise matching in nested loops.
// Each profile call looks its key up from the start of the section, and each
// write rewrites the whole file, so reading grows with the square of the
// count and so does writing.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

using PerKeySlots = std::vector<std::optional<std::string>>;
using PerKeySink = std::function<void(const std::string& name)>;

// Reads "Archive 0", "Archive 1", ... one GetPrivateProfileStringA at a
// time, until the first missing or empty key or MaxArchives names.
PerKeySlots PerKeyRead(const std::string& iniPath);

// FindFirstFileA/FindNextFileA over "*.bsa", without morrowind.bsa.
PerKeySlots PerKeyScan(const std::string& dataFilesPath);

// Compares every registered entry with every archive found (_stricmp) and
// returns the slots to write, padded with empty ones to the registered
// count when anything was removed; empty when nothing is to change.
PerKeySlots PerKeyMatch(PerKeySlots& registered, PerKeySlots& found, const PerKeySink& removed,
                        const PerKeySink& added);

// Writes slot i as "Archive i" with one WritePrivateProfileStringA each, an
// empty slot deleting its key.
void PerKeyWrite(const std::string& iniPath, const PerKeySlots& pending);
