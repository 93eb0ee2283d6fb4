// What replacing a file decides from what Windows reports, for the cases a
// test machine does not have: the access lists of Windows files (inherited,
// protected, set on the file itself) and final paths outside every drive.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include <windows.h>

#include <sddl.h>

#include "platform/replace_file_win32.h"

namespace {

// The DACL of a security descriptor in SDDL ("D:P(A;;FA;;;BA)"), or
// "none" for an empty result.
std::string DaclOf(const std::vector<unsigned char>& descriptor) {
    if (descriptor.empty()) return "none";
    LPSTR text = nullptr;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorA(const_cast<unsigned char*>(descriptor.data()),
                                                              SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text,
                                                              nullptr)) {
        return "unreadable";
    }
    std::string dacl = text;
    LocalFree(text);
    return dacl;
}

std::vector<unsigned char> DescriptorOf(const char* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr)) {
        return {};
    }
    const auto* bytes = static_cast<const unsigned char*>(descriptor);
    std::vector<unsigned char> copy(bytes, bytes + GetSecurityDescriptorLength(descriptor));
    LocalFree(descriptor);
    return copy;
}

// What is kept of the list in sddl, in SDDL as this system writes it.
std::string Kept(const char* sddl, bool rightsAreUnixMode) {
    std::vector<unsigned char> old = DescriptorOf(sddl);
    if (old.empty()) return "bad case";
    return DaclOf(AccessListToKeep(old.data(), rightsAreUnixMode));
}

// The list in sddl as this system writes it.
std::string Written(const char* sddl) {
    return std::string(sddl) == "none" ? sddl : DaclOf(DescriptorOf(sddl));
}

// A user's SID, as Windows gives one to an account.
#define USER "S-1-5-21-1004336348-1177238915-682003330-1001"

// On Windows only what was set on the file itself is kept. Under Wine the
// list is the Unix mode seen through Wine's mapping (the owner's entry,
// everyone's entry for others' bits, none for the group; read shows as read
// and execute): only everyone's reading and writing are kept, never execute,
// and the owner's reading and writing come back with the attributes.
TEST(AccessListToKeep, KeepsOnlyWhatWasSetOnTheFileAndNeverMore) {
    const struct {
        const char* name;
        bool rightsAreUnixMode;
        const char* old;
        const char* kept;
    } cases[] = {
        // As a file gets them from its folder, say under Program Files (users
        // read and execute): nothing is kept, the new file gets them from
        // its folder again.
        {"inherited_only", false, "D:AI(A;ID;FA;;;SY)(A;ID;FA;;;BA)(A;ID;0x1200a9;;;BU)", "none"},
        // An entry the player added in the file's Security tab.
        {"own_entry_and_inherited", false, "D:AI(A;;0x1301bf;;;" USER ")(A;ID;FA;;;SY)(A;ID;0x1200a9;;;BU)",
         "D:(A;;0x1301bf;;;" USER ")"},
        {"own_deny_entry_first", false, "D:AI(D;;0x116;;;BU)(A;ID;FA;;;SY)(A;ID;0x1200a9;;;BU)",
         "D:(D;;0x116;;;BU)"},
        // Inheritance switched off: the list as it is, protected.
        {"protected", false, "D:PAI(A;;FA;;;SY)(A;;FA;;;" USER ")", "D:P(A;;FA;;;SY)(A;;FA;;;" USER ")"},
        {"protected_and_empty", false, "D:P", "D:P"},
        // No list at all lets everyone do everything; nothing to keep.
        {"no_list", false, "D:NO_ACCESS_CONTROL", "none"},
        // Under Wine, lists exactly as Wine 8 gives them for these modes.
        {"wine_0600_or_0640", true, "D:(A;;FA;;;SY)(A;;FA;;;S-1-5-21-0-0-0-1000)", "D:"},
        {"wine_0644_or_0664", true, "D:(A;;FA;;;SY)(A;;FA;;;S-1-5-21-0-0-0-1000)(A;;0x1200a9;;;WD)",
         "D:(A;;FR;;;WD)"},
        {"wine_0666", true, "D:(A;;FA;;;SY)(A;;FA;;;S-1-5-21-0-0-0-1000)(A;;0x1301bf;;;WD)", "D:(A;;FRFW;;;WD)"},
        {"wine_0644_of_another_user", true, "D:(A;;FA;;;SY)(A;;FA;;;AN)(A;;0x1200a9;;;WD)", "D:(A;;FR;;;WD)"},
        {"wine_generic_rights", true, "D:(A;;GRGX;;;WD)", "D:(A;;FR;;;WD)"},
        {"wine_denied_writing", true, "D:(D;;FW;;;WD)(A;;0x1301bf;;;WD)", "D:(A;;FR;;;WD)"},
        {"wine_execute_only", true, "D:(A;;FX;;;WD)", "D:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Kept(c.old, c.rightsAreUnixMode), Written(c.kept));
    }
}

TEST(UsableFinalPath, OnlyDrivesAndShares) {
    const struct {
        const wchar_t* finalPath;
        bool usable;
    } cases[] = {
        {L"\\\\?\\C:\\Games\\Morrowind\\morrowind.ini", true},
        {L"\\\\?\\d:\\\u0418\u0433\u0440\u044B\\morrowind.ini", true},
        {L"\\\\?\\UNC\\server\\share\\Morrowind\\morrowind.ini", true},
        // Wine, for a file outside every drive: cutting "\\?\" would leave a
        // relative path.
        {L"\\\\?\\unix\\home\\player\\morrowind.ini", false},
        {L"\\\\?\\Volume{1b3b1146-4076-11e1-84aa-806e6f6e6963}\\Games\\morrowind.ini", false},
        {L"\\\\?\\GLOBALROOT\\Device\\HarddiskVolume2\\morrowind.ini", false},
        {L"\\\\?\\UNC\\server", false},
        {L"\\\\?\\UNC\\\\share\\morrowind.ini", false},
        {L"\\\\?\\C:", false},
        {L"C:\\Games\\morrowind.ini", false},
        {L"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case #" << (&c - cases));
        const std::optional<std::wstring> usable = UsableFinalPath(c.finalPath);
        EXPECT_EQ(usable.has_value(), c.usable);
        if (usable) {
            EXPECT_EQ(*usable, c.finalPath);
        }
    }
}

}  // namespace
