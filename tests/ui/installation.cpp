#include "tests/ui/installation.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "game_archive.h"

namespace ambrel_test {

namespace {

constexpr const char* GameKey = "SOFTWARE\\Bethesda Softworks\\Morrowind";
// The game's installer is 32-bit, so the key lives in the 32-bit view.
constexpr REGSAM GameKeyView = KEY_WOW64_32KEY;

std::string ToCp1251(std::wstring_view text) {
    const int length = static_cast<int>(text.size());
    int size = WideCharToMultiByte(1251, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(1251, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::string ToAnsi(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    bytes.pop_back();
    return bytes;
}

class GameKeyHandle {
public:
    GameKeyHandle() {
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, GameKey, 0, nullptr, 0, KEY_SET_VALUE | GameKeyView, nullptr,
                            &key_, nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
        }
    }
    ~GameKeyHandle() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    GameKeyHandle(const GameKeyHandle&) = delete;
    GameKeyHandle& operator=(const GameKeyHandle&) = delete;
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

}  // namespace

std::wstring FromCp1251(std::string_view bytes) {
    int size = MultiByteToWideChar(1251, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    MultiByteToWideChar(1251, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
    return text;
}

bool RegisterInstallationPath(const std::wstring& folder) {
    GameKeyHandle key;
    if (key.Get() == nullptr) return false;
    // Written with the 8-bit function, as the program reads it.
    const std::string path = ToAnsi(folder);
    return RegSetValueExA(key.Get(), "Installed Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                          static_cast<DWORD>(path.size() + 1)) == ERROR_SUCCESS;
}

bool RegisterKeyWithoutPath() {
    GameKeyHandle key;
    if (key.Get() == nullptr) return false;
    LONG status = RegDeleteValueA(key.Get(), "Installed Path");
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool RemoveInstallationKey() {
    LONG status = RegDeleteKeyExA(HKEY_LOCAL_MACHINE, GameKey, GameKeyView, 0);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

Installation::Installation(std::string_view folderName) {
    static unsigned serial = 0;
    wchar_t temp[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) return;
    folder_ = std::wstring(temp, length) + FromCp1251(folderName) + L"-" +
              std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
    std::error_code error;
    std::filesystem::remove_all(folder_, error);
    if (!std::filesystem::create_directories(std::filesystem::path(folder_) / L"Data Files", error)) return;
    ready_ = RegisterInstallationPath(folder_);
}

Installation::~Installation() {
    RemoveInstallationKey();
    if (folder_.empty()) return;
    SetIniReadOnly(false);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::wstring Installation::PathOf(std::string_view name) const {
    return folder_ + L"\\" + FromCp1251(name);
}

void Installation::WriteIni(std::string_view bytes) const {
    std::ofstream out(std::filesystem::path(PathOf("morrowind.ini")), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::optional<std::string> Installation::ReadIni() const {
    std::ifstream in(std::filesystem::path(PathOf("morrowind.ini")), std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Installation::SetIniReadOnly(bool readOnly) const {
    return SetFileAttributesW(PathOf("morrowind.ini").c_str(),
                              readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL) != FALSE;
}

bool Installation::IniReadOnly() const {
    DWORD attributes = GetFileAttributesW(PathOf("morrowind.ini").c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

void Installation::AddDataFile(std::string_view name) const {
    AddDataFile(FromCp1251(name));
}

void Installation::AddDataFile(std::wstring_view name) const {
    AddDataFile(name, MakeGameArchive(ToCp1251(name)));
}

void Installation::AddDataFile(std::string_view name, std::string_view bytes) const {
    AddDataFile(FromCp1251(name), bytes);
}

void Installation::AddDataFolder(std::string_view name) const {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(folder_ + L"\\Data Files\\" + FromCp1251(name)), ignored);
}

void Installation::AddDataFile(std::wstring_view name, std::string_view bytes) const {
    std::ofstream out(std::filesystem::path(folder_ + L"\\Data Files\\" + std::wstring(name)), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<Installation::ListedFile> Installation::Listing() const {
    std::vector<ListedFile> files;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(PathOf("Data Files\\*.bsa").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return files;
    do {
        files.push_back({entry.cFileName, entry.cAlternateFileName});
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return files;
}

std::vector<std::string> Installation::SearchOrder() const {
    std::vector<std::string> names;
    for (const ListedFile& file : Listing()) names.push_back(ToCp1251(file.name));
    return names;
}

}  // namespace ambrel_test
