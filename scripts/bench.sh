#!/usr/bin/env bash
# Builds the benchmarks (Release, in build-bench) and runs them, then prints one table:
# benchmark, median, min, max (over the repetitions), CPU median, target and verdict.
#   BENCH_REPETITIONS  repetitions of every benchmark (default 10)
#   BENCH_FILTER       a Google Benchmark filter applied to every program (default: all)
#   BENCH_JOBS         build jobs (default 2)
#   BENCH_BASELINE     a build directory of another checkout holding the same benchmark
#                      programs (e.g. before a change): each program runs there and here in turn,
#                      and a table is printed for each, baseline first
# Results: build-bench/bench-results/[baseline/]<program>.json, table.txt and comparison.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${QINGWU_BENCH_BUILD_DIR:-build-bench}
repetitions=${BENCH_REPETITIONS:-10}
filter=${BENCH_FILTER:-.}
programs=(text_bench regex_bench loopback_fetch_bench chapter_list_bench reading_bench startup_bench)

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQINGWU_BENCHMARKS=ON -DQINGWU_TESTS=ON >/dev/null
cmake --build "$build" -j"${BENCH_JOBS:-2}" --target "${programs[@]}"

export QT_QPA_PLATFORM=offscreen
# Qt wants a private runtime folder; without one every window process warns on stderr.
runtime_dir=$(mktemp -d)
trap 'rm -rf "$runtime_dir"' EXIT
export XDG_RUNTIME_DIR="$runtime_dir"
results="$build/bench-results"
rm -rf "$results"
mkdir -p "$results"
tables=("$results")
if [ -n "${BENCH_BASELINE:-}" ]; then
    mkdir -p "$results/baseline"
    tables=("$results/baseline" "$results")
fi

run_program() {  # build-dir program out-dir
    "$1/bench/$2" \
        --benchmark_filter="$filter" \
        --benchmark_repetitions="$repetitions" \
        --benchmark_enable_random_interleaving=true \
        --benchmark_out="$3/$2.json" \
        --benchmark_out_format=json >/dev/null
}

echo "bench: load average before the run: $(cut -d' ' -f1-3 /proc/loadavg)"
for program in "${programs[@]}"; do
    if [ -n "${BENCH_BASELINE:-}" ]; then
        echo "bench: running $program (baseline)"
        run_program "$BENCH_BASELINE" "$program" "$results/baseline"
    fi
    echo "bench: running $program"
    run_program "$build" "$program" "$results"
done
echo "bench: load average after the run: $(cut -d' ' -f1-3 /proc/loadavg)"

for dir in "${tables[@]}"; do
    if [ "$dir" = "$results/baseline" ]; then
        echo "baseline ($BENCH_BASELINE):"
    elif [ -n "${BENCH_BASELINE:-}" ]; then
        echo "this checkout ($build):"
    fi
    python3 bench/bench_table.py "$dir" | tee "$dir/table.txt"
done
if [ -n "${BENCH_BASELINE:-}" ]; then
    echo "baseline beside this checkout:"
    python3 bench/bench_table.py "$results" --baseline "$results/baseline" |
        tee "$results/comparison.txt"
fi
