#!/usr/bin/env bash
# Runs a Windows program under Wine for the test suite: a prefix inside the build tree, no
# debugger on crashes, and Wine's services started with their output detached so they do
# not hold the caller's pipes open.
set -u
export WINEPREFIX="${WINEPREFIX:-${VELLUMINE_WINEPREFIX:-$PWD/.wine}}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
if [ ! -d "$WINEPREFIX" ]; then
  wineboot -i >/dev/null 2>&1 </dev/null
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 </dev/null
  # The driver is chosen when Wine's desktop starts: let this first server end, so that the
  # next one starts headless; otherwise no window can be created without a display.
  wineserver -w
fi
# wineboot starts Wine's services (or finds them running); started by the program instead,
# they would inherit its pipes and keep ctest waiting after the program has ended.
wineserver -p >/dev/null 2>&1 </dev/null
wine wineboot >/dev/null 2>&1 </dev/null
exec wine "$@"
