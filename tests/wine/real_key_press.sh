#!/bin/sh
# A real press of Shift+F8 from the X server (xdotool) while another program is in front: the
# program in front has its text selected and copied, and TallyQuill, waiting in the tray, comes
# to the front with that text priced. Then a second press after clicking back into that program,
# which lies clear of the dialog, so the click reaches it. Last, presses with the hot key's
# modifier still held while the program in front is busy when the keys reach it: its text is
# copied once it catches up, and nothing is typed into it.
#   real_key_press.sh BENCH_DIR WINDOWS_BUILD_DIR
set -u
bench=$1
build=$2
here=$(cd "$(dirname "$0")/../.." && pwd)
wb="$here/scripts/winebench"
tool="$build/tests/drive_tool.exe"
. "$bench/env"
. "$here/tests/wine/shell_waits.sh"
passed=0 failed=0
fail() {  # fail WHAT
    failed=$((failed + 1)); echo "FAIL: $1"; }
check() {  # check NAME EXPECTED ACTUAL
    if [ "$2" = "$3" ]; then passed=$((passed + 1)); else
        failed=$((failed + 1)); echo "FAIL: $1: got [$3], expected [$2]"; fi
}
summary() {  # summary EXPECTED: the summary once it is the expected text, or as it stands after a minute
    expected_summary=$1
    until_for_a_minute summary_is "the summary [$1]" >/dev/null
    echo "$last"
}
summary_is() {
    last=$("$wb" run "$bench" "$tool" read-control 101 | tr -d '\r')
    [ "$last" = "$expected_summary" ]
}
click_target() {
    window=$(xdotool search --name 'Text Target' | head -n 1)
    xdotool mousemove --window "$window" 60 50 click 1
    "$wb" run "$bench" "$tool" wait-foreground 'Text Target' || fail "the click did not bring the target to the front"
}

"$wb" reset "$bench"
printf 'old text' > "$bench/old.txt"
"$wb" run "$bench" "$tool" put-clipboard "$bench/old.txt"
"$wb" run "$bench" "$build/tests/text_target.exe" alpha beta gamma &
"$wb" run "$bench" "$build/tallyq.exe" /logon &
"$wb" run "$bench" "$tool" wait-dialog || { echo "FAIL: TallyQuill did not start"; exit 1; }

click_target
xdotool key --clearmodifiers shift+F8
check "press while another program is in front" "alpha beta gamma" "$(summary 'alpha beta gamma')"
check "the dialog came out of the tray" "1" "$("$wb" run "$bench" "$tool" wait-shown >/dev/null && echo 1)"

# Back to the old text ("Update Text"), so that only a working second press shows the target's.
"$wb" run "$bench" "$tool" put-clipboard "$bench/old.txt"
"$wb" run "$bench" "$tool" command 113
check "update text" "old text" "$(summary 'old text')"
click_target
xdotool key --clearmodifiers shift+F8
check "second press after clicking back" "alpha beta gamma" "$(summary 'alpha beta gamma')"

# The program in front sleeps 2.5 s on the first letter key it takes, as a word processor busy with
# a large document: keys that carry no state of their own would be typed as the letters a and c.
busy_press() {  # busy_press MODIFIER
    copied=""
    for attempt in 1 2; do
        "$wb" run "$bench" "$tool" put-clipboard "$bench/old.txt"
        click_target
        "$wb" run "$bench" "$tool" busy-target || fail "the target did not take the busy request"
        xdotool keydown "$1" key F8
        copied=$("$wb" run "$bench" "$tool" wait-clipboard 'alpha beta gamma' 20 >/dev/null && echo copied)
        xdotool keyup "$1"
        # A press the X server gave to no Wine window never reached TallyQuill: nothing was sent,
        # so the target's text must still be whole, and the press is made again.
        [ -n "$copied" ] && break
        echo "note: busy program, $1 held: nothing copied within 20 s (attempt $attempt)"
        check "busy program, $1 held, attempt $attempt: its text unchanged" "alpha beta gamma" \
            "$("$wb" run "$bench" "$tool" read-target | tr -d '\r')"
    done
    check "busy program, $1 held: its text copied once it catches up" "copied" "$copied"
    check "busy program, $1 held: its text unchanged" "alpha beta gamma" \
        "$("$wb" run "$bench" "$tool" read-target | tr -d '\r')"
}
busy_press shift
# With a hot key of Alt: Alt let go with no other key between would open the program's menu.
"$wb" run "$bench" "$tool" hot-key 1 119 || fail "Alt+F8 was not registered"
busy_press alt

"$wb" run "$bench" "$tool" exit-dialog
"$wb" run "$bench" "$tool" close-target
wait
"$wb" reset "$bench"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
