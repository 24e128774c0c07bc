#!/usr/bin/env python3
"""Writes the language benchmark's texts: real translated text from the message catalogues that
Debian's packages install (/usr/share/locale/LANG/LC_MESSAGES/*.mo), each translation a line.
  language_texts.py OUT_DIR [LOCALE_DIR]
Writes french.txt, russian.txt, chinese.txt, arabic.txt, hindi.txt and mixed.txt (the translations of
the same messages in each language in turn, with the English original), UTF-8, LF breaks. The
benchmark repeats each to its size."""
import glob
import os
import struct
import sys

LANGUAGES = [("french", "fr"), ("russian", "ru"), ("chinese", "zh_CN"), ("arabic", "ar"), ("hindi", "hi")]


def catalogue(path):
    """The (original, translation) pairs of a .mo file, as GNU gettext lays it out."""
    data = open(path, "rb").read()
    if len(data) < 28:
        return []
    for order in ("<", ">"):
        magic, _, count, originals, translations = struct.unpack(order + "5I", data[:20])
        if magic == 0x950412DE:
            break
    else:
        return []
    pairs = []
    for k in range(1, count):  # entry 0 is the catalogue's header
        n, at = struct.unpack(order + "2I", data[originals + 8 * k:originals + 8 * k + 8])
        m, bt = struct.unpack(order + "2I", data[translations + 8 * k:translations + 8 * k + 8])
        try:
            pairs.append((data[at:at + n].decode("utf-8"), data[bt:bt + m].decode("utf-8")))
        except UnicodeDecodeError:
            pass
    return pairs


def lines(text):
    # Plural forms are split by NUL; the benchmark's text holds none.
    return [line for line in text.replace("\0", "\n").replace("\r", "").split("\n") if line.strip()]


def main():
    out, root = sys.argv[1], sys.argv[2] if len(sys.argv) > 2 else "/usr/share/locale"
    os.makedirs(out, exist_ok=True)
    by_message = {}
    for name, code in LANGUAGES:
        text = []
        for path in sorted(glob.glob(os.path.join(root, code, "LC_MESSAGES", "*.mo"))):
            for original, translation in catalogue(path):
                if translation.strip() and translation != original:
                    text.extend(lines(translation))
                    by_message.setdefault((os.path.basename(path), original), {})[code] = translation
        with open(os.path.join(out, name + ".txt"), "w", encoding="utf-8") as f:
            f.write("\n".join(text) + "\n")
    mixed = []
    for (_, original), translations in sorted(by_message.items()):
        if len(translations) < 3:
            continue
        mixed.extend(lines(original))
        for _, code in LANGUAGES:
            if code in translations:
                mixed.extend(lines(translations[code]))
    with open(os.path.join(out, "mixed.txt"), "w", encoding="utf-8") as f:
        f.write("\n".join(mixed) + "\n")


if __name__ == "__main__":
    main()
