// Checks the PE headers of the built ambrel.exe (path in AMBREL_EXE): the
// DLLs it imports, ASLR and DEP, and that the file carries nothing that
// makes two builds of one commit differ or that players need not get.
// The test is built for the same architecture as the exe, so the headers
// are read with this build's own IMAGE_NT_HEADERS.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "tests/wine/built_exe.h"

namespace {

std::vector<char> ReadExe() {
    std::vector<char> bytes;
    FILE* file = _wfopen(ambrel_test::BuiltExePath().c_str(), L"rb");
    if (file == nullptr) return bytes;
    char buffer[65536];
    while (std::size_t got = std::fread(buffer, 1, sizeof buffer, file)) bytes.insert(bytes.end(), buffer, buffer + got);
    std::fclose(file);
    return bytes;
}

std::string Lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

class ExeHeaders : public testing::Test {
protected:
    void SetUp() override {
        bytes_ = ReadExe();
        ASSERT_GT(bytes_.size(), sizeof(IMAGE_DOS_HEADER)) << "AMBREL_EXE is not readable";
        const auto* dos = At<IMAGE_DOS_HEADER>(0);
        ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
        nt_ = At<IMAGE_NT_HEADERS>(static_cast<std::size_t>(dos->e_lfanew));
        ASSERT_NE(nt_, nullptr);
        ASSERT_EQ(nt_->Signature, IMAGE_NT_SIGNATURE);
        ASSERT_EQ(nt_->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR_MAGIC)
            << "the exe is not of this test's architecture";
        sections_ = IMAGE_FIRST_SECTION(nt_);
    }

    template <typename T>
    const T* At(std::size_t offset) const {
        if (offset > bytes_.size() || bytes_.size() - offset < sizeof(T)) return nullptr;
        return reinterpret_cast<const T*>(bytes_.data() + offset);
    }

    // The file offset of a relative virtual address, or 0 when no section
    // holds it.
    std::size_t OffsetOf(DWORD rva) const {
        for (WORD i = 0; i < nt_->FileHeader.NumberOfSections; ++i) {
            const IMAGE_SECTION_HEADER& section = sections_[i];
            DWORD size = std::max(section.Misc.VirtualSize, section.SizeOfRawData);
            if (rva >= section.VirtualAddress && rva < section.VirtualAddress + size) {
                return rva - section.VirtualAddress + section.PointerToRawData;
            }
        }
        return 0;
    }

    const IMAGE_DATA_DIRECTORY& Directory(int index) const {
        return nt_->OptionalHeader.DataDirectory[index];
    }

    std::vector<std::string> ImportedDlls() const {
        std::vector<std::string> names;
        std::size_t offset = OffsetOf(Directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress);
        for (const IMAGE_IMPORT_DESCRIPTOR* entry = At<IMAGE_IMPORT_DESCRIPTOR>(offset);
             entry != nullptr && entry->Name != 0;
             entry = At<IMAGE_IMPORT_DESCRIPTOR>(offset += sizeof(IMAGE_IMPORT_DESCRIPTOR))) {
            std::size_t name = OffsetOf(entry->Name);
            if (name == 0 || name >= bytes_.size()) break;
            names.push_back(Lowercase(std::string(bytes_.data() + name,
                                                  strnlen(bytes_.data() + name, bytes_.size() - name))));
        }
        return names;
    }

    std::vector<char> bytes_;
    const IMAGE_NT_HEADERS* nt_ = nullptr;
    const IMAGE_SECTION_HEADER* sections_ = nullptr;
};

TEST_F(ExeHeaders, ImportsOnlyDllsWindowsShips) {
    const std::set<std::string> shipped = {
        "advapi32.dll", "comctl32.dll", "gdi32.dll", "kernel32.dll",
        "msvcrt.dll",   "shell32.dll",  "user32.dll", "version.dll",
    };
    std::vector<std::string> imports = ImportedDlls();
    ASSERT_FALSE(imports.empty());
    for (const std::string& dll : imports) EXPECT_TRUE(shipped.count(dll)) << dll;
}

TEST_F(ExeHeaders, HasAslrAndDep) {
    WORD characteristics = nt_->OptionalHeader.DllCharacteristics;
    EXPECT_TRUE(characteristics & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE);
    EXPECT_TRUE(characteristics & IMAGE_DLLCHARACTERISTICS_NX_COMPAT);
    // Without relocations the loader cannot move the image, whatever the flag says.
    EXPECT_FALSE(nt_->FileHeader.Characteristics & IMAGE_FILE_RELOCS_STRIPPED);
    EXPECT_GT(Directory(IMAGE_DIRECTORY_ENTRY_BASERELOC).Size, 0u);
    if (sizeof(void*) == 8) {
        EXPECT_TRUE(characteristics & IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA);
    }
}

TEST_F(ExeHeaders, CarriesNoDebugInformationOrSymbols) {
    EXPECT_EQ(nt_->FileHeader.PointerToSymbolTable, 0u);
    EXPECT_EQ(nt_->FileHeader.NumberOfSymbols, 0u);
    for (WORD i = 0; i < nt_->FileHeader.NumberOfSections; ++i) {
        std::string name(reinterpret_cast<const char*>(sections_[i].Name),
                         strnlen(reinterpret_cast<const char*>(sections_[i].Name), IMAGE_SIZEOF_SHORT_NAME));
        // Long section names ("/4") live in the symbol table: only debug
        // sections have them in a MinGW image.
        EXPECT_NE(name.rfind(".debug", 0), 0u) << name;
        EXPECT_NE(name.rfind('/', 0), 0u) << name;
    }
}

// Two builds of one commit give the same bytes only without a link time and
// without the folders they were built in.
TEST_F(ExeHeaders, HoldsNoTimeStampOrBuildPath) {
    EXPECT_EQ(nt_->FileHeader.TimeDateStamp, 0u);
    for (const char* variable : {"AMBREL_SOURCE_DIR", "AMBREL_BINARY_DIR"}) {
        const char* folder = std::getenv(variable);
        ASSERT_NE(folder, nullptr) << variable;
        EXPECT_EQ(std::search(bytes_.begin(), bytes_.end(), folder, folder + std::strlen(folder)),
                  bytes_.end())
            << "the exe names " << folder;
    }
}

} // namespace
