#include "tests/ui/child_process.h"

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

ChildProcess::ChildProcess(const std::wstring& exe) {
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
        return;
    }
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
