#!/usr/bin/env python3
"""Prints the benchmark table from a folder of Google Benchmark JSON files (one per program):
benchmark, median, min and max over the repetitions, CPU median, target and verdict.

  bench_table.py <results folder>
  bench_table.py <results folder> --baseline <baseline results folder>
      one table with the baseline's median [min, max] beside this folder's, and the verdict of
      this folder's figures
"""
import json
import os
import statistics
import sys

SCALE = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}


def load(folder):
    """name -> list of per-repetition entries (errors left out)."""
    runs = {}
    for file in sorted(os.listdir(folder)):
        if not file.endswith(".json"):
            continue
        try:
            with open(os.path.join(folder, file)) as f:
                data = json.load(f)
        except ValueError:
            sys.stderr.write(f"bench_table: {file} is not complete JSON; left out\n")
            continue
        for b in data.get("benchmarks", []):
            if b.get("run_type") != "iteration" or b.get("error_occurred"):
                continue
            name = b["run_name"].split("/real_time")[0].split("/manual_time")[0]
            name = name.split("/iterations:")[0]
            runs.setdefault(name, []).append(b)
    return runs


def fmt(v, unit):
    if unit == "ms":
        return f"{v:.3f} ms" if v < 1 else f"{v:.2f} ms" if v < 100 else f"{v:.0f} ms"
    if unit == "MB/s":
        return f"{v:.0f} MB/s"
    if unit == "MiB":
        return f"{v:.1f} MiB"
    return f"{v:.2f}x"


class Table:
    """The rows of one results folder: label -> (median, min, max, cpu median, target, verdict),
    the figures already formatted."""

    def __init__(self, folder):
        self.runs = load(folder)
        self.rows = []

    def ms(self, name, key="real_time"):
        return [e[key] * SCALE[e["time_unit"]] for e in self.runs.get(name, [])]

    def add(self, label, vals, unit, target=None, ok=None, cpu=None):
        if not vals:
            self.rows.append((label, None, "", "", "", target or "", "NOT RUN" if target else ""))
            return
        med = statistics.median(vals)
        verdict = "" if ok is None else ("PASS" if ok(med) else "FAIL")
        cpu_text = fmt(statistics.median(cpu), "ms") if cpu else ""
        self.rows.append((label, fmt(med, unit), fmt(min(vals), unit), fmt(max(vals), unit),
                          cpu_text, target or "", verdict))

    def timed(self, name, target_ms=None):
        target = f"<= {target_ms} ms" if target_ms is not None else None
        ok = (lambda m: m <= target_ms) if target_ms is not None else None
        # A manually timed run measured a child process or Node: this process's CPU says nothing.
        manual = any("manual_time" in e["run_name"] for e in self.runs.get(name, []))
        self.add(name, self.ms(name), "ms", target, ok,
                 None if manual else self.ms(name, "cpu_time"))

    def ratio(self, label, a, b, limit):
        # Paired by repetition index: with random interleaving both ran in the same stretch.
        va, vb = self.ms(a), self.ms(b)
        if not va or not vb:
            self.add(label, [], "x", f"<= {limit}x")
            return
        pairs = [x / y for x, y in zip(va, vb) if y > 0]
        med = statistics.median(va) / statistics.median(vb)
        self.rows.append((label, fmt(med, "x"), fmt(min(pairs), "x"), fmt(max(pairs), "x"), "",
                          f"<= {limit}x", "PASS" if med <= limit else "FAIL"))

    def counter(self, name, key):
        return [e[key] for e in self.runs.get(name, []) if key in e]

    def throughput(self, name):
        return [e["bytes_per_second"] / 1e6 for e in self.runs.get(name, [])
                if "bytes_per_second" in e]


