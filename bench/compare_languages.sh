#!/bin/sh
# The language benchmark of two builds in one run, a language at a time in turn, so that both see
# the machine alike: the code before a change and after it.
#   compare_languages.sh BEFORE_LANGUAGE_BENCH AFTER_LANGUAGE_BENCH TEXTS_DIR [MB [RUNS]]
# (The other build's language_bench is this file's source built against that build's tq_measure.)
# Prints, for each language and kernel: ms a text from UTF-8 before and after, the speed-up, ms from
# UTF-16 after, ms of the plain read-and-count loop over the UTF-8 bytes, and the two shares the
# benchmark reads against its aims (the loop's time over UTF-8's, UTF-16's time over UTF-8's).
before=$1 after=$2 texts=$3 mb=${4:-64} runs=${5:-5}
out=$(mktemp)
for language in french russian chinese arabic hindi mixed; do
  "$before" --mb "$mb" --runs "$runs" --only "$language" --tag before "$texts" | grep '^before ' >>"$out"
  "$after" --mb "$mb" --runs "$runs" --only "$language" --tag after "$texts" | grep '^after ' >>"$out"
done
awk 'BEGIN { printf "%-8s %-12s %10s %10s %7s %10s %9s %7s %7s\n", "text", "kernel", "UTF-8 was", "UTF-8 now", "faster",
             "UTF-16 now", "loop", "loop/8", "16/8" }
     $1 == "before" { was[$2 " " $3] = $4 }
     $1 == "after" { key = $2 " " $3; order[++n] = key; now8[key] = $4; loop[key] = $5; now16[key] = $6 }
     END { for (i = 1; i <= n; ++i) { key = order[i]; split(key, part, " ")
             w = (key in was) ? sprintf("%10.1f", was[key]) : sprintf("%10s", "-")
             f = (key in was) ? sprintf("%6.2fx", was[key] / now8[key]) : sprintf("%7s", "-")
             printf "%-8s %-12s %s %10.1f %s %10.1f %9.1f %6.0f%% %6.0f%%\n", part[1], part[2], w, now8[key], f, now16[key],
                    loop[key], 100 * loop[key] / now8[key], 100 * now16[key] / now8[key] } }' "$out"
rm -f "$out"
