#include "documents/android_strings_text.h"

#include "documents/ascii_classes.h"
#include "documents/office_package.h"
#include "documents/text_encoding.h"
#include "documents/translation_walk.h"
#include "documents/translation_xml.h"
#include "documents/unit_text.h"

namespace {

const char kXliffUri[] = "urn:oasis:names:tc:xliff:document:1.2";

bool IsNoNamespaceElement(const XmlReader& reader, const char* szLocal) {
    return reader.NamespaceUri().cbData == 0 && XmlSpanIs(reader.LocalName(), szLocal);
}

bool IsUntranslatable(const XmlReader& reader) {
    XmlSpan value;
    return reader.FindAttribute("", "translatable", &value) && XmlSpanIs(value, "false");
}

// The whole raw value (the decoded XML text of a unit) as Android reads it, onto unit.
bool PutAndroidValue(const GrowingBytes& raw, UnitText* pUnit) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(raw.Size() > 0 ? raw.Data() : "");
    size_t cb = raw.Size();
    // Quoted as a whole: the quotes go and the white space stays. The closing quote must not be
    // escaped (an odd run of backslashes before it).
    size_t nBackslashes = 0;
    while (cb >= 2 && nBackslashes + 2 < cb && p[cb - 2 - nBackslashes] == '\\') ++nBackslashes;
    bool bQuoted = cb >= 2 && p[0] == '"' && p[cb - 1] == '"' && nBackslashes % 2 == 0;
    if (bQuoted) {
        ++p;
        cb -= 2;
    }
    CodePointReader in(p, cb, kCodePageUtf8);
    bool bSpaceWaiting = false;
    for (uint32_t c = in.Next(); c != kEndOfText; c = in.Next()) {
        if (!bQuoted && IsXmlSpace(c)) {
            bSpaceWaiting = !pUnit->Empty();
            continue;
        }
        if (bSpaceWaiting && !pUnit->Add(' ')) return false;
        bSpaceWaiting = false;
        if (c == '\\') {
            uint32_t d = in.Next();
            if (d == kEndOfText) break;
            c = d == 'n' ? '\n' : d == 't' ? '\t' : d;
            if (d == 'u') {
                CodePointReader ahead = in;
                if (ReadUnicodeEscape(&ahead, 'u', &c)) in = ahead;
            }
        }
        if (!pUnit->Add(c)) return false;
    }
    return true;
}

}  // namespace

bool ReadAndroidStringsText(const char* pUtf8, size_t cbUtf8, DocumentText* pText) {
    TranslationXmlReader reader(pUtf8, cbUtf8, pText);
    GrowingBytes raw(pText->Kept());
    UnitText unit(pText);
    unsigned nUnitDepth = 0;
    TranslationWalk walk(&reader);
    for (XmlToken token = walk.Next(); token != XmlToken::kEndDocument; token = walk.Next()) {
        if (token == XmlToken::kError) return RefuseTranslationXml(reader, pText);
        if (pText->Refusal() != nullptr) return false;
        if (token == XmlToken::kStartElement) {
            unsigned nDepth = reader.Depth();
            if (nDepth == 1 && !IsNoNamespaceElement(reader, "resources"))
                return pText->Refuse("the file is not an Android string resource file (its root is not <resources>)");
            if (nDepth == 1) continue;
            if (nUnitDepth != 0) {
                // A placeholder and the example it holds are not text.
                if (XmlSpanIs(reader.NamespaceUri(), kXliffUri) && XmlSpanIs(reader.LocalName(), "g"))
                    walk.SkipElement();
                continue;
            }
            bool bUnit = (nDepth == 2 && IsNoNamespaceElement(reader, "string")) ||
                         (nDepth == 3 && IsNoNamespaceElement(reader, "item"));
            bool bList = nDepth == 2 && (IsNoNamespaceElement(reader, "plurals") || IsNoNamespaceElement(reader, "string-array"));
            if (IsUntranslatable(reader) || (!bUnit && !bList)) {
                walk.SkipElement();
            } else if (bUnit) {
                nUnitDepth = nDepth;
                raw.Clear();
            }
        } else if (token == XmlToken::kText) {
            if (nUnitDepth != 0 &&
                !AppendXmlValue(reader.Text(), reader.TextIsRaw() ? XmlValueKind::kRawText : XmlValueKind::kText, &raw, pText))
                return false;
        } else if (nUnitDepth != 0 && reader.Depth() == nUnitDepth) {
            nUnitDepth = 0;
            unit.Clear();
            if (!PutAndroidValue(raw, &unit)) return false;
            unit.PutParagraph();
        }
    }
    return pText->Refusal() == nullptr;
}
