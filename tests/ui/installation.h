// A scratch installation of the game for one test case: a fresh folder with
// morrowind.ini and Data Files, registered where the program looks for the
// game. Names are given as bytes in Windows-1251, as the game's files hold
// them; the folder and the registry entry go away with the object.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ambrel_test {

class Installation {
public:
    // The folder's name starts with the given one (Windows-1251 bytes).
    explicit Installation(std::string_view folderName = "ambrel-ui");
    ~Installation();
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;

    // False when the folder could not be made or registered.
    bool Ready() const { return ready_; }
    // The installation's folder, as Windows names it, and its morrowind.ini.
    const std::wstring& Folder() const { return folder_; }
    std::wstring IniPath() const { return PathOf("morrowind.ini"); }

    void WriteIni(std::string_view bytes) const;
    // Nothing when the file is missing.
    std::optional<std::string> ReadIni() const;
    // Sets or clears the read-only attribute, the only thing that stops a
    // write on Wine running as root.
    bool SetIniReadOnly(bool readOnly) const;
    bool IniReadOnly() const;

    // An archive of the game with a few files in it.
    void AddDataFile(std::string_view name) const;
    // A name any code page may lack, given as UTF-16.
    void AddDataFile(std::wstring_view name) const;
    // A file with the bytes given, and a folder.
    void AddDataFile(std::string_view name, std::string_view bytes) const;
    void AddDataFile(std::wstring_view name, std::string_view bytes) const;
    void AddDataFolder(std::string_view name) const;
    struct ListedFile {
        std::wstring name;
        std::wstring shortName;  // the 8.3 name, empty when it has none
    };
    // The archives of Data Files in the order the system's search reports
    // them.
    std::vector<ListedFile> Listing() const;
    // The same names in Windows-1251, as the program sees them there.
    std::vector<std::string> SearchOrder() const;

private:
    std::wstring PathOf(std::string_view name) const;

    std::wstring folder_;
    bool ready_ = false;
};

// The program's view of the registry: the game's key with its installation
// path, a key without one, or no key at all.
bool RegisterInstallationPath(const std::wstring& folder);
bool RegisterKeyWithoutPath();
bool RemoveInstallationKey();

// Windows-1251 bytes as UTF-16.
std::wstring FromCp1251(std::string_view bytes);

}  // namespace ambrel_test
