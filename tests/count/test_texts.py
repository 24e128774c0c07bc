#!/usr/bin/env python3
"""The text tallyq-count counts, as --text prints it: for the documents of other writers, for plain
text in each encoding, and for small files written here by hand, each with its text written out by
hand beside it.

    test_texts.py [--runner CMD] EXE [--same-as NATIVE_EXE]

--runner runs EXE through a command (the Wine bench); --same-as also checks that EXE prints the same
bytes as NATIVE_EXE for the same files.
"""
import argparse
import os
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import test_count  # noqa: E402  (the runner)
import test_documents  # noqa: E402  (the fixtures' texts)

ARGS = None


def run_text(args, stdin=b""):
    done = subprocess.run(test_count.command_of(ARGS.exe, ["--text"] + args), input=stdin, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=120)
    return done.returncode, done.stdout, test_count.our_lines(done.stderr).decode("utf-8", "replace")


def lines_of(text):
    """A document's text as --text prints it: each CR LF paragraph end an LF."""
    return text.replace("\r\n", "\n").encode("utf-8")


class TextTest(unittest.TestCase):
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

    def check_texts(self, cases):
        """cases: (name, bytes, the text expected as --text prints it); all read in one run."""
        paths = [self.write(name, data) for name, data, _ in cases]
        code, out, err = run_text(paths)
        self.assertEqual(0, code, "exit status; standard error: " + err)
        expected = b"".join(text for _, _, text in cases)
        if out != expected:
            # Each file alone, to name the one that differs.
            for path, (name, _, text) in zip(paths, cases):
                self.assertEqual(text, run_text([path])[1], "the text of " + name)
        self.assertEqual(expected, out)
        if ARGS.same_as:
            native = subprocess.run([ARGS.same_as, "--text"] + paths, stdout=subprocess.PIPE, timeout=60)
            self.assertEqual(native.stdout, out, "the native program's text")

    def test_documents_print_a_line_for_each_paragraph(self):
        paths = [os.path.join(test_documents.FIXTURES, name) for name in sorted(test_documents.EXPECTED)]
        code, out, err = run_text(paths)
        self.assertEqual(0, code, err)
        self.assertEqual(b"".join(lines_of(test_documents.EXPECTED[os.path.basename(p)]) for p in paths), out)

    def test_plain_text_is_printed_as_it_is_read_in_utf8(self):
        self.check_texts([
            ("utf16.txt", b"\xff\xfe" + "Gr\u00fc\u00dfe\r\nzwei \U0001f600".encode("utf-16-le"),
             "Gr\u00fc\u00dfe\r\nzwei \U0001f600".encode("utf-8")),
            ("utf32.txt", b"\x00\x00\xfe\xff" + "K\u00f6ln\n".encode("utf-32-be"), "K\u00f6ln\n".encode("utf-8")),
            ("cp1252.txt", b"caf\xe9 \x80 5\r\n", "caf\u00e9 \u20ac 5\r\n".encode("utf-8")),
            # Not UTF-8, so Windows-1252; the text ends at its first zero character.
            ("broken.txt", b"a\xe2\x82b\xffc\0after", "a\u00e2\u201ab\u00ffc".encode("utf-8")),
        ])
        # Read as UTF-8, each malformed part is one U+FFFD.
        path = self.write("forced.txt", b"a\xe2\x82b\xffc")
        self.assertEqual((0, "a\ufffdb\ufffdc".encode("utf-8")), run_text(["--encoding", "utf-8", path])[:2])

    def test_a_unit_cut_between_reads_is_one_character(self):
        # A surrogate pair whose bytes come in three reads of standard input.
        pair = "a\U0001f600b".encode("utf-16-le")
        code, out, err = test_count.run_with_input_in_pieces(ARGS.exe, ["--text"], [b"\xff\xfe" + pair[:3], pair[3:5],
                                                                                     pair[5:]])
        self.assertEqual((0, "a\U0001f600b".encode("utf-8").decode("latin-1")), (code, out), err)

    def test_subtitles_show_what_their_players_show(self):
        srt = (b"1\r\n00:00:01,000 --> 00:00:02,000\r\n<I>Hello</I> <sound of rain>\r\n"
               b"<font color=\"#ff0000\">Red</FONT> <b>bold</B> <u>u</u> <s>s</S> {\\an8}top\r\n\r\n"
               b"2\r\n00:00:03,000 --> 00:00:04,000\r\na < b, <br> and <c.x>c</c>\r\n")
        vtt = ("WEBVTT - a title\nKind: captions\n\nSTYLE\n::cue(.yellow) { color: yellow; }\n\n"
               "REGION\nid:fred width:40%\n\nNOTE a comment\nover two lines\n\n"
               "intro-1\n00:00.000 --> 00:01.000 align:start\n"
               "<v Anna>Hi &amp; bye</v> <c.yellow.bg_blue>warm</c> <unknown>tag\n"
               "<ruby>\u6f22<rt>kan</rt></ruby> <lang en>x</lang> <00:00.500>later &lt;3&gt; a&nbsp;b &#x263A;&lrm;\n\n"
               "00:01.000 --> 00:02.000\n<i>one</i> <b>two</b> <u>three</u>&rlm;\n").encode("utf-8")
        self.check_texts([
            ("film.srt", srt, b"Hello <sound of rain>\nRed bold u s top\na < b, <br> and <c.x>c</c>\n"),
            ("film.vtt", vtt, lines_of("Hi & bye warm tag\r\n\u6f22kan x later <3> a\u00a0b \u263a\u200e\r\n"
                                       "one two three\u200f\r\n")),
        ])

    def test_kinds_are_told_by_content_past_marks_and_white_space(self):
        refused = [self.write("marked.txt", b"\xef\xbb\xbf%PDF-1.4\n1 0 obj"),
                   self.write("spaced.txt", b"\r\n  \t%PDF-1.7\n1 0 obj"),
                   # PDF readers find the header within the first 1024 bytes.
                   self.write("late.pdf", b"mail header\r\n" * 70 + b"%PDF-1.5\n1 0 obj")]
        code, out, err = run_text(refused)
        self.assertEqual((1, b""), (code, out), err)
        for path in refused:
            self.assertIn("tallyq-count: %s: PDF files are not read" % path, err)
        page = "<!DOCTYPE html><html><head><title>T</title></head><body><p>caf\u00e9 <b>au</b> lait</p></body></html>"
        srt = "1\n00:00:01,000 --> 00:00:02,000\n<i>Gr\u00fc\u00df</i> \U0001f600\n"
        self.check_texts([
            ("past1024.txt", b"x" * 1020 + b" %PDF-1.5", b"x" * 1020 + b" %PDF-1.5"),
            ("marked.rtf", b"\xef\xbb\xbf{\\rtf1\\ansi Hello\\par}", b"Hello\n"),
            ("spaced.txt", b"\r\n \t{\\rtf1 World\\par}", b"World\n"),
            ("utf32le.srt", b"\xff\xfe\x00\x00" + srt.encode("utf-32-le"), "Gr\u00fc\u00df \U0001f600\n".encode("utf-8")),
            ("utf32be.vtt", b"\x00\x00\xfe\xff" + ("WEBVTT\n\n00:01.000 --> 00:02.000\n<v Bo>caf\u00e9</v>\n").encode(
                "utf-32-be"), "caf\u00e9\n".encode("utf-8")),
            ("utf32be.html", b"\x00\x00\xfe\xff" + page.encode("utf-32-be"), "T\ncaf\u00e9 au lait\n".encode("utf-8")),
            # Without a web page's name, told by its first characters.
            ("utf32le.txt", b"\xff\xfe\x00\x00" + page.encode("utf-32-le"), "T\ncaf\u00e9 au lait\n".encode("utf-8")),
        ])

    def test_rtf_ends_where_its_document_closes(self):
        self.check_texts([
            ("extra-brace.rtf", b"{\\rtf1\\ansi {\\b Bold}\\par Last\\par}}\r\n", b"Bold\nLast\n"),
            ("trailing.rtf", b"{\\rtf1 Kept\\par}\r\nmail footer } {\\b not read}\r\n\x00", b"Kept\n"),
        ])

    def test_a_refused_file_is_said_and_the_others_printed(self):
        pdf = self.write("report.pdf", b"%PDF-1.7\n1 0 obj")
        plain = self.write("plain.txt", b"one two\n")
        code, out, err = run_text([pdf, plain])
        self.assertEqual((1, b"one two\n"), (code, out), err)
        self.assertIn("tallyq-count: %s: PDF files are not read" % pdf, err)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--runner", default="")
    parser.add_argument("--same-as", default="")
    parser.add_argument("exe")
    ARGS, rest = parser.parse_known_args()
    ARGS.exe = os.path.abspath(ARGS.exe)
    test_count.ARGS = ARGS
    test_documents.ARGS = ARGS
    result = unittest.main(argv=[sys.argv[0]] + rest, exit=False, verbosity=2).result
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()
