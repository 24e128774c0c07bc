#!/usr/bin/env python3
"""Writes a job's quote with tallyq-count and reads it back as its readers do.

    check_quote.py [--runner CMD] TALLYQ_COUNT

- The page, in headless Chromium, printed to PDF on A4 and on Letter and read with poppler's
  pdftotext: every row (name, kind, counts, price), the fixed cost and the total as counted by
  hand; a title holding < & and quotes, and names holding & and ', in Greek and in Japanese, shown
  as written. The job's 60 files take two pages, and the table's head is on the second too.
- The sheet, with Python's csv and with LibreOffice Calc (headless): a header row, a row per file,
  the fixed cost, the total last, every field in its own cell, and the prices adding up to the
  total.
--runner runs TALLYQ_COUNT through a command (the Wine bench).
"""
import argparse
import concurrent.futures
import csv
import io
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

# Each file's text with its words counted by hand; the prices at 0.333 a word, as the rows show
# them: each row is what the running sum gained in cents (2.997, 3.996, 4.662, 5.661), so they add
# up to the total 2.00 + 5.66 = 7.66, which rounding each row alone (3.00 1.00 0.67 1.00) would miss.
FILES = [("plain.txt", "The quick brown fox jumps over the lazy dog.", 9, "3.00"),
         ("Fish & Chips's.txt", "Fish & chips, twice.", 3, "1.00"),
         ("\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac.txt", "\u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1 \u03ba\u03cc\u03c3\u03bc\u03b5", 2, "0.66"),
         ("\u65e5\u672c\u8a9e\u306e\u539f\u7a3f.txt", "Three more words", 3, "1.00")]
TITLE = 'Quote <draft> for "Smith & Co"'
RATES = ["--per-word", "0.333", "--fixed", "2", "--currency", "\u20ac"]
# Files of one character and no word fill the job to 60 files: they cost nothing.
FILLERS = [("filler %02d.txt" % n, "-", 0, "0.00") for n in range(1, 57)]
TOTAL = "7.66"
FIXED = "2.00"
CALC_TIMEOUT_S = 180
BROWSER_TIMEOUT_S = 120


def run_count(args, cwd):
    command = (shlex.split(ARGS.runner) if ARGS.runner else []) + [ARGS.tallyq_count] + args
    env = dict(os.environ, LC_ALL="C.UTF-8")
    return subprocess.run(command, cwd=cwd, capture_output=True, timeout=120, env=env)


def write_job(folder, files):
    for name, text, _, _ in files:
        with open(os.path.join(folder, name), "w", encoding="utf-8", newline="") as f:
            f.write(text)


def print_pdf(page, paper, folder, failures):
    """The page printed on the paper (A4 or Letter) by headless Chromium, as pdftotext reads each
    page; None when it was not printed."""
    with open(page, encoding="utf-8") as f:
        html = f.read()
    # The paper chosen as a print dialog chooses it; the page itself names none.
    sized = os.path.join(folder, "printed-%s.html" % paper)
    with open(sized, "w", encoding="utf-8") as f:
        f.write(html.replace("<style>\n", "<style>\n@page { size: %s; }\n" % paper, 1))
    pdf = os.path.join(folder, "printed-%s.pdf" % paper)
    profile = tempfile.mkdtemp(prefix="tq-chromium-")
    try:
        subprocess.run(["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                        "--disable-background-networking", "--disable-component-update", "--disable-sync",
                        "--user-data-dir=" + profile, "--no-pdf-header-footer", "--print-to-pdf-no-header",
                        "--print-to-pdf=" + pdf, "file://" + sized],
                       capture_output=True, timeout=BROWSER_TIMEOUT_S)
    except subprocess.TimeoutExpired:
        failures.append("Chromium: no PDF within %d s" % BROWSER_TIMEOUT_S)
        return None
    finally:
        shutil.rmtree(profile, ignore_errors=True)
    if not os.path.exists(pdf):
        failures.append("Chromium wrote no PDF on %s" % paper)
        return None
    info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True).stdout
    if not re.search(r"^Page size:.*\(%s\)$" % paper, info, re.MULTILINE | re.IGNORECASE):
        failures.append("%s: the PDF's pages are not %s: %s" % (paper, paper, info))
    text = subprocess.run(["pdftotext", "-layout", pdf, "-"], capture_output=True, text=True).stdout
    return text.split("\f")


def check_page(page, paper, failures):
    head = re.compile(r"File\s+Kind\s+Characters\s+Words\s+Lines\s+Price")
    pages = print_pdf(page, paper, os.path.dirname(page), failures)
    if pages is not None:
        pages = [p for p in pages if p.strip()]
        if len(pages) < 2:
            failures.append("%s: 60 files on %d page(s), expected at least 2" % (paper, len(pages)))
        for number, text in enumerate(pages[:2], 1):
            if not head.search(text):
                failures.append("%s: no table head on page %d:\n%s" % (paper, number, text))
        text = "\n".join(pages)
        lines = [re.sub(r"\s+", " ", line).strip() for line in text.split("\n")]
        if TITLE not in lines:
            failures.append("%s: the title %r is not shown as written in:\n%s" % (paper, TITLE, text))
        for name, content, words, price in FILES + FILLERS[-1:]:
            row = "%s Text %d %d 1 %s \u20ac" % (name, len(content), words, price)
            if row not in lines:
                failures.append("%s: no row %r in:\n%s" % (paper, row, text))
        for row in ("Fixed cost per job %s \u20ac" % FIXED, "Per word 0.333 \u20ac"):
            if row not in lines:
                failures.append("%s: no line %r in:\n%s" % (paper, row, text))
        total = "Total %d %d %d %s \u20ac" % (sum(len(c) for _, c, _, _ in FILES + FILLERS),
                                          sum(w for _, _, w, _ in FILES), len(FILES + FILLERS), TOTAL)
        if total not in lines:
            failures.append("%s: no total %r in:\n%s" % (paper, total, text))


