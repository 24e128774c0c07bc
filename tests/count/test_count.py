#!/usr/bin/env python3
"""Tests of tallyq-count: its lines, sums, encodings, errors and exit codes.

    test_count.py [--runner CMD] EXE [--same-as NATIVE_EXE]

--runner runs EXE through a command (the Wine bench); --same-as also checks that EXE prints the same
lines as NATIVE_EXE for the same inputs.
"""
import argparse
import codecs
import fcntl
import os
import random
import shlex
import struct
import subprocess
import sys
import tempfile
import termios
import time
import unicodedata
import unittest

ARGS = None

CAT_TEXT = b"The cat sat.\r\nIt's 3.5 m long -- really!"
DECIDING_BYTES = 1 << 16

# The measuring rules, written plainly, to check the program against.
LINE_BREAKS = set("\r\n\x85\u2028\u2029")
JOINERS = set("\u00ad\u200c\u200d\u2060")
WORD_PUNCTUATION = set("'.:\u2018\u2019\u201b\u2032\u02bc\u05f3\u05f4\u2024\u2025\u2026\uff07\uff0e\uff1a")
EMOJI_MARKS = set("\ufe0f\u20e3")
# Windows-1252 as Windows reads it: its five undefined bytes are the C1 controls of the same value.
CP1252 = "".join(bytes([b]).decode("cp1252", errors="ignore") or chr(b) for b in range(256))


def kind(ch):
    if ch in LINE_BREAKS:
        return "break"
    if ch in JOINERS:
        return "joiner"
    if ch == "\x7f":
        return "symbol"
    category = unicodedata.category(ch)
    if category in ("Cc", "Cf"):
        return "ignored"
    if category == "Zs":
        return "space"
    if unicodedata.name(ch, "").startswith(("CJK UNIFIED IDEOGRAPH", "HIRAGANA", "KATAKANA")):
        return "ideograph"
    if category[0] in "LMN" or ch in WORD_PUNCTUATION:
        return "letter"
    return "symbol"


def characters(text):
    """The characters a reader sees, for the texts of these tests: a mark, a skin tone or a
    zero-width joiner belongs to the character before it, unless that is a control or a line break."""
    found = []
    for ch in text:
        joins = unicodedata.category(ch) in ("Mn", "Me", "Mc") or ch in "\u200c\u200d" or \
            "\U0001f3fb" <= ch <= "\U0001f3ff"
        before = found[-1][0] if found else None
        if joins and before is not None and kind(before) not in ("break", "ignored") and before not in "\u00ad\u2060":
            found[-1] += ch
        else:
            found.append(ch)
    return found


def reference_counts(text, cpl=80):
    text = text.split("\0", 1)[0]
    chars = words = lines = col = 0
    in_word = started = False
    for character in characters(text):
        chars += 1
        what = "symbol" if EMOJI_MARKS & set(character) else kind(character[0])
        if what == "joiner":
            continue
        words += what == "ideograph" or (what == "letter" and not in_word)
        in_word = what == "letter"
        if what == "break":
            col, started = 0, False
        elif what != "ignored":
            if what != "space" and not started:
                lines += 1
                started = True
            col += 1
            if col >= cpl:
                col, started = 0, False
    return chars, words, lines


def decode(data, encoding):
    if encoding in ("windows-1252", "ansi"):  # the Windows bench runs in code page 1252
        return "".join(CP1252[b] for b in data)
    return data.decode({"utf-8": "utf-8", "utf-16le": "utf-16-le", "utf-16be": "utf-16-be"}[encoding], "replace")


def read_as_program(data, encoding=None):
    """The text the program reads from an input's bytes: a byte-order mark decides (and is
    skipped), else UTF-8 when the first 64 KB are UTF-8, else Windows-1252."""
    for mark, marked in ((b"\xef\xbb\xbf", "utf-8"), (b"\xff\xfe", "utf-16le"), (b"\xfe\xff", "utf-16be")):
        if encoding in (None, marked) and data.startswith(mark):
            return decode(data[len(mark):], marked)
    if encoding:
        return decode(data, encoding)
    head = data[:DECIDING_BYTES].split(b"\0", 1)[0]
    cut = len(head) == DECIDING_BYTES and len(data) > DECIDING_BYTES
    try:
        codecs.getincrementaldecoder("utf-8")().decode(head, final=not cut)
        return decode(data, "utf-8")
    except UnicodeDecodeError:
        return decode(data, "windows-1252")


