#!/usr/bin/env python3
"""Writes the character table the measures read, from Unicode's own data files.

    make_unicode_tables.py UNICODE_DATA_DIR OUTPUT.h OUTPUT.cpp

UNICODE_DATA_DIR is the folder of Debian's unicode-data package (UnicodeData.txt, Scripts.txt,
auxiliary/GraphemeBreakProperty.txt, emoji/emoji-data.txt). Every code point gets one byte: its
grapheme break class in the high four bits and its measuring kind in the low four (the numbering is
the one of measure/unicode_classes.h, which the other file holds the numbers to with static_asserts:
the header is included ahead of those enums, so the check cannot sit there). The bytes are stored as
a three-level table whose block sizes are chosen here to make it smallest; the header declares the
levels and the Unicode version of the files, and the other file defines them. The files must all be
of one version, the conformance file the tests read (auxiliary/GraphemeBreakTest.txt) included. The
output also holds Windows-1252's upper half, taken from Python's codec (its five undefined bytes map
to the C1 controls of the same value, as Windows maps them).
"""
import codecs
import os
import re
import sys

# Grapheme break classes in the order of measure/unicode_classes.h: each value of the data file
# with the enumerator that stands for it there. The pictographs are a class of their own.
GRAPHEME_CLASSES = [('Other', 'kGraphemeOther'), ('CR', 'kGraphemeCR'), ('LF', 'kGraphemeLF'),
                    ('Control', 'kGraphemeControl'), ('Extend', 'kGraphemeExtend'), ('ZWJ', 'kGraphemeZwj'),
                    ('Regional_Indicator', 'kGraphemeRegional'), ('Prepend', 'kGraphemePrepend'),
                    ('SpacingMark', 'kGraphemeSpacingMark'), ('L', 'kGraphemeL'), ('V', 'kGraphemeV'),
                    ('T', 'kGraphemeT'), ('LV', 'kGraphemeLV'), ('LVT', 'kGraphemeLVT'),
                    ('Extended_Pictographic', 'kGraphemePictograph')]
GCB = {value: number for number, (value, _) in enumerate(GRAPHEME_CLASSES)}

# Measuring kinds, in the order of measure/unicode_classes.h.
KINDS = ['kKindLetter', 'kKindSymbol', 'kKindSpace', 'kKindBreak', 'kKindIgnored', 'kKindJoiner',
         'kKindIdeograph', 'kKindEmojiMark']
LETTER, SYMBOL, SPACE, BREAK, IGNORED, JOINER, IDEOGRAPH, EMOJI_MARK = range(len(KINDS))

# The characters the counting rules name one by one.
LINE_BREAKS = {0x0A, 0x0D, 0x85, 0x2028, 0x2029}
JOINERS = {0x00AD, 0x200C, 0x200D, 0x2060}
EMOJI_PRESENTATION = {0xFE0F, 0x20E3}
# Apostrophes, full stops and colons that continue a word, as ' . : do.
WORD_PUNCTUATION = {ord("'"), ord('.'), ord(':'), 0x2018, 0x2019, 0x201B, 0x2032, 0x02BC, 0x05F3, 0x05F4,
                    0x2024, 0x2025, 0x2026, 0xFF07, 0xFF0E, 0xFF1A}
IDEOGRAPH_SCRIPTS = {'Han', 'Hiragana', 'Katakana'}
PROLONGED_SOUND_MARKS = {0x30FC, 0xFF70}
DELETE = 0x7F

MAX_CODE_POINT = 0x110000


def ranges_of(path):
    """Yields (first, last, value) from a data file of 'XXXX..YYYY ; Value # comment' lines."""
    line_form = re.compile(r'^([0-9A-F]+)(?:\.\.([0-9A-F]+))?\s*;\s*([^#\s]+)')
    with open(path, encoding='utf-8') as data:
        for line in data:
            match = line_form.match(line)
            if match:
                first = int(match.group(1), 16)
                last = int(match.group(2), 16) if match.group(2) else first
                yield first, last, match.group(3)


def general_categories(path):
    """The general category of every code point; unlisted ones are Cn."""
    categories = ['Cn'] * MAX_CODE_POINT
    range_start = None
    with open(path, encoding='utf-8') as data:
        for line in data:
            fields = line.split(';')
            code = int(fields[0], 16)
            name, category = fields[1], fields[2]
            if name.endswith(', First>'):
                range_start = code
                continue
            if name.endswith(', Last>'):
                for c in range(range_start, code + 1):
                    categories[c] = category
                continue
            categories[code] = category
    return categories


