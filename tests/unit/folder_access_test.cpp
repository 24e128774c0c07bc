#include "setup/folder_access.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

namespace {

typedef std::vector<unsigned char> Bytes;

// A binary SID from its text form "S-1-<authority>-<sub>-...", written out here independently of
// the judge's own tables.
Bytes Sid(const std::string& text) {
    std::vector<unsigned long long> numbers;
    size_t nAt = 2;  // after "S-"
    while (nAt <= text.size()) {
        size_t nEnd = text.find('-', nAt);
        if (nEnd == std::string::npos) nEnd = text.size();
        numbers.push_back(strtoull(text.substr(nAt, nEnd - nAt).c_str(), nullptr, 10));
        nAt = nEnd + 1;
    }
    Bytes sid = {static_cast<unsigned char>(numbers[0]), static_cast<unsigned char>(numbers.size() - 2)};
    for (int nShift = 40; nShift >= 0; nShift -= 8) sid.push_back(static_cast<unsigned char>(numbers[1] >> nShift));
    for (size_t i = 2; i < numbers.size(); ++i)
        for (int nShift = 0; nShift < 32; nShift += 8) sid.push_back(static_cast<unsigned char>(numbers[i] >> nShift));
    return sid;
}

const std::string kAdministrators = "S-1-5-32-544";
const std::string kSystem = "S-1-5-18";
const std::string kTrustedInstaller = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
const std::string kUsers = "S-1-5-32-545";
const std::string kAuthenticatedUsers = "S-1-5-11";
const std::string kEveryone = "S-1-1-0";
const std::string kCreatorOwner = "S-1-3-0";
const std::string kSomeUser = "S-1-5-21-1004336348-1177238915-682003330-1001";

const unsigned char kAllowed = 0, kDenied = 1, kAllowedObject = 5, kAllowedCallback = 9;
const unsigned char kObjectAndContainerInherit = 0x03, kInheritOnly = 0x08;
const uint32_t kFullControl = 0x001F01FF, kReadAndRun = 0x001200A9, kModify = 0x001301BF;

struct Ace {
    unsigned char nType;
    unsigned char nFlags;
    uint32_t dwMask;
    Bytes sid;
    Bytes tail;  // bytes after the SID: a callback entry's data, or room left over
};

void Put16(Bytes* pBytes, size_t nAt, size_t nValue) {
    (*pBytes)[nAt] = static_cast<unsigned char>(nValue);
    (*pBytes)[nAt + 1] = static_cast<unsigned char>(nValue >> 8);
}

// An access list as the system stores it: revision 2, its size, the count, then each entry.
Bytes Acl(const std::vector<Ace>& aces) {
    Bytes acl(8, 0);
    acl[0] = 2;
    for (const Ace& ace : aces) {
        size_t nAt = acl.size();
        acl.insert(acl.end(), {ace.nType, ace.nFlags, 0, 0});
        for (int nShift = 0; nShift < 32; nShift += 8) acl.push_back(static_cast<unsigned char>(ace.dwMask >> nShift));
        acl.insert(acl.end(), ace.sid.begin(), ace.sid.end());
        acl.insert(acl.end(), ace.tail.begin(), ace.tail.end());
        Put16(&acl, nAt + 2, acl.size() - nAt);
    }
    Put16(&acl, 2, acl.size());
    Put16(&acl, 4, aces.size());
    return acl;
}

Ace Allow(const std::string& sid, uint32_t dwMask, unsigned char nFlags = kObjectAndContainerInherit) {
    return Ace{kAllowed, nFlags, dwMask, Sid(sid), {}};
}

// The install folder's own list: administrators and the system change it, users read and run.
std::vector<Ace> ProtectedAces() {
    return {Allow(kAdministrators, kFullControl), Allow(kSystem, kFullControl), Allow(kUsers, kReadAndRun)};
}

bool Changeable(const Bytes& acl, const std::string& owner = kAdministrators) {
    Bytes ownerSid = Sid(owner);
    return OthersMayChange(acl.data(), acl.size(), ownerSid.data(), ownerSid.size());
}

}  // namespace

