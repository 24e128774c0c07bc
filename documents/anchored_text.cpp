#include "documents/anchored_text.h"

#include "measure/utf8_sequence.h"

AnchoredText::AnchoredText(DocumentText* pNewText) : pText(pNewText), nLevels(1), nDeeper(0) {
    for (GrowingBytes& level : anchored) level.BindTo(pText->Kept());
}

// Text of level 0 goes to the document; text of level k to what is anchored in level k - 1.
void AnchoredText::PutAt(size_t nLevel, const char* pUtf8, size_t cbUtf8) {
    if (nLevel == 0) {
        pText->Put(pUtf8, cbUtf8);
        return;
    }
    // Held text is kept in memory: it may not pass the bound while it waits.
    if (!anchored[nLevel - 1].Append(pUtf8, cbUtf8)) pText->RefuseGrowth();
}

void AnchoredText::Put(const char* pUtf8, size_t cbUtf8) {
    if (pText->Refusal() == nullptr) PutAt(nLevels - 1, pUtf8, cbUtf8);
}

void AnchoredText::PutCodePoint(uint32_t nCodePoint) {
    char buffer[4];
    Put(buffer, EncodeUtf8(nCodePoint, buffer));
}

void AnchoredText::EndParagraph() {
    size_t nTop = nLevels - 1;
    Put("\r\n", 2);
    // Put where the level's own text goes, which is never this level's anchored text.
    GrowingBytes& mine = anchored[nTop];
    if (!mine.Empty() && pText->Refusal() == nullptr) PutAt(nTop, mine.Data(), mine.Size());
    mine.Clear();
}

void AnchoredText::BeginAnchored() {
    if (nLevels < kMaxLevels) ++nLevels;
    else ++nDeeper;
}

void AnchoredText::EndAnchored() {
    if (nDeeper > 0) {
        --nDeeper;
        return;
    }
    if (nLevels == 1) return;
    GrowingBytes& held = anchored[--nLevels];
    if (!held.Empty()) Put(held.Data(), held.Size());
    held.Free();
}

void AnchoredText::Finish() {
    nDeeper = 0;
    while (nLevels > 1) EndAnchored();
    if (!anchored[0].Empty()) Put(anchored[0].Data(), anchored[0].Size());
    anchored[0].Free();
}
