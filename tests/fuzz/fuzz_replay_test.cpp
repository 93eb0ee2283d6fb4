// The fuzz targets' invariants over their seed corpora and the inputs of
// past crashes, in every native build: a crash the fuzzer finds is kept as a
// regular test case. AMBREL_FUZZ_INPUTS names the folder that holds the
// INI engine's corpus/ and regressions/ and the archive check's
// archive_corpus/ and archive_regressions/.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "tests/fuzz/archive_invariants.h"
#include "tests/fuzz/ini_invariants.h"

namespace {

using Invariants = std::string (*)(const std::uint8_t* data, std::size_t size);

void Replay(std::initializer_list<const char*> folders, Invariants check) {
    const char* root = std::getenv("AMBREL_FUZZ_INPUTS");
    ASSERT_NE(root, nullptr) << "AMBREL_FUZZ_INPUTS is not set";
    std::size_t replayed = 0;
    for (const char* folder : folders) {
        std::error_code missing;
        const std::filesystem::path path = std::filesystem::path(root) / folder;
        for (const auto& entry : std::filesystem::directory_iterator(path, missing)) {
            if (!entry.is_regular_file()) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            // An exact copy, so that reading past the end is caught as the fuzzer would catch it.
            const std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
            EXPECT_EQ(check(data.data(), data.size()), "") << entry.path().filename().string();
            ++replayed;
        }
    }
    EXPECT_NE(replayed, 0u) << "no inputs found";
}

TEST(IniFuzzInputs, KeepTheInvariants) {
    Replay({"corpus", "regressions"}, CheckIniInvariants);
}

TEST(ArchiveFuzzInputs, KeepTheInvariants) {
    Replay({"archive_corpus", "archive_regressions"}, CheckArchiveInvariants);
}

} // namespace
