#!/usr/bin/env bash
# Builds the distribution into build/dist: the portable zip
# Kalivera-VERSION.zip (one folder: Kalivera.exe, kalivera-cli.exe, the files
# the program looks up in its working folder, a read-me) and the installer
# Kalivera-VERSION-setup.exe (NSIS, dist/kalivera.nsi). VERSION is the one of
# the program's manifest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh
python3 tools/build_templates.py --check
scripts/build.sh win

version=$(sed -n 's/.*name="Kalivera" version="\([0-9]*\.[0-9]*\)\.0\.0".*/\1/p' resources/kalivera.manifest)
[ -n "$version" ] || { echo "dist: no version in resources/kalivera.manifest" >&2; exit 1; }
dist="$root/build/dist"
name="Kalivera-$version"
stage="$dist/$name"
rm -rf "$dist"
mkdir -p "$stage"
cp build/win/Kalivera.exe build/win/kalivera-cli.exe "$stage/"
cp -r data/. "$stage/"
# Notepad of Windows 7 shows only CR LF as line ends, and takes a text
# without byte-order mark for the ANSI code page.
{ printf '\xef\xbb\xbf'; sed "s/@VERSION@/$version/g; s/\$/\r/" dist/README.txt; } >"$stage/README.txt"

(cd "$dist" && rm -f "$name.zip" && zip -q -r -X "$name.zip" "$name")
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" -DICON="$root/resources/kalivera.ico" \
  -DOUTFILE="$dist/$name-setup.exe" dist/kalivera.nsi
echo "portable zip: $dist/$name.zip"
echo "installer:    $dist/$name-setup.exe"
