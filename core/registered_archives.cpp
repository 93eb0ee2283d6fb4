#include "core/registered_archives.h"

#include <vector>

#include "core/ascii.h"
#include "core/ini_file.h"

RegisteredBasis LastRead;

namespace {

RegisteredBasis BasisOf(std::string_view file) {
    RegisteredBasis basis;
    basis.utf16 = IsUtf16Text(file);
    const IniSection section = FindIniSection(file, ArchiveSection);
    if (section.found) {
        std::string lines;
        for (const IniKeyLine& line : section.keys) {
            lines.append(file.substr(line.begin, line.end - line.begin));
            lines += '\n';
        }
        basis.keyLines = std::move(lines);
    }
    return basis;
}

} // namespace

bool IsUtf16Text(std::string_view file) {
    return file.substr(0, 2) == "\xFF\xFE" || file.substr(0, 2) == "\xFE\xFF";
}

std::string ArchiveKeyName(unsigned number) {
    return "Archive " + std::to_string(number);
}

unsigned ReadArchiveKeys(std::string_view file, ArchiveList& list) {
    const IniSection section = FindIniSection(file, ArchiveSection);
    const IniKeyIndex index = IndexIniKeys(section);
    for (unsigned number = 0;; ++number) {
        auto lines = index.find(FoldAsciiCase(ArchiveKeyName(number)));
        if (lines == index.end()) break;
        std::string value = IniValueAsRead(section.keys[lines->second.front()].rawValue);
        if (value.empty()) break;
        if (!AddArchive(list, std::move(value))) break;
    }
    return ArchiveCount(list);
}

unsigned ReadRegisteredArchives(ArchiveList& list) {
    LastRead = {};
    std::optional<std::string> path = LocateIniFile();
    if (!path) return 0;
    FileReadResult file = ReadWholeFile(*path);
    if (file.status != FileReadStatus::Read) return 0;
    LastRead = BasisOf(file.bytes);
    if (LastRead.utf16) return 0;
    return ReadArchiveKeys(file.bytes, list);
}

std::string ApplyArchiveSlots(std::string_view file, const std::vector<ArchiveSlot>& slots) {
    std::vector<IniKeyEdit> edits;
    edits.reserve(slots.size());
    for (unsigned i = 0; i < slots.size(); ++i) {
        edits.push_back({ArchiveKeyName(i), slots[i]});
    }
    return ApplyIniEdits(file, ArchiveSection, edits);
}

WriteResult WriteArchiveList() {
    if (PendingCount == 0) return {WriteStatus::NothingToWrite, 0};
    std::optional<std::string> path = LocateIniFile();
    if (!path) return {WriteStatus::Failed, PathTooLongError};

    FileReadResult current = ReadWholeFile(*path);
    if (current.status == FileReadStatus::Failed) return {WriteStatus::Failed, current.error};
    const RegisteredBasis now = BasisOf(current.bytes);
    if (now.utf16) return {WriteStatus::Utf16File, 0};
    if (now.keyLines != LastRead.keyLines) return {WriteStatus::ChangedElsewhere, 0};

    std::string updated = ApplyArchiveSlots(current.bytes, PendingList);
    if (current.status == FileReadStatus::Missing || updated != current.bytes) {
        if (SystemErrorCode error = ReplaceFileContents(*path, updated)) {
            return {WriteStatus::Failed, error};
        }
    }
    ReleasePendingList();
    return {WriteStatus::Written, 0};
}
