#!/usr/bin/env python3
"""Measures start-up and the window's largest scan against bare Qt programs, in one run:
  list   `festmark --list` on a two-line file against a bare Qt Core program (CPU and wall);
  window the window painted with the results of a 10-entry list against a bare Qt Widgets
         window (CPU until the program is idle, under Xvfb with openbox);
  scan   the window's scan of 10,000 entries over the longest window (CPU until idle, peak
         memory) against `festmark --list` over the same list;
  big    CPU and peak memory of the list mode and the window reading 500 MB of blank lines
         and 500 MB of entries, against each other and the file's size (not run unless
         asked for).
  ends   CPU of the list mode reading 100 MB of entries with LF, CR LF and lone CR line
         ends, against LF (not run unless asked for).
  cards  CPU of the list mode reading an address book with one quoted-printable value of
         250 KB and of 1 MB, soft line breaks every 76 bytes (not run unless asked for).
  hostile hostile address books and lists, each against its plain case (not run unless
         asked for): soft line breaks after 300 KB and 600 KB of parameters, 100,000 labelled
         groups in one card against 100,000 cards, peak memory of a 100 MB name with 20 days
         and of a 100 MB note against a plain card, a million identical lines against a
         million different ones (--ics).
Prints medians and ratios. Usage: tools/bench-start.py [--runs R] [--festmark PATH] [what...]
Needs Xvfb, openbox and xdotool (tools/install-deps.sh); build first (tools/build.sh)."""
import argparse
import os
import random
import signal
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from benchlib import BUILD, DAYS_IN_MONTH, measure, write_list  # noqa: E402


