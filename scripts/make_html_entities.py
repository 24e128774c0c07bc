#!/usr/bin/env python3
"""Writes the table of HTML's named character references.

    make_html_entities.py OUTPUT.cpp

From Python's html.entities.html5, the list browsers read. The names, with their ';' where they
have one (the legacy names are there both with and without it), are sorted bytewise. The table is
kept deflated, in columns that deflate well, and documents/html_entities.cpp inflates it once into
the form a binary search reads:
  - for each name, how many leading bytes it shares with the one before it;
  - for each name, how many bytes follow those;
  - those bytes of every name, one after another;
  - the first code points, their low bytes, then their middle bytes, then their high bytes;
  - for each name, its second code point as an index into kHtmlEntitySeconds (0: none).
"""
import html.entities
import sys
import zlib


def main(output):
    names = sorted(html.entities.html5, key=lambda name: name.encode('ascii'))
    seconds = [0] + sorted({ord(text[1]) for text in html.entities.html5.values() if len(text) > 1})
    shared, rest, tails, firsts, second_indexes = [], [], b'', [], []
    previous = ''
    for name in names:
        text = html.entities.html5[name]
        if len(text) > 2 or len(name) > 32:
            raise SystemExit('%s does not fit an entry' % name)
        common = 0
        while common < min(len(name), len(previous)) and name[common] == previous[common]:
            common += 1
        shared.append(common)
        rest.append(len(name) - common)
        tails += name[common:].encode('ascii')
        firsts.append(ord(text[0]))
        second_indexes.append(seconds.index(ord(text[1])) if len(text) > 1 else 0)
        previous = name
    if len(seconds) > 256 or max(seconds) > 0xFFFF:
        raise SystemExit('the second code points do not fit')
    columns = (bytes(shared) + bytes(rest) + tails + bytes(c & 0xFF for c in firsts) +
               bytes((c >> 8) & 0xFF for c in firsts) + bytes(c >> 16 for c in firsts) + bytes(second_indexes))
    compressor = zlib.compressobj(9, zlib.DEFLATED, -15, 9)
    deflated = compressor.compress(columns) + compressor.flush()
    cb_names = sum(len(name) for name in names)
    if cb_names >= 0x10000:
        raise SystemExit('the names do not fit 16-bit offsets')

    lines = ['// Written by scripts/make_html_entities.py from Python\'s html.entities.html5; do not edit.',
             '#include "documents/html_entities.h"', '',
             'const unsigned char kHtmlEntitiesDeflated[] = {']
    for start in range(0, len(deflated), 24):
        lines.append('    ' + ','.join(str(b) for b in deflated[start:start + 24]) + ',')
    lines.append('};')
    lines.append('const size_t kcbHtmlEntitiesDeflated = sizeof(kHtmlEntitiesDeflated);')
    lines.append('const size_t kcbHtmlEntityColumns = %d;' % len(columns))
    lines.append('const uint16_t kHtmlEntitySeconds[] = {%s};' % ', '.join('0x%04X' % c for c in seconds))
    lines.append('const size_t kHtmlEntityCount = %d;' % len(names))
    lines.append('')
    lines.append('char achHtmlEntityNames[%d];' % cb_names)
    lines.append('HtmlEntity aHtmlEntities[%d + 1];' % len(names))
    with open(output, 'w', encoding='ascii', newline='\n') as out:
        out.write('\n'.join(lines) + '\n')


if __name__ == '__main__':
    main(sys.argv[1])
