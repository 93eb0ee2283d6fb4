// The INI engine: reads keys from, and edits keys in, an INI file held as its
// exact bytes. It never converts an encoding; names are compared with ASCII
// case folded and every other byte as it is, so Cyrillic letters in another
// case name another section (Wine's profile functions agree).
//
// Reading gives what the Windows profile functions give for the same bytes:
// - a line ends at CR, LF or CRLF; blanks around a line, a name or a value
//   are not part of it. Blanks are space and tab only: vertical tab, form
//   feed and ^Z are kept as bytes of the name or value;
// - a line starting with '[' is a section header; the name ends at the first
//   ']' or, without one, at the end of the line;
// - a key line is "name=value" (split at the first '='); a line without '='
//   is a key without a value, which reads as missing; lines starting with
//   ';' are comments;
// - a name ends at its first NUL byte (after its blanks are trimmed), and so
//   does a value;
// - of several sections with the same name only the first counts, and of
//   several keys with the same name in it only the first;
// - one pair of matching quotes (" or ') around a value is dropped, and the
//   value is cut to IniValueCapacity - 1 characters.
// A UTF-8 byte order mark is no encoding mark but bytes of the first line,
// which is then no header.
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
    std::string_view name;       // blanks trimmed, up to its first NUL
    std::string_view rawValue;   // blanks trimmed; quotes and length as in the file
    std::size_t begin = 0;       // offset of the line's first byte
    std::size_t end = 0;         // offset just past the line's content (before its line ending)
    std::size_t next = 0;        // offset of the next line (past the line ending)
    bool hasValue = true;        // false for a line without '=': the key reads as missing
};

// The first section of a given name, as found in a file. The views point
// into the file they were found in.
struct IniSection {
    bool found = false;
    std::size_t headerEnd = 0;   // offset just past the header's content
    std::size_t headerNext = 0;  // offset of the line after the header
    std::vector<IniKeyLine> keys;  // its key lines (with and without '='), in file order
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

// Sets a key to a value, or deletes it when there is no value. A value holds
// no CR, LF or NUL byte (no file name does), and the keys of one call differ.
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
// Added lines take the line ending of the line they follow; after a last
// line without one, the file's first line ending (CRLF in a file without any).
// A value that would not read back as itself (blanks at either end, or
// matching quotes around it) is written in double quotes.
std::string ApplyIniEdits(std::string_view file, std::string_view section,
                          const std::vector<IniKeyEdit>& edits);
