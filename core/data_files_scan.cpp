#include "core/data_files_scan.h"

#include <algorithm>
#include <optional>
#include <string>

#include "core/archive_name.h"
#include "core/ini_file.h"
#include "core/install_path.h"
#include "platform/platform.h"

bool IsRegistrableArchive(std::string_view name) {
    return HasArchiveExtension(name) && !ArchiveNameEquals(name, "morrowind.bsa") &&
           name.size() < IniValueCapacity &&
           std::none_of(name.begin(), name.end(),
                        [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
}

bool AddScannedEntry(const DataFilesEntry& entry, ArchiveList& list, std::vector<ForeignNamedArchive>& foreign) {
    if (!entry.name.empty()) {
        return !IsRegistrableArchive(entry.name) || AddArchive(list, std::string(entry.name));
    }
    // The long name decides whether it is an archive at all: the short name
    // of "foo.bsax" ends in ".BSA" too.
    if (!HasArchiveExtension(entry.foreignName)) return true;
    if (!IsRegistrableArchive(entry.shortName)) {
        foreign.push_back({std::string(entry.foreignName), {}});
        return true;
    }
    foreign.push_back({std::string(entry.foreignName), std::string(entry.shortName)});
    return AddArchive(list, std::string(entry.shortName));
}

unsigned ScanDataFiles(ArchiveList& list, std::vector<ForeignNamedArchive>& foreign) {
    std::optional<std::string> pattern = ComposeDataFilesPattern();
    if (!pattern) return ArchiveCount(list);
    ListDataFilesEntries(*pattern, [&list, &foreign](const DataFilesEntry& entry) {
        return AddScannedEntry(entry, list, foreign);
    });
    return ArchiveCount(list);
}

unsigned ScanDataFiles(ArchiveList& list) {
    std::vector<ForeignNamedArchive> foreign;
    return ScanDataFiles(list, foreign);
}