# Where each data file names the version it is of, in its first lines. UnicodeData.txt names none;
# the folder's ReadMe.txt, when there is one, speaks for it. The emoji data give only the major and
# minor numbers, which follow Unicode's.
VERSION_LINES = [('Scripts.txt', r'# Scripts-(\d+\.\d+\.\d+)\.txt'),
                 ('auxiliary/GraphemeBreakProperty.txt', r'# GraphemeBreakProperty-(\d+\.\d+\.\d+)\.txt'),
                 ('auxiliary/GraphemeBreakTest.txt', r'# GraphemeBreakTest-(\d+\.\d+\.\d+)\.txt'),
                 ('emoji/emoji-data.txt', r'# Used with Emoji Version (\d+\.\d+)\b'),
                 ('ReadMe.txt', r'for Version (\d+\.\d+\.\d+) of the Unicode Standard')]
VERSION_HEAD_LINES = 30


def unicode_version(folder):
    """The version the data files are of; exits, naming each file's, when they are not all of one."""
    found = []
    for name, pattern in VERSION_LINES:
        path = os.path.join(folder, name)
        if name == 'ReadMe.txt' and not os.path.exists(path):
            continue
        with open(path, encoding='utf-8') as data:
            head = ''.join(line for _, line in zip(range(VERSION_HEAD_LINES), data))
        match = re.search(pattern, head)
        if not match:
            sys.exit(f'{path}: no version in its first {VERSION_HEAD_LINES} lines (looked for "{pattern}")')
        found.append((name, match.group(1)))
    versions = {version for _, version in found}
    full = [version for version in versions if version.count('.') == 2]
    if len(full) != 1 or any(version != full[0] and not full[0].startswith(version + '.') for version in versions):
        sys.exit(f'The Unicode data files in {folder} are of different versions: ' +
                 ', '.join(f'{name} {version}' for name, version in found))
    return full[0]


def character_bytes(folder):
    categories = general_categories(os.path.join(folder, 'UnicodeData.txt'))
    scripts = [None] * MAX_CODE_POINT
    for first, last, script in ranges_of(os.path.join(folder, 'Scripts.txt')):
        for c in range(first, last + 1):
            scripts[c] = script
    breaks = [GCB['Other']] * MAX_CODE_POINT
    for first, last, value in ranges_of(os.path.join(folder, 'auxiliary', 'GraphemeBreakProperty.txt')):
        if value not in GCB:
            sys.exit(f'GraphemeBreakProperty.txt: grapheme break class {value} is unknown to measure/unicode_classes.h')
        for c in range(first, last + 1):
            breaks[c] = GCB[value]
    for first, last, value in ranges_of(os.path.join(folder, 'emoji', 'emoji-data.txt')):
        if value != 'Extended_Pictographic':
            continue
        for c in range(first, last + 1):
            # The pictographs are all of class Other; the segmenter needs them told apart.
            if breaks[c] != GCB['Other']:
                sys.exit(f'U+{c:04X} is Extended_Pictographic and of a grapheme break class other than Other')
            breaks[c] = GCB['Extended_Pictographic']

    table = bytearray(MAX_CODE_POINT)
    for c in range(MAX_CODE_POINT):
        category = categories[c]
        if c in LINE_BREAKS:
            kind = BREAK
        elif c in JOINERS:
            kind = JOINER
        elif c in EMOJI_PRESENTATION:
            kind = EMOJI_MARK
        elif c == DELETE:
            kind = SYMBOL  # printable, as it has always been counted
        elif category in ('Cc', 'Cf'):
            kind = IGNORED
        elif category == 'Zs':
            kind = SPACE
        elif scripts[c] in IDEOGRAPH_SCRIPTS or c in PROLONGED_SOUND_MARKS:
            kind = IDEOGRAPH
        elif category[0] in 'LMN' or c in WORD_PUNCTUATION:
            kind = LETTER
        else:
            kind = SYMBOL
        table[c] = (breaks[c] << 4) | kind
    # Surrogates never reach the table as code points (the decoders read a lone one as U+FFFD);
    # marking them as controls makes the measures' fast path stop at every surrogate unit.
    for c in range(0xD800, 0xE000):
        table[c] = (GCB['Control'] << 4) | SYMBOL
    return table


