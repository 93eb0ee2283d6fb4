// Updating a morrowind.ini that another process holds open: a brief lock is
// waited out, a lasting one is reported and changes nothing.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include <windows.h>

#include "core/archive_check.h"
#include "core/reconcile.h"
#include "core/registered_archives.h"
#include "../core/installation.h"

namespace {

const std::string H = "[" + std::string(ArchiveSection) + "]";
const std::string Before = H + "\r\nArchive 0=gone.bsa\r\n";
const std::string After = H + "\r\nArchive 0=n.bsa\r\n";

// An installation whose update would replace gone.bsa with n.bsa, reconciled
// and ready to write.
void PrepareUpdate(const Installation& installation) {
    installation.WriteIni(Before);
    installation.AddDataFile("n.bsa");
    ReconcileArchives([](const std::string&) {}, [](const std::string&) {});
}

HANDLE Lock(const std::string& path, DWORD share) {
    return CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

struct LockCase {
    const char* name;
    DWORD share;  // what the other process lets others do meanwhile
};

class HeldOpen : public testing::TestWithParam<LockCase> {};

TEST_P(HeldOpen, LastingLockIsReportedAndChangesNothing) {
    Installation installation;
    PrepareUpdate(installation);

    HANDLE lock = Lock(installation.IniPath(), GetParam().share);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    WriteResult result = WriteArchiveList();
    CloseHandle(lock);

    EXPECT_EQ(result.status, WriteStatus::Failed);
    EXPECT_NE(result.error, 0u);
    EXPECT_EQ(installation.ReadIni(), Before);
    EXPECT_EQ(installation.Entries().size(), 2u) << "a temporary file was left behind";
    EXPECT_EQ(PendingCount, 1u);
}

TEST_P(HeldOpen, BriefLockIsWaitedOut) {
    Installation installation;
    PrepareUpdate(installation);

    HANDLE lock = Lock(installation.IniPath(), GetParam().share);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    std::thread release([lock] {
        Sleep(300);
        CloseHandle(lock);
    });
    WriteResult result = WriteArchiveList();
    release.join();

    EXPECT_EQ(result.status, WriteStatus::Written);
    EXPECT_EQ(installation.ReadIni(), After);
}

INSTANTIATE_TEST_SUITE_P(Sharing, HeldOpen,
                         testing::Values(LockCase{"no_write_sharing", FILE_SHARE_READ | FILE_SHARE_DELETE},
                                         LockCase{"no_delete_sharing", FILE_SHARE_READ | FILE_SHARE_WRITE},
                                         LockCase{"no_sharing_but_read", FILE_SHARE_READ}),
                         [](const testing::TestParamInfo<LockCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(ReadOnlyAttribute, IsRespected) {
    Installation installation;
    PrepareUpdate(installation);
    ASSERT_TRUE(SetFileAttributesA(installation.IniPath().c_str(), FILE_ATTRIBUTE_READONLY));
    WriteResult result = WriteArchiveList();
    EXPECT_EQ(result.status, WriteStatus::Failed);
    EXPECT_EQ(result.error, static_cast<SystemErrorCode>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(installation.ReadIni(), Before);
    EXPECT_EQ(GetFileAttributesA(installation.IniPath().c_str()) & FILE_ATTRIBUTE_READONLY,
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    SetFileAttributesA(installation.IniPath().c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Reading an archive's start never stands in another program's way: while
// it is open the file can be written, renamed and deleted.
TEST(ArchiveCheck, LetsOthersWriteRenameAndDeleteMeanwhile) {
    Installation installation;
    installation.AddDataFile("a.bsa");
    const std::string path = installation.DataFilePath("a.bsa");
    const std::string renamed = installation.DataFilePath("b.bsa");
    bool tried = false;
    ReadFileStart(path, [&](std::uint64_t, std::string_view) -> std::size_t {
        if (tried) return 0;
        tried = true;
        HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(writer, INVALID_HANDLE_VALUE) << "error " << GetLastError();
        if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
        EXPECT_TRUE(MoveFileA(path.c_str(), renamed.c_str())) << "error " << GetLastError();
        EXPECT_TRUE(DeleteFileA(renamed.c_str())) << "error " << GetLastError();
        return 12;
    });
    EXPECT_TRUE(tried);
}

// An archive that another program holds open and shares with no one, or
// only with writers, cannot be read: the reason is the system's.
TEST(ArchiveCheck, LockedArchiveIsReportedWithTheReason) {
    Installation installation;
    installation.AddDataFile("a.bsa");
    const std::string path = installation.DataFilePath("a.bsa");
    for (DWORD share : {DWORD{0}, DWORD{FILE_SHARE_WRITE}}) {
        HANDLE lock = Lock(path, share);
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        const ArchiveCheckResult result = CheckArchiveFile(path);
        CloseHandle(lock);
        EXPECT_EQ(result.verdict, ArchiveVerdict::CouldNotRead) << "share " << share;
        EXPECT_EQ(result.error, static_cast<SystemErrorCode>(ERROR_SHARING_VIOLATION)) << "share " << share;
    }
    // Held by the game, which lets others read: readable.
    HANDLE game = Lock(path, FILE_SHARE_READ);
    ASSERT_NE(game, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CheckArchiveFile(path).verdict, ArchiveVerdict::Readable);
    CloseHandle(game);
}

} // namespace
