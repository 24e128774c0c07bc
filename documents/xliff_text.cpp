// XLIFF 1.2 (and 1.0, 1.1, which share its elements), and the choice of version.
//
// Segments locked by a tool are left out, as they are not to be translated. The marks read as a
// lock: on a trans-unit or on an mrk mtype="seg", an attribute named "locked" in a namespace other
// than XLIFF's (a tool's, as memoQ's mq:locked) whose value is "true" or "locked"; and a tool's
// segment definition, an element named "seg" of another namespace inside the trans-unit (as
// sdl:seg in sdl:seg-defs) with locked="true", which locks the segment whose mid is its id.
#include "documents/xliff_text.h"

#include <stdint.h>
#include <string.h>

#include "documents/translation_walk.h"
#include "documents/xliff_versions.h"

namespace {

// Where a tool's lock or a target's segment is looked for: within this many places of the
// segment's own, where tools write it, so a crafted file of many segments stays linear.
const size_t kMatchWindow = 16;

struct Segment {
    XmlSpan mid;   // raw, as written: tools write plain ids
    size_t nStart;  // in its part's text
    size_t cbText;
    bool bLocked;
};

struct SegmentList {
    explicit SegmentList(MemoryBound* pBound) : text(pBound), segments(pBound) {}
    void Clear() {
        text.Clear();
        segments.Clear();
    }
    GrowingBytes text;
    GrowingArray<Segment> segments;
};

// The place near nAt of the segment whose mid is mid; else nAt itself, when one of the two has no
// mid (a segment with another mid is another's); SIZE_MAX when neither.
size_t FindSegment(const GrowingArray<Segment>& segments, XmlSpan mid, size_t nAt) {
    size_t nFrom = nAt > kMatchWindow ? nAt - kMatchWindow : 0;
    for (size_t i = nFrom; i < segments.Size() && i <= nAt + kMatchWindow; ++i) {
        if (mid.cbData > 0 && XmlSpansEqual(segments[i].mid, mid)) return i;
    }
    bool bByPlace = nAt < segments.Size() && (mid.cbData == 0 || segments[nAt].mid.cbData == 0);
    return bByPlace ? nAt : SIZE_MAX;
}

bool IsLockValue(XmlSpan value) { return XmlValueIs(value, "true") || XmlValueIs(value, "locked"); }

// A lock of a tool's namespace on the start token (see above).
bool HasToolLock(const XmlReader& reader, XmlSpan xliffUri) {
    for (unsigned i = 0; i < reader.AttributeCount(); ++i) {
        const XmlAttribute& attribute = reader.Attribute(i);
        bool bTool = attribute.uri.cbData > 0 && !XmlSpansEqual(attribute.uri, xliffUri);
        if (bTool && XmlSpanIs(attribute.local, "locked") && IsLockValue(attribute.value))
            return true;
    }
    return false;
}

enum class Part { kNone, kSource, kSegSource, kTarget };

class Xliff1Reader : public TranslationXmlRules {
public:
    Xliff1Reader(XmlReader* pReader, DocumentText* pText)
        : reader(*pReader), walk(pReader), pText(pText), xliffUri(pReader->NamespaceUri()),
          source(pText->Kept()), target(pText->Kept()), sourceSegments(pText->Kept()),
          targetSegments(pText->Kept()), toolSegments(pText->Kept()) {
        translate[0] = translate[1] = true;
        roles.Set(1, TextRole::kOff);
    }
    bool Read() { return WalkTranslationXml(reader, &walk, roles, this, pText); }
    void StartElement(unsigned nDepth) override;
    void EndElement(unsigned nDepth) override;
    bool TakeText() override { return part == Part::kNone || AddText(); }

private:
    void StartInUnit(unsigned nDepth, bool bXliff, XmlSpan local);
    bool AddText();
    void PutUnitText();
    bool Locked(const Segment& segment, size_t nAt) const;

