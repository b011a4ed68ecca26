#!/usr/bin/env bash
# tools/screenshots.sh in its quick form: the start state only, into a
# temporary folder. The picture is of the whole window, with the virtual
# unit selected (its status icon lightgreen, its name on its slot).
set -u
BUILD="$1"; SRC="$2"
OUT=$(mktemp -d /tmp/veld72-shots-test-XXXXXX)
trap 'rm -rf "$OUT"' EXIT

timeout 120 bash "$SRC/tools/screenshots.sh" "$BUILD" "$OUT" --states start || { echo "FAIL: the script failed"; exit 1; }
PNG="$OUT/window-start.png"
[ -f "$PNG" ] || { echo "FAIL: no $PNG"; exit 1; }
[ "$(ls "$OUT")" = "window-start.png" ] || { echo "FAIL: more than the start state: $(ls "$OUT")"; exit 1; }

read -r W H < <(identify -format '%w %h\n' "$PNG")
echo "window-start.png is $W x $H"
[ "$W" -ge 1024 ] && [ "$W" -le 1040 ] && [ "$H" -ge 720 ] && [ "$H" -le 760 ] || { echo "FAIL: not the window's size"; exit 1; }

# Content origin under the title bar; status icon 1 at (346, 31), 20 x 20.
LEFT=$(( (W - 1024) / 2 )); TOP=$(( H - 720 - LEFT ))
GREENS=$(convert "$PNG" -crop "20x20+$(( LEFT + 346 ))+$(( TOP + 31 ))" -depth 8 txt:- \
  | awk -F'[(),]' 'NR > 1 { r = $3 + 0; g = $4 + 0; b = $5 + 0; if (g > 150 && g > r + 40 && g > b + 40) n++ } END { print n + 0 }')
[ "$GREENS" -gt 20 ] && echo "ok: the unit is selected ($GREENS lightgreen pixels)" || { echo "FAIL: status icon not lightgreen ($GREENS)"; exit 1; }
