// An update keeps morrowind.ini as the player set it up: a symbolic link
// stays a link and the file it points to is updated, the file's attributes
// survive the replacement, and only Ambrel's own leftovers are removed.
// The links are real Unix links, made with ln, as profile tools make them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <windows.h>

#include "core/reconcile.h"
#include "core/registered_archives.h"
#include "../core/installation.h"

namespace {

const std::string H = "[" + std::string(ArchiveSection) + "]";
const std::string Before = H + "\r\nArchive 0=gone.bsa\r\n";
const std::string After = H + "\r\nArchive 0=n.bsa\r\n";
const std::string Profile = "Profiles\\Default\\morrowind.ini";

void PrepareUpdate(const Installation& installation) {
    installation.AddDataFile("n.bsa");
    ReconcileArchives([](const std::string&) {}, [](const std::string&) {});
}

// The Unix path Wine maps a Windows path to.
std::string UnixPathOf(const std::string& path) {
    using ToUnix = char*(CDECL*)(const WCHAR*);
    auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return {};
    std::wstring wide(path.begin(), path.end());
    char* unixPath = toUnix(wide.c_str());
    if (!unixPath) return {};
    std::string result = unixPath;
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

// Makes link (a Windows path) a Unix symbolic link holding target as its
// text. Wine does not wait for a Unix process, so a mark file made after the
// link tells when it is there.
bool MakeUnixLink(const std::string& target, const std::string& link) {
    const std::string made = link + ".made";
    std::string command = "/bin/sh -c \"ln -s '" + target + "' '" + UnixPathOf(link) + "' && : >'" +
                          UnixPathOf(made) + "'\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int wait = 0; wait < 1000; ++wait) {
        if (DeleteFileA(made.c_str())) return true;
        Sleep(10);
    }
    return false;
}

std::vector<std::string> EntriesOf(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = entry.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

struct LinkCase {
    const char* name;
    bool absolute;  // the link holds the target's absolute Unix path, else a relative one
};

class LinkedIni : public testing::TestWithParam<LinkCase> {};

TEST_P(LinkedIni, TargetIsUpdatedAndTheLinkStays) {
    Installation installation;
    std::filesystem::create_directories(installation.PathOf("Profiles\\Default"));
    const std::string target = installation.PathOf(Profile);
    Installation::WriteBytes(target, Before);
    ASSERT_TRUE(MakeUnixLink(GetParam().absolute ? UnixPathOf(target) : "Profiles/Default/morrowind.ini",
                             installation.IniPath()));
    ASSERT_EQ(installation.ReadIni(), Before) << "the link was not made";
    PrepareUpdate(installation);

    ASSERT_EQ(WriteArchiveList().status, WriteStatus::Written);
    EXPECT_EQ(Installation::ReadBytes(target), After) << "the file the link points to keeps the old keys";
    EXPECT_EQ(installation.ReadIni(), After);
    // Still a link: a change to the target shows through it.
    Installation::WriteBytes(target, "changed");
    EXPECT_EQ(installation.ReadIni(), "changed") << "the link was replaced by a file";
    EXPECT_EQ(installation.Entries().size(), 3u) << "something was left beside the link";
    EXPECT_EQ(EntriesOf(installation.PathOf("Profiles\\Default")), std::vector<std::string>{"morrowind.ini"})
        << "something was left beside the target";
}

INSTANTIATE_TEST_SUITE_P(Links, LinkedIni,
                         testing::Values(LinkCase{"relative", false}, LinkCase{"absolute", true}),
                         [](const testing::TestParamInfo<LinkCase>& info) {
                             return std::string(info.param.name);
                         });

// A link to a missing file usually means the player's own copy is not there
// (a profile folder moved, a drive not mounted): writing a plain file in the
// link's place would break the set-up, creating the missing file could write
// where the player does not expect. Nothing is written, and the error says
// the file is missing.
TEST(LinkedIni, LinkToAMissingFileIsLeftAlone) {
    Installation installation;
    ASSERT_TRUE(MakeUnixLink("Profiles/Default/morrowind.ini", installation.IniPath()));
    PrepareUpdate(installation);
    ASSERT_EQ(PendingCount, 1u);

    WriteResult result = WriteArchiveList();
    EXPECT_EQ(result.status, WriteStatus::Failed);
    EXPECT_EQ(result.error, static_cast<SystemErrorCode>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(PendingCount, 1u);
    // The link is still there: once its target exists, it shows through.
    std::filesystem::create_directories(installation.PathOf("Profiles\\Default"));
    Installation::WriteBytes(installation.PathOf(Profile), "; mine\r\n");
    EXPECT_EQ(installation.ReadIni(), "; mine\r\n") << "the link was replaced";
    EXPECT_EQ(WriteArchiveList().status, WriteStatus::Written);
    EXPECT_EQ(Installation::ReadBytes(installation.PathOf(Profile)), "; mine\r\n" + After);
}

TEST(LinkedIni, ReadOnlyTargetIsRespected) {
    Installation installation;
    std::filesystem::create_directories(installation.PathOf("Profiles\\Default"));
    const std::string target = installation.PathOf(Profile);
    Installation::WriteBytes(target, Before);
    ASSERT_TRUE(MakeUnixLink("Profiles/Default/morrowind.ini", installation.IniPath()));
    PrepareUpdate(installation);
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));

    WriteResult result = WriteArchiveList();
    EXPECT_EQ(result.status, WriteStatus::Failed);
    EXPECT_EQ(result.error, static_cast<SystemErrorCode>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(Installation::ReadBytes(target), Before);
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(installation.ReadIni(), Before) << "the link was replaced";
}

TEST(Attributes, HiddenAndSystemSurviveTheUpdate) {
    Installation installation;
    installation.WriteIni(Before);
    const std::string path = installation.IniPath();
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    PrepareUpdate(installation);

    ASSERT_EQ(WriteArchiveList().status, WriteStatus::Written);
    EXPECT_EQ(installation.ReadIni(), After);
    const DWORD attributes = GetFileAttributesA(path.c_str());
    EXPECT_EQ(attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

FILETIME CreationTimeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftCreationTime;
}

bool SameTime(FILETIME a, FILETIME b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// The access rights are kept the same way (copied to the new file before it
// takes the old one's place), but Wine keeps no access rights on a file, so
// it cannot show them.
TEST(Attributes, CreationTimeSurvivesTheUpdate) {
    Installation installation;
    installation.WriteIni(Before);
    const std::string path = installation.IniPath();
    const FILETIME old = {0x12345678, 0x01c00000};  // in 1997
    {
        HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        SetFileTime(file, &old, nullptr, nullptr);
        CloseHandle(file);
    }
    if (!SameTime(CreationTimeOf(path), old)) {
        GTEST_SKIP() << "this file system (under Wine: any) does not keep a creation time that is set";
    }
    PrepareUpdate(installation);
    ASSERT_EQ(WriteArchiveList().status, WriteStatus::Written);
    EXPECT_TRUE(SameTime(CreationTimeOf(path), old));
}

TEST(Leftovers, OnlyOursThatNoProcessHoldsOpenAreRemoved) {
    Installation installation;
    installation.WriteIni(Before);
    const std::vector<std::string> ours = {"morrowind.ini.ambrel-4242-0.tmp", "MORROWIND.INI.ambrel-17-3.TMP"};
    const std::string held = "morrowind.ini.ambrel-4242-1.tmp";
    const std::vector<std::string> others = {"morrowind.ini.ambrel-4242-x.tmp", "morrowind.ini.ambrel-.tmp",
                                             "morrowind.ini.ambrel-1-2.tmp.txt", "default.ini.ambrel-1-2.tmp",
                                             "morrowind.ini.tmp"};
    for (const auto* names : {&ours, &others}) {
        for (const std::string& name : *names) Installation::WriteBytes(installation.PathOf(name), "x");
    }
    HANDLE holder = CreateFileA(installation.PathOf(held).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    PrepareUpdate(installation);

    EXPECT_EQ(WriteArchiveList().status, WriteStatus::Written);
    CloseHandle(holder);
    std::vector<std::string> expected = others;
    expected.insert(expected.end(), {held, "Data Files", "morrowind.ini"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(EntriesOf(InstallPath), expected);
}

} // namespace
