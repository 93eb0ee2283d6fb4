#include "tests/ui/ui_case.h"

#include <sstream>

namespace ambrel_test {

// The texts below are UTF-8 here; they must reach the comparisons as UTF-16.
static_assert(sizeof(L"Ж") == 2 * sizeof(wchar_t) && L"Ж"[0] == 0x0416,
              "compile this file with a UTF-8 input charset");

const ExpectedMessage AllRegisteredMessage = {L"Все игровые архивы BSA зарегистированны. ", false,
                                              MessageIcon::Information};
const ExpectedMessage UpdatedMessage = {L"файл Morrowind.ini успешно обновлен и дополнен", false,
                                        MessageIcon::Information};
const ExpectedMessage NoInstallationMessage = {L"Can not find TES3:Morrowind installation", false,
                                               MessageIcon::Error};
const ExpectedMessage WriteFailedMessage = {L"Файл morrowind.ini не изменён.", true, MessageIcon::Error};

std::string ArchiveKeys(std::initializer_list<const char*> names) {
    return ArchiveKeys(std::vector<std::string>(names.begin(), names.end()));
}

std::string ArchiveKeys(const std::vector<std::string>& names) {
    std::string ini = ArchivesHeader;
    unsigned number = 0;
    for (const std::string& name : names) {
        ini += "Archive " + std::to_string(number++) + "=" + name + "\r\n";
    }
    return ini;
}

std::wstring LineNaming(const std::wstring& text, const std::wstring& name) {
    std::wstring::size_type start = 0;
    for (;;) {
        const std::wstring::size_type end = text.find(L'\n', start);
        const std::wstring line = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        if (line.find(name) != std::wstring::npos) return line;
        if (end == std::wstring::npos) return {};
        start = end + 1;
    }
}

std::string Utf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    bytes.pop_back();
    return bytes;
}

testing::AssertionResult AcknowledgeMessage(AmbrelSession& session, const ExpectedMessage& expected,
                                            HWND owner) {
    HWND box = session.WaitForDialog(DialogKind::MessageBox);
    if (box == nullptr) return testing::AssertionFailure() << "no message box came up";
    const MessageBoxContent content = ReadMessageBox(box);

    std::ostringstream faults;
    if (content.caption != L"Ambrel") faults << "\n  caption: \"" << Utf8(content.caption) << "\"";
    const std::wstring expectedText = expected.text;
    const bool textMatches = expected.textIsPrefix ? content.text.rfind(expectedText, 0) == 0
                                                   : content.text == expectedText;
    if (!textMatches) {
        faults << "\n  text: \"" << Utf8(content.text) << "\"\n  expected"
               << (expected.textIsPrefix ? " to start with" : "") << ": \"" << Utf8(expectedText) << "\"";
    }
    if (content.icon != expected.icon) {
        faults << "\n  icon: " << NameOf(content.icon) << ", expected " << NameOf(expected.icon);
    }
    if (content.buttons != std::vector<int>{IDOK}) faults << "\n  not a single OK button";
    if (content.owner != owner) faults << "\n  owned by another window";

    Click(GetDlgItem(box, IDOK));
    if (!session.WaitUntilGone(box)) faults << "\n  OK did not close it";
    if (!faults.str().empty()) return testing::AssertionFailure() << "message box:" << faults.str();
    return testing::AssertionSuccess();
}

testing::AssertionResult OpensMainDialog(AmbrelSession& session, HWND& main) {
    if (!session.Started()) {
        return testing::AssertionFailure() << "cannot start AMBREL_EXE, error " << session.StartError();
    }
    main = session.WaitForDialog(DialogKind::Main);
    if (main == nullptr) return testing::AssertionFailure() << "no main dialog came up";
    return testing::AssertionSuccess();
}

testing::AssertionResult BecomesEnabled(HWND window) {
    for (int i = 0; i < 200; ++i) {
        if (IsWindowEnabled(window)) return testing::AssertionSuccess();
        Sleep(10);
    }
    return testing::AssertionFailure() << "the window stayed disabled";
}

void UiCase::Prepare(const std::string& ini, const std::vector<const char*>& dataFiles) const {
    install.WriteIni(ini);
    for (const char* name : dataFiles) install.AddDataFile(name);
}

}  // namespace ambrel_test
