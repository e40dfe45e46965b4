#!/usr/bin/env python3
"""Measures `festmark --list` over the longest window (3652 days back, 13149 ahead) against
the direct-enumeration baseline (tools/bench/DirectList.cpp) in the same run: CPU seconds
(user + system, median of the runs) and peak memory of each, their ratio, and whether both
print the same bytes. With --split, also the same entries as two date lists of half each
(two --file), against the one list.

Usage: tools/bench-list.py [--entries N] [--runs R] [--festmark PATH] [--no-baseline] [--split]
Build first (tools/build.sh); the binaries are taken from build/ unless given."""
import argparse
import filecmp
import os
import statistics
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from benchlib import BUILD, measure, write_list  # noqa: E402

def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--entries", type=int, default=10000)
    parser.add_argument("--runs", type=int, default=11)
    parser.add_argument("--festmark", default=os.path.join(BUILD, "app", "festmark"))
    parser.add_argument("--direct", default=os.path.join(BUILD, "tools", "bench",
                                                         "festmark_bench_direct"))
    parser.add_argument("--no-baseline", action="store_true")
    parser.add_argument("--split", action="store_true")
    args = parser.parse_args()

    work = tempfile.mkdtemp()
    env = dict(os.environ, XDG_CONFIG_HOME=work, HOME=work)
    dates = os.path.join(work, "list.txt")
    write_list(dates, args.entries)
    festmark = [args.festmark, "--list", "--file", dates, "--back", "3652", "--ahead", "13149",
                "--date", "07.12.2026"]
    direct = [args.direct, dates, "3652", "13149", "2026-12-07"]
    with open(dates, encoding="utf-8") as whole:
        lines = whole.readlines()
    halves = [os.path.join(work, "first.txt"), os.path.join(work, "second.txt")]
    for path, part in zip(halves, (lines[:len(lines) // 2], lines[len(lines) // 2:])):
        with open(path, "w", encoding="utf-8") as out:
            out.writelines(part)
    split = festmark[:3] + [halves[0], "--file", halves[1]] + festmark[4:]

    with open(os.path.join(work, "festmark.out"), "wb") as out:
        subprocess.run(festmark, env=env, stdout=out, check=True)
    with open(os.path.join(work, "festmark.out"), "rb") as out:
        lines = sum(chunk.count(b"\n") for chunk in iter(lambda: out.read(1 << 20), b"")) - 1
    print(f"entries: {args.entries}, days: 16802, rows: {lines}")
    if not args.no_baseline:
        with open(os.path.join(work, "direct.out"), "wb") as out:
            subprocess.run(direct, stdout=out, check=True)
        same = filecmp.cmp(os.path.join(work, "festmark.out"), os.path.join(work, "direct.out"),
                           shallow=False)
        print(f"same bytes as the baseline: {'yes' if same else 'NO'}")
    if args.split:
        with open(os.path.join(work, "split.out"), "wb") as out:
            subprocess.run(split, env=env, stdout=out, check=True)
        same = filecmp.cmp(os.path.join(work, "festmark.out"), os.path.join(work, "split.out"),
                           shallow=False)
        print(f"two lists print the same bytes as one: {'yes' if same else 'NO'}")

    results = {"festmark": [], "baseline": [], "two lists": []}
    for _ in range(args.runs):  # interleaved, so that the machine's load falls on both
        results["festmark"].append(measure(festmark, env))
        if not args.no_baseline:
            results["baseline"].append(measure(direct, env))
        if args.split:
            results["two lists"].append(measure(split, env))
    for name, runs in results.items():
        if runs:
            cpu = statistics.median(r[0] for r in runs)
            peak = max(r[2] for r in runs)
            print(f"{name:9s} cpu {cpu:7.3f} s (median of {len(runs)}), peak {peak:6.1f} MB")
    if results["baseline"]:
        ratio = (statistics.median(r[0] for r in results["festmark"]) /
                 statistics.median(r[0] for r in results["baseline"]))
        print(f"ratio festmark / baseline: {ratio:.2f}")
    if results["two lists"]:
        ratio = (statistics.median(r[0] for r in results["two lists"]) /
                 statistics.median(r[0] for r in results["festmark"]))
        print(f"ratio two lists / one list: {ratio:.2f}")


if __name__ == "__main__":
    main()
