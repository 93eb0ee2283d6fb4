#include "tests/fuzz/ini_invariants.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "core/ascii.h"
#include "core/ini_file.h"
#include "core/registered_archives.h"

namespace {

struct Input {
    std::string section;
    std::vector<IniKeyEdit> edits;
    std::string file;
};

// Values as an update can hold them: what a file name can be, at most as
// long as a value is read.
std::string AsNameValue(std::string value) {
    for (char& c : value) {
        if (c == '\r' || c == '\n' || c == '\0') c = '_';
    }
    if (value.size() > IniValueCapacity - 1) value.resize(IniValueCapacity - 1);
    return value;
}

Input Decode(const std::uint8_t* data, std::size_t size) {
    Input input;
    std::size_t at = 0;
    auto take = [&]() -> std::optional<std::uint8_t> {
        if (at >= size) return std::nullopt;
        return data[at++];
    };
    const std::uint8_t head = take().value_or(0);
    input.section = (head & 0x80) ? "General" : std::string(ArchiveSection);
    std::vector<unsigned> used;
    for (unsigned count = head & 0x07; count > 0; --count) {
        std::optional<std::uint8_t> key = take();
        if (!key) break;
        const unsigned number = *key & 0x0F;
        IniKeyEdit edit;
        edit.key = (*key & 0x10) ? "ARCHIVE " + std::to_string(number) : ArchiveKeyName(number);
        if (!(*key & 0x20)) {
            const std::size_t length = take().value_or(0);
            const std::size_t available = std::min(length, size - at);
            edit.value = AsNameValue(std::string(reinterpret_cast<const char*>(data + at), available));
            at += available;
        }
        bool repeated = false;
        for (unsigned seen : used) repeated = repeated || seen == number;
        if (repeated) continue;  // the keys of one update differ
        used.push_back(number);
        input.edits.push_back(std::move(edit));
    }
    input.file.assign(reinterpret_cast<const char*>(data + at), size - at);
    return input;
}

bool EndsWithLineBreak(std::string_view file) {
    return !file.empty() && (file.back() == '\n' || file.back() == '\r');
}

const IniKeyEdit* EditOf(const std::vector<IniKeyEdit>& edits, std::string_view name) {
    for (const IniKeyEdit& edit : edits) {
        if (EqualsIgnoringAsciiCase(edit.key, name)) return &edit;
    }
    return nullptr;
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    for (const std::string& each : names) {
        if (each == name) return true;
    }
    return false;
}

// The names (ASCII case folded) of the key lines of the section.
std::vector<std::string> KeyNames(const IniSection& section) {
    std::vector<std::string> names;
    for (const IniKeyLine& line : section.keys) names.push_back(FoldAsciiCase(line.name));
    return names;
}

// The file's bytes outside what an update touches. A key line it rewrites
// in place (or leaves as it is) gives up its content and its own first
// line-break byte only: a deletion next to it may leave its CR just before
// an empty LF line, which the file then reads as one CRLF, but the LF is
// still that empty line's byte. A line it deletes or adds, and a header it
// adds, goes whole. The offsets, when asked for, tell where each kept byte
// stood in the file.
std::string Untouched(std::string_view file, const Input& input,
                      const std::vector<std::string>& namesBefore, bool dropAddedHeader,
                      std::vector<std::size_t>* offsets = nullptr) {
    const IniSection found = FindIniSection(file, input.section);
    std::vector<bool> drop(file.size(), false);
    auto dropRange = [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) drop[i] = true;
    };
    std::vector<std::string> seen;
    for (const IniKeyLine& line : found.keys) {
        const IniKeyEdit* edit = EditOf(input.edits, line.name);
        if (!edit) continue;
        const std::string name = FoldAsciiCase(line.name);
        const bool first = !Contains(seen, name);
        seen.push_back(name);
        if (!edit->value) {
            dropRange(line.begin, line.next);
        } else if (first) {
            const bool inPlace = Contains(namesBefore, name);
            dropRange(line.begin, inPlace ? std::min(line.next, line.end + 1) : line.next);
        }
    }
    if (dropAddedHeader) {
        // A header holds '[', so headerEnd > 0; its line starts after the previous line break.
        std::size_t begin = file.find_last_of("\r\n", found.headerEnd - 1);
        begin = begin == std::string_view::npos ? 0 : begin + 1;
        dropRange(begin, found.headerNext);
    }
    std::string kept;
    for (std::size_t i = 0; i < file.size(); ++i) {
        if (drop[i]) continue;
        kept += file[i];
        if (offsets) offsets->push_back(i);
    }
    return kept;
}

// Without the line breaks at the very end, which an addition or deletion at
// an end without one moves.
std::string WithoutFinalBreaks(std::string text) {
    while (EndsWithLineBreak(text)) text.pop_back();
    return text;
}

// Without its last line ending: a CR and an LF are one CRLF only when they
// stood together in the file, not when what stood between them was dropped.
std::string WithoutLastLineEnding(std::string text, const std::vector<std::size_t>& offsets) {
    const std::size_t size = text.size();
    if (size >= 2 && text.compare(size - 2, 2, "\r\n") == 0 && offsets[size - 1] == offsets[size - 2] + 1) {
        text.resize(size - 2);
    } else if (EndsWithLineBreak(text)) {
        text.pop_back();
    }
    return text;
}

} // namespace

std::string CheckIniInvariants(const std::uint8_t* data, std::size_t size) {
    const Input input = Decode(data, size);
    const std::string& file = input.file;
    const std::string& section = input.section;

    if (ApplyIniEdits(file, section, {}) != file) return "an update without edits changed the file";

    const std::string updated = ApplyIniEdits(file, section, input.edits);
    for (const IniKeyEdit& edit : input.edits) {
        if (ReadIniValue(updated, section, edit.key) != edit.value) {
            return edit.key + (edit.value ? " does not read back as written" : " was not deleted");
        }
    }
    const IniSection before = FindIniSection(file, section);
    const std::vector<std::string> namesBefore = KeyNames(before);
    const bool added = !before.found && FindIniSection(updated, section).found;
    std::vector<std::size_t> offsetsBefore;
    const std::string untouchedBefore = Untouched(file, input, namesBefore, false, &offsetsBefore);
    const std::string untouchedAfter = Untouched(updated, input, namesBefore, added);
    if (WithoutFinalBreaks(untouchedAfter) != WithoutFinalBreaks(untouchedBefore)) {
        return "bytes outside the touched key lines changed";
    }
    if (!file.empty() && EndsWithLineBreak(file) && !EndsWithLineBreak(updated)) {
        return "the update took the line break from the end of the file";
    }
    // Deleting the lines at an end without a line break takes the line
    // ending before them along; when that ends an empty line, the empty
    // line goes with it (an empty line without a line ending has no bytes)
    // and the file ends with the line break before.
    if (!file.empty() && !EndsWithLineBreak(file) && EndsWithLineBreak(updated) &&
        untouchedAfter != WithoutLastLineEnding(untouchedBefore, offsetsBefore)) {
        return "the update left a line break at an end that had none";
    }
    for (const IniKeyLine& line : before.keys) {
        if (EditOf(input.edits, line.name)) continue;
        if (ReadIniValue(updated, section, line.name) != ReadIniValue(file, section, line.name)) {
            return "key " + std::string(line.name) + " of the section reads differently";
        }
    }
    if (ApplyIniEdits(updated, section, input.edits) != updated) {
        return "the same update applied twice changed the file again";
    }
    return {};
}
