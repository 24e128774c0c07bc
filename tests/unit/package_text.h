// The text a zip package reads to, for the tests of the readers inside packages.
#pragma once
#include <string>

#include "documents/document_reader.h"

namespace package_test {

struct KeptText : TextSink {
    std::string text;
    void Put(const char* p, size_t n) override { text.append(p, n); }
};

// The package's text, or "refused: REASON".
inline std::string PackageText(const std::string& file) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(file.data());
    KeptText kept;
    DocumentText text(&kept);
    if (!ReadDocument(DocumentKind::kZip, p, file.size(), 0, &text)) return std::string("refused: ") + text.Refusal();
    return kept.text;
}

}  // namespace package_test
