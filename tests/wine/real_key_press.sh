#!/bin/sh
# A real press of Shift+F8 from the X server (xdotool) while another program is in front: the
# program in front has its text selected and copied, and TallyQuill, waiting in the tray, comes
# to the front with that text priced. Then a second press after clicking back into that program,
# which lies clear of the dialog, so the click reaches it. Last, presses while the program in front
# is busy when the keys reach it, one of them repeated while its modifier is still held: its text
# is copied once it catches up, and nothing is typed into it.
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
busy_press() {  # busy_press WHAT XDOTOOL-COMMANDS...: the hot key pressed so, the program in front busy
    what=$1
    shift
    copied=""
    for attempt in 1 2; do
        "$wb" run "$bench" "$tool" put-clipboard "$bench/old.txt"
        click_target
        "$wb" run "$bench" "$tool" busy-target || fail "the target did not take the busy request"
        xdotool "$@"
        copied=$("$wb" run "$bench" "$tool" wait-clipboard 'alpha beta gamma' 20 >/dev/null && echo copied)
        # A press the X server gave to no Wine window never reached TallyQuill: nothing was sent,
        # so the target's text must still be whole, and the press is made again.
        [ -n "$copied" ] && break
        echo "note: busy program, $what: nothing copied within 20 s (attempt $attempt)"
        check "busy program, $what, attempt $attempt: its text unchanged" "alpha beta gamma" \
            "$("$wb" run "$bench" "$tool" read-target | tr -d '\r')"
    done
    check "busy program, $what: its text copied once it catches up" "copied" "$copied"
    check "busy program, $what: its text unchanged" "alpha beta gamma" \
        "$("$wb" run "$bench" "$tool" read-target | tr -d '\r')"
}
status_is() {
    last=$("$wb" run "$bench" "$tool" read-control 123 | tr -d '\r')
    [ "$last" = "$expected_status" ]
}
busy_press "Shift+F8" keydown shift key F8 keyup shift
# Alt+X, and X pressed again while Alt is still held, as a user who sees nothing happen does: the
# second X is a press of the hot key too, never the letter x typed over the selected text.
"$wb" run "$bench" "$tool" hot-key 1 88 || fail "Alt+X was not registered"
busy_press "Alt+X, then X again with Alt held" keydown alt key x sleep 0.6 key x sleep 0.2 keyup alt
expected_status="The hot key was pressed while TallyQuill was busy: that press was ignored."
until_for_a_minute status_is "the status line [$expected_status]" >/dev/null
check "the second press said to be ignored" "$expected_status" "$last"

"$wb" run "$bench" "$tool" exit-dialog
"$wb" run "$bench" "$tool" close-target
wait
"$wb" reset "$bench"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
