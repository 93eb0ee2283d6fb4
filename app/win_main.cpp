// The program's entry: read the command line, then either find the game and
// run the main dialog, or run without windows.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "app/exit_code.h"
#include "app/install_lookup.h"
#include "app/lookup_failure.h"
#include "app/quiet_run.h"
#include "core/command_line.h"
#include "resource.h"
#include "ui/main_dialog.h"
#include "ui/messages.h"

namespace {

// The arguments after the program's own name, split as the C runtime does.
std::vector<std::wstring> CommandLineArguments() {
    int count = 0;
    LPWSTR* split = CommandLineToArgvW(GetCommandLineW(), &count);
    if (split == nullptr) return {};
    std::vector<std::wstring> arguments(split + (count > 0 ? 1 : 0), split + count);
    LocalFree(split);
    return arguments;
}

ExitCode RunDialog(HINSTANCE instance, const std::wstring& gameFolder) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    const LookupStatus found = gameFolder.empty() ? LookUpInstallation() : LookUpInstallationIn(gameFolder);
    if (found != LookupStatus::Found) {
        ShowText(nullptr, DescribeLookupFailure(found, gameFolder), MB_ICONERROR);
        return ExitCode::InStep;
    }
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainDialog, 0);
    return ExitCode::InStep;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const std::optional<RunRequest> request = ParseCommandLine(CommandLineArguments());
    if (!request) return ReportUsageError();
    switch (request->mode) {
    case RunMode::Dialog:
        return RunDialog(instance, request->gameFolder);
    case RunMode::Help:
        return ShowUsage();
    case RunMode::Update:
    case RunMode::Check:
        break;
    }
    return RunQuietly(*request);
}
