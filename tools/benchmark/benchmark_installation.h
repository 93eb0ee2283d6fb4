// A scratch installation the size of a heavily modded game, in a fresh
// temporary folder that becomes InstallPath and is removed afterwards.
//
// morrowind.ini registers `count` archives and Data Files holds `count`
// archives of the game with 50 files each (plus morrowind.bsa and a few
// files that are no archives):
// - every other registered entry names an archive on disk, one in ten of
//   them in capitals, so half the disk is already registered;
// - the other entries name archives that are gone, and one in a hundred of
//   them repeats an earlier one of those;
// - the other half of the disk is archives not registered yet.
// So a reconciliation removes half the list, adds as many names and rewrites
// every key, leaving as many keys as before: an entry registered twice whose
// archive exists would be kept twice and push the list past MaxArchives at
// the largest size.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

class BenchmarkInstallation {
public:
    explicit BenchmarkInstallation(unsigned count);
    ~BenchmarkInstallation();
    BenchmarkInstallation(const BenchmarkInstallation&) = delete;
    BenchmarkInstallation& operator=(const BenchmarkInstallation&) = delete;

    unsigned Count() const { return count_; }
    // What a reconciliation of the installation as built reports.
    unsigned ExpectedRemoved() const { return expectedRemoved_; }
    unsigned ExpectedAdded() const { return static_cast<unsigned>(expectedAdded_.size()); }
    // Whether morrowind.ini now registers what that reconciliation writes:
    // the kept entries in their order, then the added names, one key each
    // and no more keys.
    bool HoldsTheOutcome() const;
    // Makes this installation the one the core works on.
    void Select() const;
    std::string IniPath() const;
    std::string DataFilesPath() const;
    // The INI file's bytes as built.
    const std::string& IniBytes() const { return ini_; }
    // Puts the INI file back as built, so every cycle starts from the same state.
    void RestoreIni() const;

private:
    unsigned count_;
    unsigned expectedRemoved_ = 0;
    std::vector<std::string> expectedKept_;
    std::vector<std::string> expectedAdded_;  // sorted
    std::filesystem::path root_;
    std::string ini_;
};
