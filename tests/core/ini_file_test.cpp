// What is read from morrowind.ini, and what an update makes of its bytes.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/archive_list.h"
#include "core/ini_file.h"
#include "core/registered_archives.h"

namespace {

using namespace std::string_literals;

const std::string H = "["s + std::string(ArchiveSection) + "]";
const std::string Long300 = std::string(296, 'x') + ".bsa";
const std::string Long255 = Long300.substr(0, 255);

using Names = std::vector<std::string>;
using Slots = std::vector<ArchiveSlot>;

struct IniCase {
    const char* name;
    std::string file;
    Names read;      // the registered names read from file
    Slots pending;   // what an update writes
    std::string written;  // the file after that update
};

const IniCase Cases[] = {
    {"crlf_file_keeps_crlf",
     "[General]\r\nx=1\r\n" + H + "\r\nArchive 0=a.bsa\r\nArchive 1=b.bsa\r\n",
     {"a.bsa", "b.bsa"},
     {"a.bsa", "c.bsa"},
     "[General]\r\nx=1\r\n" + H + "\r\nArchive 0=a.bsa\r\nArchive 1=c.bsa\r\n"},
    {"lf_file_new_key_after_last_key_line",
     H + "\nArchive 0=a.bsa\n\n[Other]\ny=2\n",
     {"a.bsa"},
     {"a.bsa", "n.bsa"},
     H + "\nArchive 0=a.bsa\nArchive 1=n.bsa\n\n[Other]\ny=2\n"},
    {"cr_file_deleted_key_loses_its_line",
     H + "\rArchive 0=a.bsa\rArchive 1=b.bsa\r",
     {"a.bsa", "b.bsa"},
     {"b.bsa", std::nullopt},
     H + "\rArchive 0=b.bsa\r"},
    {"mixed_endings_added_line_takes_the_first",
     "; top\r\n" + H + "\nArchive 0=a.bsa\n",
     {"a.bsa"},
     {"a.bsa", "b.bsa"},
     "; top\r\n" + H + "\nArchive 0=a.bsa\nArchive 1=b.bsa\r\n"},
    {"no_final_newline_stays_missing_after_add",
     H + "\r\nArchive 0=a.bsa",
     {"a.bsa"},
     {"a.bsa", "b.bsa", "c.bsa"},
     H + "\r\nArchive 0=a.bsa\r\nArchive 1=b.bsa\r\nArchive 2=c.bsa"},
    {"no_final_newline_stays_missing_after_delete",
     H + "\r\nArchive 0=a.bsa\r\nArchive 1=b.bsa\r\nArchive 2=c.bsa",
     {"a.bsa", "b.bsa", "c.bsa"},
     {"a.bsa", "b.bsa", std::nullopt},
     H + "\r\nArchive 0=a.bsa\r\nArchive 1=b.bsa"},
    {"comments_and_blank_lines_survive",
     "; mine\r\n\r\n" + H + "\r\n; Archive 0=old.bsa\r\n  Archive 0=a.bsa\r\n\r\n; tail\r\n",
     {"a.bsa"},
     {"b.bsa"},
     "; mine\r\n\r\n" + H + "\r\n; Archive 0=old.bsa\r\nArchive 0=b.bsa\r\n\r\n; tail\r\n"},
    {"first_of_duplicate_sections_is_read_and_written",
     H + "\nArchive 0=a.bsa\n[Other]\n" + H + "\nArchive 0=z.bsa\nArchive 1=y.bsa\n",
     {"a.bsa"},
     {"a.bsa", "n.bsa"},
     H + "\nArchive 0=a.bsa\nArchive 1=n.bsa\n[Other]\n" + H + "\nArchive 0=z.bsa\nArchive 1=y.bsa\n"},
    {"first_of_duplicate_keys_is_read_and_written",
     H + "\nArchive 0=a.bsa\nArchive 1=b.bsa\nArchive 0=z.bsa\n",
     {"a.bsa", "b.bsa"},
     {"c.bsa", "b.bsa"},
     H + "\nArchive 0=c.bsa\nArchive 1=b.bsa\nArchive 0=z.bsa\n"},
    {"deleted_key_takes_its_duplicates_along",
     H + "\nArchive 0=a.bsa\nArchive 1=b.bsa\narchive 1=z.bsa\n",
     {"a.bsa", "b.bsa"},
     {"a.bsa", std::nullopt},
     H + "\nArchive 0=a.bsa\n"},
    {"blanks_quotes_and_case_around_names_and_values",
     H + "\n  archive 0 = \"a.bsa\" \nARCHIVE 1\t=\t'b.bsa'\n",
     {"a.bsa", "b.bsa"},
     {"a.bsa", "b.bsa", "c.bsa"},
     H + "\n  archive 0 = \"a.bsa\" \nARCHIVE 1\t=\t'b.bsa'\nArchive 2=c.bsa\n"},
    {"value_of_300_characters_reads_as_its_first_255",
     H + "\nArchive 0=" + Long300 + "\n",
     {Long255},
     {Long255, "n.bsa"},
     H + "\nArchive 0=" + Long300 + "\nArchive 1=n.bsa\n"},
    {"gap_ends_the_list_and_a_later_key_is_overwritten_when_reached",
     H + "\nArchive 0=a.bsa\nArchive 1=b.bsa\nArchive 3=d.bsa\n",
     {"a.bsa", "b.bsa"},
     {"a.bsa", "b.bsa", "n.bsa", "m.bsa"},
     H + "\nArchive 0=a.bsa\nArchive 1=b.bsa\nArchive 3=m.bsa\nArchive 2=n.bsa\n"},
    {"empty_key_0_ends_the_list_at_once",
     H + "\nArchive 0=\nArchive 1=b.bsa\n",
     {},
     {"n.bsa"},
     H + "\nArchive 0=n.bsa\nArchive 1=b.bsa\n"},
    {"cyrillic_names_in_windows_1251_stay_as_bytes",
     H + "\nArchive 0=\xC0\xF0\xF5.bsa\n",
     {"\xC0\xF0\xF5.bsa"},
     {"\xC0\xF0\xF5.bsa", "\xE0\xF0\xF5.bsa"},
     H + "\nArchive 0=\xC0\xF0\xF5.bsa\nArchive 1=\xE0\xF0\xF5.bsa\n"},
    {"section_in_utf8_is_another_section",
     "[\xD0\x90\xD1\x80\xD1\x85\xD0\xB8\xD0\xB2\xD1\x8B]\r\nArchive 0=a.bsa\r\n",
     {},
     {"n.bsa"},
     "[\xD0\x90\xD1\x80\xD1\x85\xD0\xB8\xD0\xB2\xD1\x8B]\r\nArchive 0=a.bsa\r\n" + H +
         "\r\nArchive 0=n.bsa\r\n"},
    {"missing_file_gets_section_with_crlf",
     "",
     {},
     {"n.bsa"},
     H + "\r\nArchive 0=n.bsa\r\n"},
    {"missing_section_is_appended_after_an_unterminated_last_line",
     "[General]\nx=1",
     {},
     {"n.bsa"},
     "[General]\nx=1\n" + H + "\nArchive 0=n.bsa"},
    {"section_without_keys_gets_them_after_its_header",
     H + "\n; nothing yet\n[Other]\n",
     {},
     {"n.bsa"},
     H + "\nArchive 0=n.bsa\n; nothing yet\n[Other]\n"},
    // Windows ends a section name at the first ']' and takes "[name" without
    // one as a section.
    {"header_ends_at_first_bracket",
     "[ \xC0\xF0\xF5\xE8\xE2\xFB ] ; list]\nArchive 0=a.bsa\n",
     {"a.bsa"},
     {std::nullopt},
     "[ \xC0\xF0\xF5\xE8\xE2\xFB ] ; list]\n"},
    {"header_without_closing_bracket",
     "[\xC0\xF0\xF5\xE8\xE2\xFB\nArchive 0=a.bsa\n",
     {"a.bsa"},
     {"b.bsa"},
     "[\xC0\xF0\xF5\xE8\xE2\xFB\nArchive 0=b.bsa\n"},
    // Windows does not recognise a UTF-8 byte order mark: it belongs to the
    // first line, which is then no header.
    {"utf8_bom_hides_the_first_header",
     "\xEF\xBB\xBF" + H + "\r\nArchive 0=a.bsa\r\n",
     {},
     {"n.bsa"},
     "\xEF\xBB\xBF" + H + "\r\nArchive 0=a.bsa\r\n" + H + "\r\nArchive 0=n.bsa\r\n"},
    {"bytes_before_the_first_section_are_no_keys",
     "\x81\x98 junk\r\nArchive 0=outside.bsa\r\n" + H + "\r\nArchive 0=a.bsa\r\n",
     {"a.bsa"},
     {std::nullopt},
     "\x81\x98 junk\r\nArchive 0=outside.bsa\r\n" + H + "\r\n"},
    {"nul_byte_ends_a_value",
     H + "\nArchive 0=a.bsa\0junk\nArchive 1=b.bsa\n"s,
     {"a.bsa", "b.bsa"},
     {"a.bsa"},
     H + "\nArchive 0=a.bsa\0junk\nArchive 1=b.bsa\n"s},
    {"value_that_would_not_read_back_is_quoted",
     H + "\n",
     {},
     {"'q.bsa'", " lead.bsa", "\"x.bsa"},
     H + "\nArchive 0=\"'q.bsa'\"\nArchive 1=\" lead.bsa\"\nArchive 2=\"x.bsa\n"},
    {"commented_key_and_key_without_equals_are_no_keys",
     H + "\n;Archive 0=c.bsa\nArchive 0\nArchive 0=a.bsa\n",
     {"a.bsa"},
     {std::nullopt},
     H + "\n;Archive 0=c.bsa\nArchive 0\n"},
};

Names ReadNames(const std::string& file) {
    ArchiveList list;
    ReadArchiveKeys(file, list);
    Names names;
    for (const ArchiveSlot& slot : list.slots) names.push_back(*slot);
    return names;
}

std::string Update(const std::string& file, const Slots& pending) {
    PendingList = pending;
    PendingCount = static_cast<unsigned>(pending.size());
    std::string written = ApplyPendingList(file);
    ReleasePendingList();
    return written;
}

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

    const std::string written = Update(c.file, c.pending);
    EXPECT_EQ(written, c.written);
    const Names expected = NamesWritten(c.pending);
    EXPECT_EQ(FirstNames(ReadNames(written), expected.size()), expected);
    EXPECT_EQ(Update(written, c.pending), written) << "a second update changed the file again";
}

INSTANTIATE_TEST_SUITE_P(Table, IniFileCases, testing::ValuesIn(Cases),
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

TEST(ReadIniValue, OtherSectionsAndKeysReadAsBefore) {
    const std::string file = "[General]\r\nKey = \"v 1\" \r\n" + H + "\r\nArchive 0=a.bsa\r\n";
    const std::string written = Update(file, {"b.bsa", "c.bsa"});
    EXPECT_EQ(ReadIniValue(written, "general", "KEY"), "v 1");
    EXPECT_EQ(ReadIniValue(written, "General", "Archive 0"), std::nullopt);
    EXPECT_EQ(ReadIniValue(written, ArchiveSection, "archive 1"), "c.bsa");
}

} // namespace
