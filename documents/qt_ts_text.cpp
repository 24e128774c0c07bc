// Qt TS. Of a text with length variants (the variants="yes" of source, translation or numerusform),
// the first variant is the text; the white space around the variants is none.
#include "documents/qt_ts_text.h"

#include "documents/translation_walk.h"

namespace {

struct Form {
    size_t nStart;  // in the translation's text
    size_t cbText;
};

enum class Part { kNone, kSource, kTranslation };

class QtTsReader : public TranslationXmlRules {
public:
    QtTsReader(const char* pUtf8, size_t cbUtf8, DocumentText* pText)
        : reader(pUtf8, cbUtf8, pText), walk(&reader), pText(pText), source(pText->Kept()),
          translation(pText->Kept()), forms(pText->Kept()) {}
    bool Read() { return WalkTranslationXml(reader, &walk, roles, this, pText); }
    void StartElement(unsigned nDepth) override;
    void EndElement(unsigned nDepth) override;
    bool TakeText() override {
        return part == Part::kNone || AppendXmlText(reader, part == Part::kSource ? &source : &translation, pText);
    }

private:
    void StartText(unsigned nDepth, GrowingBytes* pBytes);
    void PutMessage();

    TranslationXmlReader reader;
    TranslationWalk walk;
    DocumentText* pText;
    TextRoles roles;
    unsigned nMessageDepth = 0;
    bool bNumerus = false;
    bool bLeftOut = false;  // obsolete or vanished
    Part part = Part::kNone;
    unsigned nPartDepth = 0;
    // The element whose text is being read (source, translation, numerusform), for its variants.
    unsigned nTextDepth = 0;
    GrowingBytes* pTextBytes = nullptr;
    size_t nTextStart = 0;
    bool bVariantSeen = false;
    unsigned nFormDepth = 0;
    GrowingBytes source, translation;
    GrowingArray<Form> forms;
};

void QtTsReader::StartText(unsigned nDepth, GrowingBytes* pBytes) {
    roles.Set(nDepth, TextRole::kText);
    nTextDepth = nDepth;
    pTextBytes = pBytes;
    nTextStart = pBytes->Size();
    bVariantSeen = false;
}

void QtTsReader::StartElement(unsigned nDepth) {
    roles.Inherit(nDepth);
    XmlSpan local = reader.LocalName();
    if (part != Part::kNone) {
        if (XmlSpanIs(local, "lengthvariant") && nDepth == nTextDepth + 1) {
            if (bVariantSeen) return walk.SkipElement();
            // The text before the first variant is white space; after it, none counts.
            bVariantSeen = true;
            pTextBytes->Shorten(nTextStart);
            roles.Set(nTextDepth, TextRole::kOff);
            roles.Set(nDepth, TextRole::kText);
        } else if (XmlSpanIs(local, "numerusform") && bNumerus && part == Part::kTranslation &&
                   nDepth == nPartDepth + 1 && nFormDepth == 0) {
            nFormDepth = nDepth;
            StartText(nDepth, &translation);
        }
        return;
    }
    if (XmlSpanIs(local, "message") && nMessageDepth == 0) {
        nMessageDepth = nDepth;
        bNumerus = AttributeIs(reader, "", "numerus", "yes");
        bLeftOut = false;
        source.Clear();
        translation.Clear();
        forms.Clear();
    } else if (nMessageDepth != 0 && nDepth == nMessageDepth + 1) {
        // name, comment, extracomment, translatorcomment, location, and the rest: never text.
        part = XmlSpanIs(local, "source")        ? Part::kSource
               : XmlSpanIs(local, "translation") ? Part::kTranslation
                                                 : Part::kNone;
        if (part == Part::kNone) return walk.SkipElement();
        nPartDepth = nDepth;
        if (part == Part::kTranslation &&
            (AttributeIs(reader, "", "type", "obsolete") || AttributeIs(reader, "", "type", "vanished"))) {
            bLeftOut = true;
            part = Part::kNone;
            return walk.SkipElement();
        }
        StartText(nDepth, part == Part::kSource ? &source : &translation);
        // A plural translation's text is its forms'.
        if (part == Part::kTranslation && bNumerus) roles.Set(nDepth, TextRole::kOff);
    }
}

void QtTsReader::EndElement(unsigned nDepth) {
    if (nDepth == nFormDepth) {
        nFormDepth = 0;
        if (!forms.Push(Form{nTextStart, translation.Size() - nTextStart})) pText->RefuseGrowth();
        nTextDepth = nPartDepth;  // the translation's own variants, should it have some
    } else if (part != Part::kNone && nDepth == nPartDepth) {
        part = Part::kNone;
    } else if (nDepth == nMessageDepth) {
        nMessageDepth = 0;
        PutMessage();
    }
}

void QtTsReader::PutMessage() {
    if (bLeftOut) return;
    if (pText->Translation().side == TranslationSide::kSource) return PutUnit(source.Data(), source.Size(), pText);
    if (!bNumerus) return PutTranslation(translation.Data(), translation.Size(), pText);
    bool bTranslated = false;
    for (size_t i = 0; i < forms.Size(); ++i) {
        if (!HasText(translation.Data() + forms[i].nStart, forms[i].cbText)) continue;
        PutUnit(translation.Data() + forms[i].nStart, forms[i].cbText, pText);
        bTranslated = true;
    }
    if (!bTranslated) pText->NoteUntranslated();
}

}  // namespace

bool ReadQtTsText(const char* pUtf8, size_t cbUtf8, DocumentText* pText) {
    return QtTsReader(pUtf8, cbUtf8, pText).Read();
}
