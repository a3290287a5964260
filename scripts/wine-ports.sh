#!/usr/bin/env bash
# Maps the COM ports of the Wine prefix $WINEPREFIX: each COMn=PATH argument
# maps that port to PATH (a tty or pseudo-terminal); every other port cannot
# be opened, so nothing reaches the machine's own serial devices (Wine maps
# COM1 to /dev/ttyS0 by default). Wine reads HKLM\Software\Wine\Ports when
# its server starts, so the mapping takes effect with the next program.
#   usage: wine-ports.sh [COMn=PATH ...]
set -euo pipefail
: "${WINEPREFIX:?set WINEPREFIX to the prefix to map}"
declare -A mapped=()
for mapping in "$@"; do
  port=${mapping%%=*}
  mapped[${port^^}]=${mapping#*=}
done
nowhere=/nonexistent/kalivera-no-port
reg=$(mktemp --suffix=.reg)
trap 'rm -f "$reg"' EXIT
{
  printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n'
  # A port with a value is never given one of the machine's devices.
  for n in $(seq 1 99); do printf '"COM%d"="%s"\r\n' "$n" "${mapped[COM$n]:-$nowhere}"; done
} >"$reg"
WINEDEBUG=-all wine regedit /s "Z:$reg"
wineserver -w
# Wine would still create a port for a value that leads nowhere, one that
# opens but is no serial line. It creates none where it cannot put its link:
# an empty folder in the link's place. The machine's own devices, numbered
# from COM100 on, are kept out the same way.
devices="$WINEPREFIX/dosdevices"
for n in $(seq 1 255); do
  if [ -n "${mapped[COM$n]:-}" ]; then
    [ -d "$devices/com$n" ] && rmdir "$devices/com$n"
  elif [ ! -d "$devices/com$n" ]; then
    rm -f "$devices/com$n"
    mkdir "$devices/com$n"
  fi
done
