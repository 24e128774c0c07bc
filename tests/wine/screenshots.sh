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
passed=0 failed=0
check() {  # check NAME CONDITION-RESULT
    if [ "$2" = 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $1"; fi
}
# The share of the screen in the splash picture's teal ground.
teal_share() {
    convert "$1" -fill black +opaque '#166274' -fill white -opaque '#166274' -format '%[fx:mean]' info:
}

mkdir -p "$shots" "$bench/app"
cp "$build/tallyq.exe" "$build/payload/"* "$bench/app/"
"$wb" reset "$bench"
"$wb" run "$bench" "$bench/app/tallyq.exe" &
"$wb" run "$bench" "$tool" wait-dialog
check "the splash is up" "$("$wb" run "$bench" "$tool" wait-window LSplashScreen >/dev/null; echo $?)"
sleep 0.5
import -window root "$shots/splash.png"
share=$(teal_share "$shots/splash.png")
check "the splash picture is on the screen (teal share $share)" "$(awk -v s="$share" 'BEGIN { exit !(s > 0.01) }'; echo $?)"

"$wb" run "$bench" "$tool" command 9
check "the help viewer opened" "$("$wb" run "$bench" "$tool" wait-window MS_WINHELP >/dev/null; echo $?)"
sleep 1
import -window root "$shots/help_contents.png"
check "no error box" "$("$wb" run "$bench" "$tool" window-exists '' ERROR; [ $? -ne 0 ]; echo $?)"
# The contents topic's links are drawn in green: they show only when the file was read.
share=$(convert "$shots/help_contents.png" -fill black +opaque '#008000' -fill white -opaque '#008000' -format '%[fx:mean]' info:)
check "the contents topic with its links is shown (link share $share)" "$(awk -v s="$share" 'BEGIN { exit !(s > 0.0005) }'; echo $?)"

"$wb" run "$bench" "$tool" close-window MS_WINHELP
"$wb" run "$bench" "$tool" exit-dialog
wait
"$wb" reset "$bench"
echo "screenshots: $shots/splash.png $shots/help_contents.png"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
