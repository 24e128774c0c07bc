// The caller of a long reading is asked, every few megabytes inflated or parsed, whether to go on,
// and a "no" stops the reading with its own result.
#include "documents/counting_sink.h"
#include "documents/document_reader.h"
#include "documents/inflate.h"
#include "documents/reading_progress.h"
#include "documents/small_inflate.h"
#include "documents/xml_reader.h"
#include "tests/unit/zip_writer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// 16 MB of work: at one question every 4 MB, at least 4.
const size_t kLargeBytes = 16u << 20;
const unsigned kAtLeastQuestions = kLargeBytes / (4u << 20);

class CountingProgress : public ReadingProgress {
public:
    explicit CountingProgress(unsigned nStopAt = 0) : nQuestions(0), nStopAt(nStopAt) {}
    bool GoOn() override { return ++nQuestions != nStopAt; }
    unsigned nQuestions;
    unsigned nStopAt;  // the question answered "stop"; 0: none
};

// Paragraphs of one word and their markup, to about cb bytes.
std::string Repeated(const std::string& head, const std::string& item, const std::string& tail, size_t cb) {
    std::string text = head;
    text.reserve(cb + item.size() + tail.size());
    while (text.size() < cb) text += item;
    return text + tail;
}

std::string LargeDocx() {
    const char kType[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";
    std::string body = Repeated("<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
                                "<w:body>",
                                "<w:p><w:r><w:t>word</w:t></w:r></w:p>", "</w:body></w:document>", kLargeBytes);
    // A stored entry of bytes that do not deflate keeps the file within the inflate budget.
    std::string noise(kLargeBytes / 150, '\0');
    uint32_t nSeed = 7;
    for (char& c : noise) c = static_cast<char>((nSeed = nSeed * 1103515245u + 12345u) >> 24);
    return WriteZip({{"[Content_Types].xml", "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                                             "content-types\"><Override PartName=\"/word/document.xml\" "
                                             "ContentType=\"application/vnd.openxmlformats-officedocument."
                                             "wordprocessingml.document.main+xml\"/></Types>"},
                     {"_rels/.rels", std::string("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/"
                                                 "2006/relationships\"><Relationship Id=\"r\" Type=\"") +
                                         kType + "\" Target=\"word/document.xml\"/></Relationships>"},
                     {"word/document.xml", body},
                     {"word/media/noise.bin", noise, false}});
}

TEST(ReadingProgress, IsAskedEveryFewMegabytesInflated) {
    std::string text = Repeated("", "<w:p><w:r><w:t>word</w:t></w:r></w:p>", "", kLargeBytes);
    std::string deflated = zip_writer::Deflate(text);
    const unsigned char* pIn = reinterpret_cast<const unsigned char*>(deflated.data());
    std::string out(text.size(), '\0');
    unsigned char* pOut = reinterpret_cast<unsigned char*>(&out[0]);
    CountingProgress zlibProgress, smallProgress;
    ProgressMeter zlibMeter(&zlibProgress), smallMeter(&smallProgress);
    EXPECT_TRUE(InflateRaw(pIn, deflated.size(), pOut, out.size(), &zlibMeter) == InflateResult::kWhole);
    EXPECT_GE(zlibProgress.nQuestions, kAtLeastQuestions) << "questions while the build's inflater inflated "
                                                          << text.size() << " bytes";
    EXPECT_TRUE(SmallInflate(pIn, deflated.size(), pOut, out.size(), &smallMeter));
    EXPECT_GE(smallProgress.nQuestions, kAtLeastQuestions) << "questions while the small inflater inflated "
                                                           << text.size() << " bytes";
    CountingProgress stop(1);
    ProgressMeter stopMeter(&stop);
    EXPECT_FALSE(SmallInflate(pIn, deflated.size(), pOut, out.size(), &stopMeter));
    EXPECT_TRUE(stopMeter.Stopped()) << "the small inflater went on after a stop";
}

TEST(ReadingProgress, IsAskedEveryFewMegabytesParsedOrCounted) {
    std::string xml = Repeated("<r>", "<p a=\"1\">word</p>", "</r>", kLargeBytes);
    CountingProgress progress;
    ProgressMeter meter(&progress);
    XmlReader reader(xml.data(), xml.size(), &meter);
    while (reader.Next() != XmlToken::kEndDocument && reader.Token() != XmlToken::kError) {
    }
    EXPECT_EQ(XmlToken::kEndDocument, reader.Token()) << XmlErrorText(reader.Error());
    EXPECT_GE(progress.nQuestions, kAtLeastQuestions) << "questions while " << xml.size() << " bytes of XML were parsed";

    // One long text, as a part of a single run of words gives it, is counted in steps too.
    std::string words = Repeated("", "word ", "", kLargeBytes);
    CountingSink counter(80);
    DocumentText text(&counter);
    CountingProgress textProgress;
    text.WatchProgress(&textProgress);
    text.Put(words.data(), words.size());
    EXPECT_GE(textProgress.nQuestions, kAtLeastQuestions) << "questions while a text of " << words.size()
                                                          << " bytes was counted";
    EXPECT_EQ(words.size() / 5, counter.Counts().nWords) << "words of the text counted in steps";
}

TEST(ReadingProgress, AStopEndsTheReadingOfEveryKindOfDocument) {
    struct Case {
        const char* szWhat;
        DocumentKind kind;
        std::string file;
    } cases[] = {
        {"a .docx of a 16 MB part", DocumentKind::kZip, LargeDocx()},
        {"RTF", DocumentKind::kRtf, Repeated("{\\rtf1 ", "{\\b word} \\par ", "}", kLargeBytes)},
        {"a web page", DocumentKind::kHtml, Repeated("<html><body>", "<p>word</p>", "</body></html>", kLargeBytes)},
        {"SubRip", DocumentKind::kSrt, Repeated("", "1\r\n00:00:01,000 --> 00:00:02,000\r\nword\r\n\r\n", "", kLargeBytes)},
    };
    for (const Case& c : cases) {
        const unsigned char* pData = reinterpret_cast<const unsigned char*>(c.file.data());
        CountingSink counter(80);
        DocumentText whole(&counter);
        CountingProgress goOn;
        whole.WatchProgress(&goOn);
        EXPECT_TRUE(ReadDocument(c.kind, pData, c.file.size(), 0, &whole))
            << c.szWhat << ": " << (whole.Refusal() ? whole.Refusal() : "");
        EXPECT_GE(goOn.nQuestions, kAtLeastQuestions) << c.szWhat << " of " << c.file.size() << " bytes";

        CountingSink stoppedCounter(80);
        DocumentText stopped(&stoppedCounter);
        CountingProgress stop(2);
        stopped.WatchProgress(&stop);
        EXPECT_FALSE(ReadDocument(c.kind, pData, c.file.size(), 0, &stopped)) << c.szWhat << " was read whole";
        EXPECT_TRUE(stopped.Stopped()) << c.szWhat;
        EXPECT_EQ(std::string(kRefusedStopped), stopped.Refusal() ? stopped.Refusal() : "<none>") << c.szWhat;
        EXPECT_EQ(2u, stop.nQuestions) << c.szWhat << ": questions after the stop";
    }
}

}  // namespace
