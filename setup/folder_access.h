// Who may change a folder, judged from its security descriptor's parts as the system stores them:
// the access list (ACL) and the owner's SID, both in their binary self-relative form. Plain code
// with no platform calls, so that the judging is tested on any machine.
//
// A folder that every user's logon starts a program from must be changeable by administrators
// alone: anyone else who may write, append, delete or change its protection could swap the program.
#pragma once
#include <stddef.h>
#include <stdint.h>

// The access rights that let an account change a folder or the files in it: write, append (add a
// file or a sub-folder), delete, delete a child, change the access list or the owner, and the
// generic rights that include them.
const uint32_t kChangingAccess = 0x00000002u      // FILE_WRITE_DATA, FILE_ADD_FILE
                                 | 0x00000004u    // FILE_APPEND_DATA, FILE_ADD_SUBDIRECTORY
                                 | 0x00000040u    // FILE_DELETE_CHILD
                                 | 0x00010000u    // DELETE
                                 | 0x00040000u    // WRITE_DAC
                                 | 0x00080000u    // WRITE_OWNER
                                 | 0x10000000u    // GENERIC_ALL
                                 | 0x40000000u;   // GENERIC_WRITE

// Whether a binary SID is one of the accounts a protected folder may leave changes to:
// Administrators (S-1-5-32-544), SYSTEM (S-1-5-18) or TrustedInstaller (S-1-5-80-956008885-...).
bool IsTrustedAccountSid(const unsigned char* pSid, size_t cbSid);

// Whether anyone but those accounts may change the folder: a NULL access list (pAcl null), an
// allowing entry for any other SID with a right of kChangingAccess (entries that only pass down to
// files and sub-folders included, since the program's files inherit them), or another owner (the
// owner may always change the access list). An access list or owner that cannot be read in full
// (pOwnerSid null, or sizes beyond the bytes given) counts as changeable: the judging fails safe.
// Denying entries are not weighed; an allowing entry of a kind that names its account in another
// form (object or compound entries) counts when it grants a right of kChangingAccess.
bool OthersMayChange(const unsigned char* pAcl, size_t cbAcl, const unsigned char* pOwnerSid, size_t cbOwnerSid);
