#include "tests/ui/child_process.h"

#include <cstdio>
#include <cstdlib>

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

DWORD StartProgram(const std::wstring& exe, const std::wstring& arguments, STARTUPINFOW& startup,
                   bool inheritHandles, PROCESS_INFORMATION& process) {
    for (int attempt = 1;; ++attempt) {
        // CreateProcessW may write into the command line.
        std::wstring commandLine = L"\"" + exe + L"\"";
        if (!arguments.empty()) commandLine += L" " + arguments;
        if (CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, inheritHandles, 0, nullptr,
                           nullptr, &startup, &process)) {
            return 0;
        }
        const DWORD error = GetLastError();
        process = {};
        // Wine's CreateProcessW gives this error, and no other, when the new
        // process's Unix side ended before Wine's own loader reported it
        // started: before the program's imports were loaded or any of its
        // code ran, so nothing of the program under test can be at fault.
        // Such a start is tried again and written to the log, where
        // tools/run-tests.sh counts it; any other error fails at once.
        if (error != ERROR_INTERNAL_ERROR || attempt == StartAttempts) return error;
        fprintf(stderr, "%s %d of %d\n", WineStartFailureNote, attempt, StartAttempts);
        fflush(stderr);
        Sleep(100);
    }
}

ChildProcess::ChildProcess(const std::wstring& exe) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startError_ = StartProgram(exe, L"", startup, false, info_);
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
