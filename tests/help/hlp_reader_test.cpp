// The generated help file, read back the way the help viewer reads it: header, directory, |SYSTEM,
// |FONT, the chain of topic records, |CONTEXT and |TTLBTREE. The reader here is written apart from
// the writer (help/hlp_writer.cpp) on purpose, so that one misunderstanding of the format cannot
// hide in both. The tool itself is also run on sources of the tests' own, good and bad.
#include <gtest/gtest.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tallyq_version.h"

namespace {

typedef std::vector<uint8_t> Bytes;

const uint32_t kNoLink = 0xFFFFFFFF;
const size_t kBlockSize = 4096;
const size_t kBlockHeader = 12;
const size_t kBlockData = kBlockSize - kBlockHeader;

// ---- Reading primitives ----------------------------------------------------------------------------

// A bounded view of some bytes; every read checks its range and remembers the first failure.
class Cursor {
public:
    Cursor(const uint8_t* pData, size_t nSize) : p_(pData), n_(nSize) {}
    bool Ok() const { return ok_; }
    size_t Pos() const { return at_; }
    size_t Left() const { return at_ <= n_ ? n_ - at_ : 0; }
    void Seek(size_t at) { at_ = at; }
    uint8_t U8() { return Take(1) ? p_[at_ - 1] : 0; }
    uint8_t Peek() const { return at_ < n_ ? p_[at_] : 0; }
    uint16_t U16() { return Take(2) ? static_cast<uint16_t>(p_[at_ - 2] | p_[at_ - 1] << 8) : 0; }
    uint32_t U32() {
        if (!Take(4)) return 0;
        const uint8_t* q = p_ + at_ - 4;
        return static_cast<uint32_t>(q[0]) | static_cast<uint32_t>(q[1]) << 8 | static_cast<uint32_t>(q[2]) << 16 |
               static_cast<uint32_t>(q[3]) << 24;
    }
    // A NUL-terminated string that must end inside the view.
    std::string Z() {
        std::string s;
        while (at_ < n_ && p_[at_] != 0) s += static_cast<char>(p_[at_++]);
        if (at_ >= n_) ok_ = false;
        ++at_;
        return s;
    }
    // Compressed integers: the lowest bit of the first byte picks the short or the long form.
    unsigned CUShort() { return (Peek() & 1) ? U16() / 2u : U8() / 2u; }
    int CSShort() { return (Peek() & 1) ? static_cast<int>(U16()) / 2 - 16384 : static_cast<int>(U8()) / 2 - 64; }
    long CSLong() {
        return (Peek() & 1) ? static_cast<long>(U32() / 2u) - (1L << 30) : static_cast<long>(U16()) / 2 - 16384;
    }

private:
    bool Take(size_t n) {
        if (at_ + n > n_) {
            ok_ = false;
            at_ = n_ + 1;
            return false;
        }
        at_ += n;
        return true;
    }
    const uint8_t* p_;
    size_t n_;
    size_t at_ = 0;
    bool ok_ = true;
};

Cursor Over(const Bytes& bytes, size_t nAt = 0, size_t nSize = ~static_cast<size_t>(0)) {
    if (nAt > bytes.size()) nAt = bytes.size();
    if (nSize > bytes.size() - nAt) nSize = bytes.size() - nAt;
    return Cursor(bytes.data() + nAt, nSize);
}

uint32_t Hash(const std::string& id) {
    static const char kOrder[] = "1234567890";  // '1'..'9' -> 1..9, '0' -> 10
    uint32_t h = 0;
    for (char c : id) {
        uint32_t v = 0;
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c >= 'A' && c <= 'Z') v = static_cast<uint32_t>(c - 'A') + 17;
        const char* pDigit = (c >= '0' && c <= '9') ? strchr(kOrder, c) : nullptr;
        if (pDigit != nullptr) v = static_cast<uint32_t>(pDigit - kOrder) + 1;
        if (c == '.') v = 12;
        if (c == '_') v = 13;
        h = h * 43u + v;
    }
    return h;
}

// ---- The file as read -------------------------------------------------------------------------------

struct DirectoryEntry {
    std::string name;
    uint32_t nOffset;
    uint32_t nUsed;
};

struct Jump {
    uint32_t nHash;
    std::string text;
};

struct Topic {
    uint32_t nPos, nOffset;
    std::string title;
    uint32_t nNumber, nBrowseBack, nBrowseFore, nScroll, nNextTopic;
    std::vector<uint32_t> textPositions;
    std::string text;  // all its text records, paragraphs ended by '\n'
    std::vector<Jump> jumps;
};

struct HelpFile {
    uint32_t nDirStart = 0;
    std::vector<DirectoryEntry> directory;
    uint16_t nMinor = 0, nMajor = 0, nSystemFlags = 0;
    std::string title;
    bool bHasContents = false;
    uint32_t nContentsOffset = 0;
    unsigned nFontDescriptors = 0;
    std::vector<unsigned> fontsUsed;
    std::vector<Topic> topics;     // the closing empty header is not among them
    bool bClosingHeader = false;   // the stream ends with an empty topic header
    size_t nBlocks = 0;
    size_t nStraddling = 0;        // records that run across a block boundary
    std::vector<std::pair<int32_t, uint32_t>> context;
    std::vector<std::pair<uint32_t, std::string>> titles;
};

