#!/usr/bin/env bash
# Installs whatever the build, the tests and `make run` need and this
# machine lacks (Debian 12). Quiet and quick when everything is there.
# Extra package names given as arguments are installed the same way.
#
# The exe users download is 32-bit, and the tests run it: that takes
# Debian's wine32 (i386) beside wine64. Where the kernel cannot run 32-bit
# programs itself, qemu-i386 from bookworm-backports runs them, registered
# with binfmt_misc.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine32-route.sh"

packages=(
  make cmake
  mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine64 wine32:i386 xvfb xauth
  fp-utils googletest python3 python3-pefile cppcheck clang-format
  "$@"
)

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null; then sudo=(sudo); else sudo=(false); fi
fi
as_root() {
  if [ "${sudo[0]:-}" = false ]; then
    echo "Please run as root: $*" >&2
    exit 1
  fi
  "${sudo[@]}" "$@"
}

missing_of() {
  local p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      echo "$p"
    fi
  done
}

apt_install() {
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}

mapfile -t missing < <(missing_of "${packages[@]}")
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  as_root apt-get update -qq
  apt_install "${missing[@]}"
fi

# 32-bit programs: the kernel's own way, or qemu-i386 where it has none.
if ! wine32_runs; then
  echo "This kernel does not run 32-bit programs: setting up qemu-i386 (bookworm-backports)."
  list=/etc/apt/sources.list.d/bookworm-backports.list
  if ! grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d; then
    echo "deb http://deb.debian.org/debian bookworm-backports main" | as_root tee "$list" >/dev/null
    as_root apt-get update -qq
  fi
  # Debian 12's own qemu-user (7.2) starts a Wine process far too slowly.
  if ! dpkg-query -W -f='${Version}' qemu-user 2>/dev/null | grep -q 'bpo'; then
    DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends \
      -t bookworm-backports qemu-user >/dev/null
  fi
  register_qemu_i386 as_root
  if ! wine32_runs; then
    echo "32-bit Wine does not run on this machine, not even through qemu-i386:" >&2
    /usr/lib/wine/wine --version >&2 || true
    exit 1
  fi
fi
