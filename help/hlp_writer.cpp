#include "help/hlp_writer.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>

namespace {

// ---- Fixed values of the layout -------------------------------------------------------------------

const uint32_t kFileMagic = 0x00035F3F;
const uint32_t kNone = 0xFFFFFFFF;  // "no record", "no topic", "no free block"
const size_t kFileHeaderSize = 16;
const size_t kInternalHeaderSize = 9;  // ReservedSpace, UsedSpace, FileFlags

const uint16_t kSystemMagic = 0x036C;
const uint16_t kSystemMinor = 33;  // above 16, or the viewer switches to the old 3.0 layout
const uint16_t kSystemMajor = 1;
const uint16_t kSystemFlagsUncompressed = 0;  // plain 4096-byte topic blocks
const uint16_t kSystemTitle = 1;
const uint16_t kSystemContents = 3;

const size_t kTopicBlockSize = 4096;
const size_t kTopicBlockHeader = 12;
const size_t kTopicBlockData = kTopicBlockSize - kTopicBlockHeader;  // 4084
const uint32_t kTopicPosPerBlock = 0x4000;
const uint32_t kTopicOffsetPerBlock = 0x8000;
const size_t kTopicLinkHeader = 21;
const size_t kTopicHeaderData1 = 28;
// The 2-byte form of cslong covers values below 16384; its 4-byte form is read differently by
// different viewers, so every record stays small enough never to need it.
const size_t kMaxRecordSize = 16000;

const uint8_t kRecordTopicHeader = 0x02;
const uint8_t kRecordText = 0x20;

const uint8_t kCmdFont = 0x80;
const uint8_t kCmdEndParagraph = 0x82;
const uint8_t kCmdEndHotspot = 0x89;
const uint8_t kCmdJump = 0xE3;
const uint8_t kCmdEnd = 0xFF;

const uint16_t kParaSpaceBelow = 0x0004;
const int kSpaceBelowParagraph = 12;
const int kSpaceBelowListItem = 4;
const char kBullet[] = "\x95 ";  // Windows-1252 bullet

// Fonts of |FONT, by descriptor index.
const uint16_t kFontBody = 0;
const uint16_t kFontHeading = 1;
const uint16_t kFontBold = 2;
const size_t kFaceNameSize = 20;

const uint16_t kTreeMagic = 0x293B;
const uint16_t kTreeFlagsDirectory = 0x0402;
const uint16_t kTreeFlagsOther = 0x0002;
const uint16_t kTreePageDirectory = 0x0400;
const uint16_t kTreePageOther = 0x0800;
const size_t kTreeHeaderSize = 38;
const size_t kLeafHeaderSize = 8;

// ---- Little-endian and compressed integers --------------------------------------------------------

void PutU8(HlpBytes* p, unsigned v) { p->push_back(static_cast<uint8_t>(v)); }
void PutU16(HlpBytes* p, unsigned v) {
    PutU8(p, v & 0xFF);
    PutU8(p, (v >> 8) & 0xFF);
}
void PutU32(HlpBytes* p, uint32_t v) {
    PutU16(p, v & 0xFFFF);
    PutU16(p, v >> 16);
}
void PutBytes(HlpBytes* p, const HlpBytes& bytes) { p->insert(p->end(), bytes.begin(), bytes.end()); }
void PutString(HlpBytes* p, const std::string& s) { p->insert(p->end(), s.begin(), s.end()); }
void SetU32(HlpBytes* p, size_t nAt, uint32_t v) {
    for (int i = 0; i < 4; ++i) (*p)[nAt + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Callers keep the values in the one- and two-byte ranges (records stay under kMaxRecordSize).
void PutCUShort(HlpBytes* p, unsigned v) {
    if (v < 128)
        PutU8(p, 2 * v);
    else
        PutU16(p, 2 * v + 1);
}
void PutCSShort(HlpBytes* p, int v) {
    if (v >= -64 && v < 64)
        PutU8(p, static_cast<unsigned>(2 * (v + 64)));
    else
        PutU16(p, static_cast<unsigned>(2 * (v + 16384) + 1));
}
void PutCSLong(HlpBytes* p, int v) { PutU16(p, static_cast<unsigned>(2 * (v + 16384))); }

// ---- Topic records --------------------------------------------------------------------------------

struct TopicRecord {
    uint8_t nType = 0;
    HlpBytes linkData1;
    HlpBytes linkData2;
    size_t nTopic = 0;  // index of the topic it belongs to
    // Filled by the layout:
    size_t nStream = 0;  // offset in the link stream
    uint32_t nTopicPos = 0;
    uint32_t nTopicOffset = 0;

    size_t Size() const { return kTopicLinkHeader + linkData1.size() + linkData2.size(); }
    uint32_t TopicLength() const { return static_cast<uint32_t>(linkData2.size()); }
};

// Collects one text record. The viewer prints the next NUL-terminated string of LinkData2, runs the
// next command, and repeats: so every command gets exactly one string, the text printed before it.
class TextRecordBuilder {
public:
    void Text(const std::string& text) { pending_ += text; }
    void Font(uint16_t nFont) {
        Command(kCmdFont);
        PutU16(&commands_, nFont);
    }
    void JumpStart(uint32_t nHash) {
        Command(kCmdJump);
        PutU32(&commands_, nHash);
    }
    void JumpEnd() { Command(kCmdEndHotspot); }

    // Ends the paragraph and returns the finished record.
    TopicRecord Finish(int nSpaceBelow, size_t nTopic) {
        Command(kCmdEndParagraph);
        Command(kCmdEnd);
        TopicRecord record;
        record.nType = kRecordText;
        record.nTopic = nTopic;
        record.linkData2 = strings_;
        HlpBytes rest;  // what follows TopicLength: fixed bytes, paragraph format, commands
        PutU8(&rest, 0x00);
        PutU8(&rest, 0x80);
        PutU16(&rest, 0);
        PutU16(&rest, kParaSpaceBelow);
        PutCSShort(&rest, nSpaceBelow);
        PutBytes(&rest, commands_);
        // TopicSize: the viewer ignores it; the byte count after TopicLength is what the help
        // compilers write, and what the checked files carry.
        PutCSLong(&record.linkData1, static_cast<int>(rest.size()));
        PutCUShort(&record.linkData1, static_cast<unsigned>(strings_.size()));
        PutBytes(&record.linkData1, rest);
        return record;
    }

private:
    void Command(uint8_t nCommand) {
        PutString(&strings_, pending_);
        PutU8(&strings_, 0);
        pending_.clear();
        PutU8(&commands_, nCommand);
    }

    std::string pending_;
    HlpBytes strings_;
    HlpBytes commands_;
};

TopicRecord HeadingRecord(const HelpTopic& topic, size_t nTopic) {
    TextRecordBuilder builder;
    builder.Font(kFontHeading);
    builder.Text(topic.title);
    return builder.Finish(kSpaceBelowParagraph, nTopic);
}

TopicRecord ParagraphRecord(const HelpParagraph& paragraph, int nSpaceBelow, size_t nTopic) {
    TextRecordBuilder builder;
    builder.Font(kFontBody);
    if (paragraph.bListItem) builder.Text(kBullet);
    for (const HelpSpan& span : paragraph.spans) {
        switch (span.kind) {
            case HelpSpan::kText:
                builder.Text(span.text);
                break;
            case HelpSpan::kBold:
                builder.Font(kFontBold);
                builder.Text(span.text);
                builder.Font(kFontBody);
                break;
            case HelpSpan::kLink:
                builder.JumpStart(HelpContextHash(span.target));
                builder.Text(span.text);
                builder.JumpEnd();
                break;
        }
    }
    return builder.Finish(nSpaceBelow, nTopic);
}

TopicRecord TopicHeaderRecord(const std::string& title, size_t nTopic) {
    TopicRecord record;
    record.nType = kRecordTopicHeader;
    record.nTopic = nTopic;
    record.linkData1.assign(kTopicHeaderData1, 0);  // filled once the layout is known
    PutString(&record.linkData2, title);
    return record;
}

// Record order: per topic its header, its heading and its paragraphs; then an empty header that
// closes the stream, as the help compilers write it (the viewer here does not need it).
bool BuildRecords(const HelpSource& source, std::vector<TopicRecord>* pRecords, std::string* pError) {
    for (size_t t = 0; t < source.topics.size(); ++t) {
        const HelpTopic& topic = source.topics[t];
        pRecords->push_back(TopicHeaderRecord(topic.title, t));
        pRecords->push_back(HeadingRecord(topic, t));
        for (size_t p = 0; p < topic.paragraphs.size(); ++p) {
            // List items sit close together; the last one is spaced like a paragraph.
            bool bListGoesOn = topic.paragraphs[p].bListItem && p + 1 < topic.paragraphs.size() &&
                               topic.paragraphs[p + 1].bListItem;
            int nSpaceBelow = bListGoesOn ? kSpaceBelowListItem : kSpaceBelowParagraph;
            pRecords->push_back(ParagraphRecord(topic.paragraphs[p], nSpaceBelow, t));
        }
    }
    pRecords->push_back(TopicHeaderRecord(std::string(), source.topics.size()));
    for (const TopicRecord& record : *pRecords) {
        if (record.Size() > kMaxRecordSize) {
            const HelpTopic& topic = source.topics[record.nTopic];
            char szMessage[160];
            snprintf(szMessage, sizeof(szMessage), "a paragraph of topic \"%s\" (line %d) is too long: %u bytes, at most %u",
                     topic.contextId.c_str(), topic.nLine, static_cast<unsigned>(record.Size()),
                     static_cast<unsigned>(kMaxRecordSize));
            *pError = szMessage;
            return false;
        }
    }
    return true;
}

// Gives every record its stream offset, TOPICPOS and TOPICOFFSET. A TOPICOFFSET counts the text
// bytes of the 0x20 records that start earlier in the same block, so it restarts in every block.
void LayOutRecords(std::vector<TopicRecord>* pRecords) {
    size_t nStream = 0, nBlock = 0;
    uint32_t nTextInBlock = 0;
    for (TopicRecord& record : *pRecords) {
        size_t nThisBlock = nStream / kTopicBlockData;
        if (nThisBlock != nBlock) {
            nBlock = nThisBlock;
            nTextInBlock = 0;
        }
        record.nStream = nStream;
        record.nTopicPos = static_cast<uint32_t>(nBlock * kTopicPosPerBlock + kTopicBlockHeader + nStream % kTopicBlockData);
        record.nTopicOffset = static_cast<uint32_t>(nBlock * kTopicOffsetPerBlock) + nTextInBlock;
        if (record.nType == kRecordText) nTextInBlock += record.TopicLength();
        nStream += record.Size();
    }
}

// Fills the topic headers' fields: size, browse sequence, number, first text record, next header.
void FillTopicHeaders(std::vector<TopicRecord>* pRecords) {
    std::vector<size_t> headers;
    for (size_t i = 0; i < pRecords->size(); ++i)
        if ((*pRecords)[i].nType == kRecordTopicHeader) headers.push_back(i);
    size_t nRealTopics = headers.size() - 1;  // the last header closes the stream
    for (size_t h = 0; h < headers.size(); ++h) {
        TopicRecord& header = (*pRecords)[headers[h]];
        size_t nFirst = headers[h] + 1;
        size_t nAfter = h + 1 < headers.size() ? headers[h + 1] : pRecords->size();
        uint32_t nTopicSize = 0;
        for (size_t i = nFirst; i < nAfter; ++i) nTopicSize += static_cast<uint32_t>((*pRecords)[i].Size());
        bool bReal = h < nRealTopics;
        uint32_t nBrowseBack = (bReal && h > 0) ? (*pRecords)[headers[h - 1]].nTopicOffset : kNone;
        uint32_t nBrowseFore = (bReal && h + 1 < nRealTopics) ? (*pRecords)[headers[h + 1]].nTopicOffset : kNone;
        uint32_t nScroll = nFirst < nAfter ? (*pRecords)[nFirst].nTopicPos : kNone;
        uint32_t nNextTopic = h + 1 < headers.size() ? (*pRecords)[headers[h + 1]].nTopicPos : kNone;
        HlpBytes& data = header.linkData1;
        SetU32(&data, 0, nTopicSize);
        SetU32(&data, 4, nBrowseBack);
        SetU32(&data, 8, nBrowseFore);
        SetU32(&data, 12, static_cast<uint32_t>(h));
        SetU32(&data, 16, kNone);  // no non-scrolling region
        SetU32(&data, 20, nScroll);
        SetU32(&data, 24, nNextTopic);
    }
}

HlpBytes LinkStream(const std::vector<TopicRecord>& records) {
    HlpBytes stream;
    for (size_t i = 0; i < records.size(); ++i) {
        const TopicRecord& record = records[i];
        PutU32(&stream, static_cast<uint32_t>(record.Size()));
        PutU32(&stream, record.TopicLength());  // the stored length: a larger one means phrase compression
        PutU32(&stream, i > 0 ? records[i - 1].nTopicPos : kNone);
        PutU32(&stream, i + 1 < records.size() ? records[i + 1].nTopicPos : kNone);
        PutU32(&stream, static_cast<uint32_t>(kTopicLinkHeader + record.linkData1.size()));
        PutU8(&stream, record.nType);
        PutBytes(&stream, record.linkData1);
        PutBytes(&stream, record.linkData2);
    }
    return stream;
}

// Cuts the stream into blocks behind their headers. The last block is padded to full size: the
// viewer copies a whole block's worth of data from each one.
HlpBytes TopicFile(const std::vector<TopicRecord>& records) {
    HlpBytes stream = LinkStream(records);
    size_t nBlocks = (stream.size() + kTopicBlockData - 1) / kTopicBlockData;
    stream.resize(nBlocks * kTopicBlockData, 0);
    HlpBytes file;
    for (size_t b = 0; b < nBlocks; ++b) {
        size_t nBlockStart = b * kTopicBlockData;
        uint32_t nLastBefore = kNone, nFirstIn = kNone, nLastHeaderBefore = kNone;
        for (const TopicRecord& record : records) {
            if (record.nStream < nBlockStart) {
                nLastBefore = record.nTopicPos;
                if (record.nType == kRecordTopicHeader) nLastHeaderBefore = record.nTopicPos;
            } else if (record.nStream < nBlockStart + kTopicBlockData && nFirstIn == kNone) {
                nFirstIn = record.nTopicPos;
            }
        }
        PutU32(&file, nLastBefore);
        PutU32(&file, nFirstIn);
        PutU32(&file, nLastHeaderBefore);
        file.insert(file.end(), stream.begin() + nBlockStart, stream.begin() + nBlockStart + kTopicBlockData);
    }
    return file;
}

// ---- B+ trees (one leaf page) ---------------------------------------------------------------------

bool SinglePageTree(uint16_t nFlags, uint16_t nPageSize, const char* szStructure, const std::vector<HlpBytes>& entries,
                    const char* szWhat, HlpBytes* pTree, std::string* pError) {
    size_t nUsed = 0;
    for (const HlpBytes& entry : entries) nUsed += entry.size();
    if (nUsed > nPageSize - kLeafHeaderSize) {
        *pError = std::string("too many entries for one page of ") + szWhat;
        return false;
    }
    HlpBytes& tree = *pTree;
    PutU16(&tree, kTreeMagic);
    PutU16(&tree, nFlags);
    PutU16(&tree, nPageSize);
    char structure[16] = {0};
    strncpy(structure, szStructure, sizeof(structure) - 1);
    tree.insert(tree.end(), structure, structure + sizeof(structure));
    PutU16(&tree, 0);
    PutU16(&tree, 0);       // page splits
    PutU16(&tree, 0);       // root page
    PutU16(&tree, 0xFFFF);  // -1
    PutU16(&tree, 1);       // total pages
    PutU16(&tree, 1);       // levels
    PutU32(&tree, static_cast<uint32_t>(entries.size()));
    size_t nPageStart = tree.size();
    PutU16(&tree, static_cast<unsigned>(nPageSize - kLeafHeaderSize - nUsed));
    PutU16(&tree, static_cast<unsigned>(entries.size()));
    PutU16(&tree, 0xFFFF);  // no previous leaf
    PutU16(&tree, 0xFFFF);  // no next leaf
    for (const HlpBytes& entry : entries) PutBytes(&tree, entry);
    tree.resize(nPageStart + nPageSize, 0);
    return true;
}

// ---- Internal files -------------------------------------------------------------------------------

HlpBytes SystemFile(const std::string& title, uint32_t nContentsOffset) {
    HlpBytes file;
    PutU16(&file, kSystemMagic);
    PutU16(&file, kSystemMinor);
    PutU16(&file, kSystemMajor);
    PutU32(&file, 0);  // no date: the same source always gives the same file
    PutU16(&file, kSystemFlagsUncompressed);
    PutU16(&file, kSystemTitle);
    PutU16(&file, static_cast<unsigned>(title.size() + 1));
    PutString(&file, title);
    PutU8(&file, 0);
    PutU16(&file, kSystemContents);
    PutU16(&file, 4);
    PutU32(&file, nContentsOffset);
    return file;
}

void PutFontDescriptor(HlpBytes* p, uint8_t nAttributes, uint8_t nHalfPoints) {
    const uint8_t kFamilySwiss = 3;
    PutU8(p, nAttributes);
    PutU8(p, nHalfPoints);
    PutU8(p, kFamilySwiss);
    PutU16(p, 0);  // the one face name
    PutU8(p, 0);   // text colour: black
    PutU8(p, 0);
    PutU8(p, 0);
    PutU8(p, 0);  // background colour, unused
    PutU8(p, 0);
    PutU8(p, 0);
}

HlpBytes FontFile() {
    const uint8_t kBold = 1;
    const uint16_t kFaces = 1, kDescriptors = 3, kFacesAt = 8;
    HlpBytes file;
    PutU16(&file, kFaces);
    PutU16(&file, kDescriptors);
    PutU16(&file, kFacesAt);
    PutU16(&file, static_cast<unsigned>(kFacesAt + kFaces * kFaceNameSize));
    char face[kFaceNameSize] = "Arial";
    file.insert(file.end(), face, face + kFaceNameSize);
    // In descriptor order: kFontBody, kFontHeading, kFontBold.
    PutFontDescriptor(&file, 0, 20);     // 10 pt
    PutFontDescriptor(&file, kBold, 28);  // 14 pt
    PutFontDescriptor(&file, kBold, 20);
    return file;
}

struct ContextEntry {
    int32_t nHash;
    uint32_t nTopicOffset;
};

// The viewer's lookup stops at the first larger key, comparing hashes as signed numbers.
bool ContextFile(const HelpSource& source, const std::vector<uint32_t>& topicOffsets, HlpBytes* pFile,
                 std::string* pError) {
    std::vector<ContextEntry> table;
    for (size_t t = 0; t < source.topics.size(); ++t)
        table.push_back({static_cast<int32_t>(HelpContextHash(source.topics[t].contextId)), topicOffsets[t]});
    std::vector<size_t> order(table.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return table[a].nHash < table[b].nHash; });
    std::vector<HlpBytes> entries;
    for (size_t k = 0; k < order.size(); ++k) {
        if (k > 0 && table[order[k]].nHash == table[order[k - 1]].nHash) {
            *pError = "context IDs \"" + source.topics[order[k - 1]].contextId + "\" and \"" +
                      source.topics[order[k]].contextId + "\" have the same hash; rename one of them";
            return false;
        }
        HlpBytes entry;
        PutU32(&entry, static_cast<uint32_t>(table[order[k]].nHash));
        PutU32(&entry, table[order[k]].nTopicOffset);
        entries.push_back(entry);
    }
    return SinglePageTree(kTreeFlagsOther, kTreePageOther, "L4", entries, "|CONTEXT (too many topics)", pFile, pError);
}

// Titles by topic offset, for search lists in viewers that use them. Offsets grow in topic order.
bool TitleFile(const HelpSource& source, const std::vector<uint32_t>& topicOffsets, HlpBytes* pFile,
               std::string* pError) {
    std::vector<HlpBytes> entries;
    for (size_t t = 0; t < source.topics.size(); ++t) {
        HlpBytes entry;
        PutU32(&entry, topicOffsets[t]);
        PutString(&entry, source.topics[t].title);
        PutU8(&entry, 0);
        entries.push_back(entry);
    }
    return SinglePageTree(kTreeFlagsOther, kTreePageOther, "Lz", entries, "|TTLBTREE (titles too long)", pFile, pError);
}

struct InternalFile {
    std::string name;
    HlpBytes data;
};

void PutInternalFile(HlpBytes* pFile, const HlpBytes& data) {
    // ReservedSpace is where the viewer takes the end of the file from, so it leaves no slack.
    PutU32(pFile, static_cast<uint32_t>(data.size() + kInternalHeaderSize));
    PutU32(pFile, static_cast<uint32_t>(data.size()));
    PutU8(pFile, 0);
    PutBytes(pFile, data);
}

// Lays the internal files out from offset 16 in name order, then the directory, then the header.
bool Container(std::vector<InternalFile> files, HlpBytes* pOut, std::string* pError) {
    std::sort(files.begin(), files.end(),
              [](const InternalFile& a, const InternalFile& b) { return strcmp(a.name.c_str(), b.name.c_str()) < 0; });
    HlpBytes body;
    std::vector<HlpBytes> entries;
    for (const InternalFile& file : files) {
        HlpBytes entry;
        PutString(&entry, file.name);
        PutU8(&entry, 0);
        PutU32(&entry, static_cast<uint32_t>(kFileHeaderSize + body.size()));
        entries.push_back(entry);
        PutInternalFile(&body, file.data);
    }
    HlpBytes directory;
    if (!SinglePageTree(kTreeFlagsDirectory, kTreePageDirectory, "z4", entries, "the directory", &directory, pError))
        return false;
    uint32_t nDirStart = static_cast<uint32_t>(kFileHeaderSize + body.size());
    PutInternalFile(&body, directory);
    HlpBytes& out = *pOut;
    out.clear();
    PutU32(&out, kFileMagic);
    PutU32(&out, nDirStart);
    PutU32(&out, kNone);  // no free blocks
    PutU32(&out, static_cast<uint32_t>(kFileHeaderSize + body.size()));
    PutBytes(&out, body);
    return true;
}

}  // namespace

uint32_t HelpContextHash(const std::string& id) {
    uint32_t nHash = 0;
    for (char c : id) {
        uint32_t nValue = 0;
        if (c >= 'A' && c <= 'Z') nValue = static_cast<uint32_t>(c - 'A' + 17);
        if (c >= 'a' && c <= 'z') nValue = static_cast<uint32_t>(c - 'a' + 17);
        if (c >= '1' && c <= '9') nValue = static_cast<uint32_t>(c - '0');
        if (c == '0') nValue = 10;
        if (c == '.') nValue = 12;
        if (c == '_') nValue = 13;
        nHash = nHash * 43 + nValue;
    }
    return nHash;
}

bool BuildHelpFile(const HelpSource& source, const std::string& fileTitle, HlpBytes* pFile, std::string* pError) {
    if (source.topics.empty()) {
        *pError = "no topics";
        return false;
    }
    std::vector<TopicRecord> records;
    if (!BuildRecords(source, &records, pError)) return false;
    LayOutRecords(&records);
    FillTopicHeaders(&records);

    std::vector<uint32_t> topicOffsets;
    for (const TopicRecord& record : records)
        if (record.nType == kRecordTopicHeader && record.nTopic < source.topics.size())
            topicOffsets.push_back(record.nTopicOffset);

    std::vector<InternalFile> files(5);
    files[0].name = "|SYSTEM";
    files[0].data = SystemFile(fileTitle, topicOffsets[0]);
    files[1].name = "|FONT";
    files[1].data = FontFile();
    files[2].name = "|TOPIC";
    files[2].data = TopicFile(records);
    files[3].name = "|CONTEXT";
    if (!ContextFile(source, topicOffsets, &files[3].data, pError)) return false;
    files[4].name = "|TTLBTREE";
    if (!TitleFile(source, topicOffsets, &files[4].data, pError)) return false;
    return Container(files, pFile, pError);
}
