#!/usr/bin/env bash
# Runs every test under wine64 on one virtual X display, then stops the
# wineserver so that nothing keeps the caller's output open.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${HUSHDESK_IN_XVFB:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" env HUSHDESK_IN_XVFB=1 bash "$0" "$@"
fi
source "$root/scripts/wine-env.sh"
trap stop_wine EXIT
prepare_wineprefix
cd "${HUSHDESK_BUILD_DIR:-$root/build/win64}"
# One at a time: the tests share the prefix, the desktop and the mutex name.
ctest --output-on-failure -j1 "$@"
