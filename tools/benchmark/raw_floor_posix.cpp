#include "raw_floor.h"

#include <memory>

#include <dirent.h>

namespace {

using Folder = std::unique_ptr<DIR, int (*)(DIR*)>;

} // namespace

std::vector<std::string> FloorListFolder(const std::string& folder) {
    std::vector<std::string> names;
    Folder dir(opendir(folder.c_str()), closedir);
    if (!dir) return names;
    while (dirent* entry = readdir(dir.get())) names.emplace_back(entry->d_name);
    return names;
}
