// The fuzz target's invariants over the seed corpus and the inputs of past
// crashes (regressions/), in every native build: a crash the fuzzer finds
// is kept there as a regular test case. AMBREL_FUZZ_INPUTS names the folder
// that holds corpus/ and regressions/.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/fuzz/ini_invariants.h"

namespace {

std::vector<std::filesystem::path> Inputs() {
    const char* root = std::getenv("AMBREL_FUZZ_INPUTS");
    std::vector<std::filesystem::path> paths;
    if (!root) return paths;
    for (const char* folder : {"corpus", "regressions"}) {
        std::error_code missing;
        const std::filesystem::path path = std::filesystem::path(root) / folder;
        for (const auto& entry : std::filesystem::directory_iterator(path, missing)) {
            if (entry.is_regular_file()) paths.push_back(entry.path());
        }
    }
    return paths;
}

TEST(IniFuzzInputs, KeepTheInvariants) {
    const std::vector<std::filesystem::path> inputs = Inputs();
    ASSERT_FALSE(inputs.empty()) << "no inputs: is AMBREL_FUZZ_INPUTS set?";
    for (const std::filesystem::path& path : inputs) {
        std::ifstream in(path, std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>()};
        // An exact copy, so that reading past the end is caught as the fuzzer would catch it.
        const std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
        EXPECT_EQ(CheckIniInvariants(data.data(), data.size()), "") << path.filename().string();
    }
}

} // namespace
