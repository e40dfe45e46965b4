#!/usr/bin/env python3
"""`festmark --ics` read by two independent iCalendar readers, python3-icalendar and libical
(Evolution's library, through gir1.2-ical-3.0), which also checks the file as Evolution does:
the events are the rows of `festmark --list`, in order, with the same dates and texts; UIDs
are unique and the same in a second run; lines end with CR LF and are folded at 75 octets;
reminders, an empty window and the calendar's last days read right.
With SERVICE, the calendar service's commands are run as the timer would, with this
FESTMARK in place of the installed one.
Usage: ics_check.py FESTMARK [SERVICE]. Exits 77 (skipped) where python3-icalendar or libical's binding
is missing."""
import os
import subprocess
import sys
import tempfile

try:
    import icalendar
    import gi
    gi.require_version("ICalGLib", "3.0")
    from gi.repository import ICalGLib
except (ImportError, ValueError) as missing:
    print(f"python3-icalendar or gir1.2-ical-3.0 is not installed ({missing}): skipped")
    sys.exit(77)

LIST = """14.03.1976 Anna\twird # alt
24.12.2026 Noch # bis Heiligabend
1.3.1976 Björn, der Schmied; wird # alt
20.03.2000 Hochzeitstag Meier & Müller: # verheiratet, seit dem Tag, an dem alles begann, und noch viel länger als gedacht
14.03.1976 Anna wird # alt
"""


def run(festmark, env, *arguments, err=None):
    result = subprocess.run([festmark, *arguments], env=env, capture_output=True, check=True)
    if err is not None:
        err.append(result.stderr.decode("utf-8"))
    return result.stdout


def libical_check(raw):
    """libical's own reading and its check of the file's restrictions; the events' summaries."""
    calendar = ICalGLib.Component.new_from_string(raw.decode("utf-8"))
    assert calendar is not None, "libical reads the file"
    valid = ICalGLib.restriction_check(calendar)
    errors = [line for line in calendar.as_ical_string().splitlines() if "X-LIC-ERROR" in line]
    assert valid and not errors, f"libical's check: {errors}"
    summaries, event = [], calendar.get_first_component(ICalGLib.ComponentKind.VEVENT_COMPONENT)
    while event is not None:
        summaries.append(event.get_summary())
        event = calendar.get_next_component(ICalGLib.ComponentKind.VEVENT_COMPONENT)
    return summaries


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
    # The terminal cleans a TAB away (it separates the columns); the calendar keeps it.
    cleaned = [(day, summary.replace("\t", "\ufffd")) for day, summary in shown]
    assert cleaned == listed, f"events and rows differ:\n{shown[:5]}\n{listed[:5]}"
    for event in events:
        start, end = event.decoded("DTSTART"), event.decoded("DTEND")
        assert not hasattr(start, "hour"), "an all-day event"
        assert (end - start).days == 1
    uids = [str(e["UID"]) for e in events]
    assert len(set(uids)) == len(uids), "every UID is its own"
    assert uids == [str(e["UID"]) for e in icalendar.Calendar.from_ical(again).walk("VEVENT")]
    assert any("Björn, der Schmied; wird" in summary for _, summary in shown)
    assert "Anna\twird 50 Jahre alt!" in [summary for _, summary in shown], "a TAB is kept"
    assert libical_check(raw) == [summary for _, summary in shown], "libical reads the same"

    # Reminders at 09:00, N days before the day.
    for days, before in ((0, -9), (1, 15), (3, 63)):
        alarmed = run(festmark, env, "--ics", *window, "--alarm", str(days))
        libical_check(alarmed)
        for event in icalendar.Calendar.from_ical(alarmed).walk("VEVENT"):
            alarm = event.walk("VALARM")[0]
            assert str(alarm["ACTION"]) == "DISPLAY"
            assert str(alarm["DESCRIPTION"]) == str(event["SUMMARY"])
            trigger = alarm.decoded("TRIGGER")
            assert trigger.total_seconds() == -before * 3600, f"--alarm {days}: {trigger}"

    # A window without a jubilee: a calendar without events that both read, and a word.
    said = []
    empty = run(festmark, env, "--ics", "--file", dates, "--date", "16.03.2026", "--back", "0",
                "--ahead", "0", err=said)
    assert libical_check(empty) == []
    assert list(icalendar.Calendar.from_ical(empty).walk("VEVENT")) == []
    assert "kein Jubiläum" in said[0], said

    # The calendar's first and last days: every date stays in four-digit years.
    for edge in (["--date", "31.12.9999", "--ahead", "3"], ["--date", "01.01.0001", "--back", "3"]):
        said = []
        raw_edge = run(festmark, env, "--ics", "--file", dates, *edge, err=said)
        libical_check(raw_edge)
        for event in icalendar.Calendar.from_ical(raw_edge).walk("VEVENT"):
            assert 1 <= event.decoded("DTSTART").year <= 9999
        assert "01.01.0001 bis zum 31.12.9999" in said[0], said
    if len(sys.argv) > 2:
        service_check(festmark, sys.argv[2], work, dates)
    print(f"{len(events)} events, as the list's {len(rows)} rows")


def service_check(festmark, service, work, dates):
    """The user service writes the stored list's year ahead where a calendar subscribes."""
    home = os.path.join(work, "home")
    config = os.path.join(home, ".config", "Orvanta")
    os.makedirs(config)
    with open(os.path.join(config, "Festmark.conf"), "w") as conf:
        conf.write(f"[Settings]\nFilePath={dates}\nStartday=2\nStopday=7\nauto=0\n")
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"))
    with open(service, encoding="utf-8") as unit:
        commands = [line.split("=", 1)[1].split() for line in unit
                    if line.startswith(("ExecStartPre=", "ExecStart="))]
    for command in commands:
        command = [word.replace("%h", home) for word in command]
        if command[0].endswith("/festmark"):
            command[0] = festmark
        subprocess.run(command, env=env, check=True, capture_output=True)
    with open(os.path.join(home, ".local/share/festmark/Jubilaeen.ics"), "rb") as written:
        raw = written.read()
    summaries = libical_check(raw)
    events = list(icalendar.Calendar.from_ical(raw).walk("VEVENT"))
    assert len(events) == len(summaries) > 0, "the year ahead has jubilees"
    first = min(e.decoded("DTSTART") for e in events)
    last = max(e.decoded("DTSTART") for e in events)
    assert (last - first).days > 300, f"a year ahead: {first} to {last}"


if __name__ == "__main__":
    main()
