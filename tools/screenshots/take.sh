#!/usr/bin/env bash
# Takes the screenshots named in the AppStream metadata from the programs themselves: the window
# after a count of the bundled sample by container, and the first page of the printed report.
# Needs xvfb, xdotool, imagemagick and poppler-utils (not part of the build).
#
#   tools/screenshots/take.sh BUILD_DIR [OUTPUT_DIR]    (default resources/screenshots)
set -euo pipefail
build="$(cd "${1:?usage: take.sh BUILD_DIR [OUTPUT_DIR]}" && pwd)"
out="$(mkdir -p "${2:-resources/screenshots}" && cd "${2:-resources/screenshots}" && pwd)"

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build" "$out"
fi

work="$(mktemp -d)"
trap 'kill "${pid:-}" 2>/dev/null || true; rm -rf "$work"' EXIT

"$build/src/cli/vantor-count" --quiet --by-container --pdf "$work/report.pdf" -o /dev/null
pdftoppm -r 60 -png -f 1 -l 1 "$work/report.pdf" "$work/page"
mv "$work"/page*.png "$out/printed-report.png"

"$build/src/app/vantor" &
pid=$!
# The window named name, once it is there.
find_window() {
  for _ in $(seq 50); do
    xdotool search --name "$1" 2>/dev/null | head -n 1 | grep . && return
    sleep 0.2
  done
  echo "take.sh: no window $1" >&2
  exit 1
}
find_window '^vantor$' >/dev/null
sleep 0.5
xdotool key Return                               # the splash
window="$(find_window '^Quillon Vantor$')"
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; sleep 0.5; }
click 17 136                                     # Count by container
click 388 50                                     # Count
xdotool key Return                               # the counting notice
sleep 3
click 60 226                                     # the first container's line
import -window "$window" "$out/count-by-container.png"
echo "take.sh: screenshots in $out"
