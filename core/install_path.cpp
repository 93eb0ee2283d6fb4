#include "core/install_path.h"

std::string InstallPath;

std::optional<std::string> ComposeInstallPath(std::string_view suffix) {
    if (InstallPath.size() + suffix.size() > PathCapacity - 1) return std::nullopt;
    std::string path = InstallPath;
    path += suffix;
    return path;
}
