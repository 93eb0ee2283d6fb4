// Runs that show one message and end without the main dialog ever on screen.

#include <string>
#include <string_view>
#include <vector>

#include "tests/ui/ui_case.h"

namespace ambrel_test {
namespace {

enum class Registry { Installed, KeyWithoutPath, NoKey };

// Every archive present is registered: with the key in place there is
// nothing to change.
const std::vector<const char*> PresentFiles = {"Morrowind.bsa", "Bloodmoon.bsa", "Tribunal.bsa"};
const std::string AllRegistered = ArchiveKeys({"Tribunal.bsa", "Bloodmoon.bsa"});

// A UTF-16 file (with its byte order mark) that registers one of them.
std::string Utf16Ini(std::wstring_view text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

// Worded freely by the program; it names the file.
const ExpectedMessage Utf16RefusedMessage = {L"Файл morrowind.ini", true, MessageIcon::Error};

struct MessageOnlyCase {
    const char* name;
    Registry registry;
    std::string ini;
    const ExpectedMessage* message;
    bool ownedByMain;  // else it has no owner
};

void PrintTo(const MessageOnlyCase& c, std::ostream* out) { *out << c.name; }

const MessageOnlyCase MessageOnlyCases[] = {
    {"nothing_to_change", Registry::Installed, AllRegistered, &AllRegisteredMessage, true},
    {"utf16_ini_is_not_edited", Registry::Installed, Utf16Ini(L"[Архивы]\r\nArchive 0=Tribunal.bsa\r\n"),
     &Utf16RefusedMessage, true},
    {"no_installation_key", Registry::NoKey, AllRegistered, &NoInstallationMessage, false},
    {"key_without_installed_path", Registry::KeyWithoutPath, AllRegistered, &NoInstallationMessage, false},
};

class MessageOnly : public UiCase, public testing::WithParamInterface<MessageOnlyCase> {};

TEST_P(MessageOnly, shows_the_message_and_ends) {
    const MessageOnlyCase& c = GetParam();
    Prepare(c.ini, PresentFiles);
    if (c.registry == Registry::NoKey) {
        ASSERT_TRUE(RemoveInstallationKey());
    } else if (c.registry == Registry::KeyWithoutPath) {
        ASSERT_TRUE(RegisterKeyWithoutPath());
    }

    AmbrelSession session;
    ASSERT_TRUE(session.Started()) << "cannot start AMBREL_EXE, error " << session.StartError();
    HWND box = session.WaitForDialog(DialogKind::MessageBox);
    ASSERT_NE(box, nullptr);
    HWND owner = GetWindow(box, GW_OWNER);
    if (c.ownedByMain) {
        ASSERT_NE(owner, nullptr);
        EXPECT_EQ(KindOf(owner), DialogKind::Main);
        EXPECT_FALSE(IsWindowVisible(owner));
    } else {
        EXPECT_EQ(owner, nullptr);
        EXPECT_EQ(session.Dialogs(), std::vector<HWND>{box}) << "another dialog exists besides the message";
    }
    ASSERT_TRUE(AcknowledgeMessage(session, *c.message, owner));
    if (owner != nullptr) {
        EXPECT_FALSE(session.ShowsBeforeItGoes(owner)) << "the main dialog came on screen after the message";
    }
    EXPECT_EQ(session.WaitForExit(), 0u);
    EXPECT_FALSE(session.HasShown(DialogKind::Main));
    EXPECT_EQ(install.ReadIni(), c.ini);
}

INSTANTIATE_TEST_SUITE_P(Runs, MessageOnly, testing::ValuesIn(MessageOnlyCases),
                         [](const testing::TestParamInfo<MessageOnlyCase>& info) { return info.param.name; });

}  // namespace
}  // namespace ambrel_test
