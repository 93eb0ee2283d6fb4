#include "tests/ui/ambrel_session.h"

namespace ambrel_test {

namespace {

constexpr DWORD DefaultPollMs = 10;

bool TimeLeft(DWORD start, DWORD timeoutMs) {
    return GetTickCount() - start < timeoutMs;
}

}  // namespace

AmbrelSession::AmbrelSession() : AmbrelSession(AmbrelExePath(), DefaultPollMs) {}

AmbrelSession::AmbrelSession(const std::wstring& exe, DWORD pollMs) : process_(exe), pollMs_(pollMs) {}

std::vector<HWND> AmbrelSession::LookAround() {
    std::vector<HWND> visible;
    for (HWND dialog : Dialogs()) {
        if (!IsWindowVisible(dialog)) continue;
        shown_.insert(KindOf(dialog));
        visible.push_back(dialog);
    }
    return visible;
}

HWND AmbrelSession::WaitForDialog(DialogKind kind) {
    for (DWORD start = GetTickCount(); TimeLeft(start, WindowTimeoutMs); Sleep(pollMs_)) {
        for (HWND dialog : LookAround()) {
            if (KindOf(dialog) == kind) return dialog;
        }
        if (process_.HasExited()) return nullptr;
    }
    return nullptr;
}

bool AmbrelSession::WaitUntilGone(HWND dialog) {
    // Without pause too: what the program does next may follow at once.
    for (DWORD start = GetTickCount(); TimeLeft(start, WindowTimeoutMs); Sleep(0)) {
        if (!IsWindow(dialog) || !IsWindowVisible(dialog)) return true;
    }
    return false;
}

bool AmbrelSession::ShowsBeforeItGoes(HWND window) {
    bool shown = false;
    for (DWORD start = GetTickCount(); TimeLeft(start, ExitTimeoutMs) && IsWindow(window) && !process_.HasExited();
         Sleep(0)) {
        if (IsWindowVisible(window)) shown = true;
    }
    return shown;
}

std::optional<DWORD> AmbrelSession::WaitForExit() {
    for (DWORD start = GetTickCount(); TimeLeft(start, ExitTimeoutMs);) {
        LookAround();
        if (std::optional<DWORD> code = process_.WaitForExit(pollMs_)) return code;
    }
    return std::nullopt;
}

}  // namespace ambrel_test
