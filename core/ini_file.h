// The INI engine: reads keys from, and edits keys in, an INI file held as its
// exact bytes. It never converts an encoding; names are compared with ASCII
// case folded and every other byte as it is (so do the profile functions for
// the 8-bit code pages: Cyrillic letters in another case name another
// section).
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
#include <functional>
#include <optional>
#include <string>
#include <string_view>
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

// Finds a section's key lines by name (ASCII case folded) without copying
// any name: one open-addressing table over the positions in section.keys,
// and for each line the next one of the same name.
class IniKeyIndex {
public:
    static constexpr std::size_t None = static_cast<std::size_t>(-1);
    explicit IniKeyIndex(const IniSection& section);
    // The position of the first line with the name (the one read), or None.
    std::size_t First(std::string_view name) const;
    // The position of the next line with the same name as the one at position, or None.
    std::size_t Next(std::size_t position) const { return next_[position]; }

private:
    const IniSection& section_;
    std::vector<std::size_t> table_;  // position + 1; 0 is a free bucket
    std::vector<std::size_t> next_;
    std::size_t mask_ = 0;
};

// The value as a reader gets it from a key line's raw value: always a part
// of the raw value.
std::string_view IniValueView(std::string_view rawValue);
// The same without the cut to IniValueCapacity - 1 characters: what a reader
// with a larger buffer gets.
std::string_view IniWholeValue(std::string_view rawValue);
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
// - a key whose whole value (not cut to IniValueCapacity - 1 characters)
//   already is the new value is left alone; otherwise its (first) line is
//   replaced by "key=value" in place;
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
// The same, for a file whose section was already found.
std::string ApplyIniEdits(std::string_view file, const IniSection& found, std::string_view section,
                          const std::vector<IniKeyEdit>& edits);

// What becomes of one key line of a section: it stays, it goes, or it
// becomes "key=value".
struct IniLineFate {
    enum Kind { Keep, Remove, Replace } kind = Keep;
    std::string key;
    std::string_view value;
};
// Decides the fate of found.keys[line]: asked for every line in file order,
// and once more for the lines that end the file.
using IniLineFates = std::function<IniLineFate(std::size_t line)>;

struct IniAddedKey {
    std::string key;
    std::string_view value;
};

// The file with each key line of the section given its fate and the added
// keys added, as ApplyIniEdits describes. A line to be replaced by a value
// that already is its whole value is left alone.
std::string RewriteIniSection(std::string_view file, const IniSection& found, std::string_view section,
                              const IniLineFates& fateOf, const std::vector<IniAddedKey>& added);
