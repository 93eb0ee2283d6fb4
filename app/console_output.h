// Where a run without windows writes: the console of the process that
// started the program (which, being a windowed program, has none of its own),
// or the file or pipe that a stream is redirected to.
#pragma once

#include <string_view>

#include <windows.h>

class ConsoleOutput {
public:
    // Attaches to the console of the parent process when a stream is not
    // redirected.
    ConsoleOutput();
    ~ConsoleOutput();
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

    // One line to the output or the error stream. A console gets UTF-16
    // through the console's own functions, so that it reads right in any
    // console code page; a file or pipe gets UTF-8. Lines end in CR LF.
    void Print(std::wstring_view text) { Write(out_, text); }
    void PrintError(std::wstring_view text) { Write(error_, text); }

    // Whether the output stream reaches anything.
    bool HasOutput() const { return out_.handle != nullptr; }

private:
    struct Stream {
        HANDLE handle = nullptr;  // null when the text goes nowhere
        bool console = false;
    };
    static void Write(const Stream& stream, std::wstring_view text);

    Stream out_;
    Stream error_;
    HANDLE consoleScreen_ = INVALID_HANDLE_VALUE;  // the parent's console, when opened
};