def counts_of(data, cpl=80, encoding=None):
    return list(map(str, reference_counts(read_as_program(data, encoding), cpl)))


def command_of(exe, args):
    return (shlex.split(ARGS.runner) if ARGS.runner else []) + [exe] + args


def our_lines(stderr):
    # Wine may add its own notes on standard error; our lines are the ones naming the program.
    return b"\n".join(l for l in stderr.replace(b"\r", b"").split(b"\n") if b"tallyq-count" in l
                      or b"usage" in l or l.startswith(b"  --") or l.startswith(b"Prices")
                      or l.startswith(b"Exit") or l.startswith(b"Measures") or l.startswith(b"Prints")
                      or l.startswith(b"and with"))


def run(exe, args, stdin=b""):
    done = subprocess.run(command_of(exe, args), input=stdin, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          timeout=120)
    return done.returncode, done.stdout.replace(b"\r\n", b"\n").decode("latin-1"), our_lines(done.stderr).decode("latin-1")


def run_with_input_in_pieces(exe, args, pieces):
    """Writes standard input a piece at a time, each once the program has taken the one before,
    so that each of its reads can return no more than one piece."""
    child = subprocess.Popen(command_of(exe, args), stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE)
    for piece in pieces:
        child.stdin.write(piece)
        child.stdin.flush()
        deadline = time.monotonic() + 60
        while child.poll() is None and time.monotonic() < deadline:
            waiting = struct.unpack("i", fcntl.ioctl(child.stdin.fileno(), termios.FIONREAD, b"\0\0\0\0"))[0]
            if waiting == 0:
                break
            time.sleep(0.01)
    out, err = child.communicate(timeout=120)
    return child.returncode, out.replace(b"\r\n", b"\n").decode("latin-1"), our_lines(err).decode("latin-1")


class CountTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.TemporaryDirectory()
        cls.files = {}
        for name, data in {
            "cat.txt": CAT_TEXT,
            "empty.txt": b"",
            "zero.txt": b"ab cd\0ef gh ij",
            "punct.txt": b"e.g. well-known ... : a,b",
        }.items():
            path = os.path.join(cls.dir.name, name)
            with open(path, "wb") as f:
                f.write(data)
            cls.files[name] = path

    @classmethod
    def tearDownClass(cls):
        cls.dir.cleanup()

    def count(self, args, stdin=b""):
        return run(ARGS.exe, args, stdin)

    def test_one_file_with_default_prices(self):
        code, out, err = self.count([self.files["cat.txt"]])
        self.assertEqual(0, code, err)
        self.assertEqual(self.files["cat.txt"] + "\t40\t8\t2\t0.00\t0.16\t0.00\t0.16\n", out)

    def test_prices_and_characters_per_line(self):
        code, out, _ = self.count(["--fixed", "1.50", "--per-char=0.01", "--per-word", "0.02", "--cpl", "10",
                                   "--per-line", "0.10", self.files["cat.txt"]])
        self.assertEqual(0, code)
        self.assertEqual("\t".join([self.files["cat.txt"], "40", "8", "5", "0.40", "0.16", "0.50", "2.56"]) + "\n", out)
        # Prices follow the number rule of the dialog's fields: "1,50" is 1 and "$2" is 0.
        code, out, _ = self.count(["--fixed", "1,50", "--per-word", "$2", "--cpl", " -3 ", self.files["punct.txt"]])
        self.assertEqual(0, code)
        self.assertEqual(out.split("\t")[1:], ["25", "7", "21", "0.00", "0.00", "0.00", "1.00\n"])

    def test_standard_input_and_zero_byte(self):
        code, out, _ = self.count([], stdin=CAT_TEXT)
        self.assertEqual((0, "-\t40\t8\t2\t0.00\t0.16\t0.00\t0.16\n"), (code, out))
        code, out, _ = self.count(["-"], stdin=b"a\r\n\0rest")
        self.assertEqual((0, "-\t3\t1\t1\t0.00\t0.02\t0.00\t0.02\n"), (code, out))
        code, out, _ = self.count([self.files["zero.txt"]])
        self.assertEqual(self.files["zero.txt"] + "\t5\t2\t1\t0.00\t0.04\t0.00\t0.04\n", out)

    def test_several_inputs_end_with_their_sums(self):
        names = [self.files["cat.txt"], "-", self.files["empty.txt"], self.files["punct.txt"]]
        code, out, _ = self.count(["--per-char", "0.005", "--fixed", "0.25"] + names, stdin=b"one two")
        self.assertEqual(0, code)
        lines = [l.split("\t") for l in out.splitlines()]
        self.assertEqual(names + ["total"], [l[0] for l in lines])
        body, total = lines[:-1], lines[-1]
        for column in range(1, 8):
            if column <= 3:
                self.assertEqual(sum(int(l[column]) for l in body), int(total[column]))
            else:
                self.assertAlmostEqual(sum(float(l[column]) for l in body), float(total[column]), places=6)
        self.assertEqual(["cat", "40", "8", "2", "0.20", "0.16", "0.00", "0.61"],
                         ["cat"] + lines[0][1:])
        self.assertEqual("0.25", lines[2][7], "an empty file costs the fixed cost")

    def test_unreadable_file_is_reported_and_others_measured(self):
        missing = os.path.join(self.dir.name, "no-such-file.txt")
        code, out, err = self.count([self.files["cat.txt"], missing, self.files["punct.txt"]])
        self.assertEqual(1, code)
        self.assertIn("no-such-file.txt", err)
        names = [l.split("\t")[0] for l in out.splitlines()]
        self.assertEqual([self.files["cat.txt"], self.files["punct.txt"], "total"], names)
        self.assertEqual("65", out.splitlines()[-1].split("\t")[1])
        code, out, err = self.count([self.dir.name])
        self.assertEqual(1, code, "a folder is not a readable text")
        self.assertEqual("", out)

    def test_bad_options_and_help(self):
        cat = self.files["cat.txt"]
        for args in (["--cpl"], ["--cpl", "abc", cat], ["--cpl", "12x", cat], ["--cpl", "99999999999", cat],
                     ["--price", "1", cat], ["--fixed"], ["--per-word"], ["--encoding"],
                     ["--encoding", "utf-32", cat], ["--encoding=utf-9", cat], ["--encoding", "", cat]):
            code, out, err = self.count(args)
            self.assertEqual(2, code, args)
            self.assertEqual("", out, args)
            self.assertIn("usage: tallyq-count", err, args)
        code, out, err = self.count(["--help"])
        self.assertEqual(0, code)
        self.assertIn("usage: tallyq-count", out)
        self.assertIn("--encoding", out)
        # After "--" a name that looks like an option is a file.
        code, out, err = self.count(["--", "--cpl"])
        self.assertEqual(1, code)
        self.assertIn("--cpl", err)

    def test_generated_texts_match_the_rules(self):
        rng = random.Random(1234)
        # Bytes that are not UTF-8: read as Windows-1252, whose upper half holds letters, word
        # punctuation (\x85 \x92), symbols, a no-break space (\xa0), a soft hyphen (\xad) and an
        # undefined byte (\x81, a control).
        alphabet = b"abc xyz.,:'-!\r\n\t" + bytes([0x80, 0x81, 0x85, 0x92, 0x93, 0xA0, 0xA5, 0xA6, 0xAD, 0xB2, 0xD7,
                                                   0xE9, 0xFF, 0x7F, 0x01])
        # Characters of several scripts, in UTF-8 or marked UTF-16.
        letters = ["a", "z", " ", ".", ",", ":", "'", "-", "!", "\r", "\n", "\t", "\x7f", "\x01", "\x85", "\u2028",
                   "\u00e9", "e\u0301", "\u00df", "\u0416", "\u03a9", "\u0663", "\u4e2d", "\u3042", "\u00a0",
                   "\u3000", "\u00ad", "\u2026", "\u2019", "\u201c", "\u20ac", "\u00bd", "\U0001d400"]
        encodings = [("utf-8", b""), ("utf-8", b"\xef\xbb\xbf"), ("utf-16-le", b"\xff\xfe"), ("utf-16-be", b"\xfe\xff")]
        for index, cpl in enumerate((80, 7, 1, 0, -2, 300)):
            size = rng.randint(0, 5000)
            if index % 2:
                name, mark = encodings[index // 2 % len(encodings)]
                data = mark + "".join(rng.choice(letters) for _ in range(size)).encode(name)
            else:
                data = bytes(rng.choice(alphabet) for _ in range(size))
            path = os.path.join(self.dir.name, "gen%d.txt" % index)
            with open(path, "wb") as f:
                f.write(data)
            code, out, _ = self.count(["--cpl", str(cpl), path])
            self.assertEqual(0, code)
            self.assertEqual(counts_of(data, cpl), out.split("\t")[1:4], "cpl %d" % cpl)

    def test_large_file_streams(self):
        unit = b"Typing pages, line after line; don't stop.\r\n" * 1000
        path = os.path.join(self.dir.name, "large.txt")
        with open(path, "wb") as f:
            for _ in range(64):
                f.write(unit)
        code, out, _ = self.count([path])
        chars, words, lines = reference_counts(unit.decode())
        self.assertEqual(0, code)
        self.assertEqual([str(chars * 64), str(words * 64), str(lines * 64)], out.split("\t")[1:4])
        # Characters of three bytes each: no read of a power of two bytes ends between two of them.
        unit = "\u1e03\u1e03\u1e03\u4e2d\u20ac\u1e03\u20d0\u1e03\u3000\u1e03\u1e03\u2028"
        self.assertEqual((11, 4, 1), reference_counts(unit))
        with open(path, "wb") as f:
            f.write(unit.encode() * 30000)
        code, out, _ = self.count([path])
        self.assertEqual((0, ["330000", "120000", "30000"]), (code, out.split("\t")[1:4]))

    # The same text gives the same counts in every encoding that can hold it.
    def test_same_text_in_every_encoding(self):
        text = "Gr\u00f6\u00dfe na\u00efve espa\u00f1ol\u201cHello,\u201d she said.\r\n" \
               "Don\u2019t wait\u2026 2\u00bd \u00d7 3 \u2014 9\u20ac"
        forms = {
            "utf-8": text.encode("utf-8"),
            "utf-8 with mark": b"\xef\xbb\xbf" + text.encode("utf-8"),
            "utf-16le with mark": b"\xff\xfe" + text.encode("utf-16-le"),
            "utf-16be with mark": b"\xfe\xff" + text.encode("utf-16-be"),
            "windows-1252": text.encode("cp1252"),
        }
        # Words: Gro\u00dfe na\u00efve espa\u00f1ol Hello she said. Don\u2019t wait\u2026 2\u00bd 3 9
        self.assertEqual((62, 11, 2), reference_counts(text))
        self.assertEqual((62, 11, 7), reference_counts(text, 10))
        for name, data in forms.items():
            for cpl, lines in (("80", "2"), ("10", "7")):
                code, out, _ = self.count(["--cpl", cpl, "-"], stdin=data)
                self.assertEqual((0, ["62", "11", lines]), (code, out.split("\t")[1:4]), "%s, cpl %s" % (name, cpl))

    def test_scripts(self):
        for text, expected in (("\u041f\u0440\u0438\u0432\u0435\u0442, \u043c\u0438\u0440!", ["12", "2", "1"]),
                               # Each ideograph is a word; the ideographic full stop is not.
                               ("\u4e2d\u6587\u6587\u672c\u3002ok", ["7", "5", "1"]),
                               # Thai has no spaces between words: the run is one word.
                               ("\u0e20\u0e32\u0e29\u0e32\u0e44\u0e17\u0e22 abc", ["11", "2", "1"]),
                               # A thumb with its skin tone is one character, a symbol; a CR LF break is two.
                               ("\U0001f44d\U0001f3fd ok\r\nno", ["8", "2", "2"])):
            self.assertEqual(expected, list(map(str, reference_counts(text))), text)
            code, out, _ = self.count([], stdin=text.encode())
            self.assertEqual((0, expected), (code, out.split("\t")[1:4]), text)

    def test_forced_encoding(self):
        cases = [
            # UTF-8 read as Windows-1252: "Gr\u00c3\u00b6\u00c3\u0178e", the pilcrow splitting it in two words.
            (["--encoding", "windows-1252"], "Gr\u00f6\u00dfe".encode(), ["7", "2", "1"]),
            (["--encoding", "ansi"], "Gr\u00f6\u00dfe".encode(), ["7", "2", "1"]),
            # Windows-1252 read as UTF-8: \xf6 and \xdf are each a malformed sequence.
            (["--encoding=UTF-8"], "Gr\u00f6\u00dfe".encode("cp1252"), ["5", "2", "1"]),
            # UTF-16 without a mark is told only by the option; read as detected its first zero ends it.
            ([], "Gr\u00f6\u00dfe".encode("utf-16-le"), ["1", "1", "1"]),
            (["--encoding", "utf-16le"], "Gr\u00f6\u00dfe".encode("utf-16-le"), ["5", "1", "1"]),
            (["--encoding", "utf-16be"], "Gr\u00f6\u00dfe x".encode("utf-16-be"), ["7", "2", "1"]),
            # A forced encoding still skips its own mark, while another encoding's mark is text.
            (["--encoding", "utf-16be"], b"\xfe\xff" + "ab".encode("utf-16-be"), ["2", "1", "1"]),
            (["--encoding", "utf-8"], b"\xef\xbb\xbfab", ["2", "1", "1"]),
            (["--encoding", "windows-1252"], b"\xef\xbb\xbfab", ["5", "2", "1"]),
        ]
        for args, data, expected in cases:
            code, out, _ = self.count(args + ["-"], stdin=data)
            self.assertEqual((0, expected), (code, out.split("\t")[1:4]), (args, data))
            forced = args[-1].split("=")[-1].lower() if args else None
            self.assertEqual(expected, counts_of(data, encoding=forced), (args, data))

    def test_malformed_utf8(self):
        # Not UTF-8, so Windows-1252: a\u00ff\u00feb is one word.
        code, out, _ = self.count([], stdin=b"a\xff\xfeb")
        self.assertEqual((0, ["4", "1", "1"]), (code, out.split("\t")[1:4]))
        # Read as UTF-8 (forced or marked): a, U+FFFD, U+FFFD, b.
        for args, data in ((["--encoding", "utf-8"], b"a\xff\xfeb"), ([], b"\xef\xbb\xbfa\xff\xfeb")):
            code, out, _ = self.count(args, stdin=data)
            self.assertEqual((0, ["4", "2", "1"]), (code, out.split("\t")[1:4]), data)
        # One U+FFFD for each maximal malformed part: a cut sequence is one, a byte that no sequence
        # begins with is one, and so is each byte of a surrogate or of a sequence past U+10FFFF.
        data = b"\xe2\x82a \xf0\x9f\x98 \xed\xa0\x80 \xc0\xaf \xf4\x90\x80\x80"
        code, out, _ = self.count(["--encoding", "utf-8"], stdin=data)
        self.assertEqual((0, ["16", "1", "1"]), (code, out.split("\t")[1:4]))
        self.assertEqual(["16", "1", "1"], counts_of(data, encoding="utf-8"))

    def test_encoding_is_decided_on_the_first_64_kb(self):
        # UTF-8 whose \u00e9 is cut by the 64 KB edge is still UTF-8, and a malformed byte after
        # the edge is then one U+FFFD: 65535 a and \u00e9 make one word of 65536 columns.
        data = b"a" * (DECIDING_BYTES - 1) + "\u00e9".encode() + b" b\xff"
        self.assertEqual(["65539", "2", "820"], counts_of(data))
        # Ended there, the cut sequence is malformed: Windows-1252, where \xe2\x82 are two characters.
        ended = b"a" * (DECIDING_BYTES - 2) + b"\xe2\x82"
        self.assertEqual(["65536", "1", "820"], counts_of(ended))
        for name, content, expected in (("edge.txt", data, ["65539", "2", "820"]),
                                        ("ended.txt", ended, ["65536", "1", "820"])):
            path = os.path.join(self.dir.name, name)
            with open(path, "wb") as f:
                f.write(content)
            code, out, _ = self.count([path])
            self.assertEqual((0, expected), (code, out.split("\t")[1:4]), name)

    def test_only_well_formed_utf8_is_read_as_utf8(self):
        # Each is UTF-8 to a lax reader: an encoded surrogate, overlong forms of two, three and four
        # bytes, code points past U+10FFFF. Read as Windows-1252 they count apart from U+FFFD.
        # After the zero byte that ends the text nothing decides: the \xff there does not.
        cases = [b"\xed\xa0\x80 x", b"\xc0\xaf x", b"\xe0\x80\xaf x", b"\xf0\x8f\xbf\xbf x",
                 b"\xf4\x90\x80\x80 x", b"\xf5\x80\x80\x80 x", "\u00e9 x".encode() + b"\0\xff"]
        paths = []
        for index, data in enumerate(cases):
            self.assertNotEqual(counts_of(data, encoding="utf-8"), counts_of(data, encoding="windows-1252"), data)
            paths.append(os.path.join(self.dir.name, "formed%d.txt" % index))
            with open(paths[-1], "wb") as f:
                f.write(data)
        code, out, _ = self.count(paths)
        self.assertEqual(0, code)
        self.assertEqual([counts_of(data) for data in cases], [l.split("\t")[1:4] for l in out.splitlines()[:-1]])

    def test_standard_input_in_pieces(self):
        # The encoding is decided on what the pieces make together, and a sequence cut between
        # two pieces is one character.
        pieces = [b"na", b"\xefve caf\xe9 a\xe9b"]  # Windows-1252: na\u00efve caf\u00e9 a\u00e9b
        code, out, _ = run_with_input_in_pieces(ARGS.exe, [], pieces)
        self.assertEqual((0, "-\t14\t3\t1\t0.00\t0.06\t0.00\t0.06\n"), (code, out))
        text = "\u041f\u0440\u0438\u0432\u0435\u0442, \u043c\u0438\u0440!".encode()
        pieces = [text[:3], text[3:16], text[16:]]
        code, out, _ = run_with_input_in_pieces(ARGS.exe, ["--per-char", "0.01"], pieces)
        self.assertEqual((0, "-\t12\t2\t1\t0.12\t0.04\t0.00\t0.16\n"), (code, out))

    # Two paragraphs: a tab, a no-break space, an ideographic space, an emoji and a last line
    # without a break. Characters: 3 + 1 + 4 + 1 + 4 = 13, the CR LF 2, then 1 + 4 + 1 + 1 + 1 + 4 =
    # 12: 27 with breaks, 25 without, 20 without the seven white space characters. Words: Ein Test
    # zwei Gru\u00df ende.
    RATED = "Ein\tTest\u00a0zwei\r\n\u3000Gru\u00df \U0001f600 ende".encode()
    # 55 characters, a CR LF, 55 more (110 without the break); 22 words. The second ends with "z".
    LINES_110 = ("abcd " * 11 + "\r\n" + "abcd " * 11).encode()
    LINES_111 = LINES_110 + b"z"

    def rated_files(self):
        names = []
        for name, data in (("rated.txt", self.RATED), ("lines110.txt", self.LINES_110),
                           ("lines111.txt", self.LINES_111)):
            names.append(os.path.join(self.dir.name, name))
            with open(names[-1], "wb") as f:
                f.write(data)
        return names

    def test_each_kind_of_characters_is_counted_and_priced(self):
        for kind, chars, cost, total in (("breaks", "27", "2.70", "2.80"), ("spaces", "25", "2.50", "2.60"),
                                         ("no-spaces", "20", "2.00", "2.10")):
            code, out, err = self.count(["--chars", kind, "--per-char", "0.10", "-"], stdin=self.RATED)
            self.assertEqual((0, "\t".join(["-", chars, "5", "2", cost, "0.10", "0.00", total]) + "\n"), (code, out),
                             "--chars %s: %s" % (kind, err))

    def test_standard_lines_at_the_edges_of_a_line(self):
        _, f110, f111 = self.rated_files()
        standard = ["--chars", "spaces", "--lines", "standard", "--cpl", "55", "--per-line", "1.20", "--per-word", "0"]
        for rounding, expected in (
                # 110 / 55 = 2.00 and 111 / 55 = 2.018..., two decimals: 2.02 (2.424 priced).
                ([], [[f110, "110", "22", "2.00", "0.00", "0.00", "2.40", "2.40"],
                      [f111, "111", "23", "2.02", "0.00", "0.00", "2.42", "2.42"],
                      ["total", "221", "45", "4.02", "0.00", "0.00", "4.82", "4.82"]]),
                # Up per started line: the 111th character starts a third line.
                (["--round", "up"], [[f110, "110", "22", "2", "0.00", "0.00", "2.40", "2.40"],
                                     [f111, "111", "23", "3", "0.00", "0.00", "3.60", "3.60"],
                                     ["total", "221", "45", "5", "0.00", "0.00", "6.00", "6.00"]])):
            code, out, err = self.count(standard + rounding + [f110, f111])
            self.assertEqual((0, expected), (code, [l.split("\t") for l in out.splitlines()]), rounding or err)

    def test_minimum_and_fixed_cost_per_job_or_once(self):
        rated, f110, f111 = self.rated_files()
        prices = ["--fixed", "5", "--per-word", "0.10", "--minimum", "6"]
        # Each file a job: 5 + 0.50 is raised to the minimum, 5 + 2.20 and 5 + 2.30 are not.
        code, out, err = self.count(prices + [rated, f110, f111])
        self.assertEqual((0, [[rated, "27", "5", "2", "0.00", "0.50", "0.00", "6.00", "minimum"],
                              [f110, "112", "22", "2", "0.00", "2.20", "0.00", "7.20"],
                              [f111, "113", "23", "2", "0.00", "2.30", "0.00", "7.30"],
                              ["total", "252", "50", "6", "0.00", "5.00", "0.00", "20.50"]]),
                         (code, [l.split("\t") for l in out.splitlines()]), err)
        # One job: the rows without the fixed cost and the minimum, their sum plus the fixed cost once.
        code, out, err = self.count(prices + ["--one-job", rated, f110, f111])
        self.assertEqual((0, [[rated, "27", "5", "2", "0.00", "0.50", "0.00", "0.50"],
                              [f110, "112", "22", "2", "0.00", "2.20", "0.00", "2.20"],
                              [f111, "113", "23", "2", "0.00", "2.30", "0.00", "2.30"],
                              ["total", "252", "50", "6", "0.00", "5.00", "0.00", "10.00"]]),
                         (code, [l.split("\t") for l in out.splitlines()]), err)
        # Standard lines of one job are rounded up per file (1 + 2 + 3), not on the sum (246 / 55:
        # 5); 5 + 7.20 is raised to the minimum, once.
        code, out, err = self.count(["--one-job", "--chars", "spaces", "--lines", "standard", "--cpl", "55",
                                     "--round", "up", "--per-line", "1.20", "--per-word", "0", "--fixed", "5",
                                     "--minimum", "20", rated, f110, f111])
        self.assertEqual((0, [[rated, "25", "5", "1", "0.00", "0.00", "1.20", "1.20"],
                              [f110, "110", "22", "2", "0.00", "0.00", "2.40", "2.40"],
                              [f111, "111", "23", "3", "0.00", "0.00", "3.60", "3.60"],
                              ["total", "246", "50", "6", "0.00", "0.00", "7.20", "20.00", "minimum"]]),
                         (code, [l.split("\t") for l in out.splitlines()]), err)

    def test_currency_after_each_cost(self):
        # One input as one job still ends with its total line.
        done = subprocess.run(command_of(ARGS.exe, ["--one-job", "--currency", "\u20ac", "-"]), input=self.RATED,
                              stdout=subprocess.PIPE, timeout=120)
        row = "\t27\t5\t2\t0.00 \u20ac\t0.10 \u20ac\t0.00 \u20ac\t0.10 \u20ac\n"
        self.assertEqual((0, "-" + row + "total" + row), (done.returncode, done.stdout.replace(b"\r\n", b"\n").decode()))
        # Eight characters of three bytes each are within the limit.
        done = subprocess.run(command_of(ARGS.exe, ["--currency=" + "\u20ac" * 8, "-"]), input=b"a",
                              stdout=subprocess.PIPE, timeout=120)
        self.assertEqual((0, "-\t1\t1\t1\t0.00 %s\t0.02 %s\t0.00 %s\t0.02 %s" % (("\u20ac" * 8,) * 4)),
                         (done.returncode, done.stdout.decode().rstrip()))

    def test_bad_values_of_the_rates(self):
        cat = self.files["cat.txt"]
        cases = [(["--chars", "words", cat], "unknown kind of characters: words"),
                 (["--lines=pages", cat], "unknown kind of lines: pages"),
                 (["--round", "down", cat], "unknown rounding: down"),
                 (["--minimum"], "missing value: --minimum"),
                 (["--one-job=yes", cat], "unknown option: --one-job=yes"),
                 (["--currency", "\u20ac" * 9, cat], "currency of more than 8 characters: ")]
        if not ARGS.runner:  # Windows hands a program its arguments as UTF-16, where no byte is malformed
            cases.append((["--currency", os.fsdecode(b"\xe2\x82"), cat], "currency not UTF-8: "))
        for args, message in cases:
            code, out, err = self.count(args)
            self.assertEqual((2, "", True, True), (code, out, message in err, "usage: tallyq-count" in err),
                             (args, err))

    def test_same_lines_as_native_build(self):
        if not ARGS.same_as:
            self.skipTest("no native build to compare with")
        rng = random.Random(99)
        path = os.path.join(self.dir.name, "mixed.bin")
        with open(path, "wb") as f:
            f.write(bytes(rng.randrange(1, 256) for _ in range(20000)))
        utf16 = os.path.join(self.dir.name, "mixed-utf16.txt")
        with open(utf16, "wb") as f:
            f.write(b"\xff\xfe" + "na\u00efve \u4e2d\u6587 \U0001f44d\U0001f3fd \u041c\u0438\u0440\r\n".encode("utf-16-le") * 50)
        cases = [
            [self.files["cat.txt"], path, self.files["zero.txt"], utf16],
            ["--encoding", "ansi", "--cpl", "7", path],
            ["--cpl", "13", "--fixed", "0.125", "--per-char", "0.00375", "--per-word", "-1.005", path],
            ["--per-line", "1e3", "--per-word", "0.0049999", self.files["punct.txt"], self.files["empty.txt"]],
        ]
        for args in cases:
            ours = run(ARGS.exe, args)
            native = subprocess.run([ARGS.same_as] + args, stdout=subprocess.PIPE, timeout=60)
            self.assertEqual((native.returncode, native.stdout.decode("latin-1")), ours[:2], args)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--runner", default="")
    parser.add_argument("--same-as", default="")
    parser.add_argument("exe")
    ARGS, rest = parser.parse_known_args()
    ARGS.exe = os.path.abspath(ARGS.exe)
    result = unittest.main(argv=[sys.argv[0]] + rest, exit=False, verbosity=2).result
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()
