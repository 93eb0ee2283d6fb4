#include "core/registered_archives.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/ascii.h"
#include "core/ini_file.h"
#include "core/install_path.h"

RegisteredBasis LastRead;

namespace {

RegisteredBasis BasisOf(std::string_view file, const IniSection& section) {
    RegisteredBasis basis;
    basis.utf16 = IsUtf16Text(file);
    if (section.found) {
        std::string lines;
        std::size_t size = 0;
        for (const IniKeyLine& line : section.keys) size += line.end - line.begin + 1;
        lines.reserve(size);
        for (const IniKeyLine& line : section.keys) {
            lines.append(file.substr(line.begin, line.end - line.begin));
            lines += '\n';
        }
        basis.keyLines = std::move(lines);
    }
    return basis;
}

// The number N of a key named "Archive N" in any ASCII case, N written as
// ArchiveKeyName writes it (no sign, no leading zero); nothing for any other
// name or for N from limit on.
std::optional<unsigned> ArchiveKeyNumber(std::string_view name, unsigned limit) {
    constexpr std::string_view prefix = "archive ";
    if (name.size() <= prefix.size() || !EqualsIgnoringAsciiCase(name.substr(0, prefix.size()), prefix)) {
        return std::nullopt;
    }
    std::string_view digits = name.substr(prefix.size());
    if (digits.size() > 1 && digits.front() == '0') return std::nullopt;
    unsigned number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + static_cast<unsigned>(c - '0');
        if (number >= limit) return std::nullopt;
    }
    return number;
}

// Reads keys 0, 1, ... as a lookup of each name would, in one pass over the
// section: the first line of each number is the one read.
unsigned ReadKeys(const IniSection& section, ArchiveList& list) {
    constexpr std::size_t Missing = static_cast<std::size_t>(-1);
    // Keys 0 .. n-1 take n lines, and one past the capacity tells a full list.
    const unsigned limit = static_cast<unsigned>(std::min<std::size_t>(section.keys.size(), MaxArchives + 1));
    std::vector<std::size_t> lineOf(limit, Missing);
    for (std::size_t i = 0; i < section.keys.size(); ++i) {
        std::optional<unsigned> number = ArchiveKeyNumber(section.keys[i].name, limit);
        if (number && lineOf[*number] == Missing) lineOf[*number] = i;
    }
    std::size_t count = 0;
    while (count < lineOf.size() && lineOf[count] != Missing) ++count;
    list.slots.reserve(std::min<std::size_t>(count, MaxArchives));
    for (std::size_t line : lineOf) {
        if (line == Missing || !section.keys[line].hasValue) break;
        std::string_view value = IniValueView(section.keys[line].rawValue);
        if (value.empty()) break;
        if (!AddArchive(list, std::string(value))) break;
    }
    return ArchiveCount(list);
}

// Whether the section's key lines are those recorded as keyLines by BasisOf.
bool SameKeyLines(std::string_view file, const IniSection& section,
                  const std::optional<std::string>& keyLines) {
    if (!section.found || !keyLines) return section.found == keyLines.has_value();
    std::string_view rest = *keyLines;
    for (const IniKeyLine& line : section.keys) {
        std::string_view text = file.substr(line.begin, line.end - line.begin);
        if (rest.size() <= text.size() || rest.substr(0, text.size()) != text || rest[text.size()] != '\n') {
            return false;
        }
        rest.remove_prefix(text.size() + 1);
    }
    return rest.empty();
}

} // namespace

bool IsUtf16Text(std::string_view file) {
    return file.substr(0, 2) == "\xFF\xFE" || file.substr(0, 2) == "\xFE\xFF";
}

std::string ArchiveKeyName(unsigned number) {
    char digits[16];
    char* end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    std::string name = "Archive ";
    name.append(digits, end);
    return name;
}

unsigned ReadArchiveKeys(std::string_view file, ArchiveList& list) {
    return ReadKeys(FindIniSection(file, ArchiveSection), list);
}

unsigned ReadRegisteredArchives(ArchiveList& list) {
    LastRead = {};
    std::optional<std::string> path = LocateIniFile();
    if (!path) return 0;
    FileReadResult file = ReadWholeFile(*path);
    if (file.status != FileReadStatus::Read) return 0;
    const IniSection section = FindIniSection(file.bytes, ArchiveSection);
    LastRead = BasisOf(file.bytes, section);
    if (LastRead.utf16) return 0;
    return ReadKeys(section, list);
}

std::string ApplyArchiveSlots(std::string_view file, const std::vector<ArchiveSlot>& slots) {
    return ApplyArchiveSlots(file, FindIniSection(file, ArchiveSection), slots);
}

// The edits of "Archive 0" .. "Archive n-1" found by number, as ApplyIniEdits
// would find them by name: the first line of a number gets its name, every
// line of a number whose slot is empty goes, the other lines stay.
std::string ApplyArchiveSlots(std::string_view file, const IniSection& section,
                              const std::vector<ArchiveSlot>& slots) {
    constexpr std::uint32_t Other = static_cast<std::uint32_t>(-1);
    constexpr std::size_t Missing = static_cast<std::size_t>(-1);
    const unsigned count = static_cast<unsigned>(slots.size());
    std::vector<std::uint32_t> numberOf(section.keys.size(), Other);
    std::vector<std::size_t> firstLine(count, Missing);
    for (std::size_t i = 0; i < section.keys.size(); ++i) {
        std::optional<unsigned> number = ArchiveKeyNumber(section.keys[i].name, count);
        if (!number) continue;
        numberOf[i] = *number;
        if (firstLine[*number] == Missing) firstLine[*number] = i;
    }
    std::vector<IniAddedKey> added;
    for (unsigned number = 0; number < count; ++number) {
        if (slots[number] && firstLine[number] == Missing) {
            added.push_back({ArchiveKeyName(number), *slots[number]});
        }
    }
    return RewriteIniSection(
        file, section, ArchiveSection,
        [&](std::size_t line) {
            const std::uint32_t number = numberOf[line];
            if (number == Other) return IniLineFate{};
            const ArchiveSlot& slot = slots[number];
            if (!slot) return IniLineFate{IniLineFate::Remove, {}, {}};
            if (firstLine[number] != line) return IniLineFate{};
            return IniLineFate{IniLineFate::Replace, ArchiveKeyName(number), *slot};
        },
        added);
}

WriteResult WriteArchiveList() {
    if (PendingCount == 0) return {WriteStatus::NothingToWrite, 0};
    std::optional<std::string> path = LocateIniFile();
    if (!path) return {WriteStatus::Failed, PathTooLongError};

    FileReadResult current = ReadWholeFile(*path);
    if (current.status == FileReadStatus::Failed) return {WriteStatus::Failed, current.error};
    if (IsUtf16Text(current.bytes)) return {WriteStatus::Utf16File, 0};
    const IniSection section = FindIniSection(current.bytes, ArchiveSection);
    if (!SameKeyLines(current.bytes, section, LastRead.keyLines)) return {WriteStatus::ChangedElsewhere, 0};

    std::string updated = ApplyArchiveSlots(current.bytes, section, PendingList);
    if (current.status == FileReadStatus::Missing || updated != current.bytes) {
        if (SystemErrorCode error = ReplaceFileContents(*path, updated)) {
            return {WriteStatus::Failed, error};
        }
    }
    ReleasePendingList();
    return {WriteStatus::Written, 0};
}
