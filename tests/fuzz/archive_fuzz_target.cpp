// libFuzzer's entry for the archive check: a violated invariant is a crash,
// with what failed.
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/archive_invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string failure = CheckArchiveInvariants(data, size);
    if (!failure.empty()) {
        std::fprintf(stderr, "archive check invariant violated: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
