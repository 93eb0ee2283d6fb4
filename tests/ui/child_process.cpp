#include "tests/ui/child_process.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace ambrel_test {

std::wstring WindowsPathOf(std::wstring path) {
    if (!path.empty() && path[0] == L'/') {
        for (wchar_t& c : path) {
            if (c == L'/') c = L'\\';
        }
        path.insert(0, L"Z:");
    }
    return path;
}

std::wstring AmbrelExePath() {
    const wchar_t* value = _wgetenv(L"AMBREL_EXE");
    return value == nullptr ? std::wstring() : WindowsPathOf(value);
}

namespace {

// How often a start that Wine reports as ERROR_INTERNAL_ERROR is tried.
constexpr int StartAttempts = 3;

}  // namespace

ChildProcess::ChildProcess(const std::wstring& exe) {
    for (int attempt = 1; attempt <= StartAttempts; ++attempt) {
        if (Start(exe)) return;
        // Wine's CreateProcessW gives this error, and no other, when the new
        // process's Unix side ended before Wine's own loader reported it
        // started: before the program's imports were loaded or any of its
        // code ran, so nothing of the program under test can be at fault.
        // Such a start is tried again and written to the log, where
        // tools/run-tests.sh counts it; any other error fails at once.
        if (startError_ != ERROR_INTERNAL_ERROR) return;
        fprintf(stderr, "%s %d of %d\n", WineStartFailureNote, attempt, StartAttempts);
        fflush(stderr);
        Sleep(100);
    }
}

bool ChildProcess::Start(const std::wstring& exe) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    // CreateProcessW may write into the command line.
    std::vector<wchar_t> commandLine(exe.begin(), exe.end());
    commandLine.insert(commandLine.begin(), L'"');
    commandLine.push_back(L'"');
    commandLine.push_back(L'\0');
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &info_)) {
        startError_ = GetLastError();
        info_ = {};
        return false;
    }
    startError_ = 0;
    return true;
}

ChildProcess::~ChildProcess() {
    if (!Started()) return;
    if (!HasExited()) {
        TerminateProcess(info_.hProcess, 255);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool ChildProcess::HasExited() const {
    return !Started() || WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0;
}

bool ChildProcess::WaitUntilIdle(DWORD timeoutMs) const {
    return Started() && WaitForInputIdle(info_.hProcess, timeoutMs) == 0;
}

std::optional<DWORD> ChildProcess::WaitForExit(DWORD timeoutMs) const {
    if (!Started() || WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    if (!GetExitCodeProcess(info_.hProcess, &code)) return std::nullopt;
    return code;
}

}  // namespace ambrel_test
