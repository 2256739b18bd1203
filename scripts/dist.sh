#!/usr/bin/env bash
# Packs the release: one zip per architecture, each holding exactly
# Hushdesk.exe, Hushdesk.chm and README.txt at its root. It builds nothing:
# it takes what `make release` (or `make build`) left in the build folders,
# the version included.
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

fail() {
  echo "dist: $*" >&2
  exit 1
}

# The release name CMake generated from project() (0.2.0 -> 0.2).
release_name() {
  sed -n 's/^#define HUSHDESK_RELEASE "\(.*\)"$/\1/p' "$1/generated/hushdesk_version.h" 2>/dev/null
}

# Every input is checked before anything is written.
for dir in "$win32" "$win64"; do
  [ -d "$dir" ] || fail "build folder $dir is missing: run 'make release' first"
  [ -f "$dir/Hushdesk.exe" ] || fail "$dir/Hushdesk.exe is missing: run 'make release' first"
  [ -f "$dir/Hushdesk.chm" ] ||
    fail "$dir/Hushdesk.chm is missing: the help is built from help/Hushdesk.hhp by chmcmd (fp-utils); run 'make release' again once help/ is in place"
  [ -f "$dir/README.txt" ] || fail "$dir/README.txt is missing: run 'make release' first"
  [ -n "$(release_name "$dir")" ] ||
    fail "$dir has no generated version (generated/hushdesk_version.h): run 'make release' first"
done
version=$(release_name "$win32")
[ "$(release_name "$win64")" = "$version" ] ||
  fail "the build folders hold different versions ($version and $(release_name "$win64")): run 'make release' again"

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
  # README.txt comes with CR LF from CMake, for Notepad.
  cp "$dir/Hushdesk.exe" "$dir/Hushdesk.chm" "$dir/README.txt" "$files/"
  chmod 0644 "$files"/*
  touch -d "$stamp" "$files"/*
  (cd "$files" && cmake -E tar cf "$stage/$name" --format=zip --mtime="$stamp" \
    Hushdesk.exe Hushdesk.chm README.txt)
  mv -f "$stage/$name" "$out/$name"
  echo "dist: $out/$name"
}

pack win32 "$win32"
pack win64 "$win64"
