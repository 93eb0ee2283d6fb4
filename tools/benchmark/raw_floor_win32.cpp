#include "raw_floor.h"

#include <windows.h>

#include "file_search_win32.h"

std::vector<std::string> FloorListFolder(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    FileSearch search(folder + "\\*.bsa", entry);
    if (!search.Found()) return names;
    do {
        names.emplace_back(entry.cFileName);
    } while (search.Next(entry));
    return names;
}
