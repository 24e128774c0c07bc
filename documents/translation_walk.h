// What the readers of translation files walk their XML with, past what TranslationXmlReader gives:
// whole subtrees left out, the part each open element plays in the text inside it (inline codes
// and the text they wrap), attribute values compared as decoded, and a unit's text put once its
// end shows whether it counts.
#pragma once
#include <stddef.h>
#include <string.h>

#include "documents/growing_array.h"
#include "documents/translation_xml.h"

// The reader's tokens, with the subtree of a start token left out on request (its errors still
// come through).
class TranslationWalk {
public:
    explicit TranslationWalk(XmlReader* pReader) : pReader(pReader), nSkipDepth(0) {}
    // Inline: the walk takes every token of a file through it.
    XmlToken Next() {
        for (;;) {
            XmlToken token = pReader->Next();
            if (nSkipDepth == 0 || token == XmlToken::kError || token == XmlToken::kEndDocument) return token;
            if (token == XmlToken::kEndElement && pReader->Depth() == nSkipDepth) nSkipDepth = 0;
        }
    }
    void SkipElement() { nSkipDepth = pReader->Depth(); }

private:
    XmlReader* pReader;
    unsigned nSkipDepth;  // 0, or the depth of the element being left out
};

// What an element makes of the text it holds: none counts, it counts, or it is a native code,
// whose own text does not count but whose sub-flows' (sub elements') text does.
enum class TextRole : unsigned char { kOff, kText, kCode };

// How an inline element of a translation format treats the text inside it.
enum class InlineKind {
    kWrapper,   // g, pc, hi, an ordinary mrk: its content is the text's
    kNothing,   // x, bx, ex, sc, ec, a protected or untranslatable mrk: nothing inside counts
    kCode,      // bpt, ept, ph, it, ut: native code
    kSubFlow    // sub: text again inside a code
};

// The role of every open element, by depth (the root is 1); outside them nothing counts.
class TextRoles {
public:
    TextRoles() { roles[0] = TextRole::kOff; }
    // For a start token at nDepth: its role, or that of an inline element of this kind.
    void Set(unsigned nDepth, TextRole role) { roles[nDepth] = role; }
    void SetInline(unsigned nDepth, InlineKind kind);
    void Inherit(unsigned nDepth) { roles[nDepth] = roles[nDepth - 1]; }
    // For a text token, whose depth is that of the element around it.
    bool Counts(unsigned nDepth) const { return roles[nDepth] == TextRole::kText; }

private:
    TextRole roles[kXmlMaxDepth + 1];
};

// A format's rules for the pass below: what its start and end tokens do, by depth, and where the
// text that counts goes (false: memory failed, the text is refused).
class TranslationXmlRules {
public:
    virtual void StartElement(unsigned nDepth) = 0;
    virtual void EndElement(unsigned nDepth) = 0;
    virtual bool TakeText() = 0;

protected:
    ~TranslationXmlRules() {}
};

// The pass every reader of translation XML makes: each start and end token to the rules, each text
// token where the roles say it counts to TakeText. False with the reason when the XML fails.
bool WalkTranslationXml(const XmlReader& reader, TranslationWalk* pWalk, const TextRoles& roles,
                        TranslationXmlRules* pRules, DocumentText* pText);

// Whether a raw attribute value decodes to szValue, ASCII letter case aside.
bool XmlValueIs(XmlSpan rawValue, const char* szValue);
// Whether the start token has the attribute (namespace URI, "" for none) and it is szValue so.
bool AttributeIs(const XmlReader& reader, XmlSpan uri, XmlSpan local, const char* szValue);
// Inline: with literals, as the readers call it, the lengths are constants.
inline bool AttributeIs(const XmlReader& reader, const char* szUri, const char* szLocal, const char* szValue) {
    return AttributeIs(reader, XmlSpan{szUri, strlen(szUri)}, XmlSpan{szLocal, strlen(szLocal)}, szValue);
}
// The decoded value of the attribute into *pValue (emptied first); false when absent, or when
// memory fails, which refuses the text.
bool AttributeValue(const XmlReader& reader, XmlSpan uri, XmlSpan local, GrowingBytes* pValue, DocumentText* pText);
inline bool AttributeValue(const XmlReader& reader, const char* szUri, const char* szLocal, GrowingBytes* pValue,
                           DocumentText* pText) {
    return AttributeValue(reader, XmlSpan{szUri, strlen(szUri)}, XmlSpan{szLocal, strlen(szLocal)}, pValue, pText);
}
// Whether two byte strings are the same, ASCII letter case aside (language codes).
bool SameLetters(const char* pFirst, size_t cbFirst, const char* pSecond, size_t cbSecond);

// Adds the text token's decoded text to pOut; false, the text refused, when memory fails.
bool AppendXmlText(const XmlReader& reader, GrowingBytes* pOut, DocumentText* pText);
// Whether the text holds anything but XML white space: a translation that does not is none.
bool HasText(const char* pUtf8, size_t cbUtf8);
// A unit's text as one paragraph.
void PutUnit(const char* pUtf8, size_t cbUtf8, DocumentText* pText);
// On the target side, a unit's translation: its paragraph when it has text, else it is noted as
// untranslated.
void PutTranslation(const char* pUtf8, size_t cbUtf8, DocumentText* pText);
