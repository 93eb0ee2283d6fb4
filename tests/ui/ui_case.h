// What the end-to-end cases share: a scratch installation per case, the
// INI text they are written in, and the program's messages.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "tests/ui/ambrel_session.h"
#include "tests/ui/installation.h"

namespace ambrel_test {

// "[Архивы]" in Windows-1251, the section the program keeps. A literal,
// not a string object, so the case tables can use it while they are
// initialised.
inline constexpr char ArchivesHeader[] = "[\xC0\xF0\xF5\xE8\xE2\xFB]\r\n";

// The section with the names as keys "Archive 0", "Archive 1", ... in CRLF
// lines, as a plain morrowind.ini holds them.
std::string ArchiveKeys(std::initializer_list<const char*> names);
std::string ArchiveKeys(const std::vector<std::string>& names);

// The first line of a message's text that holds name, or nothing.
std::wstring LineNaming(const std::wstring& text, const std::wstring& name);

// UTF-16 text as UTF-8, for failure messages.
std::string Utf8(const std::wstring& text);

struct ExpectedMessage {
    const wchar_t* text;
    bool textIsPrefix;  // the rest is the system's reason
    MessageIcon icon;
};

extern const ExpectedMessage AllRegisteredMessage;
extern const ExpectedMessage UpdatedMessage;
extern const ExpectedMessage NoInstallationMessage;
extern const ExpectedMessage WriteFailedMessage;

// Waits for the program's message box, checks it (caption "Ambrel", the
// text, the icon, a single OK button, the owner) and dismisses it with OK.
testing::AssertionResult AcknowledgeMessage(AmbrelSession& session, const ExpectedMessage& expected,
                                            HWND owner);

// Whether the window is enabled again in time (an owner comes back to life
// a moment after its modal box is gone).
testing::AssertionResult BecomesEnabled(HWND window);

// Starts the program and waits for its main dialog.
testing::AssertionResult OpensMainDialog(AmbrelSession& session, HWND& main);

class UiCase : public testing::Test {
protected:
    explicit UiCase(std::string_view folderName = "ambrel-ui") : install(folderName) {}

    void SetUp() override { ASSERT_TRUE(install.Ready()) << "no scratch installation"; }

    // Writes morrowind.ini and creates the Data Files entries.
    void Prepare(const std::string& ini, const std::vector<const char*>& dataFiles) const;

    Installation install;
};

}  // namespace ambrel_test
