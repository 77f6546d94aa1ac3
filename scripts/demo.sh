#!/usr/bin/env bash
# Builds what the demo needs and runs it: the host stand-in installs the plugin, views files with it and
# tells what happened; the status is not 0 when a step did not do what it says. Without the options
# below it needs no display (Wine's null graphics driver).
#   --screenshot FILE   run under Xvfb with a window manager (openbox) and save a screenshot of the
#                       desktop as the selection opened
#   --screenshots DIR   the same, a screenshot at each key moment: DIR/demo-<moment>.png
#   --display N         the X display for them (default: $TOLVANIER_SCREENSHOT_DISPLAY, else 97)
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
shot=""
shots=""
display=${TOLVANIER_SCREENSHOT_DISPLAY:-97}
while [ $# -gt 0 ]; do
    case $1 in
        --screenshot) shot=${2:?--screenshot needs a file}; shift 2 ;;
        --screenshots) shots=${2:?--screenshots needs a folder}; shift 2 ;;
        --display) display=${2:?--display needs a number}; shift 2 ;;
        *) echo "usage: $0 [--screenshot FILE.png | --screenshots DIR] [--display N]" >&2; exit 2 ;;
    esac
done
if [ -n "$shot$shots" ]; then
    # The settings screenshots' tools, and xsetroot for the desktop's colour.
    PACKAGES+=("${SCREENSHOT_PACKAGES[@]}" x11-xserver-utils)
fi
ensure_packages
# A fresh clone's Wine prefix is made while the build runs.
make_prefix &
prefix=$!
build --target Tolvanier64 tolvanier-host viewapp TolvanierCheck
wait $prefix

if [ -z "$shot$shots" ]; then
    start_wine
    cd "$BUILD_DIR"
    status=0
    wine ./tolvanier-host.exe --demo || status=$?
    exit $status
fi

# The pictures go to DIR, or for --screenshot FILE to a folder of their own first.
if [ -n "$shots" ]; then
    mkdir -p "$shots"
    out=$(cd "$shots" && pwd)
else
    out=$BUILD_DIR/demo-screenshots
    rm -rf "$out"
    mkdir -p "$out"
fi
export TOLVANIER_DISPLAY=x11 DISPLAY=:$display
# Room for the demo's windows, which it places itself, and a margin of desktop around them.
width=1216 height=684
Xvfb "$DISPLAY" -screen 0 ${width}x${height}x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
wm=$!
# The desktop's colour once the window manager runs: it sets the root window up when it starts.
for _ in $(seq 1 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done
xsetroot -solid '#3a6ea5'
# Wine's desktop comes up inside the virtual display.
start_wine
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    kill $wm $xvfb 2>/dev/null || true
}
trap cleanup EXIT

# The demo names each key moment in a file of demo/moments and waits until the file is gone.
moments=$BUILD_DIR/demo/moments
mkdir -p "$moments"
rm -f "$moments"/*
cd "$BUILD_DIR"
wine ./tolvanier-host.exe --demo --moments &
program=$!
while kill -0 $program 2>/dev/null; do
    for marker in "$moments"/*; do
        [ -f "$marker" ] || continue
        # The pointer in the screen's corner, off the windows.
        xdotool mousemove 0 $((height - 1))
        sleep 0.3
        picture=$out/demo-$(basename "$marker").png
        import -window root "$picture"
        echo "screenshot: $picture"
        rm -f "$marker"
    done
    sleep 0.2
done
status=0
wait $program || status=$?
if [ -n "$shot" ]; then
    mkdir -p "$(dirname "$shot")"
    cp "$out/demo-selection.png" "$shot"
    echo "screenshot: $shot"
fi
exit $status
