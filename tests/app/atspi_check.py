#!/usr/bin/env python3
"""The window as a screen reader (Orca) meets it: the real program on its own X server, its
accessibility tree read over the AT-SPI bus with pyatspi. Names, roles and descriptions of the
main window (the list, its cells' "heute, Jahrestag", the progress bar, the buttons) and of
the options dialog (both spin boxes by their labels, "Durchsuchen").
Usage: dbus-run-session -- atspi_check.py FESTMARK. Exits 77 (skipped) where Xvfb, the AT-SPI
bus or python3-pyatspi is missing."""
import datetime
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

try:
    import pyatspi
except ImportError:
    print("python3-pyatspi is not installed: skipped")
    sys.exit(77)

from xdisplay import start_display  # noqa: E402

LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


def skip(why):
    print(f"{why}: skipped")
    sys.exit(77)


def walk(accessible, depth=0):
    """Every node below `accessible` as (role, name, description, node)."""
    if accessible is None or depth > 30:
        return
    yield accessible.getRoleName(), accessible.name or "", accessible.description or "", accessible
    for index in range(accessible.childCount):
        yield from walk(accessible.getChildAtIndex(index), depth + 1)


def find_application(name, seconds=30):
    deadline = time.time() + seconds
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            application = desktop.getChildAtIndex(index)
            if application is not None and (application.name or "").lower() == name:
                return application
        time.sleep(0.2)
    return None


def nodes_when(application, ready, seconds=15):
    """The tree once `ready(nodes)` holds (the scan fills the list after the window shows)."""
    deadline = time.time() + seconds
    nodes = []
    while time.time() < deadline:
        nodes = list(walk(application))
        if ready(nodes):
            break
        time.sleep(0.3)
    return nodes


def main():
    festmark = sys.argv[1]
    if "DBUS_SESSION_BUS_ADDRESS" not in os.environ:
        skip("no session bus (run under dbus-run-session)")
    if not os.path.exists(LAUNCHER):
        skip("no AT-SPI bus (at-spi2-core)")
    xvfb, display = start_display(skip)
    work = tempfile.mkdtemp()
    os.makedirs(os.path.join(work, "config", "Orvanta"))
    runtime = os.path.join(work, "runtime")
    os.makedirs(runtime, mode=0o700)
    today = datetime.date.today()
    dates = os.path.join(work, "Festmark.txt")
    with open(dates, "w", encoding="utf-8") as out:
        out.write(f"{today.day:02d}.{today.month:02d}.{today.year - 50} Anna wird # alt\n")
    with open(os.path.join(work, "config", "Orvanta", "Festmark.conf"), "w") as conf:
        conf.write(f"[Settings]\nFilePath={dates}\nStartday=0\nStopday=0\nauto=0\n")
    env = dict(os.environ, DISPLAY=display, HOME=work, XDG_CONFIG_HOME=os.path.join(work, "config"),
               XDG_RUNTIME_DIR=runtime, QT_ACCESSIBILITY="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               PULSE_SERVER="unix:/nonexistent")
    env.pop("QT_QPA_PLATFORM", None)
    launcher = subprocess.Popen([LAUNCHER, "--launch-immediately"], env=env,
                                stderr=subprocess.DEVNULL)
    program = None
    try:
        time.sleep(1)
        program = subprocess.Popen([festmark], env=env)
        application = find_application("festmark")
        assert application is not None, "festmark on the AT-SPI bus"

        nodes = nodes_when(application, lambda ns: any(d == "heute, Jahrestag" for _, _, d, _ in ns))
        named = {(role, name): description for role, name, description, _ in nodes}
        assert ("table", "Jubiläen") in named, sorted(named)[:40]
        assert ("progress bar", "Fortschritt der Suche") in named, sorted(named)[:40]
        for button, description in (("Info", "Version und Herkunft von Festmark"),
                                    ("Optionen", "Zeitraum, Datumsliste und automatischen Start "
                                                 "einstellen"),
                                    ("Beenden", "Festmark beenden")):
            assert named.get(("push button", button)) == description, (button, named)
        message = f"Anna wird 50 Jahre alt!"
        cells = [(name, description) for role, name, description, _ in nodes
                 if role == "table cell"]
        assert (message, "heute, Jahrestag") in cells, cells
        assert any(n == "Girlande" for _, n, _, _ in nodes), \
            [(r, n) for r, n, _, _ in nodes if r in ("label", "image", "icon")]

        # The options dialog, opened by the reader's own action on the button.
        options = next(node for role, name, _, node in nodes
                       if role == "push button" and name == "Optionen")
        options.queryAction().doAction(0)
        dialog = nodes_when(application,
                            lambda ns: any(n == "Durchsuchen" for _, n, _, _ in ns))
        found = {(role, name) for role, name, _, _ in dialog}
        for expected in (("spin button", "bis vor ... Tagen"), ("spin button", "bis in ... Tagen"),
                         ("push button", "Durchsuchen")):
            assert expected in found, (expected, sorted(found))
        # Another program's change to the list reaches the open window.
        # (the options closed first: a scan waits for the dialog)
        cancel = next(node for role, name, _, node in dialog
                      if role == "push button" and name == "Abbrechen")
        cancel.queryAction().doAction(0)
        with open(dates, "a", encoding="utf-8") as out:
            out.write(f"{today.day:02d}.{today.month:02d}.{today.year - 10} Verein: # Mitglied\n")
        followed = nodes_when(application, lambda ns: any(
            n == "Verein: 10 Jahre Mitglied!" for r, n, _, _ in ns if r == "table cell"),
            seconds=30)
        assert any(n == "Verein: 10 Jahre Mitglied!" for r, n, _, _ in followed if r == "table cell"), \
            "the window follows the list"
        print(f"{len(nodes)} accessible nodes in the main window; the options dialog read; "
              "a change on disk followed")
    finally:
        if program is not None:
            program.send_signal(signal.SIGTERM)
            try:
                program.wait(10)
            except subprocess.TimeoutExpired:
                program.kill()
        launcher.terminate()
        xvfb.terminate()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
