#!/usr/bin/env bash
# The release archive: built by scripts/package.sh from the built module, checker and settings window, it
# holds exactly the module (stripped of debug information, still a sound module), the checker and the
# settings window beside it (a program without a console), the sample
# INI in its folder (UTF-16 LE with byte-order mark), the user guide as readme, a quick start in each
# other language (UTF-8 with byte-order mark) and an install description that names the module, all
# text with Windows line ends.
set -euo pipefail
module=$1
checker=$2
settings=$3
work=$4
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
fail() { echo "FAIL: $*"; exit 1; }
quick_starts="readme_de.txt readme_es.txt readme_fr.txt readme_ru.txt"
passed=0
rm -rf "$work"
mkdir -p "$work"
zipfile=$work/Tolvanier64.zip
bash "$root/scripts/package.sh" --module "$module" --checker "$checker" --settings "$settings" --output "$zipfile" >/dev/null

unzip -tq "$zipfile" >/dev/null || fail "archive does not test clean"
names=$(unzip -Z1 "$zipfile" | LC_ALL=C sort | tr '\n' ' ')
[ "$names" = "IniSample/ IniSample/Tolvanier.ini Tolvanier64.wlx64 TolvanierCheck.exe TolvanierSettings.exe pluginst.inf readme.txt $quick_starts " ] ||
    fail "archive holds: $names"
# unzip -l shows the same names (and the folder) at the archive's root.
listing=$(unzip -l "$zipfile")
for n in IniSample/ IniSample/Tolvanier.ini TolvanierCheck.exe TolvanierSettings.exe Tolvanier64.wlx64 pluginst.inf readme.txt $quick_starts; do
    grep -qE "[[:space:]]$n\$" <<<"$listing" || fail "unzip -l does not list $n"
done
passed=$((passed + 1))

