// Reading, scanning and writing against the real file system, through this
// platform's side of the seam.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/data_files_scan.h"
#include "core/install_path.h"
#include "core/reconcile.h"
#include "core/registered_archives.h"
#include "installation.h"
#include "platform/platform.h"

namespace {

const std::string H = "[" + std::string(ArchiveSection) + "]";

std::vector<std::string> Names(const ArchiveList& list) {
    std::vector<std::string> names;
    for (const ArchiveSlot& slot : list.slots) names.push_back(*slot);
    return names;
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

struct Outcome {
    std::vector<std::string> removed;
    std::vector<std::string> added;
};

Outcome Reconcile() {
    Outcome outcome;
    ReconcileArchives([&](const std::string& name) { outcome.removed.push_back(name); },
                      [&](const std::string& name) { outcome.added.push_back(name); });
    return outcome;
}

TEST(FileSystem, ReadsTheRegisteredList) {
    Installation installation;
    ArchiveList missing;
    EXPECT_EQ(ReadRegisteredArchives(missing), 0u);

    installation.WriteIni("[General]\r\n" + H + "\r\nArchive 0=a.bsa\r\nArchive 1=\xC0\xE1.bsa\r\n");
    ArchiveList list;
    EXPECT_EQ(ReadRegisteredArchives(list), 2u);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a.bsa", "\xC0\xE1.bsa"}));
}

TEST(FileSystem, ScanListsArchivesOnly) {
    Installation installation;
    ArchiveList none;
    EXPECT_EQ(ScanDataFiles(none), 0u) << "missing Data Files";

    for (const char* name : {"morrowind.bsa", "MORROWIND.BSA_", "a.bsa", "B.BSA", "readme.txt",
                             "foo.bsax", "\xC0\xE1.bsa"}) {
        installation.AddDataFile(name);
    }
    installation.AddDataFolder("x.bsa");
    ArchiveList list;
    ScanDataFiles(list);
    EXPECT_EQ(Sorted(Names(list)),
              Sorted({"a.bsa", "B.BSA", "x.bsa", "\xC0\xE1.bsa"}));
}

TEST(FileSystem, PathsTooLongAreRefused) {
    Installation installation;
    installation.WriteIni(H + "\r\nArchive 0=a.bsa\r\n");
    installation.AddDataFile("n.bsa");
    const std::string real = InstallPath;
    // Long enough that neither suffix fits; nothing is cut to make it fit.
    InstallPath = real + std::string(PathCapacity - 1 - real.size() - 5, 'x');
    ArchiveList registered;
    ArchiveList found;
    EXPECT_EQ(ReadRegisteredArchives(registered), 0u);
    EXPECT_EQ(ScanDataFiles(found), 0u);
    InstallPath = real;
}

TEST(FileSystem, UpdateRewritesTheFileInOneGo) {
    Installation installation;
    const std::string before = "; keep me\r\n" + H +
                               "\r\nArchive 0=A.bsa\r\nArchive 1=old.bsa\r\nArchive 2=B.bsa\r\n"
                               "[Other]\r\nx = 1\r\n";
    installation.WriteIni(before);
    for (const char* name : {"morrowind.bsa", "a.BSA", "b.bsa"}) installation.AddDataFile(name);

    Outcome outcome = Reconcile();
    EXPECT_EQ(outcome.removed, std::vector<std::string>{"old.bsa"});
    EXPECT_EQ(outcome.added, std::vector<std::string>{});
    ASSERT_EQ(PendingCount, 3u);

    EXPECT_EQ(WriteArchiveList().status, WriteStatus::Written);
    EXPECT_EQ(installation.ReadIni(),
              "; keep me\r\n" + H + "\r\nArchive 0=A.bsa\r\nArchive 1=B.bsa\r\n[Other]\r\nx = 1\r\n");
    EXPECT_EQ(PendingCount, 0u);
    EXPECT_EQ(installation.Entries().size(), 2u) << "a temporary file was left behind";
}

// Entries the game cannot read: new ones are not registered, registered ones
// stay, and the report names each with its reason.
TEST(FileSystem, UnreadableArchivesAreLeftOutOrStay) {
    Installation installation;
    installation.WriteIni(H + "\r\nArchive 0=gone.bsa\r\nArchive 1=r cut.bsa\r\nArchive 2=r folder.bsa\r\n"
                              "Archive 3=r good.bsa\r\n");
    const std::string cut = MakeGameArchive("cut.bsa", 20);
    const std::string laterGame = std::string("BSA\0\x67\0\0\0\x24\0\0\0", 12) + std::string(64, '\0');
    for (const char* prefix : {"n ", "r "}) {
        const std::string p = prefix;
        installation.AddDataFile(p + "cut.bsa", cut.substr(0, cut.size() - 10));
        installation.AddDataFolder(p + "folder.bsa");
        installation.AddDataFile(p + "good.bsa");
    }
    installation.AddDataFile("n empty.bsa", "");
    installation.AddDataFile("n later.bsa", laterGame);
    installation.AddDataFile("n page.bsa", "<html></html>");

    Outcome outcome;
    const ReconcileReport report =
        ReconcileArchives([&](const std::string& name) { outcome.removed.push_back(name); },
                          [&](const std::string& name) { outcome.added.push_back(name); });
    EXPECT_EQ(outcome.removed, std::vector<std::string>{"gone.bsa"});
    EXPECT_EQ(outcome.added, std::vector<std::string>{"n good.bsa"});
    std::vector<std::string> reported;
    for (const UnreadableArchive& archive : report.unreadable) {
        EXPECT_EQ(archive.error, 0u) << archive.name;
        reported.push_back(archive.name + (archive.staysRegistered ? " stays" : " left out") + " " +
                           std::to_string(static_cast<int>(archive.verdict)));
    }
    auto line = [](const char* name, const char* fate, ArchiveVerdict verdict) {
        return std::string(name) + " " + fate + " " + std::to_string(static_cast<int>(verdict));
    };
    EXPECT_EQ(Sorted(reported), Sorted({line("n cut.bsa", "left out", ArchiveVerdict::Damaged),
                                        line("n empty.bsa", "left out", ArchiveVerdict::TooShort),
                                        line("n folder.bsa", "left out", ArchiveVerdict::Folder),
                                        line("n later.bsa", "left out", ArchiveVerdict::LaterGame),
                                        line("n page.bsa", "left out", ArchiveVerdict::NotThisGame),
                                        line("r cut.bsa", "stays", ArchiveVerdict::Damaged),
                                        line("r folder.bsa", "stays", ArchiveVerdict::Folder)}));

    EXPECT_EQ(WriteArchiveList().status, WriteStatus::Written);
    EXPECT_EQ(installation.ReadIni(),
              H + "\r\nArchive 0=r cut.bsa\r\nArchive 1=r folder.bsa\r\nArchive 2=r good.bsa\r\n"
                  "Archive 3=n good.bsa\r\n");
}

TEST(FileSystem, UpdateCreatesAMissingFile) {
    Installation installation;
    installation.AddDataFile("n.bsa");
    Reconcile();
    EXPECT_EQ(WriteArchiveList().status, WriteStatus::Written);
    EXPECT_EQ(installation.ReadIni(), H + "\r\nArchive 0=n.bsa\r\n");
}

TEST(FileSystem, ChangesMadeSinceReadingSurvive) {
    Installation installation;
    installation.WriteIni(H + "\r\nArchive 0=a.bsa\r\n");
    installation.AddDataFile("a.bsa");
    installation.AddDataFile("n.bsa");
    Reconcile();
    installation.WriteIni("[Added]\r\nby=another tool\r\n" + H + "\r\nArchive 0=a.bsa\r\n");
    EXPECT_EQ(WriteArchiveList().status, WriteStatus::Written);
    EXPECT_EQ(installation.ReadIni(),
              "[Added]\r\nby=another tool\r\n" + H + "\r\nArchive 0=a.bsa\r\nArchive 1=n.bsa\r\n");
}

TEST(FileSystem, ReadOnlyFileIsNotWrittenAndTheUpdateCanBeRetried) {
    Installation installation;
    const std::string before = H + "\r\nArchive 0=gone.bsa\r\n";
    installation.WriteIni(before);
    installation.AddDataFile("n.bsa");
    Reconcile();
    installation.SetIniReadOnly(true);

    WriteResult result = WriteArchiveList();
    EXPECT_EQ(result.status, WriteStatus::Failed);
    EXPECT_NE(result.error, 0u);
    EXPECT_EQ(installation.ReadIni(), before);
    EXPECT_EQ(installation.Entries().size(), 2u) << "a temporary file was left behind";
    ASSERT_EQ(PendingCount, 1u) << "the pending list must survive a failed update";

    installation.SetIniReadOnly(false);
    EXPECT_EQ(WriteArchiveList().status, WriteStatus::Written);
    EXPECT_EQ(installation.ReadIni(), H + "\r\nArchive 0=n.bsa\r\n");
}

TEST(FileSystem, NothingToWriteTouchesNothing) {
    Installation installation;
    installation.WriteIni(H + "\r\nArchive 0=a.bsa\r\n");
    installation.AddDataFile("a.bsa");
    Outcome outcome = Reconcile();
    EXPECT_TRUE(outcome.removed.empty() && outcome.added.empty());
    EXPECT_EQ(PendingCount, 0u);
    installation.SetIniReadOnly(true);
    EXPECT_EQ(WriteArchiveList().status, WriteStatus::NothingToWrite);
}

// Links made with the standard library: natively real ones. Wine's
// CreateSymbolicLink makes none, so there the test is skipped;
// tests/wine/player_file_test.cpp makes Unix links under Wine instead.
TEST(FileSystem, LinkedIniStaysALinkToTheUpdatedFile) {
    Installation installation;
    const std::string before = H + "\r\nArchive 0=gone.bsa\r\n";
    std::filesystem::create_directories(installation.PathOf("Profiles"));
    const std::filesystem::path relative = std::filesystem::path("Profiles") / "morrowind.ini";
    const std::string target = installation.PathOf(relative.string());
    Installation::WriteBytes(target, before);
    std::error_code error;
    std::filesystem::create_symlink(relative, installation.IniPath(), error);
    if (error || installation.ReadIni() != before) GTEST_SKIP() << "no symbolic links on this platform";
    installation.AddDataFile("n.bsa");
    Reconcile();

    ASSERT_EQ(WriteArchiveList().status, WriteStatus::Written);
    EXPECT_EQ(Installation::ReadBytes(target), H + "\r\nArchive 0=n.bsa\r\n");
    EXPECT_TRUE(std::filesystem::is_symlink(installation.IniPath()));
    EXPECT_EQ(Sorted(installation.Entries()), Sorted({"Data Files", "Profiles", "morrowind.ini"}));

    // A link to a missing file is left alone.
    std::filesystem::remove(target);
    installation.AddDataFile("m.bsa");
    Reconcile();
    EXPECT_EQ(WriteArchiveList().status, WriteStatus::Failed);
    EXPECT_TRUE(std::filesystem::is_symlink(installation.IniPath()));
    EXPECT_FALSE(std::filesystem::exists(target));
}

// The name this platform gives the temporary file of an update: seen in the
// folder while the update is about to move it into place.
const Installation* watched = nullptr;
std::string temporaryName;
SystemErrorCode NoteTemporaryAndFail(WriteStep step) {
    if (step != WriteStep::Replace) return 0;
    for (const std::string& name : watched->Entries()) {
        if (name != "morrowind.ini" && name != "Data Files") temporaryName = name;
    }
    return 1;
}

std::string TemporaryNameOfAnUpdate(const Installation& installation) {
    watched = &installation;
    temporaryName.clear();
    SetWriteFaultHook(NoteTemporaryAndFail);
    WriteArchiveList();
    SetWriteFaultHook(nullptr);
    return temporaryName;
}

TEST(FileSystem, UpdateRemovesItsOwnLeftoversAndNothingElse) {
    Installation installation;
    installation.WriteIni(H + "\r\nArchive 0=gone.bsa\r\n");
    installation.AddDataFile("n.bsa");
    Reconcile();
    // A temporary file as an update killed before its last step leaves it.
    const std::string leftover = TemporaryNameOfAnUpdate(installation);
    ASSERT_EQ(leftover.rfind("morrowind.ini.", 0), 0u) << leftover;
    const std::string ownPart = leftover.substr(std::string("morrowind.ini").size());
    const std::vector<std::string> others = {
        "other.ini" + ownPart,             // the same pattern for another file
        "morrowind.ini.ambrel-notes.txt",  // almost the pattern
        leftover + ".bak",
        "morrowind.ini.bak",
    };
    for (const std::string& name : others) Installation::WriteBytes(installation.PathOf(name), "x");
    Installation::WriteBytes(installation.PathOf(leftover), H + "\r\nArchive 0=half");

    ASSERT_EQ(WriteArchiveList().status, WriteStatus::Written);
    std::vector<std::string> expected = others;
    expected.push_back("Data Files");
    expected.push_back("morrowind.ini");
    EXPECT_EQ(Sorted(installation.Entries()), Sorted(expected));
}

// Another update of the same file (another Ambrel, or a retry) that runs at
// the last moment before this one moves its temporary file into place: its
// clean-up must not take that file for a leftover.
const Installation* updated = nullptr;
SystemErrorCode UpdateAgainBeforeTheMove(WriteStep step) {
    if (step != WriteStep::Replace) return 0;
    SetWriteFaultHook(nullptr);
    return ReplaceFileContents(updated->IniPath(), H + "\r\nArchive 0=other.bsa\r\n");
}

TEST(FileSystem, AnotherUpdatesCleanUpLeavesATemporaryFileInUseAlone) {
    Installation installation;
    installation.WriteIni(H + "\r\nArchive 0=gone.bsa\r\n");
    installation.AddDataFile("n.bsa");
    Reconcile();
    updated = &installation;
    SetWriteFaultHook(UpdateAgainBeforeTheMove);
    const WriteResult result = WriteArchiveList();
    SetWriteFaultHook(nullptr);

    EXPECT_EQ(result.status, WriteStatus::Written) << "error " << result.error;
    EXPECT_EQ(installation.ReadIni(), H + "\r\nArchive 0=n.bsa\r\n");
    EXPECT_EQ(Sorted(installation.Entries()), Sorted({"Data Files", "morrowind.ini"}));
}

} // namespace
