#include "raw_floor.h"

#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { Close(); }
    bool IsValid() const { return fd_ >= 0; }
    int Get() const { return fd_; }
    bool Close() {
        if (!IsValid()) return true;
        bool closed = close(fd_) == 0;
        fd_ = -1;
        return closed;
    }

private:
    int fd_;
};

using Folder = std::unique_ptr<DIR, int (*)(DIR*)>;

} // namespace

std::string FloorReadFile(const std::string& path) {
    std::string bytes;
    FileDescriptor file(open(path.c_str(), O_RDONLY));
    if (!file.IsValid()) return bytes;
    char buffer[65536];
    ssize_t got;
    while ((got = read(file.Get(), buffer, sizeof buffer)) > 0) bytes.append(buffer, static_cast<std::size_t>(got));
    return bytes;
}

std::vector<std::string> FloorListFolder(const std::string& folder) {
    std::vector<std::string> names;
    Folder dir(opendir(folder.c_str()), closedir);
    if (!dir) return names;
    while (dirent* entry = readdir(dir.get())) names.emplace_back(entry->d_name);
    return names;
}

bool FloorReplaceFile(const std::string& path, std::string_view bytes) {
    const std::string temporary = path + ".floor";
    FileDescriptor file(open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
    if (!file.IsValid()) return false;
    bool ok = write(file.Get(), bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    ok = fsync(file.Get()) == 0 && ok;
    ok = file.Close() && ok;
    ok = ok && rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) {
        unlink(temporary.c_str());
        return false;
    }
    FileDescriptor folder(open(path.substr(0, path.rfind('/')).c_str(), O_RDONLY | O_DIRECTORY));
    return folder.IsValid() && fsync(folder.Get()) == 0;
}
