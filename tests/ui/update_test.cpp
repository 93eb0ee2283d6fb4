// Update: what the main dialog lists, and the keys it writes on confirmation.

#include <string>
#include <vector>

#include "tests/ui/ui_case.h"

namespace ambrel_test {
namespace {

struct UpdateCase {
    const char* name;
    unsigned codePage;   // the ANSI code page the case needs, 0 for any
    const char* folder;  // the installation folder's name, Windows-1251
    std::string ini;
    std::vector<const char*> dataFiles;  // Windows-1251
    std::vector<std::wstring> shownNew;      // list 1001, top to bottom
    std::vector<std::wstring> shownRemoved;  // list 1002
    std::string iniAfter;
};

void PrintTo(const UpdateCase& c, std::ostream* out) { *out << c.name; }

const UpdateCase AsciiCases[] = {
    {"new_only", 0, "ambrel-ui", ArchiveKeys({"Tribunal.bsa"}), {"Morrowind.bsa", "Tribunal.bsa", "Bloodmoon.bsa"},
     {L"Bloodmoon.bsa"}, {}, ArchiveKeys({"Tribunal.bsa", "Bloodmoon.bsa"})},
    {"removed_only", 0, "ambrel-ui", ArchiveKeys({"Tribunal.bsa", "Old.bsa", "Bloodmoon.bsa"}),
     {"Morrowind.bsa", "Tribunal.bsa", "Bloodmoon.bsa"}, {}, {L"Old.bsa"},
     ArchiveKeys({"Tribunal.bsa", "Bloodmoon.bsa"})},
    // The rest of the file comes through byte for byte.
    {"new_and_removed", 0, "ambrel-ui",
     "[Game Files]\r\nGameFile0=Morrowind.esm\r\n\r\n" + ArchiveKeys({"Gone.bsa", "Tribunal.bsa"}) +
         "\r\n[General]\r\nSubtitles=0\r\n",
     {"Morrowind.bsa", "Tribunal.bsa", "Bloodmoon.bsa"}, {L"Bloodmoon.bsa"}, {L"Gone.bsa"},
     "[Game Files]\r\nGameFile0=Morrowind.esm\r\n\r\n" + ArchiveKeys({"Tribunal.bsa", "Bloodmoon.bsa"}) +
         "\r\n[General]\r\nSubtitles=0\r\n"},
};

// Windows-1251 bytes of Cyrillic names.
constexpr const char* Games1251 = "\xC8\xE3\xF0\xFB";                 // Игры
constexpr const char* Test1251 = "\xD2\xE5\xF1\xF2.bsa";              // Тест.bsa
constexpr const char* Old1251 = "\xD1\xF2\xE0\xF0\xFB\xE9.bsa";      // Старый.bsa
constexpr const char* New1251 = "\xCD\xEE\xE2\xFB\xE9.bsa";          // Новый.bsa

// Under code page 1251, in a folder with a Cyrillic name: the names show as
// their Unicode letters and are written back as the same bytes.
const UpdateCase CyrillicCases[] = {
    {"cyrillic_names", 1251, Games1251, ArchiveKeys({Test1251, Old1251}), {"Morrowind.bsa", Test1251, New1251},
     {L"Новый.bsa"}, {L"Старый.bsa"}, ArchiveKeys({Test1251, New1251})},
};

class UpdateCases : public UiCase, public testing::WithParamInterface<UpdateCase> {
protected:
    UpdateCases() : UiCase(GetParam().folder) {}
};

TEST_P(UpdateCases, update_writes_what_the_lists_show) {
    const UpdateCase& c = GetParam();
    if (c.codePage != 0) {
        ASSERT_EQ(GetACP(), c.codePage) << "this case needs another code page (LANG=ru_RU.UTF-8 gives 1251)";
    }
    Prepare(c.ini, c.dataFiles);

    AmbrelSession session;
    HWND main = nullptr;
    ASSERT_TRUE(OpensMainDialog(session, main));
    EXPECT_EQ(ListItems(GetDlgItem(main, MainNewList)), c.shownNew);
    EXPECT_EQ(ListItems(GetDlgItem(main, MainRemovedList)), c.shownRemoved);
    EXPECT_EQ(install.ReadIni(), c.ini) << "written before Update";

    Click(GetDlgItem(main, IDOK));
    ASSERT_TRUE(AcknowledgeMessage(session, UpdatedMessage, main));
    EXPECT_EQ(session.WaitForExit(), 0u);
    EXPECT_EQ(install.ReadIni(), c.iniAfter);
}

INSTANTIATE_TEST_SUITE_P(Ascii, UpdateCases, testing::ValuesIn(AsciiCases),
                         [](const testing::TestParamInfo<UpdateCase>& info) { return info.param.name; });
INSTANTIATE_TEST_SUITE_P(Cyrillic, UpdateCases, testing::ValuesIn(CyrillicCases),
                         [](const testing::TestParamInfo<UpdateCase>& info) { return info.param.name; });

using Update = UiCase;

// The order the platform's sorted list box puts the items in, found with a
// list box of this process.
std::vector<std::wstring> SortedAsListBox(const std::vector<std::wstring>& items) {
    HWND list = CreateWindowExW(0, L"ListBox", L"", LBS_SORT, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    if (list == nullptr) return {};
    for (const std::wstring& item : items) {
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
    std::vector<std::wstring> sorted = ListItems(list);
    DestroyWindow(list);
    return sorted;
}

// The lists are sorted for the eye; the keys keep the registered order and
// add the new names in the order of the folder search. The names are chosen
// so that the search (which under Wine is by upper-cased code points) and
// the list box's word sort (which skips hyphens and puts "_" before letters)
// order them differently.
TEST_F(Update, lists_are_sorted_and_keys_keep_reconciliation_order) {
    Prepare(ArchiveKeys({"Zeta.bsa", "Omega.bsa", "Alpha.bsa", "Beta.bsa"}),
            {"Morrowind.bsa", "Zeta.bsa", "Alpha.bsa", "Tamriel_Data.bsa", "TamrielRebuilt.bsa", "Sky-Zone.bsa",
             "Skyrim.bsa"});
    std::vector<std::string> added;
    std::vector<std::wstring> addedShown;
    for (const std::string& name : install.SearchOrder()) {
        if (name == "Morrowind.bsa" || name == "Zeta.bsa" || name == "Alpha.bsa") continue;
        added.push_back(name);
        addedShown.push_back(FromCp1251(name));
    }
    ASSERT_EQ(added.size(), 4u);
    const std::vector<std::wstring> addedSorted = SortedAsListBox(addedShown);
    ASSERT_NE(addedSorted, addedShown) << "the search and the list box agree: the case shows nothing";

    AmbrelSession session;
    HWND main = nullptr;
    ASSERT_TRUE(OpensMainDialog(session, main));
    EXPECT_EQ(ListItems(GetDlgItem(main, MainNewList)), addedSorted);
    EXPECT_EQ(ListItems(GetDlgItem(main, MainRemovedList)),
              (std::vector<std::wstring>{L"Beta.bsa", L"Omega.bsa"}));

    Click(GetDlgItem(main, IDOK));
    ASSERT_TRUE(AcknowledgeMessage(session, UpdatedMessage, main));
    EXPECT_EQ(session.WaitForExit(), 0u);
    EXPECT_EQ(install.ReadIni(), ArchiveKeys({"Zeta.bsa", "Alpha.bsa", added[0].c_str(), added[1].c_str(),
                                              added[2].c_str(), added[3].c_str()}));
}

// The focus starts on Update, so Enter at once updates.
TEST_F(Update, enter_at_start_updates) {
    Prepare(ArchiveKeys({"Old.bsa"}), {"Morrowind.bsa", "New.bsa"});

    AmbrelSession session;
    HWND main = nullptr;
    ASSERT_TRUE(OpensMainDialog(session, main));
    ASSERT_TRUE(PressKey(main, Key::Enter));
    ASSERT_TRUE(AcknowledgeMessage(session, UpdatedMessage, main));
    EXPECT_EQ(session.WaitForExit(), 0u);
    EXPECT_EQ(install.ReadIni(), ArchiveKeys({"New.bsa"}));
}

// A file that cannot be written is reported and left alone; the dialog stays
// open with its pending update, which goes through once the file is
// writable again.
enum class AfterFailure { Cancel, RetryWritable };

const char* NameOf(AfterFailure then) {
    return then == AfterFailure::Cancel ? "cancel" : "retry_writable";
}

void PrintTo(AfterFailure then, std::ostream* out) { *out << NameOf(then); }

class ReadOnlyIni : public UiCase, public testing::WithParamInterface<AfterFailure> {};

TEST_P(ReadOnlyIni, update_is_refused_and_the_dialog_stays) {
    const std::string before = ArchiveKeys({"Old.bsa"});
    Prepare(before, {"Morrowind.bsa", "New.bsa"});
    ASSERT_TRUE(install.SetIniReadOnly(true));

    AmbrelSession session;
    HWND main = nullptr;
    ASSERT_TRUE(OpensMainDialog(session, main));
    Click(GetDlgItem(main, IDOK));
    ASSERT_TRUE(AcknowledgeMessage(session, WriteFailedMessage, main));
    ASSERT_TRUE(BecomesEnabled(main));
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(install.ReadIni(), before);
    EXPECT_TRUE(install.IniReadOnly());

    if (GetParam() == AfterFailure::Cancel) {
        Click(GetDlgItem(main, IDCANCEL));
        EXPECT_EQ(session.WaitForExit(), 0u);
        EXPECT_EQ(install.ReadIni(), before);
    } else {
        ASSERT_TRUE(install.SetIniReadOnly(false));
        Click(GetDlgItem(main, IDOK));
        ASSERT_TRUE(AcknowledgeMessage(session, UpdatedMessage, main));
        EXPECT_EQ(session.WaitForExit(), 0u);
        EXPECT_EQ(install.ReadIni(), ArchiveKeys({"New.bsa"}));
    }
}

INSTANTIATE_TEST_SUITE_P(Then, ReadOnlyIni, testing::Values(AfterFailure::Cancel, AfterFailure::RetryWritable),
                         [](const testing::TestParamInfo<AfterFailure>& info) { return NameOf(info.param); });

// Keys that another program changed while the dialog was open are not
// overwritten: the update is refused with a warning and the dialog ends.
TEST_F(Update, keys_changed_meanwhile_are_not_overwritten) {
    Prepare(ArchiveKeys({"Old.bsa"}), {"Morrowind.bsa", "New.bsa"});

    AmbrelSession session;
    HWND main = nullptr;
    ASSERT_TRUE(OpensMainDialog(session, main));
    const std::string changed = ArchiveKeys({"Old.bsa", "Other.bsa"});
    install.WriteIni(changed);
    Click(GetDlgItem(main, IDOK));
    // Worded freely by the program; it names the file.
    ASSERT_TRUE(AcknowledgeMessage(session, {L"Файл morrowind.ini", true, MessageIcon::Warning}, main));
    EXPECT_EQ(session.WaitForExit(), 0u);
    EXPECT_EQ(install.ReadIni(), changed);
}

}  // namespace
}  // namespace ambrel_test
