// A scratch installation folder for tests against the real file system:
// morrowind.ini and Data Files in a fresh temporary folder, which becomes
// InstallPath and is removed afterwards.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "core/install_path.h"
#include "game_archive.h"

class Installation {
public:
    Installation() {
        static unsigned serial = 0;
        root_ = std::filesystem::temp_directory_path() /
                ("ambrel-test-" + std::to_string(std::random_device{}()) + "-" + std::to_string(++serial));
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_);
        InstallPath = root_.string();
    }
    ~Installation() {
        std::error_code ignored;
        for (auto& entry : std::filesystem::recursive_directory_iterator(root_, ignored)) {
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        }
        std::filesystem::remove_all(root_, ignored);
        InstallPath.clear();
    }
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;

    // A path inside the installation; names are bytes in the ANSI code page.
    std::string PathOf(const std::string& relative) const {
        std::string path = InstallPath;
        path += static_cast<char>(std::filesystem::path::preferred_separator);
        path += relative;
        return path;
    }
    std::string IniPath() const { return PathOf("morrowind.ini"); }

    void WriteIni(const std::string& bytes) const { WriteBytes(IniPath(), bytes); }
    std::string ReadIni() const { return ReadBytes(IniPath()); }

    // An archive of the game with a few files, or the bytes given.
    void AddDataFile(const std::string& name) const { AddDataFile(name, MakeGameArchive(name)); }
    void AddDataFile(const std::string& name, const std::string& bytes) const {
        std::filesystem::create_directories(PathOf("Data Files"));
        WriteBytes(DataFilePath(name), bytes);
    }
    std::string DataFilePath(const std::string& name) const {
        return PathOf("Data Files") + static_cast<char>(std::filesystem::path::preferred_separator) + name;
    }
    void AddDataFolder(const std::string& name) const {
        std::filesystem::create_directories(PathOf("Data Files/" + name));
    }

    void SetIniReadOnly(bool readOnly) const {
        using std::filesystem::perms;
        std::filesystem::permissions(IniPath(), perms::owner_write | perms::group_write | perms::others_write,
                                     readOnly ? std::filesystem::perm_options::remove
                                              : std::filesystem::perm_options::add);
    }

    // The names of the installation folder's own entries.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (auto& entry : std::filesystem::directory_iterator(root_)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    static void WriteBytes(const std::string& path, const std::string& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    static std::string ReadBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::filesystem::path root_;
};
