#!/usr/bin/env python3
"""Measures saving in the list editor (tools/bench/ListSave.cpp) against its floor in the same
run: reading a date list into the editor's lines, changing one line and writing the file back
whole, against reading it and replacing it by the same bytes. CPU seconds (median of the
runs), peak memory, their ratio.

Usage: tools/bench-editor.py [--entries N] [--runs R]
Build first (tools/build.sh)."""
import argparse
import os
import statistics
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from benchlib import BUILD, measure, write_list  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--entries", type=int, default=100000)
    parser.add_argument("--runs", type=int, default=7)
    args = parser.parse_args()
    program = os.path.join(BUILD, "tools", "bench", "festmark_bench_list_save")
    work = tempfile.mkdtemp()
    dates = os.path.join(work, "list.txt")
    write_list(dates, args.entries)
    results = {}
    for mode in ("editor", "copy"):
        runs = [measure([program, dates, mode], dict(os.environ)) for _ in range(args.runs)]
        results[mode] = (statistics.median(r[0] for r in runs), max(r[2] for r in runs))
    size = os.path.getsize(dates) / 1e6
    print(f"entries: {args.entries}, file: {size:.1f} MB")
    for mode, (cpu, peak) in results.items():
        print(f"{mode:7s} cpu {cpu:7.3f} s (median of {args.runs}), peak {peak:7.1f} MB")
    print(f"ratio editor / copy: cpu {results['editor'][0] / results['copy'][0]:.2f}, "
          f"peak {results['editor'][1] / results['copy'][1]:.2f}")


if __name__ == "__main__":
    main()
