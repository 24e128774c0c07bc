// TMX 1.1 to 1.4. A variant's language is its xml:lang, or TMX 1.1's lang; with srclang="*all*"
// (or no srclang) the source is each unit's first variant. Of several variants in the source
// language, the first is the source.
#include "documents/tmx_text.h"

#include <string.h>

#include "documents/translation_walk.h"

namespace {

class TmxReader : public TranslationXmlRules {
public:
    TmxReader(const char* pUtf8, size_t cbUtf8, DocumentText* pText)
        : reader(pUtf8, cbUtf8, pText), walk(&reader), pText(pText), sourceLanguage(pText->Kept()),
          language(pText->Kept()), segment(pText->Kept()) {
        const char* szChosen = pText->Translation().szLanguage;
        bTarget = pText->Translation().side == TranslationSide::kTarget;
        if (bTarget && szChosen != nullptr) cbChosen = strlen(szChosen);
        pChosen = szChosen;
    }
    bool Read() { return WalkTranslationXml(reader, &walk, roles, this, pText); }
    void StartElement(unsigned nDepth) override;
    void EndElement(unsigned nDepth) override;
    bool TakeText() override { return nSegmentDepth == 0 || AppendXmlText(reader, &segment, pText); }

private:
    bool VariantCounts();

    TranslationXmlReader reader;
    TranslationWalk walk;
    DocumentText* pText;
    bool bTarget;
    const char* pChosen;
    size_t cbChosen = 0;
    TextRoles roles;
    GrowingBytes sourceLanguage;  // the header's srclang
    bool bAllSources = true;      // srclang="*all*", or none given
    GrowingBytes language;        // the variant's
    unsigned nUnitDepth = 0;
    bool bVariantSeen = false;  // in the unit so far
    bool bSourceTaken = false;
    unsigned nTranslations = 0;  // variants of the unit that counted, on the target side
    unsigned nVariantDepth = 0;  // the variant that counts, or 0
    unsigned nSegmentDepth = 0;
    GrowingBytes segment;
};

bool TmxReader::VariantCounts() {
    if (!AttributeValue(reader, kXmlNamespaceUri, "lang", &language, pText))
        AttributeValue(reader, "", "lang", &language, pText);
    bool bFirst = !bVariantSeen;
    bVariantSeen = true;
    bool bSource = bAllSources ? bFirst
                               : SameLetters(language.Data(), language.Size(), sourceLanguage.Data(),
                                             sourceLanguage.Size());
    if (!bTarget) {
        if (!bSource || bSourceTaken) return false;
        bSourceTaken = true;
        return true;
    }
    return !bSource && (cbChosen == 0 || SameLetters(language.Data(), language.Size(), pChosen, cbChosen));
}

void TmxReader::StartElement(unsigned nDepth) {
    roles.Inherit(nDepth);
    XmlSpan local = reader.LocalName();
    if (reader.NamespaceUri().cbData > 0) return;  // TMX has no namespace: another vocabulary's
    if (nSegmentDepth != 0) {
        if (XmlSpanIs(local, "sub")) roles.SetInline(nDepth, InlineKind::kSubFlow);
        else if (XmlSpanIs(local, "bpt") || XmlSpanIs(local, "ept") || XmlSpanIs(local, "it") ||
                 XmlSpanIs(local, "ph") || XmlSpanIs(local, "ut"))
            roles.SetInline(nDepth, InlineKind::kCode);
        return;  // hi: its content is the text's
    }
    if (XmlSpanIs(local, "note") || XmlSpanIs(local, "prop")) {
        walk.SkipElement();
    } else if (XmlSpanIs(local, "header") && nUnitDepth == 0) {
        if (AttributeValue(reader, "", "srclang", &sourceLanguage, pText))
            bAllSources = sourceLanguage.Empty() || BytesAre(sourceLanguage, "*all*");
    } else if (XmlSpanIs(local, "tu") && nUnitDepth == 0) {
        nUnitDepth = nDepth;
        bVariantSeen = false;
        bSourceTaken = false;
        nTranslations = 0;
    } else if (XmlSpanIs(local, "tuv") && nUnitDepth != 0 && nVariantDepth == 0) {
        if (!VariantCounts()) return walk.SkipElement();
        nVariantDepth = nDepth;
    } else if (XmlSpanIs(local, "seg") && nVariantDepth != 0) {
        nSegmentDepth = nDepth;
        segment.Clear();
        roles.Set(nDepth, TextRole::kText);
    }
}

void TmxReader::EndElement(unsigned nDepth) {
    if (nDepth == nSegmentDepth) {
        nSegmentDepth = 0;
        if (!bTarget) {
            PutUnit(segment.Data(), segment.Size(), pText);
        } else if (HasText(segment.Data(), segment.Size())) {
            PutUnit(segment.Data(), segment.Size(), pText);
            ++nTranslations;
        }
    } else if (nDepth == nVariantDepth) {
        nVariantDepth = 0;
    } else if (nDepth == nUnitDepth) {
        nUnitDepth = 0;
        if (bTarget && nTranslations == 0) pText->NoteUntranslated();
    }
}

}  // namespace

bool ReadTmxText(const char* pUtf8, size_t cbUtf8, DocumentText* pText) {
    return TmxReader(pUtf8, cbUtf8, pText).Read();
}
