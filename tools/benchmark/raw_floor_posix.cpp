#include "raw_floor.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

std::string FloorReadFile(const std::string& path) {
    std::string bytes;
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return bytes;
    char buffer[65536];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0) bytes.append(buffer, static_cast<std::size_t>(got));
    close(fd);
    return bytes;
}

std::vector<std::string> FloorListFolder(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return names;
    while (dirent* entry = readdir(dir)) names.emplace_back(entry->d_name);
    closedir(dir);
    return names;
}

bool FloorReplaceFile(const std::string& path, std::string_view bytes) {
    std::string temporary = path + ".floor";
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    bool ok = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    ok = fsync(fd) == 0 && ok;
    ok = close(fd) == 0 && ok;
    ok = ok && rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) {
        unlink(temporary.c_str());
        return false;
    }
    std::string folder = path.substr(0, path.rfind('/'));
    int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd < 0) return false;
    ok = fsync(dirFd) == 0;
    close(dirFd);
    return ok;
}
