#!/usr/bin/env bash
# Installs what is missing, builds the reader and the demo site, starts the demo site on
# 127.0.0.1:18080 and then the reader. With a display the reader opens on it; without one it runs
# under Xvfb: a screenshot of its window is saved to build/screenshots/reader.png, and pictures of
# a walk along the reader's road on the demo site (search "唐诗", open, read, shelve) beside it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/install-deps.sh
build=${QINGWU_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target qingwu-reader qingwu-demo-site qingwu_data road_screenshots
run_dir="$root/$build/run"

demo_pid=""
cleanup() { [ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null || true; }
trap cleanup EXIT

if (exec 3<>/dev/tcp/127.0.0.1/18080) 2>/dev/null; then
    echo "run: a server already answers on 127.0.0.1:18080; using it as the demo site"
else
    "$run_dir/qingwu-demo-site" --port 18080 >"$build/demo-site.log" 2>&1 &
    demo_pid=$!
    for _ in $(seq 50); do
        grep -q "listening on" "$build/demo-site.log" 2>/dev/null && break
        sleep 0.1
    done
    echo "run: demo site on http://127.0.0.1:18080/"
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    "$run_dir/qingwu-reader"
else
    mkdir -p "$build/screenshots"
    echo "run: no display; running the reader under Xvfb"
    bash scripts/screenshot.sh "$build/screenshots/reader.png" 4 "$run_dir/qingwu-reader"
    echo "run: screenshot saved to $build/screenshots/reader.png"
    "$build/tests/reading/road_screenshots" "$build/screenshots" "唐诗"
fi
