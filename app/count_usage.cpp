#include "app/count_usage.h"

// What an input that is neither marked nor UTF-8 is read as: the code page the system's own
// programs read it in.
#ifdef _WIN32
#define TQ_FALLBACK_ENCODING "the system's ANSI code page"
#else
#define TQ_FALLBACK_ENCODING "Windows-1252"
#endif

const char kUsage[] =
    "usage: tallyq-count [--cpl N] [--encoding E] [--format F] [--fixed X] [--per-char X] [--per-word X]\n"
    "                    [--per-line X] [FILE...]\n"
    "Measures and prices each FILE (standard input when there is none, or for -).\n"
    "Prints: name, characters, words, lines, characters cost, words cost, lines cost, total (tab-separated),\n"
    "and with more than one input a last line 'total' with the sums.\n"
    "  --cpl N        characters per line, an integer (default 80)\n"
    "  --encoding E   read plain text, and web pages and subtitles that neither mark nor declare their\n"
    "                 encoding, as E: utf-8, utf-16le, utf-16be, windows-1252 or ansi (the system's ANSI\n"
    "                 code page; Windows-1252 on other systems). A byte-order mark of E is skipped, one of\n"
    "                 another encoding is text.\n"
    "  --format F     auto (default): read each file by its kind; text: read every input as plain text\n"
    "  --fixed X      fixed cost per job (default 0.00)\n"
    "  --per-char X   cost per character (default 0.00)\n"
    "  --per-word X   cost per word (default 0.02)\n"
    "  --per-line X   cost per line (default 0.00)\n"
    "Kinds, told by content: Word (.docx .docm .dotx .dotm): the body, text boxes after their paragraph,\n"
    "headers and footers, footnotes and endnotes; inserted text counts, deleted text, field codes, hidden\n"
    "text and comments do not. Excel (.xlsx .xlsm .xltx): every cell of text, sheet by sheet, row by row,\n"
    "hidden ones too; numbers, dates and formulas' results do not count. PowerPoint (.pptx .ppsx .potx):\n"
    "the slides' text, then their speaker notes; date, footer and slide numbers do not count. OpenDocument\n"
    "(.odt .ods .odp): paragraphs, tables, frames, notes, then headers and footers. RTF: the text, headers,\n"
    "footers and footnotes. Web pages (.htm .html .xhtml): the text a browser shows, with the title, images'\n"
    "alt texts, title attributes and the description and keywords. Subtitles (.srt .vtt): the spoken text\n"
    "only. Every paragraph and table cell ends with a line break (two characters).\n"
    "Refused, with the reason: PDF, the old binary Office files, password-protected files, other archives,\n"
    "pictures, and what is no file on disk.\n"
    "Plain text ends at its first zero character. Without --encoding, a byte-order mark (UTF-8, UTF-16LE or\n"
    "BE, UTF-32LE or BE) says the encoding and is not counted; otherwise an input whose first 64 KB are\n"
    "UTF-8 is read as UTF-8, and any other as " TQ_FALLBACK_ENCODING ". In UTF-8 each malformed part of a\n"
    "sequence counts as one character (U+FFFD).\n"
    "Characters are as a reader sees them (a CR LF line break is two); words are runs of letters and numbers\n"
    "of any script, each Chinese or Japanese character a word of its own.\n"
    "Prices are read as the dialog reads its fields: '1,50' is 1 and '$1' is 0.\n"
    "Exit status: 0 when every input was read, 1 when one could not be or was refused, 2 for a bad option.\n";
