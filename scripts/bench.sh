#!/usr/bin/env bash
# Runs the benchmark under wine64 on a virtual X display and prints its
# table; then stops the wineserver. Arguments go to the benchmark exe
# (for example --runs 9 or --cycles 2000).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
run_on_virtual_display "$0" "$@"
trap stop_wine EXIT
prepare_wineprefix
build=$(cd "${HUSHDESK_BUILD_DIR:-$root/build/win64}" && pwd)
# The 32-bit build sits beside the 64-bit one (build/win32 next to build/win64).
exe32=$(dirname "$build")/win32/Hushdesk.exe
for file in "$build/Hushdesk.exe" "$build/bench/bench_minimal.exe" "$build/bench/hushdesk_bench.exe"; do
  if [ ! -f "$file" ]; then
    echo "missing $file: run make build first" >&2
    exit 1
  fi
done
if [ ! -f "$exe32" ]; then
  echo "note: no 32-bit exe at $exe32; its size is left out" >&2
fi
echo "Timer calls in the program's sources (SetTimer, WM_TIMER, waitable or multimedia timers):"
if grep -rnE 'SetTimer|WM_TIMER|WaitableTimer|timeSetEvent|TimerQueue|ThreadpoolTimer' "$root/src"; then
  echo "  found (see above)"
else
  echo "  none"
fi
# Windows paths through the Z: drive, which maps the unix root.
args=(--hushdesk "Z:$build/Hushdesk.exe" --minimal "Z:$build/bench/bench_minimal.exe")
if [ -f "$exe32" ]; then
  args+=(--hushdesk32 "Z:$exe32")
fi
cd "$build"
"$WINE" "$build/bench/hushdesk_bench.exe" "${args[@]}" "$@" | sed -u "s/\r$//"
