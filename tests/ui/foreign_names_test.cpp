// Archive names that the ANSI code page cannot hold: the game opens its
// archives through the 8-bit file functions, so such a file is registered
// by its short 8.3 name (or not at all), never by a spelling with stand-in
// letters, and the user is told which files to rename. Names the code page
// holds go in by their long names, with no message.
//
// Wine gives every name that is not a plain ASCII 8.3 name a short name of
// ASCII letters, '_' and '~', which any code page holds: here every such
// file goes in by its short name.

#include <algorithm>
#include <string>
#include <vector>

#include "tests/ui/ui_case.h"

namespace ambrel_test {
namespace {

struct DataFile {
    const wchar_t* name;
    const char* registeredAs;  // the long name in the case's code page; null for its short name
};

struct ForeignNameCase {
    const char* name;
    unsigned codePage;
    std::vector<std::string> registered;  // the keys before, in the case's code page
    std::vector<DataFile> files;          // besides Morrowind.bsa, in the order the search reports them
    std::vector<std::string> removed;     // of the registered names
};

void PrintTo(const ForeignNameCase& c, std::ostream* out) { *out << c.name; }

constexpr const char* OldHouses1251 = "\xD1\xF2\xE0\xF0\xFB\xE5 \xE4\xEE\xEC\xE0.bsa";  // Старые дома.bsa
constexpr const char* Quality1252 = "Qualit\xE9 Textures.bsa";

const ForeignNameCase Cp1252Cases[] = {
    {"cyrillic_name_by_short_name", 1252, {}, {{L"Старые дома.bsa", nullptr}}, {}},
    {"accented_name_by_long_name", 1252, {}, {{L"Qualité Textures.bsa", Quality1252}}, {}},
    // What the 8-bit search used to register: it names no file and goes.
    {"lossy_spelling_is_removed", 1252, {"?????? ????.bsa"}, {{L"Старые дома.bsa", nullptr}},
     {"?????? ????.bsa"}},
};

const ForeignNameCase Cp1251Cases[] = {
    {"cyrillic_name_by_long_name", 1251, {}, {{L"Старые дома.bsa", OldHouses1251}}, {}},
    {"accented_name_by_short_name", 1251, {}, {{L"Qualité Textures.bsa", nullptr}}, {}},
    {"polish_name_by_short_name", 1251, {}, {{L"Zło.bsa", nullptr}}, {}},
    // Best fit would register "Zlo.bsa" twice.
    {"zlo_beside_zlo_with_stroke", 1251, {}, {{L"Zlo.bsa", "Zlo.bsa"}, {L"Zło.bsa", nullptr}}, {}},
    {"best_fit_spelling_is_removed", 1251, {"Zlo.bsa"}, {{L"Zło.bsa", nullptr}}, {"Zlo.bsa"}},
};

std::wstring Widen(unsigned codePage, const std::string& bytes) {
    int size = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
    return text;
}

std::string Narrow(const std::wstring& asciiText) {
    return std::string(asciiText.begin(), asciiText.end());
}

std::vector<std::wstring> Sorted(std::vector<std::wstring> items) {
    std::sort(items.begin(), items.end());
    return items;
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The program's warning, worded freely; it lists the files.
const ExpectedMessage ForeignNamesMessage = {L"В именах этих архивов", true, MessageIcon::Warning};

class ForeignNames : public UiCase, public testing::WithParamInterface<ForeignNameCase> {};

TEST_P(ForeignNames, register_only_names_that_name_the_file) {
    const ForeignNameCase& c = GetParam();
    ASSERT_EQ(GetACP(), c.codePage) << "this case needs another code page (LANG=ru_RU.UTF-8 gives 1251)";
    const std::string ini = ArchiveKeys(c.registered);
    install.WriteIni(ini);
    install.AddDataFile("Morrowind.bsa");
    for (const DataFile& file : c.files) install.AddDataFile(std::wstring(file.name));

    // What each file should go in by, in the order of the search.
    const std::vector<Installation::ListedFile> listing = install.Listing();
    std::vector<std::wstring> searched;
    for (const auto& listed : listing) {
        if (listed.name != L"Morrowind.bsa") searched.push_back(listed.name);
    }
    std::vector<std::wstring> inTableOrder;
    for (const DataFile& file : c.files) inTableOrder.push_back(file.name);
    ASSERT_EQ(searched, inTableOrder) << "the search reports the files in another order than the table";

    std::vector<std::string> kept;
    for (const std::string& name : c.registered) {
        if (!Contains(c.removed, name)) kept.push_back(name);
    }
    std::vector<std::string> keysAfter = kept;
    std::vector<std::wstring> shownNew;
    std::vector<std::pair<std::wstring, std::wstring>> reported;  // long name, short name
    for (std::size_t i = 0; i < c.files.size(); ++i) {
        const DataFile& file = c.files[i];
        const std::wstring& shortName = listing[i + 1].shortName;
        std::string spelling;
        if (file.registeredAs != nullptr) {
            spelling = file.registeredAs;
        } else {
            ASSERT_FALSE(shortName.empty()) << "Wine gave the file no short name";
            spelling = Narrow(shortName);
            reported.emplace_back(file.name, shortName);
        }
        if (Contains(kept, spelling)) continue;
        keysAfter.push_back(spelling);
        shownNew.push_back(Widen(c.codePage, spelling));
    }
    std::vector<std::wstring> shownRemoved;
    for (const std::string& name : c.removed) shownRemoved.push_back(Widen(c.codePage, name));

    AmbrelSession session;
    ASSERT_TRUE(session.Started()) << "cannot start AMBREL_EXE, error " << session.StartError();
    if (!reported.empty()) {
        HWND box = session.WaitForDialog(DialogKind::MessageBox);
        ASSERT_NE(box, nullptr) << "no warning about the names";
        const std::wstring text = ReadMessageBox(box).text;
        for (const auto& [longName, shortName] : reported) {
            EXPECT_NE(LineNaming(text, longName).find(shortName), std::wstring::npos)
                << "no line names " << Narrow(shortName) << " with its long name";
        }
        for (const DataFile& file : c.files) {
            if (file.registeredAs != nullptr) {
                EXPECT_EQ(text.find(file.name), std::wstring::npos) << "a name the code page holds is named";
            }
        }
        HWND owner = GetWindow(box, GW_OWNER);
        ASSERT_NE(owner, nullptr);
        EXPECT_EQ(KindOf(owner), DialogKind::Main);
        ASSERT_TRUE(AcknowledgeMessage(session, ForeignNamesMessage, owner));
    }
    HWND main = nullptr;
    ASSERT_TRUE(OpensMainDialog(session, main));
    EXPECT_EQ(session.HasShown(DialogKind::MessageBox), !reported.empty());
    EXPECT_EQ(Sorted(ListItems(GetDlgItem(main, MainNewList))), Sorted(shownNew));
    EXPECT_EQ(Sorted(ListItems(GetDlgItem(main, MainRemovedList))), Sorted(shownRemoved));

    Click(GetDlgItem(main, IDOK));
    ASSERT_TRUE(AcknowledgeMessage(session, UpdatedMessage, main));
    EXPECT_EQ(session.WaitForExit(), 0u);
    EXPECT_EQ(install.ReadIni(), ArchiveKeys(keysAfter));
}

INSTANTIATE_TEST_SUITE_P(Cp1252, ForeignNames, testing::ValuesIn(Cp1252Cases),
                         [](const testing::TestParamInfo<ForeignNameCase>& info) { return info.param.name; });
INSTANTIATE_TEST_SUITE_P(Cp1251, ForeignNames, testing::ValuesIn(Cp1251Cases),
                         [](const testing::TestParamInfo<ForeignNameCase>& info) { return info.param.name; });

// A file already registered by its short name is named again on every run,
// until it is renamed; with nothing else to change the run then ends as
// usual, the main dialog unseen.
using ForeignNameRuns = UiCase;

TEST_F(ForeignNameRuns, are_named_on_every_run) {
    const std::wstring name = L"Zło.bsa";  // held by neither 1251 nor 1252
    install.AddDataFile("Morrowind.bsa");
    install.AddDataFile(name);
    std::wstring shortName;
    for (const auto& listed : install.Listing()) {
        if (listed.name == name) shortName = listed.shortName;
    }
    ASSERT_FALSE(shortName.empty()) << "Wine gave the file no short name";
    const std::string ini = ArchiveKeys({Narrow(shortName).c_str()});
    install.WriteIni(ini);

    AmbrelSession session;
    ASSERT_TRUE(session.Started()) << "cannot start AMBREL_EXE, error " << session.StartError();
    HWND box = session.WaitForDialog(DialogKind::MessageBox);
    ASSERT_NE(box, nullptr) << "no warning about the name";
    EXPECT_NE(LineNaming(ReadMessageBox(box).text, name).find(shortName), std::wstring::npos);
    HWND owner = GetWindow(box, GW_OWNER);
    ASSERT_NE(owner, nullptr);
    ASSERT_TRUE(AcknowledgeMessage(session, ForeignNamesMessage, owner));
    ASSERT_TRUE(AcknowledgeMessage(session, AllRegisteredMessage, owner));
    EXPECT_EQ(session.WaitForExit(), 0u);
    EXPECT_FALSE(session.HasShown(DialogKind::Main));
    EXPECT_EQ(install.ReadIni(), ini);
}

// Many such files: the message names the first ten and how many more there
// are, so that it still fits on the screen; all of them are registered.
TEST_F(ForeignNameRuns, long_lists_are_cut_to_fit_the_screen) {
    install.WriteIni(ArchiveKeys({}));
    for (int i = 0; i < 13; ++i) install.AddDataFile(L"Zło " + std::to_wstring(i) + L".bsa");

    AmbrelSession session;
    ASSERT_TRUE(session.Started()) << "cannot start AMBREL_EXE, error " << session.StartError();
    HWND box = session.WaitForDialog(DialogKind::MessageBox);
    ASSERT_NE(box, nullptr) << "no warning about the names";
    const std::wstring text = ReadMessageBox(box).text;
    std::size_t named = 0;
    for (auto at = text.find(L"Zło "); at != std::wstring::npos; at = text.find(L"Zło ", at + 1)) ++named;
    EXPECT_EQ(named, 10u);
    EXPECT_NE(text.find(L" 3\n"), std::wstring::npos) << "does not say how many more";
    ASSERT_TRUE(AcknowledgeMessage(session, ForeignNamesMessage, GetWindow(box, GW_OWNER)));

    HWND main = nullptr;
    ASSERT_TRUE(OpensMainDialog(session, main));
    EXPECT_EQ(ListItems(GetDlgItem(main, MainNewList)).size(), 13u);
    Click(GetDlgItem(main, IDCANCEL));
    EXPECT_EQ(session.WaitForExit(), 0u);
}

}  // namespace
}  // namespace ambrel_test
