// The INI engine's table of tricky files: what is read from each and what an
// update makes of its bytes. The core tests check the engine against it; the
// Windows build also checks it against the platform's profile functions.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/archive_list.h"
#include "core/registered_archives.h"

namespace ini_file_table {

using namespace std::string_literals;

inline const std::string H = "["s + std::string(ArchiveSection) + "]";
inline const std::string Long300 = std::string(296, 'x') + ".bsa";
inline const std::string Long255 = Long300.substr(0, 255);

using Names = std::vector<std::string>;
using Slots = std::vector<ArchiveSlot>;

// The registered names our reader takes from a file's bytes.
inline Names ReadNames(const std::string& file) {
    ArchiveList list;
    ReadArchiveKeys(file, list);
    Names names;
    for (const ArchiveSlot& slot : list.slots) names.push_back(*slot);
    return names;
}

struct IniCase {
    const char* name;
    std::string file;
    Names read;      // the registered names read from file
    Slots pending;   // what an update writes
    std::string written;  // the file after that update
};

inline const IniCase TrickyIniFiles[] = {
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
    {"mixed_endings_added_line_takes_the_ending_before_it",
     "; top\r\n" + H + "\nArchive 0=a.bsa\n",
     {"a.bsa"},
     {"a.bsa", "b.bsa"},
     "; top\r\n" + H + "\nArchive 0=a.bsa\nArchive 1=b.bsa\n"},
    // A CR before an empty LF line would run together with it into one CRLF.
    {"added_line_ending_does_not_swallow_a_blank_line",
     "; top\r" + H + "\nArchive 0=a.bsa\n\n[Other]\r",
     {"a.bsa"},
     {"a.bsa", "b.bsa"},
     "; top\r" + H + "\nArchive 0=a.bsa\nArchive 1=b.bsa\n\n[Other]\r"},
    {"end_without_line_ending_gets_the_first_line_ending",
     "; top\r" + H + "\nArchive 0=a.bsa",
     {"a.bsa"},
     {"a.bsa", "b.bsa"},
     "; top\r" + H + "\nArchive 0=a.bsa\rArchive 1=b.bsa"},
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
    {"no_final_newline_stays_missing_after_deleting_the_last_keys",
     H + "\r\nArchive 0=a.bsa\r\nArchive 1=b.bsa\r\nArchive 2=c.bsa",
     {"a.bsa", "b.bsa", "c.bsa"},
     {"a.bsa", std::nullopt, std::nullopt},
     H + "\r\nArchive 0=a.bsa"},
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
    // The reader's cut is no reason to leave the line: a reader with a
    // larger buffer would get the whole value, which names no archive.
    {"value_of_300_characters_reads_as_its_first_255_and_is_written_as_that",
     H + "\nArchive 0=" + Long300 + "\n",
     {Long255},
     {Long255, "n.bsa"},
     H + "\nArchive 0=" + Long255 + "\nArchive 1=n.bsa\n"},
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
    {"commented_key_is_no_key",
     H + "\n;Archive 0=c.bsa\nArchive 0=a.bsa\n",
     {"a.bsa"},
     {std::nullopt},
     H + "\n;Archive 0=c.bsa\n"},
    // The platform takes a line without '=' as a key without a value: it
    // reads as missing and hides a later line of the same name.
    {"key_without_equals_reads_as_missing_and_hides_later_lines",
     H + "\nArchive 0=a.bsa\nArchive 1\nArchive 1=b.bsa\n",
     {"a.bsa"},
     {"a.bsa", "n.bsa"},
     H + "\nArchive 0=a.bsa\nArchive 1=n.bsa\nArchive 1=b.bsa\n"},
    // Keys added after a last key line without '=' that the same update
    // rewrites or deletes go after that line, not into it.
    {"added_keys_follow_a_rewritten_key_without_equals",
     H + "\nArchive 0=a.bsa\nArchive 1\n[Other]\n",
     {"a.bsa"},
     {"a.bsa", "b.bsa", "c.bsa"},
     H + "\nArchive 0=a.bsa\nArchive 1=b.bsa\nArchive 2=c.bsa\n[Other]\n"},
    {"added_key_follows_a_deleted_unterminated_key_without_equals",
     H + "\nArchive 0=a.bsa\nArchive 1",
     {"a.bsa"},
     {"a.bsa", std::nullopt, "c.bsa"},
     H + "\nArchive 0=a.bsa\nArchive 2=c.bsa"},
    {"nul_byte_ends_a_key_name_after_its_blanks",
     H + "\nArchive 0\0old=a.bsa\nArchive 1 \0=b.bsa\n"s,
     {"a.bsa"},
     {"a.bsa", "n.bsa"},
     H + "\nArchive 0\0old=a.bsa\nArchive 1 \0=b.bsa\nArchive 1=n.bsa\n"s},
    {"nul_byte_ends_a_section_name",
     "[\xC0\xF0\xF5\xE8\xE2\xFB\0old]\nArchive 0=a.bsa\n"s,
     {"a.bsa"},
     {"b.bsa"},
     "[\xC0\xF0\xF5\xE8\xE2\xFB\0old]\nArchive 0=b.bsa\n"s},
};

} // namespace ini_file_table
