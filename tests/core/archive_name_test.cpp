#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// What one entry of the listing adds: the name the game can open it by, and
// whether the user is told about it.
TEST(AddScannedEntry, TakesArchivesByANameTheGameCanOpen) {
    const struct {
        const char* what;
        DataFilesEntry entry;
        std::vector<std::string> listed;
        std::vector<std::string> foreignLong;   // named to the user
        std::vector<std::string> foreignShort;  // with the short name each went in by
    } cases[] = {
        {"held_long_name", {"Qualit\xE9 Textures.bsa", {}, {}}, {"Qualit\xE9 Textures.bsa"}, {}, {}},
        {"held_long_name_not_an_archive", {"foo.bsax", {}, {}}, {}, {}, {}},
        {"held_long_name_morrowind", {"Morrowind.bsa", {}, {}}, {}, {}, {}},
        {"foreign_name_by_short_name", {{}, "Z\xC5\x82o.bsa", "ZO~1.BSA"}, {"ZO~1.BSA"}, {"Z\xC5\x82o.bsa"}, {"ZO~1.BSA"}},
        // No short name: 8.3 names switched off, or a file system without them.
        {"foreign_name_without_short_name", {{}, "Z\xC5\x82o.bsa", {}}, {}, {"Z\xC5\x82o.bsa"}, {""}},
        // Matched by "*.bsa" through its short name only: not an archive.
        {"foreign_name_not_an_archive", {{}, "\xD0\x97\xD0\xBB\xD0\xBE.bsax", "___~1.BSA"}, {}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ArchiveList list;
        std::vector<ForeignNamedArchive> foreign;
        EXPECT_TRUE(AddScannedEntry(c.entry, list, foreign));
        std::vector<std::string> listed;
        for (const ArchiveSlot& slot : list.slots) listed.push_back(*slot);
        EXPECT_EQ(listed, c.listed);
        std::vector<std::string> foreignLong;
        std::vector<std::string> foreignShort;
        for (const ForeignNamedArchive& archive : foreign) {
            foreignLong.push_back(archive.longName);
            foreignShort.push_back(archive.shortName);
        }
        EXPECT_EQ(foreignLong, c.foreignLong);
        EXPECT_EQ(foreignShort, c.foreignShort);
    }
}

} // namespace
