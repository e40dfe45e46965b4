#!/usr/bin/env python3
"""`festmark --notify` on a private session bus: a notification service of this script's own
(org.freedesktop.Notifications over Gio) answers as a desktop's would, and dbus-monitor, apart
from both, records the calls. A day with jubilees gives one Notify call with "Anzeigen" and
the names escaped for the service's markup; choosing "Anzeigen" opens the window (on its own
X server); closing the note ends the program without a window; a quiet day calls nothing;
without a service the window opens at once.
Usage: dbus-run-session -- notify_check.py FESTMARK. Exits 77 (skipped) where Xvfb, xdotool,
dbus-monitor or python3-gi is missing."""
import datetime
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from xdisplay import start_display

XML = """<node><interface name="org.freedesktop.Notifications">
<method name="GetCapabilities"><arg type="as" direction="out"/></method>
<method name="Notify"><arg type="s"/><arg type="u"/><arg type="s"/><arg type="s"/><arg type="s"/>
<arg type="as"/><arg type="a{sv}"/><arg type="i"/><arg type="u" direction="out"/></method>
<method name="CloseNotification"><arg type="u"/></method>
<method name="GetServerInformation"><arg type="s" direction="out"/><arg type="s" direction="out"/>
<arg type="s" direction="out"/><arg type="s" direction="out"/></method>
<signal name="ActionInvoked"><arg type="u"/><arg type="s"/></signal>
<signal name="NotificationClosed"><arg type="u"/><arg type="u"/></signal>
</interface></node>"""


def serve(log, answer):
    """The service: records each Notify as a JSON line in `log`, then answers it as `answer`
    says: "show" clicks "Anzeigen", "close" dismisses the note."""
    from gi.repository import Gio, GLib
    bus = Gio.bus_get_sync(Gio.BusType.SESSION)
    path, interface = "/org/freedesktop/Notifications", "org.freedesktop.Notifications"

    def emit(name, args):
        bus.emit_signal(None, path, interface, name, GLib.Variant(*args))
        return False

    def call(_c, _s, _p, _i, method, params, invocation):
        if method == "GetCapabilities":
            invocation.return_value(GLib.Variant("(as)", (["actions", "body", "body-markup"],)))
        elif method == "Notify":
            with open(log, "a", encoding="utf-8") as out:
                out.write(json.dumps(params.unpack()) + "\n")
            invocation.return_value(GLib.Variant("(u)", (7,)))
            if answer == "show":
                GLib.timeout_add(200, emit, "ActionInvoked", ("(us)", (7, "show")))
            else:
                GLib.timeout_add(200, emit, "NotificationClosed", ("(uu)", (7, 2)))
        elif method == "GetServerInformation":
            invocation.return_value(GLib.Variant("(ssss)", ("test", "festmark", "1", "1.2")))
        else:
            invocation.return_value(None)

    node = Gio.DBusNodeInfo.new_for_xml(XML)
    bus.register_object(path, node.interfaces[0], call, None, None)
    loop = GLib.MainLoop()
    Gio.bus_own_name_on_connection(bus, interface, Gio.BusNameOwnerFlags.NONE,
                                   lambda *_: open(log + ".ready", "w").close(), None)
    signal.signal(signal.SIGTERM, lambda *_: loop.quit())
    loop.run()


def skip(why):
    print(f"{why}: skipped")
    sys.exit(77)


