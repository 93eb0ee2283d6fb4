// Runs from the command line: /update and /check work with no window of any
// kind, print their report to the redirected output and say by the exit
// code how it went; /game and the program's own folder choose the
// installation before the registry does.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "tests/ui/ui_case.h"

namespace ambrel_test {
namespace {

constexpr DWORD InStep = 0, ChangesFound = 1, Failed = 2, UsageError = 3;

// What one run left: its exit code, what it wrote to its two streams
// (redirected to files), and whether it ever had a window.
struct QuietRun {
    std::optional<DWORD> exitCode;
    std::string out;
    std::string error;
    bool hadWindow = false;
};

struct WindowSearch {
    DWORD processId;
    bool found;
};

BOOL CALLBACK NoteWindowOf(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId) search->found = true;
    return !search->found;
}

// Any top-level window of the process, visible or not.
bool HasWindow(DWORD processId) {
    WindowSearch search = {processId, false};
    EnumWindows(NoteWindowOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A file for one stream of the child, inherited by it.
class StreamFile {
public:
    explicit StreamFile(const std::wstring& path) : path_(path) {
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        handle_ = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    ~StreamFile() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
        DeleteFileW(path_.c_str());
    }
    StreamFile(const StreamFile&) = delete;
    StreamFile& operator=(const StreamFile&) = delete;

    HANDLE Handle() const { return handle_; }
    std::string Contents() const {
        std::ifstream in(std::filesystem::path(path_), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::wstring path_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Runs exe with the arguments, its output and error streams redirected to
// files, and looks for windows of it, without pause, until it ends.
QuietRun RunAmbrel(const std::wstring& exe, const std::wstring& arguments) {
    QuietRun run;
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring stem = std::wstring(temp) + L"ambrel-run-" + std::to_wstring(GetCurrentProcessId());
    StreamFile out(stem + L".out");
    StreamFile error(stem + L".err");

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out.Handle();
    startup.hStdError = error.Handle();
    PROCESS_INFORMATION process = {};
    if (const DWORD startError = StartProgram(exe, arguments, startup, true, process)) {
        ADD_FAILURE() << "cannot start " << Utf8(exe) << ", error " << startError;
        return run;
    }
    for (DWORD start = GetTickCount(); GetTickCount() - start < ExitTimeoutMs;) {
        if (HasWindow(process.dwProcessId)) run.hadWindow = true;
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
            DWORD code = 0;
            if (GetExitCodeProcess(process.hProcess, &code)) run.exitCode = code;
            break;
        }
    }
    if (!run.exitCode) TerminateProcess(process.hProcess, 255);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    run.out = out.Contents();
    run.error = error.Contents();
    return run;
}

// ambrel.exe copied into the installation, beside Morrowind.exe when the
// folder is to be a game's (named in the given letter case).
std::wstring PlaceExeIn(const Installation& install, const wchar_t* gameExe = L"Morrowind.exe") {
    const std::wstring exe = install.Folder() + L"\\ambrel.exe";
    if (!CopyFileW(AmbrelExePath().c_str(), exe.c_str(), FALSE)) ADD_FAILURE() << "cannot copy ambrel.exe";
    if (gameExe != nullptr) std::ofstream created(std::filesystem::path(install.Folder() + L"\\" + gameExe));
    return exe;
}

std::string Lines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

std::string FolderLine(const Installation& install) {
    return "Папка игры: " + Utf8(install.Folder());
}

// Registered: Tribunal.bsa and Gone.bsa; on disk: Tribunal.bsa and New.bsa.
const std::string ChangingIni = ArchiveKeys({"Tribunal.bsa", "Gone.bsa"});
const std::vector<const char*> ChangingFiles = {"Morrowind.bsa", "Tribunal.bsa", "New.bsa"};
const std::string UpdatedIni = ArchiveKeys({"Tribunal.bsa", "New.bsa"});

class CommandLine : public UiCase {
protected:
    explicit CommandLine(std::string_view folderName = "ambrel-ui") : UiCase(folderName) {}

    // Runs the built exe, and checks what every run must: it ended, and had
    // no window at any moment.
    QuietRun Run(const std::wstring& arguments, const std::wstring& exe = AmbrelExePath()) {
        QuietRun run = RunAmbrel(exe, arguments);
        EXPECT_TRUE(run.exitCode.has_value()) << "did not end";
        EXPECT_FALSE(run.hadWindow) << "a window came up";
        return run;
    }
};

TEST_F(CommandLine, check_reports_and_writes_nothing) {
    Prepare(ChangingIni, ChangingFiles);
    const QuietRun run = Run(L"/check");
    EXPECT_EQ(run.exitCode, ChangesFound);
    EXPECT_EQ(run.out, Lines({FolderLine(install), "Будет зарегистрирован: New.bsa",
                              "Будет удалён из списка: Gone.bsa",
                              "Будет зарегистрировано архивов: 1, удалено записей: 1. Файл morrowind.ini не изменён."}));
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(install.ReadIni(), ChangingIni);
}

TEST_F(CommandLine, update_writes_and_reports) {
    Prepare(ChangingIni, ChangingFiles);
    const QuietRun run = Run(L"--UPDATE");
    EXPECT_EQ(run.exitCode, InStep);
    EXPECT_EQ(run.out, Lines({FolderLine(install), "Зарегистрирован: New.bsa", "Удалён из списка: Gone.bsa",
                              "файл Morrowind.ini успешно обновлен и дополнен",
                              "Зарегистрировано архивов: 1, удалено записей: 1."}));
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(install.ReadIni(), UpdatedIni);
}

// Each run says by its exit code how it went, and never opens a window to
// say it, whatever went wrong.
enum class Setup { Changes, InStep, ReadOnly, Utf16, NoInstallation };

struct OutcomeCase {
    const char* name;
    Setup setup;
    const wchar_t* arguments;
    DWORD exitCode;
    const char* outputEnd;  // the last line printed; null: nothing printed
    const char* error;      // what the error stream starts with; null: nothing
};

void PrintTo(const OutcomeCase& c, std::ostream* out) { *out << c.name; }

const OutcomeCase OutcomeCases[] = {
    {"check_in_step", Setup::InStep, L"/check", InStep, "Все игровые архивы BSA зарегистированны. ", nullptr},
    {"update_in_step", Setup::InStep, L"/update", InStep, "Все игровые архивы BSA зарегистированны. ", nullptr},
    {"check_finds_changes", Setup::Changes, L"/Check", ChangesFound, "Будет зарегистрировано архивов: 1, удалено записей: 1. Файл morrowind.ini не изменён.", nullptr},
    {"update_of_a_read_only_file", Setup::ReadOnly, L"/update", Failed, "", "Файл morrowind.ini не изменён."},
    {"check_of_a_utf16_file", Setup::Utf16, L"/check", Failed, "", "Файл morrowind.ini записан в кодировке UTF-16."},
    {"update_without_installation", Setup::NoInstallation, L"/update", Failed, nullptr,
     "Can not find TES3:Morrowind installation"},
    {"unknown_switch", Setup::Changes, L"/updat", UsageError, nullptr, "Неверные параметры командной строки."},
    {"update_and_check", Setup::Changes, L"/update /check", UsageError, nullptr, "Неверные параметры командной строки."},
    {"game_without_folder", Setup::Changes, L"/update /game", UsageError, nullptr, "Неверные параметры командной строки."},
    {"help", Setup::Changes, L"/?", InStep, "  3  неверные параметры: ничего не прочитано и не записано", nullptr},
};

class Outcome : public CommandLine, public testing::WithParamInterface<OutcomeCase> {};

TEST_P(Outcome, ends_with_its_code_and_no_window) {
    const OutcomeCase& c = GetParam();
    std::string ini = c.setup == Setup::InStep ? UpdatedIni : ChangingIni;
    if (c.setup == Setup::Utf16) ini = std::string("\xFF\xFE[\0", 4);
    Prepare(ini, ChangingFiles);
    if (c.setup == Setup::ReadOnly) {
        ASSERT_TRUE(install.SetIniReadOnly(true));
    }
    if (c.setup == Setup::NoInstallation) {
        ASSERT_TRUE(RemoveInstallationKey());
    }

    const QuietRun run = Run(c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode);
    if (c.outputEnd == nullptr) {
        EXPECT_EQ(run.out, "");
    } else {
        const std::string end = std::string(c.outputEnd) + "\r\n";
        EXPECT_TRUE(run.out.size() >= end.size() && run.out.compare(run.out.size() - end.size(), end.size(), end) == 0)
            << run.out;
    }
    if (c.error == nullptr) {
        EXPECT_EQ(run.error, "");
    } else {
        EXPECT_EQ(run.error.rfind(c.error, 0), 0u) << run.error;
    }
    EXPECT_EQ(install.ReadIni(), ini);
}

INSTANTIATE_TEST_SUITE_P(Runs, Outcome, testing::ValuesIn(OutcomeCases),
                         [](const testing::TestParamInfo<OutcomeCase>& info) { return info.param.name; });

// Warnings do not change the exit code, and name every file they are about.
TEST_F(CommandLine, update_prints_the_warnings_and_succeeds) {
    Prepare(ArchiveKeys({}), {"Morrowind.bsa"});
    install.AddDataFile(std::wstring_view(L"Zło.bsa"));  // in neither code page
    install.AddDataFile("Empty.bsa", "");                 // not an archive the game can read
    const QuietRun run = Run(L"/update");
    EXPECT_EQ(run.exitCode, InStep);
    EXPECT_NE(run.out.find("В именах этих архивов из папки Data Files есть буквы"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Zło.bsa — "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("игра не сможет прочитать как архивы BSA"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Empty.bsa — пустой файл"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Зарегистрировано архивов: 1, удалено записей: 0.\r\n"), std::string::npos) << run.out;
}

// /game names the installation, whatever the registry says.
TEST_F(CommandLine, game_folder_wins_over_the_registry) {
    Prepare(ChangingIni, ChangingFiles);
    Installation other("ambrel-other");  // the registry now names this one
    ASSERT_TRUE(other.Ready());
    other.WriteIni(ChangingIni);
    const QuietRun run = Run(L"/update /game \"" + install.Folder() + L"\"");
    EXPECT_EQ(run.exitCode, InStep);
    EXPECT_EQ(run.out.rfind(FolderLine(install) + "\r\n", 0), 0u) << run.out;
    EXPECT_EQ(install.ReadIni(), UpdatedIni);
    EXPECT_EQ(other.ReadIni(), ChangingIni);
}

// A mistyped folder never gets a morrowind.ini of its own.
TEST_F(CommandLine, game_folder_that_is_no_installation_fails) {
    const std::wstring notGame = install.Folder() + L"\\Data Files";
    const std::wstring missing = install.Folder() + L"\\missing";
    for (const std::wstring& folder : {notGame, missing}) {
        SCOPED_TRACE(Utf8(folder));
        const QuietRun run = Run(L"/update --game \"" + folder + L"\"");
        EXPECT_EQ(run.exitCode, Failed);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.error.find(Utf8(folder)), std::string::npos) << run.error;
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(folder) / L"morrowind.ini"));
    }
}

// The folder ambrel.exe is started in, when it is a game's, is the
// installation: the registry is not read.
struct OwnFolderCase {
    const char* name;
    const wchar_t* gameExe;      // created beside ambrel.exe; null: none
    const wchar_t* dataFolder;   // Data Files renamed to this; null: as made
    bool key;                    // the registry names another installation
    bool ownFolderUsed;          // else the other installation is edited
};

void PrintTo(const OwnFolderCase& c, std::ostream* out) { *out << c.name; }

const OwnFolderCase OwnFolderCases[] = {
    {"without_a_key", L"Morrowind.exe", nullptr, false, true},
    {"over_a_key_naming_another", L"Morrowind.exe", nullptr, true, true},
    {"in_other_letter_cases", L"MORROWIND.EXE", L"data files", true, true},
    {"without_morrowind_exe_the_key_decides", nullptr, nullptr, true, false},
};

class OwnFolder : public CommandLine, public testing::WithParamInterface<OwnFolderCase> {};

TEST_P(OwnFolder, is_the_installation_when_it_is_a_game_folder) {
    const OwnFolderCase& c = GetParam();
    Prepare(ChangingIni, ChangingFiles);
    const std::wstring exe = PlaceExeIn(install, c.gameExe);
    if (c.dataFolder != nullptr) {
        ASSERT_TRUE(MoveFileW((install.Folder() + L"\\Data Files").c_str(), (install.Folder() + L"\\x").c_str()));
        ASSERT_TRUE(MoveFileW((install.Folder() + L"\\x").c_str(), (install.Folder() + L"\\" + c.dataFolder).c_str()));
    }
    std::optional<Installation> other;
    if (c.key) {
        other.emplace("ambrel-other");
        ASSERT_TRUE(other->Ready());
        other->WriteIni(ChangingIni);
        other->AddDataFile("New.bsa");
    } else {
        ASSERT_TRUE(RemoveInstallationKey());
    }

    const QuietRun run = Run(L"/update", exe);
    EXPECT_EQ(run.exitCode, InStep);
    const Installation& edited = c.ownFolderUsed ? install : *other;
    EXPECT_EQ(run.out.rfind(FolderLine(edited) + "\r\n", 0), 0u) << run.out;
    EXPECT_EQ(install.ReadIni(), c.ownFolderUsed ? UpdatedIni : ChangingIni);
    if (other) {
        EXPECT_EQ(other->ReadIni(), c.ownFolderUsed ? ChangingIni : ArchiveKeys({"New.bsa"}));
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, OwnFolder, testing::ValuesIn(OwnFolderCases),
                         [](const testing::TestParamInfo<OwnFolderCase>& info) { return info.param.name; });

// A folder whose path the ANSI code page cannot spell would give the game
// paths it cannot open: the registry decides instead.
class OwnFolderCyrillic : public CommandLine {
protected:
    OwnFolderCyrillic() : CommandLine("ambrel-\xC8\xE3\xF0\xE0") {}  // "Игра"
};

TEST_F(OwnFolderCyrillic, is_passed_over_where_the_code_page_lacks_its_letters) {
    Prepare(ChangingIni, ChangingFiles);
    const std::wstring exe = PlaceExeIn(install);
    ASSERT_TRUE(RemoveInstallationKey());
    const QuietRun run = Run(L"/check", exe);
    if (GetACP() == 1251) {
        EXPECT_EQ(run.exitCode, ChangesFound);
        EXPECT_EQ(run.out.rfind(FolderLine(install) + "\r\n", 0), 0u) << run.out;
    } else {
        EXPECT_EQ(run.exitCode, Failed);
        EXPECT_EQ(run.error.rfind("Can not find TES3:Morrowind installation", 0), 0u) << run.error;
    }
}

// Started with no arguments in a game's folder, the dialog works on that
// folder too.
TEST_F(CommandLine, dialog_uses_the_program_folder) {
    Prepare(UpdatedIni, ChangingFiles);
    const std::wstring exe = PlaceExeIn(install);
    ASSERT_TRUE(RemoveInstallationKey());
    AmbrelSession session(exe, 10);
    ASSERT_TRUE(session.Started());
    HWND box = session.WaitForDialog(DialogKind::MessageBox);
    ASSERT_NE(box, nullptr);
    // Owned by the main dialog, which is never shown.
    ASSERT_TRUE(AcknowledgeMessage(session, AllRegisteredMessage, GetWindow(box, GW_OWNER)));
    EXPECT_EQ(session.WaitForExit(), InStep);
}

}  // namespace
}  // namespace ambrel_test
