#!/usr/bin/env bash
# Builds the benchmark (bench/) and runs it under Wine: one file viewed through the real module beside
# a bare process start; a copy from an archive with every kind of application; the configuration
# reads of command lists and of whole loads; the command list builder and the selection part of a
# load over growing selections, beside one search per name; a key event through the hotkey hook; the
# menu of applications from its key to the screen.
#   --quick   fewer runs, selections up to 1,000
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
ensure_packages
build --target tolvanier-bench viewapp
start_wine
cd "$BUILD_DIR"
wine ./tolvanier-bench.exe "$@"
