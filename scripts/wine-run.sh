#!/usr/bin/env bash
# Runs a Windows test program under Wine on a virtual display, in a
# throw-away prefix inside the build tree. Leading COMn=PATH arguments map
# those ports; every other COM port of the prefix is removed first, so no
# test can reach the machine's own serial devices.
#   usage: wine-run.sh [COMn=PATH ...] PROGRAM [ARGUMENTS ...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
ports=()
while [[ ${1:-} == COM*=* ]]; do ports+=("$1"); shift; done
program=$1; shift
build=$(cd "$(dirname "$program")" && pwd)
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mshtml=" WINEARCH=win64
# Wine names Unix files in the locale's character set: without UTF-8 a name
# such as "job ü.opr" cannot be created (a fresh machine may set no locale).
export LC_ALL=C.UTF-8
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  xvfb-run -a wineboot -i >/dev/null 2>&1 || true
  # Without a window manager Wine waits after each closed window unless unmanaged.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
  wineserver -w || true
fi
"$root/scripts/wine-ports.sh" "${ports[@]}"
# Stop the Wine server before the virtual display goes away.
exec xvfb-run -a sh -c 'wine "$0" "$@"; status=$?; wineserver -k; exit $status' "$program" "$@"
