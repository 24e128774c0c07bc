#include "setup/folder_protection.h"

#include <windows.h>

#include "setup/folder_access.h"

namespace {

// Room for any SID: 15 sub-authorities.
const DWORD kSidRoom = SECURITY_MAX_SID_SIZE;
// A descriptor read back with up to a few dozen entries; a longer one is not judged and counts as
// changeable.
const DWORD kReadDescriptorRoom = 4096;

// What the folder passes down: every entry reaches the files and sub-folders made in it.
const BYTE kPassedDown = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;

// A SID under the NT authority (S-1-5-...) in a buffer of its own.
bool MakeNtSid(BYTE* pSid, BYTE nCount, DWORD dwFirst, DWORD dwSecond) {
    SID_IDENTIFIER_AUTHORITY nt = {SECURITY_NT_AUTHORITY};
    if (GetSidLengthRequired(nCount) > kSidRoom || !InitializeSid(pSid, &nt, nCount)) return false;
    *GetSidSubAuthority(pSid, 0) = dwFirst;
    if (nCount > 1) *GetSidSubAuthority(pSid, 1) = dwSecond;
    return true;
}

// The protected folder's descriptor, in fixed buffers that live as long as it is used.
struct ProtectedDescriptor {
    SECURITY_DESCRIPTOR descriptor;
    BYTE administrators[kSidRoom];
    BYTE system[kSidRoom];
    BYTE users[kSidRoom];
    // The list's header and its three entries take 76 bytes.
    DWORD acl[64];

    bool Build() {
        PACL pAcl = reinterpret_cast<PACL>(acl);
        // Protected: the entries that the drive's root passes down (which let users add to and
        // change what they made there) do not reach this folder.
        return MakeNtSid(administrators, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS) &&
               MakeNtSid(system, 1, SECURITY_LOCAL_SYSTEM_RID, 0) &&
               MakeNtSid(users, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS) &&
               InitializeAcl(pAcl, sizeof(acl), ACL_REVISION) &&
               AddAccessAllowedAceEx(pAcl, ACL_REVISION, kPassedDown, FILE_ALL_ACCESS, administrators) &&
               AddAccessAllowedAceEx(pAcl, ACL_REVISION, kPassedDown, FILE_ALL_ACCESS, system) &&
               AddAccessAllowedAceEx(pAcl, ACL_REVISION, kPassedDown, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE,
                                     users) &&
               InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
               SetSecurityDescriptorDacl(&descriptor, TRUE, pAcl, FALSE) &&
               SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
    }
};

}  // namespace

FolderProtection MakeProtectedFolder(const char* szFolder) {
    // The folder is made with its descriptor in one step: there is no moment in which it exists
    // with the protection of the root.
    ProtectedDescriptor protection;
    if (protection.Build()) {
        SECURITY_ATTRIBUTES attributes = {sizeof(attributes), &protection.descriptor, FALSE};
        if (CreateDirectoryA(szFolder, &attributes)) return kFolderMadeProtected;
    }
    if (GetFileAttributesA(szFolder) == INVALID_FILE_ATTRIBUTES) return kFolderNotMade;
    return OthersMayChangePath(szFolder) ? kFolderOthersMayChange : kFolderProtected;
}

bool OthersMayChangePath(const char* szPath) {
    DWORD buffer[kReadDescriptorRoom / sizeof(DWORD)];
    DWORD cbNeeded = 0;
    if (!GetFileSecurityA(szPath, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, buffer, sizeof(buffer),
                          &cbNeeded))
        return true;
    return OthersMayChangeDescriptor(buffer);
}

bool OthersMayChangeDescriptor(void* pDescriptor) {
    BOOL bPresent = FALSE, bDefaulted = FALSE;
    PACL pDacl = nullptr;
    PSID pOwner = nullptr;
    if (!GetSecurityDescriptorDacl(pDescriptor, &bPresent, &pDacl, &bDefaulted) ||
        !GetSecurityDescriptorOwner(pDescriptor, &pOwner, &bDefaulted))
        return true;
    // No list at all, like a NULL one, lets everyone in.
    if (!bPresent) pDacl = nullptr;
    DWORD cbOwner = pOwner != nullptr && IsValidSid(pOwner) ? GetLengthSid(pOwner) : 0;
    return OthersMayChange(reinterpret_cast<const unsigned char*>(pDacl), pDacl != nullptr ? pDacl->AclSize : 0,
                           cbOwner != 0 ? static_cast<const unsigned char*>(pOwner) : nullptr, cbOwner);
}
