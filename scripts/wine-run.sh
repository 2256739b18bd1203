#!/usr/bin/env bash
# Runs one Windows program under wine64 with the project's prefix; used as
# CMake's cross-compiling emulator, so ctest runs the test exes through it.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
prepare_wineprefix
exec "$WINE" "$@"
