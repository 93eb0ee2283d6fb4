#include "app/quiet_run.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

#include "app/console_output.h"
#include "app/install_lookup.h"
#include "app/lookup_failure.h"
#include "core/install_path.h"
#include "core/reconcile.h"
#include "core/registered_archives.h"
#include "platform/ansi_names_win32.h"
#include "resource.h"
#include "ui/messages.h"

namespace {

// Names as the program holds them: in the ANSI code page.
std::wstring Shown(const std::string& name) {
    return WidenFromCodePage(GetACP(), name);
}

struct Changes {
    std::vector<std::string> removed;
    std::vector<std::string> added;
};

// One line per archive registered and per entry removed, then the counts.
void PrintChanges(ConsoleOutput& output, const Changes& changes, bool written) {
    for (const std::string& name : changes.added) {
        output.Print(FormatText(written ? IDS_REPORT_ADDED : IDS_REPORT_WILL_ADD, {Shown(name)}));
    }
    for (const std::string& name : changes.removed) {
        output.Print(FormatText(written ? IDS_REPORT_REMOVED : IDS_REPORT_WILL_REMOVE, {Shown(name)}));
    }
    if (written) output.Print(LoadText(IDS_UPDATED));
    output.Print(FormatText(written ? IDS_REPORT_COUNTS : IDS_REPORT_WILL_COUNTS,
                            {std::to_wstring(changes.added.size()), std::to_wstring(changes.removed.size())}));
}

// Writes the pending list; false, with the reason printed, when the file was
// not changed.
bool WriteChanges(ConsoleOutput& output) {
    const WriteResult result = WriteArchiveList();
    switch (result.status) {
    case WriteStatus::Failed:
        output.PrintError(DescribeWriteFailure(result.error));
        return false;
    case WriteStatus::ChangedElsewhere:
        output.PrintError(LoadText(IDS_INI_CHANGED));
        return false;
    case WriteStatus::Utf16File:
        output.PrintError(LoadText(IDS_INI_UTF16));
        return false;
    case WriteStatus::Written:
    case WriteStatus::NothingToWrite:
        break;
    }
    return true;
}

} // namespace

ExitCode RunQuietly(const RunRequest& request) {
    // The system must not ask about a drive without its disc either.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    ConsoleOutput output;

    const LookupStatus found =
        request.gameFolder.empty() ? LookUpInstallation() : LookUpInstallationIn(request.gameFolder);
    if (found != LookupStatus::Found) {
        output.PrintError(DescribeLookupFailure(found, request.gameFolder));
        return ExitCode::Failed;
    }
    output.Print(FormatText(IDS_REPORT_FOLDER, {Shown(InstallPath)}));

    Changes changes;
    const ReconcileReport report =
        ReconcileArchives([&changes](const std::string& name) { changes.removed.push_back(name); },
                          [&changes](const std::string& name) { changes.added.push_back(name); });
    if (const std::optional<UINT> blocked = UpdateBlockedText(report)) {
        output.PrintError(LoadText(*blocked));
        return ExitCode::Failed;
    }
    // Every file the warnings are about is named: a console has room.
    for (const std::wstring& warning : DescribeWarnings(report, SIZE_MAX)) output.Print(warning);

    if (PendingCount == 0) {
        output.Print(LoadText(IDS_ALL_REGISTERED));
        return ExitCode::InStep;
    }
    if (request.mode == RunMode::Check) {
        PrintChanges(output, changes, false);
        return ExitCode::ChangesFound;
    }
    if (!WriteChanges(output)) return ExitCode::Failed;
    PrintChanges(output, changes, true);
    return ExitCode::InStep;
}

ExitCode ShowUsage() {
    ConsoleOutput output;
    if (output.HasOutput()) {
        output.Print(LoadText(IDS_USAGE));
    } else {
        ShowText(nullptr, LoadText(IDS_USAGE), MB_ICONINFORMATION);
    }
    return ExitCode::InStep;
}

ExitCode ReportUsageError() {
    ConsoleOutput output;
    output.PrintError(LoadText(IDS_BAD_ARGUMENTS) + L"\n\n" + LoadText(IDS_USAGE));
    return ExitCode::UsageError;
}
