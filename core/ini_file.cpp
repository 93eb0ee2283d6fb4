#include "core/ini_file.h"

#include <algorithm>

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
        // Removals of neighbouring lines may overlap by a line ending.
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

        if (file[content.begin] == '[') {
            if (inside) break;  // the first section of the name ends here
            std::size_t close = file.find(']', content.begin + 1);
            std::size_t nameEnd = (close == std::string_view::npos || close > content.end)
                                      ? content.end
                                      : close;
            Span name = TrimBlanks(file, {content.begin + 1, nameEnd});
            if (EqualsIgnoringAsciiCase(View(file, name), section)) {
                inside = true;
                result.found = true;
                result.headerEnd = line.end;
                result.headerNext = line.next;
            }
            continue;
        }
        if (!inside || file[content.begin] == ';') continue;

        std::size_t equals = file.find('=', content.begin);
        if (equals == std::string_view::npos || equals >= content.end) continue;
        Span name = TrimBlanks(file, {content.begin, equals});
        if (name.begin == name.end) continue;
        Span value = TrimBlanks(file, {equals + 1, content.end});
        result.keys.push_back(
            {View(file, name), View(file, value), line.begin, line.end, line.next});
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
        if (EqualsIgnoringAsciiCase(line.name, key)) return IniValueAsRead(line.rawValue);
    }
    return std::nullopt;
}

std::string ApplyIniEdits(std::string_view file, std::string_view section,
                          const std::vector<IniKeyEdit>& edits) {
    const IniSection found = FindIniSection(file, section);
    const IniKeyIndex index = IndexIniKeys(found);
    const std::string_view lineEnding = FirstLineEnding(file);

    std::vector<Change> changes;
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
            if (IniValueAsRead(line.rawValue) != *edit.value) {
                changes.push_back({line.begin, line.end, std::move(text)});
            }
        } else if (lines != index.end()) {
            for (std::size_t i : lines->second) {
                const IniKeyLine& line = found.keys[i];
                // A last line without a line ending takes the one before it
                // along, so the file still ends without one.
                std::size_t begin = line.begin;
                if (line.next == line.end) begin -= LineEndingLengthBefore(file, begin);
                changes.push_back({begin, line.next, {}});
            }
        }
    }
    if (addedLines.empty()) return ApplyChanges(file, std::move(changes));

    std::string block;
    std::size_t at = file.size();
    if (found.found) {
        at = found.keys.empty() ? found.headerNext : found.keys.back().next;
    }
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