struct Failure {
    std::string what;
    bool Set(const std::string& message) {
        if (what.empty()) what = message;
        return false;
    }
};

std::string Hex(uint32_t v) {
    char sz[16];
    snprintf(sz, sizeof(sz), "0x%08X", v);
    return sz;
}

// An internal file: FILEHEADER at nOffset; the viewer takes its end from ReservedSpace.
bool InternalFileAt(const Bytes& file, uint32_t nOffset, size_t* pDataAt, uint32_t* pUsed, Failure* pFail) {
    Cursor c = Over(file, nOffset);
    uint32_t nReserved = c.U32(), nUsed = c.U32();
    c.U8();
    if (!c.Ok()) return pFail->Set("internal file header at " + Hex(nOffset) + " is outside the file");
    if (nReserved != nUsed + 9) return pFail->Set("ReservedSpace is not UsedSpace + 9 at " + Hex(nOffset));
    if (static_cast<uint64_t>(nOffset) + nReserved > file.size())
        return pFail->Set("internal file at " + Hex(nOffset) + " runs past the end");
    *pDataAt = nOffset + 9;
    *pUsed = nUsed;
    return true;
}

// A one-page B+ tree; returns a cursor over its entries and their count.
bool TreeLeaf(const Bytes& file, size_t nAt, uint32_t nUsed, uint16_t nFlags, uint16_t nPageSize, const char* szStructure,
              Cursor* pEntries, unsigned* pCount, Failure* pFail) {
    Cursor c = Over(file, nAt, nUsed);
    uint16_t nMagic = c.U16(), nGotFlags = c.U16(), nGotPage = c.U16();
    std::string structure;
    for (int i = 0; i < 16; ++i) {
        char ch = static_cast<char>(c.U8());
        if (ch) structure += ch;
    }
    c.U16();
    c.U16();
    uint16_t nRoot = c.U16();
    c.U16();
    uint16_t nPages = c.U16(), nLevels = c.U16();
    uint32_t nEntries = c.U32();
    if (!c.Ok() || nMagic != 0x293B) return pFail->Set(std::string("bad B+ tree header for ") + szStructure);
    if (nGotFlags != nFlags || nGotPage != nPageSize || structure != szStructure)
        return pFail->Set(std::string("unexpected B+ tree flags, page size or structure for ") + szStructure);
    if (nRoot != 0 || nPages != 1 || nLevels != 1) return pFail->Set("B+ tree of more than one page");
    if (nUsed != 38u + nPageSize) return pFail->Set("B+ tree size is not header + one page");
    size_t nPage = nAt + 38;
    Cursor leaf = Over(file, nPage, nPageSize);
    leaf.U16();
    int16_t nCount = static_cast<int16_t>(leaf.U16());
    int16_t nPrev = static_cast<int16_t>(leaf.U16()), nNext = static_cast<int16_t>(leaf.U16());
    if (nCount < 0 || static_cast<uint32_t>(nCount) != nEntries) return pFail->Set("leaf count differs from header");
    if (nPrev != -1 || nNext != -1) return pFail->Set("single leaf with neighbours");
    *pEntries = leaf;
    *pCount = static_cast<unsigned>(nCount);
    return true;
}

// After the entries are read: the page's "unused bytes" must match, and the rest is padding.
bool LeafEnd(const Bytes& file, size_t nPage, uint16_t nPageSize, const Cursor& entries, Failure* pFail) {
    if (!entries.Ok()) return pFail->Set("B+ tree entries run past the page");
    uint16_t nUnused = static_cast<uint16_t>(file[nPage] | file[nPage + 1] << 8);
    if (nUnused != nPageSize - entries.Pos()) return pFail->Set("leaf page's unused-bytes field is wrong");
    return true;
}