    XmlReader& reader;
    TranslationWalk walk;
    DocumentText* pText;
    XmlSpan xliffUri;  // the root's: a file without a namespace has its elements without one
    TextRoles roles;
    bool translate[kXmlMaxDepth + 1];
    // The trans-unit open, its depth or 0, and what it holds so far.
    unsigned nUnitDepth = 0;
    Part part = Part::kNone;
    unsigned nPartDepth = 0;
    unsigned nSegmentDepth = 0;  // the mrk mtype="seg" open in a part, or 0
    Segment segment = {};
    bool bSegSource = false;
    GrowingBytes source, target;  // the whole source and target
    SegmentList sourceSegments, targetSegments;
    GrowingArray<Segment> toolSegments;  // a tool's definitions, in its order
};

void Xliff1Reader::StartElement(unsigned nDepth) {
    roles.Inherit(nDepth);
    translate[nDepth] = translate[nDepth - 1];
    bool bXliff = XmlSpansEqual(reader.NamespaceUri(), xliffUri);
    XmlSpan local = reader.LocalName();
    if (nUnitDepth != 0) return StartInUnit(nDepth, bXliff, local);
    if (!bXliff) return;
    bool bUnit = XmlSpanIs(local, "trans-unit");
    if (bUnit || XmlSpanIs(local, "group")) {
        XmlSpan value;
        if (reader.FindAttribute("", "translate", &value)) translate[nDepth] = !XmlValueIs(value, "no");
    }
    if (XmlSpanIs(local, "header") || XmlSpanIs(local, "bin-unit")) {
        walk.SkipElement();
    } else if (bUnit) {
        // gettext's header, which converters from PO keep as a unit, is the catalogue's metadata.
        if (!translate[nDepth] || HasToolLock(reader, xliffUri) ||
            AttributeIs(reader, "", "restype", "x-gettext-domain-header"))
            return walk.SkipElement();
        nUnitDepth = nDepth;
        bSegSource = false;
        source.Clear();
        target.Clear();
        sourceSegments.Clear();
        targetSegments.Clear();
        toolSegments.Clear();
    }
}

void Xliff1Reader::StartInUnit(unsigned nDepth, bool bXliff, XmlSpan local) {
    if (nDepth == nUnitDepth + 1 && bXliff) {
        part = XmlSpanIs(local, "source")       ? Part::kSource
               : XmlSpanIs(local, "seg-source") ? Part::kSegSource
               : XmlSpanIs(local, "target")     ? Part::kTarget
                                                : Part::kNone;
        // alt-trans, note, context-group, count-group, prop-group: never text.
        if (part == Part::kNone) return walk.SkipElement();
        nPartDepth = nDepth;
        if (part == Part::kSegSource) bSegSource = true;
        roles.Set(nDepth, TextRole::kText);
        return;
    }
    if (part == Part::kNone) {
        if (!bXliff && XmlSpanIs(local, "seg")) {
            Segment definition = {};
            definition.bLocked = AttributeIs(reader, "", "locked", "true");
            if (reader.FindAttribute("", "id", &definition.mid) && !toolSegments.Push(definition))
                pText->RefuseGrowth();
        }
        return;
    }
    if (!bXliff) return;
    if (XmlSpanIs(local, "mrk")) {
        XmlSpan type;
        if (!reader.FindAttribute("", "mtype", &type)) return;
        if (XmlValueIs(type, "protected")) return roles.SetInline(nDepth, InlineKind::kNothing);
        if (XmlValueIs(type, "seg") && part != Part::kSource && nSegmentDepth == 0) {
            nSegmentDepth = nDepth;
            segment = Segment{};
            reader.FindAttribute("", "mid", &segment.mid);
            segment.bLocked = HasToolLock(reader, xliffUri);
            segment.nStart = (part == Part::kTarget ? targetSegments : sourceSegments).text.Size();
        }
    } else if (XmlSpanIs(local, "x") || XmlSpanIs(local, "bx") || XmlSpanIs(local, "ex")) {
        roles.SetInline(nDepth, InlineKind::kNothing);
    } else if (XmlSpanIs(local, "bpt") || XmlSpanIs(local, "ept") || XmlSpanIs(local, "ph") || XmlSpanIs(local, "it")) {
        roles.SetInline(nDepth, InlineKind::kCode);
    } else if (XmlSpanIs(local, "sub")) {
        roles.SetInline(nDepth, InlineKind::kSubFlow);
    }
}

void Xliff1Reader::EndElement(unsigned nDepth) {
    if (nDepth == nSegmentDepth) {
        nSegmentDepth = 0;
        SegmentList& list = part == Part::kTarget ? targetSegments : sourceSegments;
        segment.cbText = list.text.Size() - segment.nStart;
        if (!list.segments.Push(segment)) pText->RefuseGrowth();
    }
    if (part != Part::kNone && nDepth == nPartDepth) part = Part::kNone;
    if (nDepth == nUnitDepth) {
        nUnitDepth = 0;
        PutUnitText();
    }
}

bool Xliff1Reader::AddText() {
    if (part == Part::kSource) return AppendXmlText(reader, &source, pText);
    if (part == Part::kTarget && !AppendXmlText(reader, &target, pText)) return false;
    if (nSegmentDepth == 0) return true;
    return AppendXmlText(reader, &(part == Part::kTarget ? targetSegments : sourceSegments).text, pText);
}

bool Xliff1Reader::Locked(const Segment& segment, size_t nAt) const {
    if (segment.bLocked) return true;
    // A definition names its segment: the place alone is no match.
    if (segment.mid.cbData == 0) return false;
    size_t nDefinition = FindSegment(toolSegments, segment.mid, nAt);
    return nDefinition != SIZE_MAX && XmlSpansEqual(toolSegments[nDefinition].mid, segment.mid) &&
           toolSegments[nDefinition].bLocked;
}

void Xliff1Reader::PutUnitText() {
    bool bTarget = pText->Translation().side == TranslationSide::kTarget;
    if (!bSegSource || sourceSegments.segments.Empty()) {
        if (!bTarget) PutUnit(source.Data(), source.Size(), pText);
        else PutTranslation(target.Data(), target.Size(), pText);
        return;
    }
    if (bTarget && targetSegments.segments.Empty()) {
        // A target written whole, not in segments: the translation of every segment not locked.
        for (size_t i = 0; i < sourceSegments.segments.Size(); ++i) {
            if (!Locked(sourceSegments.segments[i], i)) return PutTranslation(target.Data(), target.Size(), pText);
        }
        return;
    }
    for (size_t i = 0; i < sourceSegments.segments.Size(); ++i) {
        const Segment& sourceSegment = sourceSegments.segments[i];
        if (Locked(sourceSegment, i)) continue;
        if (!bTarget) {
            PutUnit(sourceSegments.text.Data() + sourceSegment.nStart, sourceSegment.cbText, pText);
            continue;
        }
        size_t nMatch = FindSegment(targetSegments.segments, sourceSegment.mid, i);
        if (nMatch == SIZE_MAX) {
            pText->NoteUntranslated();
            continue;
        }
        const Segment& targetSegment = targetSegments.segments[nMatch];
        if (targetSegment.bLocked) continue;
        PutTranslation(targetSegments.text.Data() + targetSegment.nStart, targetSegment.cbText, pText);
    }
}

bool IsXliff2(const XmlReader& reader) {
    const char kPrefix[] = "urn:oasis:names:tc:xliff:document:";
    const size_t cbPrefix = sizeof(kPrefix) - 1;
    XmlSpan uri = reader.NamespaceUri();
    if (uri.cbData > cbPrefix && memcmp(uri.pData, kPrefix, cbPrefix) == 0) return uri.pData[cbPrefix] == '2';
    XmlSpan version;
    return reader.FindAttribute("", "version", &version) && version.cbData > 0 && version.pData[0] == '2';
}

}  // namespace

bool ReadXliff1Text(XmlReader* pReader, DocumentText* pText) { return Xliff1Reader(pReader, pText).Read(); }

bool ReadXliffText(const char* pUtf8, size_t cbUtf8, DocumentText* pText) {
    TranslationXmlReader reader(pUtf8, cbUtf8, pText);
    XmlToken token = reader.Next();
    while (token == XmlToken::kText) token = reader.Next();
    if (token == XmlToken::kError) return RefuseTranslationXml(reader, pText);
    if (token != XmlToken::kStartElement) return pText->Refuse(kRefusedBadXml);
    return IsXliff2(reader) ? ReadXliff2Text(&reader, pText) : ReadXliff1Text(&reader, pText);
}
