#include "platform/replace_file_win32.h"

namespace {

// A self-relative security descriptor holding dacl, protected or not.
std::vector<unsigned char> DescriptorWith(PACL dacl, bool isProtected) {
    SECURITY_DESCRIPTOR absolute;
    if (!InitializeSecurityDescriptor(&absolute, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&absolute, TRUE, dacl, FALSE) ||
        (isProtected && !SetSecurityDescriptorControl(&absolute, SE_DACL_PROTECTED, SE_DACL_PROTECTED))) {
        return {};
    }
    DWORD size = 0;
    MakeSelfRelativeSD(&absolute, nullptr, &size);
    std::vector<unsigned char> descriptor(size);
    if (size == 0 || !MakeSelfRelativeSD(&absolute, descriptor.data(), &size)) return {};
    return descriptor;
}

// An ACL of the given entries, in their order.
std::vector<unsigned char> AclOf(const std::vector<const ACE_HEADER*>& entries, BYTE revision) {
    DWORD size = sizeof(ACL);
    for (const ACE_HEADER* entry : entries) size += entry->AceSize;
    // An ACL is DWORD-aligned.
    size = (size + sizeof(DWORD) - 1) & ~static_cast<DWORD>(sizeof(DWORD) - 1);
    std::vector<unsigned char> acl(size);
    auto* list = reinterpret_cast<PACL>(acl.data());
    if (!InitializeAcl(list, size, revision)) return {};
    for (const ACE_HEADER* entry : entries) {
        if (!AddAce(list, revision, MAXDWORD, const_cast<ACE_HEADER*>(entry), entry->AceSize)) return {};
    }
    return acl;
}

// The well-known SID of everyone (S-1-1-0).
class EveryoneSid {
public:
    EveryoneSid() : valid_(CreateWellKnownSid(WinWorldSid, nullptr, sid_, &size_) != FALSE) {}
    bool IsValid() const { return valid_; }
    PSID Get() { return sid_; }
    bool Is(PSID sid) { return valid_ && IsValidSid(sid) && EqualSid(sid, sid_); }

private:
    BYTE sid_[SECURITY_MAX_SID_SIZE] = {};
    DWORD size_ = sizeof sid_;
    bool valid_;
};

// Under Wine: a list granting everyone what list grants everyone of reading
// and writing the file's data, and nothing else.
std::vector<unsigned char> EveryonesReadingAndWriting(PACL list) {
    EveryoneSid everyone;
    if (!everyone.IsValid()) return {};
    GENERIC_MAPPING fileMapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    ACCESS_MASK allowed = 0;
    ACCESS_MASK denied = 0;
    for (DWORD i = 0; i < list->AceCount; ++i) {
        void* entry = nullptr;
        if (!GetAce(list, i, &entry)) return {};
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if (header->AceFlags & INHERIT_ONLY_ACE) continue;
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_DENIED_ACE_TYPE) continue;
        // Both types are laid out alike: the header, the mask, the SID.
        auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        if (!everyone.Is(&ace->SidStart)) continue;
        ACCESS_MASK mask = ace->Mask;
        MapGenericMask(&mask, &fileMapping);
        (header->AceType == ACCESS_ALLOWED_ACE_TYPE ? allowed : denied) |= mask;
    }
    const ACCESS_MASK granted = allowed & ~denied;
    ACCESS_MASK kept = 0;
    if (granted & FILE_READ_DATA) kept |= FILE_GENERIC_READ;
    if (granted & (FILE_WRITE_DATA | FILE_APPEND_DATA)) kept |= FILE_GENERIC_WRITE;

    // When everyone is granted nothing the list is empty: Wine makes that a
    // mode of 0, to which the owner's reading and writing are added later.
    const DWORD size = sizeof(ACL) + (kept ? sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(everyone.Get()) : 0);
    std::vector<unsigned char> acl((size + sizeof(DWORD) - 1) & ~static_cast<DWORD>(sizeof(DWORD) - 1));
    auto* result = reinterpret_cast<PACL>(acl.data());
    if (!InitializeAcl(result, static_cast<DWORD>(acl.size()), ACL_REVISION) ||
        (kept && !AddAccessAllowedAce(result, ACL_REVISION, kept, everyone.Get()))) {
        return {};
    }
    return DescriptorWith(result, false);
}

}  // namespace

std::vector<unsigned char> AccessListToKeep(PSECURITY_DESCRIPTOR old, bool rightsAreUnixMode) {
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL list = nullptr;
    // No list at all (a file system without access rights, or a list that
    // lets everyone do everything): nothing to keep.
    if (!old || !GetSecurityDescriptorDacl(old, &present, &list, &defaulted) || !present || !list) return {};
    if (rightsAreUnixMode) return EveryonesReadingAndWriting(list);

    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (!GetSecurityDescriptorControl(old, &control, &revision)) return {};
    const bool isProtected = (control & SE_DACL_PROTECTED) != 0;
    std::vector<const ACE_HEADER*> kept;
    for (DWORD i = 0; i < list->AceCount; ++i) {
        void* entry = nullptr;
        if (!GetAce(list, i, &entry)) return {};
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if (isProtected || !(header->AceFlags & INHERITED_ACE)) kept.push_back(header);
    }
    if (kept.empty() && !isProtected) return {};
    std::vector<unsigned char> acl = AclOf(kept, list->AclRevision);
    if (acl.empty()) return {};
    return DescriptorWith(reinterpret_cast<PACL>(acl.data()), isProtected);
}

std::optional<std::wstring> UsableFinalPath(std::wstring_view finalPath) {
    constexpr std::wstring_view Prefix = L"\\\\?\\";
    constexpr std::wstring_view Unc = L"\\\\?\\UNC\\";
    if (finalPath.substr(0, Unc.size()) == Unc) {
        // A server and a share, each named, before the rest.
        const std::wstring_view rest = finalPath.substr(Unc.size());
        const std::size_t server = rest.find(L'\\');
        if (server == 0 || server == std::wstring_view::npos || server + 1 >= rest.size() ||
            rest[server + 1] == L'\\') {
            return std::nullopt;
        }
        return std::wstring(finalPath);
    }
    if (finalPath.substr(0, Prefix.size()) != Prefix || finalPath.size() < Prefix.size() + 3) return std::nullopt;
    const wchar_t drive = finalPath[Prefix.size()];
    const bool isLetter = (drive >= L'A' && drive <= L'Z') || (drive >= L'a' && drive <= L'z');
    if (!isLetter || finalPath[Prefix.size() + 1] != L':' || finalPath[Prefix.size() + 2] != L'\\') {
        return std::nullopt;
    }
    return std::wstring(finalPath);
}