bool ReadDirectory(const Bytes& file, HelpFile* pHelp, Failure* pFail) {
    size_t nAt;
    uint32_t nUsed;
    if (!InternalFileAt(file, pHelp->nDirStart, &nAt, &nUsed, pFail)) return false;
    if (pHelp->nDirStart + 9 + nUsed != file.size()) return pFail->Set("the directory is not the file's last part");
    Cursor entries(nullptr, 0);
    unsigned nCount;
    if (!TreeLeaf(file, nAt, nUsed, 0x0402, 0x0400, "z4", &entries, &nCount, pFail)) return false;
    for (unsigned i = 0; i < nCount; ++i) {
        DirectoryEntry entry;
        entry.name = entries.Z();
        entry.nOffset = entries.U32();
        entry.nUsed = 0;
        pHelp->directory.push_back(entry);
    }
    if (!LeafEnd(file, nAt + 38, 0x0400, entries, pFail)) return false;
    // The viewer's lookup stops at the first larger name: byte order, strictly ascending.
    for (size_t i = 1; i < pHelp->directory.size(); ++i)
        if (strcmp(pHelp->directory[i - 1].name.c_str(), pHelp->directory[i].name.c_str()) >= 0)
            return pFail->Set("directory not sorted at " + pHelp->directory[i].name);
    // The internal files tile the space between the header and the directory, without slack.
    std::vector<std::pair<uint32_t, uint32_t>> spans;  // offset, end
    for (DirectoryEntry& entry : pHelp->directory) {
        size_t nDataAt;
        if (!InternalFileAt(file, entry.nOffset, &nDataAt, &entry.nUsed, pFail)) return false;
        spans.push_back({entry.nOffset, entry.nOffset + 9 + entry.nUsed});
    }
    std::sort(spans.begin(), spans.end());
    uint32_t nExpected = 16;
    for (const auto& span : spans) {
        if (span.first != nExpected) return pFail->Set("gap or overlap before internal file at " + Hex(span.first));
        nExpected = span.second;
    }
    if (nExpected != pHelp->nDirStart) return pFail->Set("gap or overlap before the directory");
    return true;
}

const DirectoryEntry* Find(const HelpFile& help, const char* szName) {
    for (const DirectoryEntry& entry : help.directory)
        if (entry.name == szName) return &entry;
    return nullptr;
}

bool ReadSystem(const Bytes& file, HelpFile* pHelp, Failure* pFail) {
    const DirectoryEntry* pEntry = Find(*pHelp, "|SYSTEM");
    if (pEntry == nullptr) return pFail->Set("no |SYSTEM");
    Cursor c = Over(file, pEntry->nOffset + 9, pEntry->nUsed);
    uint16_t nMagic = c.U16();
    pHelp->nMinor = c.U16();
    pHelp->nMajor = c.U16();
    c.U32();
    pHelp->nSystemFlags = c.U16();
    if (!c.Ok() || nMagic != 0x036C) return pFail->Set("bad |SYSTEM header");
    while (c.Left() > 0) {
        uint16_t nType = c.U16(), nSize = c.U16();
        size_t nRecord = c.Pos();
        if (!c.Ok() || nSize > c.Left()) return pFail->Set("|SYSTEM record runs past the file");
        if (nType == 1) {
            pHelp->title = c.Z();
            if (c.Pos() != nRecord + nSize) return pFail->Set("|SYSTEM title size is not its length + NUL");
        } else if (nType == 3) {
            if (nSize != 4) return pFail->Set("|SYSTEM contents record is not 4 bytes");
            pHelp->bHasContents = true;
            pHelp->nContentsOffset = c.U32();
        }
        c.Seek(nRecord + nSize);
    }
    return c.Ok() ? true : pFail->Set("|SYSTEM records do not end with the file");
}

bool ReadFonts(const Bytes& file, HelpFile* pHelp, Failure* pFail) {
    const DirectoryEntry* pEntry = Find(*pHelp, "|FONT");
    if (pEntry == nullptr) return pFail->Set("no |FONT");
    Cursor c = Over(file, pEntry->nOffset + 9, pEntry->nUsed);
    unsigned nFaces = c.U16(), nDescriptors = c.U16(), nFacesAt = c.U16(), nDescriptorsAt = c.U16();
    if (!c.Ok() || nFaces == 0 || nFacesAt != 8 || nDescriptorsAt <= nFacesAt || (nDescriptorsAt - nFacesAt) % nFaces)
        return pFail->Set("bad |FONT header");
    if (nDescriptorsAt + 11u * nDescriptors != pEntry->nUsed) return pFail->Set("|FONT size does not match its counts");
    for (unsigned i = 0; i < nDescriptors; ++i) {
        Cursor d = Over(file, pEntry->nOffset + 9 + nDescriptorsAt + 11 * i, 11);
        d.U8();
        d.U8();
        uint8_t nFamily = d.U8();
        unsigned nFace = d.U16();
        if (nFace >= nFaces || nFamily < 1 || nFamily > 5) return pFail->Set("bad font descriptor");
    }
    pHelp->nFontDescriptors = nDescriptors;
    return true;
}

