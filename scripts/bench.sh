#!/usr/bin/env bash
# Builds the benchmarks (Release, in build-bench) and runs them, then prints one table:
# benchmark, median, min, max (over the repetitions), CPU median, target and verdict.
#   BENCH_REPETITIONS  repetitions of every benchmark (default 10)
#   BENCH_FILTER       a Google Benchmark filter applied to every program (default: all)
#   BENCH_JOBS         build jobs (default 2)
#   BENCH_BASELINE     a build directory of another checkout holding the same benchmark
#                      programs (e.g. before a change): each program runs there and here in turn,
#                      and a table is printed for each, baseline first
# Results: build-bench/bench-results/[baseline/]<program>.json and table.txt.
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
    python3 - "$dir" <<'PY' | tee "$dir/table.txt"
import json, os, statistics, sys

results = sys.argv[1]
runs = {}      # name -> list of per-repetition entries
for file in sorted(os.listdir(results)):
    if not file.endswith(".json"):
        continue
    with open(os.path.join(results, file)) as f:
        data = json.load(f)
    for b in data.get("benchmarks", []):
        if b.get("run_type") != "iteration" or b.get("error_occurred"):
            continue
        name = b["run_name"].split("/real_time")[0].split("/manual_time")[0]
        name = name.split("/iterations:")[0]
        runs.setdefault(name, []).append(b)

SCALE = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}

def ms(entry, key="real_time"):
    return entry[key] * SCALE[entry["time_unit"]]

def values(name, key="real_time"):
    return [ms(e, key) for e in runs.get(name, [])]

def counter(name, key):
    return [e[key] for e in runs.get(name, []) if key in e]

def mbps(name):
    return [e["bytes_per_second"] / 1e6 for e in runs.get(name, []) if "bytes_per_second" in e]

rows = []

def fmt(v, unit):
    if unit == "ms":
        return f"{v:.3f} ms" if v < 1 else f"{v:.2f} ms" if v < 100 else f"{v:.0f} ms"
    if unit == "MB/s":
        return f"{v:.0f} MB/s"
    if unit == "MiB":
        return f"{v:.1f} MiB"
    return f"{v:.2f}x"

def add(label, vals, unit, target=None, ok=None, cpu=None):
    if not vals:
        rows.append((label, "n/a", "", "", "", target or "", "NOT RUN" if target else ""))
        return
    med = statistics.median(vals)
    verdict = "" if ok is None else ("PASS" if ok(med) else "FAIL")
    cpu_text = fmt(statistics.median(cpu), "ms") if cpu else ""
    rows.append((label, fmt(med, unit), fmt(min(vals), unit), fmt(max(vals), unit), cpu_text,
                 target or "", verdict))

def timed(name, target_ms=None, label=None):
    target = f"<= {target_ms} ms" if target_ms is not None else None
    ok = (lambda m: m <= target_ms) if target_ms is not None else None
    # A manually timed run measured a child process or Node: this process's CPU says nothing.
    manual = any("manual_time" in e["run_name"] for e in runs.get(name, []))
    add(label or name, values(name), "ms", target, ok, None if manual else values(name, "cpu_time"))

def ratio(label, a, b, limit):
    # Paired by repetition index: with random interleaving both ran in the same stretch.
    va, vb = values(a), values(b)
    pairs = [x / y for x, y in zip(va, vb) if y > 0]
    med = statistics.median(va) / statistics.median(vb) if va and vb else None
    if med is None:
        add(label, [], "x", f"<= {limit}x")
        return
    rows.append((label, fmt(med, "x"), fmt(min(pairs), "x"), fmt(max(pairs), "x"), "",
                 f"<= {limit}x", "PASS" if med <= limit else "FAIL"))

timed("BM_OpenBook/1000")
timed("BM_OpenBook/5000", 50)
timed("BM_OpenBook/50000")
ratio("open 50k / open 5k (10x chapters)", "BM_OpenBook/50000", "BM_OpenBook/5000", 12)
timed("BM_NextChapter_10KB", 10)
timed("BM_ShowChapter_10KB")
timed("BM_FetchChapterPage_10KB")
timed("BM_ShowPageFile_10KB")
timed("BM_SearchBooks_100Hits", 20)
for n in (1000, 10000, 100000):
    timed(f"BM_ParseChapterList/{n}")
ratio("parse 100k / parse 10k", "BM_ParseChapterList/100000", "BM_ParseChapterList/10000", 12)
for n in (1000, 10000, 100000):
    timed(f"BM_FillChapterLists/{n}")
ratio("fill 100k / fill 10k", "BM_FillChapterLists/100000", "BM_FillChapterLists/10000", 12)
timed("BM_RegexChapterPass")
timed("BM_RegexExecuteOnly")
timed("BM_NodeRegexChapterPass")
timed("BM_NodeDecodeAndRegexChapterPass")
ratio("regex / node (regex only)", "BM_RegexChapterPass", "BM_NodeRegexChapterPass", 1.0)
ratio("regex / node (decode + regex)", "BM_RegexChapterPass",
      "BM_NodeDecodeAndRegexChapterPass", 1.0)
timed("BM_FetchPage_10MB")
fetch = mbps("BM_FetchPage_10MB")
add("BM_FetchPage_10MB throughput", fetch, "MB/s", ">= 300 MB/s",
    (lambda m: m >= 300) if fetch else None)
timed("BM_CurlProcess_10MB")
timed("BM_CurlTransfer_10MB")
ratio("FetchPage / curl process", "BM_FetchPage_10MB", "BM_CurlProcess_10MB", 1.2)
ratio("FetchPage / curl transfer only", "BM_FetchPage_10MB", "BM_CurlTransfer_10MB", 1.2)
for name in ("BM_GbkToUtf16_1MB", "BM_Utf16ToGbk_1MB", "BM_TextBetween_1MB", "BM_FindChinese_1MB"):
    timed(name)
timed("BM_StartupBareQtWindow")
timed("BM_StartupToWindowShown", 300)
timed("BM_StartSearchOpen5000")
rss = counter("BM_StartSearchOpen5000", "max_rss_MiB")
add("peak RSS after opening 5,000 chapters", rss, "MiB", "<= 80 MiB",
    (lambda m: m <= 80) if rss else None)

rows = [r for r in rows if r[1] != "n/a" or r[5]]
header = ("benchmark", "median", "min", "max", "cpu median", "target", "verdict")
widths = [max(len(str(r[i])) for r in rows + [header]) for i in range(len(header))]
line = lambda r: "| " + " | ".join(str(c).ljust(w) for c, w in zip(r, widths)) + " |"
print(line(header))
print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
for r in rows:
    print(line(r))
PY
done
