// Times what a user waits for, from outside: starting a program until its
// main dialog is on screen with both lists filled and painted, and the
// program waits for input ("open"), then pressing Update until the process
// has ended ("update"), its one message box acknowledged at once. Ambrel and the bare list program take turns on the
// same installation, so both meet the same machine load.
//
//   ambrel_dialog_timing N RUNS AMBREL_EXE BARE_EXE
//
// prints the medians and the fastest of RUNS runs of each (after one run of
// each that is not counted, which warms the system's caches), one line per
// figure:
//
//   RESULT wine|windows dialog-ambrel|dialog-bare N open|update|open_fastest|update_fastest|runs <value>
//
// Needs a display; the game's registry key is pointed at the installation.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "benchmark_installation.h"
#include "platform_name.h"
#include "tests/ui/ambrel_session.h"
#include "tests/ui/child_process.h"
#include "tests/ui/installation.h"

namespace {

using Clock = std::chrono::steady_clock;
using ambrel_test::AmbrelSession;
using ambrel_test::DialogKind;

// How often the wait for the message box looks: often enough for a fine
// reading, with one call that leaves the machine to the program.
constexpr DWORD PollMs = 1;
// The wait for the program's end returns as soon as it ends; between two
// waits it looks at the program's windows, which takes the machine longer.
constexpr DWORD ExitPollMs = 20;

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

struct Timing {
    double open = 0;
    double update = 0;
};

LRESULT ItemCount(HWND dialog, int listId) {
    return SendDlgItemMessageW(dialog, listId, LB_GETCOUNT, 0, 0);
}

// The program's message box, once its main dialog has been disabled for it;
// null when none came up in time.
HWND WaitForMessageBox(AmbrelSession& session, HWND main) {
    const Clock::time_point start = Clock::now();
    while (Clock::now() - start < std::chrono::seconds(10)) {
        // One cheap look each millisecond: the box disables its owner.
        if (!IsWindowEnabled(main)) {
            for (HWND dialog : session.Dialogs()) {
                if (ambrel_test::KindOf(dialog) == DialogKind::MessageBox) return dialog;
            }
        }
        Sleep(PollMs);
    }
    return nullptr;
}

// One run of the program, or nothing when it did not go as expected.
std::optional<Timing> TimeRun(const std::wstring& exe, unsigned count) {
    const Clock::time_point start = Clock::now();
    AmbrelSession session(exe, ExitPollMs);
    // The program waits for input once its dialog is on screen and painted,
    // and the lists are filled before it is shown.
    if (!session.WaitUntilIdle()) {
        std::fprintf(stderr, "ambrel_dialog_timing: the program did not come to wait for input\n");
        return std::nullopt;
    }
    const Clock::time_point opened = Clock::now();
    HWND main = session.WaitForDialog(DialogKind::Main);
    if (main == nullptr) {
        std::fprintf(stderr, "ambrel_dialog_timing: no main dialog came up\n");
        return std::nullopt;
    }
    const LRESULT shown = ItemCount(main, ambrel_test::MainNewList) + ItemCount(main, ambrel_test::MainRemovedList);
    if (shown != static_cast<LRESULT>(count)) {
        std::fprintf(stderr, "ambrel_dialog_timing: the lists show %ld names, expected %u\n",
                     static_cast<long>(shown), count);
        return std::nullopt;
    }

    const Clock::time_point pressed = Clock::now();
    ambrel_test::Click(GetDlgItem(main, IDOK));
    HWND box = WaitForMessageBox(session, main);
    if (box == nullptr) {
        std::fprintf(stderr, "ambrel_dialog_timing: no message box after Update\n");
        return std::nullopt;
    }
    // Posted: taken as soon as the box runs, shown or not yet.
    ambrel_test::Click(GetDlgItem(box, IDOK));
    if (!session.WaitForExit()) {
        std::fprintf(stderr, "ambrel_dialog_timing: the program did not end\n");
        return std::nullopt;
    }
    return Timing{Milliseconds(opened - start), Milliseconds(Clock::now() - pressed)};
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::wstring ExePath(const char* argument) {
    return ambrel_test::WindowsPathOf(std::filesystem::path(argument).wstring());
}

int Usage() {
    std::fprintf(stderr, "usage: ambrel_dialog_timing N RUNS AMBREL_EXE BARE_EXE\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) return Usage();
    const unsigned count = static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10));
    const unsigned runs = static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10));
    if (count == 0 || runs == 0) return Usage();
    struct Program {
        const char* name;
        std::wstring exe;
        std::vector<Timing> timings;
    };
    Program programs[] = {{"dialog-ambrel", ExePath(argv[3]), {}}, {"dialog-bare", ExePath(argv[4]), {}}};

    BenchmarkInstallation installation(count);
    const std::wstring folder = std::filesystem::path(installation.IniPath()).parent_path().wstring();
    if (!ambrel_test::RegisterInstallationPath(folder)) {
        std::fprintf(stderr, "ambrel_dialog_timing: cannot register the installation\n");
        return 1;
    }
    for (unsigned run = 0; run <= runs; ++run) {
        for (Program& program : programs) {
            installation.RestoreIni();
            const std::optional<Timing> timing = TimeRun(program.exe, count);
            if (!timing) return 1;
            if (run > 0) program.timings.push_back(*timing);
            if (&program == &programs[0] && !installation.HoldsTheOutcome()) {
                std::fprintf(stderr, "ambrel_dialog_timing: Ambrel did not write the expected keys\n");
                return 1;
            }
        }
    }
    ambrel_test::RemoveInstallationKey();

    for (const Program& program : programs) {
        std::vector<double> open, update;
        for (const Timing& timing : program.timings) {
            open.push_back(timing.open);
            update.push_back(timing.update);
        }
        auto print = [&](const char* figure, double value) {
            std::printf("RESULT %s %s %u %s %.4f\n", PlatformName(), program.name, count, figure, value);
        };
        print("open", Median(open));
        print("update", Median(update));
        print("open_fastest", *std::min_element(open.begin(), open.end()));
        print("update_fastest", *std::min_element(update.begin(), update.end()));
        print("runs", runs);
    }
    return 0;
}
