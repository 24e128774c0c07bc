#!/bin/sh
# The instructions the whole measure of each language's text takes, from UTF-8 and from UTF-16, with
# one kernel, counted by callgrind (repeatable on a loaded machine, where times are not):
#   callgrind_languages.sh LANGUAGE_BENCH TEXTS_DIR [KERNEL [MB]]
# Prints "LANGUAGE FORM INSTRUCTIONS" lines: the measure fed the text in pieces of 1 MiB, each copied
# into a buffer first (the copies, about a fifth of an instruction a byte, are counted too).
bench=$1 texts=$2 kernel=${3:-avx2} mb=${4:-2}
out=$(mktemp -d)
for language in french russian chinese arabic hindi mixed; do
  valgrind --tool=callgrind --callgrind-out-file="$out/$language" --toggle-collect='*MeasurePieces*' \
    --dump-instr=no "$bench" --mb "$mb" --runs 1 --only "$language" --kernel "$kernel" "$texts" >/dev/null 2>&1
  # The toggled function is called once for UTF-8, then once for UTF-16: its callees' inclusive costs.
  callgrind_annotate --inclusive=yes "$out/$language" 2>/dev/null |
    awk -v language="$language" '/TextMeasurer::Feed\(/ && !f { gsub(",", "", $1); f = $1 }
                                 /TextMeasurer::FeedUtf16\(/ && !u { gsub(",", "", $1); u = $1 }
                                 END { print language, "utf8", f; print language, "utf16", u }'
done
rm -rf "$out"
