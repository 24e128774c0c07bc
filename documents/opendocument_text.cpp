#include "documents/opendocument_text.h"

#include "documents/anchored_text.h"
#include "documents/ascii_classes.h"
#include "documents/byte_scan.h"

namespace {
const char kOfficeUri[] = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
const char kTextUri[] = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";
const char kTableUri[] = "urn:oasis:names:tc:opendocument:xmlns:table:1.0";
const char kDrawUri[] = "urn:oasis:names:tc:opendocument:xmlns:drawing:1.0";
const char kStyleUri[] = "urn:oasis:names:tc:opendocument:xmlns:style:1.0";
const char kSvgUri[] = "urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0";
// A space run such as text:s is made in pieces of this many.
const char kSpaces[] = "                                                                ";

bool Is(const XmlReader& reader, const char* szUri, const char* szLocal) {
    return XmlSpanIs(reader.LocalName(), szLocal) && XmlSpanIs(reader.NamespaceUri(), szUri);
}

// A count attribute (text:c, table:number-columns-repeated...): 1 when absent or not a number.
uint64_t CountAttribute(const XmlReader& reader, const char* szUri, const char* szLocal) {
    XmlSpan value;
    if (!reader.FindAttribute(szUri, szLocal, &value)) return 1;
    uint64_t nCount = 0;
    for (size_t i = 0; i < value.cbData; ++i) {
        char c = value.pData[i];
        if (c < '0' || c > '9') return 1;
        nCount = nCount * 10 + static_cast<uint64_t>(c - '0');
        if (nCount > (1ull << 40)) return 1ull << 40;  // far past any text's bound
    }
    return nCount;
}

// Fields whose shown text the page or the clock makes, not the writer: a page's number, the page
// count, a date and a time.
bool IsPageOrClockField(const XmlReader& reader) {
    return XmlSpanIs(reader.NamespaceUri(), kTextUri) &&
           (XmlSpanIs(reader.LocalName(), "page-number") || XmlSpanIs(reader.LocalName(), "page-count") ||
            XmlSpanIs(reader.LocalName(), "date") || XmlSpanIs(reader.LocalName(), "time"));
}

enum class Region { kBody, kMasterHeadersAndFooters };

// A text box or a note body open, and the white space state of the paragraph it stands in: its
// own paragraphs leave that one's spacing as it was.
struct OpenAnchor {
    bool bAnchored;
    bool bAfterSpace;
    bool bSpaceWaiting;
};

class PartReader {
public:
    PartReader(OfficePackage* pPackage, DocumentText* pText, bool bSpreadsheet)
        : pPackage(pPackage),
          pText(pText),
          out(pText),
          bSpreadsheet(bSpreadsheet),
          anchors(pText->Kept()),
          repeatDepths(pText->Kept()) {}
    bool Read(XmlSpan partName, Region region);

private:
    void PutCollapsed(const char* p, size_t n);
    void PutSpaces(uint64_t nCount);
    void PutWaitingSpace();
    bool Start(XmlReader* pReader, unsigned* pnSkipDepth);
    void End(const XmlReader& reader);
    // The text of the row or cell at this depth counts nRepeat times.
    void Repeat(unsigned nDepth, uint64_t nRepeat) {
        if (nRepeat == 1) return;
        if (!repeatDepths.Push(nDepth)) {
            pText->RefuseGrowth();
            return;
        }
        pText->BeginRepeat(nRepeat);
    }

