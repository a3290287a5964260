#!/usr/bin/env bash
# Tests the distribution under Wine, unattended, in its own prefix
# (build/dist-test). The portable program, unpacked from the zip and started
# in its folder, works there. The installer: a silent install into Program
# Files with its Start-menu shortcuts; the program started from its shortcut
# shows its main window and works in the user's Documents\Kalivera, filled
# from the shipped files without replacing the user's own; closed, it ends;
# a silent uninstall removes the program, its shortcuts and its uninstall
# entry and leaves Documents\Kalivera alone. Every COM port of the prefix is
# switched off before anything starts the program.
#   usage: dist-test.sh PORTABLE.zip SETUP.exe START_PROGRAM.exe
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" != --on-display ]; then
  [ $# -eq 3 ] || { echo "usage: $0 PORTABLE.zip SETUP.exe START_PROGRAM.exe" >&2; exit 2; }
  exec xvfb-run -a "$0" --on-display "$(realpath "$1")" "$(realpath "$2")" "$(realpath "$3")"
fi
zip=$2
setup=$3
start_program=$4

test="$root/build/dist-test"
rm -rf "$test"
mkdir -p "$test/home"
export WINEPREFIX="$test/wineprefix" WINEARCH=win64 WINEDEBUG=-all LC_ALL=C.UTF-8
# No browser engine, no desktop menu entries for the shortcuts; and Wine
# links the user's Documents to $HOME: keep that inside the test too.
export WINEDLLOVERRIDES="mshtml=;winemenubuilder.exe=d" HOME="$test/home"
trap 'wineserver -k 2>/dev/null || true' EXIT

passed=0
failed=0
check() {
  local what=$1; shift
  if "$@"; then
    echo "ok: $what"; passed=$((passed + 1))
  else
    echo "FAILED: $what" >&2; failed=$((failed + 1))
  fi
}
same() { cmp -s "$1" "$2"; }
unix_path() { winepath -u "$1" 2>/dev/null | tr -d '\r'; }
windows_path() { winepath -w "$1" 2>/dev/null | tr -d '\r'; }
windows_variable() { wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
has_uninstall_entry() { wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kalivera' >/dev/null 2>&1; }
no_uninstall_entry() { ! has_uninstall_entry; }
# Starts a program or shortcut and closes its main window; the log is named $1.
start_program() { wine "$start_program" "$2" 2>&1 | tr -d '\r' | tee "$test/$1.log"; return "${PIPESTATUS[0]}"; }
message_boxes() { grep -c '^message box:' "$test/$1.log" || true; }
# The first start in a folder writes the default settings and says so; no other box.
only_the_new_settings_box() {
  [ "$(message_boxes "$1")" = 1 ] && grep -q '^message box:.*Default configuration file has been created' "$test/$1.log"
}
no_message_box() { [ "$(message_boxes "$1")" = 0 ]; }

wineboot -i >/dev/null 2>&1 || true
# Without a window manager Wine waits after each closed window unless unmanaged.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wineserver -w
"$root/scripts/wine-ports.sh"

drive_c=$(unix_path 'C:\')
program_files=$(unix_path "$(windows_variable ProgramW6432)")/Kalivera
shortcuts=$(unix_path "$(windows_variable ProgramData)")/Microsoft/Windows/Start\ Menu/Programs/Kalivera
user_folder=$(unix_path "$(windows_variable USERPROFILE)")/Documents/Kalivera

echo "== the portable program"
unzip -q "$zip" -d "$drive_c"
portable=$drive_c/$(basename "$zip" .zip)
check "the zip holds the program, the command-line tool and the read-me" \
  test -f "$portable/Kalivera.exe" -a -f "$portable/kalivera-cli.exe" -a -f "$portable/README.txt"
check "the zip holds the program's files" same "$root/data/samples/zd615.opr" "$portable/samples/zd615.opr"
check "started in its folder: its main window appears, and it ends when closed" \
  start_program portable "$(windows_path "$portable/Kalivera.exe")"
wineserver -w
check "started in its folder: its one message box tells of the new settings file" only_the_new_settings_box portable
check "it worked in its folder (its settings were written there)" test -f "$portable/Kalivera.cfg"
check "it left the user's Documents alone" test ! -e "$user_folder"

# What the user has already: a protocol and an edited template.
mkdir -p "$user_folder"
cp "$root/data/samples/lossmeter.opr" "$user_folder/route7.opr"
printf 'my own template\r\n' >"$user_folder/zd615_cz.htm"
cp "$user_folder/zd615_cz.htm" "$test/edited_template"

echo "== silent install"
wine "$setup" /S
wineserver -w
check "the program is in Program Files" test -f "$program_files/Kalivera.exe"
check "the command-line tool is in Program Files" test -f "$program_files/kalivera-cli.exe"
check "the shipped files are in its defaults folder" same "$root/data/czech.lng" "$program_files/defaults/czech.lng"
check "the uninstaller is there" test -f "$program_files/Uninstall.exe"
check "the Start-menu shortcut is there" test -f "$shortcuts/Kalivera.lnk"
check "the uninstall entry is there" has_uninstall_entry

echo "== the installed program started from its shortcut, twice"
shortcut=$(windows_path "$shortcuts/Kalivera.lnk")
check "first start: its main window appears, and it ends when closed" start_program first-start "$shortcut"
wineserver -w
check "first start: its one message box tells of the new settings file" only_the_new_settings_box first-start
check "second start: main window and end again" start_program second-start "$shortcut"
wineserver -w
check "second start: no message box" no_message_box second-start
check "it worked in Documents\\Kalivera (its settings were written there)" test -f "$user_folder/Kalivera.cfg"
check "the shipped language files were copied" same "$root/data/english.lng" "$user_folder/english.lng"
check "the shipped samples were copied" same "$root/data/samples/zd615.opr" "$user_folder/samples/zd615.opr"
check "the shipped limit files were copied" same "$root/data/limits/gpon_b_plus.thre" "$user_folder/limits/gpon_b_plus.thre"
check "the user's edited template was kept" same "$test/edited_template" "$user_folder/zd615_cz.htm"
check "nothing was written into Program Files" test ! -e "$program_files/Kalivera.cfg"

echo "== silent uninstall"
wine "$program_files/Uninstall.exe" /S
wineserver -w
# The uninstaller runs from a copy of itself and may still be finishing.
for _ in $(seq 50); do [ ! -e "$program_files" ] && break; sleep 0.2; done
check "nothing is left in Program Files" test ! -e "$program_files"
check "the Start-menu shortcuts are gone" test ! -e "$shortcuts"
check "the uninstall entry is gone" no_uninstall_entry
check "the user's protocol was kept" same "$root/data/samples/lossmeter.opr" "$user_folder/route7.opr"
check "the user's settings were kept" test -f "$user_folder/Kalivera.cfg"

echo "distribution: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
