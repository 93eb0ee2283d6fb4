// Update keeps morrowind.ini where and as the player has it, end to end
// through the program: a file reached through a folder link is replaced
// where it stands, and its rights (under Wine, its Unix mode, checked with
// stat on the Unix side) are never widened.

#include <ostream>
#include <string>

#include "tests/ui/ui_case.h"
#include "tests/wine/unix_side.h"

namespace ambrel_test {
namespace {

const std::string Before = ArchiveKeys({"Old.bsa"});
const std::string After = ArchiveKeys({"New.bsa"});

// Windows-1251 bytes of "Игры".
constexpr const char* Games1251 = "\xC8\xE3\xF0\xFB";

// Starts the program, clicks Update and expects the confirmation and the
// keys.
void UpdateThroughTheProgram(const Installation& install, const std::string& expected = After) {
    AmbrelSession session;
    HWND main = nullptr;
    ASSERT_TRUE(OpensMainDialog(session, main));
    Click(GetDlgItem(main, IDOK));
    ASSERT_TRUE(AcknowledgeMessage(session, UpdatedMessage, main));
    EXPECT_EQ(session.WaitForExit(), 0u);
    EXPECT_EQ(install.ReadIni(), expected);
}

// A game folder moved with a link (a Steam library, "C:\Games" to
// "D:\Игры"): the registry names the link, whose own name is plain, and the
// folder it leads to has a name the code page (1252) cannot hold. The file
// in it is no link and is replaced where it stands, through the path the
// registry gives.
class LinkedFolder : public UiCase, public testing::WithParamInterface<const char*> {
protected:
    LinkedFolder() : UiCase(GetParam()) {}
    void TearDown() override {
        if (!link_.empty()) unix_side::Remove(link_);
    }
    std::wstring link_;
};

TEST_P(LinkedFolder, plain_file_reached_through_a_folder_link_is_updated) {
    ASSERT_EQ(GetACP(), 1252u) << "the folder's name must be one the code page cannot hold";
    Prepare(Before, {"Morrowind.bsa", "New.bsa"});
    const std::wstring& folder = install.Folder();
    const std::size_t nameStart = folder.find_last_of(L'\\') + 1;
    link_ = folder.substr(0, nameStart) + L"ambrel-games-link-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(unix_side::MakeLink(Utf8(folder.substr(nameStart)), link_));
    ASSERT_TRUE(RegisterInstallationPath(link_));

    ASSERT_NO_FATAL_FAILURE(UpdateThroughTheProgram(install));
}

INSTANTIATE_TEST_SUITE_P(Cp1252, LinkedFolder, testing::Values(Games1251),
                         [](const testing::TestParamInfo<const char*>&) { return std::string("cyrillic_folder"); });

// Under Wine the rights are the Unix mode, of which Windows programs see the
// owner's and everyone's bits but not the group's. An update never adds an
// execute bit or a write bit for the group or others; 0644 stays 0644.
// With the umask of 022 that tools/wine gives the tests, a file that others
// may not read becomes 0600 and one that they may read 0644: the group gets
// what others have, as Wine shows the group nothing. (With a umask of 002,
// which lets Wine make every new file group-writable, 0644 and 0664 become
// 0664.)
struct ModeCase {
    const char* name;
    const char* before;
    const char* after;
};

void PrintTo(const ModeCase& c, std::ostream* out) { *out << c.name; }

class UnixMode : public UiCase, public testing::WithParamInterface<ModeCase> {};

TEST_P(UnixMode, update_never_widens_it) {
    const ModeCase& c = GetParam();
    ASSERT_EQ(unix_side::Run("umask"), "0022\n") << "the expected modes are those of umask 022";
    Prepare(Before, {"Morrowind.bsa", "New.bsa"});
    ASSERT_TRUE(unix_side::SetMode(install.IniPath(), c.before));
    ASSERT_EQ(unix_side::ModeOf(install.IniPath()), c.before);

    ASSERT_NO_FATAL_FAILURE(UpdateThroughTheProgram(install));
    EXPECT_EQ(unix_side::ModeOf(install.IniPath()), c.after);
}

INSTANTIATE_TEST_SUITE_P(Cp1252, UnixMode,
                         testing::Values(ModeCase{"mode_0600", "600", "600"}, ModeCase{"mode_0640", "640", "600"},
                                         ModeCase{"mode_0644", "644", "644"}, ModeCase{"mode_0664", "664", "644"}),
                         [](const testing::TestParamInfo<ModeCase>& info) { return info.param.name; });

// A file another Unix user owns: the new one is the writer's, and stays
// writable, so that the next update goes through too.
using UnixOwner = UiCase;

TEST_F(UnixOwner, file_of_another_user_stays_writable) {
    if (!unix_side::IsRoot()) GTEST_SKIP() << "giving a file to another user needs root";
    Prepare(Before, {"Morrowind.bsa", "New.bsa"});
    ASSERT_TRUE(unix_side::SetOwner(install.IniPath(), 4242));

    ASSERT_NO_FATAL_FAILURE(UpdateThroughTheProgram(install));
    EXPECT_EQ(unix_side::ModeOf(install.IniPath()), "644");
    EXPECT_FALSE(install.IniReadOnly());
    install.AddDataFile("Newer.bsa");
    ASSERT_NO_FATAL_FAILURE(UpdateThroughTheProgram(install, ArchiveKeys({"New.bsa", "Newer.bsa"})));
}

}  // namespace
}  // namespace ambrel_test