TEST(FolderAccess, SidsAreWrittenAsTheSystemWritesThem) {
    // The test's own SID writer against a SID's well-known bytes.
    EXPECT_EQ((Bytes{1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0}), Sid(kAdministrators));
    EXPECT_EQ((Bytes{1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}), Sid(kEveryone));
}

TEST(FolderAccess, OnlyTheThreeTrustedAccountsAreTrusted) {
    for (const std::string& trusted : {kAdministrators, kSystem, kTrustedInstaller}) {
        Bytes sid = Sid(trusted);
        EXPECT_TRUE(IsTrustedAccountSid(sid.data(), sid.size())) << trusted;
        sid.push_back(0);  // room beyond the SID does not matter
        EXPECT_TRUE(IsTrustedAccountSid(sid.data(), sid.size())) << trusted << " with room to spare";
        EXPECT_FALSE(IsTrustedAccountSid(sid.data(), sid.size() - 2)) << trusted << " cut short";
    }
    // Near misses: another last number, another authority, another count, another revision.
    for (const std::string& other :
         {kUsers, kAuthenticatedUsers, kEveryone, kCreatorOwner, kSomeUser, std::string("S-1-5-32-543"),
          std::string("S-1-4-18"), std::string("S-1-5-18-0"), std::string("S-1-5-32"),
          std::string("S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478465"),
          std::string("S-2-5-32-544")}) {
        Bytes sid = Sid(other);
        EXPECT_FALSE(IsTrustedAccountSid(sid.data(), sid.size())) << other;
    }
    EXPECT_FALSE(IsTrustedAccountSid(nullptr, 16));
}

TEST(FolderAccess, TheProtectedListOwnedByATrustedAccountIsSafe) {
    Bytes acl = Acl(ProtectedAces());
    for (const std::string& owner : {kAdministrators, kSystem, kTrustedInstaller})
        EXPECT_FALSE(Changeable(acl, owner)) << "owned by " << owner;
    EXPECT_FALSE(Changeable(Acl({}))) << "an empty list lets nobody in";
    EXPECT_FALSE(Changeable(Acl({Allow(kTrustedInstaller, kFullControl), Allow(kEveryone, kReadAndRun),
                                 Allow(kAuthenticatedUsers, 0x80000000u | 0x20000000u)})))
        << "generic read and execute for others";
}

TEST(FolderAccess, AnyOtherOwnerMayChangeIt) {
    Bytes acl = Acl(ProtectedAces());
    for (const std::string& owner : {kSomeUser, kUsers, kEveryone, kCreatorOwner})
        EXPECT_TRUE(Changeable(acl, owner)) << "owned by " << owner;
    EXPECT_TRUE(OthersMayChange(acl.data(), acl.size(), nullptr, 0)) << "no owner";
}

TEST(FolderAccess, ANullListLetsEveryoneChangeIt) {
    Bytes owner = Sid(kAdministrators);
    EXPECT_TRUE(OthersMayChange(nullptr, 0, owner.data(), owner.size()));
}

TEST(FolderAccess, EachChangingRightForAnyOtherAccountIsFound) {
    const uint32_t rights[] = {0x2,     0x4,     0x40,       0x10000,    0x40000, 0x80000,
                               0x10000000, 0x40000000, kFullControl, kModify};
    for (const std::string& other : {kEveryone, kUsers, kAuthenticatedUsers, kSomeUser, kCreatorOwner}) {
        for (uint32_t dwRight : rights) {
            std::vector<Ace> aces = ProtectedAces();
            aces.push_back(Allow(other, dwRight | kReadAndRun));
            EXPECT_TRUE(Changeable(Acl(aces))) << other << " granted 0x" << std::hex << dwRight;
            // The same right for a trusted account changes nothing.
            aces.back().sid = Sid(kSystem);
            EXPECT_FALSE(Changeable(Acl(aces))) << "SYSTEM granted 0x" << std::hex << dwRight;
        }
    }
    // Rights that change no file: reading, running, attributes, extended attributes, the list read.
    for (uint32_t dwRight : {kReadAndRun, 0x00000100u, 0x00000010u, 0x00020000u, 0x00100000u, 0x80000000u})
        EXPECT_FALSE(Changeable(Acl({Allow(kEveryone, dwRight)}))) << "0x" << std::hex << dwRight;
}

