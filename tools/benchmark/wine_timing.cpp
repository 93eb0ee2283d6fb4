// Times one way of doing the cycle at one size with the Windows build, and
// prints one machine-readable line per figure:
//
//   RESULT <platform> <approach> <N> <figure> <value>
//
// platform is "wine" or "windows"; figures are the steps read, scan, check
// (reading the archives' starts), match and write and the whole cycle in milliseconds (each the fastest of the runs),
// first_cycle (the process's first run, cold) in milliseconds too, runs,
// peak_heap (the most bytes held through operator new during one run),
// allocations (blocks operator new handed out in one run) and
// peak_working_set (the process's, from GetProcessMemoryInfo) in bytes.
//
// usage: ambrel_wine_timing ambrel|floor|per-key N [SECONDS]
//   ambrel   the core as the program calls it
//   floor    only reading the file, listing the folder, reading the archives'
//            starts and replacing the file
//   per-key  the profile functions key by key and nested-loop matching
// Runs repeat until SECONDS (default 1) have been spent and at least three
// have been measured, or one for per-key, whose single run takes seconds to
// minutes at the larger sizes. Before each run the INI file is put back as
// built, outside the timed region.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "benchmark_installation.h"
#include "core/archive_list.h"
#include "core/data_files_scan.h"
#include "core/reconcile.h"
#include "core/registered_archives.h"
#include "heap_counter.h"
#include "per_key_cycle.h"
#include "platform_name.h"
#include "raw_floor.h"
#include "recording_sinks.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

// The time of each step of one run, taken back to back.
class StepClock {
public:
    StepClock() : start_(Clock::now()), last_(start_) {}
    void Lap(const char* step) {
        Clock::time_point now = Clock::now();
        laps_[step] = Milliseconds(now - last_);
        last_ = now;
    }
    // Takes ms of the step lapped last out into a step of its own.
    void Split(const char* step, const char* part, double ms) {
        laps_[step] -= ms;
        laps_[part] = ms;
    }
    std::map<std::string, double> Finish() {
        laps_["cycle"] = Milliseconds(last_ - start_);
        return laps_;
    }

private:
    Clock::time_point start_;
    Clock::time_point last_;
    std::map<std::string, double> laps_;
};

bool Reported(const BenchmarkInstallation& installation, const RecordingSinks& sinks) {
    if (sinks.removed.size() == installation.ExpectedRemoved() && sinks.added.size() == installation.ExpectedAdded()) {
        return true;
    }
    std::fprintf(stderr, "ambrel_wine_timing: %zu removed and %zu added, expected %u and %u\n", sinks.removed.size(),
                 sinks.added.size(), installation.ExpectedRemoved(), installation.ExpectedAdded());
    return false;
}

// One run of each approach; false when what it reported is not what was
// expected. What it wrote is checked afterwards, outside the figures.
using Run = std::function<bool(const BenchmarkInstallation&, StepClock&)>;

bool AmbrelRun(const BenchmarkInstallation& installation, StepClock& clock) {
    RecordingSinks sinks;
    double checkMs = 0;
    {
        // The steps of ReconcileArchives, timed one by one.
        ArchiveList registered;
        ArchiveList found;
        ReadRegisteredArchives(registered);
        clock.Lap("read");
        ScanDataFiles(found);
        clock.Lap("scan");
        // The check of each archive is timed apart from the matching.
        const ArchiveJudge judge = JudgeDataFiles();
        ReconcileLists(registered, found, sinks.Removed(), sinks.Added(), [&](const std::string& name) {
            const Clock::time_point start = Clock::now();
            const ArchiveCheckResult result = judge(name);
            checkMs += Milliseconds(Clock::now() - start);
            return result;
        });
    }
    clock.Lap("match");
    clock.Split("match", "check", checkMs);
    WriteResult result = WriteArchiveList();
    clock.Lap("write");
    if (result.status != WriteStatus::Written) {
        std::fprintf(stderr, "ambrel_wine_timing: the write failed (status %d, error %lu)\n",
                     static_cast<int>(result.status), result.error);
        return false;
    }
    return Reported(installation, sinks);
}

