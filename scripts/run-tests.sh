#!/usr/bin/env bash
# Runs every test under Wine on one virtual X display, then stops the
# wineserver so that nothing keeps the caller's output open. The 64-bit
# build tree's ctest runs the tests of both exes (see tests/CMakeLists.txt).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
run_on_virtual_display "$0" "$@"
trap stop_wine EXIT
prepare_wineprefix
# Half the tests run the 32-bit exe: say how, and stop if it cannot run.
wine32_route
cd "${HUSHDESK_BUILD_DIR:-$root/build/win64}"
# One at a time: the tests share the prefix, the desktop and the mutex name.
ctest --output-on-failure -j1 "$@"
