#!/usr/bin/env bash
# Builds the benchmark and runs it under Wine: the command list builder and the selection part of a
# load over growing selections, beside one probe per name; a key event through the hotkey hook; the
# configuration reads per command list.   --quick   fewer runs, selections up to 1,000
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
ensure_packages
build --target tolvanier-bench viewapp
start_wine
cd "$BUILD_DIR"
wine ./tolvanier-bench.exe "$@"