def wait_for(condition, seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        if condition():
            return True
        time.sleep(0.1)
    return False


class Check:
    def __init__(self, festmark, work, env):
        self.festmark, self.work, self.env = festmark, work, env
        self.log = os.path.join(work, "notify.log")
        self.service = None

    def start_service(self, answer):
        self.stop_service()
        open(self.log, "w").close()
        self.service = subprocess.Popen([sys.executable, __file__, "--serve", self.log, answer],
                                        env=self.env)
        assert wait_for(lambda: os.path.exists(self.log + ".ready"), 10), "service on the bus"

    def stop_service(self):
        if self.service is not None:
            self.service.terminate()
            self.service.wait(10)
            self.service = None
        if os.path.exists(self.log + ".ready"):
            os.remove(self.log + ".ready")

    def notes(self):
        with open(self.log, encoding="utf-8") as lines:
            return [json.loads(line) for line in lines]

    def run(self, dates):
        """festmark --notify on `dates`, today; its exit status."""
        return subprocess.run([self.festmark, "--notify", "--file", dates, "--back", "0", "--ahead", "0"], env=self.env,
                              timeout=30).returncode

    def windows(self):
        found = subprocess.run(["xdotool", "search", "--name", "^Festmark( |$)"], env=self.env,
                               capture_output=True, text=True)
        return found.stdout.split()

    def close_windows(self):
        for window in self.windows():
            pid = subprocess.run(["xdotool", "getwindowpid", window], env=self.env,
                                 capture_output=True, text=True).stdout.strip()
            if pid:
                os.kill(int(pid), signal.SIGTERM)
        assert wait_for(lambda: not self.windows(), 10), "the window ends"


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "--serve":
        serve(sys.argv[2], sys.argv[3])
        return
    festmark = sys.argv[1]
    if "DBUS_SESSION_BUS_ADDRESS" not in os.environ:
        skip("no session bus (run under dbus-run-session)")
    for tool in ("xdotool", "dbus-monitor"):
        if shutil.which(tool) is None:
            skip(f"no {tool}")
    try:
        import gi  # noqa: F401
    except ImportError:
        skip("python3-gi is not installed")

    xvfb, display = start_display(skip)
    work = tempfile.mkdtemp()
    today = datetime.date.today()
    jubilee = os.path.join(work, "jubilaeen.txt")
    with open(jubilee, "w", encoding="utf-8") as out:
        out.write(f"{today.day:02d}.{today.month:02d}.{today.year - 50} Anna <b>& Co</b> wird # alt\n")
    quiet = os.path.join(work, "ruhig.txt")
    other = today + datetime.timedelta(days=100)
    with open(quiet, "w", encoding="utf-8") as out:
        out.write(f"{other.day:02d}.{other.month:02d}.{other.year - 3} Fritz wird # alt\n")
    with open(os.path.join(work, "Festmark.txt"), "w", encoding="utf-8") as out:
        out.write("")
    # In the sanitizer build: what Qt's and the system's libraries keep past the end is theirs.
    suppressions = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "lsan.supp")
    env = dict(os.environ, DISPLAY=display, HOME=work, XDG_CONFIG_HOME=os.path.join(work, "config"),
               PULSE_SERVER="unix:/nonexistent", LSAN_OPTIONS=f"suppressions={suppressions}")
    env.pop("QT_QPA_PLATFORM", None)
    monitor_log = open(os.path.join(work, "monitor.log"), "w")
    monitor = subprocess.Popen(["dbus-monitor", "--session",
                                "type='method_call',interface='org.freedesktop.Notifications'"],
                               stdout=monitor_log, stderr=subprocess.DEVNULL)
    check = Check(festmark, work, env)
    try:
        # A quiet day: no call, no window, and the program ends by itself.
        check.start_service("close")
        assert check.run(quiet) == 0
        assert check.notes() == [], check.notes()

        # A year jubilee today, the note dismissed: one call, no window.
        assert check.run(jubilee) == 0
        notes = check.notes()
        assert len(notes) == 1, notes
        app, replaces, icon, title, body, actions, hints, timeout = notes[0]
        assert (app, title) == ("Festmark", "Heute ist ein Jahrestag!"), notes[0]
        assert body == "heute, Jahrestag: Anna &lt;b&gt;&amp; Co&lt;/b&gt; wird 50 Jahre alt!", body
        assert actions[1::2] == ["Anzeigen", "Anzeigen"] and "default" in actions, actions
        time.sleep(1)
        assert check.windows() == [], "no window after the note was closed"

        # "Anzeigen" opens the window.
        check.start_service("show")
        assert check.run(jubilee) == 0
        assert wait_for(lambda: check.windows(), 20), "the window after Anzeigen"
        check.close_windows()

        # No notification service: the window instead, and still nothing on a quiet day.
        check.stop_service()
        assert check.run(quiet) == 0
        time.sleep(1)
        assert check.windows() == [], "no window on a quiet day"
        assert check.run(jubilee) == 0
        assert wait_for(lambda: check.windows(), 20), "the window without a service"
        check.close_windows()

        monitor.terminate()
        monitor.wait(10)
        monitor_log.close()
        with open(os.path.join(work, "monitor.log"), encoding="utf-8", errors="replace") as seen:
            calls = seen.read()
        assert calls.count("member=Notify") == 2, calls
        assert 'string "Heute ist ein Jahrestag!"' in calls, calls
        print("notify: quiet day silent, note with Anzeigen, window on Anzeigen and without a "
              "service")
    finally:
        check.stop_service()
        if monitor.poll() is None:
            monitor.terminate()
        xvfb.terminate()
        xvfb.wait(10)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