def cpu_of(pid):
    """Seconds on the CPU the live process's threads have used so far (nanosecond counts of
    the scheduler, not the 10 ms ticks of /proc/PID/stat)."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as stat:
                total += int(stat.read().split()[0])
        except FileNotFoundError:
            pass  # a thread that has ended since
    return total / 1e9


def peak_of(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024
    return 0.0


def run_until_idle(command, env, title):
    """CPU seconds and peak MB (in measure()'s shape) of a window program from its start until its window stands
    and it has been idle for 0.3 s (read then, so that neither program's way out counts);
    then it is sent SIGTERM."""
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", title],
                   env=env, stdout=subprocess.DEVNULL, timeout=60, check=True)
    last, still = cpu_of(process.pid), 0
    while still < 3:
        time.sleep(0.1)
        now = cpu_of(process.pid)
        still = still + 1 if now == last else 0
        last = now
    peak = peak_of(process.pid)
    os.kill(process.pid, signal.SIGTERM)
    os.wait4(process.pid, 0)
    return last, None, peak  # as measure(): cpu, wall (not taken), peak


def report(name, samples, unit="cpu"):
    value = statistics.median(s[0] for s in samples)
    extra = ""
    if unit == "cpu+peak":
        extra = f", peak {max(s[2] for s in samples):6.1f} MB"
    elif unit == "cpu+wall":
        extra = f", wall {statistics.median(s[1] for s in samples) * 1000:7.1f} ms"
    print(f"  {name:28s} cpu {value * 1000:8.1f} ms{extra}")
    return value


class Desktop:
    def __enter__(self):
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24",
                                      "-nolisten", "tcp"], stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL)
        self.display = ":" + self.xvfb.stdout.readline().decode().strip()
        env = dict(os.environ, DISPLAY=self.display)
        self.wm = subprocess.Popen(["openbox", "--sm-disable"], env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(1)
        return self

    def __exit__(self, *exc):
        for process in (self.wm, self.xvfb):
            process.terminate()
            process.wait()


def write_entries(path, megabytes, end=b"\n"):
    """Entries in lines of about 33 bytes up to the given size, each ended by end."""
    rng = random.Random(1)
    with open(path, "wb") as out:
        size, number, lines = 0, 0, []
        while size < megabytes << 20:
            number += 1
            y, m = 1900 + rng.randrange(126), 1 + rng.randrange(12)
            line = f"{1 + rng.randrange(DAYS_IN_MONTH[m - 1]):02d}.{m:02d}.{y:04d} Person {number} " \
                   "wird # alt".encode() + end
            lines.append(line)
            size += len(line)
            if len(lines) == 100000:
                out.write(b"".join(lines))
                lines = []
        out.write(b"".join(lines))
    return path


def write_big_files(work):
    """500 MB of blank lines, and 500 MB of entries."""
    blank = os.path.join(work, "blank.txt")
    with open(blank, "wb") as out:
        for _ in range(500):
            out.write(b"\n" * (1 << 20))
    return blank, write_entries(os.path.join(work, "entries.txt"), 500)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=10)
    parser.add_argument("--festmark", default=os.path.join(BUILD, "app", "festmark"))
    parser.add_argument("what", nargs="*", default=["list", "window", "scan"],
                        choices=["list", "window", "scan", "big", "ends", "cards", "hostile"])
    args = parser.parse_args()
    bench = os.path.join(BUILD, "tools", "bench")

    work = tempfile.mkdtemp()
    os.makedirs(os.path.join(work, "Orvanta"))
    runtime = os.path.join(work, "runtime")
    os.makedirs(runtime, mode=0o700)
    env = dict(os.environ, XDG_CONFIG_HOME=work, HOME=work, XDG_RUNTIME_DIR=runtime)
    env.pop("QT_QPA_PLATFORM", None)

    def settings(dates, back, ahead):
        with open(os.path.join(work, "Orvanta", "Festmark.conf"), "w") as conf:
            conf.write(f"[Settings]\nFilePath={dates}\nStartday={back}\nStopday={ahead}\n"
                       "auto=0\n")

    small = os.path.join(work, "small.txt")
    write_list(small, 10)
    tiny = os.path.join(work, "tiny.txt")
    write_list(tiny, 2)

    if "list" in args.what:
        print(f"list mode on a two-line file ({args.runs} runs each):")
        mine, bare = [], []
        for _ in range(args.runs):
            mine.append(measure([args.festmark, "--list", "--file", tiny], env))
            bare.append(measure([os.path.join(bench, "festmark_bench_bare_core")], env))
        a = report("festmark --list", mine, "cpu+wall")
        b = report("bare Qt Core program", bare, "cpu+wall")
        print(f"  ratio: {a / b:.2f}")

    if "big" in args.what:
        runs = max(1, args.runs // 5)
        print(f"big files (500 MB each), read with the default window ({runs} runs each):")
        files = write_big_files(work)
        with Desktop() as desktop:
            genv = dict(env, DISPLAY=desktop.display)
            for path in files:
                size = os.path.getsize(path) / (1 << 20)
                settings(path, 2, 7)
                listed, shown = [], []
                for _ in range(runs):
                    listed.append(measure([args.festmark, "--list"], env))
                    shown.append(run_until_idle([args.festmark], genv, "^Festmark [0-9]"))
                print(f"  {os.path.basename(path)} ({size:.0f} MB):")
                a = report("festmark --list", listed, "cpu+peak")
                b = report("festmark window", shown, "cpu+peak")
                print(f"  ratio list / window: {a / b:.2f}; peaks against the file: "
                      f"{max(s[2] for s in listed) / size:.2f}, {max(s[2] for s in shown) / size:.2f}")

    if "ends" in args.what:
        runs = max(1, args.runs // 2)
        print(f"100 MB of entries by their line ends, list mode ({runs} runs each):")
        baseline = None
        for name, end in (("LF", b"\n"), ("CR LF", b"\r\n"), ("CR", b"\r")):
            path = write_entries(os.path.join(work, "ends.txt"), 100, end)
            samples = [measure([args.festmark, "--list", "--file", path, "--back", "0",
                                "--ahead", "0"], env) for _ in range(runs)]
            cpu = report(f"{name} line ends", samples)
            baseline = baseline or cpu
            print(f"  ratio against LF: {cpu / baseline:.2f}")
            os.remove(path)

    if "cards" in args.what:
        print(f"one long quoted-printable value ({args.runs} runs each):")
        timed = []
        for kib in (250, 1000):
            path = os.path.join(work, "cards.vcf")
            soft = "=\r\n".join(["=41" * 25] * (kib * 1024 // 78))
            with open(path, "w") as out:
                out.write("BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Anna\r\nBDAY:19760314\r\n"
                          f"NOTE;ENCODING=QUOTED-PRINTABLE:{soft}\r\nEND:VCARD\r\n")
            samples = [measure([args.festmark, "--list", "--file", path], env)
                       for _ in range(args.runs)]
            timed.append(report(f"{kib} KB value", samples))
        print(f"  ratio 1 MB / 250 KB: {timed[1] / timed[0]:.2f}")

    if "hostile" in args.what:
        hostile(args, env, work)

    if "window" in args.what or "scan" in args.what:
        with Desktop() as desktop:
            genv = dict(env, DISPLAY=desktop.display)
            if "window" in args.what:
                print(f"window with a 10-entry list, until idle ({args.runs} runs each):")
                settings(small, 2, 7)
                mine, bare = [], []
                for _ in range(args.runs):
                    mine.append(run_until_idle([args.festmark], genv, "^Festmark [0-9]"))
                    bare.append(run_until_idle([os.path.join(bench,
                                                             "festmark_bench_bare_widgets")],
                                               genv, "^Bare Qt$"))
                a = report("festmark window", mine)
                b = report("bare Qt Widgets window", bare)
                print(f"  ratio: {a / b:.2f}")
            if "scan" in args.what:
                runs = max(1, args.runs // 3)
                print(f"largest scan, 10,000 entries over 16,802 days ({runs} runs each):")
                big = os.path.join(work, "big.txt")
                write_list(big, 10000)
                settings(big, 3652, 13149)
                mine, listed = [], []
                for _ in range(runs):
                    mine.append(run_until_idle([args.festmark], genv, "^Festmark [0-9]"))
                    listed.append(measure([args.festmark, "--list"], env))
                a = report("festmark window", mine, "cpu+peak")
                b = report("festmark --list", listed)
                print(f"  ratio: {a / b:.2f}")


def hostile(args, env, work):
    """The cases of hostile input, each measured against its plain case in the same run."""
    path = os.path.join(work, "hostile.vcf")
    card = "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Anna\r\nBDAY:19760314\r\n{}END:VCARD\r\n"

    def run(text, *extra):
        with open(path, "w", encoding="utf-8") as out:
            out.write(text)
        samples = [measure([args.festmark, "--list", "--file", path, *extra], env)
                   for _ in range(args.runs)]
        return samples

    def ratio(name, a, b, what=0):
        x = statistics.median(s[what] for s in a)
        y = statistics.median(s[what] for s in b)
        unit = "s cpu" if what == 0 else "MB peak"
        print(f"  {name}: {x:.3f} against {y:.3f} {unit}, ratio {x / y:.2f}")

    print(f"hostile input ({args.runs} runs each, medians):")
    soft = []
    for kib in (300, 600):
        head = "NOTE;X-P=" + "a" * (kib * 1024) + ";ENCODING=QUOTED-PRINTABLE:"
        soft.append(run(card.format(head + "=\r\n".join(["=41" * 25] * 2000) + "\r\n")))
    ratio("soft breaks after 600 KB / 300 KB of parameters", soft[1], soft[0])
    groups = "".join(f"item{i}.X-ABDATE:2001-01-01\r\nitem{i}.X-ABLabel:T{i}\r\n"
                     for i in range(100000))
    cards = "".join(card.format("") for _ in range(100000))
    ratio("100,000 groups in one card / 100,000 cards", run(card.format(groups)), run(cards))
    plain = run(card.format(""))
    name = "FN:" + "n" * (100 << 20) + "\r\n" + "".join(
        f"item{i}.X-ABDATE:2001-01-{i + 1:02d}\r\n" for i in range(20))
    ratio("100 MB name with 20 days / a plain card", run(card.format(name)), plain, 2)
    ratio("100 MB note / a plain card", run(card.format("NOTE:" + "n" * (100 << 20) + "\r\n")),
          plain, 2)
    same = "14.03.1976 Anna wird # alt\n" * 1000000
    different = "".join(f"14.03.1976 Anna{i:06d} # alt\n" for i in range(1000000))
    for text, label in ((same, "same"), (different, "different")):
        with open(os.path.join(work, label + ".txt"), "w", encoding="utf-8") as out:
            out.write(text)
    ics = ["--ics", "--date", "14.03.2026", "--file"]
    a = [measure([args.festmark, *ics, os.path.join(work, "same.txt")], env)
         for _ in range(args.runs)]
    b = [measure([args.festmark, *ics, os.path.join(work, "different.txt")], env)
         for _ in range(args.runs)]
    ratio("a million identical lines / a million different ones (--ics)", a, b, 2)


if __name__ == "__main__":
    main()