// One text record's LinkData1 (format and commands) against its LinkData2 (strings).
bool ReadTextRecord(const Bytes& stream, size_t nData1, size_t nData1End, size_t nData2, size_t nData2End,
                    HelpFile* pHelp, Topic* pTopic, Failure* pFail) {
    Cursor f = Over(stream, nData1, nData1End - nData1);
    long nTopicSize = f.CSLong();
    unsigned nTopicLength = f.CUShort();
    if (nTopicSize < 0 || nTopicLength != nData2End - nData2) return pFail->Set("text record lengths disagree");
    if (f.U8() != 0x00 || f.U8() != 0x80 || f.U16() != 0) return pFail->Set("text record fixed bytes are wrong");
    uint16_t nBits = f.U16();
    if (nBits & 0xE080) return pFail->Set("paragraph bits the viewer warns about");
    if (nBits & 0x0001) f.CSLong();
    for (uint16_t bit = 0x0002; bit <= 0x0040; bit = static_cast<uint16_t>(bit << 1))
        if (nBits & bit) f.CSShort();
    if (nBits & 0x0100) {
        f.U8();
        f.U16();
    }
    if (nBits & 0x0200) {
        int nTabs = f.CSShort();
        for (int i = 0; i < nTabs; ++i)
            if (f.CUShort() & 0x4000) f.CUShort();
    }
    std::vector<std::string> strings;
    Cursor t = Over(stream, nData2, nData2End - nData2);
    while (t.Left() > 0) strings.push_back(t.Z());
    if (!t.Ok()) return pFail->Set("text record strings do not end with a NUL");
    size_t nString = 0;
    bool bInHotspot = false;
    for (;;) {
        // Pairing: every command, the last 0xFF included, follows exactly one string.
        if (nString >= strings.size()) return pFail->Set("fewer strings than commands in a text record");
        const std::string& text = strings[nString++];
        pTopic->text += text;
        if (bInHotspot) pTopic->jumps.back().text += text;
        uint8_t nCommand = f.U8();
        if (!f.Ok()) return pFail->Set("text record commands run past LinkData1");
        if (nCommand == 0xFF) break;
        switch (nCommand) {
            case 0x80:
                pHelp->fontsUsed.push_back(f.U16());
                break;
            case 0x81:
            case 0x82:
                pTopic->text += '\n';
                break;
            case 0x83:
            case 0x8B:
                pTopic->text += ' ';
                break;
            case 0x89:
                if (!bInHotspot) return pFail->Set("end of hotspot without a hotspot");
                bInHotspot = false;
                break;
            case 0xE2:
            case 0xE3:
            case 0xE6:
            case 0xE7:
                if (bInHotspot) return pFail->Set("hotspot inside a hotspot");
                pTopic->jumps.push_back({f.U32(), std::string()});
                bInHotspot = true;
                break;
            default:
                return pFail->Set("unknown text command " + Hex(nCommand));
        }
    }
    if (bInHotspot) return pFail->Set("hotspot not ended in its record");
    if (nString != strings.size()) return pFail->Set("more strings than commands in a text record");
    if (f.Pos() != nData1End - nData1) return pFail->Set("bytes after the end command in LinkData1");
    return true;
}

