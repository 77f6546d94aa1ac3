#!/usr/bin/env bash
# Screenshots of the settings window, TolvanierSettings.exe, on a prepared settings file: the main window,
# the dialog that edits an application and the one that edits a line of [Types], under Xvfb with a
# window manager (openbox) so that windows have their frames.
#   --output DIR     where the PNGs go (default: docs/)
#   --scale PERCENT  the screen's density, 100 (default) or more; the names get a -PERCENT suffix
#   --display N      the X display number (default: $TOLVANIER_SCREENSHOT_DISPLAY, else 95)
#   --pages          also every page of the main window, the window made larger and the dialog of the
#                    default editor: settings-page-N.png (N from 1), settings-large.png, settings-default.png
#   --language CODE  the window in that language ([Options] Language=CODE); the names get a -CODE suffix
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
output=$ROOT/docs
scale=100
display=${TOLVANIER_SCREENSHOT_DISPLAY:-95}
pages=0
language=""
while [ $# -gt 0 ]; do
    case $1 in
        --output) output=$2; shift 2 ;;
        --scale) scale=$2; shift 2 ;;
        --display) display=$2; shift 2 ;;
        --pages) pages=1; shift ;;
        --language) language=$2; shift 2 ;;
        *) echo "usage: $0 [--output DIR] [--scale PERCENT] [--display N] [--pages] [--language CODE]" >&2; exit 2 ;;
    esac
done
PACKAGES+=("${SCREENSHOT_PACKAGES[@]}")
ensure_packages
build --target TolvanierSettings --target Tolvanier64
mkdir -p "$output"
output=$(cd "$output" && pwd)
suffix=""
[ -z "$language" ] || suffix="-$language"
[ "$scale" = 100 ] || suffix="$suffix-$scale"

work=$BUILD_DIR/screenshot
rm -rf "$work"
mkdir -p "$work"
# The sample with a few applications, one of them not installed and one list with a blank, and the
# guide's [Types] lines with one that breaks the rules, as a user might have them; saved as the sample
# is, UTF-16 LE.
{
    printf '\xff\xfe'
    iconv -f UTF-16 -t UTF-8 "$ROOT/package/IniSample/Tolvanier.ini" | awk -v language="$language" '
        /^\[Types\]/ {
            print "txt,log,ini,md=%WINDIR%\\notepad.exe\r"
            print "pdf=C:\\Tools\\PDF Viewer\\pdfview.exe\r"
            print "pdf_params=/reuse %1\r"
            print "jpg, png=%WINDIR%\\system32\\mspaint.exe\r"
            print ":dir=%WINDIR%\\explorer.exe\r"
            print "make,docker,log,plain=%WINDIR%\\notepad.exe\r"
            print "biglog=C:\\Tools\\BigView\\bigview.exe\r"
            print "\r"
            print
            print "; masks=type [conditions]     tried from the top; the first line that matches a file decides\r"
            print "Makefile;GNUmakefile;*.mk=make\r"
            print "Dockerfile;Dockerfile.*=docker\r"
            print "*.tar.gz;*.tgz=tgz\r"
            print "*.log.?;*.log|debug*=log\r"
            print "*.log=biglog size>50M\r"
            print "*\\Projects\\*.txt=projtxt\r"
            print "*.=plain text\r"
            print "*.bak=backup old\r"
            print "*.git\\=repo\r"
            next
        }
        /^AppFromLister_key=\r$/ { print "AppFromLister_key=115\r"; next }
        /^AppFromLister_mod=\r$/ { print "AppFromLister_mod=C\r"; next }
        /^Language=\r$/ && language != "" { print "Language=" language "\r"; next }
        { print }' | iconv -f UTF-8 -t UTF-16LE
} >"$work/Tolvanier.ini"

