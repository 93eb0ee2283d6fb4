// Whether a file is an archive the game can read: a table of file starts,
// then the same check against real files.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/archive_check.h"
#include "game_archive.h"
#include "installation.h"

namespace {

std::string LittleEndian32(std::uint32_t value) {
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>(value >> shift & 0xFF);
    return bytes;
}

// A header of this game's archives: version, directory size, file count.
std::string Header(std::uint32_t directorySize, std::uint32_t fileCount, std::uint32_t version = 0x100) {
    return LittleEndian32(version) + LittleEndian32(directorySize) + LittleEndian32(fileCount);
}

std::string Record(std::uint32_t size, std::uint32_t offset) {
    return LittleEndian32(size) + LittleEndian32(offset);
}

// One file of 10 bytes in an archive whose directory is the record, a name
// offset and "a\0"; the data section starts at 12 + 14 + 8 = 34.
std::string OneFileArchive(std::uint32_t size, std::uint32_t offset, std::uint64_t dataSize) {
    std::string bytes = Header(14, 1) + Record(size, offset) + LittleEndian32(0) + std::string("a\0", 2) +
                        std::string(8, 'h');
    return bytes + std::string(dataSize, 'd');
}

const std::string WithFiles = MakeGameArchive("With Files.bsa", 4);

struct CheckCase {
    const char* name;
    std::string start;      // the file's first bytes
    std::uint64_t fileSize;
    ArchiveVerdict verdict;
};

const CheckCase Cases[] = {
    {"valid_with_no_files", Header(0, 0), 12, ArchiveVerdict::Readable},
    {"valid_with_files", WithFiles, WithFiles.size(), ArchiveVerdict::Readable},
    {"last_file_ends_exactly_at_the_end", OneFileArchive(10, 0, 10), 44, ArchiveVerdict::Readable},
    {"last_file_one_byte_past_the_end", OneFileArchive(10, 0, 9), 43, ArchiveVerdict::Damaged},
    {"offset_one_byte_past_the_end", OneFileArchive(10, 1, 10), 44, ArchiveVerdict::Damaged},
    {"empty_file", "", 0, ArchiveVerdict::TooShort},
    {"shorter_than_the_header", Header(0, 0).substr(0, 11), 11, ArchiveVerdict::TooShort},
    {"later_game", std::string("BSA\0\x67\0\0\0\x24\0\0\0", 12) + std::string(100, '\0'), 112,
     ArchiveVerdict::LaterGame},
    {"short_file_of_a_later_game", std::string("BSA\0", 4), 4, ArchiveVerdict::TooShort},
    {"web_page", "<!DOCTYPE html><html><body>Not found</body></html>", 51, ArchiveVerdict::NotThisGame},
    {"other_version", Header(0, 0, 0x101), 12, ArchiveVerdict::NotThisGame},
    {"directory_past_the_end", Header(100, 0), 111, ArchiveVerdict::Damaged},
    {"directory_ending_at_the_end", Header(100, 0), 112, ArchiveVerdict::Readable},
    {"hash_table_past_the_end", Header(12, 1) + Record(0, 0) + LittleEndian32(0), 31, ArchiveVerdict::Damaged},
    {"directory_too_small_for_its_records", Header(11, 1) + Record(0, 0) + std::string(11, '\0'), 100,
     ArchiveVerdict::Damaged},
    // Summed in 32 bits, offset + size would wrap to 1 and fit.
    {"offset_plus_size_wraps_32_bits", OneFileArchive(2, 0xFFFFFFFF, 10), 44, ArchiveVerdict::Damaged},
    // 8·N wraps to 8 in 32 bits, so a 32-bit sum would take the directory
    // for one that fits.
    {"file_count_whose_records_overflow_32_bits", Header(0xFFFFFFFF, 0x20000001), 64, ArchiveVerdict::Damaged},
    // A file as large as the header claims, cut short while it was read: the
    // check asks for records in pieces and finds the file's end.
    {"huge_count_in_a_file_that_ends", Header(0xFFFFFFFC, 0x15555555), std::uint64_t{1} << 40,
     ArchiveVerdict::Damaged},
    {"records_cut_short", OneFileArchive(10, 0, 10).substr(0, 16), 44, ArchiveVerdict::Damaged},
};

class ArchiveChecks : public testing::TestWithParam<CheckCase> {};

TEST_P(ArchiveChecks, Verdict) {
    const CheckCase& c = GetParam();
    // An exact copy: reading past the start is caught by the sanitizers.
    const std::vector<char> start(c.start.begin(), c.start.end());
    EXPECT_EQ(JudgeArchive(std::string_view(start.data(), start.size()), c.fileSize), c.verdict);
}

INSTANTIATE_TEST_SUITE_P(Table, ArchiveChecks, testing::ValuesIn(Cases),
                         [](const testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

// Records are read in pieces: a bad one far into the directory is found.
TEST(ArchiveCheck, FindsABadRecordPastTheFirstPiece) {
    constexpr std::uint32_t count = 20000;
    std::string archive = Header(12 * count, count);
    for (std::uint32_t i = 0; i < count; ++i) archive += Record(1, i);
    archive += std::string(4 * count + 8 * count, '\0') + std::string(count, 'd');
    EXPECT_EQ(JudgeArchive(archive, archive.size()), ArchiveVerdict::Readable);
    const std::size_t last = 12 + 8 * (count - 1);
    archive.replace(last, 8, Record(2, count - 1));
    EXPECT_EQ(JudgeArchive(archive, archive.size()), ArchiveVerdict::Damaged);
}

// The same verdicts from real entries of a folder, read through the
// platform.
TEST(ArchiveCheck, ReadsRealFiles) {
    Installation installation;
    installation.AddDataFile("good.bsa");
    installation.AddDataFile("empty.bsa", "");
    const std::string good = MakeGameArchive("cut.bsa", 5);
    installation.AddDataFile("cut.bsa", good.substr(0, good.size() - 1));
    installation.AddDataFolder("folder.bsa");
    const struct {
        const char* name;
        ArchiveVerdict verdict;
    } entries[] = {{"good.bsa", ArchiveVerdict::Readable},
                   {"empty.bsa", ArchiveVerdict::TooShort},
                   {"cut.bsa", ArchiveVerdict::Damaged},
                   {"folder.bsa", ArchiveVerdict::Folder}};
    for (const auto& entry : entries) {
        const ArchiveCheckResult result = CheckArchiveFile(installation.DataFilePath(entry.name));
        EXPECT_EQ(result.verdict, entry.verdict) << entry.name;
        EXPECT_EQ(result.error, 0u) << entry.name;
    }
    const ArchiveCheckResult missing = CheckArchiveFile(installation.DataFilePath("gone.bsa"));
    EXPECT_EQ(missing.verdict, ArchiveVerdict::CouldNotRead);
    EXPECT_NE(missing.error, 0u);
}

} // namespace
