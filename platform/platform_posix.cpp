// The native stand-in, for building and testing the core on POSIX systems:
// names are found without regard to ASCII case and separated by '/'.
#include "platform/platform.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Names compare without regard to ASCII case (strcasecmp in the "C" locale,
// which the program never changes).
bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// Temporary files are named "<file>.ambrel-XXXXXX" (mkstemp's six letters
// and digits), a pattern no other program uses, so that leftovers can be
// recognised.
constexpr std::string_view TemporaryMark = ".ambrel-";
constexpr std::size_t TemporaryUniqueLength = 6;

bool IsTemporaryNameOf(std::string_view name, std::string_view target) {
    if (name.size() != target.size() + TemporaryMark.size() + TemporaryUniqueLength ||
        name.substr(0, target.size()) != target ||
        name.substr(target.size(), TemporaryMark.size()) != TemporaryMark) {
        return false;
    }
    std::string_view unique = name.substr(target.size() + TemporaryMark.size());
    return std::all_of(unique.begin(), unique.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    });
}

std::pair<std::string, std::string> SplitFolder(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

SystemErrorCode SyncFolderOf(const std::string& path) {
    int fd = open(SplitFolder(path).first.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return errno;
    SystemErrorCode error = fsync(fd) == 0 ? 0 : errno;
    close(fd);
    return error;
}

// Removes the temporary files that interrupted replacements of target left
// beside it. A replacement in progress holds a lock on its own, which keeps
// it from being taken for a leftover.
void RemoveLeftoversBeside(const std::string& target) {
    const auto [folder, name] = SplitFolder(target);
    for (const std::string& entry : ListFolder(folder)) {
        if (!IsTemporaryNameOf(entry, name)) continue;
        const std::string leftover = folder + "/" + entry;
        int fd = open(leftover.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat status;
        if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0) {
            unlink(leftover.c_str());
        }
        close(fd);
    }
}

// Creates a new temporary file beside target and locks it; returns its
// descriptor, or -1 with errno set. Another update's clean-up may take the
// file in the moment before the lock (the name is then gone): a new one is
// made.
int CreateLockedTemporaryBeside(const std::string& target, std::string& temporary) {
    for (int attempt = 0;; ++attempt) {
        temporary = target + std::string(TemporaryMark) + std::string(TemporaryUniqueLength, 'X');
        int fd = mkstemp(temporary.data());
        if (fd < 0) return -1;
        flock(fd, LOCK_EX);  // a file system without locks leaves the file unprotected, as before
        struct stat status;
        if (fstat(fd, &status) != 0 || status.st_nlink > 0 || attempt >= 100) return fd;
        close(fd);
    }
}

// The file that path names, symbolic links followed: the path itself when
// it is no link. A link to a missing file gives ENOENT: it is neither
// followed nor replaced.
SystemErrorCode ResolveLinks(const std::string& path, std::string& target) {
    struct stat status;
    if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
        target = path;
        return 0;
    }
    std::unique_ptr<char, void (*)(void*)> resolved(realpath(path.c_str(), nullptr), std::free);
    if (!resolved) return errno;
    target = resolved.get();
    return 0;
}

struct FileDescriptor {
    explicit FileDescriptor(int descriptor) : fd(descriptor) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd >= 0) close(fd);
    }
    const int fd;
};

