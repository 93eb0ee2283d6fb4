// One run of ambrel.exe, watched from outside: bounded waits for its dialogs
// and its exit, and a record of which kinds of dialog it has shown so far.
// A run still going when the case ends is killed.
#pragma once

#include <windows.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tests/ui/child_process.h"
#include "tests/ui/dialog_windows.h"

namespace ambrel_test {

constexpr DWORD WindowTimeoutMs = 10000;
constexpr DWORD ExitTimeoutMs = 10000;

class AmbrelSession {
public:
    // Starts the program under test (AMBREL_EXE).
    AmbrelSession();
    // Starts another program with the same dialogs; the waits look for its
    // windows every pollMs milliseconds.
    AmbrelSession(const std::wstring& exe, DWORD pollMs);

    bool Started() const { return process_.Started(); }
    DWORD StartError() const { return process_.StartError(); }

    // The program's top-level dialogs now, visible or not.
    std::vector<HWND> Dialogs() const { return DialogsOf(process_.Id()); }

    // Whether the program came to wait for input within WindowTimeoutMs.
    bool WaitUntilIdle() const { return process_.WaitUntilIdle(WindowTimeoutMs); }
    // The visible dialog of that kind, or null when none came up in time or
    // the program ended first.
    HWND WaitForDialog(DialogKind kind);
    // Whether the dialog was closed or hidden in time.
    bool WaitUntilGone(HWND dialog);
    // Whether the window showed on screen before it was destroyed or the
    // program ended. Looks without pause: a dialog that the dialog manager
    // shows and destroys at once is up for a few milliseconds only.
    bool ShowsBeforeItGoes(HWND window);
    // The exit code, or nothing when the program did not end in time.
    std::optional<DWORD> WaitForExit();

    // Whether any of the waits has seen a dialog of that kind on screen.
    bool HasShown(DialogKind kind) const { return shown_.count(kind) != 0; }

private:
    // The visible dialogs now, their kinds recorded.
    std::vector<HWND> LookAround();

    ChildProcess process_;
    DWORD pollMs_;
    std::set<DialogKind> shown_;
};

}  // namespace ambrel_test
