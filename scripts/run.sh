#!/usr/bin/env bash
# Starts the built Hushdesk under Wine on the current display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${DISPLAY:-}" ]; then
  echo "make run needs an X display: set DISPLAY (for example run it in a desktop" >&2
  echo "session, or under 'xvfb-run -a make run' to try it without a screen)." >&2
  exit 1
fi
source "$root/scripts/wine-env.sh"
prepare_wineprefix
# The 32-bit exe, the one users download. It keeps its INI beside it in
# build/win32.
wine32_route
cd "$root/build/win32"
echo "Hushdesk runs: Ctrl+F8 hides/shows, Ctrl+Alt+F8 opens the settings."
exec "$WINE" ./Hushdesk.exe
