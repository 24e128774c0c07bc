// HTML's character references (&amp; &#233; &#x1F600;), read as browsers read them, from the table
// scripts/make_html_entities.py writes at build time.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "documents/text_encoding.h"

struct HtmlEntity {
    uint16_t offName;  // into achHtmlEntityNames; the name ends where the next entry's begins
    uint16_t nSecond;  // the second code point, or 0
    uint32_t nFirst;
};
// The table as the generated file holds it: deflated, in the columns make_html_entities.py tells.
extern const unsigned char kHtmlEntitiesDeflated[];
extern const size_t kcbHtmlEntitiesDeflated;
extern const size_t kcbHtmlEntityColumns;
extern const uint16_t kHtmlEntitySeconds[];
// The table FindHtmlEntity searches, inflated into these on first use: the names sorted bytewise,
// with one entry past the last that closes its name.
extern char achHtmlEntityNames[];
extern HtmlEntity aHtmlEntities[];
extern const size_t kHtmlEntityCount;
const size_t kMaxHtmlEntityName = 32;  // "CounterClockwiseContourIntegral;"

// Makes the table, the first time; false when memory fails. Every other function here wants it made.
bool MakeHtmlEntityTable();

// The code points of a name, its ';' included where it has one; false when HTML has no such name.
bool FindHtmlEntity(const char* pName, size_t cbName, uint32_t* pnFirst, uint32_t* pnSecond);

// Reads a character reference right after its '&' and moves *pIn past it; false, leaving *pIn
// where it was, when the text there is not one (the '&' is then text). In an attribute value a
// name without ';' is text when a letter, a digit or '=' follows, as browsers read it. *pnSecond
// is 0 unless the reference stands for two code points.
bool ReadCharacterReference(CodePointReader* pIn, bool bInAttribute, uint32_t* pnFirst, uint32_t* pnSecond);
