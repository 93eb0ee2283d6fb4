// Leaving the main dialog without updating, and the About box.

#include <string>
#include <vector>

#include "tests/ui/ui_case.h"

namespace ambrel_test {
namespace {

// Gone.bsa to remove, Bloodmoon.bsa to add.
const std::string PendingChanges = ArchiveKeys({"Tribunal.bsa", "Gone.bsa"});
const std::vector<const char*> PresentFiles = {"Morrowind.bsa", "Tribunal.bsa", "Bloodmoon.bsa"};

struct CloseCase {
    const char* name;
    bool (*close)(HWND main);
};

void PrintTo(const CloseCase& c, std::ostream* out) { *out << c.name; }

const CloseCase CloseCases[] = {
    {"cancel_button", [](HWND main) { Click(GetDlgItem(main, IDCANCEL)); return true; }},
    {"escape_key", [](HWND main) { return PressKey(main, Key::Escape); }},
    {"alt_f4", [](HWND main) { return PressKey(main, Key::AltF4); }},
};

class Closing : public UiCase, public testing::WithParamInterface<CloseCase> {};

TEST_P(Closing, ends_silently_and_leaves_the_file_as_it_was) {
    Prepare(PendingChanges, PresentFiles);
    AmbrelSession session;
    HWND main = nullptr;
    ASSERT_TRUE(OpensMainDialog(session, main));

    ASSERT_TRUE(GetParam().close(main));
    EXPECT_EQ(session.WaitForExit(), 0u);
    EXPECT_FALSE(session.HasShown(DialogKind::MessageBox));
    EXPECT_EQ(install.ReadIni(), PendingChanges);
}

INSTANTIATE_TEST_SUITE_P(By, Closing, testing::ValuesIn(CloseCases),
                         [](const testing::TestParamInfo<CloseCase>& info) { return info.param.name; });

// The About box is modal to the main dialog and changes nothing. Escape
// does not close it; OK does, clicked or through Enter, which also shows
// that keys reach it.
struct AboutCase {
    const char* name;
    bool (*close)(HWND about);
};

void PrintTo(const AboutCase& c, std::ostream* out) { *out << c.name; }

const AboutCase AboutCases[] = {
    {"ok_button", [](HWND about) { Click(GetDlgItem(about, IDOK)); return true; }},
    {"enter_key", [](HWND about) { return PressKey(about, Key::Enter); }},
};

class AboutBox : public UiCase, public testing::WithParamInterface<AboutCase> {};

TEST_P(AboutBox, is_owned_ignores_escape_and_closes_with_ok) {
    Prepare(PendingChanges, PresentFiles);
    AmbrelSession session;
    HWND main = nullptr;
    ASSERT_TRUE(OpensMainDialog(session, main));

    Click(GetDlgItem(main, MainAboutButton));
    HWND about = session.WaitForDialog(DialogKind::About);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(GetWindow(about, GW_OWNER), main);
    EXPECT_FALSE(IsWindowEnabled(main)) << "the main dialog takes input while the About box is open";

    ASSERT_TRUE(PressKey(about, Key::Escape));
    LetInputSettle(about);
    EXPECT_TRUE(IsWindow(about) && IsWindowVisible(about)) << "Escape closed the About box";

    ASSERT_TRUE(GetParam().close(about));
    EXPECT_TRUE(session.WaitUntilGone(about));
    EXPECT_TRUE(BecomesEnabled(main));
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_FALSE(session.HasShown(DialogKind::MessageBox));

    Click(GetDlgItem(main, IDCANCEL));
    EXPECT_EQ(session.WaitForExit(), 0u);
    EXPECT_EQ(install.ReadIni(), PendingChanges);
}

INSTANTIATE_TEST_SUITE_P(ClosedBy, AboutBox, testing::ValuesIn(AboutCases),
                         [](const testing::TestParamInfo<AboutCase>& info) { return info.param.name; });

}  // namespace
}  // namespace ambrel_test
