#!/usr/bin/env python3
"""Tests of tallyq-count on documents: files written by other programs, the refusals and their
reasons, subtitles, UTF-32 text, and a document another program holds open for writing.

    test_documents.py [--runner CMD] EXE [--same-as NATIVE_EXE] [--holder HOLDER_EXE]

--runner runs EXE (and HOLDER_EXE) through a command (the Wine bench); --same-as also checks that
EXE prints the same lines as NATIVE_EXE for every fixture in one run; --holder is a program that
holds a file open for writing until its standard input ends (drive_tool.exe hold-open FILE).
"""
import argparse
import os
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fixtures"))
import crafted_workbook  # noqa: E402  (a workbook whose shared strings pass the text bound)
import test_count  # noqa: E402  (the reference counts and the runner)

ARGS = None
FIXTURES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fixtures", "documents")
LETTER = "Quarterly letter\r\nDear client, the caf\u00e9\u2019s na\u00efve menu is ready.\r\n"
# The text each fixture gives, written out by hand from what its writer was given.
EXPECTED = {
    "word-python-docx.docx": "Quarterly report\r\nThe caf\u00e9 opened in M\u00e4rz.\r\n"
                             "Second paragraph with bold words.\r\none\r\ntwo\r\nthree\r\n\r\nHeader text\r\n",
    "excel-openpyxl.xlsx": "Name\r\nPrice\r\nTea\r\nName\r\nSecret caf\u00e9\r\n",
    "opendocument-odfpy.ods": "Gr\u00f6\u00dfe\r\nZ\u00fcrich\r\nGen\u00e8ve\r\n",
    "opendocument-odfpy.odt": "R\u00e9sum\u00e9\r\nTyping at 120 words a minute. Fast!\r\n",
    "word-pandoc.docx": "Letter\r\n" + LETTER + "Item\r\nPrice\r\nTea\r\n3.50\r\n",
    # A title page: both headers show. The title field's result counts; the date, the page number
    # and the page count, and the words in a hidden character style, do not. The first page's
    # footer is an empty paragraph.
    "word-libreoffice.docx": "Quarterly letter\r\nPrinted on  for the client.\r\nRunning head\r\nTitle head\r\n"
                             "Page  of \r\n\r\n",
    "powerpoint-pandoc.pptx": "Letter\r\n" + LETTER + "Item\r\nPrice\r\nTea\r\n3.50\r\n",
    # The footer of pandoc's page style shows only the page number, which is not counted.
    "opendocument-pandoc.odt": "Letter\r\n" + LETTER + "Item\r\nPrice\r\nTea\r\n3.50\r\n\r\n",
    # Written by hand as opendocument-libreoffice.fodt: the fields of the page and the clock leave
    # out their text and keep the spaces beside them (LibreOffice writes those as text:s); a note
    # and a frame keep the space after them, and their text follows their paragraph.
    "opendocument-libreoffice.odt": "Shown and hidden\r\nPage  of  written on  at  by Ann Lee.\r\n"
                                    "A footnote with words after it.\r\nNoted here.\r\n"
                                    "A frame stands here.\r\nFramed words\r\nShown header words\r\nFooter page\r\n",
    # pandoc ends each table cell's paragraph with \par before \cell: an empty paragraph follows it.
    "rtf-pandoc.rtf": "Letter\r\n\r\n" + LETTER + "Item\r\n\r\nPrice\r\n\r\nTea\r\n\r\n3.50\r\n\r\n\r\n",
    # The title, then the page's own heading of it.
    "html-pandoc.html": "Letter\r\nLetter\r\n" + LETTER + "Item\r\nPrice\r\nTea\r\n3.50\r\n",
}


def fixture_bytes(name):
    with open(os.path.join(FIXTURES, name), "rb") as f:
        return f.read()


def run(args, stdin=b""):
    return test_count.run(ARGS.exe, args, stdin)


def counts_line(name, text, cpl=80):
    chars, words, lines = test_count.reference_counts(text, cpl)
    return "%s\t%d\t%d\t%d\t0.00\t%.2f\t0.00\t%.2f" % (name, chars, words, lines, words * 0.02, words * 0.02)


def compound_file(names):
    """A Compound File of 512-byte sectors: the header, the FAT in sector 0, the directory (the root
    and the named streams, at most three) in sector 1."""
    header = bytearray(512)
    header[0:8] = b"\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1"
    struct.pack_into("<HHHHH", header, 0x18, 0x3E, 3, 0xFFFE, 9, 6)
    struct.pack_into("<IIIIIIII", header, 0x2C, 1, 1, 0, 4096, 0xFFFFFFFE, 0, 0xFFFFFFFE, 0)
    for i in range(109):
        struct.pack_into("<I", header, 0x4C + 4 * i, 0 if i == 0 else 0xFFFFFFFF)
    fat = bytearray(b"\xff" * 512)
    struct.pack_into("<II", fat, 0, 0xFFFFFFFD, 0xFFFFFFFE)
    directory = bytearray(512)
    for n, (name, kind) in enumerate([("Root Entry", 5)] + [(name, 2) for name in names]):
        entry = name.encode("utf-16-le") + b"\0\0"
        directory[128 * n:128 * n + len(entry)] = entry
        struct.pack_into("<HB", directory, 128 * n + 0x40, len(entry), kind)
    return bytes(header + fat + directory)


class DocumentTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.TemporaryDirectory()

    @classmethod
    def tearDownClass(cls):
        cls.dir.cleanup()

    def write(self, name, data):
        path = os.path.join(self.dir.name, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def test_documents_of_other_writers_in_one_run(self):
        paths = [os.path.join(FIXTURES, name) for name in sorted(EXPECTED)]
        code, out, err = run(paths)
        self.assertEqual(0, code, err)
        lines = out.splitlines()
        for path, line in zip(paths, lines):
            self.assertEqual(counts_line(path, EXPECTED[os.path.basename(path)]), line)
        if ARGS.same_as:
            native = subprocess.run([ARGS.same_as] + paths, stdout=subprocess.PIPE, timeout=60)
            self.assertEqual(native.stdout.decode("latin-1").replace("\r\n", "\n"), out)

    def test_refused_files_say_why_and_the_others_count(self):
        archive = self.write("photos.zip", b"")
        with zipfile.ZipFile(archive, "w") as z:
            z.writestr("a.txt", "hello")
        cases = {
            self.write("report.pdf", b"%PDF-1.7\n%\xe2\xe3\xcf\xd3\n1 0 obj"): "PDF files are not read; open it and "
                                                                             "press the hot key, or copy its text.",
            # Told by the directory, not the name: an old Word file named .docm, a protected one named .doc.
            self.write("old.docm", compound_file(["WordDocument", "1Table"])): "a Word document of the old binary",
            self.write("locked.doc", compound_file(["EncryptionInfo", "EncryptedPackage"])): "password",
            self.write("scan.png", b"\x89PNG\r\n\x1a\n" + bytes(40)): "picture",
            archive: "an archive: unpack it and give its files",
            self.write("cut.docx", fixture_bytes("word-pandoc.docx")[:3000]): "zip",
            os.path.join(self.dir.name, "missing.txt"): "missing.txt: ",
        }
        plain = self.write("plain.txt", b"one two")
        code, out, err = run(list(cases) + [plain])
        self.assertEqual(1, code)
        for path, reason in cases.items():
            self.assertIn("tallyq-count: " + path, err)
            line = [l for l in err.splitlines() if l.startswith("tallyq-count: " + path + ":")]
            self.assertEqual(1, len(line), err)
            self.assertIn(reason, line[0])
        self.assertEqual(counts_line(plain, "one two"), out.splitlines()[0], "only the plain text is counted")
        self.assertEqual(2, len(out.splitlines()), "the text and the total")
        # The system's own reason for a missing file, not a made-up one.
        self.assertNotIn("read error", err)

    def test_shared_strings_past_the_text_bound_are_refused_and_the_run_goes_on(self):
        workbook = os.path.join(self.dir.name, "shared_strings.xlsx")
        crafted_workbook.write(workbook)
        plain = self.write("after.txt", b"one two")
        code, out, err = run([workbook, plain])
        self.assertEqual(1, code, "exit code; standard error: " + err)
        self.assertEqual("tallyq-count: %s: the file makes more than 256 MiB of text, which is not counted in part"
                         % workbook, err.strip())
        self.assertEqual(counts_line(plain, "one two"), out.splitlines()[0], "the file after it is counted")
        os.remove(workbook)

    def test_subtitles_count_the_spoken_text_only(self):
        srt = self.write("film.srt", b"1\r\n00:00:06,500 --> 00:00:09,000\r\n<i>Hello</i> there.\r\nSecond line\r\n\r\n"
                                     b"2\r\n00:00:10,000 --> 00:00:11,000\r\n{\\an8}Bye!\r\n")
        vtt = self.write("film.vtt", b"WEBVTT\n\nNOTE a comment\n\nintro\n00:00.000 --> 00:01.000 align:start\n"
                                     b"<v Anna>Hi &amp; bye</v>\n")
        code, out, err = run([srt, vtt])
        self.assertEqual(0, code, err)
        self.assertEqual([counts_line(srt, "Hello there.\r\nSecond line\r\nBye!\r\n"),
                          counts_line(vtt, "Hi & bye\r\n")], out.splitlines()[:2])

    def test_utf32_text_and_the_plain_text_format(self):
        text = "Gr\u00fc\u00dfe \U0001f600 aus K\u00f6ln\r\n"
        little = self.write("le.txt", b"\xff\xfe\x00\x00" + text.encode("utf-32-le"))
        big = self.write("be.txt", b"\x00\x00\xfe\xff" + text.encode("utf-32-be") + b"\x00\x00")
        code, out, err = run([little, big])
        self.assertEqual(0, code, err)
        # The last unit of be.txt is cut short: one U+FFFD.
        self.assertEqual([counts_line(little, text), counts_line(big, text + "\ufffd")], out.splitlines()[:2])
        # --format text reads a document's bytes as text, as before documents were read.
        docx = os.path.join(FIXTURES, "word-pandoc.docx")
        code, out, _ = run(["--format", "text", docx])
        self.assertEqual(0, code)
        self.assertEqual(test_count.counts_of(fixture_bytes("word-pandoc.docx")), out.split("\t")[1:4])

    def test_encodings_through_the_systems_converters(self):
        # Each file's bytes written by Python's codecs from the text written here; the text shown
        # must be that text, natively (iconv) and under Wine (MultiByteToWideChar) alike.
        cases = [
            ("sjis.html", "<meta charset=Shift_JIS><p>", "\u65e5\u672c\u8a9e\u306e\u6587\u66f8", "</p>", "cp932", []),
            ("gbk.html", "<meta http-equiv=Content-Type content='text/html; charset=gbk'><p>",
             "\u4e2d\u6587\u6587\u672c", "</p>", "gbk", []),
            ("big5.html", "<meta charset=big5><p>", "\u4e2d\u6587\u6587\u672c", "</p>", "big5", []),
            ("euckr.html", "<meta charset=euc-kr><p>", "\ud55c\uad6d\uc5b4 \ud14d\uc2a4\ud2b8", "</p>", "cp949", []),
            ("greek.html", "<meta charset=iso-8859-7><p>", "\u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1", "</p>",
             "iso-8859-7", []),
            ("koi8.html", "<meta charset=koi8-r><p>", "\u041f\u0440\u0438\u0432\u0435\u0442 \u043c\u0438\u0440", "</p>",
             "koi8-r", []),
            # A label no browser knows is ignored: the text-file rule reads UTF-8.
            ("unknown.html", "<meta charset=unicode><p>", "caf\u00e9", "</p>", "utf-8", []),
            ("japanese.rtf", "{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fnil\\fcharset128 MS Mincho;}}\\f0 ",
             "\u65e5\u672c", "\\par}", "rtf932", []),
            ("cyrillic.srt", "1\r\n00:00:01,000 --> 00:00:02,000\r\n", "\u041f\u0440\u0438\u0432\u0435\u0442",
             "\r\n", "cp1251", ["--encoding", "1251"]),
            ("koi8.txt", "", "\u041f\u0440\u0438\u0432\u0435\u0442 \u043c\u0438\u0440", "", "koi8-r",
             ["--encoding", "koi8-r"]),
        ]
        for name, before, text, after, codec, options in cases:
            if codec == "rtf932":
                body = "".join("\\'%02x" % b for b in text.encode("cp932")).encode("ascii")
            else:
                body = text.encode(codec)
            path = self.write(name, before.encode("ascii") + body + after.encode("ascii"))
            code, out, err = run(options + ["--text", path])
            shown = out.encode("latin-1").decode("utf-8").strip()
            self.assertEqual((0, text), (code, shown), "%s: %s" % (name, err))
        code, out, err = run(["--encoding", "12345", self.write("any.txt", b"abc")])
        self.assertEqual(1, code)
        self.assertIn("code page 12345", err)

    def test_a_document_held_open_for_writing_is_read(self):
        if not ARGS.holder:
            self.skipTest("no program to hold the file open")
        path = self.write("held.docx", fixture_bytes("word-pandoc.docx"))
        holder = subprocess.Popen(test_count.command_of(ARGS.holder, ["hold-open", path]), stdin=subprocess.PIPE,
                                  stdout=subprocess.PIPE)
        try:
            self.assertEqual(b"held", holder.stdout.readline().strip(), "the holder opened the file")
            code, out, err = run([path])
            self.assertEqual((0, counts_line(path, EXPECTED["word-pandoc.docx"])), (code, out.strip()), err)
        finally:
            holder.stdin.close()
            holder.wait(timeout=60)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--runner", default="")
    parser.add_argument("--same-as", default="")
    parser.add_argument("--holder", default="")
    parser.add_argument("exe")
    ARGS, rest = parser.parse_known_args()
    ARGS.exe = os.path.abspath(ARGS.exe)
    test_count.ARGS = ARGS
    result = unittest.main(argv=[sys.argv[0]] + rest, exit=False, verbosity=2).result
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()
