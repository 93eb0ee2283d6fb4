#!/usr/bin/env python3
"""Prints the benchmark table and the targets.

usage: format_table.py NATIVE_JSON WINE_RESULTS

NATIVE_JSON is Google Benchmark's JSON output of ambrel_benchmark (with
repetitions: the fastest repetition is used); WINE_RESULTS holds the RESULT
lines of ambrel_wine_timing (the fastest run) and of ambrel_dialog_timing
(medians). Times are in milliseconds, memory in bytes.
"""

import json
import sys
from collections import defaultdict

# The native benchmarks, by the step they stand for in the table.
NATIVE_STEPS = {
    "ambrel": {"Read": "read", "Scan": "scan", "Check": "check", "Reconcile": "match", "Write": "write",
               "Cycle": "cycle", "ColdCycle": "first_cycle"},
    "floor": {"FloorRead": "read", "FloorList": "scan", "FloorCheck": "check", "FloorWrite": "write",
              "FloorCycle": "cycle", "ColdFloorCycle": "first_cycle"},
}
STEPS = ["read", "scan", "check", "match", "write", "cycle"]
# The programs ambrel_dialog_timing times as a user meets them.
DIALOG_APPROACHES = ("dialog-ambrel", "dialog-bare")
# The whole run of the dialog may take this much longer than the bare list
# program's, by the number of archives.
DIALOG_TARGETS = {10000: 1.1, 1000: 1.05}


def load_native(path):
    """figures[(platform, approach, n)][figure] = value"""
    figures = defaultdict(dict)
    with open(path) as file:
        report = json.load(file)
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
    for entry in report["benchmarks"]:
        if entry.get("run_type") == "aggregate" and entry.get("aggregate_name") != "min":
            continue
        if entry.get("error_occurred"):
            sys.exit(f"native benchmark {entry['name']} failed: {entry.get('error_message')}")
        name, n = entry["run_name"].split("/")[:2]
        for approach, steps in NATIVE_STEPS.items():
            if name in steps:
                row = figures[("native", approach, int(n))]
                row[steps[name]] = entry["real_time"] * scale[entry["time_unit"]]
                if name in ("Cycle", "FloorCycle"):
                    row["peak_heap"] = entry["peak_heap"]
                    row["allocations"] = entry["allocations"]
    return figures


def load_wine(path, figures):
    with open(path) as file:
        for line in file:
            parts = line.split()
            if len(parts) != 6 or parts[0] != "RESULT":
                continue
            _, platform, approach, n, figure, value = parts
            figures[(platform, approach, int(n))][figure] = float(value)


def milliseconds(value):
    if value is None:
        return "-"
    if value >= 1000:
        return f"{value / 1000:.2f} s"
    if value >= 100:
        return f"{value:.0f}"
    if value >= 10:
        return f"{value:.1f}"
    return f"{value:.3f}"


def duration(value):
    """A time with its unit, for the targets."""
    if value is None:
        return "-"
    text = milliseconds(value)
    return text if text.endswith(" s") else text + " ms"


def size(value):
    if value is None:
        return "-"
    if value >= 1 << 20:
        return f"{value / (1 << 20):.1f} MiB"
    return f"{value / 1024:.0f} KiB"


def ratio(value):
    return "-" if value is None else f"{value:.1f}x" if value < 100 else f"{value:,.0f}x"