// Walks the records from TOPICPOS 12 through NextBlock, as the viewer does, and works out every
// TOPICOFFSET again from the block and the text lengths before it.
bool ReadTopics(const Bytes& file, HelpFile* pHelp, Failure* pFail) {
    const DirectoryEntry* pEntry = Find(*pHelp, "|TOPIC");
    if (pEntry == nullptr) return pFail->Set("no |TOPIC");
    if (pEntry->nUsed == 0 || pEntry->nUsed % kBlockSize) return pFail->Set("|TOPIC is not whole 4096-byte blocks");
    pHelp->nBlocks = pEntry->nUsed / kBlockSize;
    Bytes stream;
    for (size_t b = 0; b < pHelp->nBlocks; ++b) {
        size_t nAt = pEntry->nOffset + 9 + b * kBlockSize + kBlockHeader;
        stream.insert(stream.end(), file.begin() + nAt, file.begin() + nAt + kBlockData);
    }
    struct Walked {
        size_t nStream;
        uint32_t nPos;
        uint8_t nType;
    };
    std::vector<Walked> walked;
    uint32_t nPos = 12, nPrev = kNoLink, nTextInBlock = 0;
    size_t nExpected = 0, nBlock = 0;
    Topic* pTopic = nullptr;
    Topic closing{};
    for (size_t nGuard = 0;; ++nGuard) {
        if (nGuard > stream.size() / 21) return pFail->Set("NextBlock chain does not end");
        size_t b = (nPos - 12) >> 14, o = (nPos - 12) & 0x3FFF;
        if (nPos < 12 || o >= kBlockData) return pFail->Set("TOPICPOS " + Hex(nPos) + " is not in a block's data");
        size_t s = b * kBlockData + o;
        if (s != nExpected) return pFail->Set("records are not back to back at TOPICPOS " + Hex(nPos));
        Cursor h = Over(stream, s);
        uint32_t nBlockSize = h.U32(), nDataLen2 = h.U32(), nPrevBlock = h.U32(), nNextBlock = h.U32(),
                 nDataLen1 = h.U32();
        uint8_t nType = h.U8();
        if (!h.Ok()) return pFail->Set("record header past the end of |TOPIC");
        if (nPrevBlock != nPrev) return pFail->Set("PrevBlock is wrong at TOPICPOS " + Hex(nPos));
        if (nDataLen1 < 21 || nBlockSize != nDataLen1 + nDataLen2 || s + nBlockSize > stream.size())
            return pFail->Set("record sizes are inconsistent at TOPICPOS " + Hex(nPos));
        if (b != nBlock) {
            nBlock = b;
            nTextInBlock = 0;
        }
        uint32_t nOffset = static_cast<uint32_t>(b * 0x8000) + nTextInBlock;
        if (s / kBlockData != (s + nBlockSize - 1) / kBlockData) ++pHelp->nStraddling;
        walked.push_back({s, nPos, nType});
        if (nType == 0x02) {
            if (nDataLen1 != 21 + 28) return pFail->Set("topic header LinkData1 is not 28 bytes");
            Cursor d = Over(stream, s + 21, 28);
            Topic topic{};
            topic.nPos = nPos;
            topic.nOffset = nOffset;
            d.U32();
            topic.nBrowseBack = d.U32();
            topic.nBrowseFore = d.U32();
            topic.nNumber = d.U32();
            d.U32();
            topic.nScroll = d.U32();
            topic.nNextTopic = d.U32();
            topic.title.assign(stream.begin() + s + nDataLen1, stream.begin() + s + nBlockSize);
            if (pHelp->bClosingHeader) return pFail->Set("a topic after the closing empty header");
            if (topic.title.empty()) {
                pHelp->bClosingHeader = true;
                closing = topic;
                pTopic = &closing;
            } else {
                pHelp->topics.push_back(topic);
                pTopic = &pHelp->topics.back();
            }
        } else if (nType == 0x20) {
            if (pTopic == nullptr) return pFail->Set("the first record is not a topic header");
            if (pHelp->bClosingHeader) return pFail->Set("text after the closing empty header");
            pTopic->textPositions.push_back(nPos);
            if (!ReadTextRecord(stream, s + 21, s + nDataLen1, s + nDataLen1, s + nBlockSize, pHelp, pTopic, pFail))
                return false;
            nTextInBlock += nDataLen2;
        } else {
            return pFail->Set("record type " + Hex(nType) + " at TOPICPOS " + Hex(nPos));
        }
        nExpected = s + nBlockSize;
        if (nNextBlock == kNoLink) break;
        nPrev = nPos;
        nPos = nNextBlock;
    }
    // Nothing is left out of the chain: after the last record there is only padding.
    for (size_t i = nExpected; i < stream.size(); ++i)
        if (stream[i] != 0) return pFail->Set("bytes after the last record of the chain");
    if (nExpected <= (pHelp->nBlocks - 1) * kBlockData) return pFail->Set("an empty block at the end of |TOPIC");

    // Each block names the first record that starts in it.
    for (size_t b = 0; b < pHelp->nBlocks; ++b) {
        uint32_t nFirst = kNoLink;
        for (const Walked& w : walked)
            if (w.nStream / kBlockData == b) {
                nFirst = w.nPos;
                break;
            }
        Cursor header = Over(file, pEntry->nOffset + 9 + b * kBlockSize, kBlockHeader);
        header.U32();
        if (header.U32() != nFirst) return pFail->Set("block header's first record is wrong");
    }

    // The topic headers' own fields.
    std::vector<Topic*> headers;
    for (Topic& topic : pHelp->topics) headers.push_back(&topic);
    if (pHelp->bClosingHeader) headers.push_back(&closing);
    for (size_t i = 0; i < headers.size(); ++i) {
        const Topic& topic = *headers[i];
        if (topic.nNumber != i) return pFail->Set("topic numbers are not 0, 1, 2, ...");
        uint32_t nNext = i + 1 < headers.size() ? headers[i + 1]->nPos : kNoLink;
        if (topic.nNextTopic != nNext) return pFail->Set("NextTopic is wrong in \"" + topic.title + "\"");
        uint32_t nScroll = topic.textPositions.empty() ? kNoLink : topic.textPositions[0];
        if (topic.nScroll != nScroll) return pFail->Set("Scroll is wrong in \"" + topic.title + "\"");
        for (uint32_t nBrowse : {topic.nBrowseBack, topic.nBrowseFore}) {
            bool bKnown = nBrowse == kNoLink;
            for (const Topic& other : pHelp->topics) bKnown = bKnown || other.nOffset == nBrowse;
            if (!bKnown) return pFail->Set("a browse field of \"" + topic.title + "\" is not a topic");
        }
    }
    return true;
}

bool ReadContext(const Bytes& file, HelpFile* pHelp, Failure* pFail) {
    const DirectoryEntry* pEntry = Find(*pHelp, "|CONTEXT");
    if (pEntry == nullptr) return pFail->Set("no |CONTEXT");
    Cursor entries(nullptr, 0);
    unsigned nCount;
    if (!TreeLeaf(file, pEntry->nOffset + 9, pEntry->nUsed, 0x0002, 0x0800, "L4", &entries, &nCount, pFail))
        return false;
    for (unsigned i = 0; i < nCount; ++i) {
        int32_t nHash = static_cast<int32_t>(entries.U32());
        pHelp->context.push_back({nHash, entries.U32()});
    }
    if (!LeafEnd(file, pEntry->nOffset + 9 + 38, 0x0800, entries, pFail)) return false;
    // Signed order: with unsigned order the viewer does not find the negative hashes.
    for (size_t i = 1; i < pHelp->context.size(); ++i)
        if (pHelp->context[i - 1].first >= pHelp->context[i].first)
            return pFail->Set("|CONTEXT not in ascending signed hash order");
    return true;
}

