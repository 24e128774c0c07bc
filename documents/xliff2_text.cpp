// XLIFF 2.0 and 2.1 (one namespace): each segment's source or target. Ignorable parts, notes,
// original data and the modules' metadata (elements of other namespaces) are no text; sm and em
// mark a range without holding its text, so their text stays counted.
#include "documents/translation_walk.h"
#include "documents/xliff_versions.h"

namespace {

enum class Part { kNone, kSource, kTarget };

class Xliff2Reader : public TranslationXmlRules {
public:
    Xliff2Reader(XmlReader* pReader, DocumentText* pText)
        : reader(*pReader), walk(pReader), pText(pText), xliffUri(pReader->NamespaceUri()), source(pText->Kept()),
          target(pText->Kept()) {
        translate[0] = translate[1] = true;
        roles.Set(1, TextRole::kOff);
    }
    bool Read() { return WalkTranslationXml(reader, &walk, roles, this, pText); }
    void StartElement(unsigned nDepth) override;
    void EndElement(unsigned nDepth) override;
    bool TakeText() override {
        return part == Part::kNone || AppendXmlText(reader, part == Part::kSource ? &source : &target, pText);
    }

private:
    void StartInline(unsigned nDepth, XmlSpan local);

    XmlReader& reader;
    TranslationWalk walk;
    DocumentText* pText;
    XmlSpan xliffUri;
    TextRoles roles;
    bool translate[kXmlMaxDepth + 1];
    unsigned nUnitDepth = 0;
    unsigned nSegmentDepth = 0;
    Part part = Part::kNone;
    unsigned nPartDepth = 0;
    GrowingBytes source, target;  // the segment's
};

void Xliff2Reader::StartElement(unsigned nDepth) {
    roles.Inherit(nDepth);
    translate[nDepth] = translate[nDepth - 1];
    XmlSpan local = reader.LocalName();
    if (!XmlSpansEqual(reader.NamespaceUri(), xliffUri)) {
        // A module's element, or another vocabulary's: metadata, unless it stands in the text.
        if (part == Part::kNone) walk.SkipElement();
        return;
    }
    if (part != Part::kNone) return StartInline(nDepth, local);
    if (XmlSpanIs(local, "notes") || XmlSpanIs(local, "originalData") || XmlSpanIs(local, "ignorable"))
        return walk.SkipElement();
    bool bUnit = XmlSpanIs(local, "unit");
    if (bUnit || XmlSpanIs(local, "group") || XmlSpanIs(local, "file")) {
        XmlSpan value;
        if (reader.FindAttribute("", "translate", &value)) translate[nDepth] = !XmlValueIs(value, "no");
        if (bUnit) {
            if (!translate[nDepth]) return walk.SkipElement();
            nUnitDepth = nDepth;
        }
    } else if (nUnitDepth != 0 && nDepth == nUnitDepth + 1 && XmlSpanIs(local, "segment")) {
        nSegmentDepth = nDepth;
        source.Clear();
        target.Clear();
    } else if (nSegmentDepth != 0 && nDepth == nSegmentDepth + 1) {
        part = XmlSpanIs(local, "source") ? Part::kSource : XmlSpanIs(local, "target") ? Part::kTarget : Part::kNone;
        if (part == Part::kNone) return walk.SkipElement();
        nPartDepth = nDepth;
        roles.Set(nDepth, TextRole::kText);
    }
}

void Xliff2Reader::StartInline(unsigned nDepth, XmlSpan local) {
    if (XmlSpanIs(local, "mrk")) {
        // Inside a source or target, only a translate="no" leaves text out: a "yes" within turns it on.
        XmlSpan value;
        if (reader.FindAttribute("", "translate", &value))
            roles.Set(nDepth, XmlValueIs(value, "no") ? TextRole::kOff : TextRole::kText);
    } else if (XmlSpanIs(local, "sc") || XmlSpanIs(local, "ec") || XmlSpanIs(local, "ph") || XmlSpanIs(local, "sm") ||
               XmlSpanIs(local, "em") || XmlSpanIs(local, "cp")) {
        roles.SetInline(nDepth, InlineKind::kNothing);
    }
    // pc and anything else: its content is the text's.
}

void Xliff2Reader::EndElement(unsigned nDepth) {
    if (part != Part::kNone && nDepth == nPartDepth) {
        part = Part::kNone;
    } else if (nDepth == nSegmentDepth) {
        nSegmentDepth = 0;
        if (pText->Translation().side == TranslationSide::kTarget) PutTranslation(target.Data(), target.Size(), pText);
        else PutUnit(source.Data(), source.Size(), pText);
    } else if (nDepth == nUnitDepth) {
        nUnitDepth = 0;
    }
}

}  // namespace

bool ReadXliff2Text(XmlReader* pReader, DocumentText* pText) { return Xliff2Reader(pReader, pText).Read(); }
