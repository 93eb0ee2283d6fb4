#include "core/ini_file.h"

#include <algorithm>
#include <cstring>

#include "core/ascii.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

struct Span {
    std::size_t begin;
    std::size_t end;
};

Span TrimBlanks(std::string_view file, Span span) {
    while (span.begin < span.end && IsBlank(file[span.begin])) ++span.begin;
    while (span.end > span.begin && IsBlank(file[span.end - 1])) --span.end;
    return span;
}

std::string_view View(std::string_view file, Span span) {
    return file.substr(span.begin, span.end - span.begin);
}

// The platform keeps a name as a C string: it ends at its first NUL.
Span CutAtNul(std::string_view file, Span span) {
    std::size_t nul = View(file, span).find('\0');
    if (nul != std::string_view::npos) span.end = span.begin + nul;
    return span;
}

// One physical line: [begin, end) is its content, next the start of the
// following line. CRLF counts as one line ending, a lone CR or LF as one each.
struct Line {
    std::size_t begin;
    std::size_t end;
    std::size_t next;
};

// memchr rather than a loop over the bytes: it looks at many at a time.
std::size_t FindByte(std::string_view file, std::size_t from, std::size_t to, char byte) {
    const void* at = std::memchr(file.data() + from, byte, to - from);
    return at ? static_cast<std::size_t>(static_cast<const char*>(at) - file.data()) : to;
}

Line LineAt(std::string_view file, std::size_t begin) {
    std::size_t end = FindByte(file, begin, FindByte(file, begin, file.size(), '\n'), '\r');
    std::size_t next = end;
    if (next < file.size()) {
        next += (file[next] == '\r' && next + 1 < file.size() && file[next + 1] == '\n') ? 2 : 1;
    }
    return {begin, end, next};
}

std::string_view FirstLineEnding(std::string_view file) {
    std::size_t at = file.find_first_of("\r\n");
    if (at == std::string_view::npos) return "\r\n";
    if (file[at] == '\n') return "\n";
    return (at + 1 < file.size() && file[at + 1] == '\n') ? "\r\n" : "\r";
}

std::size_t LineEndingLengthBefore(std::string_view file, std::size_t offset) {
    if (offset == 0 || !IsLineBreak(file[offset - 1])) return 0;
    return (file[offset - 1] == '\n' && offset >= 2 && file[offset - 2] == '\r') ? 2 : 1;
}

// The line ending for lines added at a line start: that of the line before,
// which cannot run together with whatever follows (a line starting with LF
// never follows a lone CR); at an end without one, the file's first line
// ending.
std::string_view LineEndingBefore(std::string_view file, std::size_t at) {
    std::size_t length = LineEndingLengthBefore(file, at);
    if (length == 0) return FirstLineEnding(file);
    return file.substr(at - length, length);
}

bool ReadsBackAsItself(std::string_view value) {
    if (value.empty()) return true;
    if (IsBlank(value.front()) || IsBlank(value.back())) return false;
    bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                  value.back() == value.front();
    return !quoted;
}

void AppendEncodedValue(std::string& out, std::string_view value) {
    if (ReadsBackAsItself(value)) {
        out += value;
        return;
    }
    out += '"';
    out += value;
    out += '"';
}

} // namespace

IniSection FindIniSection(std::string_view file, std::string_view section) {
    IniSection result;
    // At most one key per line: one pass over the bytes saves growing the
    // vector (and copying it) a dozen times in a large file.
    std::size_t lines = 1;
    for (std::size_t at = 0; (at = FindByte(file, at, file.size(), '\n')) < file.size(); ++at) ++lines;
    result.keys.reserve(lines);
    bool inside = false;
    for (std::size_t offset = 0; offset < file.size();) {
        Line line = LineAt(file, offset);
        offset = line.next;
        Span content = TrimBlanks(file, {line.begin, line.end});
        if (content.begin == content.end) continue;
        const std::string_view text = View(file, content);

        if (text.front() == '[') {
            if (inside) break;  // the first section of the name ends here
            std::size_t close = text.find(']', 1);
            std::size_t nameEnd = close == std::string_view::npos ? content.end : content.begin + close;
            Span name = CutAtNul(file, TrimBlanks(file, {content.begin + 1, nameEnd}));
            if (EqualsIgnoringAsciiCase(View(file, name), section)) {
                inside = true;
                result.found = true;
                result.headerEnd = line.end;
                result.headerNext = line.next;
            }
            continue;
        }
        if (!inside || text.front() == ';') continue;

        IniKeyLine key;
        key.begin = line.begin;
        key.end = line.end;
        key.next = line.next;
        std::size_t equals = text.find('=');
        Span name = content;
        if (equals == std::string_view::npos) {
            key.hasValue = false;
        } else {
            name = TrimBlanks(file, {content.begin, content.begin + equals});
            key.rawValue = View(file, TrimBlanks(file, {content.begin + equals + 1, content.end}));
        }
        key.name = View(file, CutAtNul(file, name));
        if (key.name.empty()) continue;
        result.keys.push_back(key);
    }
    return result;
}

IniKeyIndex::IniKeyIndex(const IniSection& section) : section_(section), next_(section.keys.size(), None) {
    std::size_t buckets = 16;
    while (buckets < 2 * section.keys.size()) buckets *= 2;
    table_.assign(buckets, 0);
    mask_ = buckets - 1;
    std::vector<std::size_t> last(section.keys.size(), None);  // by first position: the latest line of that name
    for (std::size_t i = 0; i < section.keys.size(); ++i) {
        std::string_view name = section.keys[i].name;
        for (std::size_t bucket = FoldedHash(name) & mask_;; bucket = (bucket + 1) & mask_) {
            std::size_t& entry = table_[bucket];
            if (entry == 0) {
                entry = i + 1;
                last[i] = i;
                break;
            }
            if (EqualsIgnoringAsciiCase(section.keys[entry - 1].name, name)) {
                next_[last[entry - 1]] = i;
                last[entry - 1] = i;
                break;
            }
        }
    }
}

