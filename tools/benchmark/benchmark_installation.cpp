#include "benchmark_installation.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <vector>

#include "core/archive_list.h"
#include "core/install_path.h"
#include "core/registered_archives.h"
#include "game_archive.h"

namespace {

// Each archive is a real one of the game with this many small files, so
// that checking it reads a directory of a typical size.
constexpr unsigned FilesPerArchive = 50;

std::string Numbered(const char* format, unsigned number) {
    char name[64];
    std::snprintf(name, sizeof name, format, number);
    return name;
}

std::string OnDiskName(unsigned number) { return Numbered("Mod %05u Textures.bsa", number); }
std::string NewName(unsigned number) { return Numbered("New %05u Meshes.bsa", number); }
std::string GoneName(unsigned number) { return Numbered("Old %05u Sounds.bsa", number); }

std::string InCapitals(std::string name) {
    for (char& c : name) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return name;
}

std::vector<std::string> RegisteredNames(unsigned count) {
    std::vector<std::string> names;
    names.reserve(count);
    for (unsigned i = 0; i < count; ++i) {
        if (i % 2 == 0) {
            std::string name = OnDiskName(i / 2);
            names.push_back(i / 2 % 10 == 3 ? InCapitals(name) : name);
        } else if (i % 100 == 51) {
            names.push_back(names[i / 2 | 1]);  // an earlier entry whose archive is gone
        } else {
            names.push_back(GoneName(i));
        }
    }
    return names;
}

// A game's INI around the archive section, with CRLF line endings.
std::string IniText(const std::vector<std::string>& registered) {
    std::string text = "[Game Files]\r\nGameFile0=Morrowind.esm\r\nGameFile1=Tribunal.esm\r\n"
                       "GameFile2=Bloodmoon.esm\r\n\r\n[General]\r\n";
    for (unsigned i = 0; i < 40; ++i) {
        text += Numbered("Setting %u=", i) + Numbered("%u", i * 37) + "\r\n";
    }
    text += "\r\n[" + std::string(ArchiveSection) + "]\r\n";
    for (unsigned i = 0; i < registered.size(); ++i) {
        text += ArchiveKeyName(i) + "=" + registered[i] + "\r\n";
    }
    text += "\r\n[Movies]\r\nCompany Logo=bethesda logo.bik\r\nMorrowind Logo=mw_logo.bik\r\n";
    return text;
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

} // namespace

BenchmarkInstallation::BenchmarkInstallation(unsigned count) : count_(count) {
    root_ = std::filesystem::temp_directory_path() /
            ("ambrel-benchmark-" + std::to_string(std::random_device{}()) + "-" + std::to_string(count));
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ / "Data Files");

    const std::vector<std::string> registered = RegisteredNames(count);
    for (const std::string& name : registered) {
        if (name.rfind("Old ", 0) == 0) {
            ++expectedRemoved_;
        } else {
            expectedKept_.push_back(name);
        }
    }
    ini_ = IniText(registered);
    RestoreIni();

    std::vector<std::string> onDisk = {"Morrowind.bsa", "Tribunal.esm", "readme.txt"};
    for (unsigned i = 0; i < count / 2; ++i) onDisk.push_back(OnDiskName(i));
    for (unsigned i = count / 2; i < count; ++i) {
        onDisk.push_back(NewName(i));
        expectedAdded_.push_back(NewName(i));
    }
    std::sort(expectedAdded_.begin(), expectedAdded_.end());
    for (const std::string& name : onDisk) {
        const bool archive = name.size() > 4 && name.compare(name.size() - 4, 4, ".bsa") == 0;
        WriteFile(root_ / "Data Files" / name, archive ? MakeGameArchive(name, FilesPerArchive) : "");
    }
}

BenchmarkInstallation::~BenchmarkInstallation() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

void BenchmarkInstallation::Select() const { InstallPath = root_.string(); }

std::string BenchmarkInstallation::IniPath() const { return (root_ / "morrowind.ini").string(); }

std::string BenchmarkInstallation::DataFilesPath() const { return (root_ / "Data Files").string(); }

bool BenchmarkInstallation::HoldsTheOutcome() const {
    std::ifstream in(root_ / "morrowind.ini", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ArchiveList registered;
    ReadArchiveKeys(bytes, registered);
    std::vector<std::string> names;
    for (const ArchiveSlot& slot : registered.slots) names.push_back(*slot);
    if (names.size() != expectedKept_.size() + expectedAdded_.size() ||
        bytes.find(ArchiveKeyName(ArchiveCount(registered)) + "=") != std::string::npos) {
        return false;
    }
    // The new names follow in the order of the platform's scan.
    const auto firstAdded = names.begin() + static_cast<std::ptrdiff_t>(expectedKept_.size());
    std::sort(firstAdded, names.end());
    return std::equal(expectedKept_.begin(), expectedKept_.end(), names.begin()) &&
           std::equal(expectedAdded_.begin(), expectedAdded_.end(), firstAdded);
}

void BenchmarkInstallation::RestoreIni() const { WriteFile(root_ / "morrowind.ini", ini_); }
