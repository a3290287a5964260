#!/usr/bin/env bash
# Runs a Windows test program under Wine on a virtual display, in a
# throw-away prefix inside the build tree. Leading COMn=PATH arguments map
# those ports; every other COM port of the prefix is removed first, so no
# test can reach the machine's own serial devices. KALIVERA_WINEPREFIX names
# another prefix, KALIVERA_DPI sets its dots per inch (Wine's LogPixels) and
# KALIVERA_SCREEN the virtual display (WIDTHxHEIGHTxDEPTH).
#   usage: wine-run.sh [COMn=PATH ...] PROGRAM [ARGUMENTS ...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
ports=()
while [[ ${1:-} == COM*=* ]]; do ports+=("$1"); shift; done
program=$1; shift
build=$(cd "$(dirname "$program")" && pwd)
export WINEPREFIX="${KALIVERA_WINEPREFIX:-$build/wineprefix}" WINEDEBUG=-all WINEDLLOVERRIDES="mshtml=" WINEARCH=win64
# Wine names Unix files in the locale's character set: without UTF-8 a name
# such as "job ü.opr" cannot be created (a fresh machine may set no locale).
export LC_ALL=C.UTF-8
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  xvfb-run -a wineboot -i >/dev/null 2>&1 || true
  # Without a window manager Wine waits after each closed window unless unmanaged.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
  wineserver -w || true
fi
if [ -n "${KALIVERA_DPI:-}" ]; then
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$KALIVERA_DPI" /f >/dev/null
fi
"$root/scripts/wine-ports.sh" "${ports[@]}"
# Stop the Wine server before the virtual display goes away.
exec xvfb-run -a -s "-screen 0 ${KALIVERA_SCREEN:-1280x1024x24}" sh -c 'wine "$0" "$@"; status=$?; wineserver -k; exit $status' "$program" "$@"
