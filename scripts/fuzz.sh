#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang-14 (fuzzer, address and undefined-behaviour
# sanitizers) in build-fuzz (or $QINGWU_FUZZ_BUILD_DIR) and runs them, two at a time.
#
#   bash scripts/fuzz.sh                 every target for 600 s
#   bash scripts/fuzz.sh --time 60       every target for 60 s
#   bash scripts/fuzz.sh --smoke         every target for a short run (CI): 15 s each
#   bash scripts/fuzz.sh regex url       only the named targets (without the fuzz_ prefix)
#
# The seed corpora in fuzz/corpus/<target> are read, never written: new inputs go to
# <build>/corpus/<target>, and a crash, leak or time-out leaves its input in
# <build>/artifacts/<target>/. Each run's log is <build>/logs/<target>.log; the summary gives the
# executions and the coverage (cov: edges, ft: features) each target reached. Exits non-zero when
# any target found a fault.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${QINGWU_FUZZ_BUILD_DIR:-build-fuzz}
seconds=600
targets=()
while [ $# -gt 0 ]; do
    case "$1" in
        --smoke) seconds=15 ;;
        --time) seconds=$2; shift ;;
        *) targets+=("$1") ;;
    esac
    shift
done

bash scripts/install-deps.sh
cmake -S fuzz -B "$build" -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target fuzz_all -j2

if [ ${#targets[@]} -eq 0 ]; then
    for exe in "$build"/fuzz_*; do
        [ -x "$exe" ] && targets+=("$(basename "$exe" | sed 's/^fuzz_//')")
    done
fi
if [ ${#targets[@]} -eq 0 ]; then
    echo "fuzz: no target was built" >&2
    exit 1
fi

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
mkdir -p "$build/logs"

run_one() {
    local name=$1
    local corpus="$build/corpus/$name" artifacts="$build/artifacts/$name"
    mkdir -p "$corpus" "$artifacts"
    local seeds=()
    [ -d "fuzz/corpus/$name" ] && seeds=("fuzz/corpus/$name")
    local rc=0
    rm -f "$build/logs/$name.rc"
    "$build/fuzz_$name" "$corpus" "${seeds[@]}" \
        -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -max_len=8192 \
        -print_final_stats=1 -artifact_prefix="$artifacts/" >"$build/logs/$name.log" 2>&1 || rc=$?
    echo "$rc" >"$build/logs/$name.rc"
}

# Two targets at a time: the machine has two cores.
status=0
for name in "${targets[@]}"; do
    if [ ! -x "$build/fuzz_$name" ]; then
        echo "fuzz: no target fuzz_$name" >&2
        status=1
        continue
    fi
    while [ "$(jobs -rp | wc -l)" -ge 2 ]; do
        wait -n || true
    done
    echo "fuzz: $name for ${seconds}s"
    run_one "$name" &
done
wait

printf '%-18s %-8s %12s %8s %8s\n' target result executions cov ft
for name in "${targets[@]}"; do
    log="$build/logs/$name.log"
    [ -f "$log" ] || continue
    execs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | awk '{print $2}' | tail -1)
    cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -1 | awk '{print $2}')
    ft=$(grep -oE 'ft: [0-9]+' "$log" | tail -1 | awk '{print $2}')
    rc=$(cat "$build/logs/$name.rc" 2>/dev/null || echo missing)
    if [ "$rc" != 0 ] || grep -qE '^==[0-9]+==ERROR|SUMMARY: (Address|UndefinedBehavior|Leak)Sanitizer|deadly signal|ERROR: libFuzzer' "$log"; then
        result=FAULT
        status=1
        echo "fuzz: $name found a fault; see $log and $build/artifacts/$name/" >&2
        grep -E 'ERROR|SUMMARY|property violated' "$log" | head -5 >&2
    else
        result=ok
    fi
    printf '%-18s %-8s %12s %8s %8s\n' "$name" "$result" "${execs:-?}" "${cov:-?}" "${ft:-?}"
done
exit $status
