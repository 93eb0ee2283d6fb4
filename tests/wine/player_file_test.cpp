// An update keeps morrowind.ini as the player set it up: a symbolic link
// stays a link and the file it points to is updated, the file's attributes
// survive the replacement, and only Ambrel's own leftovers are removed.
// The links are real Unix links, made with ln, as profile tools make them;
// the rights, which Wine keeps as the Unix mode, are checked end to end in
// tests/ui/file_keeping_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include <windows.h>

#include "core/reconcile.h"
#include "core/registered_archives.h"
#include "platform/ansi_names_win32.h"
#include "../core/installation.h"
#include "unix_side.h"

namespace {

const std::string H = "[" + std::string(ArchiveSection) + "]";
const std::string Before = H + "\r\nArchive 0=gone.bsa\r\n";
const std::string After = H + "\r\nArchive 0=n.bsa\r\n";
const std::string Profile = "Profiles\\Default\\morrowind.ini";

void PrepareUpdate(const Installation& installation) {
    installation.AddDataFile("n.bsa");
    ReconcileArchives([](const std::string&) {}, [](const std::string&) {});
}

// A path of the code page the test runs with, as the 8-bit functions read
// it.
std::wstring Wide(const std::string& path) {
    return WidenFromCodePage(CP_ACP, path);
}

// Makes link (a path of the code page) a Unix symbolic link holding target
// (UTF-8) as its text.
bool MakeUnixLink(const std::string& target, const std::string& link) {
    return unix_side::MakeLink(target, Wide(link));
}

std::vector<std::wstring> EntriesOf(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
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

void WriteWide(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadWide(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Removes a link on the Unix side when the case ends, before the
// installation goes: the standard library's removal of a folder under Wine
// does not come to an end when a link in it points to a file beside it
// named like it in another case.
struct UnixLinkRemover {
    std::wstring link;
    ~UnixLinkRemover() { unix_side::Remove(link); }
};

struct LinkCase {
    const char* name;
    const wchar_t* folder;  // where the file the link points to lives, in the installation
    const wchar_t* file;    // its name there
    bool absolute;          // the link holds the file's absolute Unix path, else a relative one
};

void PrintTo(const LinkCase& c, std::ostream* out) { *out << c.name; }

class LinkedIni : public testing::TestWithParam<LinkCase> {};

// The update replaces the file the link points to, by its wide path: no
// spelling of it in the code page (1252 here) is needed.
TEST_P(LinkedIni, TargetIsUpdatedAndTheLinkStays) {
    const LinkCase& c = GetParam();
    Installation installation;
    const std::wstring root = Wide(InstallPath);
    const std::wstring folder = *c.folder ? root + L"\\" + c.folder : root;
    std::filesystem::create_directories(std::filesystem::path(folder));
    const std::wstring target = folder + L"\\" + c.file;
    WriteWide(target, Before);
    std::string text = unix_side::UnixPathOf(target);
    if (!c.absolute) text = text.substr(unix_side::UnixPathOf(root).size() + 1);
    ASSERT_TRUE(MakeUnixLink(text, installation.IniPath()));
    const UnixLinkRemover remover{Wide(installation.IniPath())};
    ASSERT_EQ(installation.ReadIni(), Before) << "the link was not made";
    PrepareUpdate(installation);
    const std::vector<std::wstring> besideTheLink = EntriesOf(root);
    const std::vector<std::wstring> besideTheTarget = EntriesOf(folder);

    ASSERT_EQ(WriteArchiveList().status, WriteStatus::Written);
    EXPECT_EQ(ReadWide(target), After) << "the file the link points to keeps the old keys";
    EXPECT_EQ(installation.ReadIni(), After);
    // Still a link: a change to the target shows through it.
    WriteWide(target, "changed");
    EXPECT_EQ(installation.ReadIni(), "changed") << "the link was replaced by a file";
    EXPECT_EQ(EntriesOf(root), besideTheLink) << "something was left beside the link";
    EXPECT_EQ(EntriesOf(folder), besideTheTarget) << "something was left beside the target";
}

// The Cyrillic folder's name (Профили) is one code page 1252 cannot hold.
// A link beside the file it points to, named like it in another case, is a
// link all the same: only the name itself tells them apart.
INSTANTIATE_TEST_SUITE_P(Links, LinkedIni,
                         testing::Values(LinkCase{"relative", L"Profiles\\Default", L"morrowind.ini", false},
                                         LinkCase{"absolute", L"Profiles\\Default", L"morrowind.ini", true},
                                         LinkCase{"to_a_folder_the_code_page_cannot_name",
                                                  L"\u041F\u0440\u043E\u0444\u0438\u043B\u0438", L"morrowind.ini",
                                                  false},
                                         LinkCase{"beside_to_another_case", L"", L"Morrowind.ini", false}),
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

// The creation time is kept at best, set through the new file's handle
// before it takes the old one's place. Wine keeps no creation time that is
// set, so there the case skips, and tools/run-tests.sh lists it as skipped.
// (The rights are checked in tests/ui/file_keeping_test.cpp and
// tests/wine/replace_file_test.cpp.)
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

// Where a rename through the temporary file's handle is refused (Windows
// before 10 takes only a native path there; some network redirectors and
// file system filters none), the file is moved by its name instead: the
// update goes through, keeps the attributes and leaves nothing behind.
SystemErrorCode RefuseTheRenameThroughTheHandle(WriteStep step) {
    return step == WriteStep::MoveThroughHandle ? ERROR_INVALID_PARAMETER : 0;
}

TEST(Move, RefusedRenameThroughTheHandleMovesByName) {
    Installation installation;
    installation.WriteIni(Before);
    const std::string path = installation.IniPath();
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
    PrepareUpdate(installation);

    SetWriteFaultHook(RefuseTheRenameThroughTheHandle);
    const WriteStatus status = WriteArchiveList().status;
    SetWriteFaultHook(nullptr);
    EXPECT_EQ(status, WriteStatus::Written);
    EXPECT_EQ(installation.ReadIni(), After);
    EXPECT_EQ(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(EntriesOf(InstallPath), (std::vector<std::string>{"Data Files", "morrowind.ini"}));
}

} // namespace
