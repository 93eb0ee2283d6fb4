// What is read from morrowind.ini, and what an update makes of its bytes.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/archive_list.h"
#include "core/ini_file.h"
#include "core/registered_archives.h"

#include "ini_file_cases.h"

namespace {

using namespace ini_file_table;

// What reading the updated file must start with: the pending names up to
// the first empty slot, which ends the list. (Keys the reader never saw,
// after a gap, may follow.)
Names NamesWritten(const Slots& pending) {
    Names names;
    for (const ArchiveSlot& slot : pending) {
        if (!slot) break;
        names.push_back(*slot);
    }
    return names;
}

Names FirstNames(Names names, std::size_t count) {
    if (names.size() > count) names.resize(count);
    return names;
}

class IniFileCases : public testing::TestWithParam<IniCase> {};

TEST_P(IniFileCases, ReadsAndUpdatesInPlace) {
    const IniCase& c = GetParam();
    EXPECT_EQ(ReadNames(c.file), c.read);

    const std::string written = ApplyArchiveSlots(c.file, c.pending);
    EXPECT_EQ(written, c.written);
    const Names expected = NamesWritten(c.pending);
    EXPECT_EQ(FirstNames(ReadNames(written), expected.size()), expected);
    EXPECT_EQ(ApplyArchiveSlots(written, c.pending), written) << "a second update changed the file again";
}

INSTANTIATE_TEST_SUITE_P(Table, IniFileCases, testing::ValuesIn(TrickyIniFiles),
                         [](const testing::TestParamInfo<IniCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(ReadArchiveKeys, StopsAtCapacity) {
    std::string file = H + "\r\n";
    for (unsigned i = 0; i <= MaxArchives; ++i) {
        file += ArchiveKeyName(i) + "=a" + std::to_string(i) + ".bsa\r\n";
    }
    ArchiveList list;
    EXPECT_EQ(ReadArchiveKeys(file, list), MaxArchives);
    EXPECT_TRUE(list.truncated);
    EXPECT_EQ(*list.slots.back(), "a9999.bsa");
}

// Input no INI file should hold still reads as something definite, and an
// update keeps every byte of it outside the archive keys.
TEST(BadInput, IsReadAndKeptAsItIs) {
    std::mt19937 random(7);
    std::string garbage(64 * 1024, '\0');
    for (char& c : garbage) c = static_cast<char>(random());
    const std::string hugeLine(10 * 1024 * 1024, 'x');

    const struct {
        const char* name;
        std::string file;
        Names read;
    } cases[] = {
        {"binary_garbage", garbage, {}},
        {"ten_megabyte_line", hugeLine, {}},
        {"ten_megabyte_value", H + "\r\nArchive 0=" + hugeLine + "\r\n", {hugeLine.substr(0, 255)}},
        {"lines_of_nul_bytes", std::string(4096, '\0') + "\r\n" + H + "\r\n" + std::string(9, '\0') + "\r\nArchive 0=a.bsa\r\n", {"a.bsa"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadNames(c.file), c.read);
        const std::string written = ApplyArchiveSlots(c.file, {"n.bsa"});
        if (c.read.empty()) {
            // The section is appended: everything before it is the file itself.
            EXPECT_EQ(written.compare(0, c.file.size(), c.file), 0);
        }
        EXPECT_EQ(FirstNames(ReadNames(written), 1), Names{"n.bsa"});
    }
}

TEST(ReadIniValue, OtherSectionsAndKeysReadAsBefore) {
    const std::string file = "[General]\r\nKey = \"v 1\" \r\n" + H + "\r\nArchive 0=a.bsa\r\n";
    const std::string written = ApplyArchiveSlots(file, {"b.bsa", "c.bsa"});
    EXPECT_EQ(ReadIniValue(written, "general", "KEY"), "v 1");
    EXPECT_EQ(ReadIniValue(written, "General", "Archive 0"), std::nullopt);
    EXPECT_EQ(ReadIniValue(written, ArchiveSection, "archive 1"), "c.bsa");
}

} // namespace
