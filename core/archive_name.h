// Archive names and how they compare.
#pragma once

#include <string>
#include <string_view>

// Equality of two archive names: byte by byte, with the ASCII capitals A-Z
// folded to a-z and every other byte compared as it is, so Cyrillic letters
// stay case-sensitive (the C runtime's _stricmp in the "C" locale).
bool ArchiveNameEquals(std::string_view a, std::string_view b);

// Whether the name ends in ".bsa" in any ASCII case.
bool HasArchiveExtension(std::string_view name);
