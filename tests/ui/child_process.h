// A program started for one test case. It never outlives the case: if it is
// still running when the case ends, it is killed.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace ambrel_test {

// A path as Windows names it: a Unix path (as ctest and the shell hand
// them over) becomes the same file under drive Z:, where Wine shows it.
std::wstring WindowsPathOf(std::wstring path);

// The program under test, from AMBREL_EXE.
std::wstring AmbrelExePath();

// Written to the standard error stream each time Wine ends a new process
// before it has started (see StartProgram).
constexpr const char* WineStartFailureNote = "wine: the new process ended before it started, attempt";

// Starts exe with the arguments (after its quoted path) and the startup
// information given; returns 0, or the error of the last attempt.
DWORD StartProgram(const std::wstring& exe, const std::wstring& arguments, STARTUPINFOW& startup,
                   bool inheritHandles, PROCESS_INFORMATION& process);

class ChildProcess {
public:
    explicit ChildProcess(const std::wstring& exe);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return info_.hProcess != nullptr; }
    DWORD StartError() const { return startError_; }
    DWORD Id() const { return info_.dwProcessId; }
    bool HasExited() const;

    // Whether the program came to wait for input, with nothing left to
    // handle (its windows created, shown and painted), within the timeout.
    bool WaitUntilIdle(DWORD timeoutMs) const;

    // The exit code, or nothing when it is still running after the timeout.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs) const;

private:
    PROCESS_INFORMATION info_ = {};
    DWORD startError_ = 0;
};

}  // namespace ambrel_test
