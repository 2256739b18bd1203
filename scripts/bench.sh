#!/usr/bin/env bash
# Runs the benchmark under Wine on a virtual X display and prints its
# table; then stops the wineserver. Arguments go to the benchmark exe
# (for example --runs 9 or --cycles 2000).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
run_on_virtual_display "$0" "$@"
trap stop_wine EXIT
prepare_wineprefix
build=$(cd "${HUSHDESK_BUILD_DIR:-$root/build/win64}" && pwd)
# The 32-bit build sits beside the 64-bit one (build/win32 next to build/win64):
# its exe is the one users download, measured against 32-bit yardsticks.
build32=$(dirname "$build")/win32
for file in "$build/Hushdesk.exe" "$build/bench/bench_minimal.exe" "$build/bench/hushdesk_bench.exe" \
  "$build32/Hushdesk.exe" "$build32/bench/bench_minimal.exe" "$build32/bench/hushdesk_bench.exe"; do
  if [ ! -f "$file" ]; then
    echo "missing $file: run make build first" >&2
    exit 1
  fi
done
wine32_route
echo "Timer calls in the program's sources (SetTimer, WM_TIMER, waitable or multimedia timers):"
if grep -rnE 'SetTimer|WM_TIMER|WaitableTimer|timeSetEvent|TimerQueue|ThreadpoolTimer' "$root/src"; then
  echo "  found (see above)"
else
  echo "  none"
fi
# Windows paths through the Z: drive, which maps the unix root.
args=(--hushdesk "Z:$build/Hushdesk.exe" --minimal "Z:$build/bench/bench_minimal.exe"
  --hushdesk32 "Z:$build32/Hushdesk.exe" --minimal32 "Z:$build32/bench/bench_minimal.exe"
  --bench32 "Z:$build32/bench/hushdesk_bench.exe")
cd "$build"
"$WINE" "$build/bench/hushdesk_bench.exe" "${args[@]}" "$@" | sed -u "s/\r$//"
