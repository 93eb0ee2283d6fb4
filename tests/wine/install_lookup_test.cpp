// Finding the installation in the registry (every value that cannot give
// usable paths counts as no installation) and in a folder named on the
// command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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

namespace {

// A folder given on the command line: resolved against the current folder,
// used only when it exists and holds the game's file or folder, and spelt in
// the ANSI code page (1252 here).
struct GivenFolderCase {
    const char* name;
    std::vector<std::wstring> entries;  // made inside; a name ending in '\' is a folder
    std::wstring given;                 // relative to the scratch folder
    LookupStatus status;
    std::wstring installPath;           // when found, relative to the scratch folder
};

const GivenFolderCase GivenFolderCases[] = {
    {"data_files_only", {L"game\\", L"game\\Data Files\\"}, L"game", LookupStatus::Found, L"game"},
    {"ini_only", {L"game\\", L"game\\morrowind.ini"}, L"game", LookupStatus::Found, L"game"},
    {"other_letter_case", {L"game\\", L"game\\DATA FILES\\"}, L"GAME", LookupStatus::Found, L"GAME"},
    {"trailing_separator_is_kept", {L"game\\", L"game\\morrowind.ini"}, L"game\\", LookupStatus::Found, L"game\\"},
    {"dot_parts_resolved", {L"game\\", L"game\\morrowind.ini"}, L"x\\..\\game", LookupStatus::Found, L"game"},
    {"missing", {}, L"game", LookupStatus::FolderMissing, L""},
    {"a_file", {L"game"}, L"game", LookupStatus::FolderMissing, L""},
    {"neither_ini_nor_data_files", {L"game\\", L"game\\Morrowind.exe"}, L"game", LookupStatus::NotAnInstallation,
     L""},
    {"ini_that_is_a_folder", {L"game\\", L"game\\morrowind.ini\\"}, L"game", LookupStatus::NotAnInstallation, L""},
    {"letters_the_code_page_lacks", {L"\u0418\u0433\u0440\u0430\\", L"\u0418\u0433\u0440\u0430\\Data Files\\"},
     L"\u0418\u0433\u0440\u0430", LookupStatus::FolderUnusable, L""},
};

std::string Ansi(const std::wstring& text) {
    std::string bytes(text.size() * 2 + 1, '\0');
    const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(),
                                         static_cast<int>(bytes.size()), nullptr, nullptr);
    bytes.resize(static_cast<std::size_t>(size > 0 ? size : 0));
    return bytes;
}

class LookUpInstallationInCases : public testing::TestWithParam<GivenFolderCase> {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH + 1];
        ASSERT_NE(GetTempPathW(MAX_PATH + 1, temp), 0u);
        scratch_ = std::wstring(temp) + L"ambrel-lookup-" + std::to_wstring(GetCurrentProcessId());
        std::filesystem::remove_all(scratch_);
        ASSERT_TRUE(std::filesystem::create_directories(scratch_));
        ASSERT_TRUE(GetCurrentDirectoryW(MAX_PATH + 1, previous_));
        ASSERT_TRUE(SetCurrentDirectoryW(scratch_.c_str()));
    }
    void TearDown() override {
        SetCurrentDirectoryW(previous_);
        std::error_code ignored;
        std::filesystem::remove_all(scratch_, ignored);
        InstallPath.clear();
    }

    std::wstring scratch_;
    wchar_t previous_[MAX_PATH + 1] = {};
};

TEST_P(LookUpInstallationInCases, UsesOnlyAnInstallation) {
    const GivenFolderCase& c = GetParam();
    for (const std::wstring& entry : c.entries) {
        const std::filesystem::path path = scratch_ + L"\\" + entry;
        if (entry.back() == L'\\') {
            ASSERT_TRUE(std::filesystem::create_directories(path));
        } else {
            std::ofstream created(path);
        }
    }
    EXPECT_EQ(LookUpInstallationIn(c.given), c.status);
    EXPECT_EQ(InstallPath, c.installPath.empty() ? "" : Ansi(scratch_ + L"\\" + c.installPath));
}

INSTANTIATE_TEST_SUITE_P(Table, LookUpInstallationInCases, testing::ValuesIn(GivenFolderCases),
                         [](const testing::TestParamInfo<GivenFolderCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