bool FloorRun(const BenchmarkInstallation& installation, StepClock& clock) {
    std::string bytes = FloorReadFile(installation.IniPath());
    clock.Lap("read");
    std::vector<std::string> names = FloorListFolder(installation.DataFilesPath());
    clock.Lap("scan");
    const unsigned read = FloorReadArchiveStarts(installation.DataFilesPath(), ArchivesAmong(names));
    clock.Lap("check");
    bool written = FloorReplaceFile(installation.IniPath(), bytes);
    clock.Lap("write");
    return written && names.size() == installation.Count() + 1 && read == installation.Count();  // and morrowind.bsa
}

bool PerKeyRun(const BenchmarkInstallation& installation, StepClock& clock) {
    RecordingSinks sinks;
    PerKeySlots registered = PerKeyRead(installation.IniPath());
    clock.Lap("read");
    PerKeySlots found = PerKeyScan(installation.DataFilesPath());
    clock.Lap("scan");
    PerKeySlots pending = PerKeyMatch(registered, found, sinks.Removed(), sinks.Added());
    clock.Lap("match");
    PerKeyWrite(installation.IniPath(), pending);
    clock.Lap("write");
    return Reported(installation, sinks);
}

// Other work on the machine only ever adds time, so the fastest run is the
// steadiest figure to compare one approach with another.
double Fastest(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}

std::size_t PeakWorkingSet() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) ? counters.PeakWorkingSetSize : 0;
}

int Usage() {
    std::fprintf(stderr, "usage: ambrel_wine_timing ambrel|floor|per-key N [SECONDS]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) return Usage();
    const std::string approach = argv[1];
    const unsigned count = static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10));
    const double budgetMs = 1000 * (argc == 4 ? std::strtod(argv[3], nullptr) : 1.0);

    Run run;
    if (approach == "ambrel") run = AmbrelRun;
    else if (approach == "floor") run = FloorRun;
    else if (approach == "per-key") run = PerKeyRun;
    if (!run || count == 0 || count > MaxArchives) return Usage();
    const bool perKey = approach == "per-key";
    const unsigned minimumRuns = perKey ? 1 : 3;

    BenchmarkInstallation installation(count);
    installation.Select();

    // Puts the file back; the profile functions keep the file they last read
    // in memory, and three nulls make them let go of it.
    auto prepare = [&] {
        if (perKey) WritePrivateProfileStringA(nullptr, nullptr, nullptr, installation.IniPath().c_str());
        installation.RestoreIni();
    };

    // The first run is the process's first: its heap and the system's caches
    // are cold, as in a real start. It counts as first_cycle, and only for
    // per-key (whose single run at the largest sizes takes minutes, and whose
    // cost is its quadratic work) among the measured runs too.
    std::map<std::string, std::vector<double>> times;
    std::size_t peakHeap = 0;
    std::size_t allocations = 0;
    double firstCycle = 0;
    double spentMs = 0;
    unsigned runs = 0;
    for (unsigned attempt = 0; runs < minimumRuns || (spentMs < budgetMs && runs < 1000); ++attempt) {
        prepare();
        const std::size_t before = HeapBytesInUse();
        const std::size_t allocationsBefore = HeapAllocations();
        ResetHeapPeak();
        StepClock clock;
        const bool expected = run(installation, clock);
        const std::map<std::string, double> laps = clock.Finish();
        peakHeap = std::max(peakHeap, HeapPeak() - before);
        allocations = HeapAllocations() - allocationsBefore;
        if (!expected || (approach != "floor" && !installation.HoldsTheOutcome())) {
            std::fprintf(stderr, "ambrel_wine_timing: %s at %u did not come out as expected\n",
                         approach.c_str(), count);
            return 1;
        }
        if (attempt == 0) {
            firstCycle = laps.at("cycle");
            if (!perKey) continue;
        }
        for (const auto& [step, ms] : laps) times[step].push_back(ms);
        spentMs += laps.at("cycle");
        ++runs;
    }

    const char* platform = PlatformName();
    auto print = [&](const char* figure, double value) {
        std::printf("RESULT %s %s %u %s %.4f\n", platform, approach.c_str(), count, figure, value);
    };
    for (const auto& [step, values] : times) print(step.c_str(), Fastest(values));
    print("first_cycle", firstCycle);
    print("runs", runs);
    print("peak_heap", static_cast<double>(peakHeap));
    print("allocations", static_cast<double>(allocations));
    print("peak_working_set", static_cast<double>(PeakWorkingSet()));
    return 0;
}
