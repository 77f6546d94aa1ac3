#!/usr/bin/env bash
# Builds the module and packs the release archive dist/Tolvanier64.zip:
#   Tolvanier64.wlx64 (stripped), IniSample/Tolvanier.ini, readme.txt and pluginst.inf (the install description
#   the file manager reads when the archive is opened).
#   --module FILE   pack this module instead of building one
#   --output ZIP    write the archive there instead of dist/Tolvanier64.zip
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
module=""
output="$ROOT/dist/Tolvanier64.zip"
while [ $# -gt 0 ]; do
    case $1 in
        --module) module=$2; shift 2 ;;
        --output) output=$2; shift 2 ;;
        *) echo "usage: $0 [--module FILE] [--output ZIP]" >&2; exit 2 ;;
    esac
done

if [ -z "$module" ]; then
    ensure_packages
    build --target Tolvanier64
    module=$BUILD_DIR/Tolvanier64.wlx64
elif ! command -v zip >/dev/null 2>&1 || ! command -v x86_64-w64-mingw32-strip >/dev/null 2>&1; then
    ensure_packages
fi
[ -f "$module" ] || { echo "no module at $module" >&2; exit 1; }

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/IniSample" "$(dirname "$output")"
# The release module carries no debug information (a seventh of the size); exports and resources stay.
# Its header date is the module's build time, so the same module always packs the same.
SOURCE_DATE_EPOCH=$(stat -c %Y "$module") x86_64-w64-mingw32-strip -o "$stage/Tolvanier64.wlx64" "$module"
cp "$ROOT/package/IniSample/Tolvanier.ini" "$stage/IniSample/Tolvanier.ini"
cp "$ROOT/package/readme.txt" "$ROOT/package/pluginst.inf" "$stage/"
output=$(cd "$(dirname "$output")" && pwd)/$(basename "$output")
rm -f "$output"
cd "$stage"
# The text files get Windows line ends (-l); the module is stored as it is.
zip -q -X -l "$output" pluginst.inf readme.txt IniSample/ IniSample/Tolvanier.ini
zip -q -X "$output" Tolvanier64.wlx64
echo "archive: $output"
