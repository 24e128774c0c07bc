// The stored forms of registry values: every value is text; integers and flags are read from it.
// Plain functions, so the rules are tested natively as well as under Windows.
#pragma once
#include <stddef.h>

// A text of the program's registry values: at most 259 bytes and its terminator.
enum { kRegistryTextSize = 260 };

// Integer form: empty text gives nDefault; otherwise leading white space, an optional sign and the
// digits up to the first non-digit (no digits give 0). Values beyond 32 bits saturate.
int StoredTextToInt(const char* szStored, int nDefault);

// Flag form: empty text gives bDefault; otherwise on unless the first byte is '0'.
bool StoredTextToBool(const char* szStored, bool bDefault);

// "%d" of nValue into a buffer of at least 12 bytes.
void IntToStoredText(int nValue, char* szText);

// Makes the bytes a registry query left in a 260-byte buffer into a terminated text of at most 259
// bytes. Only string values are texts: nType is the stored type (1 REG_SZ, 2 REG_EXPAND_SZ) and
// nBytes how many bytes the query wrote. Returns false when the value is not a readable text: another
// type, or 260 bytes without a terminator (the text would not fit with its terminator).
bool StoredBytesToText(char* pBuffer, unsigned long nType, unsigned long nBytes);
