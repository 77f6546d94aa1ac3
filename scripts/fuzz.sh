#!/usr/bin/env bash
# Fuzzes the plugin's pure logic natively: builds each target of tests/fuzz/ with clang, libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer, runs it over its committed corpus (every input that
# once failed stays there), then fuzzes it for a bounded time. Fails when any target finds an input
# that breaks one of its properties or trips a sanitizer.
#
#   TOLVANIER_FUZZ_SECONDS   fuzzing time per target (default 15)
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
ensure_packages

SECONDS_PER_TARGET=${TOLVANIER_FUZZ_SECONDS:-15}
FUZZ_DIR=$ROOT/tests/fuzz
OUT=$BUILD_DIR/fuzz
CXX=clang++-14
CXXFLAGS=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -Wall -Wextra
          -I"$ROOT")

# Each target and the pure sources it drives, besides its own file. Pure code that asks for texts gets
# them from tests/fuzz/texts_stand_in.cpp: the resources are a Windows binary's.
TARGETS=(composite_fuzz compose_fuzz bounded_copy_fuzz host_text_fuzz ini_check_fuzz version_info_fuzz types_fuzz
         text_format_fuzz)
declare -A SOURCES=(
    [composite_fuzz]="config/command_text.cpp"
    [compose_fuzz]="config/command_text.cpp"
    [bounded_copy_fuzz]=""
    [host_text_fuzz]="host/host_text.cpp"
    [ini_check_fuzz]="checker/ini_check.cpp host/host_text.cpp config/file_types_text.cpp config/option_table.cpp
                      tests/fuzz/texts_stand_in.cpp"
    [version_info_fuzz]="config/open_with_text.cpp config/command_text.cpp"
    [types_fuzz]="config/file_types_text.cpp"
    [text_format_fuzz]=""
)

mkdir -p "$OUT"

build_target() {
    local t=$1 bin=$OUT/$1 sources=("$FUZZ_DIR/$1.cpp")
    local s
    for s in ${SOURCES[$t]}; do sources+=("$ROOT/$s"); done
    if [ -x "$bin" ]; then
        local stale=0 dep
        for dep in "${sources[@]}" "$FUZZ_DIR"/*.h "$ROOT"/shared/*.h "$ROOT"/config/*.h "$ROOT"/win/*.h "$ROOT"/host/*.h "$ROOT"/checker/*.h; do
            [ "$dep" -nt "$bin" ] && stale=1
        done
        [ $stale = 0 ] && return 0
    fi
    "$CXX" "${CXXFLAGS[@]}" "${sources[@]}" -o "$bin"
}

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "fuzz: $1"; }
fail() {
    failed=$((failed + 1))
    echo "fuzz: FAILED $1"
    tail -n 40 "$2" | sed 's/^/    /'
}

for t in "${TARGETS[@]}"; do
    echo "fuzz: building $t"
    build_target "$t"
done

for t in "${TARGETS[@]}"; do
    bin=$OUT/$t
    corpus=$FUZZ_DIR/corpus/$t
    log=$OUT/$t.log
    artifacts=$OUT/artifacts
    mkdir -p "$artifacts"

    # Regression: every committed input once, no mutation.
    if "$bin" "$corpus"/* >"$log" 2>&1; then
        pass "$t: corpus of $(ls "$corpus" | wc -l) inputs holds"
    else
        fail "$t: an input of the corpus fails" "$log"
        continue
    fi

    # Fuzzing: new inputs go to a scratch folder, never into the committed corpus.
    work=$OUT/work/$t
    rm -rf "$work"
    mkdir -p "$work"
    dict=()
    [ -f "$FUZZ_DIR/$t.dict" ] && dict=(-dict="$FUZZ_DIR/$t.dict")
    if "$bin" -max_total_time="$SECONDS_PER_TARGET" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
        "${dict[@]}" -artifact_prefix="$artifacts/$t-" "$work" "$corpus" >"$log" 2>&1; then
        pass "$t: $(grep -o 'Done [0-9]* runs in [0-9]* second(s)' "$log" | tail -1 | sed 's/Done //') without a fault"
    else
        fail "$t: found a fault; the input is $(grep -o "$artifacts/$t-[^ ]*" "$log" | tail -1)" "$log"
        echo "    (keep it as a regression case: copy it to tests/fuzz/corpus/$t/regression-<what>)"
    fi
done

echo "fuzz: $passed passed, $failed failed"
[ "$failed" = 0 ]