def calc_rows(path, failures):
    """The sheet's cells as Calc opens it (comma-separated, double quotes, UTF-8), saved again
    separated by tabs."""
    soffice = shutil.which("soffice")
    if soffice is None:
        failures.append("Calc: no soffice (Debian's libreoffice-calc-nogui)")
        return None
    with tempfile.TemporaryDirectory(prefix="tq-calc-") as scratch:
        out = os.path.join(scratch, "out")
        command = [soffice, "-env:UserInstallation=file://" + os.path.join(scratch, "profile"), "--headless",
                   "--norestore", "--infilter=Text - txt - csv (StarCalc):44,34,76,1",
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


def check_sheet_rows(reader, rows, failures, numbers_as_values=False):
    """numbers_as_values: the reader shows numbers by their value ("3" for 3.00)."""
    shown = (lambda text: "%g" % float(text)) if numbers_as_values else (lambda text: text)
    expected = [["File", "Kind", "Characters", "Words", "Lines", "Price (\u20ac)"]]
    expected += [[name, "Text", str(len(text)), str(words), "1", shown(price)]
                 for name, text, words, price in FILES + FILLERS]
    expected += [["Fixed cost per job", "", "", "", "", shown(FIXED)]]
    expected += [["Total", "", str(sum(len(t) for _, t, _, _ in FILES + FILLERS)),
                  str(sum(w for _, _, w, _ in FILES)), str(len(FILES + FILLERS)), shown(TOTAL)]]
    if rows != expected:
        failures.append("%s: rows\n%r\nexpected\n%r" % (reader, rows, expected))
        return
    cents = sum(round(float(row[5]) * 100) for row in rows[1:-1])
    if cents != round(float(rows[-1][5]) * 100):
        failures.append("%s: the prices add up to %d cents, the total is %s" % (reader, cents, rows[-1][5]))


def check_sheet(path, failures):
    with open(path, "rb") as f:
        data = f.read()
    if not data.startswith(b"\xef\xbb\xbf"):
        failures.append("the sheet starts %r, not with UTF-8's byte-order mark" % data[:3])
    if re.search(rb"[^\r]\n", data) or not data.endswith(b"\r\n"):
        failures.append("the sheet's records do not all end with CR LF: %r" % data)
    with open(path, newline="", encoding="utf-8-sig") as f:
        check_sheet_rows("Python's csv", list(csv.reader(f, strict=True)), failures)
    rows = calc_rows(path, failures)
    if rows is not None:
        check_sheet_rows("Calc", rows, failures, numbers_as_values=True)


def main():
    failures = []
    with tempfile.TemporaryDirectory(prefix="tq-quote-") as folder:
        write_job(folder, FILES + FILLERS)
        names = [name for name, _, _, _ in FILES + FILLERS]
        for quote in ("quote.html", "quote.csv"):
            done = run_count(RATES + ["--quote", quote, "--title", TITLE] + names, folder)
            total = done.stdout.decode("utf-8", "replace").replace("\r", "").strip().split("\n")[-1]
            if done.returncode != 0 or not total.endswith("\t%s \u20ac" % TOTAL):
                failures.append("%s: exit %d, last line %r (expected the total %s \u20ac); standard error %r"
                                % (quote, done.returncode, total, TOTAL, done.stderr))
            if not os.path.exists(os.path.join(folder, quote)):
                failures.append("%s was not written" % quote)
        # The readers are slow to start: they read at the same time.
        page, sheet = os.path.join(folder, "quote.html"), os.path.join(folder, "quote.csv")
        with concurrent.futures.ThreadPoolExecutor() as pool:
            checks = []
            if os.path.exists(page):
                checks += [pool.submit(check_page, page, paper, failures) for paper in ("A4", "Letter")]
            if os.path.exists(sheet):
                checks.append(pool.submit(check_sheet, sheet, failures))
            for check in checks:
                check.result()

        # A quote that cannot be written is said, with exit 1, and leaves no file.
        done = run_count(["--quote", os.path.join("no such folder", "q.html"), "plain.txt"], folder)
        said = done.stderr.decode("utf-8", "replace")
        if done.returncode != 1 or "the quote could not be saved" not in said:
            failures.append("an unwritable quote: exit %d, standard error %r" % (done.returncode, said))
    for failure in failures:
        print("FAIL:", failure)
    print("%d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--runner", default="")
    parser.add_argument("tallyq_count")
    ARGS = parser.parse_args()
    sys.exit(main())
