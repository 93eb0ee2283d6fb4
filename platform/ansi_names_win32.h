// Names of listed files as the game can open them: through the 8-bit file
// functions, which convert every name from the system's ANSI code page.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <windows.h>

#include "platform/platform.h"

// Writes name in the code page when the code page holds every character of
// it, so that converting back gives the same name: no best-fit letter and no
// default character stands in for another. False otherwise.
bool SpellInCodePage(UINT codePage, std::wstring_view name, std::string& spelled);

// The text of a code page as UTF-16, as the 8-bit functions read a path.
std::wstring WidenFromCodePage(UINT codePage, std::string_view text);

// The longest name, in bytes of the code page, that the game can take by
// that name: a key's value holds 255 bytes (IniValueCapacity in core/).
constexpr std::size_t LongestAnsiName = 255;

// Names one listed entry at a time in one code page: by its long name when
// the code page holds it in at most LongestAnsiName bytes (a double-byte or
// UTF-8 code page may need more for a name of 255 characters), otherwise by
// its short 8.3 name when the entry has one that the code page holds. The
// entry it returns stays valid until the next call.
class AnsiEntryNamer {
public:
    explicit AnsiEntryNamer(UINT codePage) : codePage_(codePage) {}

    DataFilesEntry Name(const wchar_t* longName, const wchar_t* shortName);

private:
    UINT codePage_;
    std::string name_;
    std::string foreignName_;
    std::string shortName_;
};
