# The shell drivers' wait, sourced by them once wb, bench and tool are set.
# until_for_a_minute CHECK WHAT: runs the shell function CHECK until it succeeds, for at most a
# minute, with a tenth of a second between tries so that the wait leaves the processor to what it
# waits for; CHECK leaves what it saw in $last. A minute without success says WHAT, the last thing
# seen and the windows on the screen on the error stream, and returns 1.
until_for_a_minute() {
    deadline=$(($(date +%s) + 60))
    until "$1"; do
        [ "$(date +%s)" -lt "$deadline" ] && { sleep 0.1; continue; }
        echo "Waited 60 s for $2; last seen [$last]; the windows on the screen:" >&2
        "$wb" run "$bench" "$tool" z-order >&2
        return 1
    done
}
