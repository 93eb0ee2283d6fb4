#include "core/install_path.h"

#include "platform/platform.h"

std::string InstallPath;

namespace {

std::optional<std::string> Fitting(std::string path) {
    if (path.size() > PathCapacity - 1) return std::nullopt;
    return path;
}

constexpr std::string_view ArchivesWildcard = "*.bsa";

} // namespace

std::optional<std::string> LocateIniFile() {
    return Fitting(PathInFolder(InstallPath, "morrowind.ini"));
}

std::optional<std::string> ComposeDataFilesPattern() {
    return Fitting(PathInFolder(PathInFolder(InstallPath, "Data Files"), ArchivesWildcard));
}

std::string PathOfDataFile(const std::string& pattern, std::string_view name) {
    std::string path = pattern.substr(0, pattern.size() - ArchivesWildcard.size());
    path += name;
    return path;
}
