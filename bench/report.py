#!/usr/bin/env python3
"""Joins the JSON outputs of the zb_bench_* programs into one table on stdout
and one machine-readable file, so that runs on different commits or machines
can be compared row by row.

Per-sample medians and 99th percentiles come from the p50_us and p99_us
counters the game's benchmarks set; a row without them shows Google
Benchmark's mean time per iteration only.
"""
import argparse
import json
import sys

FRAME_US = 50_000.0
TO_US = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}
OWN_COUNTERS = {"p50_us", "p99_us", "frame_pct", "samples"}
STANDARD_KEYS = {
    "name", "family_index", "per_family_instance_index", "run_name", "run_type",
    "repetitions", "repetition_index", "threads", "iterations", "real_time",
    "cpu_time", "time_unit", "aggregate_name", "aggregate_unit", "label",
    "error_occurred", "error_message",
}


def rows_of(path):
    with open(path, encoding="utf-8") as f:
        data = json.load(f)
    for b in data.get("benchmarks", []):
        # With repetitions only the median aggregate stands for the family.
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
            continue
        yield data.get("context", {}), b


def row(bench):
    scale = TO_US.get(bench.get("time_unit", "ns"), 1e-3)
    mean = bench["real_time"] * scale
    counters = {k: v for k, v in bench.items() if k not in STANDARD_KEYS}
    median = counters.pop("p50_us", None)
    p99 = counters.pop("p99_us", None)
    counters.pop("frame_pct", None)
    return {
        "name": bench.get("run_name", bench["name"]).split("/min_time")[0],
        "mean_us": round(mean, 4),
        "median_us": None if median is None else round(median, 4),
        "p99_us": None if p99 is None else round(p99, 4),
        "frame_pct": None if median is None else round(100 * median / FRAME_US, 4),
        "error": bench.get("error_message") if bench.get("error_occurred") else None,
        "counters": {k: v for k, v in counters.items() if k not in OWN_COUNTERS},
    }


def cell(value, digits=2):
    return "-" if value is None else f"{value:.{digits}f}"


def print_table(rows, out):
    head = ("benchmark", "median us", "p99 us", "mean us", "% of 50 ms", "notes")
    lines = []
    for r in rows:
        notes = r["error"] or " ".join(f"{k}={v:g}" for k, v in sorted(r["counters"].items()))
        lines.append((r["name"], cell(r["median_us"]), cell(r["p99_us"]), cell(r["mean_us"]),
                      cell(r["frame_pct"], 3), notes))
    widths = [max(len(x[i]) for x in [head, *lines]) for i in range(len(head))]
    fmt = "  ".join(f"{{:<{widths[0]}}}" if i == 0 else f"{{:>{w}}}" for i, w in enumerate(widths[:-1]))
    fmt += "  {}"
    print(fmt.format(*head), file=out)
    print("  ".join("-" * w for w in widths), file=out)
    for line in lines:
        print(fmt.format(*line), file=out)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("inputs", nargs="+", help="JSON files written with --benchmark_out")
    parser.add_argument("--json", required=True, help="where to write the joined results")
    parser.add_argument("--commit", default="", help="the commit measured")
    args = parser.parse_args()

    rows, context = [], {}
    for path in args.inputs:
        for ctx, bench in rows_of(path):
            context = context or ctx
            rows.append(row(bench))
    print_table(rows, sys.stdout)
    result = {
        "commit": args.commit,
        "date": context.get("date"),
        "host": context.get("host_name"),
        "cpus": context.get("num_cpus"),
        "mhz_per_cpu": context.get("mhz_per_cpu"),
        "frame_us": FRAME_US,
        "rows": rows,
    }
    with open(args.json, "w", encoding="utf-8") as f:
        json.dump(result, f, indent=2)
        f.write("\n")


if __name__ == "__main__":
    main()
