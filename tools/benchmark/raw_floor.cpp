#include "raw_floor.h"

#include <algorithm>
#include <cstdint>

#include "core/data_files_scan.h"
#include "platform/platform.h"

// Reading and replacing go through the program's own file functions, so the
// floor pays exactly what the program pays for them.
std::string FloorReadFile(const std::string& path) {
    return ReadWholeFile(path).bytes;
}

bool FloorReplaceFile(const std::string& path, std::string_view bytes) {
    return ReplaceFileContents(path, bytes) == 0;
}

unsigned FloorReadArchiveStarts(const std::string& folder, const std::vector<std::string>& names) {
    // The folder and its separator, without looking into the folder.
    std::string prefix = PathInFolder(folder, "*");
    prefix.pop_back();
    unsigned read = 0;
    for (const std::string& name : names) {
        // Twelve bytes of header, then eight bytes for each file it counts.
        const FileStartResult result =
            ReadFileStart(prefix + name, [](std::uint64_t size, std::string_view piece) -> std::size_t {
                if (piece.empty()) return size < 12 ? 0 : 12;
                if (piece.size() != 12) return 0;
                const std::uint64_t count = static_cast<unsigned char>(piece[8]) |
                                            static_cast<unsigned char>(piece[9]) << 8 |
                                            static_cast<std::uint64_t>(static_cast<unsigned char>(piece[10])) << 16 |
                                            static_cast<std::uint64_t>(static_cast<unsigned char>(piece[11])) << 24;
                return static_cast<std::size_t>(std::min<std::uint64_t>({8 * count, size - 12, 65536}));
            });
        if (result.status == FileStartStatus::Read) ++read;
    }
    return read;
}

std::vector<std::string> ArchivesAmong(const std::vector<std::string>& names) {
    std::vector<std::string> archives;
    for (const std::string& name : names) {
        if (IsRegistrableArchive(name)) archives.push_back(name);
    }
    return archives;
}
