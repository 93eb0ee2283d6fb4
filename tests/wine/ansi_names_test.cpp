// Names of listed files in an ANSI code page: exactly or not at all, and
// which name an entry is taken in by, for entries as Windows file systems
// report them (a FAT volume's short names may hold letters of the OEM code
// page; NTFS may have none).

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/ansi_names_win32.h"

// The expected names below are UTF-8 in this file; they must reach the
// conversions as UTF-16.
static_assert(sizeof(L"Ж") == 2 * sizeof(wchar_t) && L"Ж"[0] == 0x0416,
              "compile this file with a UTF-8 input charset");

namespace {

// count times letter, then ".bsa".
std::wstring LongName(const std::wstring& letter, int count) {
    std::wstring name;
    for (int i = 0; i < count; ++i) name += letter;
    return name + L".bsa";
}

std::string Utf8Of(const std::wstring& name) {
    std::string bytes(name.size() * 4, '\0');
    const int size = WideCharToMultiByte(CP_UTF8, 0, name.data(), static_cast<int>(name.size()), bytes.data(),
                                         static_cast<int>(bytes.size()), nullptr, nullptr);
    bytes.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
    return bytes;
}

TEST(SpellInCodePage, GivesOnlyExactSpellings) {
    const struct {
        UINT codePage;
        const wchar_t* name;
        std::optional<std::string> spelled;
    } cases[] = {
        {1252, L"a.bsa", "a.bsa"},
        {1251, L"Старые дома.bsa", "\xD1\xF2\xE0\xF0\xFB\xE5 \xE4\xEE\xEC\xE0.bsa"},
        {1252, L"Старые дома.bsa", std::nullopt},
        {1252, L"Qualité Textures.bsa", "Qualit\xE9 Textures.bsa"},
        // Best fit would give "Qualite Textures.bsa", another file's name.
        {1251, L"Qualité Textures.bsa", std::nullopt},
        {1251, L"Zło.bsa", std::nullopt},
        {1252, L"Zło.bsa", std::nullopt},
        {1250, L"Zło.bsa", "Z\xB3o.bsa"},
        {932, L"日本.bsa", "\x93\xFA\x96\x7B.bsa"},
        // A system whose ANSI code page is UTF-8 holds every valid name.
        {CP_UTF8, L"Zło.bsa", "Z\xC5\x82o.bsa"},
        {CP_UTF8, L"a\xD800.bsa", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "code page " << c.codePage << ", name #" << (&c - cases));
        std::string spelled = "left over";
        const bool exact = SpellInCodePage(c.codePage, c.name, spelled);
        EXPECT_EQ(exact, c.spelled.has_value());
        EXPECT_EQ(spelled, c.spelled.value_or(""));
    }
}

TEST(AnsiEntryNamer, NamesEntriesTheWayTheGameCanOpenThem) {
    const struct {
        UINT codePage;
        std::wstring longName;
        std::wstring shortName;  // as the search reports it, empty when there is none
        std::string name;
        std::string foreignName;
        std::string usableShortName;
    } cases[] = {
        {1251, L"Старые дома.bsa", L"", "\xD1\xF2\xE0\xF0\xFB\xE5 \xE4\xEE\xEC\xE0.bsa", "", ""},
        {1251, L"Qualité Textures.bsa", L"QUALIT~1.BSA", "", "Qualit\xC3\xA9 Textures.bsa", "QUALIT~1.BSA"},
        {1252, L"Старые дома.bsa", L"____~NDB.BSA", "",
         "\xD0\xA1\xD1\x82\xD0\xB0\xD1\x80\xD1\x8B\xD0\xB5 \xD0\xB4\xD0\xBE\xD0\xBC\xD0\xB0.bsa", "____~NDB.BSA"},
        // Short names switched off on an NTFS volume, or exFAT and ReFS.
        {1252, L"Zło.bsa", L"", "", "Z\xC5\x82o.bsa", ""},
        // A FAT short name keeps letters of the OEM code page (866 here).
        {1252, L"Старые дома.bsa", L"СТАРЫЕ~1.BSA", "",
         "\xD0\xA1\xD1\x82\xD0\xB0\xD1\x80\xD1\x8B\xD0\xB5 \xD0\xB4\xD0\xBE\xD0\xBC\xD0\xB0.bsa", ""},
        // A long name the code page holds goes by that, whatever its short name.
        {1252, L"Qualité Textures.bsa", L"QUALIT~1.BSA", "Qualit\xE9 Textures.bsa", "", ""},
        // A name the code page holds in more bytes than a key's value can
        // hold (a double-byte or UTF-8 code page) goes like one it cannot
        // hold: by its short name, and shown to the user.
        {CP_UTF8, LongName(L"Ж", 126), L"125A~1.BSA", "", Utf8Of(LongName(L"Ж", 126)), "125A~1.BSA"},
        {932, LongName(L"日", 126), L"", "", Utf8Of(LongName(L"日", 126)), ""},
        // 251 letters and ".bsa": 255 bytes, which a key holds.
        {CP_UTF8, LongName(L"a", 251), L"", std::string(251, 'a') + ".bsa", "", ""},
        {CP_UTF8, L"Ж" + LongName(L"a", 250), L"AAAAAA~1.BSA", "",
         Utf8Of(L"Ж" + LongName(L"a", 250)), "AAAAAA~1.BSA"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "code page " << c.codePage << ", entry #" << (&c - cases));
        AnsiEntryNamer namer(c.codePage);
        const DataFilesEntry entry = namer.Name(c.longName.c_str(), c.shortName.c_str());
        EXPECT_EQ(entry.name, c.name);
        EXPECT_EQ(entry.foreignName, c.foreignName);
        EXPECT_EQ(entry.shortName, c.usableShortName);
    }
}

}  // namespace
