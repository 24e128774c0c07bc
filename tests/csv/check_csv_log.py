#!/usr/bin/env python3
"""Reads the job log that the CSV tests wrote with Python's CSV reader, as a spreadsheet would:
a new log is UTF-8 after its byte-order mark, and every record must be six fields, with each title
intact."""
import csv
import sys

TITLES = ["Letter to bank", "a, b, and c", 'the "big" job', '"', "caf\xe9 r\xe9sum\xe9 \xff", ""]


def main(path):
    failures = []
    with open(path, "rb") as f:
        start = f.read(3)
    if start != b"\xef\xbb\xbf":
        failures.append("the log starts %r, not with the UTF-8 byte-order mark that spreadsheets read it by" % start)
    with open(path, newline="", encoding="utf-8-sig") as f:
        rows = list(csv.reader(f, skipinitialspace=True))
    if len(rows) != len(TITLES):
        failures.append("%d records, expected %d: %r" % (len(rows), len(TITLES), rows))
    for row, title in zip(rows, TITLES):
        if len(row) != 6:
            failures.append("record of %d fields: %r" % (len(row), row))
        elif row[1] != title or row[2:5] != ["40", "8", "2"] or row[5].strip() != "0.16":
            failures.append("record %r, expected the title %r" % (row, title))
    for failure in failures:
        print("FAIL:", failure)
    print("%d passed, %d failed" % (len(TITLES) - len(failures), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