unzip -p "$zipfile" Tolvanier64.wlx64 >"$work/Tolvanier64.wlx64"
SOURCE_DATE_EPOCH=$(stat -c %Y "$module") x86_64-w64-mingw32-strip -o "$work/stripped.wlx64" "$module"
cmp -s "$work/Tolvanier64.wlx64" "$work/stripped.wlx64" || fail "the archived module is not the built one, stripped"
! x86_64-w64-mingw32-objdump -h "$work/Tolvanier64.wlx64" | grep -q '\.debug' || fail "the archived module has debug sections"
bash "$root/tests/check_module.sh" "$work/Tolvanier64.wlx64" >/dev/null || fail "the archived module: $(bash "$root/tests/check_module.sh" "$work/Tolvanier64.wlx64")"
unzip -p "$zipfile" TolvanierCheck.exe >"$work/TolvanierCheck.exe"
SOURCE_DATE_EPOCH=$(stat -c %Y "$checker") x86_64-w64-mingw32-strip -o "$work/stripped.exe" "$checker"
cmp -s "$work/TolvanierCheck.exe" "$work/stripped.exe" || fail "the archived checker is not the built one, stripped"
dlls=$(x86_64-w64-mingw32-objdump -p "$work/TolvanierCheck.exe" | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
grep -qE 'libgcc|libstdc|libwinpthread' <<<"$dlls" && fail "the checker needs MinGW runtime DLLs: $dlls"
unzip -p "$zipfile" TolvanierSettings.exe >"$work/TolvanierSettings.exe"
SOURCE_DATE_EPOCH=$(stat -c %Y "$settings") x86_64-w64-mingw32-strip -o "$work/stripped-settings.exe" "$settings"
cmp -s "$work/TolvanierSettings.exe" "$work/stripped-settings.exe" ||
    fail "the archived settings window is not the built one, stripped"
dlls=$(x86_64-w64-mingw32-objdump -p "$work/TolvanierSettings.exe" | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
grep -qE 'libgcc|libstdc|libwinpthread' <<<"$dlls" && fail "the settings window needs MinGW runtime DLLs: $dlls"
# A Windows program: the system opens no console for it.
headers=$(x86_64-w64-mingw32-objdump -p "$work/TolvanierSettings.exe")
grep -qE '^Subsystem[[:space:]]+00000002' <<<"$headers" ||
    fail "the settings window is not a Windows (GUI) program"
# Its manifest asks for Common Controls 6 and per-monitor DPI awareness.
for want in Microsoft.Windows.Common-Controls PerMonitorV2; do
    grep -qa "$want" "$work/TolvanierSettings.exe" || fail "the settings window's manifest lacks $want"
done
cmp -s <(unzip -p "$zipfile" IniSample/Tolvanier.ini) "$root/package/IniSample/Tolvanier.ini" ||
    fail "the archived sample differs from package/IniSample/Tolvanier.ini"
cmp -s <(unzip -p "$zipfile" readme.txt | tr -d '\r') "$root/package/readme.txt" ||
    fail "the archived readme differs from package/readme.txt"
# Each quick start is the source's, valid UTF-8 behind its byte-order mark, names the programs, the
# checker's English report and the guide as they are, and the guide names it.
for n in $quick_starts; do
    unzip -p "$zipfile" "$n" | tr -d '\r' >"$work/text"
    cmp -s "$work/text" "$root/package/$n" || fail "the archived $n differs from package/$n"
    [ "$(head -c 3 "$work/text" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "$n does not start with the UTF-8 byte-order mark"
    iconv -f UTF-8 -t UTF-8 "$work/text" >/dev/null 2>&1 || fail "$n is not valid UTF-8"
    for want in TolvanierSettings.exe TolvanierCheck.exe "--language en" readme.txt "[Options]" Language; do
        grep -qF -- "$want" "$work/text" || fail "$n does not mention $want"
    done
    grep -qF "$n" "$root/package/readme.txt" || fail "readme.txt does not name $n"
done
passed=$((passed + 1))

# Every line of every text file ends in CR LF, and no CR is doubled; the sample is UTF-16 LE behind its
# byte-order mark, so that Windows reads it as Unicode.
[ "$(unzip -p "$zipfile" IniSample/Tolvanier.ini | head -c 2 | od -An -tx1 | tr -d ' ')" = fffe ] ||
    fail "the sample does not start with the UTF-16 LE byte-order mark"
text() { if [ "$1" = IniSample/Tolvanier.ini ]; then unzip -p "$zipfile" "$1" | iconv -f UTF-16 -t UTF-8; else unzip -p "$zipfile" "$1"; fi; }
for n in pluginst.inf readme.txt $quick_starts IniSample/Tolvanier.ini; do
    text "$n" >"$work/text" || fail "$n does not decode"
    awk 'BEGIN{bad=0} !/\r$/ {bad=1} /\r\r$/ {bad=1} END{exit bad}' "$work/text" ||
        fail "$n does not have Windows line ends"
    [ "$(wc -c <"$work/text")" -gt 0 ] || fail "$n is empty"
done
passed=$((passed + 1))

# The install description: one section [plugininstall] with exactly these four keys.
inf=$(unzip -p "$zipfile" pluginst.inf | tr -d '\r' | grep -v '^[[:space:]]*$')
[ "$(head -n1 <<<"$inf")" = "[plugininstall]" ] || fail "pluginst.inf does not start with [plugininstall]"
[ "$(grep -c '^\[' <<<"$inf")" = 1 ] || fail "pluginst.inf has more than one section"
keys=$(tail -n +2 <<<"$inf" | cut -d= -f1 | sort | tr '\n' ' ')
[ "$keys" = "defaultdir description file type " ] || fail "pluginst.inf keys: $keys"
value() { grep "^$1=" <<<"$inf" | cut -d= -f2-; }
[ "$(value type)" = "wlx" ] || fail "type is $(value type)"
[ "$(value file)" = "Tolvanier64.wlx64" ] || fail "file is $(value file)"
[ "$(value defaultdir)" = "Tolvanier" ] || fail "defaultdir is $(value defaultdir)"
[ -n "$(value description)" ] || fail "no description"
passed=$((passed + 1))

rm -rf "$work"
echo "$passed passed, 0 failed"
