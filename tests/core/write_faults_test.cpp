// An update that fails at any step leaves morrowind.ini as it was, leaves no
// temporary file behind, reports why, and can be tried again.
#include <gtest/gtest.h>

#include <string>

#include "core/reconcile.h"
#include "core/registered_archives.h"
#include "installation.h"
#include "platform/platform.h"

namespace {

const std::string H = "[" + std::string(ArchiveSection) + "]";
constexpr SystemErrorCode InjectedError = 4242;

WriteStep failingStep;
SystemErrorCode FailChosenStep(WriteStep step) {
    return step == failingStep ? InjectedError : 0;
}

void Reconcile() {
    ReconcileArchives([](const std::string&) {}, [](const std::string&) {});
}

class WriteFaults : public testing::TestWithParam<WriteStep> {
protected:
    void TearDown() override { SetWriteFaultHook(nullptr); }
};

TEST_P(WriteFaults, FailedStepChangesNothing) {
    Installation installation;
    const std::string before = "; mine\r\n" + H + "\r\nArchive 0=gone.bsa\r\nArchive 1=a.bsa\r\n";
    installation.WriteIni(before);
    installation.AddDataFile("a.bsa");
    installation.AddDataFile("n.bsa");
    Reconcile();
    ASSERT_EQ(PendingCount, 2u);

    failingStep = GetParam();
    SetWriteFaultHook(FailChosenStep);
    WriteResult result = WriteArchiveList();
    EXPECT_EQ(result.status, WriteStatus::Failed);
    EXPECT_EQ(result.error, InjectedError);
    EXPECT_EQ(installation.ReadIni(), before);
    EXPECT_EQ(installation.Entries().size(), 2u) << "a temporary file was left behind";
    EXPECT_EQ(PendingCount, 2u);

    SetWriteFaultHook(nullptr);
    EXPECT_EQ(WriteArchiveList().status, WriteStatus::Written);
    EXPECT_EQ(installation.ReadIni(), "; mine\r\n" + H + "\r\nArchive 0=a.bsa\r\nArchive 1=n.bsa\r\n");
    EXPECT_EQ(installation.Entries().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(EachStep, WriteFaults,
                         testing::Values(WriteStep::CreateTemporary, WriteStep::Write,
                                         WriteStep::Flush, WriteStep::Replace));

TEST(ConcurrentChange, ChangeToTheKeysIsNotOverwritten) {
    Installation installation;
    installation.WriteIni(H + "\r\nArchive 0=a.bsa\r\n");
    installation.AddDataFile("n.bsa");
    Reconcile();
    // Another tool registers an archive while the dialog is open.
    const std::string changed = H + "\r\nArchive 0=a.bsa\r\nArchive 1=other.bsa\r\n";
    installation.WriteIni(changed);
    EXPECT_EQ(WriteArchiveList().status, WriteStatus::ChangedElsewhere);
    EXPECT_EQ(installation.ReadIni(), changed);
}

TEST(Utf16File, IsNeitherReadNorWritten) {
    Installation installation;
    const std::string utf16 = std::string("\xFF\xFE[\0]\0", 6);
    installation.WriteIni(utf16);
    installation.AddDataFile("n.bsa");
    ReconcileReport report =
        ReconcileArchives([](const std::string&) {}, [](const std::string&) {});
    EXPECT_TRUE(report.iniInUtf16);
    EXPECT_EQ(PendingCount, 0u);

    // Saved as UTF-16 by another program after it was read.
    installation.WriteIni("");
    Reconcile();
    installation.WriteIni(utf16);
    EXPECT_EQ(WriteArchiveList().status, WriteStatus::Utf16File);
    EXPECT_EQ(installation.ReadIni(), utf16);
}

TEST(Capacity, MoreArchivesOnDiskThanAListHoldsChangesNothing) {
    Installation installation;
    installation.WriteIni(H + "\r\nArchive 0=a.bsa\r\n");
    for (unsigned i = 0; i < 2 * MaxArchives; ++i) installation.AddDataFile("f" + std::to_string(i) + ".bsa");
    bool reported = false;
    ReconcileReport report = ReconcileArchives([&](const std::string&) { reported = true; },
                                               [&](const std::string&) { reported = true; });
    EXPECT_TRUE(report.foundTruncated);
    EXPECT_FALSE(reported);
    EXPECT_EQ(PendingCount, 0u);
}

TEST(Capacity, MoreKeysThanAListHoldsChangesNothing) {
    Installation installation;
    std::string ini = H + "\r\n";
    for (unsigned i = 0; i < 2 * MaxArchives; ++i) ini += ArchiveKeyName(i) + "=k" + std::to_string(i) + ".bsa\r\n";
    installation.WriteIni(ini);
    installation.AddDataFile("k0.bsa");
    ReconcileReport report =
        ReconcileArchives([](const std::string&) {}, [](const std::string&) {});
    EXPECT_TRUE(report.registeredTruncated);
    EXPECT_EQ(PendingCount, 0u);
}

TEST(IniIsAFolder, ReadsAsEmptyAndTheUpdateFails) {
    Installation installation;
    installation.AddDataFolder("../morrowind.ini");
    installation.AddDataFile("n.bsa");
    Reconcile();
    ASSERT_EQ(PendingCount, 1u);
    WriteResult result = WriteArchiveList();
    EXPECT_EQ(result.status, WriteStatus::Failed);
    EXPECT_NE(result.error, 0u);
}

} // namespace
