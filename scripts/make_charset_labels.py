#!/usr/bin/env python3
"""Writes the table of web pages' charset labels from the WHATWG Encoding Standard's list of labels,
as Debian's python3-webencodings packages it (webencodings/labels.py, read as data, not imported).

    make_charset_labels.py LABELS_PY OUTPUT_CPP

Each label maps to a Windows code page number by the encoding it names. "utf-16be" and "utf-16le"
become UTF-8: a page that declares UTF-16 in its own bytes cannot be UTF-16, and browsers then read
it as UTF-8. The encodings no code page stands for (replacement, x-user-defined, hz-gb-2312,
iso-2022-kr) are left out: their labels are ignored, as an unknown label is.
"""
import ast
import sys

CODE_PAGES = {
    "utf-8": 65001, "utf-16be": 65001, "utf-16le": 65001,
    "ibm866": 866, "iso-8859-2": 28592, "iso-8859-3": 28593, "iso-8859-4": 28594, "iso-8859-5": 28595,
    "iso-8859-6": 28596, "iso-8859-7": 28597, "iso-8859-8": 28598, "iso-8859-8-i": 28598,
    "iso-8859-10": 28600, "iso-8859-13": 28603, "iso-8859-14": 28604, "iso-8859-15": 28605,
    "iso-8859-16": 28606, "koi8-r": 20866, "koi8-u": 21866, "macintosh": 10000, "x-mac-cyrillic": 10007,
    "windows-874": 874, "windows-1250": 1250, "windows-1251": 1251, "windows-1252": 1252,
    "windows-1253": 1253, "windows-1254": 1254, "windows-1255": 1255, "windows-1256": 1256,
    "windows-1257": 1257, "windows-1258": 1258,
    # WHATWG reads GBK as GB18030's superset, and EUC-KR as Windows' Korean code page.
    "gbk": 936, "gb18030": 54936, "big5": 950, "euc-jp": 51932, "iso-2022-jp": 50220,
    "shift_jis": 932, "euc-kr": 949,
}
LEFT_OUT = {"replacement", "x-user-defined", "hz-gb-2312", "iso-2022-kr"}


def main(labels_py, output):
    with open(labels_py, encoding="utf-8") as f:
        tree = ast.parse(f.read())
    labels = None
    for node in tree.body:
        if isinstance(node, ast.Assign) and any(getattr(t, "id", "") == "LABELS" for t in node.targets):
            labels = ast.literal_eval(node.value)
    if not labels:
        sys.exit("make_charset_labels.py: no LABELS in %s" % labels_py)
    unknown = set(labels.values()) - set(CODE_PAGES) - LEFT_OUT
    if unknown:
        sys.exit("make_charset_labels.py: encodings without a code page: %s" % ", ".join(sorted(unknown)))
    rows = sorted((label, CODE_PAGES[name]) for label, name in labels.items() if name in CODE_PAGES)
    with open(output, "w", encoding="ascii") as out:
        out.write("// Written by scripts/make_charset_labels.py from the WHATWG Encoding Standard's labels.\n")
        out.write('#include "documents/charset_labels.h"\n\n')
        out.write("const CharsetLabel kCharsetLabels[] = {\n")
        for label, code_page in rows:
            out.write('    {"%s", %d},\n' % (label, code_page))
        out.write("};\nconst size_t kCharsetLabelCount = %d;\n" % len(rows))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
