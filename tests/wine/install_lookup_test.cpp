// Finding the installation in the registry: every value that cannot give
// usable paths counts as no installation.
#include <gtest/gtest.h>

#include <string>

#include <windows.h>

#include "app/install_lookup.h"
#include "core/install_path.h"

namespace {

const char* const KeyPath = "SOFTWARE\\Bethesda Softworks\\Morrowind";
constexpr REGSAM View32 = KEY_WOW64_32KEY;

void DeleteGameKey() {
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, KeyPath, View32, 0);
}

// Stores the value's bytes as given: no terminator is added.
void SetInstalledPath(DWORD type, const std::string& bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, KeyPath, 0, nullptr, 0, KEY_WRITE | View32,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, "Installed Path", 0, type,
                             reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

std::string Terminated(const std::string& text) {
    return text + '\0';
}

// The longest installation path whose search pattern, the longer of the two
// composed paths, still fits.
const std::size_t LongestUsable = PathCapacity - 1 - std::string("\\Data Files\\*.bsa").size();

struct LookupCase {
    const char* name;
    bool createKey;
    bool setValue;
    DWORD type;
    std::string bytes;
    bool found;
    std::string installPath;  // when found
};

const LookupCase Cases[] = {
    {"no_key", false, false, REG_SZ, "", false, ""},
    {"key_without_value", true, false, REG_SZ, "", false, ""},
    {"plain_path", true, true, REG_SZ, Terminated("C:\\Games\\M"), true, "C:\\Games\\M"},
    {"trailing_separator_is_kept", true, true, REG_SZ, Terminated("C:\\Games\\M\\"), true,
     "C:\\Games\\M\\"},
    {"value_without_terminator", true, true, REG_SZ, "C:\\G", true, "C:\\G"},
    {"empty_value", true, true, REG_SZ, Terminated(""), false, ""},
    {"not_a_string", true, true, REG_DWORD, std::string("\x01\x00\x00\x00", 4), false, ""},
    {"binary_value", true, true, REG_BINARY, "C:\\Games", false, ""},
    {"longest_usable", true, true, REG_SZ, Terminated("C:\\" + std::string(LongestUsable - 3, 'p')),
     true, "C:\\" + std::string(LongestUsable - 3, 'p')},
    {"one_too_long_for_the_paths", true, true, REG_SZ,
     Terminated("C:\\" + std::string(LongestUsable - 2, 'p')), false, ""},
    {"999_characters", true, true, REG_SZ, Terminated(std::string(999, 'p')), false, ""},
    {"1000_characters", true, true, REG_SZ, Terminated(std::string(1000, 'p')), false, ""},
    {"1000_bytes_without_terminator", true, true, REG_SZ, std::string(1000, 'p'), false, ""},
};

class LookUpInstallationCases : public testing::TestWithParam<LookupCase> {
protected:
    void TearDown() override {
        DeleteGameKey();
        InstallPath.clear();
    }
};

TEST_P(LookUpInstallationCases, FindsOnlyUsablePaths) {
    const LookupCase& c = GetParam();
    DeleteGameKey();
    if (c.createKey) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, KeyPath, 0, nullptr, 0, KEY_WRITE | View32,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    if (c.setValue) SetInstalledPath(c.type, c.bytes);

    EXPECT_EQ(LookUpRegisteredInstallation(), c.found);
    EXPECT_EQ(InstallPath, c.installPath);
}

INSTANTIATE_TEST_SUITE_P(Table, LookUpInstallationCases, testing::ValuesIn(Cases),
                         [](const testing::TestParamInfo<LookupCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace

namespace {

// The 32-bit game's installer writes its key in the 32-bit registry view,
// and that is the only view looked in, by either build. The test writes
// with an explicit view so that it means the same in both builds: without
// one, the i686 test would write to the 32-bit view and the x86_64 test to
// the 64-bit one.
TEST(LookUpInstallation, IgnoresTheKeyInThe64BitView) {
    DeleteGameKey();
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, KeyPath, 0, nullptr, 0,
                              KEY_WRITE | KEY_WOW64_64KEY, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::string path = Terminated("C:\\Games\\M");
    EXPECT_EQ(RegSetValueExA(key, "Installed Path", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(path.data()),
                             static_cast<DWORD>(path.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);

    EXPECT_FALSE(LookUpRegisteredInstallation());
    EXPECT_EQ(InstallPath, "");
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, KeyPath, KEY_WOW64_64KEY, 0);
}

} // namespace
