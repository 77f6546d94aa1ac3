#!/usr/bin/env bash
# Builds everything and runs the demo: the host stand-in loads the plugin and views files.
#   --screenshot FILE.png   run under Xvfb with a real display and save a screenshot
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
ensure_packages
build --target Tolvanier64 tolvanier-host viewapp
shot=""
if [ "${1:-}" = "--screenshot" ]; then shot=${2:-$ROOT/demo.png}; fi
if [ -n "$shot" ]; then
    export TOLVANIER_DISPLAY=x11
    command -v convert >/dev/null 2>&1 || PACKAGES+=(imagemagick) ensure_packages
fi
start_wine
cd "$BUILD_DIR"
if [ -n "$shot" ]; then
    xvfb-run -a -s "-screen 0 1024x768x24" bash -c "wine ./tolvanier-host.exe --demo & pid=\$!; sleep 12; import -window root '$shot'; wait \$pid"
    echo "screenshot: $shot"
else
    wine ./tolvanier-host.exe --demo
fi
