#include "app/console_output.h"

#include <algorithm>
#include <string>

#include "platform/ansi_names_win32.h"

namespace {

bool IsUsable(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

// Whether the handle leads somewhere. A windowed program may inherit a
// console's handle values without being attached to that console (Windows 7
// hands them down): the system knows no file behind them.
bool LeadsSomewhere(HANDLE handle) {
    return IsUsable(handle) && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != FALSE;
}

// The text with every line feed made CR LF, and one at the end.
std::wstring AsLines(std::wstring_view text) {
    std::wstring lines;
    lines.reserve(text.size() + 16);
    for (wchar_t c : text) {
        if (c == L'\n') lines += L'\r';
        lines += c;
    }
    lines += L"\r\n";
    return lines;
}

} // namespace

ConsoleOutput::ConsoleOutput() {
    // A handle that the parent passed down is a redirection to a file, a
    // pipe or a device (NUL, or a terminal under Wine), or the console
    // itself: it is used as it is.
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (LeadsSomewhere(out)) out_ = {out, IsConsole(out)};
    if (LeadsSomewhere(error)) error_ = {error, IsConsole(error)};
    if (out_.handle != nullptr && error_.handle != nullptr) return;

    // A windowed program started from a console is not given it: it joins
    // it and writes to its screen.
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    consoleScreen_ = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    if (!IsUsable(consoleScreen_)) return;
    if (out_.handle == nullptr) out_ = {consoleScreen_, true};
    if (error_.handle == nullptr) error_ = {consoleScreen_, true};
}

ConsoleOutput::~ConsoleOutput() {
    if (IsUsable(consoleScreen_)) CloseHandle(consoleScreen_);
}

void ConsoleOutput::Write(const Stream& stream, std::wstring_view text) {
    if (stream.handle == nullptr) return;
    const std::wstring lines = AsLines(text);
    if (stream.console) {
        // In pieces: older consoles refuse one call with a very long text.
        constexpr std::size_t Piece = 8192;
        for (std::size_t at = 0; at < lines.size(); at += Piece) {
            const DWORD length = static_cast<DWORD>(std::min(Piece, lines.size() - at));
            DWORD written = 0;
            if (!WriteConsoleW(stream.handle, lines.data() + at, length, &written, nullptr)) return;
        }
        return;
    }
    std::string bytes;
    SpellInCodePage(CP_UTF8, lines, bytes);
    for (std::size_t at = 0; at < bytes.size();) {
        DWORD written = 0;
        if (!WriteFile(stream.handle, bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &written, nullptr) ||
            written == 0) {
            return;
        }
        at += written;
    }
}
