#!/usr/bin/env python3
"""Tests of tallyq-count: its lines, sums, errors and exit codes.

    test_count.py [--runner CMD] EXE [--same-as NATIVE_EXE]

--runner runs EXE through a command (the Wine bench); --same-as also checks that EXE prints the same
lines as NATIVE_EXE for the same inputs.
"""
import argparse
import os
import random
import shlex
import subprocess
import sys
import tempfile
import unittest

ARGS = None

CAT_TEXT = b"The cat sat.\r\nIt's 3.5 m long -- really!"
WORD_BYTES = set(b"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789'.:") | set(range(0x80, 0xA6))


def reference_counts(data, cpl=80):
    """The measuring rules, written plainly, to check the program against on generated texts."""
    data = data.split(b"\0", 1)[0]
    words = lines = col = 0
    in_word = started = False
    for c in data:
        is_word = c in WORD_BYTES
        words += is_word and not in_word
        in_word = is_word
        if 0x20 <= c <= 0x7F:
            if c != 0x20 and not started:
                lines += 1
                started = True
            col += 1
            if col >= cpl:
                col, started = 0, False
        elif c in (0x0D, 0x0A):
            col, started = 0, False
    return len(data), words, lines


def run(exe, args, stdin=b""):
    command = (shlex.split(ARGS.runner) if ARGS.runner else []) + [exe] + args
    done = subprocess.run(command, input=stdin, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
    # Wine may add its own notes on standard error; our lines are the ones naming the program.
    stderr = b"\n".join(l for l in done.stderr.replace(b"\r", b"").split(b"\n") if b"tallyq-count" in l
                        or b"usage" in l or l.startswith(b"  --") or l.startswith(b"Prices")
                        or l.startswith(b"Exit") or l.startswith(b"Measures") or l.startswith(b"Prints")
                        or l.startswith(b"and with"))
    return done.returncode, done.stdout.replace(b"\r\n", b"\n").decode("latin-1"), stderr.decode("latin-1")


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
                     ["--price", "1", cat], ["--fixed"], ["--per-word"]):
            code, out, err = self.count(args)
            self.assertEqual(2, code, args)
            self.assertEqual("", out, args)
            self.assertIn("usage: tallyq-count", err, args)
        code, out, err = self.count(["--help"])
        self.assertEqual(0, code)
        self.assertIn("usage: tallyq-count", out)
        # After "--" a name that looks like an option is a file.
        code, out, err = self.count(["--", "--cpl"])
        self.assertEqual(1, code)
        self.assertIn("--cpl", err)

    def test_generated_texts_match_the_rules(self):
        rng = random.Random(1234)
        alphabet = b"abc xyz.,:'-!\r\n\t" + bytes([0x80, 0xA5, 0xA6, 0xE9, 0xFF, 0x7F, 0x01])
        for index, cpl in enumerate((80, 7, 1, 0, -2, 300)):
            data = bytes(rng.choice(alphabet) for _ in range(rng.randint(0, 5000)))
            path = os.path.join(self.dir.name, "gen%d.txt" % index)
            with open(path, "wb") as f:
                f.write(data)
            code, out, _ = self.count(["--cpl", str(cpl), path])
            self.assertEqual(0, code)
            self.assertEqual(list(map(str, reference_counts(data, cpl))), out.split("\t")[1:4], "cpl %d" % cpl)

    def test_large_file_streams(self):
        unit = b"Typing pages, line after line; don't stop.\r\n" * 1000
        path = os.path.join(self.dir.name, "large.txt")
        with open(path, "wb") as f:
            for _ in range(64):
                f.write(unit)
        code, out, _ = self.count([path])
        chars, words, lines = reference_counts(unit)
        self.assertEqual(0, code)
        self.assertEqual([str(chars * 64), str(words * 64), str(lines * 64)], out.split("\t")[1:4])

    def test_same_lines_as_native_build(self):
        if not ARGS.same_as:
            self.skipTest("no native build to compare with")
        rng = random.Random(99)
        path = os.path.join(self.dir.name, "mixed.bin")
        with open(path, "wb") as f:
            f.write(bytes(rng.randrange(1, 256) for _ in range(20000)))
        cases = [
            [self.files["cat.txt"], path, self.files["zero.txt"]],
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