bool ReadTitles(const Bytes& file, HelpFile* pHelp, Failure* pFail) {
    const DirectoryEntry* pEntry = Find(*pHelp, "|TTLBTREE");
    if (pEntry == nullptr) return true;
    Cursor entries(nullptr, 0);
    unsigned nCount;
    if (!TreeLeaf(file, pEntry->nOffset + 9, pEntry->nUsed, 0x0002, 0x0800, "Lz", &entries, &nCount, pFail))
        return false;
    for (unsigned i = 0; i < nCount; ++i) {
        uint32_t nOffset = entries.U32();
        pHelp->titles.push_back({nOffset, entries.Z()});
    }
    return LeafEnd(file, pEntry->nOffset + 9 + 38, 0x0800, entries, pFail);
}

bool ReadHelp(const Bytes& file, HelpFile* pHelp, std::string* pError) {
    Failure fail;
    Cursor c = Over(file);
    uint32_t nMagic = c.U32();
    pHelp->nDirStart = c.U32();
    uint32_t nFreeBlock = c.U32(), nFileSize = c.U32();
    bool bOk = c.Ok() || fail.Set("shorter than the file header");
    bOk = bOk && (nMagic == 0x00035F3F || fail.Set("bad magic"));
    bOk = bOk && (nFreeBlock == kNoLink || fail.Set("a free-block list"));
    bOk = bOk && (nFileSize == file.size() || fail.Set("EntireFileSize is not the file's size"));
    bOk = bOk && (pHelp->nDirStart >= 16 || fail.Set("directory inside the header"));
    bOk = bOk && ReadDirectory(file, pHelp, &fail) && ReadSystem(file, pHelp, &fail) && ReadFonts(file, pHelp, &fail) &&
          ReadTopics(file, pHelp, &fail) && ReadContext(file, pHelp, &fail) && ReadTitles(file, pHelp, &fail);
    *pError = fail.what;
    return bOk;
}

// ---- Files and the tool -----------------------------------------------------------------------------

bool ReadFile(const std::string& path, Bytes* pBytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    pBytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

std::string Scratch(const std::string& name) { return std::string(TQ_HELP_SCRATCH_DIR) + "/" + name; }

// Runs the tool on a source written here; returns its exit code.
int RunTool(const std::string& sourceText, const std::string& output) {
    std::string source = output + ".txt";
    std::ofstream(source, std::ios::binary) << sourceText;
    remove(output.c_str());
    remove((output + ".htm").c_str());
    std::string command = std::string("'") + TQ_HELP_TOOL + "' '" + source + "' '" + output + "' '" + output +
                          ".htm' 2>/dev/null";
    int nStatus = system(command.c_str());
    return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
}

const Topic* TopicAt(const HelpFile& help, uint32_t nOffset) {
    for (const Topic& topic : help.topics)
        if (topic.nOffset == nOffset) return &topic;
    return nullptr;
}

const Topic* TopicByHash(const HelpFile& help, uint32_t nHash) {
    for (const auto& entry : help.context)
        if (static_cast<uint32_t>(entry.first) == nHash) return TopicAt(help, entry.second);
    return nullptr;
}

class TallyQuillHelp : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        loaded_ = ReadFile(TQ_HELP_FILE, &file_);
        if (loaded_) read_ = ReadHelp(file_, &help_, &error_);
    }
    void SetUp() override {
        ASSERT_TRUE(loaded_) << "cannot read " << TQ_HELP_FILE;
        ASSERT_TRUE(read_) << error_;
    }
    static Bytes file_;
    static HelpFile help_;
    static bool loaded_, read_;
    static std::string error_;
};
Bytes TallyQuillHelp::file_;
HelpFile TallyQuillHelp::help_;
bool TallyQuillHelp::loaded_ = false;
bool TallyQuillHelp::read_ = false;
std::string TallyQuillHelp::error_;

const char* const kIds[] = {"contents", "pricing", "fields", "rates",     "hotkey",
                            "tray",     "csvlog",  "quote",  "documents", "install"};
const char* const kTitles[] = {"Contents",        "Pricing a text", "The price fields and lines",
                               "Rates: standard lines, pages, characters without spaces and minimum charges",
                               "The hot key and Change Key", "The tray icon", "The CSV job log",
                               "Saving a quote", "Counting whole documents", "Installing and uninstalling"};
const size_t kTopicCount = sizeof(kIds) / sizeof(kIds[0]);

}  // namespace

