#include <gtest/gtest.h>

#include "core/archive_name.h"
#include "core/data_files_scan.h"

namespace {

struct NameCase {
    const char* a;
    const char* b;
    bool equal;
};

TEST(ArchiveNameEquals, FoldsOnlyAsciiCapitals) {
    const NameCase cases[] = {
        {"A.bsa", "a.BSA", true},
        {"Morrowind.BSA", "morrowind.bsa", true},
        {"a.bsa", "a.bsa ", false},
        {"sub\\a.bsa", "a.bsa", false},
        {"", "", true},
        // Windows-1251 "Б" (C1) and "б" (E1): not folded.
        {"\xC1.bsa", "\xE1.bsa", false},
        {"\xC1.bsa", "\xC1.BSA", true},
        // '[' (0x5B) is not a capital, though it sits just past 'Z'.
        {"[.bsa", "{.bsa", false},
        {"@", "`", false},
    };
    for (const NameCase& c : cases) {
        EXPECT_EQ(ArchiveNameEquals(c.a, c.b), c.equal) << c.a << " vs " << c.b;
        EXPECT_EQ(ArchiveNameEquals(c.b, c.a), c.equal) << c.b << " vs " << c.a;
    }
}

TEST(IsRegistrableArchive, KeepsOnlyArchivesTheIniCanHold) {
    const struct {
        std::string name;
        bool registrable;
    } cases[] = {
        {"a.bsa", true},
        {"B.BSA", true},
        {"x.Bsa", true},
        {"morrowind.bsa", false},
        {"MORROWIND.BSA", false},
        // The search's short-name match brings these back for "*.bsa".
        {"foo.bsax", false},
        {"z.bsa ", false},
        {"readme.txt", false},
        {".bsa", true},
        {std::string(251, 'n') + ".bsa", true},   // 255 characters: fits a value
        {std::string(252, 'n') + ".bsa", false},  // 256: the game would read it cut
        {"line\nbreak.bsa", false},
        {"carriage\rreturn.bsa", false},
        {std::string("nul\0.bsa", 8), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsRegistrableArchive(c.name), c.registrable) << c.name;
    }
}

} // namespace
