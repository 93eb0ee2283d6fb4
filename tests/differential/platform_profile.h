// What the platform's profile functions (GetPrivateProfileStringA and
// friends) read from an INI file, in the shapes the tests compare.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

// The value of a key as GetPrivateProfileStringA reads it into a buffer of
// IniValueCapacity bytes; nothing when the platform falls back to the
// default (missing section, missing key, key without a value). The default
// it is given is the byte 0x01, which no file of the tests holds.
std::optional<std::string> PlatformReadValue(const std::string& path, const std::string& section,
                                             const std::string& key);

// The names of the keys with a value in a section, as the platform lists them.
std::vector<std::string> PlatformKeyNames(const std::string& path, const std::string& section);

// Every section the platform lists, under the name it gives, with the
// entries ("name=value", or a name without '=') it holds for it, as
// GetPrivateProfileSectionA returns them.
using PlatformView = std::map<std::string, std::vector<std::string>>;
PlatformView PlatformReadEverything(const std::string& path);
