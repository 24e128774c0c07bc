#include "documents/anchored_text.h"

// Text of level 0 goes to the document; text of level k to what is anchored in level k - 1.
void AnchoredText::PutAt(size_t nLevel, const char* pUtf8, size_t cbUtf8) {
    if (nLevel == 0) {
        pText->Put(pUtf8, cbUtf8);
        return;
    }
    std::string& held = levels[nLevel - 1].anchored;
    // Held text is made text too: it may not pass the bound while it waits.
    if (held.size() + cbUtf8 > kMaxDocumentTextBytes) {
        pText->Refuse(kRefusedTooMuchText);
        return;
    }
    held.append(pUtf8, cbUtf8);
}

void AnchoredText::Put(const char* pUtf8, size_t cbUtf8) {
    if (pText->Refusal() == nullptr) PutAt(levels.size() - 1, pUtf8, cbUtf8);
}

void AnchoredText::PutCodePoint(uint32_t nCodePoint) {
    char buffer[4];
    Put(buffer, EncodeUtf8(nCodePoint, buffer));
}

void AnchoredText::EndParagraph() {
    size_t nTop = levels.size() - 1;
    Put("\r\n", 2);
    std::string anchored;
    anchored.swap(levels[nTop].anchored);
    if (!anchored.empty() && pText->Refusal() == nullptr) PutAt(nTop, anchored.data(), anchored.size());
}

void AnchoredText::BeginAnchored() { levels.emplace_back(); }

void AnchoredText::EndAnchored() {
    if (levels.size() == 1) return;
    std::string held;
    held.swap(levels.back().anchored);
    levels.pop_back();
    if (!held.empty()) Put(held.data(), held.size());
}

void AnchoredText::Finish() {
    while (levels.size() > 1) EndAnchored();
    std::string held;
    held.swap(levels[0].anchored);
    if (!held.empty()) Put(held.data(), held.size());
}
