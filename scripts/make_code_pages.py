#!/usr/bin/env python3
"""Writes the upper halves of the Windows single-byte code pages that documents are read in.

    make_code_pages.py OUTPUT.cpp

Code pages 874 and 1250-1258, from Python's own codecs, so that the table is the same for every
build. A byte the code page leaves undefined is the C1 control of its value below 0xA0 (as Windows
reads it) and U+FFFD above.
"""
import sys

CODE_PAGES = [874] + list(range(1250, 1259))


def upper_half(code_page):
    units = []
    for byte in range(0x80, 0x100):
        text = bytes([byte]).decode('cp%d' % code_page, errors='ignore')
        if len(text) == 1:
            units.append(ord(text))
        else:
            units.append(byte if byte < 0xA0 else 0xFFFD)
    return units


def main(output):
    lines = ['// Written by scripts/make_code_pages.py from Python\'s codecs; do not edit.',
             '#include "documents/code_pages.h"', '',
             'const CodePageTable kCodePageTables[kCodePageCount] = {']
    for code_page in CODE_PAGES:
        units = upper_half(code_page)
        rows = []
        for start in range(0, 128, 12):
            rows.append('      ' + ', '.join('0x%04X' % unit for unit in units[start:start + 12]) + ',')
        lines.append('    {%d,\n     {\n%s\n     }},' % (code_page, '\n'.join(rows)))
    lines.append('};')
    with open(output, 'w', encoding='ascii', newline='\n') as out:
        out.write('\n'.join(lines) + '\n')


if __name__ == '__main__':
    main(sys.argv[1])