TEST(FolderAccess, EntriesThatOnlyPassDownCountAndDenyingOnesAreNotWeighed) {
    // Whatever is passed down reaches the program's files made in the folder.
    std::vector<Ace> aces = ProtectedAces();
    aces.push_back(Allow(kAuthenticatedUsers, kModify, kInheritOnly | kObjectAndContainerInherit));
    EXPECT_TRUE(Changeable(Acl(aces)));
    aces.back() = Allow(kCreatorOwner, kFullControl, kInheritOnly | kObjectAndContainerInherit);
    EXPECT_TRUE(Changeable(Acl(aces)));
    // A denying entry grants nothing; one in front of a grant does not make the grant safe.
    aces = ProtectedAces();
    aces.push_back(Ace{kDenied, 0, kFullControl, Sid(kEveryone), {}});
    EXPECT_FALSE(Changeable(Acl(aces)));
    aces.push_back(Allow(kEveryone, kModify));
    EXPECT_TRUE(Changeable(Acl(aces)));
}

TEST(FolderAccess, OtherKindsOfAllowingEntries) {
    // A callback entry names its SID as the plain one does, with data after it.
    Ace callback{kAllowedCallback, 0, kModify, Sid(kEveryone), {1, 2, 3, 4}};
    EXPECT_TRUE(Changeable(Acl({callback})));
    callback.sid = Sid(kAdministrators);
    EXPECT_FALSE(Changeable(Acl({callback})));
    // An object entry names its account elsewhere: any changing right it grants counts.
    Ace object{kAllowedObject, 0, 0x2, Bytes(4, 0), Sid(kAdministrators)};
    EXPECT_TRUE(Changeable(Acl({object})));
    object.dwMask = kReadAndRun;
    EXPECT_FALSE(Changeable(Acl({object})));
}

TEST(FolderAccess, AListThatCannotBeReadInFullCountsAsChangeable) {
    Bytes acl = Acl(ProtectedAces());
    Bytes owner = Sid(kAdministrators);
    ASSERT_FALSE(OthersMayChange(acl.data(), acl.size(), owner.data(), owner.size()));
    // The bytes given end before the list does, at every length.
    for (size_t n = 0; n < acl.size(); ++n)
        EXPECT_TRUE(OthersMayChange(acl.data(), n, owner.data(), owner.size())) << n << " of " << acl.size() << " bytes";
    // Room beyond the list's own size is not read.
    Bytes roomy = acl;
    roomy.insert(roomy.end(), {0, 0, 0xFF, 0xFF});
    EXPECT_FALSE(OthersMayChange(roomy.data(), roomy.size(), owner.data(), owner.size()));

    Bytes bad = acl;
    Put16(&bad, 4, 4);  // one entry more than there is
    EXPECT_TRUE(Changeable(bad)) << "count beyond the list";
    bad = acl;
    Put16(&bad, 2, 7);  // a size below the header's
    EXPECT_TRUE(Changeable(bad)) << "size below the header";
    bad = acl;
    Put16(&bad, 8 + 2, 0);  // an entry of no length
    EXPECT_TRUE(Changeable(bad)) << "entry of size 0";
    bad = acl;
    Put16(&bad, 8 + 2, acl.size());  // an entry running past the list
    EXPECT_TRUE(Changeable(bad)) << "entry beyond the list";
    Bytes shortAce = {2, 0, 0, 0, 1, 0, 0, 0, kAllowed, 0, 6, 0, 0xFF, 0xFF};
    Put16(&shortAce, 2, shortAce.size());
    EXPECT_TRUE(Changeable(shortAce)) << "allowing entry without a whole mask";
    // A changing grant whose SID claims more sub-authorities than its entry holds.
    Ace torn = Allow(kAdministrators, kFullControl);
    torn.sid[1] = 3;
    EXPECT_TRUE(Changeable(Acl({torn})));
}
