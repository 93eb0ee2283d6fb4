// Times the cycle natively at N = 100, 1,000 and 10,000 registered archives:
// reading morrowind.ini, scanning Data Files, checking the archives the list
// will hold, reconciling, writing, and the
// whole cycle as the program runs it (with a warm heap and with a cold one),
// beside the raw floor of the same file operations. Each iteration times only
// the operation itself (manual time); putting the INI back and preparing the
// lists happen outside it, so every iteration starts from the same file state.
// Uses glibc's malloc tuning (mallopt, malloc_trim).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <malloc.h>
#include <sys/resource.h>

#include "benchmark_installation.h"
#include "core/archive_list.h"
#include "core/data_files_scan.h"
#include "core/reconcile.h"
#include "core/registered_archives.h"
#include "heap_counter.h"
#include "raw_floor.h"
#include "recording_sinks.h"

namespace {

using Clock = std::chrono::steady_clock;

long MinorPageFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

const BenchmarkInstallation& InstallationFor(const benchmark::State& state) {
    static std::map<unsigned, std::unique_ptr<BenchmarkInstallation>> built;
    auto& installation = built[static_cast<unsigned>(state.range(0))];
    if (!installation) installation = std::make_unique<BenchmarkInstallation>(static_cast<unsigned>(state.range(0)));
    installation->Select();
    return *installation;
}

// Times one run of an operation, keeps the most heap it held at once above
// what was in use before it, and counts the blocks it allocated and the
// pages it touched for the first time (minor page faults: memory the
// allocator took from the system, or gave back before and takes again).
class Measurement {
public:
    explicit Measurement(benchmark::State& state) : state_(state) {}
    ~Measurement() {
        state_.counters["peak_heap"] = static_cast<double>(peakHeap_);
        state_.counters["allocations"] = static_cast<double>(allocations_);
        state_.counters["page_faults"] = static_cast<double>(pageFaults_);
    }
    Measurement(const Measurement&) = delete;
    Measurement& operator=(const Measurement&) = delete;

