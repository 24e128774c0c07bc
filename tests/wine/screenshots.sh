#!/bin/sh
# Pictures of what the user sees, for the eye and for the record: the splash at start, and the help
# viewer showing the help file's contents after "Help". Checks that each picture shows its window:
# the splash's teal picture is on the screen, and the viewer came up with no error box.
#   screenshots.sh BENCH_DIR WINDOWS_BUILD_DIR
set -u
bench=$1
build=$2
here=$(cd "$(dirname "$0")/../.." && pwd)
wb="$here/scripts/winebench"
tool="$build/tests/drive_tool.exe"
shots="$build/screenshots"
. "$bench/env"
. "$here/tests/wine/shell_waits.sh"
passed=0 failed=0
check() {  # check NAME CONDITION-RESULT
    if [ "$2" = 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $1"; fi
}
# The share of a picture in one colour.
colour_share() {  # colour_share FILE COLOUR
    convert "$1" -fill black +opaque "$2" -fill white -opaque "$2" -format '%[fx:mean]' info:
}
# Takes screenshots until the colour covers more than the share, for at most a minute (a window is
# painted a little after it shows, later still under emulation); returns the last share.
shoot_until() {  # shoot_until FILE COLOUR SHARE
    shot_file=$1 shot_colour=$2 shot_share=$3
    until_for_a_minute colour_covers "$2 to cover more than $3 of the screen in $1" >/dev/null
    echo "$last"
}
colour_covers() {
    import -window root "$shot_file"
    last=$(colour_share "$shot_file" "$shot_colour")
    awk -v s="$last" -v t="$shot_share" 'BEGIN { exit !(s > t) }'
}

mkdir -p "$shots" "$bench/app"
cp "$build/tallyq.exe" "$build/payload/"* "$bench/app/"
"$wb" reset "$bench"
# The help viewer opens where the system has it, Windows XP and earlier: the program is told so.
"$wb" run "$bench" reg add 'HKCU\Software\Wine\AppDefaults\tallyq.exe' /v Version /d winxp /f >/dev/null 2>&1
"$wb" run "$bench" "$bench/app/tallyq.exe" &
# The splash closes itself after seven seconds: it is shot from here as soon as it is painted, with
# no other program of the bench started first (each start takes seconds under emulation).
share=$(shoot_until "$shots/splash.png" '#166274' 0.01)
check "the splash picture is on the screen (teal share $share)" "$(awk -v s="$share" 'BEGIN { exit !(s > 0.01) }'; echo $?)"
check "the main dialog is up" "$("$wb" run "$bench" "$tool" wait-dialog >/dev/null; echo $?)"

"$wb" run "$bench" "$tool" command 9
check "the help viewer opened" "$("$wb" run "$bench" "$tool" wait-window MS_WINHELP >/dev/null; echo $?)"
# The contents topic's links are drawn in green: they show only when the file was read.
share=$(shoot_until "$shots/help_contents.png" '#008000' 0.0005)
check "no error box" "$("$wb" run "$bench" "$tool" window-exists '' ERROR; [ $? -ne 0 ]; echo $?)"
check "the contents topic with its links is shown (link share $share)" "$(awk -v s="$share" 'BEGIN { exit !(s > 0.0005) }'; echo $?)"

"$wb" run "$bench" "$tool" close-window MS_WINHELP
"$wb" run "$bench" "$tool" exit-dialog
wait
"$wb" run "$bench" reg delete 'HKCU\Software\Wine\AppDefaults\tallyq.exe' /f >/dev/null 2>&1
"$wb" reset "$bench"
echo "screenshots: $shots/splash.png $shots/help_contents.png"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
