#!/usr/bin/env bash
# Saves an X display as a PNG file, cropped to what differs from its
# background with a margin of ten pixels; or counts the display's colours,
# which tells an empty screen (one colour) from one showing a window.
#
#   bash scripts/screenshot.sh DISPLAY OUT.png              the screen
#   bash scripts/screenshot.sh DISPLAY OUT.png --window ID  one X window
#   bash scripts/screenshot.sh DISPLAY --colors             the colour count
#
# Some windows (the help engine's property sheet) come out black in the root
# window's dump under Xvfb; take such a window by its id from
# `xwininfo -root -tree`. Needs x11-apps (xwd) and netpbm.
set -euo pipefail
display=$1 out=$2
source=(-root)
if [ "${3:-}" = --window ]; then
  source=(-id "$4")
fi
dump() { xwd "${source[@]}" -silent -display "$display" | xwdtopnm 2>/dev/null; }
if [ "$out" = --colors ]; then
  dump | ppmhist -noheader | wc -l
else
  dump | pnmcrop -margin=10 -blank-image=pass 2>/dev/null | pnmtopng >"$out"
fi