    template <typename Operation>
    void Time(Operation operation) {
        const std::size_t before = HeapBytesInUse();
        const std::size_t allocationsBefore = HeapAllocations();
        const long faultsBefore = MinorPageFaults();
        ResetHeapPeak();
        const Clock::time_point start = Clock::now();
        operation();
        const Clock::time_point end = Clock::now();
        peakHeap_ = std::max(peakHeap_, HeapPeak() - before);
        allocations_ = HeapAllocations() - allocationsBefore;
        pageFaults_ = MinorPageFaults() - faultsBefore;
        state_.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }

private:
    benchmark::State& state_;
    std::size_t peakHeap_ = 0;
    std::size_t allocations_ = 0;  // in the last run
    long pageFaults_ = 0;          // in the last run
};

void Read(benchmark::State& state) {
    const BenchmarkInstallation& installation = InstallationFor(state);
    Measurement measurement(state);
    for (auto _ : state) {
        unsigned count = 0;
        measurement.Time([&] {
            ArchiveList registered;
            count = ReadRegisteredArchives(registered);
        });
        if (count != installation.Count()) {
            state.SkipWithError("the INI file did not read as built");
            break;
        }
    }
}

void Scan(benchmark::State& state) {
    const BenchmarkInstallation& installation = InstallationFor(state);
    Measurement measurement(state);
    for (auto _ : state) {
        unsigned count = 0;
        measurement.Time([&] {
            ArchiveList found;
            count = ScanDataFiles(found);
        });
        if (count != installation.Count()) {
            state.SkipWithError("Data Files did not scan as built");
            break;
        }
    }
}

void Reconcile(benchmark::State& state) {
    const BenchmarkInstallation& installation = InstallationFor(state);
    ArchiveList registeredAsRead;
    ArchiveList foundAsScanned;
    ReadRegisteredArchives(registeredAsRead);
    ScanDataFiles(foundAsScanned);
    Measurement measurement(state);
    for (auto _ : state) {
        ArchiveList registered = registeredAsRead;
        ArchiveList found = foundAsScanned;
        RecordingSinks sinks;
        measurement.Time([&] { ReconcileLists(registered, found, sinks.Removed(), sinks.Added()); });
        ReleasePendingList();
        if (sinks.removed.size() != installation.ExpectedRemoved() ||
            sinks.added.size() != installation.ExpectedAdded()) {
            state.SkipWithError("the reconciliation did not come out as expected");
            break;
        }
    }
}

// Reading the start of every archive the list will hold, as the
// reconciliation's judge reads them.
void Check(benchmark::State& state) {
    const BenchmarkInstallation& installation = InstallationFor(state);
    ArchiveList found;
    ScanDataFiles(found);
    const ArchiveJudge judge = JudgeDataFiles();
    Measurement measurement(state);
    for (auto _ : state) {
        unsigned readable = 0;
        measurement.Time([&] {
            for (const ArchiveSlot& slot : found.slots) {
                readable += judge(*slot).verdict == ArchiveVerdict::Readable;
            }
        });
        if (readable != installation.Count()) {
            state.SkipWithError("an archive did not read as built");
            break;
        }
    }
}

void Write(benchmark::State& state) {
    const BenchmarkInstallation& installation = InstallationFor(state);
    Measurement measurement(state);
    for (auto _ : state) {
        installation.RestoreIni();
        RecordingSinks sinks;
        ReconcileArchives(sinks.Removed(), sinks.Added());
        WriteResult result;
        measurement.Time([&] { result = WriteArchiveList(); });
        if (result.status != WriteStatus::Written) {
            state.SkipWithError("the pending list was not written");
            break;
        }
    }
}

// What the program does from the main dialog's creation to the end of Update.
// A cold cycle first hands every free page back to the system, as a fresh
// process has none: it pays for touching its memory for the first time.
void RunCycle(benchmark::State& state, bool cold) {
    const BenchmarkInstallation& installation = InstallationFor(state);
    Measurement measurement(state);
    for (auto _ : state) {
        installation.RestoreIni();
        if (cold) malloc_trim(0);
        WriteResult result;
        std::size_t removed = 0;
        measurement.Time([&] {
            RecordingSinks sinks;
            ReconcileArchives(sinks.Removed(), sinks.Added());
            removed = sinks.removed.size();
            result = WriteArchiveList();
        });
        if (removed != installation.ExpectedRemoved() || result.status != WriteStatus::Written ||
            !installation.HoldsTheOutcome()) {
            state.SkipWithError("the cycle did not come out as expected");
            break;
        }
    }
}

void Cycle(benchmark::State& state) { RunCycle(state, false); }
void ColdCycle(benchmark::State& state) { RunCycle(state, true); }

std::vector<std::string> ArchivesOf(const BenchmarkInstallation& installation) {
    return ArchivesAmong(FloorListFolder(installation.DataFilesPath()));
}

void FloorRead(benchmark::State& state) {
    const BenchmarkInstallation& installation = InstallationFor(state);
    Measurement measurement(state);
    for (auto _ : state) {
        measurement.Time([&] { benchmark::DoNotOptimize(FloorReadFile(installation.IniPath())); });
    }
}

void FloorList(benchmark::State& state) {
    const BenchmarkInstallation& installation = InstallationFor(state);
    Measurement measurement(state);
    for (auto _ : state) {
        measurement.Time([&] { benchmark::DoNotOptimize(FloorListFolder(installation.DataFilesPath())); });
    }
}

void FloorCheck(benchmark::State& state) {
    const BenchmarkInstallation& installation = InstallationFor(state);
    const std::vector<std::string> names = ArchivesOf(installation);
    Measurement measurement(state);
    for (auto _ : state) {
        unsigned read = 0;
        measurement.Time([&] { read = FloorReadArchiveStarts(installation.DataFilesPath(), names); });
        if (read != names.size()) {
            state.SkipWithError("an archive could not be read");
            break;
        }
    }
}

void FloorWrite(benchmark::State& state) {
    const BenchmarkInstallation& installation = InstallationFor(state);
    Measurement measurement(state);
    for (auto _ : state) {
        installation.RestoreIni();
        bool written = false;
        measurement.Time([&] { written = FloorReplaceFile(installation.IniPath(), installation.IniBytes()); });
        if (!written) {
            state.SkipWithError("the INI file could not be replaced");
            break;
        }
    }
}

void RunFloorCycle(benchmark::State& state, bool cold) {
    const BenchmarkInstallation& installation = InstallationFor(state);
    Measurement measurement(state);
    for (auto _ : state) {
        installation.RestoreIni();
        if (cold) malloc_trim(0);
        bool written = false;
        measurement.Time([&] {
            std::string bytes = FloorReadFile(installation.IniPath());
            const std::vector<std::string> listed = FloorListFolder(installation.DataFilesPath());
            benchmark::DoNotOptimize(FloorReadArchiveStarts(installation.DataFilesPath(), ArchivesAmong(listed)));
            written = FloorReplaceFile(installation.IniPath(), bytes);
        });
        if (!written) {
            state.SkipWithError("the INI file could not be replaced");
            break;
        }
    }
}

void FloorCycle(benchmark::State& state) { RunFloorCycle(state, false); }
void ColdFloorCycle(benchmark::State& state) { RunFloorCycle(state, true); }

// Besides Google Benchmark's mean, median and deviation over repetitions,
// the fastest repetition: other work on the machine only ever adds time (a
// flush waiting behind another program's writes), so the fastest is the
// steadiest figure to compare one benchmark with another.
double Fastest(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

void Sizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->Arg(100)->Arg(1000)->Arg(10000)->UseManualTime()->Unit(benchmark::kMicrosecond);
    benchmark->ComputeStatistics("min", Fastest);
}

} // namespace

BENCHMARK(Read)->Apply(Sizes);
BENCHMARK(Scan)->Apply(Sizes);
BENCHMARK(Check)->Apply(Sizes);
BENCHMARK(Reconcile)->Apply(Sizes);
BENCHMARK(Write)->Apply(Sizes);
BENCHMARK(Cycle)->Apply(Sizes);
BENCHMARK(ColdCycle)->Apply(Sizes);
BENCHMARK(FloorRead)->Apply(Sizes);
BENCHMARK(FloorList)->Apply(Sizes);
BENCHMARK(FloorCheck)->Apply(Sizes);
BENCHMARK(FloorWrite)->Apply(Sizes);
BENCHMARK(FloorCycle)->Apply(Sizes);
BENCHMARK(ColdFloorCycle)->Apply(Sizes);

int main(int argc, char** argv) {
    // The allocator keeps what it was given between iterations, instead of
    // handing large blocks back to the system and faulting them in again on
    // the next one: every iteration, ours and the floor's alike, then runs
    // with the same warm heap. ColdCycle shows the other case.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
