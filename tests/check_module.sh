#!/usr/bin/env bash
# The module's export directory: its name, exactly the four exports, only system DLLs imported, and no
# call that changes its thread's language.
set -euo pipefail
module=$1
dump=$(x86_64-w64-mingw32-objdump -p "$module")
fail() { echo "FAIL: $*"; exit 1; }
grep -q 'Name .*Tolvanier64.wlx64' <<<"$dump" || fail "export directory does not name Tolvanier64.wlx64"
exports=$(awk '/\[Ordinal\/Name Pointer\] Table/{on=1;next} on&&/^[ \t]*\[/{print $NF} on&&/^$/{on=0}' <<<"$dump" | sort | tr '\n' ' ')
[ "$exports" = "ListCloseWindow ListGetDetectString ListLoad ListLoadW " ] || fail "exports are: $exports"
imports=$(grep 'DLL Name' <<<"$dump" | awk '{print tolower($3)}' | sort -u | tr '\n' ' ')
for dll in $imports; do
    case $dll in
        kernel32.dll|user32.dll|advapi32.dll|shell32.dll|ole32.dll|msvcrt.dll|gdi32.dll|api-ms-win-*) ;;
        *) fail "imports a non-system DLL: $dll" ;;
    esac
done
# It runs on the host's thread, whose language is the host's: it asks for its texts by language instead.
for call in SetThreadUILanguage SetThreadLocale SetThreadPreferredUILanguages; do
    grep -qw "$call" <<<"$dump" && fail "imports $call: the module must never change the host thread's language"
done
grep -q 'FileVersion' < <(strings -el "$module") || fail "no version resource"
echo "module ok: exports $exports; imports $imports"
echo "1 passed, 0 failed"