    OfficePackage* pPackage;
    DocumentText* pText;
    AnchoredText out;
    bool bSpreadsheet;
    unsigned nParagraphs = 0;     // paragraphs open (a frame's inside another's)
    bool bAfterSpace = true;      // white space in a paragraph's text collapses after this
    bool bSpaceWaiting = false;   // a collapsed space, put only when more of the paragraph follows
    GrowingArray<OpenAnchor> anchors;
    GrowingArray<unsigned> repeatDepths;  // the depth of each row or cell whose text repeats
};

// A piece of a text token, decoded: the state carries over from piece to piece, so a token
// collapses as it would whole.
void PartReader::PutCollapsed(const char* p, size_t n) {
    // Outside text:s, a run of white space is one space, none at a paragraph's start, and none at
    // its end (where pretty-printed files have their line breaks). Each run of other characters
    // goes out as it is: white space never stands inside a UTF-8 sequence. What goes out as it
    // stands in the piece (words and the single spaces between them) goes out in one span.
    // Most pieces are words with single spaces between them, and a space at most before and after
    // them: what the loop below would put is then known at once.
    size_t nLead = n > 0 && p[0] == ' ' ? 1 : 0, nCoreEnd = n > nLead && p[n - 1] == ' ' ? n - 1 : n;
    if (nCoreEnd > nLead && p[nLead] != ' ' && p[nCoreEnd - 1] != ' ' && IsSingleSpaced(p + nLead, p + nCoreEnd)) {
        size_t nFrom = 0;
        if (nLead == 1) {
            bSpaceWaiting = bSpaceWaiting || !bAfterSpace;
            nFrom = bSpaceWaiting ? 0 : 1;  // the piece's own space goes out before its words
        } else if (bSpaceWaiting) {
            out.Put(" ", 1);
        }
        out.Put(p + nFrom, nCoreEnd - nFrom);
        // A last space waits, as the paragraph's next text or end decides.
        bSpaceWaiting = bAfterSpace = nCoreEnd < n;
        return;
    }
    const char* pSame = p;  // [pSame, pSame + cbSame) waits to go out
    size_t cbSame = 0;
    size_t nSpaceRun = n, cbSpaceRun = 0;  // the piece's last run of white space
    for (size_t i = 0; i < n;) {
        if (IsXmlSpace(p[i])) {
            for (nSpaceRun = i; i < n && IsXmlSpace(p[i]);) ++i;
            cbSpaceRun = i - nSpaceRun;
            bSpaceWaiting = bSpaceWaiting || !bAfterSpace;
            bAfterSpace = true;
            continue;
        }
        size_t nRun = i;
        while (nRun < n && !IsXmlSpace(p[nRun])) ++nRun;
        // The space put before the run is the piece's own when it was one ' ' just before it.
        size_t nFrom = i;
        if (bSpaceWaiting && nSpaceRun + 1 == i && cbSpaceRun == 1 && p[nSpaceRun] == ' ') {
            nFrom = nSpaceRun;
        } else if (bSpaceWaiting) {
            if (cbSame > 0) out.Put(pSame, cbSame);
            cbSame = 0;
            out.Put(" ", 1);
        }
        if (cbSame > 0 && pSame + cbSame != p + nFrom) {
            out.Put(pSame, cbSame);
            cbSame = 0;
        }
        if (cbSame == 0) pSame = p + nFrom;
        cbSame = static_cast<size_t>(p + nRun - pSame);
        bSpaceWaiting = bAfterSpace = false;
        i = nRun;
    }
    if (cbSame > 0) out.Put(pSame, cbSame);
}

void PartReader::PutWaitingSpace() {
    if (bSpaceWaiting) out.Put(" ", 1);
    bSpaceWaiting = false;
}

void PartReader::PutSpaces(uint64_t nCount) {
    PutWaitingSpace();
    for (; nCount > 0 && pText->Refusal() == nullptr;) {
        size_t cbPiece = nCount < sizeof(kSpaces) - 1 ? static_cast<size_t>(nCount) : sizeof(kSpaces) - 1;
        out.Put(kSpaces, cbPiece);
        nCount -= cbPiece;
    }
    bAfterSpace = false;
}

// Handles a start tag; sets *pnSkipDepth to leave its subtree out.
bool PartReader::Start(XmlReader* pReader, unsigned* pnSkipDepth) {
    const XmlReader& reader = *pReader;
    if (Is(reader, kTextUri, "p") || Is(reader, kTextUri, "h")) {
        ++nParagraphs;
        bAfterSpace = true;
        bSpaceWaiting = false;
    } else if (Is(reader, kTextUri, "s")) {
        if (nParagraphs > 0) PutSpaces(CountAttribute(reader, kTextUri, "c"));
    } else if (Is(reader, kTextUri, "tab")) {
        PutWaitingSpace();
        if (nParagraphs > 0) out.Tab();
        bAfterSpace = false;
    } else if (Is(reader, kTextUri, "line-break")) {
        PutWaitingSpace();
        if (nParagraphs > 0) out.LineBreak();
        bAfterSpace = false;
    } else if (Is(reader, kDrawUri, "text-box") || Is(reader, kTextUri, "note-body")) {
        // A frame's text and a note come after the paragraph they stand in.
        if (!anchors.Push(OpenAnchor{nParagraphs > 0, bAfterSpace, bSpaceWaiting})) return pText->RefuseGrowth();
        if (nParagraphs > 0) out.BeginAnchored();
    } else if (Is(reader, kTableUri, "table-row")) {
        Repeat(reader.Depth(), CountAttribute(reader, kTableUri, "number-rows-repeated"));
    } else if (Is(reader, kTableUri, "table-cell")) {
        XmlSpan type;
        bool bText = !reader.FindAttribute(kOfficeUri, "value-type", &type) || XmlSpanIs(type, "string");
        // In a spreadsheet, numbers, dates and the like are not translated.
        if (bSpreadsheet && !bText) {
            *pnSkipDepth = reader.Depth();
            return true;
        }
        Repeat(reader.Depth(), CountAttribute(reader, kTableUri, "number-columns-repeated"));
    } else if (Is(reader, kTableUri, "covered-table-cell") || Is(reader, kOfficeUri, "annotation") ||
               Is(reader, kTextUri, "tracked-changes") || Is(reader, kTextUri, "note-citation") ||
               Is(reader, kSvgUri, "title") || Is(reader, kSvgUri, "desc") || Is(reader, kOfficeUri, "forms") ||
               Is(reader, kOfficeUri, "scripts") || Is(reader, kOfficeUri, "event-listeners") ||
               IsPageOrClockField(reader)) {
        *pnSkipDepth = reader.Depth();
    }
    return true;
}

void PartReader::End(const XmlReader& reader) {
    if (Is(reader, kTextUri, "p") || Is(reader, kTextUri, "h")) {
        if (nParagraphs > 0) --nParagraphs;
        out.EndParagraph();
        bAfterSpace = true;
        bSpaceWaiting = false;
    } else if (Is(reader, kDrawUri, "text-box") || Is(reader, kTextUri, "note-body")) {
        if (!anchors.Empty()) {
            const OpenAnchor& anchor = anchors.Back();
            if (anchor.bAnchored) out.EndAnchored();
            bAfterSpace = anchor.bAfterSpace;
            bSpaceWaiting = anchor.bSpaceWaiting;
            anchors.Pop();
        }
    } else if (!repeatDepths.Empty() && repeatDepths.Back() == reader.Depth() &&
               (Is(reader, kTableUri, "table-row") || Is(reader, kTableUri, "table-cell"))) {
        repeatDepths.Pop();
        pText->EndRepeat();
    }
}

bool PartReader::Read(XmlSpan partName, Region region) {
    PackagePart part;
    if (!pPackage->Read(partName, &part)) return false;
    XmlReader reader(part.bytes.data(), part.bytes.size(), pPackage->Meter());
    unsigned nSkipDepth = 0;
    // Where the text is: the document's body, or the master pages' headers and footers.
    unsigned nRegionDepth = 0;
    auto collapsing = MakeXmlPieceSink([this](const char* p, size_t n) { PutCollapsed(p, n); });
    for (XmlToken token = reader.Next(); token != XmlToken::kEndDocument; token = reader.Next()) {
        if (token == XmlToken::kError) return pPackage->RefuseXml(reader);
        if (pText->Refusal() != nullptr) return false;
        if (nSkipDepth != 0) {
            if (token == XmlToken::kEndElement && reader.Depth() == nSkipDepth) nSkipDepth = 0;
            continue;
        }
        if (nRegionDepth == 0) {
            bool bRegion = region == Region::kBody
                               ? Is(reader, kOfficeUri, "body")
                               : XmlSpanIs(reader.NamespaceUri(), kStyleUri) &&
                                     (XmlSpanIs(reader.LocalName(), "header") || XmlSpanIs(reader.LocalName(), "footer") ||
                                      XmlSpanIs(reader.LocalName(), "header-left") ||
                                      XmlSpanIs(reader.LocalName(), "footer-left") ||
                                      XmlSpanIs(reader.LocalName(), "header-first") ||
                                      XmlSpanIs(reader.LocalName(), "footer-first"));
            // A header or footer turned off is not on any page.
            XmlSpan display;
            if (token == XmlToken::kStartElement && bRegion && region == Region::kMasterHeadersAndFooters &&
                reader.FindAttribute(kStyleUri, "display", &display) && XmlSpanIs(display, "false"))
                nSkipDepth = reader.Depth();
            else if (token == XmlToken::kStartElement && bRegion)
                nRegionDepth = reader.Depth();
            continue;
        }
        if (token == XmlToken::kEndElement && reader.Depth() == nRegionDepth) {
            nRegionDepth = 0;
            continue;
        }
        if (token == XmlToken::kText) {
            if (nParagraphs == 0) continue;
            DecodeXmlValue(reader.Text(), reader.TextKind(), &collapsing);
        } else if (token == XmlToken::kStartElement) {
            Start(&reader, &nSkipDepth);
        } else {
            End(reader);
        }
    }
    out.Finish();
    while (!repeatDepths.Empty()) {
        repeatDepths.Pop();
        pText->EndRepeat();
    }
    return pText->Refusal() == nullptr;
}

}  // namespace

bool ReadOpenDocumentText(OfficePackage* pPackage, OpenDocumentKind kind, DocumentText* pText) {
    bool bSpreadsheet = kind == OpenDocumentKind::kSpreadsheet;
    PartReader body(pPackage, pText, bSpreadsheet);
    if (!body.Read(SpanOf("content.xml"), Region::kBody)) return false;
    if (!pPackage->Has(SpanOf("styles.xml"))) return true;
    PartReader masters(pPackage, pText, bSpreadsheet);
    return masters.Read(SpanOf("styles.xml"), Region::kMasterHeadersAndFooters);
}
