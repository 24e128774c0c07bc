// The system's code-page converters behind the readers' interface: MultiByteToWideChar on Windows
// (every code page the system has), iconv elsewhere (the code pages of kIconvNames).
#pragma once
#include "documents/code_page_converter.h"

class SystemCodePages : public CodePageConverter {
public:
    Conversion ToUtf8(int nCodePage, const unsigned char* pBytes, size_t cbBytes, GrowingArray<char>* pOut) override;
};

// Makes the system's converter the readers' for the rest of the run.
void UseSystemCodePages();
