# Sourced by the scripts that run Windows programs under Wine: one prefix
# under build/, reused by every run, with a virtual desktop so that hiding
# a window does not wait on an X11 window manager.
hushdesk_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${HUSHDESK_WINEPREFIX:-$hushdesk_root/build/wineprefix}
export WINEDEBUG=-all
export WINEARCH=win64
# No Mono or Gecko install prompts: nothing here needs them. No debugger
# either: a program that crashes ends at once, its exit code the low byte of
# the exception code (5 for an access violation), instead of waiting in
# winedbg.
export WINEDLLOVERRIDES="mscoree=d;mshtml=d;winedbg.exe=d"
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver

source "$hushdesk_root/scripts/wine32-route.sh"

prepare_wineprefix() {
  if [ -f "$WINEPREFIX/.hushdesk-ready" ]; then
    # A prefix made before 32-bit Wine was installed cannot run the shipped
    # exe: make it again.
    if [ -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ] || ! wine32_runs; then
      return 0
    fi
    echo "The Wine prefix $WINEPREFIX has no 32-bit part: making it again."
    "$WINESERVER" -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
  fi
  mkdir -p "$(dirname "$WINEPREFIX")"
  echo "Creating the Wine prefix $WINEPREFIX (once)..."
  "$WINE" wineboot --init >/dev/null 2>&1 || true
  "$WINESERVER" -w
  "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1
  "$WINESERVER" -w
  touch "$WINEPREFIX/.hushdesk-ready"
}

stop_wine() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
}

# Re-runs the calling script under its own virtual X display, once.
run_on_virtual_display() {
  if [ -z "${HUSHDESK_IN_XVFB:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" env HUSHDESK_IN_XVFB=1 bash "$@"
  fi
}
