"""What the measuring scripts in tools/ share: the generated date lists and the measuring of
a program that ends by itself."""
import os
import random
import subprocess
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.environ.get("FESTMARK_BUILD_DIR", os.path.join(ROOT, "build"))
MEASURE = os.path.join(BUILD, "tools", "bench", "festmark_bench_measure")

DAYS_IN_MONTH = [31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31]


def write_list(path, entries):
    """`entries` birthdays between 1900 and 2025, the same for the same count on every run."""
    rng = random.Random(42)
    with open(path, "w", encoding="utf-8") as out:
        for i in range(1, entries + 1):
            y = 1900 + rng.randrange(126)
            m = 1 + rng.randrange(12)
            d = 1 + rng.randrange(DAYS_IN_MONTH[m - 1])
            out.write(f"{d:02d}.{m:02d}.{y:04d} Person {i} wird # alt\n")


def measure(command, env):
    """CPU seconds (user + system, to the microsecond), wall seconds and peak resident MB of
    a program that ends by itself; its output goes nowhere. The peak is taken by a small
    process of its own (tools/bench/Measure.cpp): a child forked straight from Python would
    report Python's own peak when the program's is smaller."""
    with tempfile.NamedTemporaryFile("r") as result:
        start = time.monotonic()
        status = subprocess.run([MEASURE, result.name] + command, env=env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
        wall = time.monotonic() - start
        if status != 0:
            raise SystemExit(f"{command[0]} failed with status {status}")
        cpu, peak = result.read().split()
        return float(cpu), wall, int(peak) / 1024