TEST(HelpReader, DecodesTheFormatsTestVectors) {
    EXPECT_EQ(0x25F4558Au, Hash("contents"));
    EXPECT_EQ(0x4826CDDAu, Hash("pricing"));
    EXPECT_EQ(0x3D265A1Fu, Hash("settings"));
    EXPECT_EQ(0xD8C9B856u, Hash("hotkey"));
    EXPECT_EQ(0xADCCFE6Eu, Hash("csvlog"));
    EXPECT_EQ(0x0023ADC1u, Hash("main"));
    EXPECT_EQ(0x11u, Hash("a"));
    EXPECT_EQ(0x2Au, Hash("Z"));
    EXPECT_EQ(0x0Au, Hash("0"));
    EXPECT_EQ(Hash("HotKey"), Hash("hotkey"));

    Bytes bytes = {0x0A, 0x91, 0x01, 0x88, 0x7A, 0xC9, 0x80, 0x4A, 0x80};
    Cursor c = Over(bytes);
    EXPECT_EQ(5u, c.CUShort());
    EXPECT_EQ(200u, c.CUShort());
    EXPECT_EQ(4, c.CSShort());
    EXPECT_EQ(-3, c.CSShort());
    EXPECT_EQ(100, c.CSShort());
    EXPECT_EQ(37, c.CSLong());
    EXPECT_TRUE(c.Ok());
    EXPECT_EQ(0u, c.Left());
}

TEST_F(TallyQuillHelp, HeaderAndDirectory) {
    Cursor c = Over(file_);
    EXPECT_EQ(0x00035F3Fu, c.U32());
    EXPECT_EQ(help_.nDirStart, c.U32());
    EXPECT_LT(help_.nDirStart, file_.size());
    c.U32();
    EXPECT_EQ(file_.size(), c.U32());

    std::vector<std::string> names;
    for (const DirectoryEntry& entry : help_.directory) names.push_back(entry.name);
    EXPECT_EQ((std::vector<std::string>{"|CONTEXT", "|FONT", "|SYSTEM", "|TOPIC", "|TTLBTREE"}), names);
}

TEST_F(TallyQuillHelp, SystemAndFonts) {
    EXPECT_EQ(33, help_.nMinor);  // above 16: the 3.1 and later layout
    EXPECT_EQ(1, help_.nMajor);
    EXPECT_EQ(0, help_.nSystemFlags);  // uncompressed 4096-byte topic blocks
    EXPECT_EQ("TallyQuill Help", help_.title);
    ASSERT_TRUE(help_.bHasContents);
    ASSERT_FALSE(help_.topics.empty());
    EXPECT_EQ(help_.topics[0].nOffset, help_.nContentsOffset);
    // The viewer does not check font indexes.
    ASSERT_FALSE(help_.fontsUsed.empty());
    for (unsigned nFont : help_.fontsUsed) EXPECT_LT(nFont, help_.nFontDescriptors);
}

TEST_F(TallyQuillHelp, TopicChain) {
    ASSERT_EQ(kTopicCount, help_.topics.size());
    EXPECT_TRUE(help_.bClosingHeader);
    for (size_t i = 0; i < help_.topics.size(); ++i) {
        const Topic& topic = help_.topics[i];
        EXPECT_EQ(kTitles[i], topic.title);
        // A topic without text would share its offset with the next one, which would then win.
        EXPECT_GE(topic.textPositions.size(), 2u) << topic.title;
        if (i > 0) {
            EXPECT_GT(topic.nOffset, help_.topics[i - 1].nOffset) << topic.title;
        }
        // The heading the viewer shows is the title itself.
        EXPECT_EQ(0u, topic.text.find(topic.title + "\n")) << topic.title;
    }
    ASSERT_EQ(help_.topics.size(), help_.titles.size());
    for (size_t i = 0; i < help_.topics.size(); ++i) {
        EXPECT_EQ(help_.topics[i].nOffset, help_.titles[i].first);
        EXPECT_EQ(help_.topics[i].title, help_.titles[i].second);
    }
}

TEST_F(TallyQuillHelp, ContextTableAndLinks) {
    ASSERT_EQ(kTopicCount, help_.context.size());
    for (size_t i = 0; i < kTopicCount; ++i) {
        const Topic* pTopic = TopicByHash(help_, Hash(kIds[i]));
        ASSERT_NE(nullptr, pTopic) << kIds[i];
        EXPECT_EQ(kTitles[i], pTopic->title) << kIds[i];
    }
    for (const Topic& topic : help_.topics) {
        for (const Jump& jump : topic.jumps) {
            EXPECT_NE(nullptr, TopicByHash(help_, jump.nHash)) << topic.title << " links to " << Hex(jump.nHash);
            EXPECT_FALSE(jump.text.empty()) << topic.title;
        }
    }
    // The contents links to every topic, and every topic links back to the contents.
    const Topic& contents = help_.topics[0];
    for (size_t i = 1; i < kTopicCount; ++i) {
        bool bLinked = false;
        for (const Jump& jump : contents.jumps) bLinked = bLinked || jump.nHash == Hash(kIds[i]);
        EXPECT_TRUE(bLinked) << "contents does not link to " << kIds[i];
        bool bBack = false;
        for (const Jump& jump : help_.topics[i].jumps) bBack = bBack || jump.nHash == Hash("contents");
        EXPECT_TRUE(bBack) << help_.topics[i].title << " does not link to the contents";
    }
}