// Gives the new file, open as fd, the old one's owner (when there was an old
// one) and mode, at best: only root may give a file away, and where the
// mode cannot be set the file keeps mkstemp's 0600, which grants no one
// more than before. An update never fails over them.
void KeepOwnerAndMode(int fd, const struct stat* old, mode_t mode) {
    if (old && fchown(fd, old->st_uid, old->st_gid) != 0) {
        // The file stays the writer's.
    }
    fchmod(fd, mode);
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

std::string PathInFolder(const std::string& folder, std::string_view name) {
    std::string path = folder;
    path += '/';
    if (name.find_first_of("*?") == std::string_view::npos) {
        for (const std::string& entry : ListFolder(folder)) {
            if (EqualsIgnoringCase(entry, name)) return path + entry;
        }
    }
    path += name;
    return path;
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
    std::string target;
    if (SystemErrorCode error = ResolveLinks(path, target)) return error;
    mode_t mode = 0644;
    struct stat existing;
    const bool exists = stat(target.c_str(), &existing) == 0;
    if (exists) {
        if (S_ISDIR(existing.st_mode)) return EISDIR;
        // Without any write bit the file counts as read-only, even for root.
        if ((existing.st_mode & 0222) == 0) return EACCES;
        mode = existing.st_mode & 07777;
    }
    RemoveLeftoversBeside(target);

    if (SystemErrorCode error = InjectedFault(WriteStep::CreateTemporary)) return error;
    std::string temporary;
    int fd = CreateLockedTemporaryBeside(target, temporary);
    if (fd < 0) return errno;

    // The lock is held until the file is in place, so that another update's
    // clean-up cannot take it for a leftover in between.
    SystemErrorCode error = InjectedFault(WriteStep::Write);
    if (!error) error = WriteAll(fd, bytes);
    if (!error) KeepOwnerAndMode(fd, exists ? &existing : nullptr, mode);
    if (!error) error = InjectedFault(WriteStep::Flush);
    if (!error && fsync(fd) != 0) error = errno;
    if (!error) error = InjectedFault(WriteStep::Replace);
    if (!error && rename(temporary.c_str(), target.c_str()) != 0) error = errno;
    if (error) unlink(temporary.c_str());
    close(fd);  // after the fsync, closing reports nothing about the bytes
    if (!error) SyncFolderOf(target);  // the rename has happened; a failed folder sync changes nothing
    return error;
}

void SetWriteFaultHook(WriteFaultHook hook) {
    faultHook = hook;
}

void ListDataFilesEntries(const std::string& pattern,
                          const std::function<bool(const DataFilesEntry& entry)>& visit) {
    // Only the patterns the core asks for: a folder joined to "*.ext".
    const auto [folder, wildcard] = SplitFolder(pattern);
    if (wildcard.size() < 2 || wildcard.compare(0, 2, "*.") != 0) return;
    const std::string_view extension = std::string_view(wildcard).substr(1);
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir) return;
    // The archive names back to back in one buffer, then sorted as views of
    // it: the listing is in name order whatever the file system's order is,
    // without a string allocated per name.
    std::string buffer;
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    while (dirent* entry = readdir(dir.get())) {
        std::string_view name = entry->d_name;
        if (name.size() <= extension.size() ||
            !EqualsIgnoringCase(name.substr(name.size() - extension.size()), extension)) {
            continue;
        }
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
}

FileStartResult ReadFileStart(const std::string& path,
                              const std::function<std::size_t(std::uint64_t size, std::string_view piece)>& take) {
    FileStartResult result;
    // Opening never blocks another program here: POSIX has no sharing modes.
    // Not blocking: a named pipe called *.bsa must not stop the scan.
    const FileDescriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK));
    const int fd = file.fd;
    if (fd < 0) {
        result.error = errno;
        return result;
    }
    struct stat status;
    if (fstat(fd, &status) != 0) {
        result.error = errno;
        return result;
    }
    if (S_ISDIR(status.st_mode)) {
        result.status = FileStartStatus::Folder;
        return result;
    }
    const std::uint64_t size = static_cast<std::uint64_t>(status.st_size);
    std::string piece;
    for (std::size_t wanted = take(size, {}); wanted > 0; wanted = take(size, piece)) {
        piece.resize(wanted);
        std::size_t filled = 0;
        while (filled < wanted) {
            const ssize_t got = read(fd, piece.data() + filled, wanted - filled);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) {
                result.error = errno;
                return result;
            }
            if (got == 0) break;
            filled += static_cast<std::size_t>(got);
        }
        piece.resize(filled);
    }
    result.status = FileStartStatus::Read;
    return result;
}
