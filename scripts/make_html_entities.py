#!/usr/bin/env python3
"""Writes the table of HTML's named character references.

    make_html_entities.py OUTPUT.cpp

From Python's html.entities.html5, the list browsers read. The names, with their ';' where they
have one (the legacy names are there both with and without it), are one string sorted bytewise;
each entry holds its name's offset into it and its one or two code points, so a binary search finds
a name without a string object per entry.
"""
import html.entities
import sys


def main(output):
    names = sorted(html.entities.html5, key=lambda name: name.encode('ascii'))
    lines = ['// Written by scripts/make_html_entities.py from Python\'s html.entities.html5; do not edit.',
             '#include "documents/html_entities.h"', '',
             'const char kHtmlEntityNames[] =']
    offsets = []
    offset = 0
    chunk = ''
    for name in names:
        offsets.append(offset)
        offset += len(name)
        chunk += name
        if len(chunk) > 90:
            lines.append('    "%s"' % chunk)
            chunk = ''
    if chunk:
        lines.append('    "%s"' % chunk)
    lines[-1] += ';'
    if offset >= 0x10000:
        raise SystemExit('the names do not fit 16-bit offsets')
    lines.append('')
    lines.append('const HtmlEntity kHtmlEntities[] = {')
    for name, off in zip(names, offsets):
        text = html.entities.html5[name]
        first = ord(text[0])
        second = ord(text[1]) if len(text) > 1 else 0
        if len(text) > 2 or second > 0xFFFF:
            raise SystemExit('%s does not fit an entry' % name)
        lines.append('    {%d, 0x%04X, 0x%05X},  // %s' % (off, second, first, name))
    lines.append('    {%d, 0, 0},  // the end of the last name' % offset)
    lines.append('};')
    lines.append('')
    lines.append('static_assert(sizeof(kHtmlEntityNames) == %d + 1, "the names\' length");' % offset)
    lines.append('const size_t kHtmlEntityCount = %d;' % len(names))
    with open(output, 'w', encoding='ascii', newline='\n') as out:
        out.write('\n'.join(lines) + '\n')


if __name__ == '__main__':
    main(sys.argv[1])
