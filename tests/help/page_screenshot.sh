#!/bin/sh
# The guide page as a person sees it: headless Chromium renders tallyq.htm to a PNG kept under
# build/, and the picture must show the page's green links and its text, not a blank or an error.
#   page_screenshot.sh PAGE OUTPUT.png
set -eu
page=$1
shot=$2
mkdir -p "$(dirname "$shot")"
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
rm -f "$shot"
# No network at all: the page needs none, and a closed network makes Chromium's own calls fail.
chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking \
    --disable-component-update --disable-sync --user-data-dir="$profile" --hide-scrollbars \
    --window-size=900,1300 --screenshot="$shot" "file://$(cd "$(dirname "$page")" && pwd)/$(basename "$page")" \
    >/dev/null 2>&1 || true
[ -s "$shot" ] || { echo "FAIL: no screenshot was written"; echo "0 passed, 1 failed"; exit 1; }
size=$(identify -format '%wx%h' "$shot")
# Links are drawn in #006600; text in black on white.
green=$(convert "$shot" -fill black +opaque '#006600' -fill white -opaque '#006600' -format '%[fx:mean]' info:)
dark=$(convert "$shot" -colorspace gray -threshold 50% -negate -format '%[fx:mean]' info:)
echo "screenshot: $shot ($size, $(stat -c %s "$shot") bytes; link share $green, text share $dark)"
passed=0 failed=0
if awk -v s="$green" 'BEGIN { exit !(s > 0.0005) }'; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: no links drawn"; fi
if awk -v s="$dark" 'BEGIN { exit !(s > 0.01 && s < 0.5) }'; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: no text drawn"; fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
