#!/bin/sh
# Draws resources/banner.gif, the 468x60 banner that banner.htm shows in the main dialog's top strip:
# the program's emblem on its teal ground, the name and one line on what it does. Run by hand when
# the banner changes (it needs ImageMagick and the DejaVu fonts); the GIF is kept in the sources.
#   scripts/make_banner.sh
set -eu
resources=$(dirname "$0")/../resources
out=$resources/banner.gif
convert -size 468x60 xc:'#166274' \
    \( "$resources/icon1.ico[0]" -filter point -resize 48x48 \) -geometry +8+6 -composite \
    -font DejaVu-Sans-Bold -pointsize 24 -fill '#FAF4E2' -annotate +66+30 'TallyQuill' \
    -font DejaVu-Sans -pointsize 13 -fill '#FAD25A' -annotate +67+50 'Prices typing and transcription at one key press' \
    -colors 32 +dither -strip "GIF:$out"
