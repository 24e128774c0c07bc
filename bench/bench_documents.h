// The documents the documents' benchmark reads, written as their programs write them: Word,
// OpenDocument and Excel packages and presentations of many slides, and translation files in
// XLIFF 1.2 and TMX, with the markup density of the tools that make them.
#pragma once
#include <string>

// A Word body of paragraphs of three runs with Word's run properties, about 400 words a page.
std::string Docx(int nPages);
// OpenDocument text: paragraphs of a sentence, a span and another sentence.
std::string Odt(int nPages);
// A sheet of rows of five cells: two shared strings, a number, an inline string and a formula.
std::string Xlsx(int nRows);
// A presentation of one-word slides, each slide a part of its own: nSlides + 4 entries.
std::string Pptx(int nSlides);
// An XLIFF 1.2 file of trans-units with a source, a target, inline codes and a note.
std::string Xliff(int nUnits);
// A TMX 1.4 file of units with properties and two variants.
std::string Tmx(int nUnits);
