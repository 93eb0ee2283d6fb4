// The INI engine: reads keys from, and edits keys in, an INI file held as its
// exact bytes. It never converts an encoding; names are compared with ASCII
// case folded and every other byte as it is.
//
// Reading gives what the Windows profile functions give for the same bytes:
// - a line ends at CR, LF or CRLF; blanks (space, tab) around a line, a name
//   or a value are not part of it;
// - a line starting with '[' is a section header; the name ends at the first
//   ']' or, without one, at the end of the line;
// - a key line is "name=value" (split at the first '='); lines starting with
//   ';' are comments, lines without '=' are ignored;
// - of several sections with the same name only the first counts, and of
//   several keys with the same name in it only the first;
// - a value is cut at a NUL byte, one pair of matching quotes (" or ')
//   around it is dropped, and it is cut to IniValueCapacity - 1 characters.
//
// Writing (ApplyIniEdits) changes only the key lines it touches: every other
// byte of the file - line endings, comments, blank lines, other sections,
// bytes before the first section, a missing final newline, bytes valid in no
// encoding - comes out as it went in.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// A value is read into a buffer of this many bytes, terminator included.
constexpr std::size_t IniValueCapacity = 256;

struct IniKeyLine {
    std::string_view name;       // blanks trimmed
    std::string_view rawValue;   // blanks trimmed; quotes and length as in the file
    std::size_t begin = 0;       // offset of the line's first byte
    std::size_t end = 0;         // offset just past the line's content (before its line ending)
    std::size_t next = 0;        // offset of the next line (past the line ending)
};

// The first section of a given name, as found in a file. The views point
// into the file they were found in.
struct IniSection {
    bool found = false;
    std::size_t headerEnd = 0;   // offset just past the header's content
    std::size_t headerNext = 0;  // offset of the line after the header
    std::vector<IniKeyLine> keys;  // its key lines, in file order
};

IniSection FindIniSection(std::string_view file, std::string_view section);

// For each key name (ASCII case folded), the positions in section.keys of
// the lines with that name, in file order; the first is the one read.
using IniKeyIndex = std::unordered_map<std::string, std::vector<std::size_t>>;
IniKeyIndex IndexIniKeys(const IniSection& section);

// The value as a reader gets it from a key line's raw value.
std::string IniValueAsRead(std::string_view rawValue);

// The value of a key of a section, or nothing when the section or the key is
// missing.
std::optional<std::string> ReadIniValue(std::string_view file, std::string_view section,
                                        std::string_view key);

// Sets a key to a value, or deletes it when there is no value.
struct IniKeyEdit {
    std::string key;
    std::optional<std::string> value;
};

// The file with the edits applied, each to the first section of that name:
// - a key that exists and already reads as the new value is left alone;
//   otherwise its (first) line is replaced by "key=value" in place;
// - a new key is added after the section's last key line (after its header
//   when it has none), the section being appended to the file when missing;
// - a deleted key loses every line with its name in the section, so that no
//   later duplicate comes to be read in its place.
// Added lines use the file's first line ending, CRLF in a file without one.
// A value that would not read back as itself (blanks at either end, or
// matching quotes around it) is written in double quotes.
std::string ApplyIniEdits(std::string_view file, std::string_view section,
                          const std::vector<IniKeyEdit>& edits);
