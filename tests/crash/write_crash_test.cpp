// Killing the process that writes morrowind.ini, at any moment, leaves the
// file complete: as it was before the write in progress or as that write
// makes it, never anything in between.
//
// A child process updates the file through WriteArchiveList in a loop,
// switching between two lists, and is killed with SIGKILL after a random
// delay; counters in shared memory tell which write was in progress. The
// next update then leaves nothing of the killed one behind.
// AMBREL_CRASH_SEED chooses other delays, AMBREL_CRASH_KILLS how many kills
// (100 unless given).
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "core/registered_archives.h"
#include "platform/platform.h"
#include "tests/core/installation.h"

namespace {

const std::string H = "[" + std::string(ArchiveSection) + "]";
const std::vector<ArchiveSlot> ListA = {"a.bsa", "aa.bsa", "aaa.bsa"};
const std::vector<ArchiveSlot> ListB = {"longer name b0.bsa", "b1.bsa", "longer name b2.bsa"};

// Large enough that a write takes a while, so that kills land inside it.
std::string OriginalFile() {
    std::string file = "; kept as it is\r\n[General]\r\n";
    for (int i = 0; i < 3000; ++i) file += "Key " + std::to_string(i) + "=some value to copy\r\n";
    return file + H + "\r\nArchive 0=x.bsa\r\nArchive 1=y.bsa\r\nArchive 2=z.bsa\r\n[Tail]\r\nend=1";
}

// Write n of the child (from 1) writes ListA when n is odd, ListB when even.
struct Versions {
    std::string original = OriginalFile();
    std::string withA = ApplyArchiveSlots(original, ListA);
    std::string withB = ApplyArchiveSlots(withA, ListB);

    const std::string& AfterWrites(unsigned count) const {
        if (count == 0) return original;
        return count % 2 ? withA : withB;
    }
};

struct WriteCounters {
    std::atomic<unsigned> started{0};
    std::atomic<unsigned> finished{0};
};

// The counters live in memory the child shares with the parent.
class SharedCounters {
public:
    SharedCounters() {
        void* memory = mmap(nullptr, sizeof(WriteCounters), PROT_READ | PROT_WRITE,
                            MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        if (memory == MAP_FAILED) throw std::runtime_error("mmap failed");
        counters_ = new (memory) WriteCounters;
    }
    ~SharedCounters() { munmap(counters_, sizeof(WriteCounters)); }
    SharedCounters(const SharedCounters&) = delete;
    SharedCounters& operator=(const SharedCounters&) = delete;
    WriteCounters& operator*() const { return *counters_; }

private:
    WriteCounters* counters_;
};

// Runs in the child until it is killed; never returns. Any failure ends the
// child with an exit code, which the parent reports.
[[noreturn]] void WriteForever(WriteCounters& counters, int ready) {
    for (unsigned n = 1;; ++n) {
        ArchiveList registered;
        ReadRegisteredArchives(registered);
        PendingList = n % 2 ? ListA : ListB;
        PendingCount = static_cast<unsigned>(PendingList.size());
        if (n == 1 && write(ready, "r", 1) != 1) _exit(2);
        counters.started = n;
        if (WriteArchiveList().status != WriteStatus::Written) _exit(3);
        counters.finished = n;
    }
}

struct Child {
    pid_t pid;
    int ready;  // read end: one byte once the child is about to write
};

Child StartWriter(WriteCounters& counters) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) throw std::runtime_error("pipe failed");
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        close(pipeEnds[0]);
        WriteForever(counters, pipeEnds[1]);
    }
    close(pipeEnds[1]);
    return {pid, pipeEnds[0]};
}

// Waits for the child to end and checks that SIGKILL ended it.
void ExpectKilled(pid_t pid) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself with code " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
}

// How many temporary files a killed write left beside morrowind.ini.
unsigned CountLeftovers(const Installation& installation) {
    unsigned leftovers = 0;
    for (const std::string& name : installation.Entries()) {
        if (name == "morrowind.ini") continue;
        EXPECT_EQ(name.rfind("morrowind.ini.ambrel-", 0), 0u) << name;
        ++leftovers;
    }
    return leftovers;
}

