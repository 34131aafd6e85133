#!/usr/bin/env bash
# Runs a Windows program under Wine for the test suite: a prefix inside the build tree, no
# debugger on crashes, and Wine's services started with their output detached so they do
# not hold the caller's pipes open.
#
# The loader is chosen from the program itself: 64-bit programs (PE32+) go straight to
# Wine's 64-bit loader. Debian's `wine` command prefers the 32-bit loader whenever wine32 is
# installed, and on a machine that cannot execute 32-bit code that fails even for 64-bit
# programs. Names that are not files (Wine's own `cmd`, `reg`, ...) run with the loader of
# the prefix's architecture.
set -u
export WINEPREFIX="${WINEPREFIX:-${VELLUMINE_WINEPREFIX:-$PWD/.wine}}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

loader32=/usr/lib/wine/wine
loader64=/usr/lib/wine/wine64

# Prints 32 or 64 for a PE executable, nothing for anything else: the optional header's
# magic (0x10b or 0x20b) follows the 4-byte signature and the 20-byte file header, at the
# offset that the DOS header keeps at 0x3c.
pe_bits() {
  [ -f "$1" ] || return 0
  local pe magic
  pe=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$pe" ] || return 0
  magic=$(od -An -tx2 -j$((pe + 24)) -N2 "$1" 2>/dev/null | tr -d ' ')
  case "$magic" in
    010b) echo 32 ;;
    020b) echo 64 ;;
  esac
}

prefix_loader=$loader64
[ "${WINEARCH:-}" = win32 ] && prefix_loader=$loader32

case "$(pe_bits "${1:-}")" in
  32) loader=$loader32 ;;
  64) loader=$loader64 ;;
  *) loader=$prefix_loader ;;
esac
# Processes that the program starts are started through the same loader.
export WINELOADER=$loader

if [ ! -d "$WINEPREFIX" ]; then
  "$prefix_loader" wineboot -i >/dev/null 2>&1 </dev/null
  "$prefix_loader" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 </dev/null
  # The driver is chosen when Wine's desktop starts: let this first server end, so that the
  # next one starts headless; otherwise no window can be created without a display.
  wineserver -w
fi
# wineboot starts Wine's services (or finds them running); started by the program instead,
# they would inherit its pipes and keep ctest waiting after the program has ended.
wineserver -p >/dev/null 2>&1 </dev/null
"$prefix_loader" wineboot >/dev/null 2>&1 </dev/null
exec "$loader" "$@"
