#!/usr/bin/env bash
# Takes a picture of the settings dialog: starts the built 64-bit Hushdesk
# under Wine on a virtual X display, with a few example sentences, and writes
# the dialog's rectangle of the screen to OUTPUT.png. Builds nothing itself:
# run it after `make build` (`make screenshot` does both).
#   scripts/screenshot.sh OUTPUT.png
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -ne 1 ]; then
  echo "usage: $0 OUTPUT.png" >&2
  exit 2
fi

if [ -z "${HUSHDESK_SCREENSHOT_IN_XVFB:-}" ]; then
  # xwd comes with x11-apps, xwininfo with x11-utils; the real convert is
  # imagemagick's /usr/bin/convert.
  bash "$(dirname "$0")/deps.sh" x11-apps x11-utils imagemagick
  output=$(realpath -m "$1")
  exec xvfb-run -a -s "-screen 0 1280x1024x24" env HUSHDESK_SCREENSHOT_IN_XVFB=1 \
    bash "$0" "$output"
fi

output=$1
exe=${HUSHDESK_BUILD_DIR:-$root/build/win64}/Hushdesk.exe
if [ ! -f "$exe" ]; then
  echo "$exe is not built: run make build first" >&2
  exit 1
fi
source "$root/scripts/wine-env.sh"
prepare_wineprefix

work=$(mktemp -d)
hushdesk_pid=
cleanup() {
  if [ -n "$hushdesk_pid" ]; then
    kill "$hushdesk_pid" 2>/dev/null || true
  fi
  stop_wine
  rm -rf "$work"
}
trap cleanup EXIT

cp "$exe" "$work/Hushdesk.exe"
printf '[General]\r\nWindows=Notepad|- Mozilla Firefox|Calculator|\r\nShowSettingsOnStartup=1\r\nExcludeMode=0\r\n' \
  >"$work/Hushdesk.ini"
(cd "$work" && exec "$WINE" ./Hushdesk.exe) &
hushdesk_pid=$!

# Inside Wine's virtual desktop each top-level window is an X window of its
# own, named by its caption: its absolute position is the dialog's.
caption="Hushdesk settings"
geometry=
for _ in $(seq 1 150); do
  if info=$(xwininfo -name "$caption" 2>/dev/null); then
    geometry=$(awk '/Absolute upper-left X:/ {x=$4} /Absolute upper-left Y:/ {y=$4}
                    /^ *Width:/ {w=$2} /^ *Height:/ {h=$2}
                    END {if (w > 1 && h > 1) printf "%dx%d+%d+%d", w, h, x, y}' <<<"$info")
    [ -n "$geometry" ] && break
  fi
  sleep 0.2
done
if [ -z "$geometry" ]; then
  echo "the settings dialog did not show up" >&2
  exit 1
fi
sleep 1  # let it finish painting

xwd -root -silent >"$work/screen.xwd"
mkdir -p "$(dirname "$output")"
/usr/bin/convert "xwd:$work/screen.xwd" -crop "$geometry" +repage "$output"
echo "wrote $output ($geometry)"
