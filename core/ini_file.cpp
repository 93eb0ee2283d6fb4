#include "core/ini_file.h"

#include <algorithm>
#include <iterator>

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

Line LineAt(std::string_view file, std::size_t begin) {
    std::size_t end = begin;
    while (end < file.size() && !IsLineBreak(file[end])) ++end;
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

std::string EncodeIniValue(std::string_view value) {
    if (ReadsBackAsItself(value)) return std::string(value);
    std::string quoted = "\"";
    quoted += value;
    quoted += '"';
    return quoted;
}

// When the deleted lines that end the file have no line ending, the first of
// them takes the line ending before it along, so that the file still ends
// without one.
void TakeLineEndingIntoTrailingRun(std::string_view file, std::vector<Span>& deleted) {
    if (file.empty() || IsLineBreak(file.back())) return;
    std::sort(deleted.begin(), deleted.end(),
              [](const Span& a, const Span& b) { return a.begin < b.begin; });
    std::size_t runBegin = file.size();
    auto first = deleted.end();
    for (auto it = deleted.rbegin(); it != deleted.rend() && it->end == runBegin; ++it) {
        runBegin = it->begin;
        first = std::prev(it.base());
    }
    if (first != deleted.end()) first->begin -= LineEndingLengthBefore(file, first->begin);
}

// Replaces file[begin, end) with text; an insertion has begin == end.
struct Change {
    std::size_t begin;
    std::size_t end;
    std::string text;
};

std::string ApplyChanges(std::string_view file, std::vector<Change> changes) {
    std::stable_sort(changes.begin(), changes.end(),
                     [](const Change& a, const Change& b) { return a.begin < b.begin; });
    std::string result;
    result.reserve(file.size() + 64);
    std::size_t copied = 0;
    for (const Change& change : changes) {
        // Changes never overlap; should one, its bytes are not copied twice.
        std::size_t begin = std::max(change.begin, copied);
        result.append(file.substr(copied, begin - copied));
        result += change.text;
        copied = std::max(copied, change.end);
    }
    result.append(file.substr(copied));
    return result;
}

} // namespace

IniSection FindIniSection(std::string_view file, std::string_view section) {
    IniSection result;
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

IniKeyIndex IndexIniKeys(const IniSection& section) {
    IniKeyIndex index;
    index.reserve(section.keys.size());
    for (std::size_t i = 0; i < section.keys.size(); ++i) {
        index[FoldAsciiCase(section.keys[i].name)].push_back(i);
    }
    return index;
}

std::string IniValueAsRead(std::string_view rawValue) {
    std::string_view value = rawValue.substr(0, rawValue.find('\0'));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value.substr(0, IniValueCapacity - 1));
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
    const IniSection found = FindIniSection(file, section);
    const IniKeyIndex index = IndexIniKeys(found);

    std::vector<Change> changes;
    std::vector<Span> deleted;  // whole lines, line endings included
    std::vector<std::string> addedLines;
    for (const IniKeyEdit& edit : edits) {
        auto lines = index.find(FoldAsciiCase(edit.key));
        if (edit.value) {
            std::string text = edit.key + "=" + EncodeIniValue(*edit.value);
            if (lines == index.end()) {
                addedLines.push_back(std::move(text));
                continue;
            }
            const IniKeyLine& line = found.keys[lines->second.front()];
            if (!line.hasValue || IniValueAsRead(line.rawValue) != *edit.value) {
                changes.push_back({line.begin, line.end, std::move(text)});
            }
        } else if (lines != index.end()) {
            for (std::size_t i : lines->second) {
                deleted.push_back({found.keys[i].begin, found.keys[i].next});
            }
        }
    }
    TakeLineEndingIntoTrailingRun(file, deleted);
    for (const Span& lines : deleted) changes.push_back({lines.begin, lines.end, {}});
    if (addedLines.empty()) return ApplyChanges(file, std::move(changes));

    std::string block;
    std::size_t at = file.size();
    if (found.found) {
        at = found.keys.empty() ? found.headerNext : found.keys.back().next;
    }
    const std::string_view lineEnding = LineEndingBefore(file, at);
    const bool atUnterminatedEnd =
        at == file.size() && !file.empty() && !IsLineBreak(file.back());
    if (atUnterminatedEnd) block += lineEnding;
    if (!found.found) {
        block += "[";
        block += section;
        block += "]";
        block += lineEnding;
    }
    for (std::size_t i = 0; i < addedLines.size(); ++i) {
        block += addedLines[i];
        // At an end that had no line ending, the last added line has none either.
        if (!atUnterminatedEnd || i + 1 < addedLines.size()) block += lineEnding;
    }
    changes.push_back({at, at, std::move(block)});
    return ApplyChanges(file, std::move(changes));
}
