#!/usr/bin/env bash
# Runs the read-only plugin folder test of module_tests with a folder mounted read-only over a writable
# one. Where no such mount can be made (no root, no mount namespace), the test reports itself skipped:
# exit status 77, which CTest takes as skipped (SKIP_RETURN_CODE).
set -uo pipefail
tests=$1
work=$2
rm -rf "$work"
mkdir -p "$work/source" "$work/plugin"
filter='--gtest_filter=ReadOnlyPluginFolder.*'
if mount --bind "$work/source" "$work/plugin" 2>/dev/null; then
    trap 'umount "$work/plugin" 2>/dev/null' EXIT
    if mount -o remount,bind,ro "$work/plugin" 2>/dev/null; then
        TOLVANIER_RO_SOURCE="Z:$(tr / '\\' <<<"$work/source")" TOLVANIER_RO_PLUGIN="Z:$(tr / '\\' <<<"$work/plugin")" \
            wine "$tests" "$filter"
        exit $?
    fi
fi
echo "read-only folder: skipped (a read-only bind mount needs root and a mount namespace)"
exit 77
