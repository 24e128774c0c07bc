// tallyq-count's --encoding: its names, a code page's number, or a web page's charset label.
#pragma once
#include "measure/text_file.h"

// Encoding names are told apart without regard to letter case: "UTF-8" is "utf-8". Any other
// value is a code page's number or a web page's charset label ("1251", "koi8-r"): UTF-8 and
// Windows-1252 are read by the measurer itself, any other code page by the system's converter
// (*pnCodePage, else 0). False for a value that names no encoding.
bool EncodingOfName(const char* szName, TextFileEncoding* pEncoding, int* pnCodePage);
