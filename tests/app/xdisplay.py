"""An X server of a test's own: Xvfb picks a free display and names it."""
import os
import shutil
import subprocess


def start_display(skip):
    """The Xvfb process and its display (":N"); `skip(why)` where none can start."""
    if shutil.which("Xvfb") is None:
        skip("no Xvfb")
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24"],
                            pass_fds=[write], stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as displays:
        number = displays.readline().strip()
    if not number:
        skip("Xvfb did not start")
    return xvfb, ":" + number
