#!/usr/bin/env bash
# Takes a picture of a program's window on a virtual X display.
#
#   scripts/screenshot.sh OUT.png [seconds] [command [args...]]
#
# Starts Xvfb on a free display, runs the command there (default: the reader of the build
# directory, build/run/qingwu-reader, or $QINGWU_BUILD_DIR/run/qingwu-reader), waits until it has
# mapped a window, lets it run for `seconds` more (default 1, fractions allowed) so that it can
# paint, saves the whole screen as OUT.png and stops the command and the display again.
# Exits non-zero when the command ends or shows no window within 30 seconds, or when the
# picture cannot be taken.
set -euo pipefail

usage() { echo "usage: $0 OUT.png [seconds] [command [args...]]" >&2; exit 2; }
[ $# -ge 1 ] || usage
out=$1
shift
settle=1
if [ $# -ge 1 ]; then
    [[ $1 =~ ^[0-9]+([.][0-9]+)?$ ]] || usage
    settle=$1
    shift
fi
cd "$(dirname "$0")/.."
if [ $# -eq 0 ]; then
    set -- "${QINGWU_BUILD_DIR:-build}/run/qingwu-reader"
fi
for tool in Xvfb xwininfo import; do
    command -v "$tool" >/dev/null || { echo "screenshot: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done
out_dir=$(dirname "$out")
mkdir -p "$out_dir"

xvfb_pid=""
app_pid=""
work=$(mktemp -d)
cleanup() {
    if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then
        kill "$app_pid" 2>/dev/null || true
        for _ in $(seq 20); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$app_pid" 2>/dev/null || true
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display number itself and reports it on the given descriptor.
exec 5>"$work/display"
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 5>&-
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }
    sleep 0.1
done
[ -s "$work/display" ] || { echo "screenshot: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

QT_QPA_PLATFORM=xcb "$@" >"$work/app.log" 2>&1 &
app_pid=$!

# A top-level window is a child of the root window (there is no window manager); wait until
# one of them is viewable and of some size.
viewable_window() {
    local id
    for id in $(xwininfo -root -children 2>/dev/null | awk '/^ +0x/ {print $1}'); do
        if xwininfo -id "$id" 2>/dev/null |
            awk '/Width:/ {w=$2} /Height:/ {h=$2} /Map State: IsViewable/ {v=1}
                 END {exit !(v && w > 50 && h > 50)}'; then
            return 0
        fi
    done
    return 1
}
shown=0
for _ in $(seq 300); do
    if ! kill -0 "$app_pid" 2>/dev/null; then
        echo "screenshot: the program ended before showing a window:" >&2
        cat "$work/app.log" >&2
        exit 1
    fi
    if viewable_window; then shown=1; break; fi
    sleep 0.1
done
[ "$shown" = 1 ] || { echo "screenshot: no window within 30 seconds" >&2; exit 1; }

sleep "$settle"
import -window root "$out"
echo "screenshot: saved $out"
