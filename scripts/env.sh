# Sourced by the other scripts: packages, the build, and a Wine prefix of the project's own.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${TOLVANIER_BUILD_DIR:-$ROOT/build}
export WINEPREFIX=${TOLVANIER_WINEPREFIX:-$BUILD_DIR/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml="

PACKAGES=(cmake make mingw-w64 g++-mingw-w64-x86-64 wine wine64 xvfb xauth googletest zip unzip binutils
          clang-14 libclang-rt-14-dev)
# scripts/screenshot-settings.sh: a window manager for frames, keys typed into the window, the capture.
SCREENSHOT_PACKAGES=(openbox xdotool imagemagick x11-utils)

ensure_packages() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" = 0 ] || sudo=sudo
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    fi
}

build() {
    cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null
    cmake --build "$BUILD_DIR" -j"$(nproc)" "$@"
}

# The prefix, made when there is none yet: Wine's first start sets it up, which takes a while (a script
# may run this in the background while it builds, and wait for it before start_wine).
make_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
    fi
}

# A prefix with the null graphics driver, so windows exist without a display; a persistent
# wineserver for the run, stopped again on exit.
start_wine() {
    # A server left running for this prefix (an interrupted run) would never end on its own.
    wineserver -k >/dev/null 2>&1 || true
    make_prefix
    if [ "${TOLVANIER_DISPLAY:-}" != "x11" ]; then
        wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    else
        wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
    fi
    wineserver -w
    wineserver -p >/dev/null 2>&1 </dev/null
    # The first program of a session starts Wine's background services; they must not inherit the
    # output of a test (CTest would wait for them to close it).
    wine cmd /c exit >/dev/null 2>&1 </dev/null || true
    trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
}
