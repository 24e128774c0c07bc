// Every document of the fixtures read again and again, the first allocation failing, then the
// second, and so on until a read needs fewer allocations than the one that fails: each read with a
// failure is refused for memory, and nothing crashes (the sanitizer build checks that no memory
// is lost or misused on the way out).
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>

#include "documents/counting_sink.h"
#include "documents/document_reader.h"
#include "documents/growing_array.h"
#include "documents/kept_lines.h"

namespace {

const char* const kFixtures[] = {"word-python-docx.docx", "excel-openpyxl.xlsx", "opendocument-odfpy.odt",
                                 "opendocument-odfpy.ods", "word-pandoc.docx", "powerpoint-pandoc.pptx",
                                 "opendocument-pandoc.odt", "rtf-pandoc.rtf", "html-pandoc.html"};

std::string FileBytes(const std::string& path) {
    std::string bytes;
    FILE* pFile = fopen(path.c_str(), "rb");
    if (pFile == nullptr) return bytes;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof(buffer), pFile)) > 0;) bytes.append(buffer, n);
    fclose(pFile);
    return bytes;
}

struct Outcome {
    const char* szRefusal;  // null when read
    uint64_t nAllocations;  // tried during the read
};

// Reads the file as the programs do (counted, its class bytes kept), the nth allocation failing.
Outcome ReadFailing(const std::string& file, const char* szName, uint64_t nFailing) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(file.data());
    const char* szKindRefusal = nullptr;
    DocumentKind kind = KindOfFile(p, file.size() < kKindBytes ? file.size() : kKindBytes, szName, &szKindRefusal);
    FailAllocationAt(nFailing);
    bool bRead = false;
    const char* szRefusal = nullptr;
    {
        KeptLines kept;
        CountingSink counter(80, &kept);
        DocumentText text(&counter);
        bRead = ReadDocument(kind, p, file.size(), 0, &text);
        szRefusal = bRead ? nullptr : (text.Refusal() != nullptr ? text.Refusal() : "refused without a reason");
        // The counter that could not keep up says so, and the file reading refuses the file for it.
        if (bRead) counter.Finish();
        if (bRead && counter.Failed()) szRefusal = kRefusedOutOfMemory;
    }
    uint64_t nTried = AllocationsTried();
    FailAllocationAt(0);
    return Outcome{szRefusal, nTried};
}

TEST(FailedAllocation, EveryFixtureReadWithAnAllocationFailingIsRefusedForMemory) {
    for (const char* szFixture : kFixtures) {
        std::string file = FileBytes(std::string(TQ_DOCUMENT_FIXTURES) + szFixture);
        ASSERT_FALSE(file.empty()) << "the fixture " << szFixture;
        for (uint64_t n = 1;; ++n) {
            Outcome outcome = ReadFailing(file, szFixture, n);
            if (outcome.nAllocations < n) {
                // No allocation failed: the file reads.
                EXPECT_EQ(nullptr, outcome.szRefusal) << szFixture << " was refused with no allocation failing";
                break;
            }
            ASSERT_TRUE(outcome.szRefusal != nullptr && strcmp(outcome.szRefusal, kRefusedOutOfMemory) == 0)
                << szFixture << " with allocation " << n << " of " << outcome.nAllocations << " failing: "
                << (outcome.szRefusal != nullptr ? outcome.szRefusal : "read, without a word") << "; expected \""
                << kRefusedOutOfMemory << "\"";
            ASSERT_LT(n, 100000u) << szFixture << " never read without a failure";
        }
    }
}

}  // namespace
