"""What the running show costs in memory on very large screens: the RSS and PSS of the program
and its picture decoder, once the show has drawn its first photo, on

- one X screen of 16384 x 8192 (Xvfb),
- two X monitors, an 800 x 600 primary and a 7680 x 4320 one the show covers in black (Xorg's
  dummy driver, as root),
- one Wayland output of 7680 x 4320 (sway's headless backend),
- two Wayland outputs, an 800 x 600 primary and a 7680 x 4320 one the show covers in black.

Prints figures, never passes or fails. Run it with the built program:
  PELANDRA_SAVER=build/release/pelandra-saver python3 bench/screen_memory.py
(as root, sway and the show run as nobody, as in the end-to-end tests). "largest shared
buffer" is the largest window buffer the program shares with the X server or compositor."""

import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "e2e"))
from saver_home import SaverHome, missing  # noqa: E402
from sway_session import TOOLS, Output, SwaySession  # noqa: E402
from monitors_e2e import CONFIG  # noqa: E402
from xsession import VirtualScreen, largest_shared_buffer  # noqa: E402

SETTLE = 6  # seconds: shown, a photo decoded and drawn, a tick or two later


def tree(pid):
    """`pid` and every process below it."""
    found, todo = [], [pid]
    while todo:
        current = todo.pop()
        found.append(current)
        try:
            with open(f"/proc/{current}/task/{current}/children") as f:
                todo += [int(child) for child in f.read().split()]
        except OSError:
            pass
    return found


def rollup(pid):
    """Rss and Pss of one process, in KiB."""
    figures = {}
    try:
        with open(f"/proc/{pid}/smaps_rollup") as f:
            for line in f:
                key, _, rest = line.partition(":")
                if key in ("Rss", "Pss"):
                    figures[key] = int(rest.split()[0])
    except OSError:
        pass
    return figures.get("Rss", 0), figures.get("Pss", 0)


def buffer_of(pid):
    try:
        return largest_shared_buffer(pid)
    except OSError:  # ended meanwhile
        return 0


def measure(name, show):
    """Samples the show's tree for a while and prints its peak."""
    peak_rss = peak_pss = buffer = 0
    deadline = time.monotonic() + SETTLE
    while time.monotonic() < deadline and show.poll() is None:
        pids = tree(show.pid)
        figures = [rollup(pid) for pid in pids]
        peak_rss = max(peak_rss, sum(rss for rss, _ in figures))
        peak_pss = max(peak_pss, sum(pss for _, pss in figures))
        buffer = max([buffer] + [buffer_of(pid) for pid in pids])
        time.sleep(0.25)
    if show.poll() is not None:
        print(f"{name:<44} the show ended early (status {show.returncode})")
        return
    print(f"{name:<44} RSS {peak_rss / 1024:7.1f} MiB   PSS {peak_pss / 1024:7.1f} MiB"
          f"   largest shared buffer {buffer / 2**20:7.1f} MiB")


def on_x(width, height):
    screen = VirtualScreen(width, height)
    home = SaverHome()
    try:
        show = home.start([home.program], env=home.env(DISPLAY=screen.display))
        measure(f"X, one screen of {width} x {height}", show)
    finally:
        home.close()
        screen.close()


class TwoMonitors:
    """Xorg on the dummy driver: DUMMY0 800 x 600, DUMMY1 7680 x 4320 to its right."""

    BIG = ["1400.14", "7680", "8304", "9152", "10624", "4320", "4321", "4324", "4393",
           "-HSync", "+Vsync"]  # gtf 7680 4320 30

    def __init__(self):
        self.folder = tempfile.mkdtemp(prefix="pelandra-bench-xorg-")
        config = os.path.join(self.folder, "xorg.conf")
        with open(config, "w", encoding="utf-8") as out:
            out.write(CONFIG.format(virtual="8480 4320"))
        read, write = os.pipe()
        self.server = subprocess.Popen(
            ["Xorg", "-displayfd", str(write), "-config", config, "-noreset", "-nolisten", "tcp",
             "-logfile", os.path.join(self.folder, "xorg.log")],
            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            cwd=self.folder)
        os.close(write)
        with os.fdopen(read) as pipe:
            self.display = ":" + pipe.readline().strip()
        for args in (["--output", "DUMMY0", "--mode", "800x600", "--pos", "0x0", "--primary"],
                     ["--newmode", "big", *self.BIG], ["--addmode", "DUMMY1", "big"],
                     ["--output", "DUMMY1", "--mode", "big", "--right-of", "DUMMY0"]):
            subprocess.run(["xrandr", *args], env=dict(os.environ, DISPLAY=self.display),
                           check=True, timeout=20, capture_output=True)

    def close(self):
        self.server.terminate()
        self.server.wait(timeout=10)
        shutil.rmtree(self.folder, ignore_errors=True)


def on_x_monitors():
    screens = TwoMonitors()
    home = SaverHome()
    try:
        show = home.start([home.program], env=home.env(DISPLAY=screens.display))
        measure("X, 800 x 600 and a covered 7680 x 4320", show)
    finally:
        home.close()
        screens.close()


def on_sway(name, outputs):
    home = SaverHome()
    try:
        sway = SwaySession(home, outputs)
        show = home.start([home.program], env=sway.env(), log="show.log")
        measure(name, show)
    finally:
        home.close()


def main():
    if not os.environ.get("PELANDRA_SAVER"):
        sys.exit("PELANDRA_SAVER names no program")
    if not missing(["Xvfb"]):
        on_x(16384, 8192)
    if os.geteuid() == 0 and not missing(["Xorg", "xrandr"]):
        on_x_monitors()
    if missing(TOOLS):
        print("sway cannot run here:", missing(TOOLS))
        return
    on_sway("Wayland, one output of 7680 x 4320", [Output("HEADLESS-1", 7680, 4320)])
    on_sway("Wayland, 800 x 600 and a covered 7680 x 4320",
            [Output("HEADLESS-1", 800, 600), Output("HEADLESS-2", 7680, 4320, x=800)])


if __name__ == "__main__":
    main()
