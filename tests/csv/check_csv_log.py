#!/usr/bin/env python3
"""Reads the job log that the CSV tests wrote as a spreadsheet would, with two readers: Python's CSV
reader (strict: a quote after a blank is text) and LibreOffice Calc, headless, which opens the log
as CSV and saves its cells again separated by tabs. A new log is UTF-8 after its byte-order mark;
every record must come out as eight cells, with each title whole in the second and the rates'
name and currency in the last two."""
import csv
import io
import os
import shutil
import subprocess
import sys
import tempfile

TITLES = ["Letter to bank", "a, b, and c", 'the "big" job', '"', "caf\xe9 r\xe9sum\xe9 \xff", "",
          'Smith, "\u03a9\u03bc\u03ad\u03b3\u03b1" letter']
# Calc's start and conversion: a few seconds; far more only when it hangs.
CALC_TIMEOUT_S = 180


def check_rows(reader, rows, failures):
    if len(rows) != len(TITLES):
        failures.append("%s: %d records, expected %d: %r" % (reader, len(rows), len(TITLES), rows))
    for row, title in zip(rows, TITLES):
        if len(row) != 8:
            failures.append("%s: a record of %d cells, expected 8: %r" % (reader, len(row), row))
        elif row[1] != title or row[2:8] != ["40", "8", "2", "0.16", "Standard", "$"]:
            failures.append("%s: cells %r, expected the title %r, then 40, 8, 2, 0.16, Standard, $" % (reader, row, title))


def rows_from_calc(path, failures):
    """The log's cells as Calc opens it (comma-separated, double quotes, UTF-8, the dates taken as
    text), saved again separated by tabs; None when Calc did not convert it."""
    soffice = shutil.which("soffice")
    if soffice is None:
        failures.append("Calc: no soffice (Debian's libreoffice-calc-nogui)")
        return None
    with tempfile.TemporaryDirectory(prefix="tq-calc-") as scratch:
        # A profile of its own: no user's settings, and no clash with another Calc running.
        profile = "file://" + os.path.join(scratch, "profile")
        out = os.path.join(scratch, "out")
        command = [soffice, "-env:UserInstallation=" + profile, "--headless", "--norestore",
                   "--infilter=Text - txt - csv (StarCalc):44,34,76,1,1/2,1033",
                   "--convert-to", "csv:Text - txt - csv (StarCalc):9,34,76,1", "--outdir", out, path]
        try:
            done = subprocess.run(command, capture_output=True, text=True, timeout=CALC_TIMEOUT_S)
        except subprocess.TimeoutExpired:
            failures.append("Calc: no conversion within %d s" % CALC_TIMEOUT_S)
            return None
        converted = os.path.join(out, os.path.basename(path))
        if not os.path.exists(converted):
            failures.append("Calc: no converted file (exit %d): %s %s" % (done.returncode, done.stdout, done.stderr))
            return None
        with open(converted, newline="", encoding="utf-8-sig") as f:
            return list(csv.reader(io.StringIO(f.read()), delimiter="\t"))


def main(path):
    failures = []
    with open(path, "rb") as f:
        start = f.read(3)
    if start != b"\xef\xbb\xbf":
        failures.append("the log starts %r, not with the UTF-8 byte-order mark that spreadsheets read it by" % start)
    with open(path, newline="", encoding="utf-8-sig") as f:
        check_rows("Python's csv", list(csv.reader(f)), failures)
    calc_rows = rows_from_calc(path, failures)
    if calc_rows is not None:
        check_rows("Calc", calc_rows, failures)
    for failure in failures:
        print("FAIL:", failure)
    print("%d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
