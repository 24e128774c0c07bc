#include "setup/folder_access.h"

#include <string.h>

#include "support/byte_fields.h"

namespace {

// Binary SIDs: revision 1, the count of sub-authorities, the 6-byte authority (big-endian), then
// each sub-authority as 4 bytes little-endian. All three lie under the NT authority (5).
const unsigned char kAdministratorsSid[] = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0};
const unsigned char kSystemSid[] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
// S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464: the service SID of
// TrustedInstaller, which owns the system's own files.
const unsigned char kTrustedInstallerSid[] = {1,    6,    0,    0,    0,    0,    0,    5,    80,   0,
                                              0,    0,    0xB5, 0x89, 0xFB, 0x38, 0x19, 0x84, 0xC2, 0xCB,
                                              0x5C, 0x6C, 0x23, 0x6D, 0x57, 0x00, 0x77, 0x6E, 0xC0, 0x02,
                                              0x64, 0x87};

const size_t kSidHeaderSize = 8;
const size_t kMaxSubAuthorities = 15;
const size_t kAclHeaderSize = 8;
const size_t kAceHeaderSize = 4;

// ACE types that allow: the plain entry and its callback form name their SID right after the
// mask; object and compound entries name theirs elsewhere.
const unsigned char kAccessAllowed = 0x00;
const unsigned char kAccessAllowedCompound = 0x04;
const unsigned char kAccessAllowedObject = 0x05;
const unsigned char kAccessAllowedCallback = 0x09;
const unsigned char kAccessAllowedCallbackObject = 0x0B;

// The length of the SID at pSid, which has cbRoom bytes; 0 when it is not a whole SID.
size_t SidLength(const unsigned char* pSid, size_t cbRoom) {
    if (cbRoom < kSidHeaderSize || pSid[0] != 1 || pSid[1] > kMaxSubAuthorities) return 0;
    size_t cbSid = kSidHeaderSize + 4u * pSid[1];
    return cbSid <= cbRoom ? cbSid : 0;
}

bool SameSid(const unsigned char* pSid, size_t cbSid, const unsigned char* pKnown, size_t cbKnown) {
    return cbSid == cbKnown && memcmp(pSid, pKnown, cbKnown) == 0;
}

}  // namespace

bool IsTrustedAccountSid(const unsigned char* pSid, size_t cbSid) {
    if (pSid == nullptr) return false;
    size_t cbWhole = SidLength(pSid, cbSid);
    if (cbWhole == 0) return false;
    return SameSid(pSid, cbWhole, kAdministratorsSid, sizeof(kAdministratorsSid)) ||
           SameSid(pSid, cbWhole, kSystemSid, sizeof(kSystemSid)) ||
           SameSid(pSid, cbWhole, kTrustedInstallerSid, sizeof(kTrustedInstallerSid));
}

bool OthersMayChange(const unsigned char* pAcl, size_t cbAcl, const unsigned char* pOwnerSid, size_t cbOwnerSid) {
    // The owner may change the access list whatever it says.
    if (!IsTrustedAccountSid(pOwnerSid, cbOwnerSid)) return true;
    // No access list at all lets everyone do everything.
    if (pAcl == nullptr || cbAcl < kAclHeaderSize) return true;
    size_t cbUsed = ReadField16(pAcl + 2);
    unsigned nAces = ReadField16(pAcl + 4);
    if (cbUsed < kAclHeaderSize || cbUsed > cbAcl) return true;
    size_t nAt = kAclHeaderSize;
    for (unsigned i = 0; i < nAces; ++i) {
        if (cbUsed - nAt < kAceHeaderSize) return true;
        const unsigned char* pAce = pAcl + nAt;
        unsigned char nType = pAce[0];
        size_t cbAce = ReadField16(pAce + 2);
        if (cbAce < kAceHeaderSize || cbAce > cbUsed - nAt) return true;
        nAt += cbAce;
        bool bAllows = nType == kAccessAllowed || nType == kAccessAllowedCallback || nType == kAccessAllowedObject ||
                       nType == kAccessAllowedCompound || nType == kAccessAllowedCallbackObject;
        if (!bAllows) continue;
        if (cbAce < kAceHeaderSize + 4) return true;
        if ((ReadField32(pAce + kAceHeaderSize) & kChangingAccess) == 0) continue;
        // A right that changes: acceptable only for a trusted account named in the plain form.
        if (nType != kAccessAllowed && nType != kAccessAllowedCallback) return true;
        const unsigned char* pSid = pAce + kAceHeaderSize + 4;
        size_t cbRoom = cbAce - kAceHeaderSize - 4;
        if (!IsTrustedAccountSid(pSid, cbRoom)) return true;
    }
    return false;
}