std::size_t IniKeyIndex::First(std::string_view name) const {
    for (std::size_t bucket = FoldedHash(name) & mask_;; bucket = (bucket + 1) & mask_) {
        std::size_t entry = table_[bucket];
        if (entry == 0) return None;
        if (EqualsIgnoringAsciiCase(section_.keys[entry - 1].name, name)) return entry - 1;
    }
}

std::string_view IniWholeValue(std::string_view rawValue) {
    std::string_view value = rawValue.substr(0, rawValue.find('\0'));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

std::string_view IniValueView(std::string_view rawValue) {
    return IniWholeValue(rawValue).substr(0, IniValueCapacity - 1);
}

std::string IniValueAsRead(std::string_view rawValue) {
    return std::string(IniValueView(rawValue));
}

std::optional<std::string> ReadIniValue(std::string_view file, std::string_view section,
                                        std::string_view key) {
    IniSection found = FindIniSection(file, section);
    for (const IniKeyLine& line : found.keys) {
        if (!EqualsIgnoringAsciiCase(line.name, key)) continue;
        if (!line.hasValue) return std::nullopt;
        return IniValueAsRead(line.rawValue);
    }
    return std::nullopt;
}

std::string ApplyIniEdits(std::string_view file, std::string_view section,
                          const std::vector<IniKeyEdit>& edits) {
    return ApplyIniEdits(file, FindIniSection(file, section), section, edits);
}

std::string ApplyIniEdits(std::string_view file, const IniSection& found, std::string_view section,
                          const std::vector<IniKeyEdit>& edits) {
    const IniKeyIndex index(found);
    std::vector<const IniKeyEdit*> editOf(found.keys.size(), nullptr);  // nullptr: the line stays
    std::vector<IniAddedKey> added;
    for (const IniKeyEdit& edit : edits) {
        std::size_t first = index.First(edit.key);
        if (edit.value) {
            if (first == IniKeyIndex::None) {
                added.push_back({edit.key, *edit.value});
            } else {
                editOf[first] = &edit;
            }
        } else {
            for (std::size_t i = first; i != IniKeyIndex::None; i = index.Next(i)) editOf[i] = &edit;
        }
    }
    return RewriteIniSection(
        file, found, section,
        [&](std::size_t line) {
            const IniKeyEdit* edit = editOf[line];
            if (!edit) return IniLineFate{};
            if (!edit->value) return IniLineFate{IniLineFate::Remove, {}, {}};
            return IniLineFate{IniLineFate::Replace, edit->key, *edit->value};
        },
        added);
}

std::string RewriteIniSection(std::string_view file, const IniSection& found, std::string_view section,
                              const IniLineFates& fateOf, const std::vector<IniAddedKey>& added) {
    std::size_t at = file.size();
    if (found.found) {
        at = found.keys.empty() ? found.headerNext : found.keys.back().next;
    }
    const bool atUnterminatedEnd = at == file.size() && !file.empty() && !IsLineBreak(file.back());

    // When the deleted lines that end the file have no line ending, the first
    // of them takes the line ending before it along, so that the file still
    // ends without one.
    std::size_t runStart = found.keys.size();
    if (!file.empty() && !IsLineBreak(file.back())) {
        std::size_t runBegin = file.size();
        for (std::size_t i = found.keys.size(); i-- > 0;) {
            if (found.keys[i].next != runBegin || fateOf(i).kind != IniLineFate::Remove) break;
            runBegin = found.keys[i].begin;
            runStart = i;
        }
    }

    std::string result;
    result.reserve(file.size() + 64);
    std::size_t copied = 0;
    auto copyUpTo = [&](std::size_t offset) {
        // Changes never overlap; should one, its bytes are not copied twice.
        std::size_t begin = std::max(offset, copied);
        result.append(file.substr(copied, begin - copied));
        copied = begin;
    };
    for (std::size_t i = 0; i < found.keys.size(); ++i) {
        const IniKeyLine& line = found.keys[i];
        const IniLineFate fate = fateOf(i);
        if (fate.kind == IniLineFate::Replace) {
            if (line.hasValue && IniWholeValue(line.rawValue) == fate.value) continue;
            copyUpTo(line.begin);
            result += fate.key;
            result += '=';
            AppendEncodedValue(result, fate.value);
            copied = std::max(copied, line.end);
        } else if (fate.kind == IniLineFate::Remove) {
            std::size_t begin = line.begin;
            if (i == runStart) begin -= LineEndingLengthBefore(file, begin);
            copyUpTo(begin);
            copied = std::max(copied, line.next);
        }
    }
    if (!added.empty()) {
        const std::string_view lineEnding = LineEndingBefore(file, at);
        copyUpTo(at);
        if (atUnterminatedEnd) result += lineEnding;
        if (!found.found) {
            result += "[";
            result += section;
            result += "]";
            result += lineEnding;
        }
        for (std::size_t i = 0; i < added.size(); ++i) {
            result += added[i].key;
            result += '=';
            AppendEncodedValue(result, added[i].value);
            // At an end that had no line ending, the last added line has none either.
            if (!atUnterminatedEnd || i + 1 < added.size()) result += lineEnding;
        }
    }
    result.append(file.substr(copied));
    return result;
}