TEST_F(TallyQuillHelp, ContentsNamesEveryTopicAndTheProgram) {
    const std::string& text = help_.topics[0].text;
    for (size_t i = 1; i < kTopicCount; ++i) EXPECT_NE(std::string::npos, text.find(kTitles[i])) << kTitles[i];
    EXPECT_NE(std::string::npos, text.find("TallyQuill v " TQ_VERSION_TEXT));
    EXPECT_NE(std::string::npos, text.find("Kestrilon"));
    // Captions as the program shows them.
    std::string all;
    for (const Topic& topic : help_.topics) all += topic.text;
    for (const char* szCaption : {"Update Text", "Add To CSV", "Enable Hot Key", "Automatic Select and Copy Text",
                                  "Change Key", "Shift+F8", "Exit (Turn Off Hot Key )", "Open TallyQuill",
                                  "Add to CSV File", "Complete adding to CSV File.", "TallyQuill Uninstall"})
        EXPECT_NE(std::string::npos, all.find(szCaption)) << szCaption;
}

TEST(HelpTool, RefusesBadSourcesWithoutWritingAFile) {
    struct Case {
        const char* szName;
        const char* szSource;
    } cases[] = {
        {"missing_target", "#topic contents Contents\nSee [[nowhere|a topic]].\n"},
        {"duplicate_id", "#topic contents Contents\nText.\n#topic pricing One\nA.\n#topic Pricing Two\nB.\n"},
        {"no_topics", "; only a comment\n\n"},
        {"text_before_topic", "Some text.\n#topic contents Contents\nText.\n"},
        {"bad_id", "#topic con-tents Contents\nText.\n"},
        {"unclosed_link", "#topic contents Contents\nSee [[contents|here.\n"},
        {"utf8_text", "#topic contents Contents\nCaf\xC3\xA9.\n"},
    };
    for (const Case& c : cases) {
        std::string output = Scratch(std::string(c.szName) + ".hlp");
        EXPECT_NE(0, RunTool(c.szSource, output)) << c.szName;
        EXPECT_FALSE(Exists(output)) << c.szName;
        EXPECT_FALSE(Exists(output + ".tmp")) << c.szName;
        EXPECT_FALSE(Exists(output + ".htm")) << c.szName << ": no page from a bad source either";
    }
}

TEST(HelpTool, ReportsAnOutputItCannotWrite) {
    std::string output = Scratch("no_such_folder/out.hlp");
    std::string source = Scratch("unwritable.txt");
    std::ofstream(source, std::ios::binary) << "#topic contents Contents\nText.\n";
    std::string command = std::string("'") + TQ_HELP_TOOL + "' '" + source + "' '" + output + "' 2>/dev/null";
    int nStatus = system(command.c_str());
    ASSERT_TRUE(WIFEXITED(nStatus));
    EXPECT_NE(0, WEXITSTATUS(nStatus));
    EXPECT_FALSE(Exists(output));
}

// A source large enough for several topic blocks: records straddle block boundaries, topics start
// in later blocks, and every lookup must still land on the right topic.
TEST(HelpTool, LaysOutTopicsAcrossBlocks) {
    std::string source = "#topic contents Contents\nTopics: [[alpha]], [[beta]], [[gamma.2]].\n";
    const char* const ids[] = {"alpha", "beta", "gamma.2"};
    for (int t = 0; t < 3; ++t) {
        source += std::string("\n#topic ") + ids[t] + " Topic " + ids[t] + "\n";
        for (int p = 0; p < 40; ++p) {
            source += "\nParagraph " + std::to_string(p) + " of " + ids[t] +
                      ": some **bold** words and a link back to [[contents|the contents]], padded out with text "
                      "so that the records fill several blocks of the topic file.\n";
            if (p % 7 == 3) source += "\n* a list item of " + std::string(ids[t]) + "\n";
        }
    }
    std::string output = Scratch("large.hlp");
    ASSERT_EQ(0, RunTool(source, output));
    Bytes file;
    ASSERT_TRUE(ReadFile(output, &file));
    HelpFile help;
    std::string error;
    ASSERT_TRUE(ReadHelp(file, &help, &error)) << error;

    EXPECT_GE(help.nBlocks, 3u);
    EXPECT_GE(help.nStraddling, 1u);
    ASSERT_EQ(4u, help.topics.size());
    EXPECT_GE(help.topics[3].nOffset, 0x8000u);  // starts in a later block
    for (int t = 0; t < 3; ++t) {
        const Topic* pTopic = TopicByHash(help, Hash(ids[t]));
        ASSERT_NE(nullptr, pTopic) << ids[t];
        EXPECT_EQ(std::string("Topic ") + ids[t], pTopic->title);
        EXPECT_EQ(40u, pTopic->jumps.size());
        EXPECT_NE(std::string::npos, pTopic->text.find("Paragraph 39 of " + std::string(ids[t])));
    }
    EXPECT_EQ(TopicByHash(help, Hash("contents")), &help.topics[0]);

    // The same source gives the same bytes: the file carries no date.
    std::string again = Scratch("large_again.hlp");
    ASSERT_EQ(0, RunTool(source, again));
    Bytes second;
    ASSERT_TRUE(ReadFile(again, &second));
    EXPECT_TRUE(file == second);
}
