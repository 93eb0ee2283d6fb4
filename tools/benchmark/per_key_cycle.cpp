#include "per_key_cycle.h"

#include <cstdio>

#include <windows.h>

#include "core/archive_list.h"
#include "core/registered_archives.h"
#include "file_search_win32.h"

namespace {

const std::string Section(ArchiveSection);

std::string KeyName(unsigned number) {
    char key[100];
    std::snprintf(key, sizeof key, "Archive %u", number);
    return key;
}

bool Equal(const std::string& a, const std::string& b) { return _stricmp(a.c_str(), b.c_str()) == 0; }

} // namespace

PerKeySlots PerKeyRead(const std::string& iniPath) {
    PerKeySlots names;
    char value[256];
    while (names.size() < MaxArchives) {
        GetPrivateProfileStringA(Section.c_str(), KeyName(static_cast<unsigned>(names.size())).c_str(),
                                 "", value, sizeof value, iniPath.c_str());
        if (value[0] == '\0') break;
        names.emplace_back(value);
    }
    return names;
}

PerKeySlots PerKeyScan(const std::string& dataFilesPath) {
    PerKeySlots names;
    WIN32_FIND_DATAA entry;
    FileSearch search(dataFilesPath + "\\*.bsa", entry);
    if (!search.Found()) return names;
    do {
        if (_stricmp(entry.cFileName, "morrowind.bsa") != 0) names.emplace_back(entry.cFileName);
    } while (names.size() < MaxArchives && search.Next(entry));
    return names;
}

PerKeySlots PerKeyMatch(PerKeySlots& registered, PerKeySlots& found, const PerKeySink& removed,
                        const PerKeySink& added) {
    bool changed = false;
    for (auto& entry : registered) {
        bool present = false;
        for (const auto& file : found) {
            if (Equal(*entry, *file)) {
                present = true;
                break;
            }
        }
        if (!present) {
            removed(*entry);
            entry.reset();
            changed = true;
        }
    }
    for (auto& file : found) {
        for (const auto& entry : registered) {
            if (entry && Equal(*entry, *file)) {
                file.reset();
                break;
            }
        }
    }

    PerKeySlots pending;
    pending.reserve(registered.size() + found.size());
    for (auto& entry : registered) {
        if (entry) pending.push_back(std::move(entry));
    }
    for (auto& file : found) {
        if (!file) continue;
        added(*file);
        pending.push_back(std::move(file));
        changed = true;
    }
    if (!changed) return {};
    if (pending.size() < registered.size()) pending.resize(registered.size());
    return pending;
}

void PerKeyWrite(const std::string& iniPath, const PerKeySlots& pending) {
    for (unsigned i = 0; i < pending.size(); ++i) {
        WritePrivateProfileStringA(Section.c_str(), KeyName(i).c_str(),
                                   pending[i] ? pending[i]->c_str() : nullptr, iniPath.c_str());
    }
}
