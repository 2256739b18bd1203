#!/usr/bin/env bash
# Packs the release: one zip per architecture, each holding exactly
# Hushdesk.exe, Hushdesk.chm and README.txt at its root. It builds nothing:
# it takes what `make release` (or `make build`) left in the build folders.
#
#   scripts/dist.sh [OUT_DIR [WIN32_BUILD_DIR WIN64_BUILD_DIR]]
#
# OUT_DIR defaults to dist/, the build folders to build/win32 and
# build/win64 (all relative to the repository root unless absolute).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

out=${1:-dist}
win32=${2:-build/win32}
win64=${3:-build/win64}
readme=docs/README.txt

fail() {
  echo "dist: $*" >&2
  exit 1
}

# The release number is the project's major.minor (0.2.0 -> 0.2).
version=$(sed -n 's/^project(Hushdesk VERSION \([0-9]*\.[0-9]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || fail "cannot read the version from CMakeLists.txt"

# Every input is checked before anything is written.
[ -f "$readme" ] || fail "$readme is missing"
for dir in "$win32" "$win64"; do
  [ -d "$dir" ] || fail "build folder $dir is missing: run 'make release' first"
  [ -f "$dir/Hushdesk.exe" ] || fail "$dir/Hushdesk.exe is missing: run 'make release' first"
  [ -f "$dir/Hushdesk.chm" ] ||
    fail "$dir/Hushdesk.chm is missing: the help is built from help/Hushdesk.hhp by chmcmd (fp-utils); run 'make release' again once help/ is in place"
done

mkdir -p "$out"
out=$(cd "$out" && pwd)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

# Same bytes from the same inputs: fixed order, dates and modes.
export TZ=UTC
stamp='2024-01-01 00:00:00'

pack() {
  local arch=$1 dir=$2
  local name="Hushdesk-$version-$arch.zip"
  local files="$stage/$arch"
  mkdir -p "$files"
  cp "$dir/Hushdesk.exe" "$dir/Hushdesk.chm" "$files/"
  # Notepad wants CR LF; take any line ending in and give CR LF out.
  sed -e 's/\r$//' -e 's/$/\r/' "$readme" >"$files/README.txt"
  chmod 0644 "$files"/*
  touch -d "$stamp" "$files"/*
  (cd "$files" && cmake -E tar cf "$stage/$name" --format=zip --mtime="$stamp" \
    Hushdesk.exe Hushdesk.chm README.txt)
  mv -f "$stage/$name" "$out/$name"
  echo "dist: $out/$name"
}

pack win32 "$win32"
pack win64 "$win64"