def print_table(header, rows, left):
    widths = [max(len(str(cell)) for cell in column) for column in zip(header, *rows)]

    def line(cells):
        return "  ".join(str(c).ljust(w) if i in left else str(c).rjust(w)
                         for i, (c, w) in enumerate(zip(cells, widths)))
    print(line(header))
    print(line(["-" * w for w in widths]))
    for row in rows:
        print(line(row))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    figures = load_native(sys.argv[1])
    load_wine(sys.argv[2], figures)

    def cycle(platform, approach, n):
        return figures.get((platform, approach, n), {}).get("cycle")

    header = ["platform", "approach", "N"] + STEPS + [
        "cold", "us/archive", "check us/archive", "peak heap", "allocs", "peak WS", "x floor", "per-key/ours"]
    rows = []
    order = {"ambrel": 0, "floor": 1, "per-key": 2}
    cycles = [k for k in figures if k[1] not in DIALOG_APPROACHES]
    for key in sorted(cycles, key=lambda k: (k[0] != "native", k[0], order[k[1]], k[2])):
        platform, approach, n = key
        row = figures[key]
        ours = cycle(platform, "ambrel", n)
        floor = cycle(platform, "floor", n)
        over_floor = row["cycle"] / floor if approach == "ambrel" and floor else None
        against = row["cycle"] / ours if approach == "per-key" and ours else None
        allocations = row.get("allocations")
        rows.append([platform, approach, f"{n:,}"] + [milliseconds(row.get(step)) for step in STEPS] + [
            milliseconds(row.get("first_cycle")), f"{1000 * row['cycle'] / n:.2f}",
            "-" if row.get("check") is None else f"{1000 * row['check'] / n:.2f}", size(row.get("peak_heap")),
            "-" if allocations is None else f"{allocations:,.0f}",
            size(row.get("peak_working_set")), ratio(over_floor), ratio(against)])

    print("Times in ms, each the fastest of the runs (native: Google Benchmark, 5 repetitions), warm heap;")
    print("check is reading the header and records of each archive the list will hold (every archive on")
    print("disk here, each a real one with 50 files), and check us/archive its cost per archive; match is")
    print("the reconciliation (nested loops for per-key); floor is only reading the file, listing the")
    print("folder, reading the archives' headers and records unchecked, and replacing the file.")
    print("cold: one cycle with a cold heap (native: free")
    print("memory handed back to the system first; Wine: the process's first run). peak heap and")
    print("allocs: bytes held at most and blocks allocated through operator new in one cycle; peak WS:")
    print("the Windows process's PeakWorkingSetSize (one process per approach and N).")
    print()
    print_table(header, rows, left={0, 1})

    dialog_sizes = sorted({k[2] for k in figures if k[1] == "dialog-ambrel"})
    dialog_platform = next((k[0] for k in figures if k[1] == "dialog-ambrel"), "wine")

    def dialog(approach, n, figure):
        return figures.get((dialog_platform, approach, n), {}).get(figure)

    def whole(approach, n, kind):
        """open and update together: the medians, or the fastest of each"""
        suffix = "_fastest" if kind == "fastest" else ""
        opened, updated = dialog(approach, n, "open" + suffix), dialog(approach, n, "update" + suffix)
        return opened + updated if opened is not None and updated is not None else None

    def over_bare(n, kind):
        ours, bare = (whole(approach, n, kind) for approach in DIALOG_APPROACHES)
        return ours / bare if ours and bare else None

    if dialog_sizes:
        print()
        runs = dialog("dialog-ambrel", dialog_sizes[0], "runs")
        print(f"The program as a user meets it under {dialog_platform}, timed from outside over {runs:.0f} runs")
        print("of each, taking turns. open is from starting the program until its main dialog shows both")
        print("lists filled and it waits for input; update from pressing Update until the process has ended,")
        print("its message box acknowledged at once; whole is both. Each phase the fastest of the runs, which")
        print("other work on the machine disturbs least (the targets use them); the last column compares the")
        print("medians. bare is a program of the same dialog that only lists Data Files, opens each archive and")
        print("reads its header and records, and adds the names one by one to the two sorted lists (W messages")
        print("to list handles fetched once), and shows one message on Update; it writes nothing, where Ambrel")
        print("writes morrowind.ini and flushes it to disk.")
        print()
        dialog_rows = []
        for n in dialog_sizes:
            row = [f"{n:,}"]
            for figure in ("open_fastest", "update_fastest"):
                row += [milliseconds(dialog(a, n, figure)) for a in DIALOG_APPROACHES]
            row += [milliseconds(whole(a, n, "fastest")) for a in DIALOG_APPROACHES]
            for kind in ("fastest", "median"):
                over = over_bare(n, kind)
                row.append("-" if over is None else f"{over:.2f}x")
            dialog_rows.append(row)
        header = ["N"] + [name + bare for name in ("open", "update", "whole") for bare in ("", " bare")] + [
            "ours/bare", "medians ours/bare"]
        print_table(header, dialog_rows, left=set())

    print()
    print("Targets:")
    results = []

    def target(text, value, shown, met):
        results.append(met)
        verdict = "n/a" if met is None else "MET" if met else "MISSED"
        print(f"  {verdict:7} {text}: {shown}")

    native10k = cycle("native", "ambrel", 10000)
    floor10k = cycle("native", "floor", 10000)
    target("native cycle at 10,000 under 20 ms", native10k,
           duration(native10k), native10k is not None and native10k < 20)
    over = native10k / floor10k if native10k and floor10k else None
    target("native cycle at 10,000 within 2x of the raw floor", over,
           f"{ratio(over)} ({duration(native10k)} against {duration(floor10k)})",
           over is not None and over <= 2)
    wine_platform = next((k[0] for k in figures if k[0] != "native"), "wine")
    ours3k = cycle(wine_platform, "ambrel", 3000)
    perkey3k = cycle(wine_platform, "per-key", 3000)
    faster = perkey3k / ours3k if ours3k and perkey3k else None
    target(f"at 3,000 under {wine_platform}, at least 1,000x faster than per-key", faster,
           f"{ratio(faster)} ({duration(perkey3k)} against {duration(ours3k)})",
           faster is not None and faster >= 1000)
    for platform in ("native", wine_platform):
        at1k, at10k = cycle(platform, "ambrel", 1000), cycle(platform, "ambrel", 10000)
        growth = (at10k / 10000) / (at1k / 1000) if at1k and at10k else None
        target(f"{platform}: cost per archive at 10,000 at most twice that at 1,000", growth,
               f"{ratio(growth)} ({1000 * at10k / 10000:.2f} us against {1000 * at1k / 1000:.2f} us)"
               if growth else "-", growth is not None and growth <= 2)
    for n, limit in sorted(DIALOG_TARGETS.items(), reverse=True):
        over = over_bare(n, "fastest")
        ours, bare = (whole(approach, n, "fastest") for approach in DIALOG_APPROACHES)
        medians = over_bare(n, "median")
        target(f"{dialog_platform}: start and update at {n:,} within {limit}x of the bare list program", over,
               f"{over:.2f}x ({duration(ours)} against {duration(bare)}; medians {medians:.2f}x)"
               if over and medians else "-", over is not None and over <= limit)
    print()
    print("All targets met." if all(results) else "Some targets were missed.")


if __name__ == "__main__":
    main()
