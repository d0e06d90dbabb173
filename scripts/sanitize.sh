#!/usr/bin/env bash
# Builds the reader and every test with AddressSanitizer and UndefinedBehaviorSanitizer in a build
# directory of its own (build-asan, or $QINGWU_ASAN_BUILD_DIR) and runs the whole test suite there.
# Any sanitizer report fails the run: undefined behaviour aborts (-fno-sanitize-recover), and so do
# memory errors and leaks.
#
#   bash scripts/sanitize.sh            build and run every test
#   bash scripts/sanitize.sh -R regex   build, then run only the tests whose names match
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/install-deps.sh
build=${QINGWU_ASAN_BUILD_DIR:-build-asan}
jobs=${QINGWU_JOBS:-2}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQINGWU_TESTS=ON -DQINGWU_SANITIZE=ON \
    >/dev/null
cmake --build "$build" -j"$jobs"

# Leak reports name only leaks of our own code. The suppressions below cover allocations that
# libraries make once per process and keep until exit on purpose (caches and singletons that
# have no release call, or whose release the library leaves to process exit):
#   - fontconfig's configuration and font cache, loaded by Qt's font database;
#   - Qt's offscreen platform plugin and font engine objects that the plugin loader keeps;
#   - GLib's type system and main-context singletons that Qt's event dispatcher starts;
#   - the dynamic loader's per-library data (dlopen of the platform plugin).
# Each entry matches a frame inside that library only, so a leak whose stack passes through our
# own code and then into one of them is still suppressed only when the library made the
# allocation for itself; none of our code is named here.
supp="$root/$build/lsan.supp"
cat >"$supp" <<'EOF'
leak:libfontconfig.so
leak:libQt6Gui.so
leak:libqoffscreen.so
leak:libglib-2.0.so
leak:libgobject-2.0.so
leak:libdbus-1.so
leak:_dl_open
leak:_dl_init
EOF

export QT_QPA_PLATFORM=offscreen
# halt_on_error: the first memory error ends the test program, which fails the test.
# detect_stack_use_after_return: also catches a pointer to a dead stack frame.
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1:abort_on_error=0"
export LSAN_OPTIONS="suppressions=$supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# The sanitized programs run slower: a longer per-test limit than the normal run.
ctest --test-dir "$build" --output-on-failure -j"$jobs" --timeout 600 "$@"
