#!/usr/bin/env bash
# Builds the module, the host stand-in and the tests, runs every test under Wine, then fuzzes the
# pure logic natively (scripts/fuzz.sh; TOLVANIER_SKIP_FUZZ=1 skips that outside CI).
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
ensure_packages
build
start_wine
cd "$BUILD_DIR"
ctest --output-on-failure "$@" | tee "$BUILD_DIR/ctest.log"
ctest_passed=$(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$BUILD_DIR/ctest.log" | tail -n 1)
# CTest counts a skipped test among those "out of N" and lists it under "did not run".
ctest_skipped=$(grep -cE '^[[:space:]]+[0-9]+ - .* \(Skipped\)$' "$BUILD_DIR/ctest.log" || true)
ctest_passed=$((${ctest_passed:-0} - ctest_skipped))
if [ "$ctest_skipped" != 0 ]; then
    # A test that skips itself says why on a line "...: skipped (reason)" of its output.
    echo "$ctest_skipped skipped:"
    grep -h ': skipped (' Testing/Temporary/LastTest.log | sed 's/^/    /' || true
fi

fuzz_passed=0
if [ "${TOLVANIER_SKIP_FUZZ:-0}" = 1 ] && [ "${CI:-}" != true ]; then
    echo "fuzz: skipped (TOLVANIER_SKIP_FUZZ=1)"
else
    "$ROOT/scripts/fuzz.sh" | tee "$BUILD_DIR/fuzz.log"
    fuzz_passed=$(sed -n 's/^fuzz: \([0-9]*\) passed, 0 failed$/\1/p' "$BUILD_DIR/fuzz.log")
fi
echo "$((ctest_passed + ${fuzz_passed:-0})) passed, 0 failed"
