#include "core/install_path.h"

#include "platform/platform.h"

std::string InstallPath;

namespace {

std::optional<std::string> Fitting(std::string path) {
    if (path.size() > PathCapacity - 1) return std::nullopt;
    return path;
}

} // namespace

std::optional<std::string> LocateIniFile() {
    return Fitting(PathInFolder(InstallPath, "morrowind.ini"));
}

std::optional<std::string> ComposeDataFilesPattern() {
    return Fitting(PathInFolder(PathInFolder(InstallPath, "Data Files"), "*.bsa"));
}