def dedupe(data, block):
    """Cuts data into blocks of the given size; returns the distinct blocks and each block's index."""
    seen = {}
    blocks = []
    indexes = []
    for start in range(0, len(data), block):
        chunk = bytes(data[start:start + block]) if isinstance(data, (bytes, bytearray)) else tuple(
            data[start:start + block])
        if chunk not in seen:
            seen[chunk] = len(blocks)
            blocks.append(chunk)
        indexes.append(seen[chunk])
    return blocks, indexes


def index_width(count):
    return 1 if count <= 256 else 2


def best_layout(table):
    """The leaf and middle block sizes (powers of two) that make the three levels smallest."""
    best = None
    for leaf_shift in range(4, 9):
        leaves, leaf_indexes = dedupe(table, 1 << leaf_shift)
        leaf_width = index_width(len(leaves))
        for middle_shift in range(2, 8):
            middles, middle_indexes = dedupe(leaf_indexes, 1 << middle_shift)
            top_width = index_width(len(middles))
            size = (len(leaves) << leaf_shift) + len(middles) * (1 << middle_shift) * leaf_width + \
                len(middle_indexes) * top_width
            if best is None or size < best[0]:
                best = (size, leaf_shift, middle_shift, leaves, middles, middle_indexes, leaf_width, top_width)
    return best


def c_array(name, c_type, values):
    lines = [f'const {c_type} {name}[{len(values)}] = {{']
    for start in range(0, len(values), 24):
        lines.append('    ' + ', '.join(str(v) for v in values[start:start + 24]) + ',')
    lines.append('};')
    return '\n'.join(lines)


def write_if_changed(path, text):
    """Writes only when the text changes, so that the build does not recompile for nothing."""
    if os.path.exists(path):
        with open(path, encoding='utf-8') as old:
            if old.read() == text:
                return
    with open(path, 'w', encoding='utf-8') as out:
        out.write(text)


def numbering_checks():
    """static_asserts that hold the numbers written into the table to the header's enumerators."""
    if len(GRAPHEME_CLASSES) > 16 or len(KINDS) > 16:
        sys.exit('A grapheme break class and a measuring kind must fit in four bits each')
    named = [(enumerator, number) for number, (_, enumerator) in enumerate(GRAPHEME_CLASSES)] + \
        [(enumerator, number) for number, enumerator in enumerate(KINDS)]
    return [f'static_assert({enumerator} == {number}, "numbered as scripts/make_unicode_tables.py numbers it");'
            for enumerator, number in named]


def main(folder, header, definitions):
    version = unicode_version(folder)
    table = character_bytes(folder)
    size, leaf_shift, middle_shift, leaves, middles, tops, leaf_width, top_width = best_layout(table)
    types = {1: 'uint8_t', 2: 'uint16_t'}
    cp1252 = [ord(bytes([b]).decode('cp1252', errors='ignore') or chr(b)) for b in range(0x80, 0x100)]
    banner = '// Written by scripts/make_unicode_tables.py from the Unicode data files; not to be edited.'
    arrays = [('kUnicodeTopLevel', types[top_width], tops),
              ('kUnicodeMiddleLevel', types[leaf_width], [i for block in middles for i in block]),
              ('kUnicodeLeafLevel', 'uint8_t', [b for block in leaves for b in block]),
              ('kWindows1252High', 'uint16_t', cp1252)]
    write_if_changed(header, '\n'.join([
        banner,
        f'// {size} bytes of table: {len(tops)} top entries, {len(middles)} middle blocks of '
        f'{1 << middle_shift}, {len(leaves)} leaves of {1 << leaf_shift}.',
        '#pragma once',
        '#include <stdint.h>',
        '// The version of Unicode the table is of.',
        f'constexpr char kUnicodeVersion[] = "{version}";',
        f'enum {{ kUnicodeLeafShift = {leaf_shift}, kUnicodeMiddleShift = {middle_shift} }};',
    ] + [f'extern const {t} {name}[{len(values)}];' for name, t, values in arrays]) + '\n')
    write_if_changed(definitions, '\n'.join(
        [banner, '#include "unicode_tables.h"', '', '#include "measure/unicode_classes.h"', ''] +
        numbering_checks() + [c_array(name, t, values) for name, t, values in arrays]) + '\n')


if __name__ == '__main__':
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2], sys.argv[3])