// The update after a kill: it replaces the file and leaves nothing of the
// killed write in the folder.
void ExpectNextUpdateCleansUp(const Installation& installation) {
    ArchiveList registered;
    ReadRegisteredArchives(registered);
    PendingList = {"next.bsa", std::nullopt, std::nullopt};
    PendingCount = static_cast<unsigned>(PendingList.size());
    ASSERT_EQ(WriteArchiveList().status, WriteStatus::Written);
    EXPECT_EQ(installation.Entries(), std::vector<std::string>{"morrowind.ini"});
}

unsigned long EnvironmentNumber(const char* name, unsigned long fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::strtoul(text, nullptr, 10) : fallback;
}

TEST(WriteCrash, KilledAtRandomTheFileIsOldOrNew) {
    const Versions versions;
    ASSERT_EQ(ApplyArchiveSlots(versions.withB, ListA), versions.withA) << "the loop must alternate two versions";
    Installation installation;
    SharedCounters counters;
    std::mt19937 random(static_cast<std::uint32_t>(EnvironmentNumber("AMBREL_CRASH_SEED", 9)));

    const unsigned long kills = EnvironmentNumber("AMBREL_CRASH_KILLS", 100);
    unsigned killedMidWrite = 0;
    unsigned leftoversRemoved = 0;
    unsigned corrupt = 0;
    unsigned long run = 0;
    for (; run < kills && !HasFailure(); ++run) {
        installation.WriteIni(versions.original);
        (*counters).started = 0;
        (*counters).finished = 0;
        Child child = StartWriter(*counters);
        char byte;
        ASSERT_EQ(read(child.ready, &byte, 1), 1) << "the writer did not start";
        close(child.ready);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 10000));
        kill(child.pid, SIGKILL);
        ExpectKilled(child.pid);

        const unsigned started = (*counters).started;
        const unsigned finished = (*counters).finished;
        const std::string file = installation.ReadIni();
        SCOPED_TRACE("run " + std::to_string(run) + ": killed after " + std::to_string(finished) +
                     " writes, with " + std::to_string(started - finished) + " in progress");
        if (started != finished) ++killedMidWrite;
        const bool whole = file == versions.AfterWrites(finished) || file == versions.AfterWrites(started);
        EXPECT_TRUE(whole) << file.size() << " bytes";
        if (!whole) ++corrupt;
        const unsigned leftovers = CountLeftovers(installation);
        EXPECT_LE(leftovers, started - finished);
        leftoversRemoved += leftovers;
        ExpectNextUpdateCleansUp(installation);
    }
    RecordProperty("kills", static_cast<int>(run));
    RecordProperty("killed_mid_write", static_cast<int>(killedMidWrite));
    RecordProperty("leftovers_removed", static_cast<int>(leftoversRemoved));
    RecordProperty("corrupt_files", static_cast<int>(corrupt));
    std::printf("crash: %lu kills, %u in the middle of a write, %u corrupt files, "
                "%u leftovers removed by the next update\n",
                run, killedMidWrite, corrupt, leftoversRemoved);
}

// Each step of the replacement, as a moment to die at: before it runs.
WriteStep stepToDieAt;
SystemErrorCode DieAtChosenStep(WriteStep step) {
    if (step == stepToDieAt) raise(SIGKILL);
    return 0;
}

class WriteCrashAtStep : public testing::TestWithParam<WriteStep> {};

TEST_P(WriteCrashAtStep, FileIsAsItWas) {
    const Versions versions;
    Installation installation;
    installation.WriteIni(versions.original);
    SharedCounters counters;
    stepToDieAt = GetParam();
    SetWriteFaultHook(DieAtChosenStep);  // only the child writes
    Child child = StartWriter(*counters);
    SetWriteFaultHook(nullptr);
    char byte;
    EXPECT_EQ(read(child.ready, &byte, 1), 1) << "the writer did not start";
    close(child.ready);
    ExpectKilled(child.pid);

    EXPECT_EQ((*counters).started, 1u);
    const std::string file = installation.ReadIni();
    EXPECT_TRUE(file == versions.original) << file.size() << " bytes";
    EXPECT_LE(CountLeftovers(installation), 1u);
    ExpectNextUpdateCleansUp(installation);
}

INSTANTIATE_TEST_SUITE_P(EachStep, WriteCrashAtStep,
                         testing::Values(WriteStep::CreateTemporary, WriteStep::Write,
                                         WriteStep::Flush, WriteStep::Replace));

} // namespace
