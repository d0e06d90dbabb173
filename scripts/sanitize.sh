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
bash scripts/install-deps.sh
build=${QINGWU_ASAN_BUILD_DIR:-build-asan}
jobs=${QINGWU_JOBS:-2}

# -O1 with line tables only: a quicker build than the normal one, and reports still name files and
# lines.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
    -DCMAKE_C_FLAGS_DEBUG="-O1 -g1" -DQINGWU_TESTS=ON -DQINGWU_SANITIZE=ON >/dev/null
cmake --build "$build" -j"$jobs"

# No leak is suppressed: the whole suite, the window tests under Qt's offscreen platform
# included, runs without a leak report.
export QT_QPA_PLATFORM=offscreen
# halt_on_error: the first memory error ends the test program, which fails the test.
# detect_stack_use_after_return: also catches a pointer to a dead stack frame.
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# The sanitized programs run slower: a longer per-test limit than the normal run.
ctest --test-dir "$build" --output-on-failure -j"$jobs" --timeout 600 "$@"