export TOLVANIER_DISPLAY=x11 DISPLAY=:$display
# A screen as large in dots as the density asks: 1280x800 at 100 %, 1920x1200 at 150 %.
Xvfb "$DISPLAY" -screen 0 $((1280 * scale / 100))x$((800 * scale / 100))x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
wm=$!
start_wine
# The prefix is the tests' too: a density set here is taken back however the script ends.
cleanup() {
    if [ "$scale" != 100 ]; then
        wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 || true
    fi
    wineserver -k >/dev/null 2>&1 || true
    kill $wm $xvfb 2>/dev/null || true
}
trap cleanup EXIT
density=$((96 * scale / 100))
if [ "$scale" != 100 ]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$density" /f >/dev/null 2>&1
fi

# A shown window of the program other than those given (its titles follow the language), once it is shown.
window() {
    for _ in $(seq 1 200); do
        for id in $(xdotool search --onlyvisible --class "tolvaniersettings.exe" 2>/dev/null); do
            case " $* " in *" $id "*) ;; *) echo "$id"; return ;; esac
        done
        sleep 0.1
    done
    echo "no new window of the program" >&2
    exit 1
}
# The pointer in the screen's corner, off the windows: a button under it is drawn hot (Xvfb puts it in
# the middle of the screen, over the main window's buttons).
shoot() { xdotool mousemove 0 "$(($(xdotool getdisplaygeometry | cut -d' ' -f2) - 1))"; sleep 0.3
          import -frame -window "$1" "$2"; echo "screenshot: $2"; }

wine "$BUILD_DIR/TolvanierSettings.exe" --ini "$(winepath -w "$work/Tolvanier.ini" 2>/dev/null)" &
program=$!
main=$(window)
sleep 2
xdotool key --window "$main" Down
sleep 1
shoot "$main" "$output/settings-window$suffix.png"
if [ "$pages" = 1 ]; then
    # Ctrl+Tab goes from page to page; the sixth comes back to the first.
    for n in 2 3 4 5 6 1; do
        xdotool key --window "$main" ctrl+Tab
        sleep 1
        shoot "$main" "$output/settings-page-$n$suffix.png"
    done
    geometry=$(xdotool getwindowgeometry "$main" | sed -n 's/.*Geometry: //p')
    xdotool windowsize "$main" $((${geometry%x*} * 3 / 2)) $((${geometry#*x} * 5 / 4))
    sleep 2
    shoot "$main" "$output/settings-large$suffix.png"
    xdotool windowsize "$main" "${geometry%x*}" "${geometry#*x}"
    sleep 1
    # Back from the tabs, past Reload and Close (Save is off: nothing changed), to the list.
    xdotool key Tab Tab Tab
fi
# Add...: the dialog that edits an application, filled in as a user types. The keys reach it in every
# language (mnemonics differ): from the list, past the status line, to Add..., pressed.
xdotool key Tab Tab space
dialog=$(window "$main")
sleep 1
xdotool type --delay 40 'md,markdown'
xdotool key Tab
xdotool type --delay 20 '%WINDIR%\notepad.exe'
xdotool key Tab Tab
xdotool type --delay 40 '/a %1'
sleep 3
shoot "$dialog" "$output/settings-edit$suffix.png"
xdotool key Escape
sleep 1
if [ "$pages" = 1 ]; then
    # Back on Add..., past Edit... and Remove to Default editor...: the same dialog for the default editor.
    xdotool key Tab Tab Tab space
    dialog=$(window "$main")
    sleep 2
    shoot "$dialog" "$output/settings-default$suffix.png"
    xdotool key Escape
    sleep 1
fi
# The second page, its fifth line edited: the dialog of a line of [Types].
xdotool key --window "$main" ctrl+Tab
sleep 1
# From the tabs past Reload and Close (Save is off: nothing changed) to the list; Enter edits a line.
xdotool key Tab Tab Tab
for k in Home Down Down Down Down; do xdotool key $k; sleep 0.3; done
sleep 1
xdotool key Return
dialog=$(window "$main")
sleep 2
shoot "$dialog" "$output/settings-type$suffix.png"
xdotool key Escape
sleep 1
xdotool key Escape
# The program only, for 30 s at most: Xvfb and the window manager run until the trap ends them.
for _ in $(seq 1 300); do kill -0 $program 2>/dev/null || break; sleep 0.1; done
if kill -0 $program 2>/dev/null; then
    echo "the settings window did not close" >&2
    exit 1
fi
wait $program