def build(folder):
    t = Table(folder)
    t.timed("BM_OpenBook/1000")
    t.timed("BM_OpenBook/5000", 50)
    t.timed("BM_OpenBook/50000")
    t.ratio("open 50k / open 5k (10x chapters)", "BM_OpenBook/50000", "BM_OpenBook/5000", 12)
    t.timed("BM_NextChapter_10KB", 10)
    t.timed("BM_ShowChapter_10KB")
    t.timed("BM_FetchChapterPage_10KB")
    t.timed("BM_ShowPageFile_10KB")
    t.timed("BM_SearchBooks_100Hits", 20)
    for n in (1000, 10000, 100000):
        t.timed(f"BM_ParseChapterList/{n}")
    t.ratio("parse 100k / parse 10k", "BM_ParseChapterList/100000",
            "BM_ParseChapterList/10000", 12)
    for n in (1000, 10000, 100000):
        t.timed(f"BM_FillChapterLists/{n}")
    t.ratio("fill 100k / fill 10k", "BM_FillChapterLists/100000",
            "BM_FillChapterLists/10000", 12)
    t.timed("BM_RegexChapterPass")
    t.timed("BM_RegexExecuteOnly")
    t.timed("BM_NodeRegexChapterPass")
    t.timed("BM_NodeDecodeAndRegexChapterPass")
    t.ratio("regex / node (regex only)", "BM_RegexChapterPass", "BM_NodeRegexChapterPass", 1.0)
    t.ratio("regex / node (decode + regex)", "BM_RegexChapterPass",
            "BM_NodeDecodeAndRegexChapterPass", 1.0)
    t.timed("BM_FetchPage_10MB")
    fetch = t.throughput("BM_FetchPage_10MB")
    t.add("BM_FetchPage_10MB throughput", fetch, "MB/s", ">= 300 MB/s", lambda m: m >= 300)
    t.timed("BM_CurlProcess_10MB")
    t.timed("BM_CurlTransfer_10MB")
    t.ratio("FetchPage / curl process", "BM_FetchPage_10MB", "BM_CurlProcess_10MB", 1.2)
    t.ratio("FetchPage / curl transfer only", "BM_FetchPage_10MB", "BM_CurlTransfer_10MB", 1.2)
    for name in ("BM_GbkToUtf16_1MB", "BM_Utf16ToGbk_1MB", "BM_TextBetween_1MB",
                 "BM_FindChinese_1MB"):
        t.timed(name)
    t.timed("BM_StartupBareQtWindow")
    t.timed("BM_StartupToWindowShown", 300)
    t.timed("BM_StartSearchOpen5000")
    rss = t.counter("BM_StartSearchOpen5000", "max_rss_MiB")
    t.add("peak RSS after opening 5,000 chapters", rss, "MiB", "<= 80 MiB", lambda m: m <= 80)
    return [r for r in t.rows if r[1] is not None or r[5]]


def show(header, rows):
    rows = [tuple("n/a" if c is None else c for c in r) for r in rows]
    widths = [max(len(str(r[i])) for r in rows + [header]) for i in range(len(header))]
    line = lambda r: "| " + " | ".join(str(c).ljust(w) for c, w in zip(r, widths)) + " |"
    print(line(header))
    print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    for r in rows:
        print(line(r))


def main(argv):
    if len(argv) == 2:
        show(("benchmark", "median", "min", "max", "cpu median", "target", "verdict"),
             build(argv[1]))
    elif len(argv) == 4 and argv[2] == "--baseline":
        after = build(argv[1])
        before = {r[0]: r for r in build(argv[3])}
        rows = []
        for r in after:
            b = before.get(r[0])
            was = f"{b[1]} [{b[2]}, {b[3]}]" if b and b[1] is not None else "n/a"
            now = f"{r[1]} [{r[2]}, {r[3]}]" if r[1] is not None else "n/a"
            rows.append((r[0], was, now, r[5], r[6]))
        show(("benchmark", "before: median [min, max]", "after: median [min, max]", "target",
              "verdict"), rows)
    else:
        sys.stderr.write(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
