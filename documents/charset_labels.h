// Web pages' charset labels and the code pages they name, written at build time from the WHATWG
// Encoding Standard's table (scripts/make_charset_labels.py), sorted by label.
#pragma once
#include <stddef.h>

struct CharsetLabel {
    const char* szLabel;  // lower case
    int nCodePage;
};
extern const CharsetLabel kCharsetLabels[];
extern const size_t kCharsetLabelCount;
