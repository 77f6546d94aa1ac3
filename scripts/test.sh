#!/usr/bin/env bash
# Builds the module, the host stand-in and the tests, then runs every test under Wine.
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
ensure_packages
build
start_wine
cd "$BUILD_DIR"
ctest --output-on-failure "$@"
