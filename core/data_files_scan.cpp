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

unsigned ScanDataFiles(ArchiveList& list) {
    std::optional<std::string> pattern = ComposeDataFilesPattern();
    if (!pattern) return ArchiveCount(list);
    ListDataFilesEntries(*pattern, [&list](std::string_view name) {
        if (!IsRegistrableArchive(name)) return true;
        return AddArchive(list, std::string(name));
    });
    return ArchiveCount(list);
}
