#include "core/data_files_scan.h"

#include <string>

#include "core/archive_name.h"
#include "core/ini_file.h"
#include "platform/platform.h"

bool IsRegistrableArchive(std::string_view name) {
    return HasArchiveExtension(name) && !ArchiveNameEquals(name, "morrowind.bsa") &&
           name.size() < IniValueCapacity &&
           name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

unsigned ScanDataFiles(ArchiveList& list) {
    ListDataFilesEntries([&list](std::string_view name) {
        if (!IsRegistrableArchive(name)) return true;
        return AddArchive(list, std::string(name));
    });
    return ArchiveCount(list);
}
