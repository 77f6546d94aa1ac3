#!/usr/bin/env bash
# Builds the module, the checker and the settings window and packs the release archive
# dist/Tolvanier64.zip:
#   Tolvanier64.wlx64, TolvanierCheck.exe and TolvanierSettings.exe (stripped), IniSample/Tolvanier.ini
#   (UTF-16 LE, as it is),
#   readme.txt (the user guide), readme_de.txt, readme_fr.txt, readme_es.txt, readme_ru.txt (a quick
#   start of one page in each of the other languages) and pluginst.inf (the install description the
#   file manager reads when the archive is opened).
#   --module FILE   pack this module instead of building one
#   --checker FILE  pack this checker (default with --module: TolvanierCheck.exe beside the module)
#   --settings FILE pack this settings window (default with --module: TolvanierSettings.exe beside it)
#   --output ZIP    write the archive there instead of dist/Tolvanier64.zip
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
module=""
checker=""
settings=""
output="$ROOT/dist/Tolvanier64.zip"
while [ $# -gt 0 ]; do
    case $1 in
        --module) module=$2; shift 2 ;;
        --checker) checker=$2; shift 2 ;;
        --settings) settings=$2; shift 2 ;;
        --output) output=$2; shift 2 ;;
        *) echo "usage: $0 [--module FILE] [--checker FILE] [--settings FILE] [--output ZIP]" >&2; exit 2 ;;
    esac
done

if [ -z "$module" ]; then
    ensure_packages
    build --target Tolvanier64 --target TolvanierCheck --target TolvanierSettings
    module=$BUILD_DIR/Tolvanier64.wlx64
    checker=$BUILD_DIR/TolvanierCheck.exe
    settings=$BUILD_DIR/TolvanierSettings.exe
elif ! command -v zip >/dev/null 2>&1 || ! command -v x86_64-w64-mingw32-strip >/dev/null 2>&1; then
    ensure_packages
fi
[ -n "$checker" ] || checker=$(dirname "$module")/TolvanierCheck.exe
[ -n "$settings" ] || settings=$(dirname "$module")/TolvanierSettings.exe
[ -f "$module" ] || { echo "no module at $module" >&2; exit 1; }
[ -f "$checker" ] || { echo "no checker at $checker" >&2; exit 1; }
[ -f "$settings" ] || { echo "no settings window at $settings" >&2; exit 1; }

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/IniSample" "$(dirname "$output")"
# The release module carries no debug information (a seventh of the size); exports and resources stay.
# Its header date is the module's build time, so the same module always packs the same.
SOURCE_DATE_EPOCH=$(stat -c %Y "$module") x86_64-w64-mingw32-strip -o "$stage/Tolvanier64.wlx64" "$module"
SOURCE_DATE_EPOCH=$(stat -c %Y "$checker") x86_64-w64-mingw32-strip -o "$stage/TolvanierCheck.exe" "$checker"
SOURCE_DATE_EPOCH=$(stat -c %Y "$settings") x86_64-w64-mingw32-strip -o "$stage/TolvanierSettings.exe" "$settings"
cp "$ROOT/package/IniSample/Tolvanier.ini" "$stage/IniSample/Tolvanier.ini"
# The quick starts are UTF-8 behind a byte-order mark: unlike the guide, whose few non-ASCII characters
# are in its examples, they are non-ASCII throughout, and without the mark Notepad before Windows 10
# 1903, and viewers that take a text without it for the ANSI code page, garble every accented or
# Cyrillic letter.
quick_starts=(readme_de.txt readme_fr.txt readme_es.txt readme_ru.txt)
for name in readme.txt pluginst.inf "${quick_starts[@]}"; do cp "$ROOT/package/$name" "$stage/"; done
output=$(cd "$(dirname "$output")" && pwd)/$(basename "$output")
rm -f "$output"
cd "$stage"
# The text files get Windows line ends (-l); the programs, and the sample (UTF-16 with Windows line
# ends already, which -l would corrupt), are stored as they are.
zip -q -X -l "$output" pluginst.inf readme.txt "${quick_starts[@]}"
zip -q -X "$output" IniSample/ IniSample/Tolvanier.ini Tolvanier64.wlx64 TolvanierCheck.exe TolvanierSettings.exe
echo "archive: $output"
