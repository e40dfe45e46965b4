#!/usr/bin/env python3
"""`festmark --ics` read by a real iCalendar parser (python3-icalendar): the events are the
rows of `festmark --list`, in order, with the same dates and texts; UIDs are unique and the
same in a second run; lines end with CR LF and are folded at 75 octets.
Usage: ics_check.py FESTMARK. Exits 77 (skipped) where python3-icalendar is missing."""
import os
import subprocess
import sys
import tempfile

try:
    import icalendar
except ImportError:
    print("python3-icalendar is not installed: skipped")
    sys.exit(77)

LIST = """14.03.1976 Anna wird # alt
24.12.2026 Noch # bis Heiligabend
1.3.1976 Björn, der Schmied; wird # alt
20.03.2000 Hochzeitstag Meier & Müller: # verheiratet, seit dem Tag, an dem alles begann, und noch viel länger als gedacht
14.03.1976 Anna wird # alt
"""


def run(festmark, env, *arguments):
    result = subprocess.run([festmark, *arguments], env=env, capture_output=True, check=True)
    return result.stdout


def main():
    festmark = sys.argv[1]
    work = tempfile.mkdtemp()
    env = dict(os.environ, XDG_CONFIG_HOME=work, HOME=work)
    dates = os.path.join(work, "Festmark.txt")
    with open(dates, "w", encoding="utf-8") as out:
        out.write(LIST)
    window = ["--file", dates, "--date", "14.03.2026", "--back", "30", "--ahead", "400"]

    raw = run(festmark, env, "--ics", *window)
    again = run(festmark, env, "--ics", *window)
    rows = run(festmark, env, "--list", *window).decode("utf-8").splitlines()[1:]

    assert raw.endswith(b"\r\n"), "the file ends with CR LF"
    for line in raw.split(b"\r\n")[:-1]:
        assert b"\n" not in line and b"\r" not in line, f"a bare line break in {line!r}"
        assert len(line) <= 75, f"a line of {len(line)} octets: {line!r}"
        line.decode("utf-8")  # no character split by a fold

    calendar = icalendar.Calendar.from_ical(raw)
    assert str(calendar["VERSION"]) == "2.0"
    assert "Festmark" in str(calendar["PRODID"])
    events = list(calendar.walk("VEVENT"))
    shown = [(e.decoded("DTSTART").strftime("%d.%m.%Y"), str(e["SUMMARY"])) for e in events]
    listed = [(row.split("\t")[0], row.split("\t")[2]) for row in rows]
    assert shown == listed, f"events and rows differ:\n{shown[:5]}\n{listed[:5]}"
    for event in events:
        start, end = event.decoded("DTSTART"), event.decoded("DTEND")
        assert not hasattr(start, "hour"), "an all-day event"
        assert (end - start).days == 1
    uids = [str(e["UID"]) for e in events]
    assert len(set(uids)) == len(uids), "every UID is its own"
    assert uids == [str(e["UID"]) for e in icalendar.Calendar.from_ical(again).walk("VEVENT")]
    assert any("Björn, der Schmied; wird" in summary for _, summary in shown)
    print(f"{len(events)} events, as the list's {len(rows)} rows")


if __name__ == "__main__":
    main()
