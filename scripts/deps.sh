#!/usr/bin/env bash
# Installs whatever the build, the tests and `make run` need and this
# machine lacks (Debian 12). Quiet and quick when everything is there.
# Extra package names given as arguments are installed the same way.
set -euo pipefail
packages=(
  make cmake
  mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine64 xvfb xauth
  fp-utils googletest python3 python3-pefile cppcheck clang-format
  "$@"
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null; then sudo=(sudo); else
    echo "Please install as root: apt-get install ${missing[*]}" >&2; exit 1
  fi
fi
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
