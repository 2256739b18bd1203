# Sourced: how this machine runs 32-bit Wine, which the shipped exe needs.
# Either the kernel runs i386 programs itself (IA32 emulation), or a
# binfmt_misc entry hands them to qemu-i386.

qemu_i386_entry=/proc/sys/fs/binfmt_misc/qemu-i386

# Whether the 32-bit Wine loader starts at all.
wine32_runs() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Registers qemu-i386 for i386 ELF programs (flag F: the interpreter is
# opened now, so it works in every mount namespace). $1: how to run as root.
register_qemu_i386() {
  local as_root=$1
  local qemu
  qemu=$(command -v qemu-i386 || true)
  if [ -z "$qemu" ]; then
    echo "qemu-i386 is not installed" >&2
    return 1
  fi
  if [ ! -e /proc/sys/fs/binfmt_misc/register ]; then
    $as_root mount -t binfmt_misc none /proc/sys/fs/binfmt_misc
  fi
  if [ -e "$qemu_i386_entry" ]; then
    echo 1 | $as_root tee "$qemu_i386_entry" >/dev/null
    return 0
  fi
  local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  echo ":qemu-i386:M::$magic:$mask:$qemu:F" | $as_root tee /proc/sys/fs/binfmt_misc/register >/dev/null
}

# One line saying which way 32-bit programs run here; fails when neither.
wine32_route() {
  if ! wine32_runs; then
    echo "32-bit programs: NOT RUNNABLE (/usr/lib/wine/wine does not start; run scripts/deps.sh)"
    return 1
  fi
  if [ -e "$qemu_i386_entry" ] && head -n1 "$qemu_i386_entry" | grep -qx enabled; then
    echo "32-bit programs: through qemu-i386 ($(sed -n 's/^interpreter //p' "$qemu_i386_entry"), binfmt_misc)"
  else
    echo "32-bit programs: natively (the kernel's IA32 emulation)"
  fi
}
