// libFuzzer's entry: a violated invariant is a crash, with what failed.
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/ini_invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string failure = CheckIniInvariants(data, size);
    if (!failure.empty()) {
        std::fprintf(stderr, "INI invariant violated: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
