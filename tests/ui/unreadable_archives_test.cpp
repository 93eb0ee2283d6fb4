// Entries of Data Files that the game cannot read as archives: a new one is
// not registered, a registered one stays, and one warning before anything
// else names each file with its reason.

#include <string>
#include <vector>

#include "game_archive.h"
#include "tests/ui/ui_case.h"

namespace ambrel_test {
namespace {

const ExpectedMessage UnreadableMessage = {L"Эти файлы из папки Data Files игра не сможет прочитать", true,
                                           MessageIcon::Warning};
const ExpectedMessage ForeignNamesMessage = {L"В именах этих архивов", true, MessageIcon::Warning};
constexpr const wchar_t* LeftOutHeading = L"Новые, не будут зарегистрированы:";
constexpr const wchar_t* StayHeading = L"Уже зарегистрированы и останутся в списке";

const std::string Good = MakeGameArchive("Good.bsa", 6);
const std::string Cut = Good.substr(0, Good.size() - 1);
const std::string LaterGame = std::string("BSA\0\x67\0\0\0\x24\0\0\0", 12) + std::string(64, '\0');

// One kind of entry, in a new and a registered copy.
struct Entry {
    const char* name;
    const wchar_t* reason;  // how its line starts after the name; null for a readable archive
};

const Entry Entries[] = {
    {"Textures.bsa", L"папка, а не файл"},
    {"Landscape.bsa", L"пустой файл или короче заголовка архива"},
    {"Later.bsa", L"архив более поздней игры серии"},
    {"Page.bsa", L"не архив Morrowind"},
    {"Cut.bsa", L"повреждён"},
    {"Good.bsa", nullptr},
};

using UnreadableArchives = UiCase;

TEST_F(UnreadableArchives, new_ones_are_left_out_and_registered_ones_stay) {
    std::vector<std::string> registered;
    for (const char* prefix : {"", "Old "}) {
        for (const Entry& entry : Entries) {
            const std::string name = prefix + std::string(entry.name);
            const std::string kind = entry.name;
            if (kind == "Textures.bsa") {
                install.AddDataFolder(name);
            } else if (kind == "Landscape.bsa") {
                install.AddDataFile(name, "");
            } else if (kind == "Later.bsa") {
                install.AddDataFile(name, LaterGame);
            } else if (kind == "Page.bsa") {
                install.AddDataFile(name, "<!DOCTYPE html><html><body>Not found</body></html>");
            } else if (kind == "Cut.bsa") {
                install.AddDataFile(name, Cut);
            } else {
                install.AddDataFile(name);
            }
            if (*prefix != '\0') registered.push_back(name);
        }
    }
    install.AddDataFile("Morrowind.bsa");
    registered.push_back("Gone.bsa");
    install.WriteIni(ArchiveKeys(registered));

    AmbrelSession session;
    ASSERT_TRUE(session.Started()) << "cannot start AMBREL_EXE, error " << session.StartError();
    HWND box = session.WaitForDialog(DialogKind::MessageBox);
    ASSERT_NE(box, nullptr) << "no warning about the archives";
    const std::wstring text = ReadMessageBox(box).text;
    const std::size_t leftOut = text.find(LeftOutHeading);
    const std::size_t stay = text.find(StayHeading);
    ASSERT_NE(leftOut, std::wstring::npos) << Utf8(text);
    ASSERT_NE(stay, std::wstring::npos) << Utf8(text);
    EXPECT_LT(leftOut, stay);
    for (const Entry& entry : Entries) {
        for (const bool isRegistered : {false, true}) {
            const std::wstring name = (isRegistered ? L"Old " : L"") + FromCp1251(entry.name);
            const std::size_t at = text.find(L"\n" + name + L" ");
            if (entry.reason == nullptr) {
                EXPECT_EQ(at, std::wstring::npos) << "a readable archive is named: " << Utf8(name);
                continue;
            }
            ASSERT_NE(at, std::wstring::npos) << Utf8(name) << " is not named in\n" << Utf8(text);
            const std::wstring line = text.substr(at + 1, text.find(L'\n', at + 1) - at - 1);
            EXPECT_EQ(line.rfind(name + L" — " + entry.reason, 0), 0u) << Utf8(line);
            EXPECT_EQ(at > stay, isRegistered) << Utf8(name) << " is in the wrong group";
        }
    }
    HWND owner = GetWindow(box, GW_OWNER);
    ASSERT_NE(owner, nullptr);
    EXPECT_EQ(KindOf(owner), DialogKind::Main);
    ASSERT_TRUE(AcknowledgeMessage(session, UnreadableMessage, owner));

    HWND main = nullptr;
    ASSERT_TRUE(OpensMainDialog(session, main));
    EXPECT_EQ(ListItems(GetDlgItem(main, MainNewList)), std::vector<std::wstring>{L"Good.bsa"});
    EXPECT_EQ(ListItems(GetDlgItem(main, MainRemovedList)), std::vector<std::wstring>{L"Gone.bsa"});
    Click(GetDlgItem(main, IDOK));
    ASSERT_TRUE(AcknowledgeMessage(session, UpdatedMessage, main));
    EXPECT_EQ(session.WaitForExit(), 0u);
    registered.pop_back();
    registered.push_back("Good.bsa");
    EXPECT_EQ(install.ReadIni(), ArchiveKeys(registered));
}

// When the only new entries are unreadable, the warning is followed by the
// message that all archives are registered, as when nothing is new; the
// warning names ten files and how many more there are.
TEST_F(UnreadableArchives, only_unreadable_new_ones_change_nothing) {
    const std::string ini = ArchiveKeys({"Tribunal.bsa"});
    install.WriteIni(ini);
    install.AddDataFile("Morrowind.bsa");
    install.AddDataFile("Tribunal.bsa");
    for (int i = 0; i < 12; ++i) install.AddDataFile("Broken " + std::to_string(i) + ".bsa", "");

    AmbrelSession session;
    ASSERT_TRUE(session.Started()) << "cannot start AMBREL_EXE, error " << session.StartError();
    HWND box = session.WaitForDialog(DialogKind::MessageBox);
    ASSERT_NE(box, nullptr) << "no warning about the archives";
    const std::wstring text = ReadMessageBox(box).text;
    std::size_t named = 0;
    for (auto at = text.find(L"Broken "); at != std::wstring::npos; at = text.find(L"Broken ", at + 1)) ++named;
    EXPECT_EQ(named, 10u);
    EXPECT_NE(text.find(L"и ещё 2\n"), std::wstring::npos) << "does not say how many more:\n" << Utf8(text);
    EXPECT_EQ(text.find(StayHeading), std::wstring::npos);
    HWND owner = GetWindow(box, GW_OWNER);
    ASSERT_TRUE(AcknowledgeMessage(session, UnreadableMessage, owner));
    ASSERT_TRUE(AcknowledgeMessage(session, AllRegisteredMessage, owner));
    EXPECT_EQ(session.WaitForExit(), 0u);
    EXPECT_FALSE(session.HasShown(DialogKind::Main));
    EXPECT_EQ(install.ReadIni(), ini);
}

// With names the code page cannot hold as well: the warning about names
// comes first, then the one about contents. A file left out for its
// contents needs no new name and is named by its long name in the second
// warning only.
TEST_F(UnreadableArchives, come_after_the_names_the_code_page_cannot_hold) {
    install.WriteIni(ArchiveKeys({}));
    install.AddDataFile(std::wstring(L"Zło.bsa"));
    install.AddDataFile("Empty.bsa", "");
    install.AddDataFile(std::wstring_view(L"Złe.bsa"), "");

    AmbrelSession session;
    ASSERT_TRUE(session.Started()) << "cannot start AMBREL_EXE, error " << session.StartError();
    HWND first = session.WaitForDialog(DialogKind::MessageBox);
    ASSERT_NE(first, nullptr);
    const std::wstring names = ReadMessageBox(first).text;
    EXPECT_NE(names.find(L"Zło.bsa"), std::wstring::npos) << Utf8(names);
    EXPECT_EQ(names.find(L"Złe.bsa"), std::wstring::npos) << Utf8(names);
    HWND owner = GetWindow(first, GW_OWNER);
    ASSERT_TRUE(AcknowledgeMessage(session, ForeignNamesMessage, owner));

    HWND second = session.WaitForDialog(DialogKind::MessageBox);
    ASSERT_NE(second, nullptr);
    const std::wstring contents = ReadMessageBox(second).text;
    EXPECT_NE(contents.find(L"\nZłe.bsa — пустой файл"), std::wstring::npos) << Utf8(contents);
    EXPECT_NE(contents.find(L"\nEmpty.bsa — пустой файл"), std::wstring::npos) << Utf8(contents);
    EXPECT_EQ(contents.find(L"Zło.bsa"), std::wstring::npos) << Utf8(contents);
    ASSERT_TRUE(AcknowledgeMessage(session, UnreadableMessage, owner));

    HWND main = nullptr;
    ASSERT_TRUE(OpensMainDialog(session, main));
    EXPECT_EQ(ListItems(GetDlgItem(main, MainNewList)).size(), 1u);
    Click(GetDlgItem(main, IDCANCEL));
    EXPECT_EQ(session.WaitForExit(), 0u);
}

}  // namespace
}  // namespace ambrel_test
