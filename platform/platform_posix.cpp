// The native stand-in, for building and testing the core on POSIX systems:
// names are found without regard to ASCII case and separated by '/'.
#include "platform/platform.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/archive_name.h"
#include "core/ascii.h"
#include "core/install_path.h"

const SystemErrorCode PathTooLongError = ENAMETOOLONG;

namespace {

WriteFaultHook faultHook = nullptr;

SystemErrorCode InjectedFault(WriteStep step) {
    return faultHook ? faultHook(step) : 0;
}

std::vector<std::string> ListFolder(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.empty() ? "/" : folder.c_str());
    if (!dir) return names;
    while (dirent* entry = readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    closedir(dir);
    return names;
}

// The entry of InstallPath named like this in any ASCII case, or the name
// itself when there is none.
std::string FindInInstallFolder(std::string_view name) {
    for (const std::string& entry : ListFolder(InstallPath)) {
        if (EqualsIgnoringAsciiCase(entry, name)) return entry;
    }
    return std::string(name);
}

SystemErrorCode SyncFolderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    if (folder.empty()) folder = "/";
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return errno;
    SystemErrorCode error = fsync(fd) == 0 ? 0 : errno;
    close(fd);
    return error;
}

SystemErrorCode WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

} // namespace

std::optional<std::string> LocateIniFile() {
    return ComposeInstallPath("/" + FindInInstallFolder("morrowind.ini"));
}

FileReadResult ReadWholeFile(const std::string& path) {
    FileReadResult result;
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return result;
        result.status = FileReadStatus::Failed;
        result.error = errno;
        return result;
    }
    struct stat status;
    if (fstat(fd, &status) == 0 && status.st_size > 0) {
        result.bytes.reserve(static_cast<std::size_t>(status.st_size));
    }
    char buffer[65536];
    for (;;) {
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            result.status = FileReadStatus::Failed;
            result.error = errno;
            result.bytes.clear();
            close(fd);
            return result;
        }
        if (got == 0) break;
        result.bytes.append(buffer, static_cast<std::size_t>(got));
    }
    close(fd);
    result.status = FileReadStatus::Read;
    return result;
}

SystemErrorCode ReplaceFileContents(const std::string& path, std::string_view bytes) {
    mode_t mode = 0644;
    struct stat existing;
    if (stat(path.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode)) return EISDIR;
        // Without any write bit the file counts as read-only, even for root.
        if ((existing.st_mode & 0222) == 0) return EACCES;
        mode = existing.st_mode & 07777;
    }

    std::string temporary = path + ".ambrel-XXXXXX";
    if (SystemErrorCode error = InjectedFault(WriteStep::CreateTemporary)) return error;
    int fd = mkstemp(temporary.data());
    if (fd < 0) return errno;

    SystemErrorCode error = InjectedFault(WriteStep::Write);
    if (!error) error = WriteAll(fd, bytes);
    if (!error && fchmod(fd, mode) != 0) error = errno;
    if (!error) error = InjectedFault(WriteStep::Flush);
    if (!error && fsync(fd) != 0) error = errno;
    SystemErrorCode closeError = InjectedFault(WriteStep::Close);
    if (close(fd) != 0 && !closeError) closeError = errno;
    if (!error) error = closeError;
    if (!error) error = InjectedFault(WriteStep::Replace);
    if (!error && rename(temporary.c_str(), path.c_str()) != 0) error = errno;
    if (error) {
        unlink(temporary.c_str());
        return error;
    }
    SyncFolderOf(path);  // the rename has happened; a failed folder sync changes nothing
    return 0;
}

void SetWriteFaultHook(WriteFaultHook hook) {
    faultHook = hook;
}

std::optional<std::string> ComposeDataFilesPattern() {
    return ComposeInstallPath("/" + FindInInstallFolder("Data Files") + "/*.bsa");
}

bool ListDataFilesEntries(const std::function<bool(const DataFilesEntry& entry)>& visit) {
    std::string folderName = FindInInstallFolder("Data Files");
    if (!ComposeInstallPath("/" + folderName + "/*.bsa")) return false;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir((InstallPath + "/" + folderName).c_str()), closedir);
    if (!dir) return true;
    // The archive names back to back in one buffer, then sorted as views of
    // it: the listing is in name order whatever the file system's order is,
    // without a string allocated per name.
    std::string buffer;
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    while (dirent* entry = readdir(dir.get())) {
        std::string_view name = entry->d_name;
        if (!HasArchiveExtension(name)) continue;
        spans.emplace_back(buffer.size(), name.size());
        buffer.append(name);
    }
    std::vector<std::string_view> names;
    names.reserve(spans.size());
    for (const auto& [at, size] : spans) names.emplace_back(buffer.data() + at, size);
    std::sort(names.begin(), names.end());
    // Names are bytes here, handed over as the file system holds them.
    for (std::string_view name : names) {
        if (!visit(DataFilesEntry{name, {}, {}})) break;
    }
    return true;
}
