// document_bench: how fast documents are read, on generated Word, OpenDocument and Excel files.
//   document_bench TALLYQ_COUNT
// Writes a 300-page .docx (about 120,000 words) and larger .docx, .odt and .xlsx files with the
// markup density their programs write. For each: the text read in-process (zip, XML and the format's
// rules) against zlib's own inflate of the same parts, tallyq-count end to end, and the peers
// docx2txt | wc -w and odt2txt | wc -w where installed (with the share of odt2txt's time that
// inflating content.xml takes). Then presentations of 2,000 and 32,000 one-word slides and one of
// 65,535 entries, the most a zip without ZIP64 holds: their times should grow as their parts do.
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "documents/counting_sink.h"
#include "documents/document_reader.h"
#include "documents/zip_archive.h"
#include "tests/unit/zip_writer.h"

namespace {

const int kRuns = 5;
const double kThreeHundredPagesGoalMs = 100;
const double kInflateShareGoal = 0.50;
const double kDocx2txtGoal = 20, kOdt2txtGoal = 2;
const double kManySlidesGoal = 32;        // at most twice the cost per slide of a smaller presentation
const double kFullPackageGoalMs = 1000;

// Words of a made-up language of English's letter frequencies, so no two paragraphs are alike.
struct Words {
    uint64_t nState = 0x5EED;
    std::string Next() {
        nState = nState * 6364136223846793005ull + 1442695040888963407ull;
        static const char kLetters[] = "etaoinshrdlcumwfgypbvkjxqz";
        std::string word;
        int nLength = 2 + static_cast<int>((nState >> 33) % 8);
        for (int i = 0; i < nLength; ++i) word += kLetters[((nState >> (i * 5 + 3)) % 26 + (nState >> 60)) % 26];
        return word;
    }
    std::string Sentence(int nWords) {
        std::string text;
        for (int i = 0; i < nWords; ++i) text += (i ? " " : "") + Next();
        return text + ".";
    }
};

// A Word body: paragraphs of two or three runs with Word's run properties, about 400 words a page.
std::string Docx(int nPages) {
    Words words;
    std::string body;
    for (int nPage = 0; nPage < nPages; ++nPage) {
        for (int nParagraph = 0; nParagraph < 5; ++nParagraph) {
            body += "<w:p w:rsidR=\"00A1B2C3\" w:rsidRDefault=\"00A1B2C3\"><w:pPr><w:spacing w:after=\"120\"/>"
                    "<w:rPr><w:lang w:val=\"en-GB\"/></w:rPr></w:pPr>";
            for (int nRun = 0; nRun < 3; ++nRun) {
                body += "<w:r><w:rPr><w:rFonts w:ascii=\"Calibri\" w:hAnsi=\"Calibri\"/><w:sz w:val=\"22\"/>"
                        "<w:lang w:val=\"en-GB\"/></w:rPr><w:t xml:space=\"preserve\">" + words.Sentence(27) + " </w:t></w:r>";
            }
            body += "</w:p>";
        }
    }
    const char kType[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";
    return WriteZip({{"[Content_Types].xml", "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                                             "<Override PartName=\"/word/document.xml\" ContentType=\"application/"
                                             "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>"},
                     {"_rels/.rels", std::string("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                                                 "relationships\"><Relationship Id=\"r\" Type=\"") + kType +
                                         "\" Target=\"word/document.xml\"/></Relationships>"},
                     {"word/document.xml", "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/"
                                           "2006/main\"><w:body>" + body + "</w:body></w:document>"}});
}

std::string Odt(int nPages) {
    Words words;
    std::string body;
    for (int nParagraph = 0; nParagraph < nPages * 5; ++nParagraph) {
        body += "<text:p text:style-name=\"P1\">" + words.Sentence(40) + " <text:span text:style-name=\"T1\">" +
                words.Sentence(20) + "</text:span> " + words.Sentence(21) + "</text:p>";
    }
    return WriteZip({{"mimetype", "application/vnd.oasis.opendocument.text", false},
                     {"content.xml", "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                                     "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:text>" +
                                         body + "</office:text></office:body></office:document-content>"}});
}

// A sheet of rows of five cells: two shared strings, a number, an inline string and a formula.
std::string Xlsx(int nRows) {
    Words words;
    std::string strings, sheet;
    for (int nRow = 1; nRow <= nRows; ++nRow) {
        strings += "<si><t>" + words.Sentence(6) + "</t></si><si><t>" + words.Sentence(3) + "</t></si>";
        std::string r = std::to_string(nRow);
        sheet += "<row r=\"" + r + "\"><c r=\"A" + r + "\" t=\"s\"><v>" + std::to_string(2 * nRow - 2) + "</v></c><c r=\"B" +
                 r + "\" t=\"s\"><v>" + std::to_string(2 * nRow - 1) + "</v></c><c r=\"C" + r + "\"><v>" + r +
                 ".25</v></c><c r=\"D" + r + "\" t=\"inlineStr\"><is><t>" + words.Sentence(4) + "</t></is></c><c r=\"E" + r +
                 "\"><f>C" + r + "*2</f><v>" + r + "</v></c></row>";
    }
    const char kS[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const char kR[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    std::string rels = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    return WriteZip({{"[Content_Types].xml", "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                                             "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
                                             "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/></Types>"},
                     {"_rels/.rels", rels + "<Relationship Id=\"r\" Type=\"" + kR + "officeDocument\" Target=\"xl/workbook.xml\"/>"
                                            "</Relationships>"},
                     {"xl/workbook.xml", std::string("<workbook xmlns=\"") + kS +
                                             "\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                                             "relationships\"><sheets><sheet name=\"A\" sheetId=\"1\" r:id=\"s\"/></sheets></workbook>"},
                     {"xl/_rels/workbook.xml.rels", rels + "<Relationship Id=\"s\" Type=\"" + kR + "worksheet\" Target=\"sheet1.xml\"/>"
                                                    "<Relationship Id=\"t\" Type=\"" + kR + "sharedStrings\" Target=\"strings.xml\"/>"
                                                    "</Relationships>"},
                     {"xl/strings.xml", std::string("<sst xmlns=\"") + kS + "\">" + strings + "</sst>"},
                     {"xl/sheet1.xml", std::string("<worksheet xmlns=\"") + kS + "\"><sheetData>" + sheet + "</sheetData></worksheet>"}});
}

// A presentation of one-word slides, each slide a part of its own, as presentations of many short
// slides are: nSlides + 4 entries.
std::string Pptx(int nSlides) {
    const char kP[] = "http://schemas.openxmlformats.org/presentationml/2006/main";
    const char kA[] = "http://schemas.openxmlformats.org/drawingml/2006/main";
    const char kR[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    std::string rels = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    std::string ids, slideRels = rels;
    std::vector<Member> members;
    for (int i = 1; i <= nSlides; ++i) {
        std::string n = std::to_string(i);
        ids += "<p:sldId id=\"" + std::to_string(255 + i) + "\" r:id=\"rId" + n + "\"/>";
        slideRels += "<Relationship Id=\"rId" + n + "\" Type=\"" + kR + "/slide\" Target=\"slides/slide" + n + ".xml\"/>";
        members.push_back({"ppt/slides/slide" + n + ".xml",
                           std::string("<p:sld xmlns:p=\"") + kP + "\" xmlns:a=\"" + kA + "\"><p:cSld><p:spTree><p:sp>"
                               "<p:txBody><a:p><a:r><a:t>word" + n + "</a:t></a:r></a:p></p:txBody></p:sp></p:spTree>"
                               "</p:cSld></p:sld>"});
    }
    members.push_back({"[Content_Types].xml", "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                                              "<Override PartName=\"/ppt/presentation.xml\" ContentType=\"application/"
                                              "vnd.openxmlformats-officedocument.presentationml.presentation.main+xml\"/>"
                                              "</Types>"});
    members.push_back({"_rels/.rels", rels + "<Relationship Id=\"r\" Type=\"" + kR + "/officeDocument\" "
                                             "Target=\"ppt/presentation.xml\"/></Relationships>"});
    members.push_back({"ppt/presentation.xml", std::string("<p:presentation xmlns:p=\"") + kP + "\" xmlns:r=\"" + kR +
                                                   "\"><p:sldIdLst>" + ids + "</p:sldIdLst></p:presentation>"});
    members.push_back({"ppt/_rels/presentation.xml.rels", slideRels + "</Relationships>"});
    return WriteZip(members);
}

// zlib's own inflate of every entry: what reading a document cannot be faster than.
void InflateAll(const std::string& file) {
    ZipArchive archive;
    archive.Open(reinterpret_cast<const unsigned char*>(file.data()), file.size());
    std::vector<unsigned char> out;
    for (size_t i = 0; i < archive.EntryCount(); ++i) {
        ZipEntry entry;
        archive.GetEntry(i, &entry);
        out.resize(entry.cbUncompressed);
        archive.Extract(entry, out.data(), out.size());
    }
}

TextCounts ReadText(const std::string& file) {
    CountingSink counter(80);
    DocumentText text(&counter);
    ReadDocument(DocumentKind::kZip, reinterpret_cast<const unsigned char*>(file.data()), file.size(), 0, &text);
    return counter.Counts();
}

// A file written into the folder; false when it cannot be.
bool WriteInto(const std::string& path, const std::string& file) {
    return WriteFile(path.c_str(), file.data(), file.size());
}

// The documents' table: each file read in-process, inflated by zlib alone, and counted by
// tallyq-count and by its peer where installed. False when a file cannot be written.
struct DocumentFigures {
    double dThreeHundredMs, dWorstShare, dDocxRatio, dOdtRatio;
};

bool TimeDocuments(const std::string& countProgram, const std::string& folder, DocumentFigures* pFigures) {
    struct Case {
        const char* szName;
        std::string file;
    } cases[] = {{"docx-300-pages.docx", Docx(300)}, {"docx-3000-pages.docx", Docx(3000)},
                 {"odt-3000-pages.odt", Odt(3000)},  {"xlsx-100000-rows.xlsx", Xlsx(100000)}};
    printf("%-24s %8s %9s %9s %10s %10s %8s %10s\n", "file", "MB", "words", "inflate", "read text", "share", "count",
           "peer");
    *pFigures = {0, 1, 0, 0};
    for (Case& c : cases) {
        std::string path = folder + "/" + c.szName;
        if (!WriteInto(path, c.file)) return false;
        TextCounts counts = ReadText(c.file);
        double dInflate = MedianSeconds(kRuns, [&] { InflateAll(c.file); });
        double dRead = MedianSeconds(kRuns, [&] { ReadText(c.file); });
        std::string output;
        double dCount = TimeShell(countProgram + " " + path, kRuns, &output);
        pFigures->dWorstShare = std::min(pFigures->dWorstShare, dInflate / dRead);
        std::string peer = "-";
        bool bDocx = strstr(c.szName, ".docx") != nullptr, bOdt = strstr(c.szName, ".odt") != nullptr;
        double dPeer = -1;
        if (bDocx && Installed("docx2txt")) dPeer = TimeShell("docx2txt " + path + " - | wc -w", kRuns, &output);
        if (bOdt && Installed("odt2txt")) dPeer = TimeShell("odt2txt " + path + " | wc -w", kRuns, &output);
        if (dPeer > 0) {
            char szPeer[64];
            snprintf(szPeer, sizeof(szPeer), "%.0f ms (%s words)", dPeer * 1e3, output.c_str());
            peer = szPeer;
            if (bDocx) pFigures->dDocxRatio = dPeer / dCount;  // the last, largest .docx
            if (bOdt) {
                pFigures->dOdtRatio = dPeer / dCount;
                char szShare[48];
                snprintf(szShare, sizeof(szShare), "; inflate %.1f%% of it", 100 * dInflate / dPeer);
                peer += szShare;
            }
        } else if (bDocx || bOdt) {
            peer = bDocx ? "docx2txt not installed" : "odt2txt not installed";
        }
        if (strcmp(c.szName, "docx-300-pages.docx") == 0) pFigures->dThreeHundredMs = dCount * 1e3;
        printf("%-24s %8.1f %9lld %7.1f ms %7.1f ms %9.0f%% %6.1f ms  %s\n", c.szName, c.file.size() / 1e6,
               static_cast<long long>(counts.nWords), dInflate * 1e3, dRead * 1e3, 100 * dInflate / dRead, dCount * 1e3,
               peer.c_str());
        unlink(path.c_str());
    }
    return true;
}

// Presentations of many parts: the time should grow as the parts do, not as their square.
struct Presentation {
    const char* szName;
    int nSlides;
    double dRead, dCount;
};
const int kPresentations = 3;

bool TimePresentations(const std::string& countProgram, const std::string& folder, Presentation* pPresentations) {
    printf("\n%-34s %8s %8s %10s %10s\n", "presentation", "MB", "entries", "read text", "count");
    for (int i = 0; i < kPresentations; ++i) {
        Presentation& p = pPresentations[i];
        std::string file = Pptx(p.nSlides);
        std::string path = folder + "/" + p.szName;
        if (!WriteInto(path, file)) return false;
        p.dRead = MedianSeconds(kRuns, [&] { ReadText(file); });
        std::string output;
        p.dCount = TimeShell(countProgram + " " + path, kRuns, &output);
        printf("%-34s %8.1f %8d %7.1f ms %7.1f ms  (%s)\n", p.szName, file.size() / 1e6, p.nSlides + 4, p.dRead * 1e3,
               p.dCount * 1e3, output.c_str());
        unlink(path.c_str());
    }
    return true;
}

void PrintGoals(const DocumentFigures& figures, const Presentation* pPresentations) {
    const GoalLine kLine = GoalLine::kMetOrNot;
    printf("\ngoals (share: zlib's inflate time over the whole reading of the same file):\n");
    PrintGoal("tallyq-count on a 300-page .docx", figures.dThreeHundredMs, kThreeHundredPagesGoalMs, true, "ms", kLine);
    PrintGoal("reading at zlib's inflate speed, worst file", 100 * figures.dWorstShare, 100 * kInflateShareGoal, false,
              "%", kLine);
    if (figures.dDocxRatio > 0) {
        PrintGoal("tallyq-count vs docx2txt | wc -w, largest", figures.dDocxRatio, kDocx2txtGoal, false, "x", kLine);
    }
    if (figures.dOdtRatio > 0) PrintGoal("tallyq-count vs odt2txt | wc -w", figures.dOdtRatio, kOdt2txtGoal, false, "x", kLine);
    // 16 times the slides: in proportion, 16 times the time; the square would be 256.
    PrintGoal("32,000 slides against 2,000, reading time", pPresentations[1].dRead / pPresentations[0].dRead,
              kManySlidesGoal, true, "x", kLine);
    PrintGoal("a package of 65,535 entries, tallyq-count", pPresentations[2].dCount * 1e3, kFullPackageGoalMs, true,
              "ms", kLine);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: document_bench TALLYQ_COUNT\n");
        return 2;
    }
    std::string countProgram = argv[1];
    char szFolder[] = "/tmp/document_bench.XXXXXX";
    if (mkdtemp(szFolder) == nullptr) return 1;
    DocumentFigures figures;
    Presentation presentations[kPresentations] = {{"pptx-2000-slides.pptx", 2000, 0, 0},
                                                  {"pptx-32000-slides.pptx", 32000, 0, 0},
                                                  {"pptx-65535-entries.pptx", static_cast<int>(kZipMaxEntries) - 4, 0, 0}};
    if (!TimeDocuments(countProgram, szFolder, &figures) || !TimePresentations(countProgram, szFolder, presentations))
        return 1;
    rmdir(szFolder);
    PrintGoals(figures, presentations);
    return 0;
}
