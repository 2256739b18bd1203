#!/usr/bin/env bash
# Packs the release: one zip per architecture, each holding exactly
# Hushdesk.exe, Hushdesk.chm and README.txt at its root, and SHA256SUMS for
# both zips. It builds nothing: it takes what `make release` (or `make
# build`) left in the build folders, the version included.
#
#   scripts/dist.sh [OUT_DIR [WIN32_BUILD_DIR WIN64_BUILD_DIR]]
#
# OUT_DIR defaults to dist/, the build folders to build/win32 and
# build/win64 (all relative to the repository root unless absolute).
#
# The same build folders give the same bytes: fixed member order, modes and
# no extra fields, and every member dated with the time of the commit built
# (SOURCE_DATE_EPOCH instead, when it is set).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

out=${1:-dist}
win32=${2:-build/win32}
win64=${3:-build/win64}
files=(Hushdesk.exe Hushdesk.chm README.txt)

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

if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
  epoch=$SOURCE_DATE_EPOCH
else
  epoch=$(git -C "$root" log -1 --format=%ct 2>/dev/null) ||
    fail "no git history to date the files by: set SOURCE_DATE_EPOCH (seconds since 1970)"
fi
[[ $epoch =~ ^[0-9]+$ ]] || fail "cannot date the files by '$epoch': set SOURCE_DATE_EPOCH (seconds since 1970)"

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

pack() {
  local arch=$1 dir=$2
  local name="Hushdesk-$version-$arch.zip"
  (cd "$dir" && /usr/bin/python3 - "$stage/$name" "$epoch" "${files[@]}") <<'EOF'
import sys
import time
import zipfile

archive, epoch, names = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
# Zip dates have no time zone: the commit's time in UTC.
date = time.gmtime(max(epoch, 315532800))[:6]  # 1980 at the earliest
with zipfile.ZipFile(archive, "w") as zip:
    for name in names:
        info = zipfile.ZipInfo(name, date)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.create_system = 3  # Unix, so the mode below means something
        info.external_attr = 0o100644 << 16
        with open(name, "rb") as member:
            zip.writestr(info, member.read(), compresslevel=9)
EOF
  echo "$name"
}

names=$(pack win32 "$win32" && pack win64 "$win64")
# The checksums `sha256sum -c SHA256SUMS` verifies, beside the zips.
(cd "$stage" && sha256sum $names >SHA256SUMS)

mkdir -p "$out"
out=$(cd "$out" && pwd)
for name in $names SHA256SUMS; do
  mv -f "$stage/$name" "$out/$name"
  echo "dist: $out/$name"
done
