#!/usr/bin/env python3
"""Tests of tallyq-count on translation files: the fixtures their writers made, counted on either
side against the texts written by hand beside them; the units without a translation said on
standard error; TMX's --lang; XML of another kind counted as text; damaged files refused; and the
units and source words beside translate-toolkit's pocount.

    test_translation_files.py [--runner CMD] EXE [--same-as NATIVE_EXE]

--runner runs EXE through a command (the Wine bench); --same-as also checks that EXE prints the
same lines as NATIVE_EXE for every fixture.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import test_count  # noqa: E402  (the reference counts and the runner)

ARGS = None
FIXTURES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fixtures", "translation")


def run(args, stdin=b""):
    """The exit code, standard output as UTF-8 and our lines of standard error."""
    code, out, err = test_count.run(ARGS.exe, args, stdin)
    return code, out.encode("latin-1").decode("utf-8"), err


def fixtures():
    """The fixtures that have a hand-written text beside them."""
    return sorted(name for name in os.listdir(FIXTURES)
                  if os.path.exists(os.path.join(FIXTURES, name + ".source.txt")))


def expected(name, side):
    path = os.path.join(FIXTURES, "%s.%s.txt" % (name, side))
    if not os.path.exists(path):
        return None
    with open(path, encoding="utf-8") as f:
        return f.read().replace("\r\n", "\n")


def pocount_totals(path):
    """pocount's total messages and source words of one file (its CSV's columns 9 and 10)."""
    done = subprocess.run(["pocount", "--csv", path], stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
    for line in done.stdout.decode("utf-8").splitlines():
        fields = [f.strip() for f in line.split(",")]
        if len(fields) >= 10 and fields[1].isdigit():
            return int(fields[8]), int(fields[9].split()[0])
    raise AssertionError("pocount printed no counts for %s: %r" % (path, done.stdout + done.stderr))


class TranslationFileTest(unittest.TestCase):
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

    def test_each_fixture_on_either_side_gives_the_text_written_by_hand(self):
        names = fixtures()
        self.assertGreaterEqual(len(names), 5, "fixtures found: %s" % names)
        for side in ("source", "target"):
            paths = [os.path.join(FIXTURES, n) for n in names if expected(n, side) is not None]
            code, out, err = run(["--text", "--side", side] + paths)
            self.assertEqual(0, code, err)
            want = "".join(expected(os.path.basename(p), side) for p in paths)
            self.assertEqual(want, out, "the %s side of %s" % (side, [os.path.basename(p) for p in paths]))
            if ARGS.same_as:
                code, out, err = run(["--side", side] + paths)
                native = subprocess.run([ARGS.same_as, "--side", side] + paths, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, timeout=60)
                self.assertEqual(native.stdout.decode("utf-8").replace("\r\n", "\n"), out, "the %s side" % side)

    def test_units_without_a_translation_are_said_and_tmx_takes_one_language(self):
        tmx = self.write("memory.tmx", (
            '<?xml version="1.0" encoding="UTF-8"?>\n<!DOCTYPE tmx SYSTEM "tmx14.dtd">\n<tmx version="1.4">'
            '<header srclang="en" datatype="plaintext" segtype="sentence" adminlang="en" o-tmf="x" '
            'creationtool="hand" creationtoolversion="1"/><body>'
            '<tu><tuv xml:lang="en"><seg>Open the file</seg></tuv><tuv xml:lang="de"><seg>Datei \u00f6ffnen</seg>'
            '</tuv><tuv xml:lang="fr-FR"><seg>Ouvrir le fichier</seg></tuv></tu>'
            '<tu><tuv xml:lang="en"><seg>Close <ph>&lt;b&gt;</ph>now</seg></tuv><tuv xml:lang="de"><seg>Jetzt '
            'schlie\u00dfen</seg></tuv></tu></body></tmx>').encode("utf-8"))
        code, out, err = run(["--text", tmx])
        self.assertEqual((0, "Open the file\nClose now\n", ""), (code, out, err), "the source side")
        code, out, err = run(["--text", "--side", "target", "--lang", "FR-fr", tmx])
        self.assertEqual((0, "Ouvrir le fichier\n"), (code, out), "French only: " + err)
        self.assertEqual("tallyq-count: %s: 1 unit has no translation, counted as nothing" % tmx, err.strip())
        code, out, err = run(["--text", "--side", "target", tmx])
        self.assertEqual((0, "Datei \u00f6ffnen\nOuvrir le fichier\nJetzt schlie\u00dfen\n", ""), (code, out, err),
                         "every other language")
        code, out, err = run(["--side", "both", tmx])
        self.assertEqual(2, code, "an unknown side is a bad option: " + err)

    def test_other_xml_counts_as_text_and_damaged_translation_files_are_refused(self):
        colors = b'<resources>\n  <color name="accent">#FF0000</color>\n</resources>\n'
        other = self.write("colors.xml", colors)
        code, out, err = run(["--text", other])
        self.assertEqual((0, colors.decode("ascii"), ""), (code, out, err), "resources without strings is text")
        # Declared in an encoding other than UTF-8 or UTF-16: converted, the declaration read past.
        latin = self.write("latin.xlf", b'<?xml version="1.0" encoding="ISO-8859-1"?>\n'
                                        b'<xliff version="1.2" xmlns="urn:oasis:names:tc:xliff:document:1.2">'
                                        b'<file original="a" source-language="fr" datatype="plaintext"><body>'
                                        b'<trans-unit id="1"><source>Caf\xe9 cr\xe8me</source></trans-unit>'
                                        b'</body></file></xliff>')
        code, out, err = run(["--text", latin])
        self.assertEqual((0, "Caf\u00e9 cr\u00e8me\n"), (code, out), err)
        cases = {
            "cut.xlf": (b'<xliff version="1.2"><file><body><trans-unit id="1"><source>Half',
                        b"ends before all its elements are closed at byte 64"),
            "bad.ts": (b'<!DOCTYPE TS>\n<TS version="2.1"><context><message><source>A</translation>', b"does not match"),
            "entities.tmx": (b'<!DOCTYPE tmx [<!ENTITY x "boom">]><tmx><body>&x;</body></tmx>', b"internal subset"),
        }
        paths = [self.write(name, data) for name, (data, _) in sorted(cases.items())]
        code, out, err = run(paths)
        self.assertEqual(1, code, err)
        self.assertEqual("total\t0\t0\t0\t0.00\t0.00\t0.00\t0.00", out.strip(), "no counts but the empty total")
        for path, (name, (_, reason)) in zip(paths, sorted(cases.items())):
            line = [l for l in err.splitlines() if path in l]
            self.assertTrue(line and reason.decode() in line[0], "%s: %s" % (name, err))

    def test_units_and_source_words_beside_pocount(self):
        if shutil.which("pocount") is None:
            self.fail("pocount (translate-toolkit) is not installed")
        # Where the lines of the text differ from pocount's messages, and why: a plural's msgid_plural
        # is a paragraph of its own here (in translate-toolkit's XLIFF it is a trans-unit of its own,
        # while pocount counts the group as one message); an entry whose text holds a line break
        # ("First line\nSecond line") shows as two lines. Qt TS keeps the plural as one message.
        extra_lines = {"sample.po": 1 + 1, "sample-text.po": 1 + 1, "xliff12-translate-toolkit.xlf": 1 + 1,
                       "ts-translate-toolkit.ts": 1}
        # Where the words differ: "Page %1$d of %2$d" is six runs of letters and numbers here (1, d,
        # 2, d), four words for pocount, which takes each placeholder as one.
        extra_words = {"sample-text.po": 2}
        checked = 0
        for name in ["sample.po", "sample-text.po", "xliff12-translate-toolkit.xlf", "ts-translate-toolkit.ts"]:
            path = os.path.join(FIXTURES, name)
            if not os.path.exists(path):
                continue
            messages, words = pocount_totals(path)
            code, out, err = run(["--text", path])
            self.assertEqual(0, code, err)
            lines = len(out.splitlines())
            self.assertEqual(messages + extra_lines.get(name, 0), lines, "%s: lines beside pocount's messages" % name)
            code, out, err = run([path])
            self.assertEqual(words + extra_words.get(name, 0), int(out.split("\t")[2]),
                             "%s: source words beside pocount's" % name)
            checked += 1
        self.assertGreaterEqual(checked, 3, "files compared with pocount")


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--runner", default="")
    parser.add_argument("--same-as", default="")
    parser.add_argument("exe")
    ARGS, rest = parser.parse_known_args()
    ARGS.exe = os.path.abspath(ARGS.exe)
    test_count.ARGS = ARGS
    result = unittest.main(argv=[sys.argv[0]] + rest, exit=False, verbosity=2).result
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()
