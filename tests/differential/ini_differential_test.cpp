// Our INI reader and writer against the platform's profile functions, under
// Wine with the ANSI code page 1251. For every file of the corpus - the core
// tests' table of tricky files and a run of random ones - our reader must
// give what GetPrivateProfileStringA gives for every "Archive N" key, and
// after our update the platform must read every written key as written, no
// deleted key, and every other key of every section as before.
//
// Wine is no byte-level oracle for the writer (it rewrites the whole file),
// so only readings are compared. Where Wine reads differently from Windows,
// we follow Windows: those files stand in KnownDifferences with the reason.
//
// AMBREL_DIFFERENTIAL_SEED and AMBREL_DIFFERENTIAL_FILES choose another run
// of random files.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/ascii.h"
#include "core/ini_file.h"
#include "core/registered_archives.h"
#include "tests/core/ini_file_cases.h"
#include "tests/differential/ini_generator.h"
#include "tests/differential/platform_profile.h"

namespace {

using namespace ini_file_table;

const std::string Section(ArchiveSection);

// A fresh folder for one test's files. Every file gets a name of its own,
// so the platform's cache of profile files never serves an older one.
class ScratchFolder {
public:
    ScratchFolder() {
        static unsigned serial = 0;
        root_ = std::filesystem::temp_directory_path() /
                ("ambrel-differential-" + std::to_string(GetCurrentProcessId()) + "-" +
                 std::to_string(++serial));
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string NewFile(const std::string& bytes) {
        std::filesystem::path path = root_ / ("f" + std::to_string(++files_) + ".ini");
        std::ofstream out(path, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

private:
    std::filesystem::path root_;
    unsigned files_ = 0;
};

// The bytes as a C string literal, to paste a failing file into a table.
std::string Escaped(const std::string& bytes) {
    std::string text = "\"";
    for (unsigned char c : bytes) {
        if (c == '\\' || c == '"') {
            text += '\\';
            text += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7f) {
            text += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X\"\"", c);
            text += hex;
        }
    }
    return text + "\"";
}

// The list as the game reads it: from key 0 up to the first missing or
// empty key.
Names PlatformNames(const std::string& path) {
    Names names;
    for (unsigned number = 0; number < MaxArchives; ++number) {
        std::optional<std::string> value = PlatformReadValue(path, Section, ArchiveKeyName(number));
        if (!value || value->empty()) break;
        names.push_back(*value);
    }
    return names;
}

std::string_view TrimmedBlanks(std::string_view name) {
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) name.remove_prefix(1);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
    return name;
}

// "Archive N" in its own spelling, when the name is one in any case.
std::optional<std::string> ArchiveKeyOf(std::string_view name) {
    const std::string folded = FoldAsciiCase(TrimmedBlanks(name));
    const std::string prefix = "archive ";
    if (folded.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
    const std::string digits = folded.substr(prefix.size());
    if (digits.empty() || digits.size() > 9) return std::nullopt;
    if (digits.size() > 1 && digits[0] == '0') return std::nullopt;  // "Archive 01" is another key
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
    }
    return ArchiveKeyName(static_cast<unsigned>(std::stoul(digits)));
}

// Every "Archive N" key that either reader finds in the section reads the
// same, and so does the list from key 0 up. (A key neither finds reads as
// missing to both.)
void ExpectSameReading(const std::string& file, const std::string& path) {
    std::set<std::string> keys = {ArchiveKeyName(0)};
    for (const IniKeyLine& line : FindIniSection(file, Section).keys) {
        if (auto key = ArchiveKeyOf(line.name)) keys.insert(*key);
    }
    for (const std::string& name : PlatformKeyNames(path, Section)) {
        if (auto key = ArchiveKeyOf(name)) keys.insert(*key);
    }
    for (const std::string& key : keys) {
        EXPECT_EQ(ReadIniValue(file, Section, key), PlatformReadValue(path, Section, key)) << key;
    }
    EXPECT_EQ(ReadNames(file), PlatformNames(path));
}

// What the platform holds outside the keys an update of count slots
// writes. A section the update added is no change once those are set aside.
PlatformView Untouched(PlatformView view, unsigned count) {
    for (auto it = view.begin(); it != view.end();) {
        auto& [section, entries] = *it;
        if (!EqualsIgnoringAsciiCase(section, Section)) {
            ++it;
            continue;
        }
        std::vector<std::string> kept;
        for (std::string& entry : entries) {
            std::string_view name = TrimmedBlanks(std::string_view(entry).substr(0, entry.find('=')));
            bool touched = false;
            for (unsigned i = 0; i < count && !touched; ++i) {
                touched = EqualsIgnoringAsciiCase(name, ArchiveKeyName(i));
            }
            if (!touched) kept.push_back(std::move(entry));
        }
        entries = std::move(kept);
        it = entries.empty() ? view.erase(it) : std::next(it);
    }
    return view;
}

void ExpectUpdateReadsBack(ScratchFolder& folder, const std::string& file,
                           const std::string& path, const Slots& pending) {
    const std::string written = ApplyArchiveSlots(file, pending);
    SCOPED_TRACE("written " + Escaped(written));
    const std::string writtenPath = folder.NewFile(written);
    // Slot i is key i; an empty slot deletes a key the reader had seen.
    for (std::size_t i = 0; i < pending.size(); ++i) {
        const std::string key = ArchiveKeyName(static_cast<unsigned>(i));
        EXPECT_EQ(PlatformReadValue(writtenPath, Section, key), pending[i]) << key;
    }
    const auto count = static_cast<unsigned>(pending.size());
    EXPECT_EQ(Untouched(PlatformReadEverything(writtenPath), count),
              Untouched(PlatformReadEverything(path), count));
}

// Why Windows and Wine read a file differently. We read as Windows does.
constexpr const char* FirstBracket =
    "Windows ends a section name at the first ']'; Wine at the last";
constexpr const char* UnclosedHeader =
    "Windows takes a '[' line without ']' as a section header; Wine as a key";
constexpr const char* Utf8Bom =
    "Windows reads a UTF-8 byte order mark as bytes of the first line; Wine reads the file as UTF-8";
constexpr const char* OnlyBlanks =
    "Windows trims only blanks around names and values; Wine also vertical tab, form feed and ^Z";
constexpr const char* QuoteRemoval =
    "Wine's quote removal cuts one character too many from a quoted value that just fills the "
    "buffer (so also from a 255-character name the writer had to quote); the value is 255 "
    "characters";
constexpr const char* Utf16 =
    "the platform reads UTF-16 text; the engine reads 8-bit bytes, and Ambrel reads no list from "
    "such a file and refuses to update it (IsUtf16Text)";

// Rows of the core table that the platform here reads differently. Only its
// reading is checked: it would read an update's result differently too.
struct CoreRowDifference {
    const char* name;
    Names platform;
    const char* reason;
};

const CoreRowDifference CoreRowsReadDifferently[] = {
    {"header_ends_at_first_bracket", {}, FirstBracket},
    {"header_without_closing_bracket", {}, UnclosedHeader},
    // Wine reads the list as empty too, but decodes the file as UTF-8, so
    // the section an update appends is no section to it.
    {"utf8_bom_hides_the_first_header", {}, Utf8Bom},
};

const CoreRowDifference* FindCoreRowDifference(const std::string& name) {
    for (const CoreRowDifference& row : CoreRowsReadDifferently) {
        if (name == row.name) return &row;
    }
    return nullptr;
}

class TrickyFiles : public testing::TestWithParam<IniCase> {};

TEST_P(TrickyFiles, ReadAndUpdateAsThePlatformReads) {
    const IniCase& c = GetParam();
    ScratchFolder folder;
    const std::string path = folder.NewFile(c.file);
    if (const CoreRowDifference* difference = FindCoreRowDifference(c.name)) {
        EXPECT_EQ(PlatformNames(path), difference->platform) << difference->reason;
        return;
    }
    ExpectSameReading(c.file, path);
    ExpectUpdateReadsBack(folder, c.file, path, c.pending);
}

INSTANTIATE_TEST_SUITE_P(CoreTable, TrickyFiles, testing::ValuesIn(TrickyIniFiles),
                         [](const testing::TestParamInfo<IniCase>& info) {
                             return std::string(info.param.name);
                         });

struct KnownDifference {
    const char* name;
    std::string file;
    Names ours;      // as Windows reads it
    Names platform;  // as Wine reads it
    const char* reason;
};

const std::string Utf8Header = "[\xD0\x90\xD1\x80\xD1\x85\xD0\xB8\xD0\xB2\xD1\x8B]";
const std::string Quoted255 = "\"" + std::string(255, 'q') + "\"";

std::string Utf16LittleEndianWithBom(const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

const KnownDifference KnownDifferences[] = {
    {"unclosed_header_ends_the_section",
     H + "\nArchive 0=a.bsa\n[Other\nArchive 1=b.bsa\n", {"a.bsa"}, {"a.bsa", "b.bsa"},
     UnclosedHeader},
    {"utf8_bom_is_no_encoding_mark",
     "\xEF\xBB\xBF" + Utf8Header + "\r\nArchive 0=a.bsa\r\n", {}, {"a.bsa"}, Utf8Bom},
    {"ctrl_z_is_no_blank",
     H + "\r\nArchive 0=a.bsa\x1a\r\n", {"a.bsa\x1a"}, {"a.bsa"}, OnlyBlanks},
    {"vertical_tab_is_no_blank",
     H + "\r\nArchive 0=a.bsa\r\n\x0b" "Archive 1=b.bsa\r\n", {"a.bsa"}, {"a.bsa", "b.bsa"},
     OnlyBlanks},
    {"form_feed_is_no_blank",
     H + "\r\nArchive 0\x0c=a.bsa\r\n", {}, {"a.bsa"}, OnlyBlanks},
    {"quoted_value_that_fills_the_buffer",
     H + "\r\nArchive 0=" + Quoted255 + "\r\n", {std::string(255, 'q')}, {std::string(254, 'q')},
     QuoteRemoval},
    {"utf16_file",
     Utf16LittleEndianWithBom(u"[\u0410\u0440\u0445\u0438\u0432\u044B]\r\nArchive 0=a.bsa\r\n"),
     {}, {"a.bsa"}, Utf16},
};

class KnownDifferenceFiles : public testing::TestWithParam<KnownDifference> {};

TEST_P(KnownDifferenceFiles, ReadAsWindowsDoes) {
    const KnownDifference& d = GetParam();
    ScratchFolder folder;
    const std::string path = folder.NewFile(d.file);
    EXPECT_EQ(ReadNames(d.file), d.ours);
    EXPECT_EQ(PlatformNames(path), d.platform) << d.reason;
}

INSTANTIATE_TEST_SUITE_P(Wine, KnownDifferenceFiles, testing::ValuesIn(KnownDifferences),
                         [](const testing::TestParamInfo<KnownDifference>& info) {
                             return std::string(info.param.name);
                         });

unsigned long EnvironmentNumber(const char* name, unsigned long fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::strtoul(text, nullptr, 10) : fallback;
}

// A name the writer must quote (blanks at an end, or quotes around it) that
// then fills the value buffer: Wine reads it one character short
// (QuoteRemoval).
bool WrittenQuotedToFillTheBuffer(const std::string& name) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    auto quote = [](char c) { return c == '"' || c == '\''; };
    if (name.size() != IniValueCapacity - 1) return false;
    return blank(name.front()) || blank(name.back()) ||
           (quote(name.front()) && name.back() == name.front());
}

// The pending list a reconciliation could make of what was read: some of
// the names kept in order, some new ones, and empty slots up to the number
// of keys read.
Slots RandomPending(IniGenerator& random, const Names& read) {
    Slots pending;
    for (const std::string& name : read) {
        if (!random.OneIn(3) && !WrittenQuotedToFillTheBuffer(name)) pending.emplace_back(name);
    }
    for (unsigned added = random.Below(4); added > 0; --added) {
        pending.emplace_back(random.ArchiveName());
    }
    while (pending.size() < read.size()) pending.emplace_back(std::nullopt);
    return pending;
}

TEST(RandomFiles, ReadAndUpdateAsThePlatformReads) {
    const auto seed = static_cast<std::uint32_t>(EnvironmentNumber("AMBREL_DIFFERENTIAL_SEED", 1251));
    const unsigned long files = EnvironmentNumber("AMBREL_DIFFERENTIAL_FILES", 1000);
    IniGenerator random(seed);
    ScratchFolder folder;
    for (unsigned long i = 0; i < files && !HasFailure(); ++i) {
        const std::string file = random.File();
        SCOPED_TRACE("seed " + std::to_string(seed) + ", file " + std::to_string(i) + ": " +
                     Escaped(file));
        const std::string path = folder.NewFile(file);
        ExpectSameReading(file, path);
        const Slots pending = RandomPending(random, ReadNames(file));
        if (!pending.empty()) ExpectUpdateReadsBack(folder, file, path, pending);
    }
}

} // namespace
